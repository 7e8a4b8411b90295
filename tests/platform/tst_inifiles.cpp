// Profile files must read as the Windows functions read them, and a write must
// change only its own line: files travel between both systems and the host.

#include "FileLock.h"
#include "IniFiles.h"

#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using namespace vv;

using vvtest::ReadAll;

namespace {

// Keeps embedded NUL bytes, which a plain const char* would cut.
template <size_t N>
QByteArray B(const char (&s)[N])
{
    return QByteArray(s, int(N - 1));
}

QByteArray Utf16(const QString &text, bool little)
{
    QByteArray out = little ? B("\xFF\xFE") : B("\xFE\xFF");
    for (QChar ch : text) {
        const char lo = char(ch.unicode() & 0xFF), hi = char(ch.unicode() >> 8);
        out.append(little ? lo : hi);
        out.append(little ? hi : lo);
    }
    return out;
}

bool WriteBytes(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

enum Op { Write, DeleteKey, DeleteSection };

int Run(Op op, const QString &file, const QString &section, const QString &key, const QString &value)
{
    switch (op) {
    case Write:
        return WriteIniValue(file, section, key, value);
    case DeleteKey:
        return DeleteIniKey(file, section, key);
    case DeleteSection:
        return DeleteIniSection(file, section);
    }
    return -1;
}

} // namespace

class TestIniFiles : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();

    void read_data();
    void read();
    void write_data();
    void write();
    void roundTrip_data();
    void roundTrip();
    void refusedWrites_data();
    void refusedWrites();

    void readOfMissingFileCreatesNothing();
    void writeCreatesMissingFile();
    void deletedSectionReadsEmpty();
    void keepsPermissionsAndLinks();
    void lockedFileIsNotWritten();

private:
    QString path(const QString &name) const { return m_dir.filePath(name); }

    QTemporaryDir m_root;
    QDir m_dir;
    int m_case = 0;
};

void TestIniFiles::initTestCase()
{
    QVERIFY(m_root.isValid());
    vvtest::IsolateEnvironment(m_root.path());
}

void TestIniFiles::init()
{
    // A fresh folder per case, so a stray lock or helper file of one case
    // cannot change the next.
    const QString folder = m_root.filePath(QStringLiteral("case%1").arg(++m_case));
    QVERIFY(QDir().mkpath(folder));
    m_dir = QDir(folder);
}

