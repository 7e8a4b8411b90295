// Fuzz target for the profile-file writes: on any file content, a write of
// names taken from the file reads back, a delete of the key and then of the
// section reads back empty, and no other entry changes on the way. Names the
// file could never give back are refused and leave the file as it was.
// Works in a private folder in memory (/dev/shm where there is one), so the
// flush of every replace costs nothing.

#include "FuzzProbes.h"
#include "IniFiles.h"

#include <QDir>
#include <QFile>
#include <QStringDecoder>
#include <QTemporaryDir>

#include <cstdint>
#include <vector>

namespace {

QString File()
{
    static QTemporaryDir dir((QDir(QStringLiteral("/dev/shm")).exists() ? QStringLiteral("/dev/shm") : QDir::tempPath())
                             + QStringLiteral("/vv-fuzz-XXXXXX"));
    fuzz::Check(dir.isValid(), "no temporary folder");
    return dir.filePath(QStringLiteral("User.dat"));
}

QByteArray Contents(const QString &file)
{
    QFile in(file);
    fuzz::Check(in.open(QIODevice::ReadOnly), "file gone");
    return in.readAll();
}

bool HasBreak(const QString &name)
{
    return name.contains(u'\r') || name.contains(u'\n') || name.contains(QChar(0));
}

bool ValidKey(const QString &key)
{
    const QString k = fuzz::Trimmed(key);
    return !k.isEmpty() && !HasBreak(k) && !k.contains(u'=') && k[0] != u';' && k[0] != u'[';
}

// A value that reads back exactly as written: no blanks or quotes a read
// would strip, nothing a read or write would cut.
bool Plain(const QString &v)
{
    const bool quoted = v.size() >= 2 && (v[0] == u'"' || v[0] == u'\'') && v.back() == v[0];
    return !v.isEmpty() && v.size() <= 254 && fuzz::Trimmed(v) == v && !quoted && !HasBreak(v)
        && vv::FromCp1252(vv::ToCp1252(v)) == v;
}

struct Probe {
    QString section, key, value;
};

bool ReadsAsUtf8(const QByteArray &bytes)
{
    bool nonAscii = false;
    for (const char c : bytes)
        nonAscii = nonAscii || (static_cast<unsigned char>(c) & 0x80);
    if (!nonAscii)
        return false;
    // Stateless: a sequence cut off at the end is an error, not pending input.
    QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    const QString text = utf8.decode(bytes);
    return !utf8.hasError();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const QString file = File();
    {
        QFile out(file);
        fuzz::Check(out.open(QIODevice::WriteOnly | QIODevice::Truncate) && out.write(bytes) == bytes.size(),
                    "cannot write the input");
    }

    // Write the last entry's key into the first entry's section, or, for one
    // input length in three, into a section named like that key, mostly new.
    const std::vector<fuzz::Entry> entries = fuzz::Spread(fuzz::Entries(fuzz::Text(bytes)), 4);
    const QString key = entries.empty() ? QStringLiteral("k") : entries.back().key;
    const QString section = entries.empty() ? QStringLiteral("S") : size % 3 == 0 ? key : entries.front().section;
    const QString value = !entries.empty() && Plain(entries.front().key) ? entries.front().key : QStringLiteral("Wert");

    std::vector<Probe> probes;
    for (size_t i = 0; i < entries.size(); ++i) {
        const QString &s = entries[i].section;
        for (const QString &k : {entries[i].key, entries[(i + 1) % entries.size()].key})
            probes.push_back({s, k, vv::ReadIniValueFromBytes(bytes, s, k)});
    }
    // Every entry but the one just changed reads as before; those of a deleted
    // section read empty. A change that makes the file valid UTF-8, or no
    // longer so, changes how its other non-ASCII bytes read: that is how the
    // two charsets are told apart, so such a change is not compared.
    const auto othersUnchanged = [&](const char *what, bool sectionGone) {
        const QByteArray now = Contents(file);
        if (ReadsAsUtf8(now) != ReadsAsUtf8(bytes))
            return now;
        for (const Probe &p : probes) {
            const bool inSection = fuzz::SameName(p.section, section);
            if (inSection && (sectionGone || fuzz::SameName(p.key, key)))
                continue;
            fuzz::Check(vv::ReadIniValueFromBytes(now, p.section, p.key) == p.value, what);
        }
        return now;
    };

    const int written = vv::WriteIniValue(file, section, key, value);
    if (HasBreak(section) || !ValidKey(key)) {
        fuzz::Check(written == 0, "write of a name the file cannot hold");
        fuzz::Check(Contents(file) == bytes, "refused write changed the file");
        return 0;
    }
    fuzz::Check(written != 0, "write");
    QByteArray now = othersUnchanged("write changed another entry", false);
    if (ReadsAsUtf8(now) != ReadsAsUtf8(bytes))
        return 0; // the written value itself now reads in the other charset
    fuzz::Check(vv::ReadIniValueFromBytes(now, section, key) == value, "read after write");

    fuzz::Check(vv::DeleteIniKey(file, section, key) != 0, "delete key");
    now = othersUnchanged("key delete changed another entry", false);
    fuzz::Check(vv::ReadIniValueFromBytes(now, section, key).isEmpty(), "read after key delete");

    fuzz::Check(vv::DeleteIniSection(file, section) != 0, "delete section");
    now = othersUnchanged("section delete changed another section", true);
    for (const Probe &p : probes) {
        if (fuzz::SameName(p.section, section))
            fuzz::Check(vv::ReadIniValueFromBytes(now, p.section, p.key).isEmpty(), "read after section delete");
    }
    return 0;
}
