// The bundled demo library, made by the real generator into a temporary
// installation folder and read back the way the program and the host read it.

#include "Cp1252.h"
#include "TestSupport.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QImageReader>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

using vvtest::ReadAll;

namespace {

const QString kGenerator = QDir::cleanPath(QStringLiteral(VV_INSTALL_DIR "/../tools/vorlagen-demo"));

using Section = QList<QPair<QString, QString>>;

// Just enough of the profile format to look at what the generator wrote.
QMap<QString, Section> ParseIni(const QString &text)
{
    QMap<QString, Section> out;
    QString current;
    for (const QString &raw : text.split(QStringLiteral("\r\n"))) {
        const QString line = raw.trimmed();
        if (line.startsWith(QLatin1Char('[')) && line.endsWith(QLatin1Char(']'))) {
            current = line.mid(1, line.size() - 2).toUpper();
            out[current];
        } else if (line.contains(QLatin1Char('=')) && !current.isEmpty()) {
            const qsizetype eq = line.indexOf(QLatin1Char('='));
            out[current].append({line.left(eq), line.mid(eq + 1)});
        }
    }
    return out;
}

QString Value(const Section &section, const QString &key)
{
    for (const auto &kv : section)
        if (kv.first.compare(key, Qt::CaseInsensitive) == 0)
            return kv.second;
    return {};
}

bool OnlyCrLf(const QByteArray &bytes)
{
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\n' && (i == 0 || bytes[i - 1] != '\r'))
            return false;
        if (bytes[i] == '\r' && (i + 1 == bytes.size() || bytes[i + 1] != '\n'))
            return false;
    }
    return bytes.endsWith("\r\n");
}

QImage LoadByContent(const QString &path, QByteArray *format = nullptr)
{
    QImageReader reader(path);
    reader.setDecideFormatFromContent(true);
    if (format)
        *format = reader.format();
    return reader.read();
}

int RunGenerator(const QStringList &args, QString *output = nullptr)
{
    QProcess p;
    // The generator has to manage without a display of its own.
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    env.remove(QStringLiteral("DISPLAY"));
    env.remove(QStringLiteral("WAYLAND_DISPLAY"));
    p.setProcessEnvironment(env);
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(kGenerator, args);
    if (!p.waitForFinished(120000))
        return -1;
    if (output)
        *output = QString::fromLocal8Bit(p.readAll());
    return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
}

QStringList FilesBelow(const QString &folder, const QStringList &patterns)
{
    QStringList out;
    QDirIterator it(folder, patterns, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext())
        out << it.next();
    out.sort();
    return out;
}

double MeanDifference(const QImage &a, const QImage &b)
{
    const QImage x = a.convertToFormat(QImage::Format_RGB32);
    const QImage y = b.scaled(a.size()).convertToFormat(QImage::Format_RGB32);
    double sum = 0;
    for (int r = 0; r < x.height(); ++r)
        for (int c = 0; c < x.width(); ++c) {
            const QRgb p = x.pixel(c, r);
            const QRgb q = y.pixel(c, r);
            sum += qAbs(qRed(p) - qRed(q)) + qAbs(qGreen(p) - qGreen(q)) + qAbs(qBlue(p) - qBlue(q));
        }
    return sum / (3.0 * x.width() * x.height());
}

} // namespace

