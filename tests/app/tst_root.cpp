// The main window built over a temporary installation with every seam faked:
// what the lists, the preview and the user file show after each command.

#include "../dialogs/DialogFixture.h"
#include "Clock.h"
#include "FileServices.h"
#include "IniFiles.h"
#include "Installation.h"
#include "Root.h"
#include "TestSupport.h"
#include "WebSupports.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <functional>
#include <memory>

using namespace vvtest;

class TestRoot : public QObject {
    Q_OBJECT

    QTemporaryDir m_tmp;
    QString m_install, m_templates, m_user;
    std::unique_ptr<FakeServices> m_fakes;
    std::unique_ptr<vv::Root> m_root;

    // A fresh window and fakes per test, so no test sees another's answers.
    void makeRoot(bool load = true)
    {
        m_root.reset();
        m_fakes = std::make_unique<FakeServices>(m_tmp.path() + "/fakes");
        m_root = std::make_unique<vv::Root>(m_install, m_fakes->services());
        if (load)
            m_root->Load();
    }
    template <class T> T *child(const char *name) { return Child<T>(m_root.get(), name); }
    QComboBox *categories() { return child<QComboBox>("LCategory"); }
    QListWidget *files() { return child<QListWidget>("LDateien"); }
    QLabel *infos() { return child<QLabel>("LInfos"); }
    QCheckBox *printSwitch() { return child<QCheckBox>("BAusdrucken"); }
    QStringList entries()
    {
        QStringList out;
        for (int i = 0; i < files()->count(); ++i)
            out << files()->item(i)->text();
        return out;
    }
    QChar previewColour()
    {
        const QImage img = child<QLabel>("pImage")->pixmap().toImage();
        return img.isNull() ? QChar('-') : ColourName(img.pixelColor(img.width() / 2, img.height() / 2));
    }
    QString onlyMessage() { return OnlyMessage(m_fakes->msg); }
    void selectDocument(const QString &name)
    {
        const auto found = files()->findItems(name, Qt::MatchExactly);
        QVERIFY2(!found.isEmpty(), qPrintable(name));
        files()->setCurrentItem(found.first());
    }
    QString viewerProgram()
    {
        const QString viewer = m_tmp.path() + "/Programme/Pdf Betrachter";
        MakeProgram(viewer);
        return viewer;
    }
    // Makes exec the desktop's default program for PDF documents.
    void associate(const QString &exec)
    {
        WriteAll(m_tmp.path() + "/home/.local/share/applications/betrachter.desktop",
                 "[Desktop Entry]\nType=Application\nName=Betrachter\nExec=" + exec.toUtf8() + "\n");
        WriteAll(m_tmp.path() + "/home/.config/mimeapps.list",
                 "[Default Applications]\napplication/pdf=betrachter.desktop\n");
    }
    void doubleClickPreview() { QTest::mouseDClick(child<QLabel>("pImage"), Qt::LeftButton); }
    void trigger(const char *entry) { child<QAction>(entry)->trigger(); }

