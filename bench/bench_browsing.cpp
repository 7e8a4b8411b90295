// Browsing a large category in the main window, until painted: selecting the
// category (list, help text, preview) and selecting one document in it, at
// 500, 5,000 and 20,000 documents, and the one read of a help text each of
// them makes. Next to them, measured in the same run, the floor of that work:
// listing the folder with readdir and filling a plain list view.
//
//   bench_browsing --make-library DIR N [--no-help-texts]
//       writes an installation's library of N documents to DIR (ready-memory.sh)

#include "BenchLibrary.h"
#include "Clock.h"
#include "Cp1252.h"
#include "Registry.h"
#include "Root.h"

#include <QApplication>
#include <QBuffer>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QListView>
#include <QListWidget>
#include <QPainter>
#include <QStringListModel>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <dirent.h>
#include <strings.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <map>
#include <memory>

namespace {

using namespace vvbench;

// One installation with its main window per size, made on first use.
struct Installation {
    QTemporaryDir dir;
    std::unique_ptr<vv::Registry> registry;
    NoMessages msg;
    NoExit exit;
    std::unique_ptr<vv::Root> root;

    explicit Installation(int n)
    {
        MakeLibrary(dir.path() + QStringLiteral("/Vorlagen"), n);
        registry = std::make_unique<vv::Registry>(dir.path() + QStringLiteral("/Ordinalis.conf"), QStringList());
        vv::Services services;
        services.msg = &msg;
        services.exit = &exit;
        services.registry = registry.get();
        root = std::make_unique<vv::Root>(dir.path(), services);
        if (!root->Load())
            std::abort();
        root->show();
        vv::Yield();
    }
    QComboBox *categories() const { return root->findChild<QComboBox *>(QStringLiteral("LCategory")); }
    QListWidget *files() const { return root->findChild<QListWidget *>(QStringLiteral("LDateien")); }
    QString bigFolder() const { return dir.path() + QStringLiteral("/Vorlagen/Groß"); }
};

// Closed before the application object goes.
std::map<int, std::unique_ptr<Installation>> g_installations;

Installation &InstallationOf(int n)
{
    auto &slot = g_installations[n];
    if (!slot)
        slot = std::make_unique<Installation>(n);
    return *slot;
}

// Processor time of the whole program, which other work on the machine does
// not stretch as it stretches wall-clock time.
double ProcessCpuMs()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

// Until the window has painted what the selection changed.
void Painted(QWidget *w)
{
    vv::Yield();
    w->repaint();
}

void BM_SelectCategory(benchmark::State &state)
{
    Installation &in = InstallationOf(int(state.range(0)));
    double cpuMs = 0;
    for (auto _ : state) {
        in.categories()->setCurrentIndex(1);
        Painted(in.root.get());
        QElapsedTimer t;
        const double cpu = ProcessCpuMs();
        t.start();
        in.categories()->setCurrentIndex(0);
        Painted(in.root.get());
        state.SetIterationTime(t.nsecsElapsed() / 1e9);
        cpuMs += ProcessCpuMs() - cpu;
        if (in.files()->count() != state.range(0))
            state.SkipWithError("the category lists the wrong number of documents");
    }
    state.counters["cpu_ms"] = benchmark::Counter(cpuMs, benchmark::Counter::kAvgIterations);
    state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_SelectCategory)->Arg(500)->Arg(5000)->Arg(20000)->UseManualTime()->Unit(benchmark::kMillisecond)->Complexity(benchmark::oN);

void BM_SelectDocument(benchmark::State &state)
{
    Installation &in = InstallationOf(int(state.range(0)));
    in.categories()->setCurrentIndex(0);
    Painted(in.root.get());
    int row = 0;
    double cpuMs = 0;
    for (auto _ : state) {
        row = (row + 4099) % int(state.range(0)); // all over the list
        QElapsedTimer t;
        const double cpu = ProcessCpuMs();
        t.start();
        in.files()->setCurrentRow(row);
        Painted(in.root.get());
        state.SetIterationTime(t.nsecsElapsed() / 1e9);
        cpuMs += ProcessCpuMs() - cpu;
    }
    state.counters["cpu_ms"] = benchmark::Counter(cpuMs, benchmark::Counter::kAvgIterations);
    state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_SelectDocument)->Arg(500)->Arg(5000)->Arg(20000)->UseManualTime()->Unit(benchmark::kMillisecond)->Complexity(benchmark::oN);

// What the user file adds to each selection: one help text, read as the window reads it.
void BM_HelpTextRead(benchmark::State &state)
{
    Installation &in = InstallationOf(int(state.range(0)));
    const QString name = in.files()->item(in.files()->count() / 2)->text();
    const vv::Library &library = in.root->library();
    for (auto _ : state)
        benchmark::DoNotOptimize(library.userFile().DocumentInfo(name));
    state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_HelpTextRead)->Arg(500)->Arg(5000)->Arg(20000)->Unit(benchmark::kMillisecond)->Complexity(benchmark::oN);

// Reference: the names of the folder's PDF documents, straight from readdir.
void BM_ReaddirListing(benchmark::State &state)
{
    const QByteArray folder = QFile::encodeName(InstallationOf(int(state.range(0))).bigFolder());
    for (auto _ : state) {
        QStringList names;
        DIR *d = opendir(folder.constData());
        while (const dirent *e = readdir(d)) {
            const size_t len = strlen(e->d_name);
            if (len >= 4 && strcasecmp(e->d_name + len - 4, ".pdf") == 0)
                names.append(QFile::decodeName(e->d_name));
        }
        closedir(d);
        benchmark::DoNotOptimize(names);
    }
    state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_ReaddirListing)->Arg(500)->Arg(5000)->Arg(20000)->Unit(benchmark::kMillisecond)->Complexity(benchmark::oN);

// Reference: the same number of names in a plain list view, until painted.
void BM_PlainListFill(benchmark::State &state)
{
    const int n = int(state.range(0));
    QStringList names;
    for (int i = 0; i < n; ++i)
        names.append(DocumentName(i));
    QStringListModel model;
    QListView view;
    view.setUniformItemSizes(true);
    view.setModel(&model);
    view.resize(300, 400);
    view.show();
    for (auto _ : state) {
        model.setStringList(QStringList());
        Painted(&view);
        QElapsedTimer t;
        t.start();
        model.setStringList(names);
        view.setCurrentIndex(model.index(0));
        Painted(&view);
        state.SetIterationTime(t.nsecsElapsed() / 1e9);
    }
    state.SetComplexityN(n);
}
BENCHMARK(BM_PlainListFill)->Arg(500)->Arg(5000)->Arg(20000)->UseManualTime()->Unit(benchmark::kMillisecond)->Complexity(benchmark::oN);

} // namespace

int main(int argc, char **argv)
{
    // No real home, configuration or display.
    QTemporaryDir home;
    vvbench::IsolateEnvironment(home.path());
    QApplication app(argc, argv);
    vvbench::QuietOffscreenNotes();

    if ((argc == 4 || argc == 5) && qstrcmp(argv[1], "--make-library") == 0) {
        MakeLibrary(QString::fromLocal8Bit(argv[2]), std::atoi(argv[3]),
                    argc == 4 || qstrcmp(argv[4], "--no-help-texts") != 0);
        return 0;
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    g_installations.clear();
    return 0;
}