class TestDemo : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(root_.isValid());
        vvtest::IsolateEnvironment(root_.path());
        QVERIFY2(QFile::exists(kGenerator), qPrintable(kGenerator + " is not built"));
        // Blanks and an umlaut in the installation path must not matter.
        install_ = root_.filePath(QStringLiteral("Installation Ä 1"));
        QString output;
        QCOMPARE(RunGenerator({install_}, &output), 0);
        templates_ = install_ + QStringLiteral("/Vorlagen");
        user_ = ParseIni(vv::FromCp1252(ReadAll(templates_ + QStringLiteral("/User.dat"))));
    }

    void userFileIsWindowsText()
    {
        const QByteArray raw = ReadAll(templates_ + QStringLiteral("/User.dat"));
        QVERIFY(!raw.isEmpty());
        QVERIFY(OnlyCrLf(raw));
        QVERIFY2(!raw.contains("\xc3"), "UTF-8 instead of Windows-1252");
        QVERIFY(raw.contains("01=Beitrittserkl\xe4rungen\r\n"));
        QVERIFY(raw.contains("Jahresbeitrag 60,00 \x80"));
        QCOMPARE(Value(user_.value(QStringLiteral("SET")), QStringLiteral("PrintDoc")), QStringLiteral("0"));
    }

    void categoriesMatchFolders()
    {
        const Section cat = user_.value(QStringLiteral("CAT"));
        const Section dir = user_.value(QStringLiteral("DIR"));
        const Section info = user_.value(QStringLiteral("INFO"));
        QVERIFY(cat.size() >= 4 && cat.size() <= 6);
        QCOMPARE(dir.size(), cat.size());

        QStringList names;
        int withSlash = 0;
        int withoutSlash = 0;
        for (int i = 0; i < cat.size(); ++i) {
            const QString key = QStringLiteral("%1").arg(i + 1, 2, 10, QLatin1Char('0'));
            QCOMPARE(cat[i].first, key);
            QCOMPARE(dir[i].first, key);
            const QString name = cat[i].second;
            QString folder = dir[i].second;
            names << name;
            if (folder.startsWith(QLatin1Char('\\'))) {
                ++withSlash;
                folder.remove(0, 1);
            } else {
                ++withoutSlash;
            }
            QCOMPARE(folder, name);
            QVERIFY2(QFileInfo(templates_ + QLatin1Char('/') + folder).isDir(), qPrintable(folder));
            QVERIFY2(!Value(info, key).isEmpty(), qPrintable("no help text for category " + key));
        }
        QVERIFY(withSlash >= 1);
        QVERIFY(withoutSlash >= 1);
        QVERIFY(names.contains(QStringLiteral("Beitrittserklärungen")));
        QVERIFY(names.contains(QStringLiteral("Steuer und Finanzen")));

        // Nothing on disk that the user file does not list.
        const QStringList onDisk = QDir(templates_).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
        QStringList sorted = names;
        sorted.sort();
        QStringList disk = onDisk;
        disk.sort();
        QCOMPARE(disk, sorted);

        for (const QString &name : names) {
            const int pdfs = int(QDir(templates_ + QLatin1Char('/') + name).entryList({QStringLiteral("*.pdf")}, QDir::Files).size());
            QVERIFY2(pdfs >= 2 && pdfs <= 6, qPrintable(name));
        }
    }

    void valuesFitTheReadLimit()
    {
        for (const QString &file : {templates_ + QStringLiteral("/User.dat"), install_ + QStringLiteral("/VORLAGEN.DAT")}) {
            const auto ini = ParseIni(vv::FromCp1252(ReadAll(file)));
            for (const Section &section : ini)
                for (const auto &kv : section) {
                    QVERIFY2(kv.second.size() <= 254, qPrintable(kv.first));
                    QVERIFY2(!kv.second.isEmpty(), qPrintable(kv.first));
                }
        }
    }

    void documentHelpTexts()
    {
        const QStringList pdfs = FilesBelow(templates_, {QStringLiteral("*.pdf")});
        QStringList names;
        for (const QString &p : pdfs)
            names << QFileInfo(p).fileName();
        QVERIFY(names.contains(QStringLiteral("Beitrittserklärung_Verein.pdf")));

        const Section info = user_.value(QStringLiteral("INFO"));
        int documentKeys = 0;
        for (const auto &kv : info) {
            if (!kv.first.endsWith(QLatin1String(".pdf")))
                continue;
            ++documentKeys;
            QVERIFY2(names.contains(kv.first), qPrintable("help text for a missing document: " + kv.first));
        }
        QVERIFY(!Value(info, QStringLiteral("Beitrittserklärung_Verein.pdf")).isEmpty());
        // Most documents carry a help text, some do not.
        QVERIFY(documentKeys * 2 > int(names.size()));
        QVERIFY(documentKeys < names.size());
    }

    void pdfs_data()
    {
        QTest::addColumn<QString>("path");
        const QStringList pdfs = FilesBelow(templates_, {QStringLiteral("*.pdf")});
        QVERIFY(pdfs.size() >= 8);
        for (const QString &p : pdfs)
            QTest::newRow(qPrintable(QFileInfo(p).fileName())) << p;
    }

    void pdfs()
    {
        QFETCH(QString, path);
        const QByteArray pdf = ReadAll(path);
        QVERIFY(pdf.startsWith("%PDF"));
        QVERIFY(pdf.size() > 1024);
        QVERIFY(pdf.trimmed().endsWith("%%EOF"));
        QVERIFY2(pdf.contains("/MediaBox [0 0 595"), "not A4");
        QCOMPARE(pdf.count("/Type /Page") - pdf.count("/Type /Pages"), qsizetype(1));
        // An embedded font, so the umlauts print on any machine.
        QVERIFY(pdf.contains("/FontFile2"));
    }

    void pictures_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QByteArray>("format");
        QTest::newRow("KORVENTIS.MAP") << install_ + QStringLiteral("/KORVENTIS.MAP") << QByteArray();
        for (int i = 0; i < 5; ++i) {
            const QString name = QStringLiteral("DOCFORM%1.DLL").arg(i);
            QTest::newRow(qPrintable(name)) << install_ + QLatin1Char('/') + name << QByteArray();
        }
        for (const QString &p : FilesBelow(templates_, {QStringLiteral("*.jpg"), QStringLiteral("*.gif")}))
            QTest::newRow(qPrintable(QFileInfo(p).fileName()))
                << p << QByteArray(p.endsWith(QLatin1String(".gif")) ? "gif" : "jpeg");
    }

    void pictures()
    {
        QFETCH(QString, path);
        QFETCH(QByteArray, format);
        QByteArray found;
        const QImage image = LoadByContent(path, &found);
        QVERIFY2(!image.isNull(), qPrintable(path));
        if (!format.isEmpty())
            QCOMPARE(found, format);
        // Pictures of an A4 page: portrait.
        QVERIFY(image.height() > image.width());
        QVERIFY(image.width() >= 200);
    }

    void previewMix()
    {
        int both = 0, jpgOnly = 0, gifOnly = 0, none = 0;
        for (const QString &pdf : FilesBelow(templates_, {QStringLiteral("*.pdf")})) {
            const QString base = pdf.chopped(3);
            const bool jpg = QFile::exists(base + QStringLiteral("jpg"));
            const bool gif = QFile::exists(base + QStringLiteral("gif"));
            both += jpg && gif;
            jpgOnly += jpg && !gif;
            gifOnly += gif && !jpg;
            none += !jpg && !gif;
            if (jpg && gif) {
                // The two must look different, or nobody sees which one wins.
                const QImage j = LoadByContent(base + QStringLiteral("jpg"));
                const QImage g = LoadByContent(base + QStringLiteral("gif"));
                QVERIFY2(MeanDifference(j, g) > 3.0, qPrintable(pdf));
            }
        }
        QCOMPARE(both, 1);
        QVERIFY(jpgOnly >= 1);
        QVERIFY(gifOnly >= 1);
        QVERIFY(none >= 1);
        QVERIFY(both + jpgOnly + gifOnly > none);

        // Every picture belongs to a document.
        for (const QString &pic : FilesBelow(templates_, {QStringLiteral("*.jpg"), QStringLiteral("*.gif")}))
            QVERIFY2(QFile::exists(pic.chopped(3) + QStringLiteral("pdf")), qPrintable(pic));

        // The fallback and the five templates are five different pictures plus one.
        QList<QImage> seen{LoadByContent(install_ + QStringLiteral("/KORVENTIS.MAP"))};
        for (int i = 0; i < 5; ++i) {
            const QImage img = LoadByContent(install_ + QStringLiteral("/DOCFORM%1.DLL").arg(i));
            for (const QImage &other : seen)
                QVERIFY2(MeanDifference(img, other) > 0.5, qPrintable(QString::number(i)));
            seen << img;
        }
    }

    void favourites()
    {
        const QByteArray raw = ReadAll(install_ + QStringLiteral("/VORLAGEN.DAT"));
        QVERIFY(OnlyCrLf(raw));
        QVERIFY(!raw.contains("\xc3"));
        const auto ini = ParseIni(vv::FromCp1252(raw));
        const Section docs = ini.value(QStringLiteral("DOCS"));
        const Section files = ini.value(QStringLiteral("PDFFILE"));
        QCOMPARE(docs.size(), 3);
        QCOMPARE(files.size(), 3);
        for (int slot = 0; slot < 3; ++slot) {
            const QString key = QString::number(slot);
            QCOMPARE(docs[slot].first, key);
            QCOMPARE(files[slot].first, key);
            QVERIFY(!docs[slot].second.contains(QLatin1Char('\t')));
            const QString path = files[slot].second;
            QVERIFY2(path.startsWith(QLatin1String("\\Vorlagen\\")) && path.endsWith(QLatin1String(".pdf")),
                     qPrintable(path));
            QString onDisk = path;
            onDisk.replace(QLatin1Char('\\'), QLatin1Char('/'));
            QVERIFY2(QFile::exists(install_ + onDisk), qPrintable(path));
        }
    }

    void secondRunKeepsChangesResetRestores()
    {
        const QString install = root_.filePath(QStringLiteral("Zweite Installation"));
        QCOMPARE(RunGenerator({install}), 0);
        const QString userFile = install + QStringLiteral("/Vorlagen/User.dat");
        const QString pdf = install + QStringLiteral("/Vorlagen/Vollmachten/Vollmacht_Bank.pdf");
        const QString gif = install + QStringLiteral("/Vorlagen/Vollmachten/Vollmacht_Bank.gif");
        const QString picture = install + QStringLiteral("/DOCFORM2.DLL");
        const QString own = install + QStringLiteral("/Vorlagen/Vollmachten/Eigene_Vorlage.pdf");
        const QByteArray original = ReadAll(userFile);
        QVERIFY(!original.isEmpty());

        const auto overwrite = [](const QString &path, const QByteArray &bytes) {
            QFile f(path);
            return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
        };
        const QByteArray changedUser = original + "[EIGENES]\r\nNotiz=bleibt\r\n";
        QVERIFY(overwrite(userFile, changedUser));
        QVERIFY(overwrite(pdf, "geändert"));
        QVERIFY(overwrite(picture, "kein Bild"));
        QVERIFY(overwrite(own, "%PDF-1.4 eigene"));
        QVERIFY(QFile::remove(gif));

        QCOMPARE(RunGenerator({install}), 0);
        QCOMPARE(ReadAll(userFile), changedUser);
        QCOMPARE(ReadAll(pdf), QByteArray("geändert"));
        QCOMPARE(ReadAll(picture), QByteArray("kein Bild"));
        QVERIFY2(!LoadByContent(gif).isNull(), "a missing demo file is made again");

        QCOMPARE(RunGenerator({QStringLiteral("--reset"), install}), 0);
        QCOMPARE(ReadAll(userFile), original);
        QVERIFY(ReadAll(pdf).startsWith("%PDF"));
        QVERIFY(ReadAll(pdf).size() > 1024);
        QVERIFY(!LoadByContent(picture).isNull());
        QCOMPARE(ReadAll(own), QByteArray("%PDF-1.4 eigene"));
        // Nothing of the writing is left behind.
        QCOMPARE(FilesBelow(install, {QStringLiteral("*.part"), QStringLiteral("*.tmp"), QStringLiteral("*~")}),
                 QStringList());
    }

    void badUsage_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::newRow("nothing") << QStringList();
        QTest::newRow("only --reset") << QStringList{QStringLiteral("--reset")};
        QTest::newRow("two folders") << QStringList{QStringLiteral("a1"), QStringLiteral("a2")};
        QTest::newRow("unknown option") << QStringList{QStringLiteral("--alles"), QStringLiteral("a3")};
        QTest::newRow("--reset twice") << QStringList{QStringLiteral("--reset"), QStringLiteral("--reset"), QStringLiteral("a4")};
    }

    void badUsage()
    {
        QFETCH(QStringList, args);
        QDir work(root_.filePath(QStringLiteral("usage")));
        QVERIFY(work.mkpath(QStringLiteral(".")));
        QStringList absolute;
        for (const QString &a : args)
            absolute << (a.startsWith(QLatin1String("--")) ? a : work.filePath(a));
        QString output;
        QCOMPARE(RunGenerator(absolute, &output), 2);
        QVERIFY(output.contains(QLatin1String("Aufruf: vorlagen-demo")));
        QCOMPARE(work.entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList());
    }

    void unwritableFolderFails()
    {
        const QString blocker = root_.filePath(QStringLiteral("eine Datei"));
        QFile f(blocker);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.close();
        QString output;
        QCOMPARE(RunGenerator({blocker}, &output), 1);
        QVERIFY(output.contains(QLatin1String("konnte nicht geschrieben werden")));
    }

private:
    QTemporaryDir root_;
    QString install_;
    QString templates_;
    QMap<QString, Section> user_;
};

QTEST_GUILESS_MAIN(TestDemo)
#include "tst_demo.moc"
