// Preview pictures: read by their bytes whatever their name, with no image
// plugin loaded but the one the format needs, and shrunk to where they show.

#include "GifWriter.h"
#include "Installation.h"
#include "Picture.h"
#include "TestSupport.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <cstdio>

namespace {

// The image plugins this process has loaded, by file name.
QStringList LoadedPlugins()
{
    QStringList plugins;
    const QList<QByteArray> lines = vvtest::ReadAll(QStringLiteral("/proc/self/maps")).split('\n');
    for (const QByteArray &line : lines) {
        const qsizetype at = line.indexOf("/imageformats/");
        const QString name = at < 0 ? QString() : QString::fromUtf8(line.mid(at + 14));
        if (!name.isEmpty() && !plugins.contains(name))
            plugins.append(name);
    }
    plugins.sort();
    return plugins;
}

// Set in the process that reads one picture and names the plugins it loaded.
constexpr char kProbe[] = "VV_PICTURE_PROBE";

} // namespace

class TestPicture : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(root_.isValid());
        vvtest::IsolateEnvironment(root_.path());
    }

    // Each read in a fresh process of this program, where no plugin was
    // loaded before.
    void loadsOnlyThePluginItNeeds_data()
    {
        QTest::addColumn<QByteArray>("format");
        QTest::addColumn<QString>("plugins");
        QTest::newRow("GIF") << QByteArray("GIF") << QString();
        QTest::newRow("PNG") << QByteArray("PNG") << QString();
        QTest::newRow("BMP") << QByteArray("BMP") << QString();
        QTest::newRow("JPEG") << QByteArray("JPG") << QStringLiteral("libqjpeg.so");
    }

    void loadsOnlyThePluginItNeeds()
    {
        QFETCH(QByteArray, format);
        QFETCH(QString, plugins);
        // A misleading name: the bytes decide.
        const QString path = root_.filePath("probe." + QString::fromLatin1(format == "GIF" ? "jpg" : "gif"));
        vvtest::WriteSolidPicture(path, vvtest::kGifColour, format.constData());
        QProcess probe;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(kProbe, path);
        probe.setProcessEnvironment(environment);
        probe.start(QCoreApplication::applicationFilePath(), {});
        QVERIFY(probe.waitForFinished(30000));
        QCOMPARE(QString::fromUtf8(probe.readAllStandardOutput()).trimmed(), ("read " + plugins).trimmed());
    }

    void readsByContent_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("format"); // as written; empty: the bytes below
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("picture");

        QTest::newRow("GIF named .MAP") << "KORVENTIS.MAP" << QByteArray("GIF") << QByteArray() << true;
        QTest::newRow("PNG named .gif") << "x.gif" << QByteArray("PNG") << QByteArray() << true;
        QTest::newRow("JPEG named .gif") << "y.gif" << QByteArray("JPG") << QByteArray() << true;
        QTest::newRow("BMP named .jpg") << "z.jpg" << QByteArray("BMP") << QByteArray() << true;
        QTest::newRow("GIF named .png") << "w.png" << QByteArray("GIF") << QByteArray() << true;
        // None of the four: Qt recognises it as it can.
        QTest::newRow("PPM named .gif") << "p.gif" << QByteArray("PPM") << QByteArray() << true;
        QTest::newRow("text named .gif") << "t.gif" << QByteArray() << QByteArray("das ist kein Bild") << false;
        QTest::newRow("GIF header only") << "h.gif" << QByteArray() << QByteArray("GIF89a") << false;
        QTest::newRow("PNG signature only") << "s.png" << QByteArray() << QByteArray("\x89PNG\r\n\x1a\n", 8) << false;
        QTest::newRow("empty") << "e.jpg" << QByteArray() << QByteArray() << false;
    }

    void readsByContent()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, format);
        QFETCH(QByteArray, bytes);
        QFETCH(bool, picture);
        const QString path = root_.filePath(name);
        if (format.isEmpty())
            vvtest::WriteAll(path, bytes);
        else
            vvtest::WriteSolidPicture(path, vvtest::kGifColour, format.constData());
        for (const QSize &shownAt : {QSize(), QSize(20, 28)}) {
            const QImage image = vv::ReadPicture(path, shownAt);
            QCOMPARE(!image.isNull(), picture);
            if (!picture)
                continue;
            QCOMPARE(image.size(), shownAt.isEmpty() ? QSize(40, 56) : shownAt);
            QCOMPARE(vvtest::ColourName(image.pixelColor(10, 10)), vvtest::ColourName(vvtest::kGifColour));
        }
    }

    void missingFile() { QVERIFY(vv::ReadPicture(root_.filePath("fehlt.gif"), QSize(10, 10)).isNull()); }

    // A GIF larger than where it shows is shrunk by averaging: thin lines
    // stay visible as grey instead of vanishing or staying black.
    void shrinksGifs_data()
    {
        QTest::addColumn<QSize>("shownAt");
        QTest::addColumn<QSize>("size");
        QTest::newRow("a third") << QSize(100, 140) << QSize(100, 140);
        QTest::newRow("not fitting the proportions") << QSize(150, 100) << QSize(150, 100);
        QTest::newRow("larger than the picture") << QSize(600, 840) << QSize(300, 420);
        QTest::newRow("as large") << QSize(300, 420) << QSize(300, 420);
    }

    void shrinksGifs()
    {
        QFETCH(QSize, shownAt);
        QFETCH(QSize, size);
        // Black lines one pixel wide every third row on white.
        QImage lines(300, 420, QImage::Format_RGB32);
        lines.fill(Qt::white);
        for (int y = 0; y < lines.height(); y += 3)
            for (int x = 0; x < lines.width(); ++x)
                lines.setPixel(x, y, qRgb(0, 0, 0));
        const QString path = root_.filePath("lines.gif");
        QVERIFY(vv::WriteGif(lines, path));
        const QImage image = vv::ReadPicture(path, shownAt);
        QCOMPARE(image.size(), size);
        if (size == lines.size())
            return;
        const int grey = qGray(image.pixel(size.width() / 2, size.height() / 2));
        QVERIFY2(grey > 100 && grey < 230, qPrintable(QString::number(grey)));
    }

private:
    QTemporaryDir root_;
};

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    if (qEnvironmentVariableIsSet(kProbe)) {
        const bool read = !vv::ReadPicture(qEnvironmentVariable(kProbe), QSize(20, 28)).isNull();
        std::printf("%s %s\n", read ? "read" : "not read", qPrintable(LoadedPlugins().join(u' ')));
        return 0;
    }
    TestPicture test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}
#include "tst_picture.moc"
