#include "WebSupports.h"

#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

#include <utility>

namespace vv {

namespace {

bool isBlank(QChar c) { return c == QLatin1Char(' ') || c == QLatin1Char('\t'); }

// The program name: quotes toggle and vanish, backslashes are path characters.
// Returns the position just after the name.
int readProgramName(const QString &line, int pos, QString *name)
{
    bool inQuote = false;
    for (; pos < line.size(); ++pos) {
        const QChar c = line.at(pos);
        if (c == QLatin1Char('"')) {
            inQuote = !inQuote;
            continue;
        }
        if (!inQuote && isBlank(c))
            break;
        name->append(c);
    }
    return pos;
}

int skipBlanks(const QString &line, int pos)
{
    while (pos < line.size() && isBlank(line.at(pos)))
        ++pos;
    return pos;
}

} // namespace

QString QuoteArgument(const QString &arg)
{
    QString out(QLatin1Char('"'));
    int slashes = 0;
    for (const QChar c : arg) {
        if (c == QLatin1Char('\\')) {
            ++slashes;
            continue;
        }
        if (c == QLatin1Char('"'))
            out += QString(2 * slashes + 1, QLatin1Char('\\'));
        else
            out += QString(slashes, QLatin1Char('\\'));
        slashes = 0;
        out += c;
    }
    out += QString(2 * slashes, QLatin1Char('\\'));
    out += QLatin1Char('"');
    return out;
}

namespace {

void setError(QString *error, const QString &text)
{
    if (error)
        *error = text;
}

// Full path of an executable program, or "" when there is none by that name.
QString resolveProgram(const QString &program)
{
    if (program.contains(QLatin1Char('/'))) {
        const QFileInfo info(program);
        return info.isFile() && info.isExecutable() ? info.absoluteFilePath() : QString();
    }
    return QStandardPaths::findExecutable(program);
}

#ifndef Q_OS_WIN
bool printFile(const QString &file, QString *error)
{
    const QString lp = FindPrintCommand();
    if (lp.isEmpty()) {
        setError(error, PrintCommandMissingText());
        return false;
    }
    if (!QFileInfo(file).isFile()) {
        setError(error, QStringLiteral("Die Datei „%1“ zum Drucken wurde nicht gefunden.").arg(file));
        return false;
    }
    // "--" keeps a file name that starts with "-" from being read as an option.
    if (!QProcess::startDetached(lp, {QStringLiteral("--"), file})) {
        setError(error, QStringLiteral("Der Druckbefehl „%1“ konnte nicht gestartet werden.").arg(lp));
        return false;
    }
    return true;
}
#endif

} // namespace

QStringList SplitCommandLine(const QString &commandLine)
{
    QStringList result;
    int pos = skipBlanks(commandLine, 0);
    if (pos >= commandLine.size())
        return result;

    QString program;
    pos = readProgramName(commandLine, pos, &program);
    result << program;

    const QChar quote(QLatin1Char('"'));
    const QChar backslash(QLatin1Char('\\'));
    for (;;) {
        pos = skipBlanks(commandLine, pos);
        if (pos >= commandLine.size())
            break;
        QString arg;
        bool inQuote = false;
        for (;;) {
            int slashes = 0;
            while (pos < commandLine.size() && commandLine.at(pos) == backslash) {
                ++slashes;
                ++pos;
            }
            bool copyChar = true;
            if (pos < commandLine.size() && commandLine.at(pos) == quote) {
                if (slashes % 2 == 0) {
                    if (inQuote && pos + 1 < commandLine.size() && commandLine.at(pos + 1) == quote)
                        ++pos; // "" inside quotes: a literal quote, quoting stays on
                    else {
                        copyChar = false;
                        inQuote = !inQuote;
                    }
                }
                slashes /= 2;
            }
            arg += QString(slashes, backslash);
            if (pos >= commandLine.size() || (!inQuote && isBlank(commandLine.at(pos))))
                break;
            if (copyChar)
                arg += commandLine.at(pos);
            ++pos;
        }
        result << arg;
    }
    return result;
}

QString BuildOpenCommandLine(const QString &program, const QString &copy)
{
    return QLatin1Char('"') + program + QStringLiteral("\" ") + QuoteArgument(copy);
}

QString BuildPrintCommandLine(const QString &program, const QString &copy)
{
    return QLatin1Char('"') + program + QStringLiteral("\" /p ") + QuoteArgument(copy);
}

QStringList ProgramAndArguments(const QStringList &split)
{
    if (split.isEmpty() || split.first().isEmpty())
        return {};
    const QString &name = split.first();
    const QStringList rest = split.mid(1);
    QString program = resolveProgram(name);
    if (!program.isEmpty())
        return QStringList{program} + rest;

    // A path that exists but cannot run is still a path, not a command.
    const bool hasBlank = name.contains(QLatin1Char(' ')) || name.contains(QLatin1Char('\t'));
    if (!hasBlank || QFileInfo::exists(name))
        return {};
    QStringList options = SplitCommandLine(name);
    if (!options.isEmpty())
        program = resolveProgram(options.takeFirst());
    if (program.isEmpty())
        return {};
    QStringList result{program};
    bool placed = false;
    for (const QString &option : std::as_const(options)) {
        if (option == QLatin1String("%1")) {
            result += rest;
            placed = true;
        } else {
            result << option;
        }
    }
    if (!placed)
        result += rest;
    return result;
}

QString FindPrintCommand()
{
    return QStandardPaths::findExecutable(QStringLiteral("lp"));
}

QString PrintCommandMissingText()
{
    return QStringLiteral("Der Druckbefehl „lp“ wurde nicht gefunden. Bitte installieren Sie CUPS "
                          "(Paket cups-client), um Vorlagen direkt zu drucken.");
}

bool SystemProcess::StartCommandLine(const QString &commandLine, QString *error)
{
    const QStringList split = SplitCommandLine(commandLine);
    if (split.isEmpty() || split.first().isEmpty()) {
        setError(error, QStringLiteral("Es wurde kein Programm zum Starten angegeben."));
        return false;
    }
    const QString &program = split.first();

#ifdef Q_OS_WIN
    // Windows programs parse their own command line: hand it over untouched.
    QString name;
    const int end = readProgramName(commandLine, skipBlanks(commandLine, 0), &name);
    QProcess process;
    process.setProgram(program);
    process.setNativeArguments(commandLine.mid(skipBlanks(commandLine, end)));
    if (!process.startDetached()) {
        setError(error, QStringLiteral("Das Programm „%1“ konnte nicht gestartet werden.").arg(program));
        return false;
    }
    return true;
#else
    if (split.size() == 3 && split.at(1) == QLatin1String("/p"))
        return printFile(split.at(2), error);

    QStringList run = ProgramAndArguments(split);
    if (run.isEmpty()) {
        const bool exists = program.contains(QLatin1Char('/')) && QFileInfo::exists(program);
        setError(error, (exists ? QStringLiteral("Das Programm „%1“ kann nicht ausgeführt werden.")
                                : QStringLiteral("Das Programm „%1“ wurde nicht gefunden."))
                            .arg(program));
        return false;
    }
    const QString resolved = run.takeFirst();
    if (!QProcess::startDetached(resolved, run)) {
        setError(error, QStringLiteral("Das Programm „%1“ konnte nicht gestartet werden.").arg(program));
        return false;
    }
    return true;
#endif
}

bool SystemProcess::OpenUrl(const QUrl &url)
{
    // What Qt's desktop services do under X11, without tying the program
    // starter to the GUI library.
    const QString opener = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
    if (opener.isEmpty() || !url.isValid())
        return false;
    return QProcess::startDetached(opener, {url.toString(QUrl::FullyEncoded)});
}

} // namespace vv
