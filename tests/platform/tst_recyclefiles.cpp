// Deleted documents must be restorable from the trash, with a .trashinfo that
// names where they came from, and must never end up anywhere else.

#include "RecycleKillFiles.h"

#include "TestSupport.h"

#include <QDateTime>
#include <QDir>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

#include <sys/stat.h>
#include <unistd.h>

using namespace vv;
using vvtest::ReadAll;
using vvtest::WriteAll;

namespace {

QStringList Entries(const QString &folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

bool Exists(const QString &path)
{
    struct stat st {};
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0;
}

// The raw Path value and the DeletionDate of a .trashinfo.
QPair<QByteArray, QString> ReadInfo(const QString &file)
{
    const QList<QByteArray> lines = ReadAll(file).split('\n');
    QPair<QByteArray, QString> info;
    for (const QByteArray &line : lines) {
        if (line.startsWith("Path="))
            info.first = line.mid(5);
        else if (line.startsWith("DeletionDate="))
            info.second = QString::fromLatin1(line.mid(13));
    }
    return lines.value(0) == "[Trash Info]" ? info : QPair<QByteArray, QString>();
}

QString InfoPath(const QString &file)
{
    return QFile::decodeName(QByteArray::fromPercentEncoding(ReadInfo(file).first));
}

bool Trash(const QStringList &files)
{
    return RecycleFiles(files, true, false, false, false, false);
}

} // namespace

class TestRecycleFiles : public QObject {
    Q_OBJECT

    QString trash() const { return m_case->filePath("data/Trash"); }
    QTemporaryDir m_root;
    std::unique_ptr<QTemporaryDir> m_case;

private slots:
    void initTestCase()
    {
        QVERIFY(m_root.isValid());
        vvtest::IsolateEnvironment(m_root.path());
        // Expected Path values take the root as it is.
        QVERIFY(QRegularExpression("^[A-Za-z0-9/._~-]+$").match(m_root.path()).hasMatch());
    }

    void init()
    {
        m_case = std::make_unique<QTemporaryDir>(m_root.filePath("case-XXXXXX"));
        QVERIFY(QDir().mkpath(m_case->filePath("data")));
        qputenv("XDG_DATA_HOME", QFile::encodeName(m_case->filePath("data")));
        QCOMPARE(HomeTrashFolder(), trash());
    }

    void entries_data()
    {
        QTest::addColumn<QString>("input");
        QTest::addColumn<QStringList>("names");
        const QChar nul(0);
        QTest::newRow("single name") << " /a b.pdf" << QStringList{" /a b.pdf"};
        QTest::newRow("finished list") << QString("/a") + nul + "/b" + nul + nul << QStringList{"/a", "/b"};
        QTest::newRow("list without final NULs") << QString("/a") + nul + "/b" << QStringList{"/a", "/b"};
        QTest::newRow("two NULs end the list") << QString("/a") + nul + nul + "/b" << QStringList{"/a"};
        QTest::newRow("empty") << QString() << QStringList();
    }

    void entries()
    {
        QFETCH(QString, input);
        QFETCH(QStringList, names);
        QCOMPARE(RecycleEntries(input), names);
    }

    void trashedFileIsRestorable_data()
    {
        QTest::addColumn<QString>("data"); // XDG_DATA_HOME below the case folder
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("encoded");
        QTest::newRow("umlauts, & and %") << "data" << "Grüße & 100%.pdf" << QByteArray("Gr%C3%BC%C3%9Fe%20%26%20100%25.pdf");
        QTest::newRow("hash and question mark") << "data" << "#1?.pdf" << QByteArray("%231%3F.pdf");
        QTest::newRow("data folder still missing") << "neu/.local/share" << "Antrag.pdf" << QByteArray("Antrag.pdf");
    }

    void trashedFileIsRestorable()
    {
        QFETCH(QString, data);
        QFETCH(QString, name);
        QFETCH(QByteArray, encoded);
        qputenv("XDG_DATA_HOME", QFile::encodeName(m_case->filePath(data)));
        const QString trash = m_case->filePath(data + "/Trash"), work = m_case->filePath("arbeitsordner");
        const QString original = m_case->filePath("Vorlagen/Kategorie Ä/") + name;
        const QByteArray content = "%PDF " + name.toUtf8();
        WriteAll(original, content);
        const QString previous = QDir::currentPath();
        QVERIFY(QDir().mkpath(work) && QDir::setCurrent(work));
        const QDateTime before = QDateTime::currentDateTime().addSecs(-1);
        // The single-string form, as the dialogs call it.
        const bool ok = RecycleFiles(original, true, true, false, true, false);
        QDir::setCurrent(previous);
        QVERIFY(ok);

        // Qt's moveToTrash would leave a "files" folder here.
        QCOMPARE(Entries(work), QStringList());
        // Deleted files are private.
        QCOMPARE(QFileInfo(trash).permissions() & 0x0077, QFileDevice::Permissions());
        QCOMPARE(Entries(trash + "/files"), QStringList{name});
        QCOMPARE(Entries(trash + "/info"), QStringList{name + ".trashinfo"});
        const auto info = ReadInfo(trash + "/info/" + name + ".trashinfo");
        QCOMPARE(info.first, QFile::encodeName(m_case->path()) + "/Vorlagen/Kategorie%20%C3%84/" + encoded);
        QVERIFY(QRegularExpression("^\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\d$").match(info.second).hasMatch());
        const QDateTime deleted = QDateTime::fromString(info.second, Qt::ISODate);
        QVERIFY(deleted >= before.addMSecs(-before.time().msec()) && deleted <= QDateTime::currentDateTime());
        // What a trash program does on "restore"; fails while the original is still there.
        QVERIFY(QFile::rename(trash + "/files/" + name, InfoPath(trash + "/info/" + name + ".trashinfo")));
        QCOMPARE(ReadAll(original), content);
    }

