// Deleted documents must be restorable from the trash, with a .trashinfo that
// names where they came from, and must never end up anywhere else.

#include "RecycleKillFiles.h"

#include "TestSupport.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

#include <sys/stat.h>
#include <unistd.h>

using namespace vv;

namespace {

bool WriteBytes(const QString &path, const QByteArray &bytes)
{
    if (!QDir().mkpath(QFileInfo(path).absolutePath()))
        return false;
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

QByteArray ReadBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

QStringList Entries(const QString &folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

struct TrashInfo {
    QStringList lines;
    QByteArray rawPath;
    QString path;
    QString date;
};

TrashInfo ReadInfo(const QString &file)
{
    TrashInfo info;
    const QByteArray bytes = ReadBytes(file);
    for (const QByteArray &line : bytes.split('\n')) {
        info.lines.append(QString::fromUtf8(line));
        if (line.startsWith("Path="))
            info.rawPath = line.mid(5);
        else if (line.startsWith("DeletionDate="))
            info.date = QString::fromLatin1(line.mid(13));
    }
    info.path = QFile::decodeName(QByteArray::fromPercentEncoding(info.rawPath));
    return info;
}

bool Exists(const QString &path)
{
    struct stat st {};
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0;
}

constexpr bool kUndo = true;

bool Trash(const QStringList &files)
{
    // The switches of the editor's document deletion.
    return RecycleFiles(files, kUndo, false, false, false, false);
}

bool Kill(const QStringList &files)
{
    return RecycleFiles(files, false, false, false, false, false);
}

} // namespace

class TestRecycleFiles : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();

    void flags_data();
    void flags();
    void entries_data();
    void entries();

    void trashedFileIsRestorable_data();
    void trashedFileIsRestorable();
    void sameNameGetsUniqueTrashNames();
    void folderGoesToTrash();
    void missingDataFolderStillEndsInTrash();
    void brokenTrashKeepsFile();
    void missingOrEmptyFails_data();
    void missingOrEmptyFails();
    void singleStringForm();
    void deleteForGood_data();
    void deleteForGood();

    void topDirTrashFolder_data();
    void topDirTrashFolder();
    void topDirTrashRecordsRelativePath();
    void acrossFileSystems_data();
    void acrossFileSystems();

private:
    QString trash() const { return m_case->filePath("data/Trash"); }

    QTemporaryDir m_root;
    std::unique_ptr<QTemporaryDir> m_case;
};

void TestRecycleFiles::initTestCase()
{
    QVERIFY(m_root.isValid());
    vvtest::IsolateEnvironment(m_root.path());
    // The expected Path values below take the root as it is.
    static const QRegularExpression plain(QStringLiteral("^[A-Za-z0-9/._~-]+$"));
    QVERIFY2(plain.match(m_root.path()).hasMatch(), qPrintable(m_root.path()));
}

void TestRecycleFiles::init()
{
    // A trash of its own for every test, so names never collide by accident.
    m_case = std::make_unique<QTemporaryDir>(m_root.filePath("case-XXXXXX"));
    QVERIFY(m_case->isValid());
    QVERIFY(QDir().mkpath(m_case->filePath("data")));
    qputenv("XDG_DATA_HOME", QFile::encodeName(m_case->filePath("data")));
    QCOMPARE(HomeTrashFolder(), trash());
}

void TestRecycleFiles::flags_data()
{
    QTest::addColumn<bool>("undo");
    QTest::addColumn<bool>("progress");
    QTest::addColumn<bool>("confirm");
    QTest::addColumn<bool>("simple");
    QTest::addColumn<bool>("errors");
    QTest::addColumn<int>("flags");

    QTest::newRow("move dialog") << true << true << false << true << false << 0x0550;
    QTest::newRow("editor deletes documents") << true << false << false << false << false << 0x0454;
    QTest::newRow("editor discards backups") << false << false << false << false << false << 0x0414;
    QTest::newRow("everything shown") << false << true << true << false << true << 0;
    QTest::newRow("all switches on") << true << true << true << true << true << 0x0140;
}

void TestRecycleFiles::flags()
{
    QFETCH(bool, undo);
    QFETCH(bool, progress);
    QFETCH(bool, confirm);
    QFETCH(bool, simple);
    QFETCH(bool, errors);
    QFETCH(int, flags);
    QCOMPARE(RecycleFlags(undo, progress, confirm, simple, errors), flags);
}

void TestRecycleFiles::entries_data()
{
    QTest::addColumn<QString>("input");
    QTest::addColumn<QStringList>("names");

    const QChar nul(0);
    QTest::newRow("single name") << "/a/b.pdf" << QStringList{"/a/b.pdf"};
    QTest::newRow("single name with NUL") << QString("/a/b.pdf") + nul << QStringList{"/a/b.pdf"};
    QTest::newRow("finished list") << QString("/a") + nul + "/b" + nul + nul << QStringList{"/a", "/b"};
    QTest::newRow("list without final NULs") << QString("/a") + nul + "/b" << QStringList{"/a", "/b"};
    QTest::newRow("list with one final NUL") << QString("/a") + nul + "/b" + nul << QStringList{"/a", "/b"};
    QTest::newRow("two NULs end the list") << QString("/a") + nul + nul + "/b" << QStringList{"/a"};
    QTest::newRow("blanks belong to names") << " /a b " << QStringList{" /a b "};
    QTest::newRow("empty") << QString() << QStringList();
}

void TestRecycleFiles::entries()
{
    QFETCH(QString, input);
    QFETCH(QStringList, names);
    QCOMPARE(RecycleEntries(input), names);
}

void TestRecycleFiles::trashedFileIsRestorable_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("encodedName");

