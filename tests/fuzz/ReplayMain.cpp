// Without libFuzzer (other compilers than clang) a fuzz target replays the
// files, or the files in the folders, named on its command line.

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstdint>
#include <cstdio>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size);

namespace {

int Replay(const QString &path)
{
    if (QFileInfo(path).isDir()) {
        int count = 0;
        for (const QFileInfo &entry : QDir(path).entryInfoList(QDir::Files, QDir::Name))
            count += Replay(entry.filePath());
        return count;
    }
    QFile in(path);
    if (!in.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray bytes = in.readAll();
    LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t *>(bytes.constData()), size_t(bytes.size()));
    return 1;
}

} // namespace

int main(int argc, char **argv)
{
    int count = 0;
    for (int i = 1; i < argc; ++i)
        count += Replay(QString::fromLocal8Bit(argv[i]));
    std::printf("%d files replayed\n", count);
    return 0;
}