    void sameNameGetsUniqueTrashNames()
    {
        const QStringList docs = {m_case->filePath("A/Antrag.pdf"), m_case->filePath("B/Antrag.pdf"),
                                  m_case->filePath("C/Antrag.pdf")};
        for (const QString &d : docs)
            WriteAll(d, d.toUtf8());
        // A stray entry without .trashinfo is neither overwritten nor reused.
        WriteAll(trash() + "/files/Antrag.2.pdf", "fremd");

        QVERIFY(Trash({docs[0], docs[1]}));
        QVERIFY(Trash({docs[2]}));

        QCOMPARE(Entries(trash() + "/files"), (QStringList{"Antrag.2.pdf", "Antrag.3.pdf", "Antrag.4.pdf", "Antrag.pdf"}));
        QCOMPARE(ReadAll(trash() + "/files/Antrag.2.pdf"), QByteArray("fremd"));
        const QStringList trashNames = {"Antrag.pdf", "Antrag.3.pdf", "Antrag.4.pdf"};
        for (int i = 0; i < 3; ++i) {
            QCOMPARE(InfoPath(trash() + "/info/" + trashNames[i] + ".trashinfo"), docs[i]);
            QCOMPARE(ReadAll(trash() + "/files/" + trashNames[i]), docs[i].toUtf8());
        }
        QCOMPARE(Entries(trash() + "/info").size(), 3);
    }

    void brokenTrashKeepsFile()
    {
        WriteAll(trash() + "/files", "kein Ordner");
        const QString doc = m_case->filePath("Antrag.pdf");
        WriteAll(doc, "inhalt");
        QVERIFY(!Trash({doc}));
        QCOMPARE(ReadAll(doc), QByteArray("inhalt"));
        QCOMPARE(Entries(trash() + "/info"), QStringList());
    }

    void failures_data()
    {
        QTest::addColumn<QStringList>("names"); // below the case folder; "" stays empty
        QTest::addColumn<bool>("undo");
        QTest::addColumn<QStringList>("handled"); // existing, must be gone afterwards
        QTest::newRow("empty list") << QStringList() << true << QStringList();
        QTest::newRow("empty name") << QStringList{""} << false << QStringList();
        QTest::newRow("missing does not stop the rest") << QStringList{"fehlt.pdf", "da.pdf"} << true << QStringList{"da.pdf"};
        QTest::newRow("missing does not stop deleting") << QStringList{"da.pdf", "fehlt.pdf"} << false << QStringList{"da.pdf"};
    }

    void failures()
    {
        QFETCH(QStringList, names);
        QFETCH(bool, undo);
        QFETCH(QStringList, handled);
        QStringList paths;
        for (const QString &n : names)
            paths.append(n.isEmpty() ? n : m_case->filePath(n));
        for (const QString &n : handled)
            WriteAll(m_case->filePath(n), "x");
        QVERIFY(!RecycleFiles(paths, undo, false, false, false, false));
        for (const QString &n : handled)
            QVERIFY(!Exists(m_case->filePath(n)));
        QCOMPARE(Entries(trash() + "/files"), undo ? handled : QStringList());
        QCOMPARE(Entries(trash() + "/info").size(), Entries(trash() + "/files").size());
    }

    void deleteForGood_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("read-only file") << "file";
        QTest::newRow("folder with contents") << "folder";
        QTest::newRow("link, not its target") << "link";
    }

    void deleteForGood()
    {
        QFETCH(QString, kind);
        const QString victim = m_case->filePath("User.bak"), other = m_case->filePath("bleibt.dat");
        WriteAll(other, "bleibt");
        if (kind == "folder") {
            WriteAll(victim + "/a/b.pdf", "x");
        } else if (kind == "link") {
            QVERIFY(QFile::link(other, victim));
        } else {
            WriteAll(victim, "x");
            QVERIFY(QFile::setPermissions(victim, QFileDevice::ReadOwner));
        }

        QVERIFY(RecycleFiles(victim, false, false, false, false, false));
        QVERIFY(!Exists(victim));
        QCOMPARE(ReadAll(other), QByteArray("bleibt"));
        QVERIFY(!Exists(trash()));
    }

