#include "PdfAssociation.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSet>
#include <QTextStream>

#include <utility>

namespace vv {
namespace {

using Groups = QHash<QString, QHash<QString, QString>>;

// Group/key/value text of a .desktop, mimeapps.list or mimeinfo.cache file.
// The first occurrence of a key wins, as with every other reader of them.
Groups ReadKeyFile(const QString &path)
{
    Groups groups;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return groups;
    // A stray binary file in an applications folder must not cost much.
    if (file.size() > 4 * 1024 * 1024)
        return groups;
    const QString text = QString::fromUtf8(file.readAll());
    QString group;
    bool inGroup = false;
    for (QStringView raw : QStringView(text).split(u'\n')) {
        const QStringView line = raw.trimmed();
        if (line.isEmpty() || line.startsWith(u'#'))
            continue;
        if (line.startsWith(u'[')) {
            const qsizetype end = line.indexOf(u']');
            inGroup = end > 1;
            if (inGroup)
                group = line.mid(1, end - 1).toString();
            continue;
        }
        if (!inGroup)
            continue;
        const qsizetype eq = line.indexOf(u'=');
        if (eq <= 0)
            continue;
        const QString key = line.left(eq).trimmed().toString();
        auto &entries = groups[group];
        if (!entries.contains(key))
            entries.insert(key, line.mid(eq + 1).trimmed().toString());
    }
    return groups;
}

// The string-type escapes of desktop entry values. Unknown escapes stay as
// they are, because the Exec quoting reads its own ("\"" and friends) later.
QString DecodeStringValue(const QString &value)
{
    QString out;
    out.reserve(value.size());
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar c = value.at(i);
        if (c != u'\\' || i + 1 == value.size()) {
            out += c;
            continue;
        }
        const QChar n = value.at(i + 1);
        switch (n.unicode()) {
        case 's': out += u' '; ++i; break;
        case 'n': out += u'\n'; ++i; break;
        case 't': out += u'\t'; ++i; break;
        case 'r': out += u'\r'; ++i; break;
        case '\\': out += u'\\'; ++i; break;
        default: out += c; break;
        }
    }
    return out;
}

QStringList SplitList(const QString &value)
{
    QStringList ids;
    for (const QString &part : value.split(u';')) {
        const QString id = part.trimmed();
        if (!id.isEmpty())
            ids << id;
    }
    return ids;
}

QStringList AbsoluteOnly(const QStringList &dirs)
{
    QStringList out;
    for (const QString &d : dirs)
        if (QDir::isAbsolutePath(d))
            out << QDir::cleanPath(d);
    return out;
}

QStringList EnvList(const char *name)
{
    return QString::fromLocal8Bit(qgetenv(name)).split(u':', Qt::SkipEmptyParts);
}

QString EnvFolder(const char *name, const QString &fallback)
{
    const QString v = QString::fromLocal8Bit(qgetenv(name));
    return QDir::isAbsolutePath(v) ? QDir::cleanPath(v) : fallback;
}

QString FindProgram(const QString &program, const QStringList &searchPath)
{
    auto runnable = [](const QString &path) {
        const QFileInfo info(path);
        return info.isFile() && info.isExecutable();
    };
    if (program.isEmpty())
        return {};
    if (QDir::isAbsolutePath(program))
        return runnable(program) ? QDir::cleanPath(program) : QString();
    // A relative path with a folder in it would depend on our current folder.
    if (program.contains(u'/'))
        return {};
    for (const QString &dir : searchPath) {
        if (!QDir::isAbsolutePath(dir))
            continue;
        const QString candidate = QDir::cleanPath(dir + u'/' + program);
        if (runnable(candidate))
            return candidate;
    }
    return {};
}

// Quoting that the Windows command-line splitter reads back as one argument.
QString QuoteArgument(const QString &arg)
{
    if (!arg.isEmpty() && !arg.contains(u' ') && !arg.contains(u'\t') && !arg.contains(u'"'))
        return arg;
    QString out = QStringLiteral("\"");
    int slashes = 0;
    for (const QChar c : arg) {
        if (c == u'\\') {
            ++slashes;
            continue;
        }
        if (c == u'"')
            out += QString(slashes * 2 + 1, u'\\');
        else
            out += QString(slashes, u'\\');
        slashes = 0;
        out += c;
    }
    out += QString(slashes * 2, u'\\');
    out += u'"';
    return out;
}

const QString kFileMarker = QStringLiteral("\x01file");

// Expands the field codes of one argument. The file codes become kFileMarker
// when they stand alone; %f/%u inside an argument become %1 in place.
bool ExpandFieldCodes(const QString &arg, QString &out, int &fileCodes)
{
    if (arg.size() == 2 && arg.at(0) == u'%') {
        const char16_t code = arg.at(1).unicode();
        if (code == u'f' || code == u'F' || code == u'u' || code == u'U') {
            ++fileCodes;
            out = kFileMarker;
            return true;
        }
    }
    out.clear();
    for (qsizetype i = 0; i < arg.size(); ++i) {
        const QChar c = arg.at(i);
        if (c != u'%') {
            out += c;
            continue;
        }
        if (++i == arg.size())
            return false;
        switch (arg.at(i).unicode()) {
        case '%': out += u'%'; break;
        case 'f':
        case 'u':
            ++fileCodes;
            out += QStringLiteral("%1");
            break;
        // Deprecated or not meaningful without a launcher: dropped.
        case 'i': case 'c': case 'k':
        case 'd': case 'D': case 'n': case 'N': case 'v': case 'm':
            break;
        default:
            // %F and %U need an argument of their own; anything else is unknown.
            return false;
        }
    }
    return true;
}

} // namespace

