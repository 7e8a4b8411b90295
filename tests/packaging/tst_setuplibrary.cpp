// vorlagen-einrichten, the script the package's postinst and a direct
// installation run: it brings the standard library only where none is and
// hands the library to the office's group once.

#include "TestSupport.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

using vvtest::ReadAll;
using vvtest::WriteAll;

namespace {

const QString kScript = QStringLiteral(VV_SOURCE_DIR "/packaging/vorlagen-einrichten");

// Every library item, as the standard copy holds it.
const QStringList kStandardFiles{"Vorlagen/User.dat", "Vorlagen/Steuern/Antrag.pdf", "VORLAGEN.DAT",
                                 "DOCFORM0.DLL",      "DOCFORM4.DLL"};

int Run(const QStringList &args, QString *err = nullptr)
{
    QProcess p;
    p.start(QStringLiteral("sh"), QStringList{kScript} + args);
    if (!p.waitForFinished(30000))
        return -1;
    if (err)
        *err = QString::fromLocal8Bit(p.readAllStandardError());
    return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
}

QString GroupOf(const QString &path)
{
    struct stat st {};
    if (::lstat(QFile::encodeName(path).constData(), &st) != 0)
        return {};
    const group *g = ::getgrgid(st.st_gid);
    return g ? QString::fromLocal8Bit(g->gr_name) : QString::number(st.st_gid);
}

mode_t ModeOf(const QString &path)
{
    struct stat st {};
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_mode & 07777 : 0;
}

// A group the running user may give files to that is not the one new files
// get anyway; empty when there is none.
QString OtherGroup()
{
    const gid_t primary = ::getegid();
    if (::geteuid() == 0) {
        for (const char *name : {"nogroup", "users", "daemon"})
            if (const group *g = ::getgrnam(name); g && g->gr_gid != primary)
                return QString::fromLatin1(name);
    }
    gid_t groups[256];
    const int n = ::getgroups(256, groups);
    for (int i = 0; i < n; ++i)
        if (groups[i] != primary)
            if (const group *g = ::getgrgid(groups[i]))
                return QString::fromLocal8Bit(g->gr_name);
    return {};
}

class TestSetupLibrary : public QObject {
    Q_OBJECT

    QTemporaryDir m_tmp;
    QString m_dir;

    QString Path(const QString &rel) const { return m_dir + QLatin1Char('/') + rel; }

private slots:
    void init()
    {
        QVERIFY(m_tmp.isValid());
        m_dir = m_tmp.filePath(QStringLiteral("Mein Büro/ordinalis"));
        QDir(m_dir).removeRecursively();
        for (const QString &f : kStandardFiles)
            WriteAll(Path("Standard/" + f), "standard " + f.toUtf8());
        WriteAll(Path("vorlagen"), "program");
    }

    void bringsOnlyWhatIsMissing_data()
    {
        QTest::addColumn<QStringList>("present"); // written with "office" content before
        QTest::addColumn<QStringList>("absent");  // must not appear
        QTest::newRow("fresh installation") << QStringList{} << QStringList{};
        // An older library is the office's whole: no standard category joins it.
        QTest::newRow("library of an older installation")
            << QStringList{"Vorlagen/User.dat"} << QStringList{"Vorlagen/Steuern"};
        QTest::newRow("changed favourites") << QStringList{"VORLAGEN.DAT"} << QStringList{};
        QTest::newRow("one form picture replaced") << QStringList{"DOCFORM4.DLL"} << QStringList{};
        QTest::newRow("everything there")
            << QStringList{"Vorlagen/User.dat", "VORLAGEN.DAT", "DOCFORM0.DLL", "DOCFORM4.DLL"}
            << QStringList{"Vorlagen/Steuern"};
    }

    void bringsOnlyWhatIsMissing()
    {
        QFETCH(QStringList, present);
        QFETCH(QStringList, absent);
        for (const QString &f : present)
            WriteAll(Path(f), "office " + f.toUtf8());

        for (int run = 1; run <= 2; ++run) {
            QString err;
            QCOMPARE(Run({m_dir}, &err), 0);
            QVERIFY2(err.isEmpty(), qPrintable(err));
            for (const QString &f : kStandardFiles) {
                if (absent.contains(f.section('/', 0, 1)))
                    continue;
                const QByteArray expected = (present.contains(f) ? "office " : "standard ") + f.toUtf8();
                QVERIFY2(ReadAll(Path(f)) == expected, qPrintable(QStringLiteral("run %1: %2").arg(run).arg(f)));
            }
            for (const QString &f : absent)
                QVERIFY2(!QFileInfo::exists(Path(f)), qPrintable(f));
            // The pristine copy stays as it came.
            for (const QString &f : kStandardFiles)
                QCOMPARE(ReadAll(Path("Standard/" + f)), "standard " + f.toUtf8());
        }
        // No half copy is left lying around.
        const QStringList names = QDir(m_dir).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System);
        for (const QString &n : names)
            QVERIFY2(!n.contains(QLatin1String(".neu.")), qPrintable(n));
    }

