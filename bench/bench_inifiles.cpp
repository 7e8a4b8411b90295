// Cost of the profile-file calls on a large user file (5,000 help texts) next
// to what the hardware needs for the same work: reading the file and finding
// the key with memmem, or reading, patching and replacing the file with the
// same two fsyncs. libinih parses the same file for comparison. Every call
// rereads or rewrites the whole file; nothing is cached.
//
// After the runs a table gives each call's time as a multiple of its
// reference (the fastest of the repetitions on both sides), by wall-clock and
// by CPU time: on a busy machine the CPU time of a read is the steadier
// figure, while a write's waits for the disk show in wall-clock time only.

#include "Cp1252.h"
#include "IniFiles.h"

#include <QByteArray>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>
#include <ini.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <map>
#include <string>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr int kEntries = 5000;

QString g_file;
QString g_folder;
std::vector<QString> g_scaled; // files of growing size, the key near the end
std::vector<int> g_scaledEntries;
const std::vector<double> kScaledMB = {0.5, 2.1, 4.2, 8.4, 16.0};

QString DocumentName(int i, int width = 4)
{
    return QStringLiteral("Dokument %1.pdf").arg(i, width, 10, QLatin1Char('0'));
}

QByteArray InfoLine(int i, int width = 4)
{
    return vv::ToCp1252(DocumentName(i, width)) + "=Hilfetext zum Formular Nr. " + QByteArray::number(i)
         + ", bitte vollst\xE4ndig ausf\xFCllen und unterschreiben.\r\n";
}

QByteArray UserFile(int entries, int width = 4)
{
    QByteArray out = "[SET]\r\nBAusdrucken=0\r\n[CAT]\r\n";
    for (int i = 1; i <= 9; ++i)
        out += "0" + QByteArray::number(i) + "=Kategorie " + QByteArray::number(i) + "\r\n";
    out += "[DIR]\r\n";
    for (int i = 1; i <= 9; ++i)
        out += "0" + QByteArray::number(i) + "=\\Kategorie " + QByteArray::number(i) + "\r\n";
    out += "[INFO]\r\n";
    for (int i = 0; i < entries; ++i)
        out += InfoLine(i, width);
    return out;
}

