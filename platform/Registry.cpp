#include "Registry.h"

#include "DataFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QSaveFile>

#include <optional>
#include <utility>

namespace vv {
namespace {

const QString kClassesPrefix = QStringLiteral("Software\\Classes\\");
const QString kOpenCommandSuffix = QStringLiteral("\\Shell\\Open\\Command");
const QString kDefaultName = QStringLiteral("@");

QString NormalizeKey(const QString &keyPath)
{
    QString k = keyPath.trimmed();
    while (k.startsWith(u'\\'))
        k.remove(0, 1);
    while (k.endsWith(u'\\'))
        k.chop(1);
    return k;
}

bool SameName(QStringView a, QStringView b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

bool NeedsQuotes(const QString &text, bool isName)
{
    if (text.isEmpty())
        return false;
    if (text.front().isSpace() || text.back().isSpace() || text.front() == u'"')
        return true;
    for (const QChar c : text)
        if (c.unicode() < 0x20 || c.unicode() == 0x7f)
            return true;
    if (isName) {
        if (text == kDefaultName || text.contains(u'=') || text.front() == u'['
            || text.front() == u';' || text.front() == u'#')
            return true;
    }
    return false;
}

QString Encode(const QString &text, bool isName)
{
    if (isName && text.isEmpty())
        return kDefaultName;
    if (!NeedsQuotes(text, isName))
        return text;
    QString out = QStringLiteral("\"");
    for (const QChar c : text) {
        switch (c.unicode()) {
        case '"': out += QStringLiteral("\\\""); break;
        case '\\': out += QStringLiteral("\\\\"); break;
        case '\n': out += QStringLiteral("\\n"); break;
        case '\r': out += QStringLiteral("\\r"); break;
        case '\t': out += QStringLiteral("\\t"); break;
        case 0: out += QStringLiteral("\\0"); break;
        default:
            if (c.unicode() < 0x20 || c.unicode() == 0x7f)
                out += QStringLiteral("\\x%1").arg(c.unicode(), 2, 16, QLatin1Char('0'));
            else
                out += c;
        }
    }
    out += u'"';
    return out;
}

// Reads a quoted text starting at pos (on the opening quote). Returns the
// position behind the closing quote, or -1 when there is none. Unknown
// escapes keep their backslash, so hand-written paths survive.
qsizetype DecodeQuoted(QStringView s, qsizetype pos, QString &out)
{
    out.clear();
    for (qsizetype i = pos + 1; i < s.size(); ++i) {
        const QChar c = s.at(i);
        if (c == u'"')
            return i + 1;
        if (c != u'\\' || i + 1 == s.size()) {
            out += c;
            continue;
        }
        const QChar n = s.at(i + 1);
        switch (n.unicode()) {
        case '"': out += u'"'; ++i; break;
        case '\\': out += u'\\'; ++i; break;
        case 'n': out += u'\n'; ++i; break;
        case 'r': out += u'\r'; ++i; break;
        case 't': out += u'\t'; ++i; break;
        case '0': out += QChar(0); ++i; break;
        case 'x': {
            bool ok = false;
            const ushort code = s.mid(i + 2, 2).toUShort(&ok, 16);
            if (ok && i + 3 < s.size()) {
                out += QChar(code);
                i += 3;
            } else {
                out += c;
            }
            break;
        }
        default: out += c; break;
        }
    }
    return -1;
}

struct Entry {
    QString name;  // "" = default value
    QString value;
};

// One line of a store: a section header, an entry or nothing.
struct Line {
    enum Kind { Other, Section, Value } kind = Other;
    QString section;
    Entry entry;
};

Line ParseLine(QStringView raw)
{
    Line line;
    const QStringView t = raw.trimmed();
    if (t.isEmpty() || t.front() == u';' || t.front() == u'#')
        return line;
    if (t.front() == u'[') {
        const qsizetype end = t.lastIndexOf(u']');
        if (end > 0) {
            line.kind = Line::Section;
            line.section = NormalizeKey(t.mid(1, end - 1).toString());
        }
        return line;
    }
    qsizetype eq;
    if (t.front() == u'"') {
        const qsizetype after = DecodeQuoted(t, 0, line.entry.name);
        if (after < 0)
            return line;
        eq = after;
        while (eq < t.size() && t.at(eq).isSpace())
            ++eq;
        if (eq >= t.size() || t.at(eq) != u'=')
            return line;
    } else {
        eq = t.indexOf(u'=');
        if (eq <= 0)
            return line;
        line.entry.name = t.left(eq).trimmed().toString();
        if (line.entry.name == kDefaultName)
            line.entry.name.clear();
    }
    const QStringView v = t.mid(eq + 1).trimmed();
    if (v.size() >= 2 && v.front() == u'"' && v.back() == u'"'
        && DecodeQuoted(v, 0, line.entry.value) == v.size()) {
        // decoded in place
    } else {
        line.entry.value = v.toString();
    }
    line.kind = Line::Value;
    return line;
}

// A store that is no regular file of sane size reads as empty and is not
// written (ok false).
QStringList ReadLines(const QString &path, bool *ok = nullptr)
{
    DataFileContent in = ReadDataFile(path);
    if (ok)
        *ok = in.ok;
    QByteArray &bytes = in.bytes;
    if (bytes.startsWith("\xEF\xBB\xBF"))
        bytes.remove(0, 3);
    QStringList lines = QString::fromUtf8(bytes).split(u'\n');
    if (!lines.isEmpty() && lines.back().isEmpty())
        lines.removeLast();
    return lines;
}

std::optional<QString> LookUp(const QString &path, const QString &key, const QString &name)
{
    bool inSection = false;
    for (const QString &raw : ReadLines(path)) {
        const Line line = ParseLine(raw);
        if (line.kind == Line::Section)
            inSection = SameName(line.section, key);
        else if (line.kind == Line::Value && inSection && SameName(line.entry.name, name))
            return line.entry.value;
    }
    return std::nullopt;
}

} // namespace

Registry::Registry(QString userStorePath, QStringList systemStorePaths, XdgFolders desktop)
    : m_userStore(std::move(userStorePath)),
      m_systemStores(std::move(systemStorePaths)),
      m_association(std::move(desktop))
{
}

Registry Registry::FromEnvironment(const QString &installDir)
{
    XdgFolders xdg = XdgFolders::FromEnvironment();
    const QString tail = QStringLiteral("/Veltrano/Ordinalis.conf");
    QStringList system;
    for (const QString &d : xdg.configDirs)
        system << d + tail;
    if (!installDir.isEmpty())
        system << installDir + QStringLiteral("/Ordinalis.conf");
    const QString user = xdg.configHome + tail;
    return Registry(user, system, std::move(xdg));
}

bool Registry::ReadAssociation(const QString &keyPath, const QString &valueName, QString &value,
                               bool &handled) const
{
    handled = false;
    if (!keyPath.startsWith(kClassesPrefix, Qt::CaseInsensitive))
        return false;
    const QString rest = keyPath.mid(kClassesPrefix.size());
    if (SameName(rest, u".pdf")) {
        handled = true;
        if (!valueName.isEmpty())
            return false;
        const QString id = m_association.DefaultApplication();
        if (id.isEmpty())
            return false;
        value = id;
        return true;
    }
    if (rest.endsWith(kOpenCommandSuffix, Qt::CaseInsensitive)) {
        handled = true;
        const QString type = rest.left(rest.size() - kOpenCommandSuffix.size());
        if (!valueName.isEmpty() || type.isEmpty())
            return false;
        QString command;
        if (!m_association.OpenCommand(type, command))
            return false;
        value = command;
        return true;
    }
    return false;
}

bool Registry::ReadRegistryValue(const QString &keyPath, const QString &valueName,
                                 QString &value) const
{
    const QString key = NormalizeKey(keyPath);
    if (key.isEmpty())
        return false;
    bool handled = false;
    const bool found = ReadAssociation(key, valueName, value, handled);
    if (handled)
        return found;
    if (auto v = LookUp(m_userStore, key, valueName)) {
        value = *v;
        return true;
    }
    for (const QString &store : m_systemStores) {
        if (auto v = LookUp(store, key, valueName)) {
            value = *v;
            return true;
        }
    }
    return false;
}

namespace {

// Where a value goes in the store's lines.
struct Place {
    qsizetype sectionAt = -1;
    qsizetype lastEntryAt = -1;
    qsizetype valueAt = -1;
    QString storedName;
    QString cr; // the store's line ends
};

Place Locate(const QStringList &lines, const QString &key, const QString &valueName)
{
    Place place;
    place.storedName = valueName;
    if (!lines.isEmpty() && lines.front().endsWith(u'\r'))
        place.cr = QStringLiteral("\r");
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const Line line = ParseLine(lines.at(i));
        if (line.kind == Line::Section) {
            if (place.sectionAt >= 0)
                break;
            if (SameName(line.section, key))
                place.sectionAt = place.lastEntryAt = i;
        } else if (line.kind == Line::Value && place.sectionAt >= 0) {
            place.lastEntryAt = i;
            if (SameName(line.entry.name, valueName)) {
                place.valueAt = i;
                place.storedName = line.entry.name;
                break;
            }
        }
    }
    return place;
}

QString EntryLine(const Place &place, const QString &value)
{
    return Encode(place.storedName, true) + u'=' + Encode(value, false) + place.cr;
}

} // namespace

bool Registry::WriteRegistryValue(const QString &keyPath, const QString &valueName,
                                  const QString &value)
{
    const QString key = NormalizeKey(keyPath);
    if (key.isEmpty() || m_userStore.isEmpty()
        || key.startsWith(kClassesPrefix, Qt::CaseInsensitive)
        || SameName(key, u"Software\\Classes"))
        return false;

    const QFileInfo info(m_userStore);
    // Most writes store what is there already (the window's place at every
    // end): those leave the store, and the disk, alone.
    if (info.isFile() && info.isWritable()) {
        bool readOk = false;
        const QStringList lines = ReadLines(m_userStore, &readOk);
        const Place place = Locate(lines, key, valueName);
        if (readOk && place.valueAt >= 0 && lines.at(place.valueAt) == EntryLine(place, value))
            return true;
    }
    if (!QDir().mkpath(info.absolutePath()))
        return false;
    // Two windows of one user may write at the same moment.
    QLockFile lock(m_userStore + QStringLiteral(".lock"));
    lock.setStaleLockTime(10000);
    if (!lock.tryLock(5000))
        return false;
    // The rename would replace a read-only store regardless of its mode.
    if (info.exists() && (!info.isFile() || !info.isWritable()))
        return false;

    bool readOk = false;
    QStringList lines = ReadLines(m_userStore, &readOk);
    if (!readOk)
        return false;
    const Place place = Locate(lines, key, valueName);
    const QString entry = EntryLine(place, value);
    if (place.valueAt >= 0) {
        lines[place.valueAt] = entry;
    } else if (place.sectionAt >= 0) {
        lines.insert(place.lastEntryAt + 1, entry);
    } else {
        if (!lines.isEmpty() && !lines.back().trimmed().isEmpty())
            lines << place.cr;
        lines << u'[' + key + u']' + place.cr << entry;
    }
    QSaveFile out(m_userStore);
    if (!out.open(QIODevice::WriteOnly))
        return false;
    out.write((lines.join(u'\n') + u'\n').toUtf8());
    return out.commit();
}

} // namespace vv
