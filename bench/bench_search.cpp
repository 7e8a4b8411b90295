// Searching 20,000 documents: reading the library into the index, one
// keystroke's query on it, and the same keystroke in the main window until
// the hit list is painted. Beside them, in the same run: a plain
// case-sensitive and a case-insensitive scan of the same names and help
// texts, and reading all help texts once, which a search without an index
// would do at each keystroke.

#include "BenchLibrary.h"
#include "Clock.h"
#include "Registry.h"
#include "Root.h"
#include "Search.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTreeWidget>

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <sys/stat.h>

#include <cstdlib>
#include <ctime>
#include <memory>

namespace {

using namespace vvbench;

constexpr int kDocuments = 20000;

// What a user types, with how many of the 20,003 documents it finds; then
// two texts of 10,000 characters: a word pasted a thousand times, and one
// word as long as that.
const char *const kQueries[] = {
    "kundigung",        // a name word without its dots: a twelfth
    "nr. 4711",         // two words, a handful
    "geschäftsstelle",  // in every help text
    "xylophon",         // nothing
};
constexpr int kQueryCount = 6;

// An hour ago: a library not changed while the search runs.
void Age(const QString &path)
{
    struct timespec times[2];
    clock_gettime(CLOCK_REALTIME, &times[0]);
    times[0].tv_sec -= 3600;
    times[1] = times[0];
    if (utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, 0) != 0)
        std::abort();
}

struct Library {
    QTemporaryDir dir;
    vv::LibraryPaths paths{dir.path()};
    Library()
    {
        const QString templates = dir.path() + QStringLiteral("/Vorlagen");
        MakeLibrary(templates, kDocuments);
        for (const QString &name : {QStringLiteral("User.dat"), QStringLiteral("Groß"), QStringLiteral("Klein")})
            Age(templates + QLatin1Char('/') + name);
    }
};

Library &TheLibrary()
{
    static Library library;
    return library;
}

QString Query(const benchmark::State &state)
{
    switch (state.range(0)) {
    case 4:
        return QStringLiteral("vollmacht ").repeated(1000);
    case 5:
        return QString(10000, QLatin1Char('v'));
    default:
        return QString::fromUtf8(kQueries[state.range(0)]);
    }
}

void BM_IndexBuild(benchmark::State &state)
{
    Library &lib = TheLibrary();
    int count = 0;
    for (auto _ : state) {
        vv::SearchIndex index(lib.paths);
        index.Refresh();
        count = index.documentCount();
    }
    if (count != kDocuments + 3)
        state.SkipWithError("the index holds the wrong number of documents");
}
BENCHMARK(BM_IndexBuild)->Unit(benchmark::kMillisecond);

// A keystroke: the check for changes, then the query.
void BM_Keystroke(benchmark::State &state)
{
    static vv::SearchIndex index(TheLibrary().paths);
    index.Refresh();
    const QString text = Query(state);
    int total = 0;
    for (auto _ : state) {
        index.Refresh();
        total = index.Find(text, 200).total;
    }
    state.counters["hits"] = total;
}
BENCHMARK(BM_Keystroke)->DenseRange(0, kQueryCount - 1)->Unit(benchmark::kMillisecond);

// Reference: the names and help texts as read, searched as they are.
struct Plain {
    QStringList texts;
    Plain()
    {
        vv::Library library(TheLibrary().paths);
        for (int c = 1; c <= 2; ++c) {
            const QStringList names = library.Documents(library.LocateCategory(c).folder);
            const QStringList help = library.userFile().DocumentInfos(names);
            for (int i = 0; i < names.size(); ++i)
                texts << names[i] + QLatin1Char('\n') + help[i];
        }
    }
};

Plain &ThePlain()
{
    static Plain plain;
    return plain;
}

void PlainScan(benchmark::State &state, Qt::CaseSensitivity cs)
{
    const Plain &plain = ThePlain();
    const QString text = Query(state);
    int total = 0;
    for (auto _ : state) {
        total = 0;
        for (const QString &t : plain.texts)
            total += t.contains(text, cs);
        benchmark::DoNotOptimize(total);
    }
    state.counters["hits"] = total;
}

void BM_PlainScanCaseSensitive(benchmark::State &state) { PlainScan(state, Qt::CaseSensitive); }
BENCHMARK(BM_PlainScanCaseSensitive)->DenseRange(0, kQueryCount - 1)->Unit(benchmark::kMillisecond);

void BM_PlainScanCaseInsensitive(benchmark::State &state) { PlainScan(state, Qt::CaseInsensitive); }
BENCHMARK(BM_PlainScanCaseInsensitive)->DenseRange(0, kQueryCount - 1)->Unit(benchmark::kMillisecond);

// Reference: every help text read once, in one pass over the user file.
void BM_ReadAllHelpTexts(benchmark::State &state)
{
    vv::Library library(TheLibrary().paths);
    const QStringList names = library.Documents(library.LocateCategory(1).folder);
    for (auto _ : state)
        benchmark::DoNotOptimize(library.userFile().DocumentInfos(names));
}
BENCHMARK(BM_ReadAllHelpTexts)->Unit(benchmark::kMillisecond);

// The keystroke in the main window: the field's text changes, until the hit
// list is painted (the index is already made, as after the first keystroke).
void BM_KeystrokeInWindow(benchmark::State &state)
{
    static NoMessages msg;
    static NoExit exit;
    static std::unique_ptr<vv::Registry> registry;
    static std::unique_ptr<vv::Root> root;
    if (!root) {
        Library &lib = TheLibrary();
        registry = std::make_unique<vv::Registry>(lib.dir.path() + QStringLiteral("/Ordinalis.conf"), QStringList());
        vv::Services services;
        services.msg = &msg;
        services.exit = &exit;
        services.registry = registry.get();
        root = std::make_unique<vv::Root>(lib.dir.path(), services);
        if (!root->Load())
            std::abort();
        root->show();
        root->activateWindow();
        vv::Yield();
        qAddPostRoutine([] { root.reset(); });
    }
    auto *field = root->findChild<QLineEdit *>(QStringLiteral("tSuche"));
    auto *list = root->findChild<QTreeWidget *>(QStringLiteral("LSuchergebnis"));
    field->setFocus();
    const QString text = Query(state);
    field->setText(text.chopped(1));
    vv::Yield();
    for (auto _ : state) {
        field->setText(text.chopped(1));
        vv::Yield();
        root->repaint();
        QElapsedTimer t;
        t.start();
        field->setText(text); // the last letter typed
        vv::Yield();
        root->repaint();
        state.SetIterationTime(t.nsecsElapsed() / 1e9);
    }
    if (!list->isVisible())
        state.SkipWithError("no hit list shown");
    state.counters["rows"] = list->topLevelItemCount();
}
BENCHMARK(BM_KeystrokeInWindow)->DenseRange(0, kQueryCount - 1)->UseManualTime()->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    QTemporaryDir home;
    IsolateEnvironment(home.path());
    QApplication app(argc, argv);
    QuietOffscreenNotes();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
