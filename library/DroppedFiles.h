#pragma once
// What may be dropped onto the document list: PDF files only, each of which
// then goes through the add dialog as if chosen there.

#include <QList>
#include <QStringList>
#include <QUrl>

namespace vv {

// More would mean dialog after dialog with no way out but to click through.
inline constexpr int kMaxDroppedDocuments = 10;

struct DroppedFiles {
    enum Verdict {
        Documents,    // every entry a local PDF file: add them
        NotDocuments, // something else among them (a folder, a picture, a web address): refuse
        TooMany,      // only PDF files, but more than the limit
    } verdict = NotDocuments;
    QStringList paths; // the PDF files, in the order dropped, each once
};

// Checks a drop: local regular files (links to one count) whose names end
// in ".pdf", letter case ignored. An empty drop is refused.
DroppedFiles CheckDroppedFiles(const QList<QUrl> &urls, int limit = kMaxDroppedDocuments);

// True when the dropped file is still a regular file when its turn comes.
bool DroppedFileStillThere(const QString &path);

} // namespace vv
