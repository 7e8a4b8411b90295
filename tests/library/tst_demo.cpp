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
using vvtest::WriteAll;

namespace {

const QString kGenerator = QDir::cleanPath(QStringLiteral(VV_INSTALL_DIR "/../tools/vorlagen-demo"));
const QStringList kPdfs{"*.pdf"};
const QStringList kPictures{"*.jpg", "*.gif"};

using Section = QList<QPair<QString, QString>>;
using Profile = QMap<QString, Section>;

// Just enough of the profile format to look at what the generator wrote.
Profile ParseIni(const QString &text)
{
    Profile out;
    QString current;
    for (const QString &raw : text.split("\r\n")) {
        const QString line = raw.trimmed();
        const qsizetype eq = line.indexOf('=');
        if (line.startsWith('[') && line.endsWith(']')) {
            current = line.mid(1, line.size() - 2).toUpper();
            out[current];
        } else if (eq >= 0 && !current.isEmpty()) {
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
    for (const char *name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"})
        env.remove(QString::fromLatin1(name));
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
        install_ = root_.filePath("Installation Ä 1");
        QCOMPARE(RunGenerator({install_}), 0);
        templates_ = install_ + "/Vorlagen";
        user_ = ParseIni(vv::FromCp1252(ReadAll(templates_ + "/User.dat")));
    }

    void profilesAreWindowsText_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QByteArrayList>("texts");
        QTest::newRow("User.dat") << templates_ + "/User.dat"
                                  << QByteArrayList{"01=Beitrittserkl\xe4rungen\r\n", "Jahresbeitrag 60,00 \x80"};
        QTest::newRow("VORLAGEN.DAT") << install_ + "/VORLAGEN.DAT" << QByteArrayList();
    }

    void profilesAreWindowsText()
    {
        QFETCH(QString, path);
        QFETCH(QByteArrayList, texts);
        const QByteArray raw = ReadAll(path);
        const QByteArray lone = QByteArray(raw).replace("\r\n", "");
        QVERIFY2(raw.endsWith("\r\n") && !lone.contains('\r') && !lone.contains('\n'), "not CR LF throughout");
        QVERIFY2(!raw.contains("\xc3"), "UTF-8 instead of Windows-1252");
        for (const QByteArray &text : texts)
            QVERIFY2(raw.contains(text), text.constData());
        // Longer values would be cut when read.
        for (const Section &section : ParseIni(vv::FromCp1252(raw)))
            for (const auto &kv : section)
                QVERIFY2(!kv.second.isEmpty() && kv.second.size() <= 254, qPrintable(kv.first));
    }

    void categoriesMatchFolders()
    {
        const Section cat = user_.value("CAT"), dir = user_.value("DIR");
        // The program reads the keys 01 to 09 only.
        QVERIFY(cat.size() >= 2 && cat.size() <= 9);
        QCOMPARE(dir.size(), cat.size());
        QStringList names;
        int withSlash = 0;
        for (int i = 0; i < cat.size(); ++i) {
            const QString key = QString::number(i + 1).rightJustified(2, '0');
            QCOMPARE(cat[i].first, key);
            QCOMPARE(dir[i].first, key);
            names << cat[i].second;
            const bool slash = dir[i].second.startsWith('\\');
            withSlash += slash;
            QCOMPARE(dir[i].second.mid(slash ? 1 : 0), names.last());
            QVERIFY2(!Value(user_.value("INFO"), key).isEmpty(), qPrintable("no help text for category " + key));
        }
        // Folders are written both with and without a leading backslash.
        QVERIFY(withSlash >= 1 && withSlash < cat.size());
        // Nothing on disk that the user file does not list.
        QStringList disk = QDir(templates_).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
        disk.sort();
        names.sort();
        QCOMPARE(disk, names);
    }

    void documentHelpTexts()
    {
        QStringList names;
        for (const QString &p : FilesBelow(templates_, kPdfs))
            names << QFileInfo(p).fileName();
        int documentKeys = 0;
        for (const auto &kv : user_.value("INFO")) {
            if (!kv.first.endsWith(".pdf"))
                continue;
            ++documentKeys;
            QVERIFY2(names.contains(kv.first), qPrintable("help text for a missing document: " + kv.first));
        }
        // Most documents carry a help text, some do not.
        QVERIFY(documentKeys * 2 > names.size() && documentKeys < names.size());
    }

    void files_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QByteArray>("format"); // "pdf", or of a picture; empty: any picture
        for (const QString &p : InstallPictures())
            QTest::newRow(qPrintable(QFileInfo(p).fileName())) << p << QByteArray();
        for (const QString &p : FilesBelow(templates_, kPdfs + kPictures))
            QTest::newRow(qPrintable(QFileInfo(p).fileName()))
                << p << QByteArray(p.endsWith(".pdf") ? "pdf" : p.endsWith(".gif") ? "gif" : "jpeg");
    }

    void files()
    {
        QFETCH(QString, path);
        QFETCH(QByteArray, format);
        if (format == "pdf") {
            const QByteArray pdf = ReadAll(path);
            QVERIFY(pdf.startsWith("%PDF") && pdf.trimmed().endsWith("%%EOF"));
            // An embedded font, so the umlauts print on any machine.
            QVERIFY(pdf.contains("/FontFile2"));
            return;
        }
        QByteArray found;
        QVERIFY(!LoadByContent(path, &found).isNull());
        if (!format.isEmpty())
            QCOMPARE(found, format);
    }

    void previewMix()
    {
        int both = 0, jpgOnly = 0, gifOnly = 0, none = 0;
        for (const QString &pdf : FilesBelow(templates_, kPdfs)) {
            const QString jpg = pdf.chopped(3) + "jpg", gif = pdf.chopped(3) + "gif";
            const bool hasJpg = QFile::exists(jpg), hasGif = QFile::exists(gif);
            both += hasJpg && hasGif;
            jpgOnly += hasJpg && !hasGif;
            gifOnly += hasGif && !hasJpg;
            none += !hasJpg && !hasGif;
            // The two must look different, or nobody sees which one wins.
            if (hasJpg && hasGif)
                QVERIFY2(MeanDifference(LoadByContent(jpg), LoadByContent(gif)) > 3.0, qPrintable(pdf));
        }
        QVERIFY(both >= 1 && jpgOnly >= 1 && gifOnly >= 1 && none >= 1);
        for (const QString &pic : FilesBelow(templates_, kPictures))
            QVERIFY2(QFile::exists(pic.chopped(3) + "pdf"), qPrintable("no document for " + pic));

        // The fallback and the five templates are six different pictures.
        QList<QImage> seen;
        for (const QString &p : InstallPictures()) {
            const QImage img = LoadByContent(p);
            for (const QImage &other : seen)
                QVERIFY2(MeanDifference(img, other) > 0.5, qPrintable(p));
            seen << img;
        }
    }

    void favourites()
    {
        const Profile ini = ParseIni(vv::FromCp1252(ReadAll(install_ + "/VORLAGEN.DAT")));
        const Section docs = ini.value("DOCS"), files = ini.value("PDFFILE");
        QVERIFY(!docs.isEmpty());
        QCOMPARE(files.size(), docs.size());
        for (int slot = 0; slot < docs.size(); ++slot) {
            QCOMPARE(docs[slot].first, QString::number(slot));
            QCOMPARE(files[slot].first, QString::number(slot));
            const QString path = files[slot].second;
            QVERIFY2(path.startsWith("\\Vorlagen\\") && path.endsWith(".pdf"), qPrintable(path));
            QVERIFY2(QFile::exists(install_ + QString(path).replace('\\', '/')), qPrintable(path));
        }
    }

    void secondRunKeepsChangesResetRestores()
    {
        const QString install = root_.filePath("Zweite Installation");
        QCOMPARE(RunGenerator({install}), 0);
        const QString userFile = install + "/Vorlagen/User.dat";
        const QString pdf = install + "/Vorlagen/Vollmachten/Vollmacht_Bank.pdf";
        const QString gif = install + "/Vorlagen/Vollmachten/Vollmacht_Bank.gif";
        const QString picture = install + "/DOCFORM2.DLL";
        const QString own = install + "/Vorlagen/Vollmachten/Eigene_Vorlage.pdf";
        const QByteArray original = ReadAll(userFile);
        QVERIFY(!original.isEmpty());

        const QByteArray changedUser = original + "[EIGENES]\r\nNotiz=bleibt\r\n";
        WriteAll(userFile, changedUser);
        WriteAll(pdf, "geändert");
        WriteAll(picture, "kein Bild");
        WriteAll(own, "%PDF-1.4 eigene");
        QVERIFY(QFile::remove(gif));

        QCOMPARE(RunGenerator({install}), 0);
        QCOMPARE(ReadAll(userFile), changedUser);
        QCOMPARE(ReadAll(pdf), QByteArray("geändert"));
        QCOMPARE(ReadAll(picture), QByteArray("kein Bild"));
        QVERIFY2(!LoadByContent(gif).isNull(), "a missing demo file is made again");

        QCOMPARE(RunGenerator({"--reset", install}), 0);
        QCOMPARE(ReadAll(userFile), original);
        QVERIFY(ReadAll(pdf).startsWith("%PDF") && ReadAll(pdf).size() > 1024);
        QVERIFY(!LoadByContent(picture).isNull());
        QCOMPARE(ReadAll(own), QByteArray("%PDF-1.4 eigene"));
        // Nothing of the writing is left behind.
        QCOMPARE(FilesBelow(install, {"*.part", "*.tmp", "*~"}), QStringList());
    }

    void badCalls_data()
    {
        QTest::addColumn<QString>("args"); // separated by '|'
        QTest::addColumn<int>("exitCode");
        QTest::newRow("only --reset") << "--reset" << 2;
        QTest::newRow("two folders") << "a1|a2" << 2;
        QTest::newRow("unknown option") << "--alles|a3" << 2;
        QTest::newRow("--reset twice") << "--reset|--reset|a4" << 2;
        QTest::newRow("folder is a file") << "eine Datei" << 1;
    }

    void badCalls()
    {
        QFETCH(QString, args);
        QFETCH(int, exitCode);
        QDir work(root_.filePath("calls"));
        QVERIFY(work.mkpath("."));
        QStringList absolute;
        for (const QString &a : args.split('|', Qt::SkipEmptyParts))
            absolute << (a.startsWith("--") ? a : work.filePath(a));
        if (exitCode == 1) // a file stands where the installation should go
            WriteAll(absolute.first(), {});
        const QStringList before = work.entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
        QString output;
        QCOMPARE(RunGenerator(absolute, &output), exitCode);
        QVERIFY2(output.contains(exitCode == 2 ? "Aufruf: vorlagen-demo" : "konnte nicht geschrieben werden"),
                 qPrintable(output));
        QCOMPARE(work.entryList(QDir::AllEntries | QDir::NoDotAndDotDot), before);
    }

private:
    // The fallback picture and the five template pictures of the installation.
    QStringList InstallPictures() const
    {
        QStringList out{install_ + "/KORVENTIS.MAP"};
        for (int i = 0; i < 5; ++i)
            out << install_ + "/DOCFORM" + QString::number(i) + ".DLL";
        return out;
    }

    QTemporaryDir root_;
    QString install_;
    QString templates_;
    Profile user_;
};

QTEST_GUILESS_MAIN(TestDemo)
#include "tst_demo.moc"