    QTest::newRow("plain") << "Antrag.pdf" << QByteArray("Antrag.pdf");
    QTest::newRow("blanks") << "Mit Leer zeichen.pdf" << QByteArray("Mit%20Leer%20zeichen.pdf");
    QTest::newRow("umlauts and specials") << "Grüße & 100%.pdf" << QByteArray("Gr%C3%BC%C3%9Fe%20%26%20100%25.pdf");
    QTest::newRow("hash and question mark") << "#1?.pdf" << QByteArray("%231%3F.pdf");
    QTest::newRow("hidden name") << ".versteckt" << QByteArray(".versteckt");
}

void TestRecycleFiles::trashedFileIsRestorable()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, encodedName);

    const QString original = m_case->filePath("Vorlagen/Kategorie Ä/") + name;
    const QByteArray content = "%PDF " + name.toUtf8();
    QVERIFY(WriteBytes(original, content));

    const QDateTime before = QDateTime::currentDateTime().addSecs(-1);
    QVERIFY(Trash({original}));
    const QDateTime after = QDateTime::currentDateTime().addSecs(1);

    QVERIFY(!Exists(original));
    QCOMPARE(Entries(trash() + "/files"), QStringList{name});
    QCOMPARE(Entries(trash() + "/info"), QStringList{name + ".trashinfo"});
    QCOMPARE(ReadBytes(trash() + "/files/" + name), content);

    const TrashInfo info = ReadInfo(trash() + "/info/" + name + ".trashinfo");
    QCOMPARE(info.lines.value(0), QString("[Trash Info]"));
    QCOMPARE(info.rawPath, QFile::encodeName(m_case->path()) + "/Vorlagen/Kategorie%20%C3%84/" + encodedName);
    QCOMPARE(info.path, original);
    static const QRegularExpression dateForm(QStringLiteral("^\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\d$"));
    QVERIFY2(dateForm.match(info.date).hasMatch(), qPrintable(info.date));
    const QDateTime deleted = QDateTime::fromString(info.date, Qt::ISODate);
    QVERIFY(deleted >= before.addMSecs(-before.time().msec()) && deleted <= after);

    // What a trash program does on "restore".
    QVERIFY(QFile::rename(trash() + "/files/" + name, info.path));
    QCOMPARE(ReadBytes(original), content);
}