    // Answers the next modal dialog the command opens, while its exec() runs.
    void whenModal(const char *name, std::function<void(QDialog *)> act)
    {
        auto tries = std::make_shared<int>(0);
        auto poll = std::make_shared<std::function<void()>>();
        *poll = [=] {
            auto *dlg = qobject_cast<QDialog *>(QApplication::activeModalWidget());
            if (dlg && dlg->objectName() == QLatin1String(name))
                act(dlg);
            else if (++*tries < 200)
                QTimer::singleShot(10, *poll);
            else if (QApplication::activeModalWidget())
                QApplication::activeModalWidget()->close();
        };
        QTimer::singleShot(0, *poll);
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_tmp.isValid());
        IsolateEnvironment(m_tmp.path());
    }

    void init()
    {
        // An installation folder whose path a shell would mangle.
        m_install = m_tmp.path() + "/Büro 'Alte' \"Vorlagen\" $(echo x); Ordner";
        QDir(m_install).removeRecursively();
        QDir(m_tmp.path() + "/temp").removeRecursively();
        QDir().mkpath(m_tmp.path() + "/temp");
        QFile::remove(m_tmp.path() + "/home/.config/mimeapps.list");
        m_templates = MakeInstallation(m_install);
        m_user = m_templates + "/User.dat";
    }

    void cleanup() { m_root.reset(); }

    void startUpShowsFirstDocumentThenCategoryHelp()
    {
        makeRoot();
        QCOMPARE(child<QLabel>("LDatabase")->text(), m_install + "/");
        QCOMPARE(files()->currentRow(), 0);
        QCOMPARE(files()->currentItem()->text() + "|" + infos()->text(), QString("Antrag.pdf|Antrag ausfüllen"));
        QCOMPARE(previewColour(), QChar('r'));
        QLineEdit *host = child<QLineEdit>("Text1");
        QVERIFY(host->isHidden());
        QCOMPARE(host->text(), QStringLiteral("$Start$"));
        m_root->resize(700, 500);
        QVERIFY(child<QPushButton>("BBeenden")->y() >= m_root->height()); // out of view, still the Esc button
        QVERIFY(m_fakes->msg.shown.isEmpty());

        categories()->setCurrentIndex(2); // an empty category shows its own help text
        QCOMPARE(files()->count(), 0);
        QCOMPARE(infos()->text(), QStringLiteral("Hilfe Leer"));
        QCOMPARE(previewColour(), QChar('-'));
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

    void missingUserFileGivesEmptyWindowWithoutMessage()
    {
        QFile::remove(m_user);
        makeRoot();
        QCOMPARE(categories()->count() + files()->count(), 0);
        QVERIFY(!printSwitch()->isChecked());
        QVERIFY(m_fakes->msg.shown.isEmpty());
    }

    void missingTemplatesFolderEndsWithoutWriting()
    {
        QDir(m_templates).removeRecursively();
        makeRoot(false);
        QVERIFY(!m_root->Load());
        QCOMPARE(onlyMessage(), QStringLiteral("Die Dokumente sind nicht vorhanden oder wurden verschoben.  \n"
                                               "Die Anwendung kann nicht ordnungsgemäss arbeiten.|16|"
                                               " Ordinalis Veltrano Vorlagen-Bibliothek"));
        m_root->close(); // a late close must not write either
        QVERIFY(!QDir(m_templates).exists());
    }

    // The stored switch is read as a number at the start and written back on
    // every orderly end.
    void printSwitchRestoredAndWritten_data()
    {
        QTest::addColumn<QString>("value");
        QTest::addColumn<bool>("ticked");
        QTest::addColumn<QString>("how");
        QTest::newRow("1, Esc") << "1" << true << "esc";
        QTest::newRow("0, Esc") << "0" << false << "esc";
        QTest::newRow("01 as a number, close box") << "01" << true << "close";
        QTest::newRow("empty, AppClosed") << "" << false << "appclosed";
        QTest::newRow("2, close box") << "2" << false << "close";
        QTest::newRow("missing, AppClosed") << QString() << false << "appclosed";
        QTest::newRow("read-only user file stays as it is") << "1" << true << "readonly";
    }
    void printSwitchRestoredAndWritten()
    {
        QFETCH(QString, value);
        QFETCH(bool, ticked);
        QFETCH(QString, how);
        if (value.isNull())
            vv::DeleteIniKey(m_user, "SET", "PrintDoc");
        else
            vv::WriteIniValue(m_user, "SET", "PrintDoc", value);
        makeRoot();
        QCOMPARE(printSwitch()->isChecked(), ticked);
        printSwitch()->setChecked(!ticked);
        const QByteArray before = ReadAll(m_user);
        if (how == "esc") {
            m_root->show();
            QApplication::setActiveWindow(m_root.get());
            QVERIFY(QTest::qWaitForWindowActive(m_root.get()));
            QTest::keyClick(files(), Qt::Key_Escape);
        } else if (how == "close") {
            m_root->show();
            m_root->close();
        } else {
            if (how == "readonly")
                QFile::setPermissions(m_user, QFile::ReadOwner | QFile::ReadUser);
            m_root->AppClosed();
            QFile::setPermissions(m_user, QFile::ReadOwner | QFile::WriteOwner);
        }
        if (how == "readonly")
            QCOMPARE(ReadAll(m_user), before);
        else
            QCOMPARE(vv::ReadIniValue(m_user, "SET", "PrintDoc"), ticked ? QString("0") : QString("1"));
        QCOMPARE(m_fakes->exit.quitCodes, QList<int>{0});
        QVERIFY(m_fakes->exit.exitNowCodes.isEmpty());
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
        printSwitch()->setChecked(true);
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
        const QStringList steuern{"Antrag.pdf", "Beide.pdf", "Gif.pdf", "Kaputt.pdf", "Ohne.pdf"};
        const QStringList previous{"Mietvertrag.pdf"};
        QTest::newRow("no leading backslash") << "Steuern" << steuern;
        QTest::newRow("leading backslash") << "\\Steuern" << steuern;
        QTest::newRow("empty keeps the folder") << "" << previous;
        QTest::newRow("missing folder") << "\\Fehlt" << QStringList{};
        QTest::newRow("parent folder") << "\\..\\Vorlagen\\Steuern" << QStringList{};
        QTest::newRow("absolute path") << m_tmp.path() << QStringList{};
        QTest::newRow("drive letter") << "C:\\Vorlagen\\Steuern" << QStringList{};
        QTest::newRow("trailing backslash") << "\\Steuern\\" << QStringList{};
    }
    void categoryFolderFromDir()
    {
        QFETCH(QString, dir);
        QFETCH(QStringList, listed);
        vv::WriteIniValue(m_user, "DIR", "03", dir);
        makeRoot();
        categories()->setCurrentIndex(1); // Verträge, to have a previous folder
        m_fakes->msg.answers.enqueue(vv::vbCancel);
        categories()->setCurrentIndex(2);
        const bool refused = listed.isEmpty(); // the previous list stays, the preview empties
        QCOMPARE(entries(), refused ? QStringList{"Mietvertrag.pdf"} : listed);
        QCOMPARE(m_fakes->msg.shown.size(), refused ? 1 : 0);
        if (refused) {
            const ShownMessage m = m_fakes->msg.shown.first();
            QCOMPARE(QString::number(m.style) + m.title, QStringLiteral("17 Veltrano Vorlagen-Bibliothek"));
            QVERIFY(m.text.startsWith("Während der Installation von Ordinalis"));
            QVERIFY(m.text.endsWith("\n \nMöchten Sie die den Download jetzt starten und die Einstellungen öffnen ?"));
            QCOMPARE(previewColour(), QChar('-'));
        }
        QVERIFY(!QApplication::overrideCursor());
    }

    void documentListInGermanOrder()
    {
        for (const char *name : {"zebra.pdf", "Äpfel.pdf", "Anlage 10.pdf", "Anlage 2.pdf", "apfel.pdf",
                                 "Ölkanne.pdf", "Notiz.txt", "Upper.PDF"})
            WriteAll(m_templates + "/Leer/" + QString::fromUtf8(name), "");
        makeRoot();
        categories()->setCurrentIndex(2);
        QCOMPARE(entries(), (QStringList{"Anlage 2.pdf", "Anlage 10.pdf", "apfel.pdf", "Äpfel.pdf", "Ölkanne.pdf",
                                         "Upper.PDF", "zebra.pdf"}));
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
        QTest::newRow("double-click, program from the desktop default") << "desktop" << false << "\" \"";
        QTest::newRow("double-click, print") << "dclick" << true << "\" /p \"";
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
        if (how == "desktop")
            associate("\"" + viewer + "\" %f");
        else
            m_fakes->registry->WriteRegistryValue(vv::kProductKey, "PdfEditor", viewer);
        printSwitch()->setChecked(tick);
        selectDocument("Beide.pdf");
        const QString templ = m_templates + "/Steuern/Beide.pdf";
        QFile t(templ);
        QVERIFY(t.open(QIODevice::ReadWrite) && t.setFileTime(QDateTime(QDate(2020, 1, 2), QTime(3, 4, 5)),
                                                              QFileDevice::FileModificationTime));
        t.close();
        const QDateTime stamp = QFileInfo(templ).lastModified();
        for (int i = 0; i < 2; ++i) {
            if (how == "dclick" || how == "desktop")
                doubleClickPreview();
            else if (how == "menu")
                trigger("mnuShowViewer");
            else
                QTest::keyClick(files(), Qt::Key_Return);
        }
        const QStringList &lines = m_fakes->process.commandLines;
        QCOMPARE(lines.size(), 2);
        const QString copy1 = vv::SplitCommandLine(lines[0]).last();
        const QString copy2 = vv::SplitCommandLine(lines[1]).last();
        QCOMPARE(lines[0], "\"" + viewer + switchText + copy1 + "\"");
        QVERIFY(copy1 != copy2);
        for (const QString &copy : {copy1, copy2}) {
            QCOMPARE(QFileInfo(copy).path(), m_tmp.path() + "/temp");
            QVERIFY(copy.endsWith(".pdf"));
            QCOMPARE(ReadAll(copy), ReadAll(templ));
            // the empty name the copy was derived from stays behind
            QVERIFY(QFile::exists(copy.left(copy.size() - 3) + "tmp"));
        }
        QCOMPARE(QFileInfo(templ).lastModified(), stamp);
        QString stored;
        QVERIFY(m_fakes->registry->ReadRegistryValue(vv::kProductKey, "PdfEditor", stored));
        QCOMPARE(stored, viewer); // found once, kept for the next time
        QVERIFY(m_fakes->fileDialog.requests.isEmpty());
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
        QTest::newRow("double-click, program missing, choice cancelled") << "nofound" << "";
    }
    void openingFailuresAreReported()
    {
        QFETCH(QString, failure);
        QFETCH(QString, says);
        makeRoot();
        if (failure == "nofound")
            associate("/nirgends/betrachter %f");
        else if (failure != "noprogram")
            m_fakes->registry->WriteRegistryValue(vv::kProductKey, "PdfEditor", viewerProgram());
        if (failure == "noselection")
            files()->setCurrentRow(-1);
        if (failure == "vanished")
            QFile::remove(m_templates + "/Steuern/Antrag.pdf");
        m_fakes->process.fail = failure == "nostart";
        if (failure == "notemp")
            qputenv("temp", QFile::encodeName(m_tmp.path() + "/kein/Ordner"));
        if (failure == "nofound")
            doubleClickPreview();
        else
            trigger("mnuShowViewer");
        qputenv("temp", QFile::encodeName(m_tmp.path() + "/temp"));
        QCOMPARE(m_fakes->msg.shown.size(), says.isEmpty() ? 0 : 1); // a cancelled choice needs no message
        if (!says.isEmpty())
            QVERIFY2(m_fakes->msg.shown.first().text.contains(says), qPrintable(m_fakes->msg.shown.first().text));
        QCOMPARE(m_fakes->fileDialog.requests.size(), failure == "nofound" ? 1 : 0);
        QCOMPARE(m_fakes->process.commandLines.size(), failure == "nostart" ? 1 : 0);
        QVERIFY(m_fakes->exit.quitCodes.isEmpty());
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
        const QString bin = m_tmp.path() + "/bin", log = m_tmp.path() + "/arguments.log";
        QFile::remove(log);
        for (const QString &name : {QString("viewer"), QString("lp")}) {
            WriteAll(bin + "/" + name, "#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"" + name.toUtf8()
                                           + ":$a\" >> '" + QFile::encodeName(log) + "'; done\n");
            QFile::setPermissions(bin + "/" + name, QFile::permissions(bin + "/" + name) | QFile::ExeOwner);
        }
        const QByteArray oldPath = qgetenv("PATH");
        qputenv("PATH", QFile::encodeName(bin) + ":" + oldPath);
        vv::SystemProcess real;
        FakeServices fakes(m_tmp.path() + "/fakes2");
        vv::Services services = fakes.services();
        services.process = &real;
        vv::Root root(m_install, services);
        root.Load();
        fakes.registry->WriteRegistryValue(vv::kProductKey, "PdfEditor", bin + "/viewer");
        root.findChild<QCheckBox *>("BAusdrucken")->setChecked(print);
        QTest::mouseDClick(root.findChild<QLabel *>("pImage"), Qt::LeftButton);
        qputenv("PATH", oldPath);

        QTRY_VERIFY(ReadAll(log).endsWith(".pdf\n"));
        const QString last = QString::fromUtf8(ReadAll(log)).split('\n', Qt::SkipEmptyParts).last();
        const QString prefix = print ? "lp:" : "viewer:";
        QVERIFY2(last.startsWith(prefix), qPrintable(last));
        const QString copy = last.mid(prefix.size());
        QCOMPARE(QFileInfo(copy).path(), m_tmp.path() + "/temp");
        QCOMPARE(ReadAll(copy), ReadAll(m_templates + "/Steuern/Antrag.pdf"));
        QVERIFY(fakes.msg.shown.isEmpty());
    }

    // Mouse commands open the menu where the mouse is, the hint button and
    // text at a fixed point of the window.
    void contextMenuPlaces_data()
    {
        QTest::addColumn<QString>("where");
        for (const char *where : {"bDocument", "tDocument", "list", "preview", "right click on the second"})
            QTest::newRow(where) << where;
    }
    void contextMenuPlaces()
    {
        QFETCH(QString, where);
        makeRoot();
        m_root->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_root.get()));
        QPoint expected = m_root->mapToGlobal(QPoint(vv::TwipsToPixelsX(3825), vv::TwipsToPixelsY(2650)));
        const bool second = where.startsWith("right click");
        if (where == "bDocument") {
            child<QToolButton>("bDocument")->click();
        } else if (where == "tDocument") {
            QTest::mouseClick(child<QLabel>("tDocument"), Qt::LeftButton);
        } else {
            QWidget *w = where == "preview" ? child<QWidget>("pImage") : files()->viewport();
            const QPoint at = second ? files()->visualItemRect(files()->item(1)).center() : QPoint(20, 15);
            if (second) // a whole click selects the document before the menu opens
                QTest::mouseClick(w, Qt::RightButton, {}, at);
            else
                QTest::mouseRelease(w, Qt::RightButton, {}, at);
            expected = w->mapToGlobal(at);
        }
        QMenu *menu = child<QMenu>("bBearbeiten");
        QTRY_VERIFY(menu->isVisible());
        QCOMPARE(menu->pos(), expected);
        QCOMPARE(files()->currentRow(), second ? 1 : 0);
        menu->hide();
    }

    void menuEntriesInOrder()
    {
        makeRoot();
        QStringList shown;
        for (QAction *a : child<QMenu>("bBearbeiten")->actions())
            shown << (a->isSeparator() ? QString("-") : a->objectName() + "=" + a->text());
        QCOMPARE(shown, (QStringList{"mnuHinzufügen=&Hinzufügen ... ", "mnuShowViewer=&Pdf-Viewer anzeigen \tEnter", "-",
                                     "mnuKategorie=&Kategorien bearbeiten ", "mnuFavoriten=&Favoriten bearbeiten", "-",
                                     "mnuVerschieben=&Verschieben ... ", "mnuBearbeiten=&Bearbeiten ...", "-",
                                     "mnuLöschen=&Löschen ... "}));
        // The hidden holder tells the library editor which page to open.
        QAction *holder = child<QAction>("mnxKatEditor");
        QCOMPARE(holder->text(), QStringLiteral("1"));
        trigger("mnuFavoriten");
        QCOMPARE(holder->text(), QStringLiteral("3"));
        trigger("mnuKategorie");
        QCOMPARE(holder->text(), QStringLiteral("1"));
    }

    void addThroughTheMenu()
    {
        makeRoot();
        const QString source = m_tmp.path() + "/Eingang/Neuer Antrag \"Ö\".pdf";
        WriteAll(source, SmallPdf("neu"));
        const QString picture = m_tmp.path() + "/Eingang/bild.gif";
        WriteSolidPicture(picture, kGifColour, "GIF");
        m_fakes->fileDialog.choices << source << picture;
        const QByteArray before = ReadAll(m_user);
        whenModal("AddNew", [&](QDialog *dlg) {
            QCOMPARE(dlg->windowTitle(), QStringLiteral("Hinzufügen"));
            Click(dlg, "bDateiwahl");
            QTest::mouseClick(dlg->findChild<QWidget *>("pVorschau"), Qt::LeftButton);
            dlg->findChild<QPlainTextEdit *>("tHilfetext")->setPlainText("Neuer Antrag\nzweite Zeile");
            Click(dlg, "bHinzufügen");
        });
        trigger("mnuHinzufügen");

        const QString folder = m_templates + "/Steuern/Neuer Antrag \"Ö\".";
        QCOMPARE(ReadAll(folder + "pdf"), ReadAll(source));
        QCOMPARE(ReadAll(folder + "gif"), ReadAll(picture));
        QCOMPARE(vv::ReadIniValue(m_user, "INFO", "Neuer Antrag \"Ö\".pdf"), QStringLiteral("Neuer Antrag zweite Zeile"));
        QVERIFY(entries().contains("Neuer Antrag \"Ö\".pdf"));
        QCOMPARE(ReadAll(m_templates + "/User.bak"), before);
        QVERIFY(m_fakes->clock.reads > 0);
        QVERIFY(!QApplication::overrideCursor());
    }

    void editThroughTheMenuAndTheHelpText_data()
    {
        QTest::addColumn<bool>("menu");
        QTest::addColumn<bool>("ok");
        QTest::newRow("menu, OK") << true << true;
        QTest::newRow("menu, cancel") << true << false;
        QTest::newRow("double-click on the help text, OK") << false << true;
    }
    void editThroughTheMenuAndTheHelpText()
    {
        QFETCH(bool, menu);
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
            Click(dlg, ok ? "bHinzufügen" : "bAbbrechen");
        });
        if (menu)
            trigger("mnuBearbeiten");
        else
            QTest::mouseDClick(infos(), Qt::LeftButton);
        if (ok) {
            QCOMPARE(m_fakes->msg.shown.size(), 1); // the document exists: asked first
            QCOMPARE(vv::ReadIniValue(m_user, "INFO", "Gif.pdf"), QStringLiteral("Mit GIF-Vorschau"));
            // The category was reloaded, so the text shown must belong to the
            // document the list now selects.
            QVERIFY(files()->currentItem() && files()->currentItem()->text() != "Gif.pdf");
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
        const QByteArray gif = ReadAll(m_templates + "/Steuern/Gif.gif");
        whenModal("MoveTo", [&](QDialog *dlg) {
            QCOMPARE(dlg->windowTitle(), QStringLiteral("Dokumente verschieben"));
            dlg->findChild<QListWidget *>("LCategory")->setCurrentRow(1);
            Click(dlg, "bHinzufügen");
        });
        trigger("mnuVerschieben");

        const QString trash = m_tmp.path() + "/home/.local/share/Trash";
        for (const QString &name : {QString("Gif.pdf"), QString("Gif.gif")}) {
            QVERIFY(!QFile::exists(m_templates + "/Steuern/" + name));
            QCOMPARE(ReadAll(m_templates + "/Verträge/" + name), name.endsWith("pdf") ? pdf : gif);
            QCOMPARE(ReadAll(trash + "/files/" + name), name.endsWith("pdf") ? pdf : gif);
            QVERIFY(QFile::exists(trash + "/info/" + name + ".trashinfo"));
        }
        QCOMPARE(categories()->currentIndex(), 1);
        QCOMPARE(entries(), (QStringList{"Gif.pdf", "Mietvertrag.pdf"}));
        QCOMPARE(onlyMessage(), QStringLiteral("Das Dokument wurde in die neue Kategorie verschoben:\n\r''Verträge''. "
                                               "|64|Dokumente verschieben "));
        QDir(trash).removeRecursively();
    }

    void deleteIsRefused()
    {
        makeRoot();
        trigger("mnuLöschen");
        QCOMPARE(onlyMessage(), QStringLiteral("Das Dokument ''Antrag.pdf'' konnte nicht gelöscht werden, weil Funktion "
                                               "noch nicht verfügbar !\r\rDer Vorgang wurde abgebrochen.|16|"
                                               "Veltrano Vorlagen-Bibliothek"));
        QVERIFY(QFile::exists(m_templates + "/Steuern/Antrag.pdf"));
    }

    void printSwitchGivesFocusBackToList()
    {
        makeRoot();
        m_root->show();
        QApplication::setActiveWindow(m_root.get());
        QVERIFY(QTest::qWaitForWindowActive(m_root.get()));
        categories()->setFocus();
        QTest::mouseClick(printSwitch(), Qt::LeftButton, {}, QPoint(6, printSwitch()->height() / 2));
        QVERIFY(printSwitch()->isChecked());
        QTRY_VERIFY(files()->hasFocus());
    }
};

QTEST_MAIN(TestRoot)
#include "tst_root.moc"