void TestIniFiles::read_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("expected");

    const QByteArray longLine(100 * 1024, 'j');
    const QByteArray x300(300, 'x');

    QTest::newRow("plain") << B("[SET]\r\nDruck=1\r\n") << "SET" << "Druck" << "1";
    QTest::newRow("section case") << B("[CAT]\r\n01=Vollmachten\r\n") << "cat" << "01" << "Vollmachten";
    QTest::newRow("umlaut case") << B("[\xC4rzte]\r\nk=1\r\n") << QString::fromUtf8("ärzte") << "k" << "1";
    QTest::newRow("blanks and tabs ignored")
        << B("  [ S ]\t\r\n\t key \t=\t  a  b  \t\r\n") << "S" << "key" << "a  b";
    QTest::newRow("first duplicate key") << B("[S]\r\nk=1\r\nK=2\r\n") << "S" << "k" << "1";
    QTest::newRow("first duplicate section")
        << B("[S]\r\nk=1\r\n[T]\r\nk=3\r\n[s]\r\nk=2\r\n") << "S" << "k" << "1";
    QTest::newRow("key only in later duplicate")
        << B("[S]\r\na=1\r\n[T]\r\n[S]\r\nb=2\r\n") << "S" << "b" << "2";
    QTest::newRow("key of other section") << B("[S]\r\n[T]\r\nk=1\r\n") << "S" << "k" << "";
    QTest::newRow("before first section") << B("k=1\r\n[S]\r\nj=2\r\n") << "S" << "k" << "";
    QTest::newRow("comment") << B("[S]\r\n;k=1\r\n") << "S" << "k" << "";
    QTest::newRow("indented comment") << B("[S]\r\n  ;k=1\r\nk=2\r\n") << "S" << "k" << "2";
    QTest::newRow("hash is ordinary") << B("[S]\r\n#k=1\r\n") << "S" << "#k" << "1";
    QTest::newRow("semicolon in value") << B("[S]\r\nk=a ; b\r\n") << "S" << "k" << "a ; b";
    QTest::newRow("first equals splits") << B("[S]\r\nk=a=b\r\n") << "S" << "k" << "a=b";
    QTest::newRow("line without equals") << B("[S]\r\nk\r\nk=2\r\n") << "S" << "k" << "2";
    QTest::newRow("missing section") << B("[S]\r\nk=1\r\n") << "T" << "k" << "";

    QTest::newRow("double quotes") << B("[S]\r\nk=\"abc\"\r\n") << "S" << "k" << "abc";
    QTest::newRow("single quotes") << B("[S]\r\nk='abc'\r\n") << "S" << "k" << "abc";
    QTest::newRow("quotes after trimming") << B("[S]\r\nk=  \" a \"  \r\n") << "S" << "k" << " a ";
    QTest::newRow("mixed quotes") << B("[S]\r\nk=\"abc'\r\n") << "S" << "k" << "\"abc'";
    QTest::newRow("one-sided quote") << B("[S]\r\nk=\"abc\r\n") << "S" << "k" << "\"abc";
    QTest::newRow("only one pair removed") << B("[S]\r\nk=\"\"x\"\"\r\n") << "S" << "k" << "\"x\"";

    QTest::newRow("300 chars cut to 254") << B("[S]\r\nk=") + x300 + "\r\n" << "S" << "k" << QString(254, 'x');
    QTest::newRow("quotes removed before cut")
        << B("[S]\r\nk=\"") + QByteArray(300, 'y') + "\"" << "S" << "k" << QString(254, 'y');

    QTest::newRow("LF only") << B("[S]\nk=1\nj=2\n") << "S" << "j" << "2";
    QTest::newRow("CR only") << B("[S]\rk=1\rj=2\r") << "S" << "j" << "2";
    QTest::newRow("mixed line ends") << B("[S]\r\na=1\nb=2\rc=3\r\n") << "S" << "c" << "3";
    QTest::newRow("no trailing newline") << B("[S]\r\nk=last") << "S" << "k" << "last";

    QTest::newRow("windows-1252") << B("[S]\r\nk=\x80 \xE4\xF6\xFC\xDF \x84x\x93\r\n") << "S" << "k"
                                  << QString::fromUtf8("€ äöüß „x“");
    QTest::newRow("utf-8 bom hides first header")
        << B("\xEF\xBB\xBF[S]\r\nk=1\r\n[T]\r\nk=2\r\n") << "S" << "k" << "";
    QTest::newRow("utf-8 bom, later section")
        << B("\xEF\xBB\xBF[S]\r\nk=1\r\n[T]\r\nk=2\r\n") << "T" << "k" << "2";
    QTest::newRow("utf-16 LE") << Utf16(QString::fromUtf8("[Ärzte]\r\nk = Ω „x“ \r\n"), true)
                               << QString::fromUtf8("ärzte") << "K" << QString::fromUtf8("Ω „x“");
    QTest::newRow("utf-16 BE") << Utf16(QString::fromUtf8("[S]\nk=Ω\n"), false) << "S" << "k"
                               << QString::fromUtf8("Ω");

    QTest::newRow("header without bracket") << B("[S\r\nk=1\r\n") << "S" << "k" << "1";
    QTest::newRow("bracket inside name") << B("[a]b]\r\nk=1\r\n") << "a]b" << "k" << "1";
    QTest::newRow("binary junk")
        << B("\x00\x01\xFF\xFE\x81[S]\r\n\x00\x00=\x01\r\n[S]\x00\r\n\x7F=\x90\r\nk=v\x00tail\r\n")
        << "S" << "k" << "v";
    QTest::newRow("100 kB line skipped") << B("[S]\r\n") + longLine + "\r\nk=after\r\n" << "S" << "k" << "after";
    QTest::newRow("100 kB value cut") << B("[S]\r\nk=") + longLine + "\r\n" << "S" << "k" << QString(254, 'j');
}

void TestIniFiles::read()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, section);
    QFETCH(QString, key);
    QFETCH(QString, expected);

    const QString file = path("User.dat");
    QVERIFY(WriteBytes(file, content));
    const QString got = ReadIniValue(file, section, key);
    QCOMPARE(got, expected);
    QCOMPARE(ReadAll(file), content);
}