    void keepsWhatSomeonePutThere()
    {
        // A link, even one pointing nowhere (a share not mounted yet), is a
        // library someone set up on purpose.
        QVERIFY(QFile::link(m_tmp.filePath("share/Vorlagen"), Path("Vorlagen")));
        QCOMPARE(Run({m_dir}), 0);
        QVERIFY(QFileInfo(Path("Vorlagen")).isSymLink());
        QVERIFY(!QFileInfo::exists(m_tmp.filePath("share/Vorlagen")));
        QCOMPARE(ReadAll(Path("VORLAGEN.DAT")), QByteArray("standard VORLAGEN.DAT"));
    }

    void refusesBadCalls_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<bool>("removeStandard");
        QTest::addColumn<int>("code");
        QTest::newRow("no folder") << QStringList{} << false << 2;
        QTest::newRow("group without folder") << QStringList{"--gruppe", "x"} << false << 2;
        QTest::newRow("unknown option") << QStringList{"--alles", "DIR"} << false << 2;
        QTest::newRow("two folders") << QStringList{"DIR", "DIR"} << false << 2;
        QTest::newRow("no standard library") << QStringList{"DIR"} << true << 1;
    }

    void refusesBadCalls()
    {
        QFETCH(QStringList, args);
        QFETCH(bool, removeStandard);
        QFETCH(int, code);
        if (removeStandard)
            QVERIFY(QDir(Path("Standard")).removeRecursively());
        args.replaceInStrings(QStringLiteral("DIR"), m_dir);
        QString err;
        QCOMPARE(Run(args, &err), code);
        QVERIFY(!err.isEmpty());
        QVERIFY(!QFileInfo::exists(Path("Vorlagen")));
        QVERIFY(!QFileInfo::exists(Path("VORLAGEN.DAT")));
    }

    void handsTheLibraryToTheGroup()
    {
        const QString group = OtherGroup();
        if (group.isEmpty())
            QSKIP("the user belongs to no second group to hand files to");
        // A library of an older installation, owned by whoever made it.
        WriteAll(Path("Vorlagen/Neu/leer.pdf"), "office");
        QCOMPARE(Run({"--gruppe", group, m_dir}), 0);

        QCOMPARE(GroupOf(m_dir), group);
        QCOMPARE(ModeOf(m_dir), mode_t(02775));
        for (const char *d : {"Vorlagen", "Vorlagen/Neu"}) {
            QCOMPARE(GroupOf(Path(d)), group);
            QVERIFY2((ModeOf(Path(d)) & 02070) == 02070, qPrintable(d));
            QVERIFY2((ModeOf(Path(d)) & 0002) == 0, qPrintable(d));
        }
        for (const char *f : {"Vorlagen/Neu/leer.pdf", "VORLAGEN.DAT", "DOCFORM0.DLL"}) {
            QCOMPARE(GroupOf(Path(f)), group);
            QVERIFY2((ModeOf(Path(f)) & 0664) == 0664, qPrintable(f));
            QVERIFY2((ModeOf(Path(f)) & 0002) == 0, qPrintable(f));
        }
        // The program and the pristine copy are the package's, not the group's.
        QVERIFY(GroupOf(Path("vorlagen")) != group);
        QVERIFY(GroupOf(Path("Standard/VORLAGEN.DAT")) != group);
        QVERIFY(GroupOf(Path("Standard/Vorlagen")) != group);

        // An upgrade runs it again: rights the office chose since then stay.
        QVERIFY(QFile::setPermissions(Path("VORLAGEN.DAT"), QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
        QCOMPARE(Run({"--gruppe", group, m_dir}), 0);
        QCOMPARE(ModeOf(Path("VORLAGEN.DAT")), mode_t(0444));
        QCOMPARE(ReadAll(Path("VORLAGEN.DAT")), QByteArray("standard VORLAGEN.DAT"));
    }
};

} // namespace

QTEST_GUILESS_MAIN(TestSetupLibrary)
#include "tst_setuplibrary.moc"
