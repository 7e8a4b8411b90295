// Path splitting, existence tests, temporary files and the copy that the
// add-document and move commands rely on.

#include "FileServices.h"

#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

using namespace vv;

namespace {

bool WriteBytes(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

QByteArray ReadBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

// Restores an environment variable when the test ends, pass or fail.
class EnvGuard {
public:
    explicit EnvGuard(const char *name) : m_name(name), m_set(qEnvironmentVariableIsSet(name)), m_value(qgetenv(name)) {}
    ~EnvGuard()
    {
        if (m_set)
            qputenv(m_name, m_value);
        else
            qunsetenv(m_name);
    }
    EnvGuard(const EnvGuard &) = delete;
    EnvGuard &operator=(const EnvGuard &) = delete;

private:
    const char *m_name;
    bool m_set;
    QByteArray m_value;
};

} // namespace

class TestFileServices : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();

    void splitPath_data();
    void splitPath();

    void fileExists_data();
    void fileExists();
    void pathExists_data();
    void pathExists();

    void tempFileNewAndEmpty();
    void tempFileFolder_data();
    void tempFileFolder();
    void tempFileNumbers_data();
    void tempFileNumbers();

    void copy_data();
    void copy();
    void copyThroughLink();

private:
    QTemporaryDir m_root;
    QString m_fixture;
};

void TestFileServices::initTestCase()
{
    QVERIFY(m_root.isValid());
    vvtest::IsolateEnvironment(m_root.path());

    m_fixture = m_root.filePath("fixture");
    const QStringList files = {"pdfs/Antrag.pdf", "pdfs/Vollmacht [alt].pdf", "pdfs/LIESMICH", "upper/X.PDF",
                               "hidden/.versteckt.pdf", "noext/Makefile", "sub/inner/tief.pdf"};
    for (const QString &f : files) {
        const QString path = m_fixture + '/' + f;
        QVERIFY(QDir().mkpath(QFileInfo(path).absolutePath()));
        QVERIFY(WriteBytes(path, "x"));
    }
    QVERIFY(QDir().mkpath(m_fixture + "/empty"));
    QVERIFY(QDir().mkpath(m_fixture + "/links"));
    QVERIFY(QFile::link(m_fixture + "/nirgends", m_fixture + "/links/tot"));
}

void TestFileServices::splitPath_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("folder");

    QTest::newRow("windows path") << "C:\\a\\b.pdf" << "b.pdf" << "C:\\a\\";
    QTest::newRow("bare name") << "b.pdf" << "b.pdf" << "";
    QTest::newRow("folder only") << "C:\\a\\" << "" << "C:\\a\\";
    QTest::newRow("drive root") << "C:\\x.pdf" << "x.pdf" << "C:\\";
    QTest::newRow("slash path") << "/srv/Vorlagen/Antrag.pdf" << "Antrag.pdf" << "/srv/Vorlagen/";
    QTest::newRow("slash after backslash") << "\\Vorlagen\\Kat/Antrag.pdf" << "Antrag.pdf" << "\\Vorlagen\\Kat/";
    QTest::newRow("backslash after slash") << "/srv/Vorlagen\\Antrag.pdf" << "Antrag.pdf" << "/srv/Vorlagen\\";
    QTest::newRow("root file") << "/x.pdf" << "x.pdf" << "/";
    QTest::newRow("blanks and umlauts") << "\\Vorlagen\\Vollmacht Über\\Antrag (neu).pdf" << "Antrag (neu).pdf"
                                        << "\\Vorlagen\\Vollmacht Über\\";
    QTest::newRow("empty") << "" << "" << "";
}

void TestFileServices::splitPath()
{
    QFETCH(QString, path);
    QFETCH(QString, name);
    QFETCH(QString, folder);
    QCOMPARE(GetFileName(path), name);
    QCOMPARE(GetFilePath(path), folder);
    QCOMPARE(GetFilePath(path) + GetFileName(path), path);
}

