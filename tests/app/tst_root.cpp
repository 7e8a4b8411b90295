// The main window built over a temporary installation with every seam faked:
// what the lists, the preview and the user file show after each command.

#include "Clock.h"
#include "Fakes.h"
#include "FileServices.h"
#include "IniFiles.h"
#include "Installation.h"
#include "Registry.h"
#include "Root.h"
#include "TestSupport.h"
#include "WebSupports.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QPlainTextEdit>
#include <QTimer>
#include <QToolButton>

#include <functional>

#include <memory>

using namespace vvtest;

namespace {

QStringList Entries(QListWidget *list)
{
    QStringList out;
    for (int i = 0; i < list->count(); ++i)
        out << list->item(i)->text();
    return out;
}

} // namespace

class TestRoot : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_tmp;
    QString m_install;
    QString m_templates;
    QString m_user;
    std::unique_ptr<FakeServices> m_fakes;
    std::unique_ptr<vv::Root> m_root;

    // A fresh installation and window per test, so no test sees another's files.
    vv::Root *makeRoot(bool load = true)
    {
        m_root.reset();
        m_fakes = std::make_unique<FakeServices>(m_tmp->path() + "/fakes");
        m_root = std::make_unique<vv::Root>(m_install, m_fakes->services());
        if (load)
            m_root->Load();
        return m_root.get();
    }
    template <class T> T *child(const char *name)
    {
        T *w = m_root->findChild<T *>(QString::fromUtf8(name));
        if (!w)
            qFatal("control %s missing", name);
        return w;
    }
    QComboBox *categories() { return child<QComboBox>("LCategory"); }
    QListWidget *files() { return child<QListWidget>("LDateien"); }
    QLabel *infos() { return child<QLabel>("LInfos"); }
    QChar previewColour()
    {
        const QPixmap p = child<QLabel>("pImage")->pixmap();
        if (p.isNull())
            return '-';
        const QImage img = p.toImage();
        return ColourName(img.pixelColor(img.width() / 2, img.height() / 2));
    }
    void selectDocument(const QString &name)
    {
        const auto found = files()->findItems(name, Qt::MatchExactly);
        QVERIFY2(!found.isEmpty(), qPrintable(name));
        files()->setCurrentItem(found.first());
    }
    QString viewerProgram()
    {
        const QString viewer = m_tmp->path() + "/Programme/Pdf Betrachter";
        QDir().mkpath(QFileInfo(viewer).path());
        QFile f(viewer);
        f.open(QIODevice::WriteOnly);
        f.write("#!/bin/sh\n");
        f.close();
        f.setPermissions(f.permissions() | QFile::ExeOwner);
        return viewer;
    }
    void doubleClickPreview()
    {
        QTest::mouseDClick(child<QLabel>("pImage"), Qt::LeftButton);
    }
    // The copy named last in a recorded command line.
    QString copyOf(const QString &commandLine)
    {
        const QStringList parts = vv::SplitCommandLine(commandLine);
        return parts.isEmpty() ? QString() : parts.last();
    }

    // Answers the next modal dialog the command opens, while its exec() runs.
    void whenModal(const char *name, std::function<void(QDialog *)> act)
    {
        auto tries = std::make_shared<int>(0);
        auto poll = std::make_shared<std::function<void()>>();
        *poll = [=] {
            auto *dlg = qobject_cast<QDialog *>(QApplication::activeModalWidget());
            if (dlg && dlg->objectName() == QLatin1String(name)) {
                act(dlg);
                return;
            }
            if (++*tries < 200)
                QTimer::singleShot(10, *poll);
            else if (QApplication::activeModalWidget())
                QApplication::activeModalWidget()->close();
        };
        QTimer::singleShot(0, *poll);
    }
    static void click(QDialog *dlg, const char *button)
    {
        auto *b = dlg->findChild<QPushButton *>(QString::fromUtf8(button));
        QVERIFY(b);
        b->click();
    }
    void trigger(const char *entry)
    {
        QAction *a = m_root->findChild<QAction *>(QString::fromUtf8(entry));
        QVERIFY(a);
        a->trigger();
    }