bool Save(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

// The least a reader can do: open, read exactly the file's size, close.
QByteArray RawRead(const char *path)
{
    const int fd = ::open(path, O_RDONLY | O_CLOEXEC);
    struct stat st {};
    QByteArray bytes;
    if (fd < 0 || ::fstat(fd, &st) != 0)
        return bytes;
    bytes = QByteArray(qsizetype(st.st_size), Qt::Uninitialized);
    qsizetype got = 0;
    while (got < bytes.size()) {
        const ssize_t n = ::read(fd, bytes.data() + got, size_t(bytes.size() - got));
        if (n <= 0)
            break;
        got += n;
    }
    ::close(fd);
    bytes.truncate(got);
    return bytes;
}

// The value behind "\r\n<key>=", found with memmem.
QByteArray RawLookUp(const QByteArray &bytes, const QByteArray &needle)
{
    const char *hit = static_cast<const char *>(memmem(bytes.constData(), size_t(bytes.size()), needle.constData(),
                                                       size_t(needle.size())));
    if (!hit)
        return QByteArray();
    const char *value = hit + needle.size();
    const char *end = static_cast<const char *>(std::memchr(value, '\r', size_t(bytes.constData() + bytes.size() - value)));
    return QByteArray(value, end ? end - value : 0);
}

void BM_ReadIniValueNearEnd(benchmark::State &state)
{
    const QString key = DocumentName(kEntries - 10);
    for (auto _ : state)
        benchmark::DoNotOptimize(vv::ReadIniValue(g_file, "INFO", key));
}
BENCHMARK(BM_ReadIniValueNearEnd)->Unit(benchmark::kMicrosecond);

void BM_ReadIniValueFirstSection(benchmark::State &state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(vv::ReadIniValue(g_file, "SET", "BAusdrucken"));
}
BENCHMARK(BM_ReadIniValueFirstSection)->Unit(benchmark::kMicrosecond);

std::vector<vv::IniKey> CategoryKeys()
{
    std::vector<vv::IniKey> keys;
    for (int i = 1; i <= 9; ++i)
        keys.push_back({QStringLiteral("CAT"), QStringLiteral("0%1").arg(i)});
    return keys;
}

void BM_ReadIniValuesNineCategories(benchmark::State &state)
{
    const auto list = CategoryKeys();
    const QList<vv::IniKey> keys(list.begin(), list.end());
    for (auto _ : state)
        benchmark::DoNotOptimize(vv::ReadIniValues(g_file, keys));
}
BENCHMARK(BM_ReadIniValuesNineCategories)->Unit(benchmark::kMicrosecond);

void BM_ReadIniValueNineTimes(benchmark::State &state)
{
    const auto keys = CategoryKeys();
    for (auto _ : state) {
        for (const vv::IniKey &k : keys)
            benchmark::DoNotOptimize(vv::ReadIniValue(g_file, k.section, k.key));
    }
}
BENCHMARK(BM_ReadIniValueNineTimes)->Unit(benchmark::kMicrosecond);

void BM_RefReadFile(benchmark::State &state)
{
    const QByteArray path = QFile::encodeName(g_file);
    for (auto _ : state)
        benchmark::DoNotOptimize(RawRead(path.constData()));
}
BENCHMARK(BM_RefReadFile)->Unit(benchmark::kMicrosecond);

void BM_RefReadFileMemmemNearEnd(benchmark::State &state)
{
    const QByteArray path = QFile::encodeName(g_file);
    const QByteArray needle = "\r\n" + vv::ToCp1252(DocumentName(kEntries - 10)) + "=";
    for (auto _ : state)
        benchmark::DoNotOptimize(RawLookUp(RawRead(path.constData()), needle));
}
BENCHMARK(BM_RefReadFileMemmemNearEnd)->Unit(benchmark::kMicrosecond);

struct InihQuery {
    const char *section;
    const char *key;
    std::string value;
    bool found = false;
};

int InihHandler(void *user, const char *section, const char *name, const char *value)
{
    auto *q = static_cast<InihQuery *>(user);
    if (!q->found && strcasecmp(section, q->section) == 0 && strcasecmp(name, q->key) == 0) {
        q->value = value;
        q->found = true;
    }
    return 1;
}

void Inih(benchmark::State &state, const char *section, const QString &key)
{
    const QByteArray path = QFile::encodeName(g_file);
    const QByteArray k = key.toLatin1();
    for (auto _ : state) {
        InihQuery q{section, k.constData(), std::string(), false};
        ini_parse(path.constData(), InihHandler, &q);
        benchmark::DoNotOptimize(q.value);
    }
}

void BM_InihNearEnd(benchmark::State &state)
{
    Inih(state, "INFO", DocumentName(kEntries - 10));
}
BENCHMARK(BM_InihNearEnd)->Unit(benchmark::kMicrosecond);

void BM_InihFirstSection(benchmark::State &state)
{
    Inih(state, "SET", QStringLiteral("BAusdrucken"));
}
BENCHMARK(BM_InihFirstSection)->Unit(benchmark::kMicrosecond);

void BM_WriteIniValueExisting(benchmark::State &state)
{
    const QString key = DocumentName(kEntries / 2);
    int n = 0;
    for (auto _ : state) // a new value each time, so every call rewrites the file
        benchmark::DoNotOptimize(vv::WriteIniValue(g_file, "INFO", key, QString::number(++n % 1000)));
}
BENCHMARK(BM_WriteIniValueExisting)->Unit(benchmark::kMicrosecond);

void BM_WriteIniValueUnchanged(benchmark::State &state)
{
    const QString key = DocumentName(kEntries / 2);
    vv::WriteIniValue(g_file, "INFO", key, "gleich");
    for (auto _ : state)
        benchmark::DoNotOptimize(vv::WriteIniValue(g_file, "INFO", key, "gleich"));
}
BENCHMARK(BM_WriteIniValueUnchanged)->Unit(benchmark::kMicrosecond);

bool SyncFolder(const char *folder)
{
    const int fd = ::open(folder, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    const bool ok = fd >= 0 && ::fsync(fd) == 0;
    if (fd >= 0)
        ::close(fd);
    return ok;
}

// What a safe replace of the file needs at least: read, patch the value,
// write a sibling, flush it, rename it over the file, flush the folder.
void BM_RefWriteReplace(benchmark::State &state)
{
    const QByteArray path = QFile::encodeName(g_file);
    const QByteArray temp = path + ".ref.part";
    const QByteArray folder = QFile::encodeName(g_folder);
    const QByteArray needle = "\r\n" + vv::ToCp1252(DocumentName(kEntries / 2)) + "=";
    int n = 0;
    for (auto _ : state) {
        QByteArray bytes = RawRead(path.constData());
        const qsizetype at = bytes.indexOf(needle);
        const qsizetype valueAt = at + needle.size();
        const qsizetype end = bytes.indexOf('\r', valueAt);
        if (at < 0 || end < 0) {
            state.SkipWithError("key missing");
            break;
        }
        bytes.replace(valueAt, end - valueAt, QByteArray::number(++n % 1000));
        const int fd = ::open(temp.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        const bool ok = fd >= 0 && ::write(fd, bytes.constData(), size_t(bytes.size())) == ssize_t(bytes.size())
                     && ::fsync(fd) == 0;
        if (fd >= 0)
            ::close(fd);
        if (!ok || ::rename(temp.constData(), path.constData()) != 0 || !SyncFolder(folder.constData())) {
            state.SkipWithError("write failed");
            break;
        }
    }
}
BENCHMARK(BM_RefWriteReplace)->Unit(benchmark::kMicrosecond);

void BM_ReadIniValueNearEndScaled(benchmark::State &state)
{
    const QString &file = g_scaled[size_t(state.range(0))];
    const int entries = g_scaledEntries[size_t(state.range(0))];
    const QString key = DocumentName(entries - 10, 6);
    for (auto _ : state)
        benchmark::DoNotOptimize(vv::ReadIniValue(file, "INFO", key));
    state.SetBytesProcessed(state.iterations() * QFileInfo(file).size());
}
BENCHMARK(BM_ReadIniValueNearEndScaled)->DenseRange(0, 4)->Unit(benchmark::kMicrosecond);

void BM_RefReadFileMemmemScaled(benchmark::State &state)
{
    const QString &file = g_scaled[size_t(state.range(0))];
    const int entries = g_scaledEntries[size_t(state.range(0))];
    const QByteArray path = QFile::encodeName(file);
    const QByteArray needle = "\r\n" + vv::ToCp1252(DocumentName(entries - 10, 6)) + "=";
    for (auto _ : state)
        benchmark::DoNotOptimize(RawLookUp(RawRead(path.constData()), needle));
    state.SetBytesProcessed(state.iterations() * QFileInfo(file).size());
}
BENCHMARK(BM_RefReadFileMemmemScaled)->DenseRange(0, 4)->Unit(benchmark::kMicrosecond);

// Prints the usual table, remembers the fastest run of each benchmark and
// ends with the ratios.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run> &runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run &r : runs) {
            if (r.run_type != Run::RT_Iteration || r.error_occurred)
                continue;
            const std::string name = r.run_name.function_name + (r.run_name.args.empty() ? "" : "/" + r.run_name.args);
            const Time t{r.real_accumulated_time / double(r.iterations) * 1e6,
                         r.cpu_accumulated_time / double(r.iterations) * 1e6};
            auto it = m_best.find(name);
            if (it == m_best.end()) {
                m_best[name] = t;
            } else {
                it->second.real = std::min(it->second.real, t.real);
                it->second.cpu = std::min(it->second.cpu, t.cpu);
            }
        }
    }

    void Finalize() override
    {
        ConsoleReporter::Finalize();
        std::printf("\n%-46s %9s %9s %6s %9s %9s %6s\n", "call / reference (fastest runs)", "call us", "ref us",
                    "ratio", "call cpu", "ref cpu", "ratio");
        Ratio("ReadIniValue near end / read+memmem", "BM_ReadIniValueNearEnd", "BM_RefReadFileMemmemNearEnd");
        Ratio("ReadIniValue first section / read", "BM_ReadIniValueFirstSection", "BM_RefReadFile");
        Ratio("libinih near end / ReadIniValue", "BM_InihNearEnd", "BM_ReadIniValueNearEnd");
        Ratio("libinih first section / ReadIniValue", "BM_InihFirstSection", "BM_ReadIniValueFirstSection");
        Ratio("ReadIniValues 9 keys / read", "BM_ReadIniValuesNineCategories", "BM_RefReadFile");
        Ratio("ReadIniValue 9 times / ReadIniValues", "BM_ReadIniValueNineTimes", "BM_ReadIniValuesNineCategories");
        Ratio("WriteIniValue existing / replace ref", "BM_WriteIniValueExisting", "BM_RefWriteReplace");
        Ratio("WriteIniValue unchanged / read", "BM_WriteIniValueUnchanged", "BM_RefReadFile");
        for (size_t i = 0; i < kScaledMB.size(); ++i) {
            char label[64];
            std::snprintf(label, sizeof label, "near end, %.1f MB / read+memmem", kScaledMB[i]);
            const std::string arg = "/" + std::to_string(i);
            Ratio(label, "BM_ReadIniValueNearEndScaled" + arg, "BM_RefReadFileMemmemScaled" + arg);
        }
        for (size_t i = 0; i < kScaledMB.size(); ++i) {
            const auto it = m_best.find("BM_ReadIniValueNearEndScaled/" + std::to_string(i));
            if (it != m_best.end())
                std::printf("near end, %4.1f MB: %8.1f us per MB, %8.1f us cpu per MB\n", kScaledMB[i],
                            it->second.real / kScaledMB[i], it->second.cpu / kScaledMB[i]);
        }
        std::fflush(stdout);
    }

private:
    void Ratio(const std::string &label, const std::string &call, const std::string &ref)
    {
        const auto c = m_best.find(call), r = m_best.find(ref);
        if (c == m_best.end() || r == m_best.end())
            return;
        const Time &a = c->second, &b = r->second;
        std::printf("%-46s %9.1f %9.1f %6.2f %9.1f %9.1f %6.2f\n", label.c_str(), a.real, b.real, a.real / b.real, a.cpu,
                    b.cpu, a.cpu / b.cpu);
    }

    struct Time {
        double real, cpu; // microseconds per call
    };
    std::map<std::string, Time> m_best;
};

} // namespace

int main(int argc, char **argv)
{
    QTemporaryDir dir;
    if (!dir.isValid())
        return 1;
    g_folder = dir.path();
    g_file = dir.filePath(QStringLiteral("User.dat"));
    if (!Save(g_file, UserFile(kEntries)))
        return 1;
    for (double mb : kScaledMB) {
        const QString path = dir.filePath(QStringLiteral("User-%1.dat").arg(mb));
        const int entries = int(mb * 1024 * 1024 / InfoLine(0, 6).size());
        if (!Save(path, UserFile(entries, 6)))
            return 1;
        g_scaled.push_back(path);
        g_scaledEntries.push_back(entries);
    }

    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
