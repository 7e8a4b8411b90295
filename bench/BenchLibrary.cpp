#include "BenchLibrary.h"

#include "Cp1252.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QPainter>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>

namespace vvbench {
namespace {

const char *const kWords[] = {"Antrag",  "Änderung", "Beitrittserklärung", "Vollmacht", "Mietvertrag", "Übergabe",
                              "Kündigung", "Satzung", "Protokoll", "Einzugsermächtigung", "Straßenfest", "Zuwendung"};
constexpr int kWordCount = int(sizeof(kWords) / sizeof(kWords[0]));

} // namespace

QString DocumentName(int i)
{
    const int w = (i * 7) % kWordCount;
    const QString ext = i % 17 == 0 ? QStringLiteral("PDF") : QStringLiteral("pdf");
    return QStringLiteral("%1 %2 Nr. %3.%4")
        .arg(QString::fromUtf8(kWords[w]), QString::fromUtf8(kWords[(i / kWordCount) % kWordCount]))
        .arg((i * 7919) % 100000)
        .arg(ext);
}

namespace {

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

} // namespace

void MakeLibrary(const QString &templates, int n, bool helpTexts)
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

int NoMessages::MsgBox(QWidget *, const QString &text, int, const QString &)
{
    std::fprintf(stderr, "unexpected message: %s\n", qPrintable(text));
    std::abort();
}

void IsolateEnvironment(const QString &root)
{
    for (const char *var : {"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME", "XDG_RUNTIME_DIR"}) {
        const QString folder = root + QLatin1Char('/') + QString::fromLatin1(var);
        QDir().mkpath(folder);
        QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        qputenv(var, QFile::encodeName(folder));
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
}

void QuietOffscreenNotes()
{
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext &, const QString &text) {
        if (!text.contains(QLatin1String("propagateSizeHints")))
            std::fprintf(stderr, "%s\n", qPrintable(text));
        if (type == QtFatalMsg)
            std::abort();
    });
}

} // namespace vvbench
