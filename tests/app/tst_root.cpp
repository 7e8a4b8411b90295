// The main window built over a temporary installation with every seam faked:
// what the lists, the preview and the user file show after each command.

#include "../dialogs/DialogFixture.h"
#include "Clock.h"
#include "Twips.h"
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
    vv::SystemProcess m_realProcess;

    // A fresh window and fakes per test, so no test sees another's answers.
    bool makeRoot(vv::ProcessSeam *process = nullptr)
    {
        m_root.reset();
        m_fakes = std::make_unique<FakeServices>(m_tmp.path() + "/fakes");
        vv::Services services = m_fakes->services();
        if (process)
            services.process = process;
        m_root = std::make_unique<vv::Root>(m_install, services);
        return m_root->Load();
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
    void doubleClickPreview() { QTest::mouseDClick(child<QLabel>("pImage"), Qt::LeftButton); }
    void trigger(const char *entry) { child<QAction>(entry)->trigger(); }

    // Answers the next modal dialog the command opens, while its exec() runs.
    // Each try schedules the next one itself, so nothing holds itself alive.
    void whenModal(const char *name, std::function<void(QDialog *)> act, int tries = 0)
    {
        QTimer::singleShot(tries ? 10 : 0, this, [=] {
            auto *dlg = qobject_cast<QDialog *>(QApplication::activeModalWidget());
            if (dlg && dlg->objectName() == QLatin1String(name))
                act(dlg);
            else if (tries + 1 < 200)
                whenModal(name, act, tries + 1);
            else if (QApplication::activeModalWidget())
                QApplication::activeModalWidget()->close();
        });
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
        QCOMPARE(files()->currentItem()->text() + "|" + infos()->text(), QString("Antrag.pdf|Antrag ausfüllen"));
        QCOMPARE(previewColour(), QChar('r'));
        QVERIFY(child<QLineEdit>("Text1")->isHidden());
        QCOMPARE(child<QLineEdit>("Text1")->text(), QStringLiteral("$Start$"));
        m_root->resize(700, 500);
        QVERIFY(child<QPushButton>("BBeenden")->y() >= m_root->height()); // out of view, still the Esc button
        QVERIFY(m_fakes->msg.shown.isEmpty());

        categories()->setCurrentIndex(2); // an empty category shows its own help text
        QCOMPARE(files()->count(), 0);
        QCOMPARE(infos()->text(), QStringLiteral("Hilfe Leer"));
        QCOMPARE(previewColour(), QChar('-'));
    }

    void missingTemplatesFolderEndsWithoutWriting()
    {
        QDir(m_templates).removeRecursively();
        QVERIFY(!makeRoot());
        QCOMPARE(onlyMessage(), QStringLiteral("Die Dokumente sind nicht vorhanden oder wurden verschoben.  \n"
                                               "Die Anwendung kann nicht ordnungsgemäss arbeiten.|16|"
                                               " Ordinalis Veltrano Vorlagen-Bibliothek"));
        m_root->close(); // a late close must not write either
        QVERIFY(!QDir(m_templates).exists());
    }

    // The stored print switch is read as a number at the start and written back
    // on every orderly end; the host's end marker ends at once without writing.
    void printSwitchAndEnd_data()
    {
        QTest::addColumn<QString>("value"); // null: no such key
        QTest::addColumn<bool>("ticked");
        // esc, close, appclosed, readonly; a host text or box (the end marker inside a message), then close
        QTest::addColumn<QString>("end");
        QTest::addColumn<bool>("written");
        QTest::newRow("1, Esc") << "1" << true << "esc" << true;
        QTest::newRow("0, Esc") << "0" << false << "esc" << true;
        QTest::newRow("01 as a number, close box") << "01" << true << "close" << true;
        QTest::newRow("empty, AppClosed") << "" << false << "appclosed" << true;
        QTest::newRow("2, close box") << "2" << false << "close" << true;
        QTest::newRow("missing, AppClosed") << QString() << false << "appclosed" << true;
        QTest::newRow("read-only user file stays as it is") << "1" << true << "readonly" << false;
        QTest::newRow("host end marker") << "0" << false << "$Ende$" << false;
        QTest::newRow("host text in other case") << "0" << false << "$ende$" << true;
        QTest::newRow("host text with trailing blank") << "0" << false << "$Ende$ " << true;
        QTest::newRow("host text one character short") << "0" << false << "$Ende" << true;
        QTest::newRow("host start marker") << "0" << false << "$Start$" << true;
        QTest::newRow("end marker while a message box is open") << "0" << false << "box" << false;
    }
    void printSwitchAndEnd()
    {
        QFETCH(QString, value);
        QFETCH(bool, ticked);
        QFETCH(QString, end);
        QFETCH(bool, written);
        if (value.isNull())
            vv::DeleteIniKey(m_user, "SET", "PrintDoc");
        else
            vv::WriteIniValue(m_user, "SET", "PrintDoc", value);
        vv::WriteIniValue(m_user, "DIR", "02", "\\Fehlt");
        makeRoot();
        QCOMPARE(printSwitch()->isChecked(), ticked);
        m_root->show();
        QApplication::setActiveWindow(m_root.get());
        QVERIFY(QTest::qWaitForWindowActive(m_root.get()));
        categories()->setFocus();
        QTest::mouseClick(printSwitch(), Qt::LeftButton, {}, QPoint(6, printSwitch()->height() / 2));
        QCOMPARE(printSwitch()->isChecked(), !ticked);
        QTRY_VERIFY(files()->hasFocus()); // the switch gives the keys back to the list
        const QByteArray before = ReadAll(m_user);
        if (end == "readonly")
            QFile::setPermissions(m_user, QFile::ReadOwner | QFile::ReadUser);
        if (end == "box") {
            m_fakes->msg.whileOpen = [this] { m_root->WriteHostText("$Ende$"); };
            categories()->setCurrentIndex(1);
            QCOMPARE(m_fakes->msg.shown.size(), 1);
        } else if (end.startsWith('$')) {
            m_root->WriteHostText(end);
            QCOMPARE(child<QLineEdit>("Text1")->text(), end);
        }
        if (end == "esc")
            QTest::keyClick(files(), Qt::Key_Escape);
        else if (end == "appclosed" || end == "readonly")
            m_root->AppClosed();
        else
            m_root->close();
        QFile::setPermissions(m_user, QFile::ReadOwner | QFile::WriteOwner);
        if (written)
            QCOMPARE(vv::ReadIniValue(m_user, "SET", "PrintDoc"), ticked ? QString("0") : QString("1"));
        else
            QCOMPARE(ReadAll(m_user), before);
        const bool exits = end == "$Ende$" || end == "box";
        QCOMPARE(m_fakes->exit.exitNowCodes, exits ? QList<int>{0} : QList<int>{});
        QCOMPARE(m_fakes->exit.quitCodes, QList<int>{0});
    }

    void categoryFolderFromDir_data()
    {
        QTest::addColumn<QString>("dir");
        QTest::addColumn<QStringList>("listed"); // empty: refused
        const QStringList steuern{"Antrag.pdf", "Beide.pdf", "Gif.pdf", "Kaputt.pdf", "Ohne.pdf"};
        QTest::newRow("no leading backslash") << "Steuern" << steuern;
        QTest::newRow("folder in other case") << "\\STEUERN" << steuern;
        QTest::newRow("empty keeps the folder") << "" << QStringList{"Mietvertrag.pdf"};
        QTest::newRow("missing folder") << "\\Fehlt" << QStringList{};
        QTest::newRow("parent folder") << "\\..\\Vorlagen\\Steuern" << QStringList{};
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

    void previewChoice_data()
    {
        QTest::addColumn<QString>("document");
        QTest::addColumn<QChar>("shown");
        QTest::newRow("jpg beats gif") << "Beide.pdf" << QChar('r');
        QTest::newRow("none: fallback") << "Ohne.pdf" << QChar('g');
        QTest::newRow("jpg not a picture") << "Kaputt.pdf" << QChar('-');
        QTest::newRow("extensions in other case") << "Gross.pdf" << QChar('b');
    }
    void previewChoice()
    {
        QFETCH(QString, document);
        QFETCH(QChar, shown);
        WriteAll(m_templates + "/Steuern/Gross.pdf", SmallPdf("Gross"));
        WriteSolidPicture(m_templates + "/Steuern/Gross.Gif", kGifColour, "GIF");
        makeRoot();
        selectDocument("Gif.pdf");
        selectDocument(document);
        QCOMPARE(previewColour(), shown);
        // A document without its own help text empties the label.
        QCOMPARE(infos()->text(), document == "Antrag.pdf" ? QString("Antrag ausfüllen") : QString());
        QVERIFY(!QApplication::overrideCursor());
    }

    // Every row opens twice: each time a fresh copy, or each time the same failure.
    void opening_data()
    {
        QTest::addColumn<QString>("how");    // dclick, menu or enter
        QTest::addColumn<QString>("setup");  // stored or desktop: where the program comes from; else a fault
        QTest::addColumn<bool>("tick");
        QTest::addColumn<QString>("result"); // opened: what stands between program and copy; else part of the message
        QTest::newRow("double-click") << "dclick" << "stored" << false << "\" \"";
        QTest::newRow("double-click, program from the desktop default") << "dclick" << "desktop" << false << "\" \"";
        QTest::newRow("double-click, print") << "dclick" << "stored" << true << "\" /p \"";
        QTest::newRow("menu entry ignores print") << "menu" << "stored" << true << "\" \"";
        QTest::newRow("Enter in the list") << "enter" << "stored" << true << "\" \"";
        QTest::newRow("no document selected") << "menu" << "noselection" << false << "zuerst ein Dokument";
        QTest::newRow("template vanished") << "menu" << "vanished" << false << "konnte nicht kopiert werden";
        QTest::newRow("menu, nothing stored: the desktop default") << "menu" << "desktop" << false << "\" \"";
        QTest::newRow("menu, no program anywhere") << "menu" << "noprogram" << false << "kein Pdf-Programm";
        QTest::newRow("program does not start") << "menu" << "nostart" << false << "nicht gestartet";
        QTest::newRow("temp folder unwritable") << "menu" << "notemp" << false << "temporäre Dateien";
        QTest::newRow("double-click, program missing, choice cancelled") << "dclick" << "nofound" << false << "";
    }
    void opening()
    {
        QFETCH(QString, how);
        QFETCH(QString, setup);
        QFETCH(bool, tick);
        QFETCH(QString, result);
        makeRoot();
        const QString viewer = m_tmp.path() + "/Programme/Pdf Betrachter";
        MakeProgram(viewer);
        if (setup == "desktop" || setup == "nofound") {
            WriteAll(m_tmp.path() + "/home/.local/share/applications/betrachter.desktop",
                     "[Desktop Entry]\nType=Application\nName=Betrachter\nExec="
                         + (setup == "desktop" ? "\"" + QFile::encodeName(viewer) + "\"" : "/nirgends/betrachter")
                         + " %f\n");
            WriteAll(m_tmp.path() + "/home/.config/mimeapps.list",
                     "[Default Applications]\napplication/pdf=betrachter.desktop\n");
        } else if (setup != "noprogram") {
            m_fakes->registry->WriteRegistryValue(vv::kProductKey, "PdfEditor", viewer);
        }
        printSwitch()->setChecked(tick);
        selectDocument("Beide.pdf");
        const QString templ = m_templates + "/Steuern/Beide.pdf";
        QFile t(templ);
        QVERIFY(t.open(QIODevice::ReadWrite) && t.setFileTime(QDateTime(QDate(2020, 1, 2), QTime(3, 4, 5)),
                                                              QFileDevice::FileModificationTime));
        t.close();
        const QDateTime stamp = QFileInfo(templ).lastModified();
        if (setup == "noselection")
            files()->setCurrentRow(-1);
        if (setup == "vanished")
            QFile::remove(templ);
        m_fakes->process.fail = setup == "nostart";
        if (setup == "notemp")
            qputenv("temp", QFile::encodeName(m_tmp.path() + "/kein/Ordner"));
        for (int i = 0; i < 2; ++i) {
            if (how == "dclick")
                doubleClickPreview();
            else if (how == "menu")
                trigger("mnuShowViewer");
            else
                QTest::keyClick(files(), Qt::Key_Return);
        }
        qputenv("temp", QFile::encodeName(m_tmp.path() + "/temp"));

        const bool opened = setup == "stored" || setup == "desktop";
        const QStringList &lines = m_fakes->process.commandLines;
        QCOMPARE(lines.size(), opened || setup == "nostart" ? 2 : 0);
        QCOMPARE(m_fakes->fileDialog.requests.size(), setup == "nofound" ? 2 : 0);
        QVERIFY(m_fakes->exit.quitCodes.isEmpty());
        if (!opened) { // a cancelled choice needs no message
            QCOMPARE(m_fakes->msg.shown.size(), result.isEmpty() ? 0 : 2);
            for (const ShownMessage &m : m_fakes->msg.shown)
                QVERIFY2(m.text.contains(result), qPrintable(m.text));
            return;
        }
        QVERIFY(m_fakes->msg.shown.isEmpty());
        const QString copy1 = vv::SplitCommandLine(lines[0]).last();
        const QString copy2 = vv::SplitCommandLine(lines[1]).last();
        QCOMPARE(lines[0], "\"" + viewer + result + copy1 + "\"");
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
        makeRoot(&m_realProcess);
        m_fakes->registry->WriteRegistryValue(vv::kProductKey, "PdfEditor", bin + "/viewer");
        printSwitch()->setChecked(print);
        doubleClickPreview();
        qputenv("PATH", oldPath);

        QTRY_VERIFY(ReadAll(log).endsWith(".pdf\n"));
        const QString last = QString::fromUtf8(ReadAll(log)).split('\n', Qt::SkipEmptyParts).last();
        const QString prefix = print ? "lp:" : "viewer:";
        QVERIFY2(last.startsWith(prefix), qPrintable(last));
        const QString copy = last.mid(prefix.size());
        QCOMPARE(QFileInfo(copy).path(), m_tmp.path() + "/temp");
        QCOMPARE(ReadAll(copy), ReadAll(m_templates + "/Steuern/Antrag.pdf"));
        QVERIFY(m_fakes->msg.shown.isEmpty());
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
};

QTEST_MAIN(TestRoot)
#include "tst_root.moc"