void TestIniFiles::write_data()
{
    QTest::addColumn<bool>("existed");
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<int>("op");
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("value");
    QTest::addColumn<bool>("exists");
    QTest::addColumn<QByteArray>("after");

    const QByteArray longLine(100 * 1024, 'j');
    const QByteArray two = B("; Kopf\r\n[S]\r\n\r\nA=1\r\n; zu B\r\nB=2\r\n\r\n[T]\r\nB=3\r\n");

    // Replacing in place.
    QTest::newRow("replace keeps other bytes") << true << two << int(Write) << "S" << "b" << "neu" << true
                                               << B("; Kopf\r\n[S]\r\n\r\nA=1\r\n; zu B\r\nB=neu\r\n\r\n[T]\r\nB=3\r\n");
    QTest::newRow("replace keeps spelling and blanks")
        << true << B("[s]\r\n  MyKey \t= \told value  \r\n") << int(Write) << "S" << "MYKEY" << "x y" << true
        << B("[s]\r\n  MyKey \t= \tx y\r\n");
    QTest::newRow("replace first duplicate") << true << B("[S]\r\nk=1\r\nk=2\r\n") << int(Write) << "S" << "k" << "9"
                                             << true << B("[S]\r\nk=9\r\nk=2\r\n");
    QTest::newRow("replace in later duplicate section")
        << true << B("[S]\r\na=1\r\n[T]\r\nb=0\r\n[S]\r\nb=2\r\n") << int(Write) << "S" << "b" << "3" << true
        << B("[S]\r\na=1\r\n[T]\r\nb=0\r\n[S]\r\nb=3\r\n");
    QTest::newRow("replace drops trailing blanks") << true << B("[S]\nk = 1 \n") << int(Write) << "S" << "k" << "1"
                                                   << true << B("[S]\nk = 1\n");

    // New keys and sections.
    QTest::newRow("new file") << false << QByteArray() << int(Write) << "SET" << "Druck" << "1" << true
                              << B("[SET]\r\nDruck=1\r\n");
    QTest::newRow("empty file") << true << QByteArray() << int(Write) << "S" << "k" << "v" << true
                                << B("[S]\r\nk=v\r\n");
    QTest::newRow("new key after last entry")
        << true << B("[S]\r\na=1\r\n\r\n; Notiz\r\n[T]\r\nx=1\r\n") << int(Write) << "S" << "b" << "2" << true
        << B("[S]\r\na=1\r\nb=2\r\n\r\n; Notiz\r\n[T]\r\nx=1\r\n");
    QTest::newRow("new key in empty section") << true << B("[S]\r\n; c\r\n[T]\r\n") << int(Write) << "S" << "k" << "v"
                                              << true << B("[S]\r\nk=v\r\n; c\r\n[T]\r\n");
    QTest::newRow("new key joins first duplicate section")
        << true << B("[S]\r\na=1\r\n[T]\r\n[S]\r\nb=2\r\n") << int(Write) << "s" << "c" << "3" << true
        << B("[S]\r\na=1\r\nc=3\r\n[T]\r\n[S]\r\nb=2\r\n");
    QTest::newRow("new key after unterminated last entry")
        << true << B("[S]\r\na=1") << int(Write) << "S" << "b" << "2" << true << B("[S]\r\na=1\r\nb=2\r\n");
    QTest::newRow("new section at end") << true << B("[S]\r\na=1\r\n\r\n") << int(Write) << "T" << "k" << "v" << true
                                        << B("[S]\r\na=1\r\n\r\n[T]\r\nk=v\r\n");
    QTest::newRow("new section after unterminated line")
        << true << B("[S]\r\na=1") << int(Write) << "T" << "k" << "v" << true << B("[S]\r\na=1\r\n[T]\r\nk=v\r\n");
    QTest::newRow("LF file gets LF") << true << B("[S]\na=1\n") << int(Write) << "S" << "b" << "2" << true
                                     << B("[S]\na=1\nb=2\n");
    QTest::newRow("CR file gets CR") << true << B("[S]\ra=1\r") << int(Write) << "S" << "b" << "2" << true
                                     << B("[S]\ra=1\rb=2\r");
    QTest::newRow("mixed file takes first line end")
        << true << B("[S]\na=1\r\nb=2\r") << int(Write) << "S" << "c" << "3" << true << B("[S]\na=1\r\nb=2\rc=3\n");
    QTest::newRow("key before first section untouched")
        << true << B("k=1\r\n[S]\r\n") << int(Write) << "S" << "k" << "2" << true << B("k=1\r\n[S]\r\nk=2\r\n");
    QTest::newRow("comment never replaced") << true << B("[S]\r\n;k=1\r\n") << int(Write) << "S" << "k" << "2" << true
                                            << B("[S]\r\nk=2\r\n;k=1\r\n");

    // Values.
    QTest::newRow("value cut at CR LF") << false << QByteArray() << int(Write) << "S" << "k" << "a\r\nb=c" << true
                                        << B("[S]\r\nk=a\r\n");
    QTest::newRow("value windows-1252") << false << QByteArray() << int(Write) << "S" << "k"
                                        << QString::fromUtf8("€ äß „x“ Ω") << true
                                        << B("[S]\r\nk=\x80 \xE4\xDF \x84x\x93 ?\r\n");

    // Odd files.
    QTest::newRow("utf-8 bom kept, header unseen")
        << true << B("\xEF\xBB\xBF[S]\r\nk=1\r\n") << int(Write) << "S" << "k" << "2" << true
        << B("\xEF\xBB\xBF[S]\r\nk=1\r\n[S]\r\nk=2\r\n");
    QTest::newRow("utf-16 LE stays") << true << Utf16(QString::fromUtf8("[S]\r\nk=1\r\nj=ä\r\n"), true) << int(Write)
                                     << "S" << "k" << QString::fromUtf8("Ω€") << true
                                     << Utf16(QString::fromUtf8("[S]\r\nk=Ω€\r\nj=ä\r\n"), true);
    QTest::newRow("utf-16 odd byte kept") << true << Utf16("[S]\r\nk=1\r\n", true) + "\x07" << int(Write) << "S" << "k"
                                          << "2" << true << Utf16("[S]\r\nk=2\r\n", true) + "\x07";
    QTest::newRow("binary junk kept")
        << true << B("\x00\xFF\x81junk\r\n[S]\r\nk=1\r\n\x00\x01\x9D")
        << int(Write) << "S" << "k" << "2" << true << B("\x00\xFF\x81junk\r\n[S]\r\nk=2\r\n\x00\x01\x9D");
    QTest::newRow("binary junk, new section")
        << true << B("\x00\x81\r\n\x00\x01") << int(Write) << "T" << "k" << "v" << true
        << B("\x00\x81\r\n\x00\x01\r\n[T]\r\nk=v\r\n");
    QTest::newRow("header without bracket") << true << B("[S\r\nk=1\r\n") << int(Write) << "S" << "k" << "2" << true
                                            << B("[S\r\nk=2\r\n");
    QTest::newRow("100 kB line kept") << true << B("[S]\r\n") + longLine + "\r\nk=1\r\n" + longLine << int(Write)
                                      << "S" << "k" << "2" << true << B("[S]\r\n") + longLine + "\r\nk=2\r\n" + longLine;

    // Deleting keys.
    QTest::newRow("delete key") << true << B("[S]\r\na=1\r\nk=2\r\nb=3\r\n") << int(DeleteKey) << "s" << "K" << ""
                                << true << B("[S]\r\na=1\r\nb=3\r\n");
    QTest::newRow("delete key, every duplicate")
        << true << B("[S]\r\nk=1\r\n[T]\r\nk=t\r\n[S]\r\nk=2\r\nk=3\r\n") << int(DeleteKey) << "S" << "k" << "" << true
        << B("[S]\r\n[T]\r\nk=t\r\n[S]\r\n");
    QTest::newRow("delete missing key") << true << B("[S]\na=1") << int(DeleteKey) << "S" << "k" << "" << true
                                        << B("[S]\na=1");
    QTest::newRow("delete key of missing file") << false << QByteArray() << int(DeleteKey) << "S" << "k" << ""
                                                << false << QByteArray();

    // Deleting sections.
    QTest::newRow("delete section with its lines")
        << true << B("; oben\r\n[S]\r\na=1\r\n; c\r\n\r\n[T]\r\nb=2\r\n") << int(DeleteSection) << "s" << "" << ""
        << true << B("; oben\r\n[T]\r\nb=2\r\n");
    QTest::newRow("delete every duplicate section")
        << true << B("[S]\r\na=1\r\n[T]\r\nb=2\r\n[s]\r\nc=3\r\n") << int(DeleteSection) << "S" << "" << "" << true
        << B("[T]\r\nb=2\r\n");
    QTest::newRow("delete missing section") << true << B("[T]\nb=2") << int(DeleteSection) << "S" << "" << "" << true
                                            << B("[T]\nb=2");
}

