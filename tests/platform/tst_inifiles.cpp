// Profile files must read as the Windows functions read them, and a write must
// change only its own line: files travel between both systems and the host.

#include "DataFile.h"
#include "FileLock.h"
#include "IniFiles.h"
#include "Registry.h"

#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>

using namespace vv;
using vvtest::ReadAll;
using vvtest::WriteAll;

namespace {

// File bytes with "|" for CR LF, so a case fits a line; keeps embedded NULs.
template <size_t N>
QByteArray B(const char (&s)[N])
{
    return QByteArray(s, int(N - 1)).replace('|', "\r\n");
}

// UTF-8 text (this source is UTF-8) with "|" for CR LF.
QByteArray U8(const char *s)
{
    return QByteArray(s).replace('|', "\r\n");
}

QByteArray Utf16(const QString &text, bool little)
{
    QByteArray out = little ? B("\xFF\xFE") : B("\xFE\xFF");
    for (QChar ch : text) {
        const char lo = char(ch.unicode() & 0xFF), hi = char(ch.unicode() >> 8);
        out.append(little ? lo : hi).append(little ? hi : lo);
    }
    return out;
}

// A null value deletes the key, a null key the whole section.
int Change(const QString &file, const QString &section, const QString &key, const QString &value)
{
    if (key.isNull())
        return DeleteIniSection(file, section);
    return value.isNull() ? DeleteIniKey(file, section, key) : WriteIniValue(file, section, key, value);
}

} // namespace

class TestIniFiles : public QObject {
    Q_OBJECT

    QStringList entries() const
    {
        return m_dir.entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    }
    QString path(const QString &name) const { return m_dir.filePath(name); }

    QTemporaryDir m_root;
    QDir m_dir;
    int m_case = 0;

private slots:
    void initTestCase()
    {
        QVERIFY(m_root.isValid());
        vvtest::IsolateEnvironment(m_root.path());
    }

    // A fresh folder per case, so a stray lock or helper file of one case
    // cannot change the next.
    void init()
    {
        const QString folder = m_root.filePath(QStringLiteral("case%1").arg(++m_case));
        QVERIFY(QDir().mkpath(folder));
        m_dir = QDir(folder);
    }

    void read_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("expected");
        const QByteArray j100k(100 * 1024, 'j');
        const QByteArray bom = B("\xEF\xBB\xBF[S]|k=1|[T]|k=2|");

