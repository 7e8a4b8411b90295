// Fuzz target for the profile-file read: any file content, looked up with
// names taken from it, gives a value the Windows call could give, and the
// same value for the names with blanks around them or another letter case;
// many names read at once give what each gives alone.
// Parses from memory, so a run tries many inputs of up to 64 KB.

#include "FuzzProbes.h"
#include "IniFiles.h"

#include <cstdint>

namespace {

QString SwapAsciiCase(QString s)
{
    for (QChar &c : s) {
        if (c >= u'a' && c <= u'z')
            c = QChar(c.unicode() - 32);
        else if (c >= u'A' && c <= u'Z')
            c = QChar(c.unicode() + 32);
    }
    return s;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // No copy: a read past the input's end is caught at its last byte.
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
    const std::vector<fuzz::Entry> entries = fuzz::Spread(fuzz::Entries(fuzz::Text(bytes)), 4);
    for (size_t i = 0; i < entries.size(); ++i) {
        // The entry itself, and its section with the next entry's key.
        const QString &section = entries[i].section;
        for (const QString &key : {entries[i].key, entries[(i + 1) % entries.size()].key}) {
            const QString value = vv::ReadIniValueFromBytes(bytes, section, key);
            fuzz::Check(value.size() <= 254, "value longer than 254 characters");
            fuzz::Check(!value.contains(QChar(0)) && !value.contains(u'\r') && !value.contains(u'\n'),
                        "value holds a NUL or a line break");
            fuzz::Check(vv::ReadIniValueFromBytes(bytes, " \t" + SwapAsciiCase(section) + "\t ", SwapAsciiCase(key)) == value,
                        "blanks or letter case of a name change the value");
        }
    }
    // Enough names for the lookup by folded name, each also in other letter case.
    QList<vv::IniKey> many;
    for (const fuzz::Entry &e : fuzz::Spread(fuzz::Entries(fuzz::Text(bytes)), 16)) {
        many.append({e.section, e.key});
        many.append({SwapAsciiCase(e.section), SwapAsciiCase(e.key)});
    }
    while (!many.isEmpty() && many.size() < 32)
        many.append(many[many.size() % 2]);
    const QStringList values = vv::ReadIniValuesFromBytes(bytes, many);
    for (qsizetype i = 0; i < many.size(); ++i)
        fuzz::Check(values[i] == vv::ReadIniValueFromBytes(bytes, many[i].section, many[i].key),
                    "a read of many names differs from the read of one");
    return 0;
}