void TestRecycleFiles::sameNameGetsUniqueTrashNames()
{
    const QString a = m_case->filePath("A/Antrag.pdf");
    const QString b = m_case->filePath("B/Antrag.pdf");
    const QString c = m_case->filePath("C/Antrag.pdf");
    QVERIFY(WriteBytes(a, "aus A"));
    QVERIFY(WriteBytes(b, "aus B"));
    QVERIFY(WriteBytes(c, "aus C"));
    // A stray entry without .trashinfo must neither be overwritten nor reused.
    QVERIFY(WriteBytes(trash() + "/files/Antrag.2.pdf", "fremd"));

    QVERIFY(Trash({a, b}));
    QVERIFY(Trash({c}));

    QCOMPARE(Entries(trash() + "/files"), (QStringList{"Antrag.2.pdf", "Antrag.3.pdf", "Antrag.4.pdf", "Antrag.pdf"}));
    QCOMPARE(Entries(trash() + "/info"), (QStringList{"Antrag.3.pdf.trashinfo", "Antrag.4.pdf.trashinfo", "Antrag.pdf.trashinfo"}));
    QCOMPARE(ReadBytes(trash() + "/files/Antrag.2.pdf"), QByteArray("fremd"));
    const struct {
        const char *trashName;
        QString original;
        QByteArray content;
    } expected[] = {{"Antrag.pdf", a, "aus A"}, {"Antrag.3.pdf", b, "aus B"}, {"Antrag.4.pdf", c, "aus C"}};
    for (const auto &e : expected) {
        QCOMPARE(ReadInfo(trash() + "/info/" + e.trashName + ".trashinfo").path, e.original);
        QCOMPARE(ReadBytes(trash() + "/files/" + e.trashName), e.content);
        QVERIFY(!Exists(e.original));
    }
}

void TestRecycleFiles::folderGoesToTrash()
{
    const QString folder = m_case->filePath("Leere Kategorie");
    QVERIFY(WriteBytes(folder + "/Rest.pdf", "rest"));
    QVERIFY(Trash({folder}));
    QVERIFY(!Exists(folder));
    QCOMPARE(ReadBytes(trash() + "/files/Leere Kategorie/Rest.pdf"), QByteArray("rest"));
    QCOMPARE(ReadInfo(trash() + "/info/Leere Kategorie.trashinfo").path, folder);
}

void TestRecycleFiles::missingDataFolderStillEndsInTrash()
{
    const QString data = m_case->filePath("neu/.local/share");
    qputenv("XDG_DATA_HOME", QFile::encodeName(data));
    const QString work = m_case->filePath("arbeitsordner");
    QVERIFY(QDir().mkpath(work));
    const QString previous = QDir::currentPath();
    QVERIFY(QDir::setCurrent(work));
    const QString doc = m_case->filePath("Antrag.pdf");
    QVERIFY(WriteBytes(doc, "inhalt"));

    const bool ok = Trash({doc});
    QDir::setCurrent(previous);

    QVERIFY(ok);
    QVERIFY(!Exists(doc));
    QCOMPARE(ReadBytes(data + "/Trash/files/Antrag.pdf"), QByteArray("inhalt"));
    QCOMPARE(ReadInfo(data + "/Trash/info/Antrag.pdf.trashinfo").path, doc);
    QCOMPARE(Entries(work), QStringList());
    // The trash holds other people's deleted files too.
    QCOMPARE(QFileInfo(data + "/Trash").permissions() & 0x0077, QFileDevice::Permissions());
}

void TestRecycleFiles::brokenTrashKeepsFile()
{
    QVERIFY(QDir().mkpath(trash()));
    QVERIFY(WriteBytes(trash() + "/files", "kein Ordner"));
    const QString doc = m_case->filePath("Antrag.pdf");
    QVERIFY(WriteBytes(doc, "inhalt"));

    QVERIFY(!Trash({doc}));
    QCOMPARE(ReadBytes(doc), QByteArray("inhalt"));
    QCOMPARE(Entries(trash() + "/info"), QStringList());
}

void TestRecycleFiles::missingOrEmptyFails_data()
{
    QTest::addColumn<QStringList>("names");   // relative to the case folder; "" stays empty
    QTest::addColumn<bool>("undo");
    QTest::addColumn<QStringList>("handled"); // existing files that must be gone afterwards

    QTest::newRow("missing to trash") << QStringList{"fehlt.pdf"} << true << QStringList();
    QTest::newRow("missing for good") << QStringList{"fehlt.pdf"} << false << QStringList();
    QTest::newRow("empty list") << QStringList() << true << QStringList();
    QTest::newRow("empty name") << QStringList{""} << true << QStringList();
    QTest::newRow("missing does not stop the rest") << QStringList{"fehlt.pdf", "da.pdf"} << true << QStringList{"da.pdf"};
    QTest::newRow("missing does not stop deleting") << QStringList{"da.pdf", "fehlt.pdf"} << false << QStringList{"da.pdf"};
}