XdgFolders XdgFolders::FromEnvironment()
{
    XdgFolders f;
    const QString home = QDir::homePath();
    f.configHome = EnvFolder("XDG_CONFIG_HOME", home + QStringLiteral("/.config"));
    f.dataHome = EnvFolder("XDG_DATA_HOME", home + QStringLiteral("/.local/share"));
    f.configDirs = AbsoluteOnly(EnvList("XDG_CONFIG_DIRS"));
    if (f.configDirs.isEmpty())
        f.configDirs = QStringList{QStringLiteral("/etc/xdg")};
    f.dataDirs = AbsoluteOnly(EnvList("XDG_DATA_DIRS"));
    if (f.dataDirs.isEmpty())
        f.dataDirs = QStringList{QStringLiteral("/usr/local/share"), QStringLiteral("/usr/share")};
    for (const QString &d : EnvList("XDG_CURRENT_DESKTOP"))
        f.desktops << d.toLower();
    f.searchPath = EnvList("PATH");
    return f;
}

QStringList XdgFolders::MimeAppsLists() const
{
    QStringList lists;
    auto add = [&](const QString &dir) {
        if (dir.isEmpty())
            return;
        for (const QString &d : desktops)
            lists << dir + u'/' + d + QStringLiteral("-mimeapps.list");
        lists << dir + QStringLiteral("/mimeapps.list");
    };
    add(configHome);
    for (const QString &d : configDirs)
        add(d);
    if (!dataHome.isEmpty())
        add(dataHome + QStringLiteral("/applications"));
    for (const QString &d : dataDirs)
        add(d + QStringLiteral("/applications"));
    return lists;
}

QStringList XdgFolders::ApplicationFolders() const
{
    QStringList dirs;
    if (!dataHome.isEmpty())
        dirs << dataHome + QStringLiteral("/applications");
    for (const QString &d : dataDirs)
        dirs << d + QStringLiteral("/applications");
    return dirs;
}

bool SplitExecLine(const QString &exec, QStringList &args)
{
    static const QString reserved = QStringLiteral("\"'\\><~|&;$*?#()`\n\r");
    args.clear();
    QString current;
    bool inArg = false;
    bool quoted = false;
    for (qsizetype i = 0; i < exec.size(); ++i) {
        const QChar c = exec.at(i);
        if (quoted) {
            if (c == u'"') {
                quoted = false;
            } else if (c == u'\\') {
                if (i + 1 == exec.size())
                    return false;
                const QChar n = exec.at(++i);
                if (n != u'"' && n != u'`' && n != u'$' && n != u'\\')
                    return false;
                current += n;
            } else if (c == u'`' || c == u'$') {
                return false;
            } else {
                current += c;
            }
            continue;
        }
        if (c == u' ' || c == u'\t') {
            if (inArg)
                args << current;
            current.clear();
            inArg = false;
        } else if (c == u'"') {
            quoted = true;
            inArg = true;
        } else if (reserved.contains(c)) {
            return false;
        } else {
            current += c;
            inArg = true;
        }
    }
    if (quoted)
        return false;
    if (inArg)
        args << current;
    return true;
}

