// cmake --install into folders named the way people name them: the menu entry
// must start the installed program, the download link must reach the
// installed archive, and a second installation must keep the office's library.

#include "HostLink.h"
#include "PdfRender.h"
#include "Registry.h"
#include "Settings.h"
#include "TestSupport.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

using vvtest::ReadAll;
using vvtest::WriteAll;

namespace {

// A desktop entry's string value: \s \n \t \r \\ stand for their characters.
QString UnescapeValue(const QString &value)
{
    QString out;
    for (qsizetype i = 0; i < value.size(); ++i) {
        if (value[i] != QLatin1Char('\\') || i + 1 == value.size()) {
            out += value[i];
            continue;
        }
        const QChar c = value[++i];
        out += c == QLatin1Char('s') ? QChar(' ') : c == QLatin1Char('n') ? QChar('\n')
             : c == QLatin1Char('t') ? QChar('\t') : c == QLatin1Char('r') ? QChar('\r') : c;
    }
    return out;
}

// Splits an unescaped Exec value the way a desktop does: blanks separate,
// "..." quotes with \" \` \$ \\ inside, %% is a percent sign.
QStringList SplitExec(const QString &exec, bool *ok)
{
    QStringList args;
    QString current;
    bool inArg = false, quoted = false;
    *ok = true;
    for (qsizetype i = 0; i < exec.size(); ++i) {
        const QChar c = exec[i];
        if (quoted) {
            if (c == QLatin1Char('"')) {
                quoted = false;
            } else if (c == QLatin1Char('\\') && i + 1 < exec.size() && QStringLiteral("\"`$\\").contains(exec[i + 1])) {
                current += exec[++i];
            } else if (QStringLiteral("\"`$\\").contains(c)) {
                *ok = false; // must be escaped inside quotes
            } else if (c == QLatin1Char('%')) {
                // Field codes count inside quotes too.
                if (i + 1 < exec.size() && exec[i + 1] == QLatin1Char('%'))
                    current += exec[++i];
                else
                    *ok = false;
            } else {
                current += c;
            }
        } else if (c == QLatin1Char(' ')) {
            if (inArg)
                args << current;
            current.clear();
            inArg = false;
        } else if (c == QLatin1Char('"')) {
            quoted = inArg = true;
        } else if (c == QLatin1Char('%')) {
            if (i + 1 < exec.size() && exec[i + 1] == QLatin1Char('%'))
                current += exec[++i];
            else
                *ok = false; // no field codes: the program takes no arguments
            inArg = true;
        } else {
            // Reserved characters outside quotes are not allowed.
            if (QStringLiteral("\t\n\"'\\><~|&;$*?#()`").contains(c))
                *ok = false;
            current += c;
            inArg = true;
        }
    }
    if (quoted)
        *ok = false;
    if (inArg)
        args << current;
    return args;
}

QString EntryValue(const QByteArray &entry, const QByteArray &key)
{
    for (const QByteArray &line : entry.split('\n'))
        if (line.startsWith(key + '='))
            return QString::fromUtf8(line.mid(key.size() + 1));
    return {};
}

int Install(const QString &prefix, QString *output)
{
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("DESTDIR"));
    p.setProcessEnvironment(env);
    p.start(QStringLiteral(VV_CMAKE_COMMAND),
            {QStringLiteral("--install"), QStringLiteral(VV_BINARY_DIR), QStringLiteral("--prefix"), prefix});
    if (!p.waitForFinished(120000))
        return -1;
    *output = QString::fromLocal8Bit(p.readAll());
    return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
}

class TestInstallation : public QObject {
    Q_OBJECT

    QTemporaryDir m_tmp;

private slots:
    void initTestCase()
    {
        QVERIFY(m_tmp.isValid());
        vvtest::IsolateEnvironment(m_tmp.path());
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }

    void installsWhereverItIsPut_data()
    {
        QTest::addColumn<QString>("prefix"); // below the temporary folder
        QTest::newRow("plain") << QStringLiteral("home/.local/opt/veltrano");
        QTest::newRow("blanks and umlauts") << QStringLiteral("home/Eigene Programme/Büro Müller & Söhne");
        QTest::newRow("shell characters") << QStringLiteral("home/a$HOME `b` \"c\" 'd' 100% (e)");
    }

