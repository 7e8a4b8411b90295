// Cost of the profile-file calls on a large user file (5,000 help texts), next
// to reading the file once and a lookup in a parsed map, which is what a cache
// would cost. Every call rereads or rewrites the whole file.

#include "Cp1252.h"
#include "IniFiles.h"

#include <QFile>
#include <QHash>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

constexpr int kEntries = 5000;

QString g_file;

QString DocumentName(int i)
{
    return QStringLiteral("Dokument %1.pdf").arg(i, 4, 10, QLatin1Char('0'));
}

QByteArray UserFile()
{
    QByteArray out = "[SET]\r\nBAusdrucken=0\r\n[CAT]\r\n";
    for (int i = 1; i <= 9; ++i)
        out += "0" + QByteArray::number(i) + "=Kategorie " + QByteArray::number(i) + "\r\n";
    out += "[DIR]\r\n";
    for (int i = 1; i <= 9; ++i)
        out += "0" + QByteArray::number(i) + "=\\Kategorie " + QByteArray::number(i) + "\r\n";
    out += "[INFO]\r\n";
    for (int i = 0; i < kEntries; ++i)
        out += vv::ToCp1252(DocumentName(i)) + "=Hilfetext zum Formular Nr. " + QByteArray::number(i)
             + ", bitte vollst\xE4ndig ausf\xFCllen und unterschreiben.\r\n";
    return out;
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

void BM_WriteIniValueExisting(benchmark::State &state)
{
    const QString key = DocumentName(kEntries / 2);
    int n = 0;
    for (auto _ : state) // a new value each time, so every call rewrites the file
        benchmark::DoNotOptimize(vv::WriteIniValue(g_file, "INFO", key, QString::number(++n)));
}
BENCHMARK(BM_WriteIniValueExisting)->Unit(benchmark::kMicrosecond);

void BM_ReadFileIntoMemory(benchmark::State &state)
{
    for (auto _ : state) {
        QFile f(g_file);
        f.open(QIODevice::ReadOnly);
        benchmark::DoNotOptimize(vv::FromCp1252(f.readAll()));
    }
}
BENCHMARK(BM_ReadFileIntoMemory)->Unit(benchmark::kMicrosecond);

void BM_ParsedMapLookup(benchmark::State &state)
{
    QHash<QString, QString> info;
    for (int i = 0; i < kEntries; ++i)
        info.insert(DocumentName(i).toLower(), QStringLiteral("Hilfetext %1").arg(i));
    const QString key = DocumentName(kEntries - 10);
    for (auto _ : state)
        benchmark::DoNotOptimize(info.value(key.toLower()));
}
BENCHMARK(BM_ParsedMapLookup);

} // namespace

int main(int argc, char **argv)
{
    QTemporaryDir dir;
    if (!dir.isValid())
        return 1;
    g_file = dir.filePath(QStringLiteral("User.dat"));
    QFile f(g_file);
    if (!f.open(QIODevice::WriteOnly) || f.write(UserFile()) < 0)
        return 1;
    f.close();

    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
