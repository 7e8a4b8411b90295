#pragma once
// Starting programs and addresses. Command lines keep their Windows form, so
// the stored program paths and the host's expectations stay the same on both
// platforms; here they are split by the Windows rules and started without a
// shell, so nothing in a file name can run as a command.

#include "Seams.h"

#include <QString>
#include <QStringList>

namespace vv {

// Splits a command line the way the Microsoft C runtime (2008 and later) does:
// the program name ends at the first blank or tab outside quotes and knows no
// escapes; in the arguments 2n backslashes before a quote give n backslashes
// and the quote toggles quoting, 2n+1 give n backslashes and a literal quote,
// other backslashes are literal, and "" inside quotes is a literal quote with
// quoting still on. Leading blanks are skipped; a blank line gives no entries.
QStringList SplitCommandLine(const QString &commandLine);

// "program" "copy"  and  "program" /p "copy". A copy path that holds a quote
// (impossible on Windows, legal here) or ends in a backslash gets the escapes
// the splitter undoes, so it still arrives as one argument; any other path is
// taken as it is.
QString BuildOpenCommandLine(const QString &program, const QString &copy);
QString BuildPrintCommandLine(const QString &program, const QString &copy);

// One argument as the splitter gives it back: quoted, with the escapes a
// quote or a trailing backslash needs.
QString QuoteArgument(const QString &arg);

// What a split command line starts outside Windows: the program's full path,
// then its arguments; empty when no program is found. The first entry is one
// program name, blanks and all. Only when nothing of that name exists is it
// read as a program with options, the form the desktop's open command is
// stored in:  /usr/bin/flatpak run … org.gnome.Evince @@ %1 @@
// The other arguments take the place of an option "%1", since Flatpak
// forwards files only between its "@@" markers; else they follow the options.
QStringList ProgramAndArguments(const QStringList &split);

// The print system's command, found on PATH; "" when it is not installed.
QString FindPrintCommand();
// The message for a missing print command.
QString PrintCommandMissingText();

class SystemProcess : public ProcessSeam {
public:
    // Starts ProgramAndArguments detached, never through a shell. A print line
    // (arguments exactly "/p" and a file) goes to the print system here, since
    // no Linux PDF viewer knows "/p".
    bool StartCommandLine(const QString &commandLine, QString *error) override;
    bool OpenUrl(const QUrl &url) override;
};

} // namespace vv
