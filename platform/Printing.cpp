#include "Printing.h"

#include "WebSupports.h"

#include <QProcess>
#include <QProcessEnvironment>
#include <QStandardPaths>

#include <algorithm>
#include <utility>

namespace vv {
namespace {

// Far beyond any form, small enough that no number overflows.
constexpr int kLastPage = 99999;

bool readPage(const QString &text, int *page)
{
    const QString trimmed = text.trimmed();
    bool ok = false;
    const int n = trimmed.toInt(&ok);
    // toInt also takes "+3"; a page is digits only.
    const bool digits = !trimmed.isEmpty() && std::all_of(trimmed.begin(), trimmed.end(), [](QChar c) {
        return c >= QLatin1Char('0') && c <= QLatin1Char('9');
    });
    if (!ok || !digits || n < 1 || n > kLastPage)
        return false;
    *page = n;
    return true;
}

// lpstat answers in the user's language otherwise.
QByteArray runLpstat(const QString &lpstat, const QString &option, bool *ok)
{
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C"));
    process.setProcessEnvironment(env);
    process.start(lpstat, {option});
    *ok = process.waitForFinished(5000) && process.exitStatus() == QProcess::NormalExit
          && process.exitCode() == 0;
    if (process.state() != QProcess::NotRunning) {
        process.kill();
        process.waitForFinished(1000);
    }
    return process.readAllStandardOutput();
}

} // namespace

bool NormalizePageList(const QString &input, QString *normalized)
{
    QList<std::pair<int, int>> ranges;
    if (!input.trimmed().isEmpty()) {
        for (const QString &part : input.split(QLatin1Char(','))) {
            const QStringList ends = part.split(QLatin1Char('-'));
            int from = 0, to = 0;
            if (ends.size() > 2 || !readPage(ends.first(), &from) || !readPage(ends.last(), &to) || to < from)
                return false;
            ranges.append({from, to});
        }
    }
    std::sort(ranges.begin(), ranges.end());
    QStringList out;
    for (int i = 0; i < ranges.size();) {
        int from = ranges[i].first, to = ranges[i].second;
        for (++i; i < ranges.size() && ranges[i].first <= to + 1; ++i)
            to = std::max(to, ranges[i].second);
        out << (from == to ? QString::number(from) : QStringLiteral("%1-%2").arg(from).arg(to));
    }
    *normalized = out.join(QLatin1Char(','));
    return true;
}

QString BuildPrintJobCommandLine(const QString &lp, const PrintOptions &options, const QString &file)
{
    QString line = QLatin1Char('"') + lp + QLatin1Char('"');
    if (!options.printer.isEmpty())
        line += QStringLiteral(" -d ") + QuoteArgument(options.printer);
    line += QStringLiteral(" -n ") + QString::number(std::max(1, options.copies));
    if (!options.pages.isEmpty())
        line += QStringLiteral(" -P ") + QuoteArgument(options.pages);
    // "--" keeps a file name that starts with "-" from being read as an option.
    return line + QStringLiteral(" -- ") + QuoteArgument(file);
}

QString PrintJobCommandLine(const QString &printLine, const PrintOptions &options, QString *error)
{
    const QStringList split = SplitCommandLine(printLine);
    if (split.size() != 3 || split.at(1) != QLatin1String("/p") || split.at(2).isEmpty()) {
        if (error)
            *error = QStringLiteral("Es wurde kein Dokument zum Drucken angegeben.");
        return QString();
    }
    const QString lp = FindPrintCommand();
    if (lp.isEmpty()) {
        if (error)
            *error = PrintCommandMissingText();
        return QString();
    }
    return BuildPrintJobCommandLine(lp, options, split.at(2));
}

QStringList ParsePrinterNames(const QByteArray &lpstatOutput)
{
    QStringList names;
    for (const QByteArray &line : lpstatOutput.split('\n')) {
        const QString name = QString::fromUtf8(line).trimmed();
        if (!name.isEmpty() && !names.contains(name))
            names << name;
    }
    return names;
}

QString ParseDefaultPrinter(const QByteArray &lpstatOutput)
{
    static const QByteArray prefix("system default destination:");
    for (const QByteArray &line : lpstatOutput.split('\n')) {
        if (line.startsWith(prefix))
            return QString::fromUtf8(line.mid(prefix.size())).trimmed();
    }
    return QString();
}

QStringList CupsPrinters(QString *defaultPrinter)
{
    if (defaultPrinter)
        defaultPrinter->clear();
    const QString lpstat = QStandardPaths::findExecutable(QStringLiteral("lpstat"));
    if (lpstat.isEmpty())
        return {};
    bool ok = false;
    const QStringList names = ParsePrinterNames(runLpstat(lpstat, QStringLiteral("-e"), &ok));
    if (!ok)
        return {};
    if (defaultPrinter) {
        const QString chosen = ParseDefaultPrinter(runLpstat(lpstat, QStringLiteral("-d"), &ok));
        if (ok && names.contains(chosen))
            *defaultPrinter = chosen;
    }
    return names;
}

} // namespace vv
