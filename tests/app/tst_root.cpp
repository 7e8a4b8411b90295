// The main window built over a temporary installation with every seam faked:
// what the lists, the preview and the messages show after each command.

#include "../dialogs/DialogFixture.h"
#include "IniFiles.h"
#include "Installation.h"
#include "Root.h"
#include "Twips.h"
#include "WebSupports.h"
#include "AddNew.h"
#include "Settings.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QScreen>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include <functional>
#include <memory>

using namespace vvtest;

namespace {

// Colour in the middle of the label's picture, '-' without one.
QChar Colour(const QLabel *label)
{
    const QImage img = label->pixmap().toImage();
    return img.isNull() ? QChar('-') : ColourName(img.pixelColor(img.width() / 2, img.height() / 2));
}

} // namespace

class TestRoot : public QObject {
    Q_OBJECT

    QTemporaryDir m_tmp;
    QString m_install, m_templates, m_user;
    std::unique_ptr<FakeServices> m_fakes;
    std::unique_ptr<vv::Root> m_root;

    // A fresh window and fakes per test, so no test sees another's answers.
    bool makeRoot()
    {
        m_root.reset();
        m_fakes = std::make_unique<FakeServices>(m_tmp.path() + "/fakes");
        m_root = std::make_unique<vv::Root>(m_install, m_fakes->services());
        return m_root->Load();
    }
    template <class T> T *child(const char *name) { return Child<T>(m_root.get(), name); }
    QComboBox *categories() { return child<QComboBox>("LCategory"); }
    QListWidget *files() { return child<QListWidget>("LDateien"); }
    QLabel *infos() { return child<QLabel>("LInfos"); }
    QCheckBox *printSwitch() { return child<QCheckBox>("BAusdrucken"); }
    // "current document|help text|preview colour"
    QString shown()
    {
        const QListWidgetItem *current = files()->currentItem();
        return (current ? current->text() : QString()) + "|" + infos()->text() + "|" + Colour(child<QLabel>("pImage"));
    }
    void selectDocument(const QString &name)
    {
        const auto found = files()->findItems(name, Qt::MatchExactly);
        QVERIFY2(!found.isEmpty(), qPrintable(name));
        files()->setCurrentItem(found.first());
    }
    void trigger(const char *entry) { child<QAction>(entry)->trigger(); }