void TestFileServices::fileExists_data()
{
    QTest::addColumn<QString>("relative");
    QTest::addColumn<bool>("expected");

    QTest::newRow("one pdf among others") << "pdfs/*.pdf" << true;
    QTest::newRow("empty folder") << "empty/*.pdf" << false;
    QTest::newRow("star in empty folder") << "empty/*" << false;
    QTest::newRow("star finds any entry") << "pdfs/*" << true;
    QTest::newRow("extension case differs") << "upper/*.pdf" << false;
    QTest::newRow("extension case matches") << "upper/*.PDF" << true;
    QTest::newRow("question mark one char") << "pdfs/Antra?.pdf" << true;
    QTest::newRow("question mark not zero chars") << "pdfs/Antrag?.pdf" << false;
    QTest::newRow("pattern anchored at end") << "pdfs/*.pd" << false;
    QTest::newRow("pattern anchored at start") << "pdfs/ntrag*" << false;
    QTest::newRow("brackets are literal") << "pdfs/*[alt].pdf" << true;
    QTest::newRow("brackets no class") << "pdfs/[AV]ntrag*" << false;
    QTest::newRow("star dot star matches name without dot") << "noext/*.*" << true;
    QTest::newRow("hidden file matches") << "hidden/*.pdf" << true;
    QTest::newRow("no recursion into subfolders") << "sub/*.pdf" << false;
    QTest::newRow("subfolder matched as entry") << "sub/inn*" << true;
    QTest::newRow("folder without separator") << "pdfs" << true;
    QTest::newRow("folder with separator") << "pdfs/" << false;
    QTest::newRow("file exact") << "pdfs/Antrag.pdf" << true;
    QTest::newRow("file other case") << "pdfs/antrag.pdf" << false;
    QTest::newRow("blank and brackets exact") << "pdfs/Vollmacht [alt].pdf" << true;
    QTest::newRow("missing") << "fehlt" << false;
    QTest::newRow("pattern in missing folder") << "fehlt/*.pdf" << false;
    QTest::newRow("backslash is no separator") << "pdfs\\*.pdf" << false;
    QTest::newRow("dangling link is an entry") << "links/tot" << true;
}

void TestFileServices::fileExists()
{
    QFETCH(QString, relative);
    QFETCH(bool, expected);
    QCOMPARE(FileExists(m_fixture + '/' + relative), expected);
}

void TestFileServices::pathExists_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<bool>("expected");

    QTest::newRow("file") << "pdfs/Antrag.pdf" << true;
    QTest::newRow("folder") << "pdfs" << true;
    QTest::newRow("folder with separator") << "pdfs/" << true;
    QTest::newRow("missing") << "fehlt.pdf" << false;
    QTest::newRow("below a file") << "pdfs/Antrag.pdf/x" << false;
    QTest::newRow("wildcards are not expanded") << "pdfs/*.pdf" << false;
    QTest::newRow("dangling link") << "links/tot" << true;
    QTest::newRow("empty") << QString() << false;
}

void TestFileServices::pathExists()
{
    QFETCH(QString, path);
    QFETCH(bool, expected);
    QCOMPARE(PathExists(path.isNull() ? QString() : m_fixture + '/' + path), expected);
}

void TestFileServices::tempFileNewAndEmpty()
{
    const QString temp = qEnvironmentVariable("temp");
    QVERIFY(!temp.isEmpty());
    const QString first = GetTempFile();
    const QString second = GetTempFile();
    QVERIFY(!first.isEmpty());
    QVERIFY(!second.isEmpty());
    QVERIFY(first != second);
    static const QRegularExpression windowsName(QStringLiteral("^[0-9A-F]{4}\\.tmp$"));
    for (const QString &path : {first, second}) {
        const QFileInfo info(path);
        QVERIFY2(info.isFile(), qPrintable(path));
        QCOMPARE(info.size(), 0);
        QCOMPARE(info.absolutePath(), QDir(temp).absolutePath());
        QVERIFY2(windowsName.match(info.fileName()).hasMatch(), qPrintable(info.fileName()));
        // The copy's name replaces the last three characters.
        QVERIFY(path.endsWith(".tmp"));
    }
}

