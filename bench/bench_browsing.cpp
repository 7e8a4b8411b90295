// Browsing a large category in the main window, until painted: selecting the
// category (list, help text, preview) and selecting one document in it, at
// 500, 5,000 and 20,000 documents, and the one read of a help text each of
// them makes. Next to them, measured in the same run, the floor of that work:
// listing the folder with readdir and filling a plain list view.
//
//   bench_browsing --make-library DIR N [--no-help-texts]
//       writes an installation's library of N documents to DIR (ready-memory.sh)

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

// A bench run must never wait on a person: any message means the library is broken.
class NoMessages : public vv::MessageBoxSeam {
public:
    int MsgBox(QWidget *, const QString &text, int, const QString &) override
    {
        std::fprintf(stderr, "unexpected message: %s\n", qPrintable(text));
        std::abort();
    }
    QString InputBox(QWidget *, const QString &, const QString &, const QString &) override { return {}; }
};

class NoExit : public vv::ExitSeam {
public:
    void ExitNow(int) override {}
    void QuitApplication(int) override {}
};

const char *const kWords[] = {"Antrag",  "Änderung", "Beitrittserklärung", "Vollmacht", "Mietvertrag", "Übergabe",
                              "Kündigung", "Satzung", "Protokoll", "Einzugsermächtigung", "Straßenfest", "Zuwendung"};
constexpr int kWordCount = int(sizeof(kWords) / sizeof(kWords[0]));

// Names as offices write them: words with umlauts, numbers of varying width,
// an occasional upper-case extension; created in no particular order.
QString DocumentName(int i)
{
    const int w = (i * 7) % kWordCount;
    const QString ext = i % 17 == 0 ? QStringLiteral("PDF") : QStringLiteral("pdf");
    return QStringLiteral("%1 %2 Nr. %3.%4")
        .arg(QString::fromUtf8(kWords[w]), QString::fromUtf8(kWords[(i / kWordCount) % kWordCount]))
        .arg((i * 7919) % 100000)
        .arg(ext);
}

QByteArray PreviewJpeg()
{
    QImage image(600, 848, QImage::Format_RGB32); // a page at 72 dpi
    image.fill(Qt::white);
    QPainter p(&image);
    p.setPen(Qt::black);
    for (int y = 60; y < 800; y += 24)
        p.drawText(40, y, QStringLiteral("Musterformular Zeile %1 ______________________").arg(y));
    p.end();
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPEG", 85);
    return bytes;
}

void Write(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size()) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        std::exit(1);
    }
}

// An installation's library: "Groß" with n documents, first so the window opens
// on it, and "Klein" with three; every document with a help text and a preview
// (hard links of one picture), upper-case documents with an upper-case one.
void MakeLibrary(const QString &templates, int n, bool helpTexts = true)
{
    QDir().mkpath(templates + QStringLiteral("/Klein"));
    QDir().mkpath(templates + QStringLiteral("/Groß"));
    const QByteArray pdf = "%PDF-1.4\n%%EOF\n";
    const QString picture = templates + QStringLiteral("/Vorschau.jpg");
    Write(picture, PreviewJpeg());
    const QByteArray pictureName = QFile::encodeName(picture);

    QString user = QStringLiteral("[SET]\r\nPrintDoc=0\r\n[CAT]\r\n01=Groß\r\n02=Klein\r\n"
                                  "[DIR]\r\n01=\\Groß\r\n02=\\Klein\r\n[INFO]\r\n"
                                  "01=Alle Formulare des Vereins.\r\n02=Drei kleine Formulare.\r\n");
    auto add = [&](const QString &folder, const QString &name) {
        Write(folder + QLatin1Char('/') + name, pdf);
        const bool upper = name.endsWith(QLatin1String("PDF"));
        const QString preview = folder + QLatin1Char('/') + name.chopped(3) + (upper ? QStringLiteral("JPG") : QStringLiteral("jpg"));
        if (link(pictureName.constData(), QFile::encodeName(preview).constData()) != 0) {
            std::perror("link");
            std::exit(1);
        }
        if (helpTexts)
            user += name + QStringLiteral("=Bitte vollständig ausfüllen, unterschreiben und mit den Anlagen "
                                          "an die Geschäftsstelle senden. Formular ")
                  + name + QStringLiteral("\r\n");
    };
    for (int i = 0; i < 3; ++i)
        add(templates + QStringLiteral("/Klein"), QStringLiteral("Klein %1.pdf").arg(i));
    for (int i = 0; i < n; ++i)
        add(templates + QStringLiteral("/Groß"), DocumentName(i));
    Write(templates + QStringLiteral("/User.dat"), vv::ToCp1252(user));
    QFile::remove(picture);
}

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
    for (const char *var : {"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME", "XDG_RUNTIME_DIR"}) {
        const QString folder = home.path() + QLatin1Char('/') + QString::fromLatin1(var);
        QDir().mkpath(folder);
        QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        qputenv(var, QFile::encodeName(folder));
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    // The offscreen platform's note on every window shown is no finding.
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext &, const QString &text) {
        if (!text.contains(QLatin1String("propagateSizeHints")))
            std::fprintf(stderr, "%s\n", qPrintable(text));
        if (type == QtFatalMsg)
            std::abort();
    });

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