    void installsWhereverItIsPut()
    {
        QFETCH(QString, prefix);
        prefix = m_tmp.filePath(prefix);
        const QString program = prefix + QStringLiteral("/ordinalis");
        QString out;
        QVERIFY2(Install(prefix, &out) == 0, qPrintable(out));

        // The menu entry starts exactly the installed program, with no argument.
        const QByteArray entry = ReadAll(prefix + QStringLiteral("/share/applications/de.veltrano.vorlagen.desktop"));
        QVERIFY(!entry.isEmpty());
        bool ok = false;
        const QStringList exec = SplitExec(UnescapeValue(EntryValue(entry, "Exec")), &ok);
        QVERIFY2(ok, qPrintable(EntryValue(entry, "Exec")));
        QCOMPARE(exec, QStringList{program + QStringLiteral("/vorlagen")});
        QVERIFY(QFileInfo(exec.first()).isExecutable());
        // Outside the system's icon folders the icon is named by its path.
        QVERIFY(QFileInfo(UnescapeValue(EntryValue(entry, "Icon"))).isFile());

        // The editor's download link reaches the installed archive, read the
        // way the program reads its installation's settings.
        const vv::Registry reg(m_tmp.filePath(QStringLiteral("no-user-store.conf")),
                               {program + QStringLiteral("/Ordinalis.conf")});
        const QUrl download = vv::DownloadAddress(reg);
        QVERIFY2(download.isLocalFile(), qPrintable(download.toString()));
        QCOMPARE(download.toLocalFile(), program + QStringLiteral("/Standard/Vorlagen-Bibliothek.zip"));
        QVERIFY(QFileInfo(download.toLocalFile()).isFile());

        // The standard library is in place, and a change to it outlives the
        // next installation, while the pristine copy is renewed.
        const QString user = program + QStringLiteral("/Vorlagen/User.dat");
        const QByteArray standard = ReadAll(program + QStringLiteral("/Standard/Vorlagen/User.dat"));
        QVERIFY(!standard.isEmpty());
        QCOMPARE(ReadAll(user), standard);
        QVERIFY(QFileInfo::exists(program + QStringLiteral("/VORLAGEN.DAT")));
        WriteAll(user, standard + "[INFO]\r\nGeändert.pdf=von Hand\r\n");
        WriteAll(program + QStringLiteral("/Standard/Vorlagen/User.dat"), "verdorben");
        QVERIFY2(Install(prefix, &out) == 0, qPrintable(out));
        QCOMPARE(ReadAll(user), standard + "[INFO]\r\nGeändert.pdf=von Hand\r\n");
        QCOMPARE(ReadAll(program + QStringLiteral("/Standard/Vorlagen/User.dat")), standard);

        // The PDF module lies where the installed program looks for it and
        // draws the standard library's documents.
        vv::PdfModule pdf(program);
        QCOMPARE(QFileInfo(pdf.file()).dir().path(), program);
        const QString document = program + QStringLiteral("/Standard/Vorlagen/Vollmachten/Vollmacht_Allgemein.pdf");
        QCOMPARE(vv::RenderFirstPage(document, 100, &pdf).status, vv::RenderedPage::Rendered);

        // The installed program runs there and a host ends it.
        QProcess vorlagen;
        vorlagen.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        vorlagen.start(exec.first(), {});
        QVERIFY(vorlagen.waitForStarted(10000));
        bool answered = false;
        for (int i = 0; i < 100 && !answered && vorlagen.state() != QProcess::NotRunning; ++i, QTest::qWait(100))
            answered = vv::HostLinkAnswers(program, 200);
        QVERIFY(answered);
        QCOMPARE(QProcess::execute(program + QStringLiteral("/vorlagen-host"), {QStringLiteral("$Ende$")}), 0);
        QVERIFY(vorlagen.waitForFinished(10000));
        QCOMPARE(vorlagen.exitCode(), 0);
    }
};

} // namespace

QTEST_GUILESS_MAIN(TestInstallation)
#include "tst_installation.moc"