void TestRecycleFiles::missingOrEmptyFails()
{
    QFETCH(QStringList, names);
    QFETCH(bool, undo);
    QFETCH(QStringList, handled);

    QStringList paths;
    for (const QString &n : names)
        paths.append(n.isEmpty() ? n : m_case->filePath(n));
    for (const QString &n : handled)
        QVERIFY(WriteBytes(m_case->filePath(n), "x"));

    QVERIFY(!RecycleFiles(paths, undo, false, false, false, false));
    for (const QString &n : handled)
        QVERIFY(!Exists(m_case->filePath(n)));
    QCOMPARE(Entries(trash() + "/files"), undo ? handled : QStringList());
    if (QFileInfo::exists(trash() + "/info"))
        QCOMPARE(Entries(trash() + "/info").size(), Entries(trash() + "/files").size());
}

void TestRecycleFiles::singleStringForm()
{
    const QString a = m_case->filePath("eins.pdf");
    const QString b = m_case->filePath("zwei.pdf");
    QVERIFY(WriteBytes(a, "1"));
    QVERIFY(WriteBytes(b, "2"));
    const QString list = a + QChar(0) + b + QChar(0) + QChar(0);
    QVERIFY(RecycleFiles(list, true, true, false, true, false));
    QCOMPARE(Entries(trash() + "/files"), (QStringList{"eins.pdf", "zwei.pdf"}));

    const QString c = m_case->filePath("drei.pdf");
    QVERIFY(WriteBytes(c, "3"));
    QVERIFY(RecycleFiles(c, false, false, false, false, false));
    QVERIFY(!Exists(c));
    QCOMPARE(Entries(trash() + "/files").size(), 2);
}

void TestRecycleFiles::deleteForGood_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("file") << "file";
    QTest::newRow("read-only file") << "readonly";
    QTest::newRow("folder with contents") << "folder";
    QTest::newRow("link to a file") << "link";
}

void TestRecycleFiles::deleteForGood()
{
    QFETCH(QString, kind);
    const QString victim = m_case->filePath("User.bak");
    const QString elsewhere = m_case->filePath("bleibt.dat");
    QVERIFY(WriteBytes(elsewhere, "bleibt"));
    if (kind == "folder") {
        QVERIFY(WriteBytes(victim + "/a/b.pdf", "x"));
    } else if (kind == "link") {
        QVERIFY(QFile::link(elsewhere, victim));
    } else {
        QVERIFY(WriteBytes(victim, "x"));
        if (kind == "readonly")
            QVERIFY(QFile::setPermissions(victim, QFileDevice::ReadOwner));
    }

    QVERIFY(Kill({victim}));
    QVERIFY(!Exists(victim));
    QCOMPARE(ReadBytes(elsewhere), QByteArray("bleibt"));
    QVERIFY(!Exists(trash()));
}

void TestRecycleFiles::topDirTrashFolder_data()
{
    QTest::addColumn<QString>("setup");
    QTest::addColumn<bool>("create");
    QTest::addColumn<QString>("expected"); // relative to the top folder, "" = none

    const QString uid = QString::number(::getuid());
    QTest::newRow("nothing there, create") << "none" << true << ".Trash-" + uid;
    QTest::newRow("nothing there, look only") << "none" << false << "";
    QTest::newRow("shared sticky trash") << "sticky" << true << ".Trash/" + uid;
    QTest::newRow("shared trash without sticky bit") << "plain" << true << ".Trash-" + uid;
    QTest::newRow("shared trash is a link") << "link" << true << ".Trash-" + uid;
    QTest::newRow("own trash already there") << "own" << false << ".Trash-" + uid;
    QTest::newRow("own trash name is a file") << "ownfile" << true << "";
}

void TestRecycleFiles::topDirTrashFolder()
{
    QFETCH(QString, setup);
    QFETCH(bool, create);
    QFETCH(QString, expected);

    const QString top = m_case->filePath("mnt");
    const QString uid = QString::number(::getuid());
    QVERIFY(QDir().mkpath(top));
    if (setup == "sticky" || setup == "plain" || setup == "link") {
        const QString shared = setup == "link" ? m_case->filePath("anderswo") : top + "/.Trash";
        QVERIFY(QDir().mkpath(shared));
        QCOMPARE(::chmod(QFile::encodeName(shared).constData(), setup == "plain" ? 0777 : 01777), 0);
        if (setup == "link")
            QVERIFY(QFile::link(shared, top + "/.Trash"));
    } else if (setup == "own") {
        QVERIFY(QDir().mkpath(top + "/.Trash-" + uid));
    } else if (setup == "ownfile") {
        QVERIFY(WriteBytes(top + "/.Trash-" + uid, "x"));
    }

    const QString found = TopDirTrashFolder(top, uint(::getuid()), create);
    QCOMPARE(found, expected.isEmpty() ? QString() : top + '/' + expected);
    if (!found.isEmpty() && setup != "own")
        QCOMPARE(QFileInfo(found).permissions() & 0x0077, QFileDevice::Permissions());
    if (!create && expected.isEmpty())
        QCOMPARE(Entries(top), QStringList());
}