    void topDirTrashFolder_data()
    {
        QTest::addColumn<QString>("setup");
        QTest::addColumn<bool>("create");
        QTest::addColumn<QString>("expected"); // below the top folder, "" = none
        const QString uid = QString::number(::getuid());
        QTest::newRow("nothing there, create") << "none" << true << ".Trash-" + uid;
        QTest::newRow("nothing there, look only") << "none" << false << "";
        QTest::newRow("shared sticky trash") << "sticky" << true << ".Trash/" + uid;
        QTest::newRow("shared trash without sticky bit") << "plain" << true << ".Trash-" + uid;
        QTest::newRow("shared trash is a link") << "link" << true << ".Trash-" + uid;
        QTest::newRow("own trash name is a file") << "ownfile" << true << "";
    }

    void topDirTrashFolder()
    {
        QFETCH(QString, setup);
        QFETCH(bool, create);
        QFETCH(QString, expected);
        const QString top = m_case->filePath("mnt");
        QVERIFY(QDir().mkpath(top));
        if (setup == "ownfile") {
            WriteAll(top + "/.Trash-" + QString::number(::getuid()), "x");
        } else if (setup != "none") {
            const QString shared = setup == "link" ? m_case->filePath("anderswo") : top + "/.Trash";
            QVERIFY(QDir().mkpath(shared));
            QCOMPARE(::chmod(QFile::encodeName(shared).constData(), setup == "plain" ? 0777 : 01777), 0);
            if (setup == "link")
                QVERIFY(QFile::link(shared, top + "/.Trash"));
        }
        const QString found = TopDirTrashFolder(top, uint(::getuid()), create);
        QCOMPARE(found, expected.isEmpty() ? QString() : top + '/' + expected);
        if (!found.isEmpty())
            QCOMPARE(QFileInfo(found).permissions() & 0x0077, QFileDevice::Permissions());
        if (!create)
            QCOMPARE(Entries(top), QStringList());
    }

    void topDirTrashRecordsRelativePath()
    {
        const QString top = m_case->filePath("mnt"), doc = top + "/Vorlagen/Antrag neu.pdf";
        const QString topTrash = top + "/.Trash-1000";
        WriteAll(doc, "x");
        QVERIFY(!MoveIntoTrash(doc, topTrash, m_case->filePath("woanders"), false));
        QVERIFY(Exists(doc));
        QVERIFY(MoveIntoTrash(doc, topTrash, top, false));
        QVERIFY(!Exists(doc));
        QCOMPARE(ReadAll(topTrash + "/files/Antrag neu.pdf"), QByteArray("x"));
        QCOMPARE(ReadInfo(topTrash + "/info/Antrag neu.pdf.trashinfo").first, QByteArray("Vorlagen/Antrag%20neu.pdf"));
    }

    void acrossFileSystems_data()
    {
        QTest::addColumn<bool>("folder");
        QTest::addColumn<bool>("copyAcross");
        QTest::newRow("file copied") << false << true;
        QTest::newRow("folder with relative link copied") << true << true;
        QTest::newRow("copy not allowed") << true << false;
    }

    void acrossFileSystems()
    {
        QFETCH(bool, folder);
        QFETCH(bool, copyAcross);
        struct stat here {}, shm {};
        if (::stat("/dev/shm", &shm) != 0 || ::stat(QFile::encodeName(m_case->path()).constData(), &here) != 0
            || here.st_dev == shm.st_dev)
            QSKIP("needs /dev/shm on a file system of its own");
        QTemporaryDir other(QStringLiteral("/dev/shm/vv-recycle-XXXXXX"));
        QVERIFY(other.isValid());
        const QByteArray content("%PDF\0binär", 11);
        const auto mode = QFileDevice::ReadOwner | QFileDevice::WriteOwner;
        const QString doc = other.filePath(folder ? "Kategorie" : "Antrag.pdf");
        const QString inner = folder ? doc + "/sub/Antrag.pdf" : doc;
        WriteAll(inner, content);
        QVERIFY(QFile::setPermissions(inner, mode));
        if (folder)
            QVERIFY(QFile::link("sub/Antrag.pdf", doc + "/verweis"));

        QCOMPARE(MoveIntoTrash(doc, trash(), QString(), copyAcross), copyAcross);
        if (!copyAcross) {
            QCOMPARE(ReadAll(inner), content);
            QCOMPARE(Entries(trash() + "/files") + Entries(trash() + "/info"), QStringList());
            return;
        }
        QVERIFY(!Exists(doc));
        const QString moved = trash() + "/files/" + QFileInfo(doc).fileName();
        const QString movedInner = folder ? moved + "/sub/Antrag.pdf" : moved;
        QCOMPARE(ReadAll(movedInner), content);
        QCOMPARE(QFileInfo(movedInner).permissions() & 0x7077, QFileDevice::Permissions(mode) & 0x7077);
        if (folder) // still relative, so it points into the restored folder
            QCOMPARE(QFile::symLinkTarget(moved + "/verweis"), movedInner);
        QCOMPARE(InfoPath(trash() + "/info/" + QFileInfo(doc).fileName() + ".trashinfo"), doc);
    }
};

QTEST_GUILESS_MAIN(TestRecycleFiles)
#include "tst_recyclefiles.moc"
