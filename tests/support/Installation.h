#pragma once
// A small installation folder for window and process tests: three
// categories, documents with every kind of preview and the fallback picture.

#include <QColor>
#include <QString>

namespace vvtest {

inline const QColor kJpgColour(220, 30, 30);
inline const QColor kGifColour(30, 30, 220);
inline const QColor kFallbackColour(30, 200, 30);

// Fills dir (created when missing) and returns the templates folder.
//   CAT 01 Steuern  DIR "Steuern" (no leading "\"): Antrag.pdf (+.jpg),
//        Beide.pdf (+.gif +.jpg), Gif.pdf (+.gif), Ohne.pdf, Kaputt.pdf (+ a .jpg that is no picture)
//   CAT 02 Verträge DIR "\Verträge": Mietvertrag.pdf
//   CAT 03 Leer     DIR "\Leer": no documents
// INFO 01..03 hold "Hilfe <name>", INFO Antrag.pdf holds "Antrag ausfüllen".
QString MakeInstallation(const QString &dir, bool withFallback = true);

void WriteSolidPicture(const QString &path, const QColor &colour, const char *format);
QByteArray SmallPdf(const QString &title);

// Dominant channel of a colour, for comparing through lossy JPEG.
QChar ColourName(const QColor &c);

} // namespace vvtest