void TestFileServices::tempFileFolder_data()
{
    QTest::addColumn<QByteArray>("temp");
    QTest::addColumn<bool>("unset");
    QTest::addColumn<QString>("expectedFolder"); // relative to the root; "" = none

    QTest::newRow("temp set") << QByteArray("eigenes-temp") << false << "eigenes-temp";
    QTest::newRow("temp unset uses TMPDIR") << QByteArray() << true << "tmp";
    QTest::newRow("temp empty uses TMPDIR") << QByteArray() << false << "tmp";
    QTest::newRow("temp missing folder") << QByteArray("gibt-es-nicht") << false << "";
}

void TestFileServices::tempFileFolder()
{
    QFETCH(QByteArray, temp);
    QFETCH(bool, unset);
    QFETCH(QString, expectedFolder);

    EnvGuard guard("temp");
    const QString root = m_root.path();
    QVERIFY(QDir(root).mkpath("eigenes-temp"));
    if (unset)
        qunsetenv("temp");
    else
        qputenv("temp", temp.isEmpty() ? temp : QFile::encodeName(root + '/' + temp));

    const QString path = GetTempFile();
    if (expectedFolder.isEmpty()) {
        QCOMPARE(path, QString());
        QVERIFY(!QFileInfo::exists(root + '/' + temp));
        return;
    }
    QVERIFY(!path.isEmpty());
    QCOMPARE(QFileInfo(path).absolutePath(), QDir(root + '/' + expectedFolder).absolutePath());
    QVERIFY(QFileInfo(path).isFile());
    QVERIFY(QFile::remove(path));
}

void TestFileServices::tempFileNumbers_data()
{
    QTest::addColumn<QStringList>("taken");
    QTest::addColumn<int>("start");
    QTest::addColumn<QString>("expected");

    QTest::newRow("free start") << QStringList() << 0x1A2B << "1A2B.tmp";
    QTest::newRow("taken file skipped") << QStringList{"0005.tmp"} << 5 << "0006.tmp";
    QTest::newRow("taken folder skipped") << QStringList{"0007.tmp/"} << 7 << "0008.tmp";
    QTest::newRow("run of taken names") << QStringList{"00FE.tmp", "00FF.tmp", "0100.tmp"} << 0xFE << "0101.tmp";
    QTest::newRow("wraps past FFFF without 0000") << QStringList{"FFFF.tmp"} << 0xFFFF << "0001.tmp";
    QTest::newRow("zero is not a number") << QStringList() << 0 << "0001.tmp";
}

void TestFileServices::tempFileNumbers()
{
    QFETCH(QStringList, taken);
    QFETCH(int, start);
    QFETCH(QString, expected);

    QTemporaryDir folder(m_root.filePath("numbers-XXXXXX"));
    QVERIFY(folder.isValid());
    for (const QString &name : taken) {
        if (name.endsWith('/'))
            QVERIFY(QDir(folder.path()).mkdir(name.chopped(1)));
        else
            QVERIFY(WriteBytes(folder.filePath(name), "belegt"));
    }
    const QString path = CreateTempFileIn(folder.path(), quint16(start));
    QCOMPARE(path, folder.filePath(expected));
    QCOMPARE(QFileInfo(path).size(), 0);
    for (const QString &name : taken) {
        if (!name.endsWith('/'))
            QCOMPARE(ReadBytes(folder.filePath(name)), QByteArray("belegt"));
    }
}