void TestIniFiles::write()
{
    QFETCH(bool, existed);
    QFETCH(QByteArray, before);
    QFETCH(int, op);
    QFETCH(QString, section);
    QFETCH(QString, key);
    QFETCH(QString, value);
    QFETCH(bool, exists);
    QFETCH(QByteArray, after);

    const QString file = path("VORLAGEN.DAT");
    if (existed)
        QVERIFY(WriteBytes(file, before));
    QVERIFY(Run(Op(op), file, section, key, value) != 0);
    QCOMPARE(QFile::exists(file), exists);
    QCOMPARE(ReadAll(file), after);
}

void TestIniFiles::roundTrip_data()
{
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("expected");

    QTest::newRow("blanks around are lost") << "  a  " << "a";
    QTest::newRow("quotes are lost") << "\"zitiert\"" << "zitiert";
    QTest::newRow("german") << QString::fromUtf8("Ärzte & Übersicht – „Maß“") << QString::fromUtf8("Ärzte & Übersicht – „Maß“");
    QTest::newRow("no windows-1252 form") << QString::fromUtf8("Ωmega") << "?mega";
    QTest::newRow("300 chars") << QString(300, 'z') << QString(254, 'z');
    QTest::newRow("line break") << "erste\r\nzweite" << "erste";
}

