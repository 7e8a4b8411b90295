#pragma once
// What the benchmarks share: a generated library of any size, seams that
// never wait on a person, and a private environment.

#include "Services.h"

#include <QString>

namespace vvbench {

// Names as offices write them: words with umlauts, numbers of varying width,
// an occasional upper-case extension; created in no particular order.
QString DocumentName(int i);

// An installation's library: "Groß" with n documents, first so the window opens
// on it, and "Klein" with three; every document with a help text and a preview
// (hard links of one picture), upper-case documents with an upper-case one.
void MakeLibrary(const QString &templates, int n, bool helpTexts = true);

// A bench run must never wait on a person: any message means the library is broken.
class NoMessages : public vv::MessageBoxSeam {
public:
    int MsgBox(QWidget *, const QString &text, int, const QString &) override;
    QString InputBox(QWidget *, const QString &, const QString &, const QString &) override { return {}; }
};

class NoExit : public vv::ExitSeam {
public:
    void ExitNow(int) override {}
    void QuitApplication(int) override {}
};

// HOME and the XDG folders below root; offscreen unless a platform is named.
void IsolateEnvironment(const QString &root);
// The offscreen platform's note on every window shown is no finding.
void QuietOffscreenNotes();

} // namespace vvbench