void TestFileServices::copy_data()
{
    QTest::addColumn<QByteArray>("source");  // "<none>" = missing
    QTest::addColumn<QByteArray>("target");  // "<none>" = missing, "<dir>" = a folder
    QTest::addColumn<int>("targetMode");     // 0 = leave as created
    QTest::addColumn<bool>("targetFolderExists");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QByteArray>("after");   // target content after the call

    const QByteArray none("<none>");
    const QByteArray binary("%PDF-1.4\0\r\n\xE4\xFC\0end", 17);
    QTest::newRow("new target") << QByteArray("Inhalt") << none << 0 << true << true << QByteArray("Inhalt");
    QTest::newRow("overwrite longer with shorter") << QByteArray("kurz") << QByteArray("ein viel längerer alter Inhalt") << 0
                                                   << true << true << QByteArray("kurz");
    QTest::newRow("binary content") << binary << QByteArray("alt") << 0 << true << true << binary;
    QTest::newRow("empty source") << QByteArray() << QByteArray("alt") << 0 << true << true << QByteArray();
    QTest::newRow("missing source keeps target") << none << QByteArray("alt") << 0 << true << false << QByteArray("alt");
    QTest::newRow("missing source makes nothing") << none << none << 0 << true << false << none;
    QTest::newRow("read-only target kept") << QByteArray("neu") << QByteArray("alt") << 0444 << true << false
                                           << QByteArray("alt");
    QTest::newRow("target folder missing") << QByteArray("neu") << none << 0 << false << false << none;
    QTest::newRow("target is a folder") << QByteArray("neu") << QByteArray("<dir>") << 0 << true << false
                                        << QByteArray("<dir>");
}

void TestFileServices::copy()
{
    QFETCH(QByteArray, source);
    QFETCH(QByteArray, target);
    QFETCH(int, targetMode);
    QFETCH(bool, targetFolderExists);
    QFETCH(bool, ok);
    QFETCH(QByteArray, after);

    QTemporaryDir dir(m_root.filePath("copy-XXXXXX"));
    QVERIFY(dir.isValid());
    const QString sourcePath = dir.filePath("Quelle Ä.pdf");
    const QString targetFolder = dir.filePath(targetFolderExists ? "Ziel" : "fehlt");
    const QString targetPath = targetFolder + "/Ziel Ü.pdf";
    if (source != "<none>")
        QVERIFY(WriteBytes(sourcePath, source));
    if (targetFolderExists)
        QVERIFY(QDir().mkpath(targetFolder));
    if (target == "<dir>")
        QVERIFY(QDir().mkpath(targetPath));
    else if (target != "<none>")
        QVERIFY(WriteBytes(targetPath, target));
    if (targetMode)
        QVERIFY(QFile::setPermissions(targetPath, QFileDevice::Permissions(QFileDevice::ReadOwner | QFileDevice::ReadUser
                                                                          | QFileDevice::ReadGroup | QFileDevice::ReadOther)));

    QString error;
    QCOMPARE(CopyFileOverwrite(sourcePath, targetPath, &error), ok);
    QCOMPARE(error.isEmpty(), ok);

    if (after == "<none>")
        QVERIFY(!QFileInfo::exists(targetPath));
    else if (after == "<dir>")
        QVERIFY(QFileInfo(targetPath).isDir());
    else
        QCOMPARE(ReadBytes(targetPath), after);
    if (source != "<none>")
        QCOMPARE(ReadBytes(sourcePath), source);
    if (targetFolderExists) {
        // Nothing half-written may stay beside the target.
        const QStringList left = QDir(targetFolder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
        QCOMPARE(left, target == "<none>" && !ok ? QStringList() : QStringList{"Ziel Ü.pdf"});
    }
}

void TestFileServices::copyThroughLink()
{
    QTemporaryDir dir(m_root.filePath("link-XXXXXX"));
    QVERIFY(dir.isValid());
    QVERIFY(WriteBytes(dir.filePath("quelle"), "neu"));
    QVERIFY(WriteBytes(dir.filePath("echt"), "alt"));
    QVERIFY(QFile::setPermissions(dir.filePath("echt"), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup));
    QVERIFY(QFile::link("echt", dir.filePath("verweis")));

    QVERIFY(CopyFileOverwrite(dir.filePath("quelle"), dir.filePath("verweis")));

    QVERIFY(QFileInfo(dir.filePath("verweis")).isSymLink());
    QCOMPARE(ReadBytes(dir.filePath("echt")), QByteArray("neu"));
    // An overwritten file keeps who may read it.
    QCOMPARE(QFileInfo(dir.filePath("echt")).permissions() & 0x7077,
             QFileDevice::Permissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup) & 0x7077);
}

QTEST_GUILESS_MAIN(TestFileServices)
#include "tst_fileservices.moc"