bool ExecToCommandLine(const QString &rawExec, const QStringList &searchPath, QString &command)
{
    QStringList args;
    if (!SplitExecLine(DecodeStringValue(rawExec), args) || args.isEmpty())
        return false;
    if (args.first().contains(u'%'))
        return false;
    const QString program = FindProgram(args.first(), searchPath);
    if (program.isEmpty() || program.contains(u'"'))
        return false;

    QStringList parts{program.contains(u' ') || program.contains(u'\t')
                          ? u'"' + program + u'"'
                          : program};
    int fileCodes = 0;
    for (qsizetype i = 1; i < args.size(); ++i) {
        QString expanded;
        if (!ExpandFieldCodes(args.at(i), expanded, fileCodes) || fileCodes > 1)
            return false;
        if (expanded == kFileMarker)
            parts << QStringLiteral("\"%1\"");
        else if (!expanded.isEmpty() || args.at(i).isEmpty())
            parts << QuoteArgument(expanded);
    }
    command = parts.join(u' ');
    return true;
}

PdfAssociation::PdfAssociation(XdgFolders folders) : m_folders(std::move(folders)) {}

QString PdfAssociation::FindDesktopFile(const QString &desktopId) const
{
    if (!desktopId.endsWith(QStringLiteral(".desktop")) || desktopId.contains(u'/')
        || desktopId.startsWith(u'.'))
        return {};
    const QStringList folders = m_folders.ApplicationFolders();
    for (const QString &dir : folders) {
        const QString direct = dir + u'/' + desktopId;
        if (QFileInfo(direct).isFile())
            return direct;
        if (!desktopId.contains(u'-'))
            continue;
        // Files in subfolders have ids with the folder names joined by '-'.
        QDirIterator it(dir, QStringList{QStringLiteral("*.desktop")}, QDir::Files,
                        QDirIterator::Subdirectories);
        const QDir base(dir);
        while (it.hasNext()) {
            const QString path = it.next();
            const QString id = base.relativeFilePath(path).replace(u'/', u'-');
            if (id == desktopId)
                return path;
        }
    }
    return {};
}

bool PdfAssociation::IsInstalled(const QString &desktopId) const
{
    const QString path = FindDesktopFile(desktopId);
    if (path.isEmpty())
        return false;
    const auto entry = ReadKeyFile(path).value(QStringLiteral("Desktop Entry"));
    if (entry.value(QStringLiteral("Type")) != QStringLiteral("Application"))
        return false;
    if (entry.value(QStringLiteral("Hidden")) == QStringLiteral("true"))
        return false;
    const QString tryExec = DecodeStringValue(entry.value(QStringLiteral("TryExec")));
    return tryExec.isEmpty() || !FindProgram(tryExec, m_folders.searchPath).isEmpty();
}

QString PdfAssociation::DefaultApplication(const QString &mimeType) const
{
    const QString mime = mimeType.toLower();
    struct ListFile {
        QStringList defaults, added, removed;
    };
    auto entriesFor = [&](const QHash<QString, QString> &group) {
        for (auto it = group.begin(); it != group.end(); ++it)
            if (it.key().toLower() == mime)
                return SplitList(it.value());
        return QStringList();
    };
    QList<ListFile> files;
    for (const QString &path : m_folders.MimeAppsLists()) {
        if (!QFileInfo(path).isFile())
            continue;
        const Groups g = ReadKeyFile(path);
        files.append({entriesFor(g.value(QStringLiteral("Default Applications"))),
                      entriesFor(g.value(QStringLiteral("Added Associations"))),
                      entriesFor(g.value(QStringLiteral("Removed Associations")))});
    }

    // A removal speaks for its own file's additions and everything a less
    // important file or cache says; an explicit default in the same file stands.
    QSet<QString> removed;
    for (const ListFile &f : std::as_const(files)) {
        for (const QString &id : f.defaults)
            if (!removed.contains(id) && IsInstalled(id))
                return id;
        for (const QString &id : f.removed)
            removed.insert(id);
    }
    removed.clear();
    for (const ListFile &f : std::as_const(files)) {
        for (const QString &id : f.removed)
            removed.insert(id);
        for (const QString &id : f.added)
            if (!removed.contains(id) && IsInstalled(id))
                return id;
    }
    for (const QString &dir : m_folders.ApplicationFolders()) {
        const Groups g = ReadKeyFile(dir + QStringLiteral("/mimeinfo.cache"));
        for (const QString &id : entriesFor(g.value(QStringLiteral("MIME Cache"))))
            if (!removed.contains(id) && IsInstalled(id))
                return id;
    }
    return {};
}

bool PdfAssociation::OpenCommand(const QString &desktopId, QString &command) const
{
    const QString path = FindDesktopFile(desktopId);
    if (path.isEmpty())
        return false;
    const auto entry = ReadKeyFile(path).value(QStringLiteral("Desktop Entry"));
    const QString exec = entry.value(QStringLiteral("Exec"));
    if (exec.isEmpty())
        return false;
    return ExecToCommandLine(exec, m_folders.searchPath, command);
}

} // namespace vv