        QTest::newRow("umlaut case") << B("[\xC4rzte]|k=1|") << QString::fromUtf8("ärzte") << "k" << "1";
        QTest::newRow("blanks and tabs ignored") << B("  [ S ]\t|\t key \t=\t  a  b  \t|") << "S" << "key" << "a  b";
        QTest::newRow("first duplicate key") << B("[S]|k=1|K=2|") << "S" << "k" << "1";
        QTest::newRow("first duplicate section") << B("[S]|k=1|[T]|k=3|[s]|k=2|") << "S" << "k" << "1";
        QTest::newRow("key only in later duplicate") << B("[S]|a=1|[T]|[S]|b=2|") << "S" << "b" << "2";
        QTest::newRow("key of other section") << B("[S]|[T]|k=1|") << "S" << "k" << "";
        QTest::newRow("before first section") << B("k=1|[S]|j=2|") << "S" << "k" << "";
        QTest::newRow("indented comment") << B("[S]|  ;k=1|") << "S" << ";k" << "";
        QTest::newRow("hash ordinary, semicolon in value") << B("[S]|#k=a ; b|") << "S" << "#k" << "a ; b";
        QTest::newRow("first equals splits") << B("[S]|k|k=a=b|") << "S" << "k" << "a=b";
        QTest::newRow("double quotes after trimming") << B("[S]|k=  \" a \"  |") << "S" << "k" << " a ";
        QTest::newRow("single quotes, one pair only") << B("[S]|k='\"x\"'|") << "S" << "k" << "\"x\"";
        QTest::newRow("mixed quotes") << B("[S]|k=\"abc'|") << "S" << "k" << "\"abc'";
        QTest::newRow("one-sided quote") << B("[S]|k=\"abc|") << "S" << "k" << "\"abc";
        QTest::newRow("quotes removed before cut to 254")
            << B("[S]|k=\"") + QByteArray(300, 'y') + "\"" << "S" << "k" << QString(254, 'y');
        QTest::newRow("100 kB lines") << B("[S]|") + j100k + B("|k=") + j100k << "S" << "k" << QString(254, 'j');
        QTest::newRow("mixed line ends, none at the end") << B("[S]|a=1\nb=2\rc=3") << "S" << "c" << "3";
        QTest::newRow("windows-1252") << B("[S]|k=\x80 \xE4\xF6\xFC\xDF \x84x\x93|") << "S" << "k"
                                      << QString::fromUtf8("€ äöüß „x“");
        // A UTF-8 mark is no mark: it hides the first header, not the file.
        QTest::newRow("utf-8 bom, first section") << bom << "S" << "k" << "";
        QTest::newRow("utf-8 bom, later section") << bom << "T" << "k" << "2";
        QTest::newRow("utf-16 LE") << Utf16(QString::fromUtf8("[Ärzte]\r\nk = Ω „x“ \r\n"), true)
                                   << QString::fromUtf8("ärzte") << "K" << QString::fromUtf8("Ω „x“");
        QTest::newRow("utf-16 BE") << Utf16(QString::fromUtf8("[S]\nk=Ω\n"), false) << "S" << "k" << QString::fromUtf8("Ω");
        QTest::newRow("header without bracket") << B("[S|k=1|") << "S" << "k" << "1";
        QTest::newRow("bracket inside name") << B("[a]b]|k=1|") << "a]b" << "k" << "1";
        QTest::newRow("brackets inside a line") << B("[T]|x=a [[S]|k=1|") << "S" << "k" << "";
        QTest::newRow("binary junk")
            << B("\x00\x01\xFF\xFE\x81[S]|\x00\x00=\x01|[S]\x00|\x7F=\x90|k=v\x00tail|") << "S" << "k" << "v";
    }

    void read()
    {
        QFETCH(QByteArray, content);
        QFETCH(QString, section);
        QFETCH(QString, key);
        QFETCH(QString, expected);
        const QString file = path("User.dat");
        WriteAll(file, content);
        QCOMPARE(ReadIniValue(file, section, key), expected);
        QCOMPARE(ReadAll(file), content);
    }

    // Several keys from one read give what single reads give.
    void readSeveral_data()
    {
        QTest::addColumn<QByteArray>("content"); // null: no file
        QTest::addColumn<QStringList>("keys");   // "section/key"
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("sections in any order") << B("[B]|y=2|[A]|x=1|") << QStringList{"A/x", "B/y", "A/z"}
                                               << QStringList{"1", "2", ""};
        QTest::newRow("first duplicate wins") << B("[S]|k=1|[T]|k=t|[s]|k=2|j=3|") << QStringList{"S/k", "S/j", "T/k"}
                                              << QStringList{"1", "3", "t"};
        QTest::newRow("same key twice, empty key") << B("[S]|=x|K=1|") << QStringList{"S/k", "s/K", "S/ "}
                                                   << QStringList{"1", "1", ""};
        QTest::newRow("utf-16") << Utf16(QString::fromUtf8("[S]\r\nk=Ω\r\n[T]\r\nk=2\r\n"), true)
                                << QStringList{"T/k", "S/k"} << QStringList{"2", QString::fromUtf8("Ω")};
        QTest::newRow("no file") << QByteArray() << QStringList{"S/k", "T/j"} << QStringList{"", ""};
    }

    void readSeveral()
    {
        QFETCH(QByteArray, content);
        QFETCH(QStringList, keys);
        QFETCH(QStringList, expected);
        const QString file = path("User.dat");
        if (!content.isNull())
            WriteAll(file, content);
        QList<IniKey> asked;
        for (const QString &k : keys)
            asked.append({k.section('/', 0, 0), k.section('/', 1)});
        QCOMPARE(ReadIniValues(file, asked), expected);
        for (int i = 0; i < asked.size(); ++i)
            QCOMPARE(ReadIniValue(file, asked[i].section, asked[i].key), expected[i]);
    }

    // Past a handful of keys the read looks entries up by folded name; it must
    // find exactly what one key at a time finds. Twenty keys that are not in
    // the file come along to make the batch that large.
    void readMany_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QStringList>("keys"); // "section/key"
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("ansi umlauts in other case") << B("[S]|\xC4rger=1|\xFC\xDF" "el = 2 |")
                                                    << QStringList{QString::fromUtf8("S/ärger"), QString::fromUtf8("s/ÄRGER"),
                                                                   QString::fromUtf8("S/Üßel")}
                                                    << QStringList{"1", "1", "2"};
        QTest::newRow("ansi, a key outside the code page reads as its \"?\"")
            << B("[S]|?=q|") << QStringList{QString::fromUtf8("S/Ω")} << QStringList{"q"};
        QTest::newRow("utf-8 umlauts and a Kelvin sign")
            << U8("[Ärzte]|Größe=1|Kündigung.pdf=2|\u212A=3|")
            << QStringList{QString::fromUtf8("ärzte/GRÖßE"), QString::fromUtf8("ÄRZTE/kündigung.PDF"), "ärzte/k"}
            << QStringList{"1", "2", "3"};
        QTest::newRow("utf-16") << Utf16(QString::fromUtf8("[S]\r\nΩmega=1\r\nk=2\r\n"), true)
                                << QStringList{QString::fromUtf8("S/ωMEGA"), "s/K"} << QStringList{"1", "2"};
        QTest::newRow("first duplicate, sections of one name")
            << B("[S]|k=1|[T]|k=t|[s]|K=2|j=3|") << QStringList{"S/k", "S/j", "T/K", "t/k"}
            << QStringList{"1", "3", "t", "t"};
        QTest::newRow("blanks around names") << B("[S]|  Antrag Kopie.pdf  = x |")
                                             << QStringList{"S/ antrag kopie.PDF"} << QStringList{"x"};
        QTest::newRow("near names do not match") << B("[S]|Antrag.pdf=1|Antrag.pd=2|ntrag.pdf=3|")
                                                 << QStringList{"S/Antrag.pdf ", "S/Antrag.p", "S/trag.pdf"}
                                                 << QStringList{"1", "", ""};
    }

    void readMany()
    {
        QFETCH(QByteArray, content);
        QFETCH(QStringList, keys);
        QFETCH(QStringList, expected);
        const QString file = path("User.dat");
        WriteAll(file, content);
        QList<IniKey> asked;
        for (const QString &k : keys)
            asked.append({k.section('/', 0, 0), k.section('/', 1)});
        for (int i = 0; i < 20; ++i)
            asked.append({"S", QStringLiteral("fehlt %1").arg(i)});
        const QStringList values = ReadIniValues(file, asked);
        QCOMPARE(values.mid(0, keys.size()), expected);
        for (int i = 0; i < asked.size(); ++i)
            QCOMPARE(values[i], ReadIniValue(file, asked[i].section, asked[i].key));
    }

    // A file saved as UTF-8 by an editor keeps its form; everything else, and
    // every new file, is Windows-1252.
    void utf8_data()
    {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<QStringList>("write"); // section, key, value
        QTest::addColumn<QByteArray>("after");
        const QByteArray text = U8("; Grüße aus Köln €|[Ärzte]|Übersicht = Größe „groß“ |k=1|[Ω]|x=y|");
        const QByteArray mark = "\xEF\xBB\xBF";

        QTest::newRow("utf-8") << text << QString::fromUtf8("ÄRZTE") << QString::fromUtf8("übersicht")
                               << QString::fromUtf8("Größe „groß“") << QStringList{QString::fromUtf8("ärzte"), "K", "Äpfel"}
                               << U8("; Grüße aus Köln €|[Ärzte]|Übersicht = Größe „groß“ |k=Äpfel|[Ω]|x=y|");
        QTest::newRow("utf-8 with mark") << mark + text << QString::fromUtf8("ω") << "X" << "y"
                                         << QStringList{QString::fromUtf8("Ω"), QString::fromUtf8("Neu"), "ß"}
                                         << mark + text + U8("Neu=ß|");
        QTest::newRow("not utf-8") << B("[S]|k=\xC3\xA4 \xE4|") << "S" << "k" << QString::fromUtf8("Ã¤ ä")
                                   << QStringList{"S", "j", QString::fromUtf8("ü")} << B("[S]|k=\xC3\xA4 \xE4|j=\xFC|");
        QTest::newRow("ascii stays windows-1252") << B("[S]|k=1|") << "S" << "k" << "1"
                                                  << QStringList{"S", "k", QString::fromUtf8("ü")} << B("[S]|k=\xFC|");
    }

    void utf8()
    {
        QFETCH(QByteArray, before);
        QFETCH(QString, section);
        QFETCH(QString, key);
        QFETCH(QString, expected);
        QFETCH(QStringList, write);
        QFETCH(QByteArray, after);
        const QString file = path("User.dat");
        WriteAll(file, before);
        QCOMPARE(ReadIniValue(file, section, key), expected);
        QVERIFY(WriteIniValue(file, write[0], write[1], write[2]) != 0);
        QCOMPARE(ReadAll(file), after);
        QCOMPARE(ReadIniValue(file, write[0], write[1]), write[2]);
    }

    // Whatever else stands under the name of a data file reads as no file, at
    // once, and is never written through.
    void otherThanAFile_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("fifo") << "fifo";
        QTest::newRow("link to /dev/zero") << "zero";
        QTest::newRow("folder") << "folder";
        QTest::newRow("sparse file above the limit") << "huge";
    }

    void otherThanAFile()
    {
        QFETCH(QString, kind);
        const QString file = path("User.dat");
        const QByteArray content = "[S]\nk=1\n[Software\\Veltrano\\Ordinalis]\nk=1\n";
        if (kind == "fifo") {
            QCOMPARE(::mkfifo(QFile::encodeName(file).constData(), 0644), 0);
        } else if (kind == "zero") {
            QVERIFY(QFile::link("/dev/zero", file));
        } else if (kind == "folder") {
            QVERIFY(m_dir.mkdir("User.dat"));
        } else {
            WriteAll(file, content);
            QVERIFY(QFile::resize(file, kMaxDataFileSize + 1));
        }
        const auto described = [&file] {
            const QFileInfo info(file);
            return QStringList{info.isSymLink() ? info.symLinkTarget() : QString(), QString::number(info.isDir()),
                               QString::number(info.size()), QString::number(info.isFile())};
        };
        const QStringList before = described();

        QCOMPARE(ReadIniValue(file, "S", "k"), QString());
        QCOMPARE(ReadIniValues(file, {{"S", "k"}, {"S", "j"}}), QStringList({"", ""}));
        QCOMPARE(WriteIniValue(file, "S", "k", "2"), 0);
        QCOMPARE(DeleteIniSection(file, "S"), 0);
        Registry store(file, {file});
        QString value = "unberührt";
        QVERIFY(!store.ReadRegistryValue(QString::fromLatin1(kProductKey), "k", value));
        QCOMPARE(value, QString("unberührt"));
        QVERIFY(!store.WriteRegistryValue(QString::fromLatin1(kProductKey), "k", "2"));

        QCOMPARE(described(), before);
        QCOMPARE(entries(), QStringList{"User.dat"});
        QFile head(file);
        if (kind == "huge")
            QCOMPARE(head.open(QIODevice::ReadOnly) ? head.read(content.size()) : QByteArray(), content);
    }

    void write_data()
    {
        // A null before: no file; a null after: still no file.
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QByteArray>("after");
        const QByteArray j100k(100 * 1024, 'j');
        const QString del; // see Change()

        QTest::newRow("replace keeps other bytes") << B("; Kopf|[S]||A=1|; zu B|B=2||[T]|B=3|") << "S" << "b" << "neu"
                                                   << B("; Kopf|[S]||A=1|; zu B|B=neu||[T]|B=3|");
        QTest::newRow("replace keeps spelling and blanks")
            << B("[s]|  MyKey \t= \told value  |") << "S" << "MYKEY" << "x y" << B("[s]|  MyKey \t= \tx y|");
        QTest::newRow("replace first duplicate") << B("[S]|k=1|k=2|") << "S" << "k" << "9" << B("[S]|k=9|k=2|");
        QTest::newRow("replace in later duplicate section")
            << B("[S]|a=1|[T]|b=0|[S]|b=2|") << "S" << "b" << "3" << B("[S]|a=1|[T]|b=0|[S]|b=3|");
        QTest::newRow("new file") << QByteArray() << "SET" << "Druck" << "1" << B("[SET]|Druck=1|");
        QTest::newRow("empty file") << B("") << "S" << "k" << "v" << B("[S]|k=v|");
        QTest::newRow("new key after last entry of its section")
            << B("[S]|a=1||; Notiz|[T]|x=1|") << "S" << "b" << "2" << B("[S]|a=1|b=2||; Notiz|[T]|x=1|");
        QTest::newRow("new key in empty section") << B("[S]|; c|[T]|") << "S" << "k" << "v" << B("[S]|k=v|; c|[T]|");
        QTest::newRow("new key joins first duplicate section")
            << B("[S]|a=1|[T]|[S]|b=2|") << "s" << "c" << "3" << B("[S]|a=1|c=3|[T]|[S]|b=2|");
        QTest::newRow("new key after unterminated entry") << B("[S]|a=1") << "S" << "b" << "2" << B("[S]|a=1|b=2|");
        QTest::newRow("new section at end") << B("[S]|a=1||") << "T" << "k" << "v" << B("[S]|a=1||[T]|k=v|");
        QTest::newRow("CR file gets CR") << B("[S]\ra=1\r") << "S" << "b" << "2" << B("[S]\ra=1\rb=2\r");
        QTest::newRow("mixed file takes first line end")
            << B("[S]\na=1|b=2\r") << "S" << "c" << "3" << B("[S]\na=1|b=2\rc=3\n");
        QTest::newRow("key before first section untouched") << B("k=1|[S]|") << "S" << "k" << "2" << B("k=1|[S]|k=2|");
        QTest::newRow("value cut at CR LF") << QByteArray() << "S" << "k" << "a\r\nb=c" << B("[S]|k=a|");
        QTest::newRow("value windows-1252") << QByteArray() << "S" << "k" << QString::fromUtf8("€ äß „x“ Ω")
                                            << B("[S]|k=\x80 \xE4\xDF \x84x\x93 ?|");
        QTest::newRow("utf-8 bom kept, header unseen")
            << B("\xEF\xBB\xBF[S]|k=1|") << "S" << "k" << "2" << B("\xEF\xBB\xBF[S]|k=1|[S]|k=2|");
        QTest::newRow("utf-16 LE stays, odd byte kept")
            << Utf16(QString::fromUtf8("[S]\r\nk=1\r\nj=ä\r\n"), true) + "\x07" << "S" << "k" << QString::fromUtf8("Ω€")
            << Utf16(QString::fromUtf8("[S]\r\nk=Ω€\r\nj=ä\r\n"), true) + "\x07";
        QTest::newRow("binary junk kept") << B("\x00\xFF\x81junk|[S]|k=1|\x00\x01\x9D") << "S" << "k" << "2"
                                          << B("\x00\xFF\x81junk|[S]|k=2|\x00\x01\x9D");
        QTest::newRow("new section after unterminated junk")
            << B("\x00\x81|\x00\x01") << "T" << "k" << "v" << B("\x00\x81|\x00\x01|[T]|k=v|");
        QTest::newRow("100 kB lines kept") << B("[S]|") + j100k + B("|k=1|") + j100k << "S" << "k" << "2"
                                           << B("[S]|") + j100k + B("|k=2|") + j100k;
        QTest::newRow("delete key") << B("[S]|a=1|k=2|b=3|") << "s" << "K" << del << B("[S]|a=1|b=3|");
        QTest::newRow("delete key, every duplicate")
            << B("[S]|k=1|[T]|k=t|[S]|k=2|k=3|") << "S" << "k" << del << B("[S]|[T]|k=t|[S]|");
        QTest::newRow("delete missing key") << B("[S]\na=1") << "S" << "k" << del << B("[S]\na=1");
        QTest::newRow("delete key of missing file") << QByteArray() << "S" << "k" << del << QByteArray();
        QTest::newRow("delete section with its lines")
            << B("; oben|[S]|a=1|; c||[T]|b=2|") << "s" << del << del << B("; oben|[T]|b=2|");
        QTest::newRow("delete every duplicate section")
            << B("[S]|a=1|[T]|b=2|[s]|c=3|") << "S" << del << del << B("[T]|b=2|");
        QTest::newRow("delete missing section") << B("[T]\nb=2") << "S" << del << del << B("[T]\nb=2");
    }

    void write()
    {
        QFETCH(QByteArray, before);
        QFETCH(QString, section);
        QFETCH(QString, key);
        QFETCH(QString, value);
        QFETCH(QByteArray, after);
        const QString file = path("VORLAGEN.DAT");
        if (!before.isNull())
            WriteAll(file, before);
        QVERIFY(Change(file, section, key, value) != 0);
        QCOMPARE(ReadAll(file), after);
        // No lock or half-written sibling is left behind, and a delete makes no file.
        QCOMPARE(entries(), after.isNull() ? QStringList() : QStringList{"VORLAGEN.DAT"});
    }

    void refusedWrites_data()
    {
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("key"); // null: delete the section
        QTest::addColumn<QString>("value"); // null: delete the key
        QTest::addColumn<QString>("setup"); // "read-only", "locked" by another writer, or ""
        QTest::newRow("read-only, write") << "S" << "k" << "2" << "read-only";
        QTest::newRow("read-only, delete key") << "S" << "k" << QString() << "read-only";
        QTest::newRow("read-only, delete section") << "S" << QString() << QString() << "read-only";
        QTest::newRow("locked, write") << "S" << "k" << "2" << "locked";
        QTest::newRow("locked, delete section") << "S" << QString() << QString() << "locked";
        QTest::newRow("empty key") << "S" << " " << "2" << "";
        QTest::newRow("key with equals") << "S" << "a=b" << "2" << "";
        QTest::newRow("key like comment") << "S" << ";k" << "2" << "";
        QTest::newRow("key like header") << "S" << "[k" << "2" << "";
        QTest::newRow("key with line break") << "S" << "k\nx" << "2" << "";
        QTest::newRow("section with line break") << "S]\r\n[T" << "k" << "2" << "";
    }

    void refusedWrites()
    {
        QFETCH(QString, section);
        QFETCH(QString, key);
        QFETCH(QString, value);
        QFETCH(QString, setup);
        const QString file = path("User.dat");
        WriteAll(file, "[S]\r\nk=1\r\n");
        if (setup == "read-only")
            QVERIFY(QFile::setPermissions(file, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
        const auto permissions = QFile::permissions(file);
        const int oldTimeout = FileLockTimeoutMs();
        SetFileLockTimeoutMs(200);
        {
            FileLock other(file);
            QVERIFY(setup != "locked" || other.Lock(0));
            QCOMPARE(Change(file, section, key, value), 0);
            QCOMPARE(ReadIniValue(file, "S", "k"), QStringLiteral("1")); // reads need no lock
        }
        SetFileLockTimeoutMs(oldTimeout);
        QCOMPARE(ReadAll(file), B("[S]|k=1|"));
        QCOMPARE(entries(), QStringList{"User.dat"});
        QCOMPARE(QFile::permissions(file), permissions);
    }

    void nothingIsCreatedButTheFile()
    {
        QCOMPARE(ReadIniValue(path("User.dat"), "SET", "Druck"), QString());
        QCOMPARE(ReadIniValue(m_dir.path(), "SET", "Druck"), QString());
        QCOMPARE(ReadIniValue(QString(), "SET", "Druck"), QString());
        QCOMPARE(entries(), QStringList());
        // Neither a missing folder nor a folder in place of the file is created or replaced.
        QCOMPARE(WriteIniValue(path("fehlt/User.dat"), "CAT", "01", "x"), 0);
        QVERIFY(m_dir.mkdir("Ordner"));
        QCOMPARE(WriteIniValue(path("Ordner"), "CAT", "01", "x"), 0);
        QCOMPARE(WriteIniValue(QString(), "CAT", "01", "x"), 0);
        QCOMPARE(entries(), QStringList{"Ordner"});
        QVERIFY(QFileInfo(path("Ordner")).isDir());
    }

    void keepsPermissionsAndLinks()
    {
        const QString file = path("User.dat"), link = path("link.dat");
        WriteAll(file, "[S]\nk=1\n");
        const auto mode = QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup;
        QVERIFY(QFile::setPermissions(file, mode));
        QVERIFY(WriteIniValue(file, "S", "k", "2") != 0);
        QCOMPARE(ReadIniValue(file, "S", "k"), QStringLiteral("2"));
        QVERIFY(WriteIniValue(file, "T", "k", "3") != 0);
        // Owner, group and other bits; the "user" bits depend on who runs the test.
        QCOMPARE(QFile::permissions(file) & 0x7077, mode);
        // Through a link the file it points to changes and the link stays a link.
        QVERIFY(QFile::link(file, link));
        QVERIFY(WriteIniValue(link, "S", "k", "4") != 0);
        QVERIFY(QFileInfo(link).isSymLink());
        QCOMPARE(ReadAll(file), B("[S]\nk=4\n[T]\nk=3\n"));
        // The next read sees the write: nothing is cached.
        QCOMPARE(ReadIniValue(file, "s", "K"), QStringLiteral("4"));
    }

};

QTEST_GUILESS_MAIN(TestIniFiles)
#include "tst_inifiles.moc"
