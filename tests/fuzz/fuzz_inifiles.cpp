// Fuzz target for the profile-file calls: any file content must neither crash
// them nor break the round trip of a write, a read and a delete.
// Built with clang's libFuzzer, or as a driver that replays the files named
// on its command line (the seed corpus in corpus/).

#include "IniFiles.h"

#include <QFile>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

QString File()
{
    static QTemporaryDir dir;
    return dir.filePath(QStringLiteral("fuzz.dat"));
}

void Check(bool ok, const char *what)
{
    if (!ok) {
        std::fprintf(stderr, "broken: %s\n", what);
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const QString file = File();
    QFile out(file);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate) || out.write(bytes) != bytes.size())
        return 0;
    out.close();

    // Names taken from the input reach the odd corners of the parser.
    const QString section = QString::fromLatin1(bytes.left(8));
    const QString key = QString::fromLatin1(bytes.mid(8, 8));
    vv::ReadIniValue(file, section, key);
    vv::ReadIniValue(file, "S", "k");

    Check(vv::WriteIniValue(file, "Fz", "Schl\u00fcssel", "Wert") != 0, "write");
    Check(vv::ReadIniValue(file, "FZ", "SCHL\u00dcSSEL") == "Wert", "read after write");
    Check(vv::DeleteIniKey(file, "fz", "schl\u00fcssel") != 0, "delete key");
    Check(vv::ReadIniValue(file, "Fz", "Schl\u00fcssel").isEmpty(), "read after delete");
    Check(vv::DeleteIniSection(file, "Fz") != 0, "delete section");
    return 0;
}

#ifdef VV_FUZZ_REPLAY
int main(int argc, char **argv)
{
    for (int i = 1; i < argc; ++i) {
        QFile in(QString::fromLocal8Bit(argv[i]));
        if (!in.open(QIODevice::ReadOnly))
            continue;
        const QByteArray bytes = in.readAll();
        LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t *>(bytes.constData()), size_t(bytes.size()));
    }
    std::printf("%d files replayed\n", argc - 1);
    return 0;
}
#endif