void TestRecycleFiles::topDirTrashRecordsRelativePath()
{
    const QString top = m_case->filePath("mnt");
    const QString doc = top + "/Vorlagen/Antrag neu.pdf";
    QVERIFY(WriteBytes(doc, "x"));
    const QString topTrash = top + "/.Trash-1000";

    QVERIFY(!MoveIntoTrash(doc, topTrash, m_case->filePath("woanders"), false));
    QVERIFY(Exists(doc));

    QVERIFY(MoveIntoTrash(doc, topTrash, top, false));
    QVERIFY(!Exists(doc));
    QCOMPARE(ReadBytes(topTrash + "/files/Antrag neu.pdf"), QByteArray("x"));
    QCOMPARE(ReadInfo(topTrash + "/info/Antrag neu.pdf.trashinfo").rawPath, QByteArray("Vorlagen/Antrag%20neu.pdf"));
}

void TestRecycleFiles::acrossFileSystems_data()
{
    QTest::addColumn<bool>("folder");
    QTest::addColumn<bool>("copyAcross");
    QTest::newRow("file copied") << false << true;
    QTest::newRow("folder copied") << true << true;
    QTest::newRow("copy not allowed") << false << false;
}

void TestRecycleFiles::acrossFileSystems()
{
    QFETCH(bool, folder);
    QFETCH(bool, copyAcross);

    struct stat here {}, shm {};
    if (::stat("/dev/shm", &shm) != 0 || ::stat(QFile::encodeName(m_case->path()).constData(), &here) != 0
        || here.st_dev == shm.st_dev)
        QSKIP("needs /dev/shm on a file system of its own");
    QTemporaryDir other(QStringLiteral("/dev/shm/vv-recycle-XXXXXX"));
    QVERIFY(other.isValid());

    const QString doc = other.filePath(folder ? "Kategorie" : "Antrag.pdf");
    const QString inner = folder ? doc + "/sub/Antrag.pdf" : doc;
    QVERIFY(WriteBytes(inner, QByteArray("%PDF\0binär", 11)));
    QVERIFY(QFile::setPermissions(inner, QFileDevice::ReadOwner | QFileDevice::WriteOwner));
    if (folder)
        QVERIFY(QFile::link("sub/Antrag.pdf", doc + "/verweis"));

    const bool ok = MoveIntoTrash(doc, trash(), QString(), copyAcross);
    QCOMPARE(ok, copyAcross);
    if (!copyAcross) {
        QCOMPARE(ReadBytes(doc), QByteArray("%PDF\0binär", 11));
        QCOMPARE(Entries(trash() + "/files"), QStringList());
        QCOMPARE(Entries(trash() + "/info"), QStringList());
        return;
    }
    QVERIFY(!Exists(doc));
    const QString moved = trash() + "/files/" + QFileInfo(doc).fileName();
    const QString movedInner = folder ? moved + "/sub/Antrag.pdf" : moved;
    QCOMPARE(ReadBytes(movedInner), QByteArray("%PDF\0binär", 11));
    QCOMPARE(QFileInfo(movedInner).permissions() & 0x7077, QFileDevice::Permissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner));
    if (folder) {
        // Still relative, so it points into the restored folder.
        QCOMPARE(QFile::symLinkTarget(moved + "/verweis"), moved + "/sub/Antrag.pdf");
        QCOMPARE(Entries(moved), (QStringList{"sub", "verweis"}));
    }
    QCOMPARE(ReadInfo(trash() + "/info/" + QFileInfo(doc).fileName() + ".trashinfo").path, doc);
}

QTEST_GUILESS_MAIN(TestRecycleFiles)
#include "tst_recyclefiles.moc"