    // Acts on the next modal dialog while its exec() runs. Each try
    // schedules the next one itself, so nothing holds itself alive.
    void whenModal(std::function<void(QDialog *)> act, int tries = 0)
    {
        QTimer::singleShot(tries ? 10 : 0, this, [=] {
            if (auto *dlg = qobject_cast<QDialog *>(QApplication::activeModalWidget()))
                act(dlg);
            else if (tries + 1 < 200)
                whenModal(act, tries + 1);
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

    void missingTemplatesFolderEndsWithoutWriting()
    {
        QDir(m_templates).removeRecursively();
        QVERIFY(!makeRoot());
        QCOMPARE(OnlyMessage(m_fakes->msg), QStringLiteral("Die Dokumente sind nicht vorhanden oder wurden verschoben.  \n"
                                                           "Die Anwendung kann nicht ordnungsgemäss arbeiten.|16|"
                                                           " Ordinalis Veltrano Vorlagen-Bibliothek"));
        m_root->close(); // a late close must not write either
        QVERIFY(!QDir(m_templates).exists());
    }

    // What the window shows at the start and after choosing categories, then
    // a document.
    void selection_data()
    {
        QTest::addColumn<QString>("dir3"); // "DIR" of the third category; null: as made
        QTest::addColumn<QList<int>>("chosen");
        QTest::addColumn<QString>("document"); // "" none chosen
        QTest::addColumn<QStringList>("listed");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<bool>("asked"); // the missing-folder question
        const QStringList steuern{"Antrag.pdf", "Beide.pdf", "Gif.pdf", "Kaputt.pdf", "Ohne.pdf"};
        const QStringList vertraege{"Mietvertrag.pdf"};
        const QString asMade;
        QTest::newRow("start: first document with its help")
            << asMade << QList<int>{} << "" << steuern << "Antrag.pdf|Antrag ausfüllen|r" << false;
        QTest::newRow("gif preview, no help text") << asMade << QList<int>{} << "Gif.pdf" << steuern << "Gif.pdf||b" << false;
        QTest::newRow("unreadable preview") << asMade << QList<int>{} << "Kaputt.pdf" << steuern << "Kaputt.pdf||-" << false;
        QTest::newRow("empty category shows its own help") << asMade << QList<int>{2} << "" << QStringList{}
                                                           << "|Hilfe Leer|-" << false;
        QTest::newRow("empty DIR keeps the previous folder") << "" << QList<int>{1, 2} << "" << vertraege
                                                             << "Mietvertrag.pdf||g" << false;
        QTest::newRow("missing folder: the list stays") << "\\Fehlt" << QList<int>{1, 2} << "" << vertraege
                                                        << "Mietvertrag.pdf||-" << true;
    }
    void selection()
    {
        QFETCH(QString, dir3);
        QFETCH(QList<int>, chosen);
        QFETCH(QString, document);
        QFETCH(QStringList, listed);
        QFETCH(QString, shown);
        QFETCH(bool, asked);
        if (!dir3.isNull())
            vv::WriteIniValue(m_user, "DIR", "03", dir3);
        QVERIFY(makeRoot());
        QCOMPARE(child<QLabel>("LDatabase")->text(), m_install + "/");
        QVERIFY(child<QLineEdit>("Text1")->isHidden());
        QCOMPARE(child<QLineEdit>("Text1")->text(), QStringLiteral("$Start$"));
        m_root->resize(700, 500);
        QVERIFY(child<QPushButton>("BBeenden")->y() >= m_root->height()); // out of view, still the Esc button

        m_fakes->msg.answers.enqueue(vv::vbCancel);
        for (int index : chosen)
            categories()->setCurrentIndex(index);
        if (!document.isEmpty())
            selectDocument(document);
        QCOMPARE(ItemTexts(files()), listed);
        QCOMPARE(this->shown(), shown);
        QCOMPARE(m_fakes->msg.shown.size(), asked ? 1 : 0);
        if (asked) {
            const ShownMessage m = m_fakes->msg.shown.first();
            QCOMPARE(QString::number(m.style) + m.title, QStringLiteral("17 Veltrano Vorlagen-Bibliothek"));
            QVERIFY(m.text.startsWith("Während der Installation von Ordinalis"));
            QVERIFY(m.text.endsWith("\n \nMöchten Sie die den Download jetzt starten und die Einstellungen öffnen ?"));
            QVERIFY(!m_root->editor());
        }
        QVERIFY(!QApplication::overrideCursor());
    }

    // The stored print switch is read at the start and written back on every
    // orderly end; the host's end marker ends at once without writing.
    void printSwitchAndEnd_data()
    {
        QTest::addColumn<QString>("value"); // null: no such key
        QTest::addColumn<bool>("ticked");
        // esc, close, appclosed; box: the host's end marker arrives inside a message
        QTest::addColumn<QString>("end");
        QTest::newRow("01, Esc") << "01" << true << "esc";
        QTest::newRow("2, close box") << "2" << false << "close";
        QTest::newRow("missing, AppClosed") << QString() << false << "appclosed";
        QTest::newRow("end marker while a message box is open") << "0" << false << "box";
    }
    void printSwitchAndEnd()
    {
        QFETCH(QString, value);
        QFETCH(bool, ticked);
        QFETCH(QString, end);
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
        if (end == "box") {
            m_fakes->msg.whileOpen = [this] { m_root->WriteHostText("$Ende$"); };
            categories()->setCurrentIndex(1);
            QCOMPARE(m_fakes->msg.shown.size(), 1);
        }
        if (end == "esc")
            QTest::keyClick(files(), Qt::Key_Escape);
        else if (end == "appclosed")
            m_root->AppClosed();
        else
            m_root->close();
        const bool exits = end == "box";
        if (exits)
            QCOMPARE(ReadAll(m_user), before);
        else
            QCOMPARE(vv::ReadIniValue(m_user, "SET", "PrintDoc"), ticked ? QString("0") : QString("1"));
        QCOMPARE(m_fakes->exit.exitNowCodes, exits ? QList<int>{0} : QList<int>{});
        QCOMPARE(m_fakes->exit.quitCodes, QList<int>{0});
    }

    // The double-click, the menu entry and Enter open a copy of the selected
    // template, only the double-click prints; each failure is one message.
    void opening_data()
    {
        QTest::addColumn<QString>("how");    // dclick, menu or enter
        QTest::addColumn<QString>("setup");  // stored or desktop: where the program comes from; else a fault
        QTest::addColumn<bool>("tick");
        QTest::addColumn<QString>("result"); // opened: what stands between program and copy; else part of the message
        QTest::newRow("double-click") << "dclick" << "stored" << false << "\" \"";
        QTest::newRow("menu entry ignores print") << "menu" << "stored" << true << "\" \"";
        QTest::newRow("Enter in the list") << "enter" << "stored" << true << "\" \"";
        QTest::newRow("menu, nothing stored: the desktop default") << "menu" << "desktop" << false << "\" \"";
        QTest::newRow("no document selected") << "dclick" << "noselection" << false << "zuerst ein Dokument";
        QTest::newRow("template vanished") << "menu" << "vanished" << false << "\"Beide.pdf\" konnte nicht kopiert werden";
        QTest::newRow("menu, no program anywhere") << "menu" << "noprogram" << false << "kein Pdf-Programm";
        QTest::newRow("program does not start") << "menu" << "nostart" << false << "nicht gestartet";
        QTest::newRow("temp folder unwritable") << "menu" << "notemp" << false << "temporäre Dateien";
        QTest::newRow("double-click, no program anywhere: silent") << "dclick" << "noprogram" << false << "";
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
        if (setup == "desktop") {
            WriteAll(m_tmp.path() + "/home/.local/share/applications/betrachter.desktop",
                     "[Desktop Entry]\nType=Application\nName=Betrachter\nExec=\"" + QFile::encodeName(viewer) + "\" %f\n");
            WriteAll(m_tmp.path() + "/home/.config/mimeapps.list",
                     "[Default Applications]\napplication/pdf=betrachter.desktop\n");
        } else if (setup != "noprogram") {
            m_fakes->registry->WriteRegistryValue(vv::kProductKey, "PdfEditor", viewer);
        }
        printSwitch()->setChecked(tick);
        selectDocument("Beide.pdf");
        const QString templ = m_templates + "/Steuern/Beide.pdf";
        if (setup == "noselection")
            files()->setCurrentRow(-1);
        if (setup == "vanished")
            QFile::remove(templ);
        m_fakes->process.fail = setup == "nostart";
        if (setup == "notemp")
            qputenv("temp", QFile::encodeName(m_tmp.path() + "/kein/Ordner"));
        if (how == "dclick")
            QTest::mouseDClick(child<QLabel>("pImage"), Qt::LeftButton);
        else if (how == "menu")
            trigger("mnuShowViewer");
        else
            QTest::keyClick(files(), Qt::Key_Return);
        qputenv("temp", QFile::encodeName(m_tmp.path() + "/temp"));

        const bool opened = setup == "stored" || setup == "desktop";
        const QStringList &lines = m_fakes->process.commandLines;
        QCOMPARE(lines.size(), opened || setup == "nostart" ? 1 : 0);
        QVERIFY(m_fakes->fileDialog.requests.isEmpty());
        QVERIFY(m_fakes->exit.quitCodes.isEmpty());
        if (!opened) {
            QCOMPARE(m_fakes->msg.shown.size(), result.isEmpty() ? 0 : 1);
            for (const ShownMessage &m : m_fakes->msg.shown) {
                QVERIFY2(m.text.contains(result), qPrintable(m.text));
                QCOMPARE(QString::number(m.style) + m.title, QStringLiteral("48Veltrano Vorlagen-Bibliothek"));
            }
            return;
        }
        QVERIFY(m_fakes->msg.shown.isEmpty());
        const QString copy = vv::SplitCommandLine(lines[0]).last();
        QCOMPARE(lines[0], "\"" + viewer + result + copy + "\"");
        QCOMPARE(QFileInfo(copy).path(), m_tmp.path() + "/temp");
        QCOMPARE(ReadAll(copy), ReadAll(templ));
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
            Click(m_root.get(), "bDocument");
        } else if (where == "tDocument") {
            QTest::mouseClick(child<QLabel>("tDocument"), Qt::LeftButton);
        } else {
            QWidget *w = where == "preview" ? child<QWidget>("pImage") : files()->viewport();
            const QPoint at = second ? files()->visualItemRect(files()->item(1)).center() : QPoint(20, 15);
            if (second) // a whole click selects the document before the menu opens
                QTest::mouseClick(w, Qt::RightButton, {}, at);
            else
                QTest::mouseRelease(w, Qt::RightButton, {}, at);
            expected = w->mapToGlobal(at) + QPoint(1, 1); // just off the pointer
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
        trigger("mnuFavoriten");
        trigger("mnuKategorie");
        QCOMPARE(child<QAction>("mnxKatEditor")->text(), QStringLiteral("1"));
    }

    // The document commands on the selected Gif.pdf: the dialog they open,
    // the message, and what the window shows afterwards.
    void documentCommands_data()
    {
        QTest::addColumn<QString>("command"); // a menu entry, or LInfos: the double-click on the help text
        QTest::addColumn<bool>("ok");
        QTest::addColumn<QString>("opened");  // title|name|picture of AddNew, title|row of MoveTo
        QTest::addColumn<QString>("message"); // text|style|title
        QTest::addColumn<QString>("after");   // category|current document|help text
        QTest::addColumn<QString>("stored");  // document=help text; "" the user file unchanged
        QTest::addColumn<QStringList>("files"); // below the templates folder afterwards
        const QString ask = "Möchten Sie die Informationen für das ausgewählte Dokument ändern. |36| Dokumente bearbeiten";
        const QString none = "0 messages", reloaded = "0|Antrag.pdf|Antrag ausfüllen";
        const QString added = "Neuer Antrag \"Ö\".";
        QTest::newRow("add") << "mnuHinzufügen" << true << "Hinzufügen||-" << none << reloaded
                             << added + "pdf=Neu zweite Zeile" << QStringList{"Steuern/" + added + "pdf", "Steuern/" + added + "gif"};
        QTest::newRow("edit") << "mnuBearbeiten" << true << "Bearbeiten|Gif.pdf|b" << ask << reloaded
                              << "Gif.pdf=Neu zweite Zeile" << QStringList{"Steuern/Gif.pdf"};
        QTest::newRow("edit, cancel") << "mnuBearbeiten" << false << "Bearbeiten|Gif.pdf|b" << none << "0|Gif.pdf|" << ""
                                      << QStringList{"Steuern/Gif.pdf"};
        QTest::newRow("double-click on the help text") << "LInfos" << true << "Bearbeiten|Gif.pdf|b" << ask << reloaded
                                                       << "Gif.pdf=Neu zweite Zeile" << QStringList{"Steuern/Gif.pdf"};
        QTest::newRow("move") << "mnuVerschieben" << true << "Dokumente verschieben|0"
                              << "Das Dokument wurde in die neue Kategorie verschoben:\n\r''Verträge''. |64|Dokumente verschieben "
                              << "1|Gif.pdf|" << "" << QStringList{"Verträge/Gif.pdf", "Verträge/Gif.gif"};
        QTest::newRow("delete is refused")
            << "mnuLöschen" << false << ""
            << "Das Dokument ''Gif.pdf'' konnte nicht gelöscht werden, weil Funktion noch nicht verfügbar !\r\r"
               "Der Vorgang wurde abgebrochen.|16|Veltrano Vorlagen-Bibliothek"
            << "0|Gif.pdf|" << "" << QStringList{"Steuern/Gif.pdf"};
    }
    void documentCommands()
    {
        QFETCH(QString, command);
        QFETCH(bool, ok);
        QFETCH(QString, opened);
        QFETCH(QString, message);
        QFETCH(QString, after);
        QFETCH(QString, stored);
        QFETCH(QStringList, files);
        makeRoot();
        const QString source = m_tmp.path() + "/Eingang/Neuer Antrag \"Ö\".pdf", picture = m_tmp.path() + "/Eingang/bild.gif";
        WriteAll(source, SmallPdf("neu"));
        WriteSolidPicture(picture, kGifColour, "GIF");
        m_fakes->fileDialog.choices << source << picture;
        selectDocument("Gif.pdf");
        const QByteArray before = ReadAll(m_user);
        QString seen;
        if (!opened.isEmpty()) {
            whenModal([&](QDialog *dlg) {
                auto *name = dlg->findChild<QLineEdit *>("tFilename");
                auto *list = dlg->findChild<QListWidget *>("LCategory");
                seen = dlg->windowTitle() + "|"
                       + (name ? name->text() + "|" + Colour(dlg->findChild<QLabel *>("pImage")) : QString::number(list->currentRow()));
                if (command == "mnuHinzufügen") {
                    Click(dlg, "bDateiwahl");
                    QTest::mouseClick(dlg->findChild<QWidget *>("pVorschau"), Qt::LeftButton);
                }
                if (name)
                    dlg->findChild<QPlainTextEdit *>("tHilfetext")->setPlainText("Neu\nzweite Zeile");
                else
                    list->setCurrentRow(1);
                Click(dlg, ok ? "bHinzufügen" : "bAbbrechen");
            });
        }
        if (command == "LInfos")
            QTest::mouseDClick(infos(), Qt::LeftButton);
        else
            trigger(command.toUtf8().constData());

        QCOMPARE(seen, opened);
        QCOMPARE(OnlyMessage(m_fakes->msg), message);
        QCOMPARE(QString::number(categories()->currentIndex()) + "|" + this->shown().section('|', 0, 1), after);
        if (stored.isEmpty())
            QCOMPARE(ReadAll(m_user), before);
        else
            QCOMPARE(vv::ReadIniValue(m_user, "INFO", stored.section('=', 0, 0)), stored.section('=', 1));
        for (const QString &file : files) {
            QVERIFY2(QFile::exists(m_templates + "/" + file), qPrintable(file));
            if (file.endsWith(".pdf")) // the document is in the list shown
                QVERIFY(ItemTexts(this->files()).contains(QFileInfo(file).fileName()));
        }
        QVERIFY(!QApplication::overrideCursor());
    }

    // With the print switch on, the double-click asks the print dialog and
    // hands the copy to lp with its choices; the template itself never goes.
    void printing_data()
    {
        QTest::addColumn<QStringList>("printers");
        QTest::addColumn<QString>("defaultPrinter");
        QTest::addColumn<bool>("accept");
        QTest::addColumn<bool>("withLp");
        QTest::addColumn<QString>("offered");    // the printer the dialog came up with; "" not asked
        QTest::addColumn<QStringList>("options"); // lp's arguments before "--"; empty: nothing printed
        QTest::addColumn<QString>("message");     // part of the only message; "" none
        const QStringList two{"Buero", "Laser"};
        QTest::newRow("default printer offered, choices passed on")
            << two << "Laser" << true << true << "Laser" << QStringList{"-d", "Laser", "-n", "2", "-P", "1-2"} << "";
        QTest::newRow("no default: the first offered")
            << two << "" << true << true << "Buero" << QStringList{"-d", "Buero", "-n", "2", "-P", "1-2"} << "";
        QTest::newRow("cancel prints nothing") << two << "Laser" << false << true << "Laser" << QStringList{} << "";
        QTest::newRow("no printers") << QStringList{} << "" << true << true << "" << QStringList{}
                                     << "kein Drucker eingerichtet";
        QTest::newRow("lp missing") << two << "" << true << false << "Buero" << QStringList{} << "„lp“ wurde nicht gefunden";
    }
    void printing()
    {
        QFETCH(QStringList, printers);
        QFETCH(QString, defaultPrinter);
        QFETCH(bool, accept);
        QFETCH(bool, withLp);
        QFETCH(QString, offered);
        QFETCH(QStringList, options);
        QFETCH(QString, message);
        makeRoot();
        const QByteArray savedPath = qgetenv("PATH");
        const QString bin = m_tmp.path() + "/druckbin";
        QDir(bin).removeRecursively();
        QDir().mkpath(bin);
        if (withLp)
            MakeProgram(bin + "/lp");
        qputenv("PATH", QFile::encodeName(bin));
        const QString viewer = m_tmp.path() + "/Programme/Pdf Betrachter";
        MakeProgram(viewer);
        m_fakes->registry->WriteRegistryValue(vv::kProductKey, "PdfEditor", viewer);
        FakePrintDialog &print = m_fakes->print;
        print.printers = printers;
        print.defaultPrinter = defaultPrinter;
        print.accept = accept;
        print.answer.copies = 2;
        print.answer.pages = "1-2";
        printSwitch()->setChecked(true);
        selectDocument("Beide.pdf");
        QTest::mouseDClick(child<QLabel>("pImage"), Qt::LeftButton);
        qputenv("PATH", savedPath);

        QCOMPARE(print.requests.size(), offered.isEmpty() ? 0 : 1);
        if (!offered.isEmpty())
            QCOMPARE(print.requests[0].document + "|" + print.requests[0].printers.join(",") + "|" + print.requests[0].offered,
                     "Beide.pdf|" + printers.join(",") + "|" + offered);
        QCOMPARE(m_fakes->msg.shown.size(), message.isEmpty() ? 0 : 1);
        if (!message.isEmpty())
            QVERIFY2(m_fakes->msg.shown[0].text.contains(message), qPrintable(m_fakes->msg.shown[0].text));
        const QStringList &lines = m_fakes->process.commandLines;
        QCOMPARE(lines.size(), options.isEmpty() ? 0 : 1);
        if (options.isEmpty())
            return;
        const QStringList split = vv::SplitCommandLine(lines[0]);
        QCOMPARE(split.first(), bin + "/lp");
        QCOMPARE(split.mid(1, split.size() - 3), options);
        QCOMPARE(split.at(split.size() - 2), QStringLiteral("--"));
        const QString copy = split.last();
        QCOMPARE(QFileInfo(copy).path(), m_tmp.path() + "/temp");
        QCOMPARE(ReadAll(copy), ReadAll(m_templates + "/Steuern/Beide.pdf"));
    }

    // The entries that need a document are off without one; the others,
    // the captions, the order and the separators stay.
    void documentEntries_data()
    {
        QTest::addColumn<int>("category");
        QTest::addColumn<int>("row"); // the document made current; -1 none
        QTest::addColumn<bool>("enabled");
        QTest::newRow("first document at the start") << 0 << 0 << true;
        QTest::newRow("another document") << 0 << 2 << true;
        QTest::newRow("selection taken away") << 0 << -1 << false;
        QTest::newRow("empty category") << 2 << -1 << false;
        QTest::newRow("back from an empty category") << 1 << 0 << true;
    }
    void documentEntries()
    {
        QFETCH(int, category);
        QFETCH(int, row);
        QFETCH(bool, enabled);
        makeRoot();
        categories()->setCurrentIndex(2); // passes the empty category first
        categories()->setCurrentIndex(category);
        files()->setCurrentRow(row);
        QMenu *menu = child<QMenu>("bBearbeiten");
        QStringList shown;
        for (QAction *a : menu->actions())
            shown << (a->isSeparator() ? QString("-") : a->objectName() + "=" + QString::number(a->isEnabled()));
        const QString e = QString::number(enabled);
        QCOMPARE(shown, (QStringList{"mnuHinzufügen=1", "mnuShowViewer=" + e, "-", "mnuKategorie=1", "mnuFavoriten=1", "-",
                                     "mnuVerschieben=" + e, "mnuBearbeiten=" + e, "-", "mnuLöschen=" + e}));
        if (enabled)
            return;
        // Enter and the double-click on the help text do nothing without a document.
        QTest::keyClick(files(), Qt::Key_Return);
        QTest::mouseDClick(infos(), Qt::LeftButton);
        QCOMPARE(m_fakes->msg.shown.size() + m_fakes->process.commandLines.size() + m_fakes->fileDialog.requests.size(), 0);
        QVERIFY(!QApplication::activeModalWidget());
    }

    // A double-click on a name opens that document, as the menu entry does.
    void doubleClickOnDocument()
    {
        makeRoot();
        m_root->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_root.get()));
        const QString viewer = m_tmp.path() + "/Programme/Pdf Betrachter";
        MakeProgram(viewer);
        m_fakes->registry->WriteRegistryValue(vv::kProductKey, "PdfEditor", viewer);
        printSwitch()->setChecked(true); // the list opens, never prints
        const QPoint at = files()->visualItemRect(files()->item(2)).center();
        // The first click of the two, as a real double-click begins.
        QTest::mouseClick(files()->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(files()->viewport(), Qt::LeftButton, {}, at);
        QCOMPARE(m_fakes->process.commandLines.size(), 1);
        const QStringList split = vv::SplitCommandLine(m_fakes->process.commandLines[0]);
        QCOMPARE(split.size(), 2);
        QCOMPARE(split[0], viewer);
        QCOMPARE(ReadAll(split[1]), ReadAll(m_templates + "/Steuern/Gif.pdf"));
        QVERIFY(m_fakes->print.requests.isEmpty());
    }

    // PDF files dropped on the list go through the add dialog one by one, as
    // if chosen there; anything else is refused before the drop.
    void dropOnList_data()
    {
        QTest::addColumn<QStringList>("dropped"); // below the incoming folder
        QTest::addColumn<bool>("accepted");
        QTest::addColumn<QString>("vanishes");    // removed after the drop, before its dialog
        QTest::addColumn<QStringList>("dialogs"); // tFilename|mode mark of each dialog opened
        QTest::addColumn<QString>("message");     // part of the only message; "" none
        QTest::newRow("two PDFs") << QStringList{"Neu A.pdf", "Neu B.PDF"} << true << ""
                                  << QStringList{"Neu A.pdf|1", "Neu B.PDF|1"} << "";
        QTest::newRow("a picture") << QStringList{"bild.jpg"} << false << "" << QStringList{} << "";
        QTest::newRow("a folder named like a PDF") << QStringList{"Ordner.pdf"} << false << "" << QStringList{} << "";
        QTest::newRow("a PDF gone before its turn") << QStringList{"Neu A.pdf", "Neu B.PDF"} << true << "Neu A.pdf"
                                                    << QStringList{"Neu B.PDF|1"} << "„Neu A.pdf“ ist nicht mehr vorhanden";
        QStringList many;
        for (int i = 0; i < 100; ++i)
            many << QStringLiteral("Viele %1.pdf").arg(i);
        QTest::newRow("100 PDFs") << many << true << "" << QStringList{} << "höchstens 10 Dokumente";
    }
    void dropOnList()
    {
        QFETCH(QStringList, dropped);
        QFETCH(bool, accepted);
        QFETCH(QString, vanishes);
        QFETCH(QStringList, dialogs);
        QFETCH(QString, message);
        makeRoot();
        const QString incoming = m_tmp.path() + "/Eingang/";
        QDir(incoming).removeRecursively();
        QDir().mkpath(incoming + "Ordner.pdf");
        QList<QUrl> urls;
        for (const QString &name : dropped) {
            if (name != "Ordner.pdf")
                WriteAll(incoming + name, SmallPdf(name));
            urls << QUrl::fromLocalFile(incoming + name);
        }
        QMimeData mime;
        mime.setUrls(urls);
        QWidget *target = files()->viewport();
        const QPoint at(20, 15);
        QDragEnterEvent enter(at, Qt::CopyAction | Qt::MoveAction, &mime, Qt::LeftButton, {});
        QApplication::sendEvent(target, &enter);
        QCOMPARE(enter.isAccepted(), accepted);
        if (accepted)
            QCOMPARE(enter.dropAction(), Qt::CopyAction);
        QDragMoveEvent move(at + QPoint(5, 5), Qt::CopyAction | Qt::MoveAction, &mime, Qt::LeftButton, {});
        QApplication::sendEvent(target, &move);
        QCOMPARE(move.isAccepted(), accepted);

        QStringList seen;
        // The last one still waits for a dialog after the test.
        auto over = std::make_shared<bool>(false);
        std::function<void(QDialog *)> answer = [&, over](QDialog *dlg) {
            if (*over)
                return;
            auto *addNew = qobject_cast<vv::AddNew *>(dlg);
            seen << dlg->findChild<QLineEdit *>("tFilename")->text().remove(incoming) + "|"
                        + (addNew ? addNew->modeMark() : QString("?"));
            Click(dlg, "bAbbrechen");
            whenModal(answer);
        };
        whenModal(answer);
        QDropEvent drop(at, Qt::CopyAction | Qt::MoveAction, &mime, Qt::LeftButton, {});
        QApplication::sendEvent(target, &drop);
        QCOMPARE(drop.isAccepted(), accepted);
        QVERIFY(seen.isEmpty()); // the dialogs wait until the drop has ended
        if (!vanishes.isEmpty())
            QVERIFY(QFile::remove(incoming + vanishes));
        QTest::qWait(accepted ? 300 : 50);
        QCOMPARE(seen, dialogs);
        QCOMPARE(m_fakes->msg.shown.size(), message.isEmpty() ? 0 : 1);
        if (!message.isEmpty())
            QVERIFY2(m_fakes->msg.shown[0].text.contains(message), qPrintable(m_fakes->msg.shown[0].text));
        QVERIFY(m_fakes->fileDialog.requests.isEmpty());
        *over = true;
    }

    // The window comes back where it was left, fitted to the screen; the
    // orderly end stores it, the host's end marker does not.
    void placement_data()
    {
        QTest::addColumn<QString>("stored"); // "" nothing
        QTest::addColumn<QString>("end");    // quit or marker
        QTest::newRow("first start, quit") << "" << "quit";
        QTest::newRow("stored place, quit") << "30,60,560,480" << "quit";
        QTest::newRow("larger than the screen") << "0,0,5000,5000" << "quit";
        QTest::newRow("end marker stores nothing") << "30,60,560,480" << "marker";
    }
    void placement()
    {
        QFETCH(QString, stored);
        QFETCH(QString, end);
        m_fakes = std::make_unique<FakeServices>(m_tmp.path() + "/fakes");
        if (!stored.isEmpty())
            m_fakes->registry->WriteRegistryValue(vv::kProductKey, "MainWindow", stored);
        m_root = std::make_unique<vv::Root>(m_install, m_fakes->services());
        QVERIFY(m_root->Load());
        const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
        const QRect placed = m_root->geometry();
        QVERIFY2(screen.contains(placed), qPrintable(QStringLiteral("%1,%2 %3x%4").arg(placed.x()).arg(placed.y())
                                                         .arg(placed.width()).arg(placed.height())));
        const vv::WindowPlacement before = vv::StoredWindowPlacement(*m_fakes->registry);
        if (stored == "30,60,560,480")
            QCOMPARE(placed, QRect(30, 60, 560, 480));
        m_root->setGeometry(40, 70, 580, 490);
        if (end == "quit") {
            m_root->AppClosed();
            QCOMPARE(vv::StoredWindowPlacement(*m_fakes->registry).rect, QRect(40, 70, 580, 490));
        } else {
            m_root->WriteHostText("$Ende$");
            QCOMPARE(vv::StoredWindowPlacement(*m_fakes->registry).rect, before.rect);
        }
    }
};

QTEST_MAIN(TestRoot)
#include "tst_root.moc"