void TestIniFiles::roundTrip()
{
    QFETCH(QString, value);
    QFETCH(QString, expected);

    const QString file = path("User.dat");
    QVERIFY(WriteBytes(file, B("[INFO]\r\nalt.pdf=x\r\n")));
    QVERIFY(WriteIniValue(file, "INFO", "neu.pdf", value) != 0);
    QCOMPARE(ReadIniValue(file, "info", "NEU.pdf"), expected);
    QCOMPARE(ReadIniValue(file, "INFO", "alt.pdf"), QStringLiteral("x"));
    QVERIFY(WriteIniValue(file, "INFO", "alt.pdf", value) != 0);
    QCOMPARE(ReadIniValue(file, "INFO", "alt.pdf"), expected);
}

void TestIniFiles::refusedWrites_data()
{
    QTest::addColumn<int>("op");
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::addColumn<bool>("readOnly");

    QTest::newRow("read-only, write") << int(Write) << "S" << "k" << true;
    QTest::newRow("read-only, delete key") << int(DeleteKey) << "S" << "k" << true;
    QTest::newRow("read-only, delete section") << int(DeleteSection) << "S" << "" << true;
    QTest::newRow("empty key") << int(Write) << "S" << " " << false;
    QTest::newRow("key with equals") << int(Write) << "S" << "a=b" << false;
    QTest::newRow("key like comment") << int(Write) << "S" << ";k" << false;
    QTest::newRow("key with line break") << int(Write) << "S" << "k\nx" << false;
    QTest::newRow("section with line break") << int(Write) << "S]\r\n[T" << "k" << false;
}

