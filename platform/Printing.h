#pragma once
// Printing a copy through the print system (CUPS): which printers it has, the
// page list a user may type, and the lp command line that carries the
// choices of the print dialog.

#include "Seams.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace vv {

// A page list as lp takes it: "" (all pages) stays "", else numbers and
// ranges separated by commas, blanks allowed ("5, 1-3" gives "1-3,5":
// sorted, overlaps joined, since the pages come out in document order
// anyway). False for anything else, also for page 0 or a range backwards.
bool NormalizePageList(const QString &input, QString *normalized);

// "lp" -d "printer" -n copies -P "pages" -- "file"; -d without a printer
// and -P without pages are left out. lp is the command's full path.
QString BuildPrintJobCommandLine(const QString &lp, const PrintOptions &options, const QString &file);

// The print system's job for a print line ("program" /p "copy") with the
// dialog's options; "" with error filled when the line prints nothing or
// the print command is missing.
QString PrintJobCommandLine(const QString &printLine, const PrintOptions &options, QString *error);

// The destinations "lpstat -e" lists, one a line.
QStringList ParsePrinterNames(const QByteArray &lpstatOutput);
// The default destination of "lpstat -d" in the C locale, "" when none.
QString ParseDefaultPrinter(const QByteArray &lpstatOutput);

// Asks the print system through lpstat; empty when lpstat is missing, fails
// or takes longer than a few seconds (no scheduler).
QStringList CupsPrinters(QString *defaultPrinter);

} // namespace vv