private slots:
    void initTestCase()
    {
        m_tmp = std::make_unique<QTemporaryDir>();
        QVERIFY(m_tmp->isValid());
        IsolateEnvironment(m_tmp->path());
    }

    void init()
    {
        // An installation folder whose path a shell would mangle.
        m_install = m_tmp->path() + "/Büro 'Alte' \"Vorlagen\" $(echo x); Ordner";
        QDir(m_install).removeRecursively();
        QDir(m_tmp->path() + "/temp").removeRecursively();
        QDir().mkpath(m_tmp->path() + "/temp");
        m_templates = MakeInstallation(m_install);
        m_user = m_templates + "/User.dat";
    }

    void cleanup() { m_root.reset(); }

    void startUpListsCategoriesAndFirstDocument()
    {
        makeRoot();
        QCOMPARE(m_root->windowTitle(), QStringLiteral("Veltrano Vorlagen-Bibliothek"));
        QCOMPARE(categories()->count(), 3);
        QCOMPARE(categories()->itemText(1), QStringLiteral("Verträge"));
        QCOMPARE(child<QLabel>("LDatabase")->text(), m_install + "/");
        QCOMPARE(files()->currentRow(), 0);
        QCOMPARE(files()->currentItem()->text(), QStringLiteral("Antrag.pdf"));
        QCOMPARE(infos()->text(), QStringLiteral("Antrag ausfüllen"));
        QCOMPARE(previewColour(), QChar('r'));
        QVERIFY(child<QLineEdit>("Text1")->isHidden());
        QCOMPARE(child<QLineEdit>("Text1")->text(), QStringLiteral("$Start$"));
        QCOMPARE(child<QCheckBox>("BAusdrucken")->text(),
                 QStringLiteral("&Ausdruck beim Doppelklick der Vorlage "));
        QAction *show = m_root->findChild<QAction *>("mnuShowViewer");
        QVERIFY(show);
        QCOMPARE(show->text(), QStringLiteral("&Pdf-Viewer anzeigen \tEnter"));
        m_root->resize(700, 500);
        QVERIFY(child<QPushButton>("BBeenden")->y() >= m_root->height());
        QVERIFY(m_fakes->msg.shown.isEmpty());
    }

    void categoryKeys_data()
    {
        QTest::addColumn<QStringList>("keys");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("gap at 03") << QStringList{"01", "02", "04"} << QStringList{"K01", "K02", "K04"};
        QTest::newRow("10 never read") << QStringList{"01", "10"} << QStringList{"K01"};
        QTest::newRow("09 is the last") << QStringList{"09"} << QStringList{"K09"};
        QTest::newRow("1 is not 01") << QStringList{"1", "02"} << QStringList{"K02"};
        QTest::newRow("none") << QStringList{} << QStringList{};
    }
    void categoryKeys()
    {
        QFETCH(QStringList, keys);
        QFETCH(QStringList, expected);
        vv::DeleteIniSection(m_user, "CAT");
        for (const QString &k : keys)
            vv::WriteIniValue(m_user, "CAT", k, "K" + k);
        vv::WriteIniValue(m_user, "CAT", "03", ""); // empty values are skipped too
        makeRoot();
        QStringList shown;
        for (int i = 0; i < categories()->count(); ++i)
            shown << categories()->itemText(i);
        QCOMPARE(shown, expected);
    }

    void printSwitchRestored_data()
    {
        QTest::addColumn<QString>("value");
        QTest::addColumn<bool>("ticked");
        QTest::newRow("1") << "1" << true;
        QTest::newRow("01 as a number") << "01" << true;
        QTest::newRow("0") << "0" << false;
        QTest::newRow("empty") << "" << false;
        QTest::newRow("2") << "2" << false;
        QTest::newRow("missing") << QString() << false;
    }
    void printSwitchRestored()
    {
        QFETCH(QString, value);
        QFETCH(bool, ticked);
        if (value.isNull())
            vv::DeleteIniKey(m_user, "SET", "PrintDoc");
        else
            vv::WriteIniValue(m_user, "SET", "PrintDoc", value);
        makeRoot();
        QCOMPARE(child<QCheckBox>("BAusdrucken")->isChecked(), ticked);
    }

    void missingUserFileGivesEmptyWindowWithoutMessage()
    {
        QFile::remove(m_user);
        makeRoot();
        QCOMPARE(categories()->count(), 0);
        QCOMPARE(files()->count(), 0);
        QVERIFY(!child<QCheckBox>("BAusdrucken")->isChecked());
        QVERIFY(m_fakes->msg.shown.isEmpty());
    }

    void missingTemplatesFolderEndsWithoutWriting()
    {
        QDir(m_templates).removeRecursively();
        makeRoot(false);
        QVERIFY(!m_root->Load());
        QCOMPARE(m_fakes->msg.shown.size(), 1);
        const ShownMessage m = m_fakes->msg.shown.first();
        QCOMPARE(m.text, QStringLiteral("Die Dokumente sind nicht vorhanden oder wurden verschoben.  \n"
                                        "Die Anwendung kann nicht ordnungsgemäss arbeiten."));
        QCOMPARE(m.style, 16);
        QCOMPARE(m.title, QStringLiteral(" Ordinalis Veltrano Vorlagen-Bibliothek"));
        m_root->close(); // a late close must not write either
        QVERIFY(!QFile::exists(m_user));
        QVERIFY(!QDir(m_templates).exists());
    }

    void quitWritesPrintSwitch_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<bool>("tick");
        QTest::newRow("Esc, ticked") << "esc" << true;
        QTest::newRow("Esc, unticked") << "esc" << false;
        QTest::newRow("close box, ticked") << "close" << true;
        QTest::newRow("AppClosed, unticked") << "appclosed" << false;
    }
    void quitWritesPrintSwitch()
    {
        QFETCH(QString, how);
        QFETCH(bool, tick);
        vv::WriteIniValue(m_user, "SET", "PrintDoc", tick ? "0" : "1");
        makeRoot();
        child<QCheckBox>("BAusdrucken")->setChecked(tick);
        if (how == "esc") {
            m_root->show();
            QApplication::setActiveWindow(m_root.get());
            QVERIFY(QTest::qWaitForWindowActive(m_root.get()));
            QTest::keyClick(files(), Qt::Key_Escape);
        } else if (how == "close") {
            m_root->show();
            m_root->close();
        } else {
            m_root->AppClosed();
        }
        QCOMPARE(vv::ReadIniValue(m_user, "SET", "PrintDoc"), tick ? QString("1") : QString("0"));
        QCOMPARE(m_fakes->exit.quitCodes, QList<int>{0});
        QVERIFY(m_fakes->exit.exitNowCodes.isEmpty());
    }

    void quitLeavesReadOnlyUserFileUntouched()
    {
        makeRoot();
        child<QCheckBox>("BAusdrucken")->setChecked(true);
        const QByteArray before = ReadAll(m_user);
        QFile::setPermissions(m_user, QFile::ReadOwner | QFile::ReadUser);
        m_root->AppClosed();
        QFile::setPermissions(m_user, QFile::ReadOwner | QFile::WriteOwner);
        QCOMPARE(ReadAll(m_user), before);
        QCOMPARE(m_fakes->exit.quitCodes, QList<int>{0});
    }

    void hostText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("ends");
        QTest::newRow("end marker") << "$Ende$" << true;
        QTest::newRow("other case") << "$ende$" << false;
        QTest::newRow("trailing blank") << "$Ende$ " << false;
        QTest::newRow("one character short") << "$Ende" << false;
        QTest::newRow("start marker") << "$Start$" << false;
    }
    void hostText()
    {
        QFETCH(QString, text);
        QFETCH(bool, ends);
        vv::WriteIniValue(m_user, "SET", "PrintDoc", "0");
        makeRoot();
        child<QCheckBox>("BAusdrucken")->setChecked(true);
        m_root->WriteHostText(text);
        QCOMPARE(m_fakes->exit.exitNowCodes, ends ? QList<int>{0} : QList<int>{});
        QCOMPARE(child<QLineEdit>("Text1")->text(), text);
        // The end marker writes nothing, also when the window closes afterwards.
        m_root->close();
        QCOMPARE(vv::ReadIniValue(m_user, "SET", "PrintDoc"), ends ? QString("0") : QString("1"));
    }

    void endMarkerWhileMessageBoxIsOpen()
    {
        makeRoot();
        vv::WriteIniValue(m_user, "DIR", "02", "\\Fehlt");
        m_fakes->msg.whileOpen = [this] { m_root->WriteHostText("$Ende$"); };
        categories()->setCurrentIndex(1);
        QCOMPARE(m_fakes->msg.shown.size(), 1);
        QCOMPARE(m_fakes->exit.exitNowCodes, QList<int>{0});
    }

    void categoryFolderFromDir_data()
    {
        QTest::addColumn<QString>("dir");
        QTest::addColumn<QStringList>("listed");
        QTest::addColumn<bool>("message");
        const QStringList steuern{"Antrag.pdf", "Beide.pdf", "Gif.pdf", "Kaputt.pdf", "Ohne.pdf"};
        const QStringList previous{"Mietvertrag.pdf"};
        QTest::newRow("no leading backslash") << "Steuern" << steuern << false;
        QTest::newRow("leading backslash") << "\\Steuern" << steuern << false;
        QTest::newRow("empty keeps the folder") << "" << previous << false;
        QTest::newRow("missing folder") << "\\Fehlt" << previous << true;
        QTest::newRow("parent folder") << "\\..\\Vorlagen\\Steuern" << previous << true;
        QTest::newRow("absolute path") << m_tmp->path() << previous << true;
        QTest::newRow("drive letter") << "C:\\Vorlagen\\Steuern" << previous << true;
        QTest::newRow("trailing backslash") << "\\Steuern\\" << previous << true;
    }
    void categoryFolderFromDir()
    {
        QFETCH(QString, dir);
        QFETCH(QStringList, listed);
        QFETCH(bool, message);
        vv::WriteIniValue(m_user, "DIR", "03", dir);
        makeRoot();
        categories()->setCurrentIndex(1); // Verträge, to have a previous folder
        m_fakes->msg.answers.enqueue(vv::vbCancel);
        categories()->setCurrentIndex(2);
        QCOMPARE(Entries(files()), listed);
        QCOMPARE(m_fakes->msg.shown.size(), message ? 1 : 0);
        if (message) {
            const ShownMessage m = m_fakes->msg.shown.first();
            QCOMPARE(m.style, 17);
            QCOMPARE(m.title, QStringLiteral(" Veltrano Vorlagen-Bibliothek"));
            QVERIFY(m.text.startsWith("Während der Installation von Ordinalis"));
            QVERIFY(m.text.contains("Kartenreiter ''Verwaltung'' und"));
            QVERIFY(m.text.endsWith("Datenbank.\n \nMöchten Sie die den Download jetzt starten und "
                                    "die Einstellungen öffnen ?"));
            QCOMPARE(previewColour(), QChar('-'));
        }
        QVERIFY(!QApplication::overrideCursor());
    }

    void emptyCategoryShowsItsHelpText()
    {
        makeRoot();
        categories()->setCurrentIndex(2);
        QCOMPARE(files()->count(), 0);
        QCOMPARE(infos()->text(), QStringLiteral("Hilfe Leer"));
        QCOMPARE(previewColour(), QChar('-'));
    }

    void documentListInGermanOrder()
    {
        for (const char *name : {"zebra.pdf", "Äpfel.pdf", "Anlage 10.pdf", "Anlage 2.pdf", "apfel.pdf",
                                 "Ölkanne.pdf", "Notiz.txt", "Upper.PDF"})
            QFile(m_templates + "/Leer/" + QString::fromUtf8(name)).open(QIODevice::WriteOnly);
        makeRoot();
        categories()->setCurrentIndex(2);
        QCOMPARE(Entries(files()), (QStringList{"Anlage 2.pdf", "Anlage 10.pdf", "apfel.pdf",
                                                "Äpfel.pdf", "Ölkanne.pdf", "Upper.PDF",
                                                "zebra.pdf"}));
    }

    void previewChoice_data()
    {
        QTest::addColumn<QString>("document");
        QTest::addColumn<bool>("fallback");
        QTest::addColumn<QChar>("shown");
        QTest::newRow("jpg") << "Antrag.pdf" << true << QChar('r');
        QTest::newRow("gif") << "Gif.pdf" << true << QChar('b');
        QTest::newRow("jpg beats gif") << "Beide.pdf" << true << QChar('r');
        QTest::newRow("none: fallback") << "Ohne.pdf" << true << QChar('g');
        QTest::newRow("none, no fallback") << "Ohne.pdf" << false << QChar('-');
        QTest::newRow("jpg not a picture") << "Kaputt.pdf" << true << QChar('-');
    }
    void previewChoice()
    {
        QFETCH(QString, document);
        QFETCH(bool, fallback);
        QFETCH(QChar, shown);
        if (!fallback)
            QFile::remove(m_install + "/KORVENTIS.MAP");
        makeRoot();
        selectDocument("Gif.pdf");
        selectDocument(document);
        QCOMPARE(previewColour(), shown);
        // A document without its own help text empties the label.
        QCOMPARE(infos()->text(), document == "Antrag.pdf" ? QString("Antrag ausfüllen") : QString());
        QVERIFY(!QApplication::overrideCursor());
    }

    void openingStartsViewerOnAFreshCopy_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<bool>("tick");
        QTest::addColumn<QString>("switchText");
        QTest::newRow("double-click") << "dclick" << false << "\" \"";
        QTest::newRow("double-click, print") << "dclick" << true << "\" /p \"";
        QTest::newRow("menu entry") << "menu" << false << "\" \"";
        QTest::newRow("menu entry ignores print") << "menu" << true << "\" \"";
        QTest::newRow("Enter in the list") << "enter" << true << "\" \"";
    }
    void openingStartsViewerOnAFreshCopy()
    {
        QFETCH(QString, how);
        QFETCH(bool, tick);
        QFETCH(QString, switchText);
        makeRoot();
        const QString viewer = viewerProgram();
        m_fakes->registry->WriteRegistryValue(vv::kProductKey, "PdfEditor", viewer);
        child<QCheckBox>("BAusdrucken")->setChecked(tick);
        selectDocument("Beide.pdf");
        const QString templ = m_templates + "/Steuern/Beide.pdf";
        {
            QFile t(templ);
            QVERIFY(t.open(QIODevice::ReadWrite));
            QVERIFY(t.setFileTime(QDateTime(QDate(2020, 1, 2), QTime(3, 4, 5)),
                                  QFileDevice::FileModificationTime));
        }
        const QDateTime stamp = QFileInfo(templ).lastModified();

        for (int i = 0; i < 2; ++i) {
            if (how == "dclick")
                doubleClickPreview();
            else if (how == "menu")
                m_root->findChild<QAction *>("mnuShowViewer")->trigger();
            else
                QTest::keyClick(files(), Qt::Key_Return);
        }
        QCOMPARE(m_fakes->process.commandLines.size(), 2);
        const QString first = m_fakes->process.commandLines[0];
        const QString second = m_fakes->process.commandLines[1];
        const QString copy1 = copyOf(first);
        const QString copy2 = copyOf(second);
        QCOMPARE(first, "\"" + viewer + switchText + copy1 + "\"");
        QVERIFY(copy1 != copy2);
        for (const QString &copy : {copy1, copy2}) {
            QCOMPARE(QFileInfo(copy).path(), m_tmp->path() + "/temp");
            QVERIFY(copy.endsWith(".pdf"));
            QCOMPARE(ReadAll(copy), ReadAll(templ));
            // the empty name the copy was derived from stays behind
            QVERIFY(QFile::exists(copy.left(copy.size() - 3) + "tmp"));
        }
        QCOMPARE(QFileInfo(templ).lastModified(), stamp);
        QVERIFY(m_fakes->msg.shown.isEmpty());
    }

    void openingFailuresAreReported_data()
    {
        QTest::addColumn<QString>("failure");
        QTest::addColumn<QString>("says");
        QTest::newRow("no document selected") << "noselection" << "zuerst ein Dokument";
        QTest::newRow("template vanished") << "vanished" << "konnte nicht kopiert werden";
        QTest::newRow("no program stored") << "noprogram" << "kein Pdf-Programm";
        QTest::newRow("program does not start") << "nostart" << "nicht gestartet";
        QTest::newRow("temp folder unwritable") << "notemp" << "temporäre Dateien";
    }
    void openingFailuresAreReported()
    {
        QFETCH(QString, failure);
        QFETCH(QString, says);
        makeRoot();
        if (failure != "noprogram")
            m_fakes->registry->WriteRegistryValue(vv::kProductKey, "PdfEditor", viewerProgram());
        if (failure == "noselection")
            files()->setCurrentRow(-1);
        if (failure == "vanished")
            QFile::remove(m_templates + "/Steuern/Antrag.pdf");
        if (failure == "nostart")
            m_fakes->process.fail = true;
        if (failure == "notemp")
            qputenv("temp", QFile::encodeName(m_tmp->path() + "/kein/Ordner"));
        m_root->findChild<QAction *>("mnuShowViewer")->trigger();
        qputenv("temp", QFile::encodeName(m_tmp->path() + "/temp"));
        QCOMPARE(m_fakes->msg.shown.size(), 1);
        QVERIFY2(m_fakes->msg.shown.first().text.contains(says),
                 qPrintable(m_fakes->msg.shown.first().text));
        QVERIFY(m_fakes->exit.quitCodes.isEmpty());
        QVERIFY(QFile::exists(m_templates + "/Steuern/Beide.pdf"));
    }

    void doubleClickFindsProgramThroughTheDesktopDefault_data()
    {
        QTest::addColumn<QString>("exec");
        QTest::addColumn<bool>("asks");
        QTest::addColumn<bool>("choose");
        QTest::addColumn<bool>("starts");
        QTest::newRow("no association: nothing, no question") << QString() << false << true << false;
        QTest::newRow("desktop default") << "\"@VIEWER@\" %f" << false << false << true;
        QTest::newRow("program missing, chosen") << "/nirgends/betrachter %f" << true << true << true;
        QTest::newRow("program missing, cancelled") << "/nirgends/betrachter %f" << true << false << false;
    }
    void doubleClickFindsProgramThroughTheDesktopDefault()
    {
        QFETCH(QString, exec);
        QFETCH(bool, asks);
        QFETCH(bool, choose);
        QFETCH(bool, starts);
        const QString viewer = viewerProgram();
        const QString config = m_tmp->path() + "/home/.config/mimeapps.list";
        const QString desktop = m_tmp->path() + "/home/.local/share/applications/betrachter.desktop";
        QFile::remove(config);
        if (!exec.isNull()) {
            QDir().mkpath(QFileInfo(desktop).path());
            QFile d(desktop);
            QVERIFY(d.open(QIODevice::WriteOnly | QIODevice::Truncate));
            d.write("[Desktop Entry]\nType=Application\nName=Betrachter\nExec="
                    + exec.replace("@VIEWER@", viewer).toUtf8() + "\n");
            d.close();
            QFile c(config);
            QVERIFY(c.open(QIODevice::WriteOnly | QIODevice::Truncate));
            c.write("[Default Applications]\napplication/pdf=betrachter.desktop\n");
        }
        makeRoot();
        if (choose)
            m_fakes->fileDialog.choices.enqueue(viewer);
        doubleClickPreview();
        QFile::remove(config);
        if (asks)
            QCOMPARE(m_fakes->fileDialog.requests.value(0).title, QStringLiteral("Datei öffnen"));
        QCOMPARE(m_fakes->fileDialog.requests.size(), asks ? 1 : 0);
        QCOMPARE(m_fakes->process.commandLines.size(), starts ? 1 : 0);
        if (starts) {
            QVERIFY(m_fakes->process.commandLines.first().startsWith("\"" + viewer + "\" \""));
            QString stored;
            QVERIFY(m_fakes->registry->ReadRegistryValue(vv::kProductKey, "PdfEditor", stored));
            QCOMPARE(stored, viewer);
        }
        QVERIFY(m_fakes->msg.shown.isEmpty());
    }

    void realViewerAndPrinterGetTheCopy_data()
    {
        QTest::addColumn<bool>("print");
        QTest::newRow("open") << false;
        QTest::newRow("print through lp") << true;
    }
    void realViewerAndPrinterGetTheCopy()
    {
        QFETCH(bool, print);
        // A viewer and an lp that write the arguments they were given.
        const QString bin = m_tmp->path() + "/bin";
        QDir().mkpath(bin);
        const QString log = m_tmp->path() + "/arguments.log";
        QFile::remove(log);
        for (const QString &name : {QString("viewer"), QString("lp")}) {
            QFile f(bin + "/" + name);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"" + name.toUtf8()
                    + ":$a\" >> '" + QFile::encodeName(log) + "'; done\n");
            f.close();
            f.setPermissions(f.permissions() | QFile::ExeOwner);
        }
        const QByteArray oldPath = qgetenv("PATH");
        qputenv("PATH", QFile::encodeName(bin) + ":" + oldPath);

        vv::SystemProcess real;
        FakeServices fakes(m_tmp->path() + "/fakes2");
        vv::Services services = fakes.services();
        services.process = &real;
        vv::Root root(m_install, services);
        root.Load();
        fakes.registry->WriteRegistryValue(vv::kProductKey, "PdfEditor", bin + "/viewer");
        root.findChild<QCheckBox *>("BAusdrucken")->setChecked(print);
        QTest::mouseDClick(root.findChild<QLabel *>("pImage"), Qt::LeftButton);
        qputenv("PATH", oldPath);

        QTRY_VERIFY(QFile::exists(log));
        QTRY_VERIFY(ReadAll(log).endsWith(".pdf\n"));
        const QStringList lines = QString::fromUtf8(ReadAll(log)).split('\n', Qt::SkipEmptyParts);
        const QString prefix = print ? "lp:" : "viewer:";
        const QString copy = lines.last().mid(prefix.size());
        QVERIFY2(lines.last().startsWith(prefix), qPrintable(lines.join(" | ")));
        QCOMPARE(QFileInfo(copy).path(), m_tmp->path() + "/temp");
        QCOMPARE(ReadAll(copy), ReadAll(m_templates + "/Steuern/Antrag.pdf"));
        QVERIFY(fakes.msg.shown.isEmpty());
    }

    void contextMenuPlaces()
    {
        makeRoot();
        m_root->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_root.get()));
        QMenu *menu = m_root->findChild<QMenu *>("bBearbeiten");
        QVERIFY(menu);

        child<QToolButton>("bDocument")->click();
        QTRY_VERIFY(menu->isVisible());
        const QPoint fixed = m_root->mapToGlobal(QPoint(vv::TwipsToPixelsX(3825), vv::TwipsToPixelsY(2650)));
        QCOMPARE(menu->pos(), fixed);
        menu->hide();

        QWidget *viewport = files()->viewport();
        const QPoint at(20, 15);
        QTest::mouseRelease(viewport, Qt::RightButton, {}, at);
        QTRY_VERIFY(menu->isVisible());
        QCOMPARE(menu->pos(), viewport->mapToGlobal(at));
        menu->hide();

        QTest::mouseClick(child<QLabel>("tDocument"), Qt::LeftButton);
        QTRY_VERIFY(menu->isVisible());
        QCOMPARE(menu->pos(), fixed);
        menu->hide();

        // A whole right click on another document selects it before the menu opens.
        const QRect second = files()->visualItemRect(files()->item(1));
        QTest::mouseClick(viewport, Qt::RightButton, {}, second.center());
        QTRY_VERIFY(menu->isVisible());
        QCOMPARE(files()->currentRow(), 1);
        menu->hide();
    }

    void menuEntriesInOrder()
    {
        makeRoot();
        QMenu *menu = m_root->findChild<QMenu *>("bBearbeiten");
        QStringList shown;
        for (QAction *a : menu->actions())
            shown << (a->isSeparator() ? QString("-") : a->objectName() + "=" + a->text());
        QCOMPARE(shown, (QStringList{"mnuHinzufügen=&Hinzufügen ... ",
                                     "mnuShowViewer=&Pdf-Viewer anzeigen \tEnter", "-",
                                     "mnuKategorie=&Kategorien bearbeiten ",
                                     "mnuFavoriten=&Favoriten bearbeiten", "-",
                                     "mnuVerschieben=&Verschieben ... ", "mnuBearbeiten=&Bearbeiten ...",
                                     "-", "mnuLöschen=&Löschen ... "}));
        QAction *holder = m_root->findChild<QAction *>("mnxKatEditor");
        QVERIFY(holder);
        QCOMPARE(holder->text(), QStringLiteral("1"));
        m_root->findChild<QAction *>("mnuFavoriten")->trigger();
        QCOMPARE(holder->text(), QStringLiteral("3"));
        m_root->findChild<QAction *>("mnuKategorie")->trigger();
        QCOMPARE(holder->text(), QStringLiteral("1"));
    }

    void addThroughTheMenu()
    {
        makeRoot();
        const QString source = m_tmp->path() + "/Eingang/Neuer Antrag \"Ö\".pdf";
        QDir().mkpath(QFileInfo(source).path());
        QFile f(source);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(SmallPdf("neu"));
        f.close();
        const QString picture = m_tmp->path() + "/Eingang/bild.gif";
        WriteSolidPicture(picture, kGifColour, "GIF");
        m_fakes->fileDialog.choices << source << picture;

        whenModal("AddNew", [&](QDialog *dlg) {
            QCOMPARE(dlg->windowTitle(), QStringLiteral("Hinzufügen"));
            click(dlg, "bDateiwahl");
            QTest::mouseClick(dlg->findChild<QWidget *>("pVorschau"), Qt::LeftButton);
            dlg->findChild<QPlainTextEdit *>("tHilfetext")->setPlainText("Neuer Antrag\nzweite Zeile");
            click(dlg, "bHinzufügen");
        });
        trigger("mnuHinzufügen");

        const QString folder = m_templates + "/Steuern/";
        QCOMPARE(ReadAll(folder + "Neuer Antrag \"Ö\".pdf"), ReadAll(source));
        QCOMPARE(ReadAll(folder + "Neuer Antrag \"Ö\".gif"), ReadAll(picture));
        QCOMPARE(vv::ReadIniValue(m_user, "INFO", "Neuer Antrag \"Ö\".pdf"),
                 QStringLiteral("Neuer Antrag zweite Zeile"));
        QVERIFY(Entries(files()).contains("Neuer Antrag \"Ö\".pdf"));
        QVERIFY(QFile::exists(m_templates + "/User.bak"));
        QVERIFY(m_fakes->clock.reads > 0);
        QVERIFY(!QApplication::overrideCursor());
    }

    void editThroughTheMenuAndTheHelpText_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<bool>("ok");
        QTest::newRow("menu, OK") << "menu" << true;
        QTest::newRow("menu, cancel") << "menu" << false;
        QTest::newRow("double-click on the help text, OK") << "dclick" << true;
    }
    void editThroughTheMenuAndTheHelpText()
    {
        QFETCH(QString, how);
        QFETCH(bool, ok);
        makeRoot();
        selectDocument("Gif.pdf"); // no help text yet
        QCOMPARE(infos()->text(), QString());
        const QByteArray before = ReadAll(m_user);
        whenModal("AddNew", [&](QDialog *dlg) {
            QCOMPARE(dlg->windowTitle(), QStringLiteral("Bearbeiten"));
            QCOMPARE(dlg->findChild<QLineEdit *>("tFilename")->text(), QStringLiteral("Gif.pdf"));
            QVERIFY(!dlg->findChild<QLabel *>("pImage")->pixmap().isNull());
            dlg->findChild<QPlainTextEdit *>("tHilfetext")->setPlainText("Mit GIF-Vorschau");
            click(dlg, ok ? "bHinzufügen" : "bAbbrechen");
        });
        if (how == "menu")
            trigger("mnuBearbeiten");
        else
            QTest::mouseDClick(infos(), Qt::LeftButton);
        if (ok) {
            QCOMPARE(m_fakes->msg.shown.size(), 1); // the document exists: asked first
            QCOMPARE(m_fakes->msg.shown.first().style, 36);
            QCOMPARE(vv::ReadIniValue(m_user, "INFO", "Gif.pdf"), QStringLiteral("Mit GIF-Vorschau"));
            // The dialog reloaded the category, so the help text shown must belong to
            // whichever document the list now selects.
            QVERIFY(files()->currentItem());
            QVERIFY(files()->currentItem()->text() != QStringLiteral("Gif.pdf"));
            QCOMPARE(infos()->text(), vv::ReadIniValue(m_user, "INFO", files()->currentItem()->text()));
        } else {
            QCOMPARE(ReadAll(m_user), before);
            QCOMPARE(infos()->text(), QString());
        }
    }

    void moveThroughTheMenu()
    {
        makeRoot();
        selectDocument("Gif.pdf");
        const QByteArray pdf = ReadAll(m_templates + "/Steuern/Gif.pdf");
        whenModal("MoveTo", [&](QDialog *dlg) {
            QCOMPARE(dlg->windowTitle(), QStringLiteral("Dokumente verschieben"));
            auto *list = dlg->findChild<QListWidget *>("LCategory");
            QCOMPARE(list->currentRow(), 0);
            list->setCurrentRow(1);
            click(dlg, "bHinzufügen");
        });
        trigger("mnuVerschieben");

        QVERIFY(!QFile::exists(m_templates + "/Steuern/Gif.pdf"));
        QVERIFY(!QFile::exists(m_templates + "/Steuern/Gif.gif"));
        QCOMPARE(ReadAll(m_templates + "/Verträge/Gif.pdf"), pdf);
        QVERIFY(QFile::exists(m_templates + "/Verträge/Gif.gif"));
        const QString trash = m_tmp->path() + "/home/.local/share/Trash";
        QCOMPARE(ReadAll(trash + "/files/Gif.pdf"), pdf);
        QVERIFY(QFile::exists(trash + "/info/Gif.pdf.trashinfo"));
        QVERIFY(QFile::exists(trash + "/info/Gif.gif.trashinfo"));
        QCOMPARE(categories()->currentIndex(), 1);
        QCOMPARE(Entries(files()), (QStringList{"Gif.pdf", "Mietvertrag.pdf"}));
        QCOMPARE(m_fakes->msg.shown.size(), 1);
        QCOMPARE(m_fakes->msg.shown.first().text,
                 QStringLiteral("Das Dokument wurde in die neue Kategorie verschoben:\n\r''Verträge''. "));
        QDir(trash).removeRecursively();
    }

    void deleteIsRefused()
    {
        makeRoot();
        m_fakes->msg.shown.clear();
        m_root->findChild<QAction *>("mnuLöschen")->trigger();
        QCOMPARE(m_fakes->msg.shown.size(), 1);
        const ShownMessage m = m_fakes->msg.shown.first();
        QCOMPARE(m.text, QStringLiteral("Das Dokument ''Antrag.pdf'' konnte nicht gelöscht werden, weil "
                                        "Funktion noch nicht verfügbar !\r\rDer Vorgang wurde abgebrochen."));
        QCOMPARE(m.style, 16);
        QCOMPARE(m.title, QStringLiteral("Veltrano Vorlagen-Bibliothek"));
        QVERIFY(QFile::exists(m_templates + "/Steuern/Antrag.pdf"));
    }

    void printSwitchGivesFocusBackToList()
    {
        makeRoot();
        m_root->show();
        QApplication::setActiveWindow(m_root.get());
        QVERIFY(QTest::qWaitForWindowActive(m_root.get()));
        categories()->setFocus();
        QCheckBox *box = child<QCheckBox>("BAusdrucken");
        QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(6, box->height() / 2));
        QVERIFY(child<QCheckBox>("BAusdrucken")->isChecked());
        QTRY_VERIFY(files()->hasFocus());
    }
};

QTEST_MAIN(TestRoot)
#include "tst_root.moc"