void TestIniFiles::refusedWrites()
{
    QFETCH(int, op);
    QFETCH(QString, section);
    QFETCH(QString, key);
    QFETCH(bool, readOnly);

    const QString file = path("User.dat");
    const QByteArray content = B("[S]\r\nk=1\r\n");
    QVERIFY(WriteBytes(file, content));
    if (readOnly)
        QVERIFY(QFile::setPermissions(file, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
    const QStringList listed = m_dir.entryList(QDir::Files | QDir::Hidden);
    const auto permissions = QFile::permissions(file);

    QCOMPARE(Run(Op(op), file, section, key, "2"), 0);
    QCOMPARE(ReadAll(file), content);
    QCOMPARE(m_dir.entryList(QDir::Files | QDir::Hidden), listed);
    QCOMPARE(QFile::permissions(file), permissions);
}

void TestIniFiles::readOfMissingFileCreatesNothing()
{
    const QString file = path("User.dat");
    QCOMPARE(ReadIniValue(file, "SET", "Druck"), QString());
    QVERIFY(!QFile::exists(file));
    QVERIFY(m_dir.entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot).isEmpty());
    QCOMPARE(ReadIniValue(m_dir.path(), "SET", "Druck"), QString());
    QCOMPARE(ReadIniValue(QString(), "SET", "Druck"), QString());
}

void TestIniFiles::writeCreatesMissingFile()
{
    const QString file = path("User.dat");
    QVERIFY(WriteIniValue(file, "CAT", "01", "Vollmachten") != 0);
    QCOMPARE(ReadIniValue(file, "cat", "01"), QStringLiteral("Vollmachten"));

    // Neither a missing folder nor a folder in place of the file is created or replaced.
    const QString inMissing = path("fehlt/User.dat");
    QCOMPARE(WriteIniValue(inMissing, "CAT", "01", "x"), 0);
    QVERIFY(!QFileInfo::exists(path("fehlt")));
    QVERIFY(m_dir.mkdir("Ordner"));
    QCOMPARE(WriteIniValue(path("Ordner"), "CAT", "01", "x"), 0);
    QVERIFY(QFileInfo(path("Ordner")).isDir());
    QCOMPARE(WriteIniValue(QString(), "CAT", "01", "x"), 0);
}

void TestIniFiles::deletedSectionReadsEmpty()
{
    const QString file = path("User.dat");
    QVERIFY(WriteIniValue(file, "CAT", "01", "A") != 0);
    QVERIFY(WriteIniValue(file, "DIR", "01", "\\A") != 0);
    QVERIFY(WriteIniValue(file, "CAT", "02", "B") != 0);
    QVERIFY(DeleteIniSection(file, "cat") != 0);
    QCOMPARE(ReadIniValue(file, "CAT", "01"), QString());
    QCOMPARE(ReadIniValue(file, "CAT", "02"), QString());
    QCOMPARE(ReadIniValue(file, "DIR", "01"), QStringLiteral("\\A"));
    QVERIFY(DeleteIniKey(file, "DIR", "01") != 0);
    QCOMPARE(ReadIniValue(file, "DIR", "01"), QString());
    QCOMPARE(ReadAll(file), B("[DIR]\r\n"));
    // No lock or half-written sibling is left behind.
    QCOMPARE(m_dir.entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), QStringList{"User.dat"});
}

void TestIniFiles::keepsPermissionsAndLinks()
{
    const QString file = path("User.dat");
    QVERIFY(WriteBytes(file, B("[S]\nk=1\n")));
    const auto mode = QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup;
    QVERIFY(QFile::setPermissions(file, mode));
    QVERIFY(WriteIniValue(file, "S", "k", "2") != 0);
    QVERIFY(WriteIniValue(file, "T", "k", "3") != 0);
    // Owner, group and other bits; the "user" bits depend on who runs the test.
    QCOMPARE(QFile::permissions(file) & 0x7077, mode);

    // Through a link the file it points to changes and the link stays a link.
    const QString link = path("link.dat");
    QVERIFY(QFile::link(file, link));
    QVERIFY(WriteIniValue(link, "S", "k", "4") != 0);
    QVERIFY(QFileInfo(link).isSymLink());
    QCOMPARE(ReadAll(file), B("[S]\nk=4\n[T]\nk=3\n"));
}

void TestIniFiles::lockedFileIsNotWritten()
{
    const QString file = path("User.dat");
    const QByteArray content = B("[S]\r\nk=1\r\n");
    QVERIFY(WriteBytes(file, content));
    const int oldTimeout = FileLockTimeoutMs();
    SetFileLockTimeoutMs(200);
    {
        FileLock other(file);
        QVERIFY(other.Lock(0));
        QCOMPARE(WriteIniValue(file, "S", "k", "2"), 0);
        QCOMPARE(DeleteIniSection(file, "S"), 0);
        QCOMPARE(ReadIniValue(file, "S", "k"), QStringLiteral("1")); // reads need no lock
        QCOMPARE(ReadAll(file), content);
    }
    QVERIFY(WriteIniValue(file, "S", "k", "2") != 0);
    SetFileLockTimeoutMs(oldTimeout);
    QCOMPARE(ReadAll(file), B("[S]\r\nk=2\r\n"));
}

QTEST_GUILESS_MAIN(TestIniFiles)
#include "tst_inifiles.moc"
