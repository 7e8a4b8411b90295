// The library editor over a temporary installation, opened from the real
// main window with every seam faked: the tab column, what each tab shows,
// the options tab's download and update, and the closing.

#include "../dialogs/DialogFixture.h"
#include "Editor.h"
#include "DragList.h"
#include "HostLink.h"
#include "Installation.h"
#include "RecycleKillFiles.h"
#include "PowerOfAttorneyPage.h"
#include "PdfReader.h"
#include "TemplateViewer.h"
#include "Root.h"
#include "Settings.h"
#include "TabColumn.h"
#include "WebSupports.h"
#include "Twips.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QFileInfo>
#include <QPainter>
#include <QPdfWriter>
#include <QPointer>
#include <QProgressDialog>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>

#include <unistd.h>

#include <functional>
#include <memory>
#include <utility>

using namespace vvtest;

namespace {

QStringList Entries(const QListWidget *list)
{
    QStringList out;
    for (int i = 0; i < list->count(); ++i)
        out << list->item(i)->text();
    return out;
}

} // namespace

class TestEditor : public QObject {
    Q_OBJECT

    QTemporaryDir m_tmp;
    QString m_install, m_templates;
    std::unique_ptr<FakeServices> m_fakes;
    std::unique_ptr<vv::Root> m_root;
    int m_run = 0;

    // A fresh installation, fakes and main window per test; without the PDF
    // module the pages are drawn by nothing.
    void makeRoot(bool pdfModule = true)
    {
        m_root.reset();
        m_install = m_tmp.path() + "/inst" + QString::number(++m_run);
        m_templates = MakeInstallation(m_install);
        for (int n = 0; n < 5; ++n)
            WriteSolidPicture(m_install + QString("/DOCFORM%1.DLL").arg(n), n % 2 ? kGifColour : kJpgColour, "PNG");
        m_fakes = std::make_unique<FakeServices>(m_install + "-fakes");
        if (!pdfModule)
            m_fakes->pdf = std::make_unique<vv::PdfModule>(m_install + "-ohne-pdf");
        m_root = std::make_unique<vv::Root>(m_install, m_fakes->services());
        QVERIFY(m_root->Load());
        m_root->show();
    }
    vv::Editor *open(const QString &startTab = "1")
    {
        Child<QAction>(m_root.get(), "mnxKatEditor")->setText(startTab);
        Click(m_root.get(), "bEditor");
        return m_root->editor();
    }
    template <class T> T *child(const char *name) { return Child<T>(m_root->editor(), name); }
    void closeEditor()
    {
        child<QPushButton>("bWinClose")->click();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    QString onlyMessage() { return OnlyMessage(m_fakes->msg); }

private slots:
    void initTestCase() { IsolateEnvironment(m_tmp.path()); }
    void cleanup() { m_root.reset(); }

    void tabColumn_data()
    {
        QTest::addColumn<int>("selected");
        QTest::addColumn<int>("height");
        QTest::addColumn<int>("panel");
        QTest::addColumn<QList<int>>("tops"); // tabs 1 to 5, then the panel
        QTest::newRow("tab 5") << 5 << 780 << 2000 << QList<int>{0, 795, 1590, 2385, 3180, 3975};
        QTest::newRow("tab 1") << 1 << 780 << 2000 << QList<int>{0, 2780, 3575, 4370, 5165, 765};
        QTest::newRow("tab 3, other heights") << 3 << 500 << 1000 << QList<int>{0, 515, 1030, 2560, 3075, 1545};
    }
    void tabColumn()
    {
        QFETCH(int, selected);
        QFETCH(int, height);
        QFETCH(int, panel);
        QFETCH(QList<int>, tops);
        std::array<int, 5> heights;
        heights.fill(height);
        const vv::TabColumnLayout l = vv::LayOutTabColumn(selected, 0, heights, panel);
        QCOMPARE((QList<int>{l.tabTop[0], l.tabTop[1], l.tabTop[2], l.tabTop[3], l.tabTop[4], l.panelTop}), tops);
    }

    // Each tab: its help text, panel, buttons, frame and what it lists.
    void tabs_data()
    {
        QTest::addColumn<int>("tab");
        QTest::addColumn<QString>("help");     // start of the help text; "" leaves it
        QTest::addColumn<QString>("buttons");  // enabled of Add, Remove, Favourite, Up, Down
        QTest::addColumn<QString>("frame");
        QTest::addColumn<QStringList>("list"); // LFilelist
        QTest::newRow("1") << 1 << "Kategorien können" << "11000" << "fDokumente"
                           << QStringList{"Steuern", "Verträge", "Leer"};
        QTest::newRow("2") << 2 << "" << "11100" << "fDokumente"
                           << QStringList{"Antrag.pdf", "Beide.pdf", "Gif.pdf", "Kaputt.pdf", "Ohne.pdf"};
        QTest::newRow("3") << 3 << "Wählen Sie Dokumente" << "11011" << "fDokumente"
                           << QStringList{"Weg\t\t\t\t\t\t\t\t\\Vorlagen\\Steuern\\Antrag.pdf"};
        QTest::newRow("4") << 4 << "Bearbeiten Sie hier" << "00000" << "fExtras" << QStringList();
        QTest::newRow("5") << 5 << "Verwaltung für den" << "00000" << "fOptionen" << QStringList();
    }
    void tabs()
    {
        QFETCH(int, tab);
        QFETCH(QString, help);
        QFETCH(QString, buttons);
        QFETCH(QString, frame);
        QFETCH(QStringList, list);
        makeRoot();
        vv::WriteIniValue(m_install + "/VORLAGEN.DAT", "DOCS", "4", "Weg");
        vv::WriteIniValue(m_install + "/VORLAGEN.DAT", "PDFFILE", "4", "\\Vorlagen\\Steuern\\Antrag.pdf");
        vv::Editor *editor = open("5");
        QVERIFY(editor && editor->isVisible());
        QVERIFY(!m_root->isVisible());
        QCOMPARE(editor->windowTitle(), "Veltrano Vorlagen-Bibliothek");
        const QString before = child<QLabel>("tHilfethemen")->text();

        QTest::mouseClick(child<QPushButton>(qPrintable("bTabs" + QString::number(tab))), Qt::LeftButton);
        QCOMPARE(editor->tabNumber(), tab);
        const QString shown = child<QLabel>("tHilfethemen")->text();
        QVERIFY2(help.isEmpty() ? shown == before : shown.startsWith(help), qPrintable(shown));
        QString enabled;
        for (const char *b : {"bAddfile", "bRemove", "bFavoriten", "BAufwärts", "BAbwärts"})
            enabled += child<QPushButton>(b)->isEnabled() ? '1' : '0';
        QCOMPARE(enabled, buttons);
        for (const char *f : {"fDokumente", "fExtras", "fOptionen"})
            QCOMPARE(child<QWidget>(f)->isVisible(), frame == f);
        QCOMPARE(child<QListWidget>("LSubject")->isVisible(), tab == 2);
        QCOMPARE(child<QWidget>("LSettings")->isVisible(), tab != 2);
        if (frame == "fDokumente")
            QCOMPARE(Entries(child<QListWidget>("LFilelist")), list);
        // The open panel stands under the chosen tab, the next tab under the panel.
        const QWidget *panel = child<QWidget>(tab == 2 ? "LSubject" : "LSettings");
        const QWidget *chosen = child<QWidget>(qPrintable("bTabs" + QString::number(tab)));
        QVERIFY(panel->y() > chosen->y());
        if (tab < 5)
            QVERIFY(child<QWidget>(qPrintable("bTabs" + QString::number(tab + 1)))->y() > panel->y() + panel->height());
    }

    // The start tab comes from the main window and is "1" again afterwards;
    // closing with nothing changed brings the main window back and removes
    // the snapshot.
    void openAndCloseFromTheMainWindow()
    {
        makeRoot();
        Child<QAction>(m_root.get(), "mnuFavoriten")->trigger();
        QCOMPARE(m_root->editor()->tabNumber(), 3);
        QCOMPARE(Child<QAction>(m_root.get(), "mnxKatEditor")->text(), "3");
        WriteAll(m_templates + "/User.tmp", "[CAT]\n");
        closeEditor();
        QVERIFY(!m_root->editor());
        QVERIFY(m_root->isVisible());
        QVERIFY(!QFile::exists(m_templates + "/User.tmp"));
        QCOMPARE(Child<QAction>(m_root.get(), "mnxKatEditor")->text(), "1");
        QCOMPARE(m_fakes->msg.shown.size(), 0);
        QCOMPARE(open("")->tabNumber(), 0); // no start tab selects none
        closeEditor();
        QCOMPARE(open()->tabNumber(), 1);
        // Quitting the program closes an open editor with its own closing.
        Click(m_root.get(), "BBeenden");
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!m_root->editor());
        QCOMPARE(m_fakes->exit.quitCodes, QList<int>{0});
    }

    void closing_data()
    {
        QTest::addColumn<int>("deleted");
        QTest::addColumn<int>("changes");
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("relay");
        QTest::addColumn<QString>("style");    // styles of the messages shown
        QTest::addColumn<bool>("updated");     // the index was rebuilt from the folders
        QTest::addColumn<bool>("ended");       // through the end marker or at once
        QTest::addColumn<QStringList>("started");
        QTest::newRow("deleted, yes") << 1 << 1 << int(vv::vbYes) << true << "52" << true << true << QStringList();
        QTest::newRow("deleted, no, changes cancel") << 1 << 1 << int(vv::vbNo) << true << "52 49" << false << false
                                                     << QStringList();
        QTest::newRow("changes, ok") << 0 << 1 << int(vv::vbOK) << true << "49" << false << true
                                     << QStringList{"\"%1/APPRELAY.EXE\" /restart"};
        QTest::newRow("changes, ok, no relay") << 0 << 1 << int(vv::vbOK) << false << "49" << false << true
                                               << QStringList();
        QTest::newRow("changes, cancel") << 0 << 1 << int(vv::vbCancel) << true << "49" << false << false
                                         << QStringList();
        QTest::newRow("nothing") << 0 << 0 << 0 << true << "" << false << false << QStringList();
    }
    void closing()
    {
        QFETCH(int, deleted);
        QFETCH(int, changes);
        QFETCH(int, answer);
        QFETCH(bool, relay);
        QFETCH(QString, style);
        QFETCH(bool, updated);
        QFETCH(bool, ended);
        QFETCH(QStringList, started);
        makeRoot();
        if (relay)
            MakeProgram(m_install + "/APPRELAY.EXE");
        QDir().mkpath(m_templates + "/Neu");
        vv::Editor *editor = open();
        editor->setDeletedMarker(deleted);
        editor->setChangesMarker(changes);
        m_fakes->msg.answers << answer << vv::vbCancel;
        closeEditor();

        QStringList styles;
        for (const ShownMessage &m : m_fakes->msg.shown) {
            styles << QString::number(m.style);
            QCOMPARE(m.title, " Veltrano Vorlagen-Bibliothek");
        }
        QCOMPARE(styles.join(' '), style);
        if (deleted)
            QVERIFY(m_fakes->msg.shown.first().text.endsWith("\n \nMöchten Sie die Aktualisierung durchführen ?"));
        QCOMPARE(vv::ReadIniValue(m_templates + "/User.dat", "CAT", "02"), updated ? "Neu" : "Verträge");
        QCOMPARE(!m_fakes->exit.exitNowCodes.isEmpty(), ended);
        for (QString &s : started)
            s = s.arg(m_install);
        QCOMPARE(m_fakes->process.commandLines, started);
        if (!ended)
            QVERIFY(m_root->isVisible());
    }

    // The download link: the address, three seconds, then the program
    // folder's library; a click during the pause starts nothing more.
    void download()
    {
        makeRoot();
        vv::Editor *editor = open("5");
        int clicksDuringPause = 0;
        m_fakes->clock.duringPause = [&] {
            if (clicksDuringPause++ == 0)
                QTest::mouseClick(child<QLabel>("tWeblink"), Qt::LeftButton);
        };
        const double start = m_fakes->clock.now;
        QTest::mouseClick(child<QLabel>("tWeblink"), Qt::LeftButton);
        QCOMPARE(m_fakes->process.urls,
                 (QList<QUrl>{QUrl(vv::kDefaultDownloadAddress), QUrl::fromLocalFile(m_templates)}));
        QVERIFY(m_fakes->clock.now - start >= 3);
        QCOMPARE(editor->tabNumber(), 5);
        QVERIFY(child<QLabel>("tWeblink")->text().contains(vv::kDefaultDownloadAddress));
    }

    // The update button rebuilds the index, says so and ends the program;
    // a second click while it pauses runs no second update.
    void update()
    {
        makeRoot();
        QDir().mkpath(m_templates + "/Aktuell");
        open("5");
        bool clicked = false;
        m_fakes->clock.duringPause = [&] {
            if (!std::exchange(clicked, true))
                Click(m_root->editor(), "bCheckDocData");
        };
        Click(m_root->editor(), "bCheckDocData");
        QCOMPARE(vv::ReadIniValue(m_templates + "/User.dat", "CAT", "01"), "Aktuell");
        QCOMPARE(vv::ReadIniValue(m_templates + "/User.dat", "DIR", "01"), "\\Aktuell");
        QCOMPARE(onlyMessage(), "Die Einträge für die Kategorien der Vorlage-Dokumente wurden aktualisiert und "
                                "gespeichert. \n \nDas Programm muss neu gestartet werden ...|48| Veltrano "
                                "Vorlagen-Bibliothek");
        QCOMPARE(m_fakes->exit.exitNowCodes, QList<int>{0});
    }

    // A category without its folder on the documents tab, and the same in
    // the main window: OK starts the download and shows tab 4.
    void missingCategoryFolder_data()
    {
        QTest::addColumn<bool>("fromMainWindow");
        QTest::addColumn<int>("answer");
        QTest::newRow("documents tab, ok") << false << int(vv::vbOK);
        QTest::newRow("documents tab, cancel") << false << int(vv::vbCancel);
        QTest::newRow("main window, ok") << true << int(vv::vbOK);
    }
    void missingCategoryFolder()
    {
        QFETCH(bool, fromMainWindow);
        QFETCH(int, answer);
        makeRoot();
        QDir(m_templates + "/Steuern").removeRecursively();
        m_fakes->msg.answers << answer;
        if (fromMainWindow) {
            Child<QComboBox>(m_root.get(), "LCategory")->setCurrentIndex(1);
            Child<QComboBox>(m_root.get(), "LCategory")->setCurrentIndex(0);
        } else {
            open("2");
        }
        QCOMPARE(m_fakes->msg.shown.size(), 1);
        QCOMPARE(m_fakes->msg.shown.first().text, vv::Editor::MissingFolderText());
        QCOMPARE(m_fakes->msg.shown.first().style, 17);
        vv::Editor *editor = m_root->editor();
        if (answer == vv::vbCancel) {
            QCOMPARE(editor->tabNumber(), 2);
            QCOMPARE(child<QListWidget>("LFilelist")->count(), 0);
            QVERIFY(m_fakes->process.urls.isEmpty());
            return;
        }
        QVERIFY(editor && editor->isVisible());
        QCOMPARE(editor->tabNumber(), 4);
        QCOMPARE(m_fakes->process.urls.size(), 2);
        QCOMPARE(m_root->isVisible(), fromMainWindow);
    }

    // The chosen type's template from the program folder; a missing one
    // keeps the previous picture and path, an unreadable one only the picture.
    void powerOfAttorney()
    {
        makeRoot();
        QFile::remove(m_install + "/DOCFORM2.DLL");
        WriteAll(m_install + "/DOCFORM4.DLL", "kein Bild");
        vv::Editor *editor = open("4");
        auto *type = child<QComboBox>("LVollmachtstyp");
        auto *show = child<QLabel>("pVollmachtShow");
        auto colour = [&] {
            const QImage img = show->pixmap().toImage();
            return img.isNull() ? QChar('-') : ColourName(img.pixelColor(img.width() / 2, img.height() / 2));
        };
        QCOMPARE(type->currentIndex(), 0);
        QCOMPARE(show->property("tag").toString(), m_install + "/DOCFORM0.DLL");
        QCOMPARE(colour(), QChar('r'));
        type->setCurrentIndex(3);
        QCOMPARE(show->property("tag").toString(), m_install + "/DOCFORM3.DLL");
        QCOMPARE(colour(), QChar('b'));
        QVERIFY(show->hasScaledContents());
        type->setCurrentIndex(2); // missing
        QCOMPARE(show->property("tag").toString(), m_install + "/DOCFORM3.DLL");
        type->setCurrentIndex(4); // no picture
        QCOMPARE(show->property("tag").toString(), m_install + "/DOCFORM4.DLL");
        QCOMPARE(colour(), QChar('b'));
        // 25 megapixels, a few kilobytes on disk: shown at the size of its frame.
        QImage huge(5000, 5000, QImage::Format_Mono);
        huge.setColorTable({kJpgColour.rgb(), kGifColour.rgb()});
        huge.fill(0);
        QVERIFY(huge.save(m_install + "/DOCFORM1.DLL", "PNG"));
        type->setCurrentIndex(1);
        QCOMPARE(show->property("tag").toString(), m_install + "/DOCFORM1.DLL");
        QCOMPARE(colour(), QChar('r'));
        QCOMPARE(show->pixmap().size(), show->contentsRect().size() * show->devicePixelRatioF());
        editor->SelectTab(1);
        editor->SelectTab(4);
        QCOMPARE(type->currentIndex(), 1);
    }

    // Tab 4's buttons: the viewer window, a replacement through the file
    // dialog with its backup, a refused file, and the delete with its question.
    void powerOfAttorneyButtons()
    {
        makeRoot();
        vv::Editor *editor = open("4");
        const QString form = m_install + "/DOCFORM0.DLL";
        for (const char *b : {"bDocShow", "bDocReplace", "bDocKill"})
            QVERIFY(child<QPushButton>(b)->isEnabled());

        Click(editor, "bDocShow");
        QPointer<vv::TemplateViewer> viewer = child<vv::TemplateViewer>("Vollmachtsansicht");
        QVERIFY(viewer && viewer->isVisible());
        QCOMPARE(viewer->image().size(), QImage(form).size());
        QVERIFY(viewer->fitsWindow());
        QTest::keyClick(viewer, Qt::Key_Escape);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!viewer);

        auto *show = child<QLabel>("pVollmachtShow");
        auto colour = [&] {
            const QImage img = show->pixmap().toImage();
            return img.isNull() ? QChar('-') : ColourName(img.pixelColor(img.width() / 2, img.height() / 2));
        };
        const QByteArray old = ReadAll(form);
        WriteAll(m_install + "-quelle/kein Bild.png", "Text");
        m_fakes->fileDialog.choices << m_install + "-quelle/kein Bild.png";
        Click(editor, "bDocReplace");
        QCOMPARE(onlyMessage().left(40), QString("Die Datei ''kein Bild.png'' ist weder ei"));
        QCOMPARE(ReadAll(form), old);

        m_fakes->msg.shown.clear();
        WriteSolidPicture(m_install + "-quelle/neu.bmp", kFallbackColour, "BMP");
        m_fakes->fileDialog.choices << m_install + "-quelle/neu.bmp";
        Click(editor, "bDocReplace");
        QCOMPARE(m_fakes->msg.shown.size(), 0);
        QCOMPARE(ReadAll(form), ReadAll(m_install + "-quelle/neu.bmp"));
        QCOMPARE(ReadAll(m_install + "/DOCFORM0.BAK"), old);
        QCOMPARE(colour(), QChar('g'));
        QVERIFY(m_fakes->fileDialog.requests.last().filter.startsWith("Bilder und PDF-Dokumente|*.jpg; *.jpeg; "));

        m_fakes->msg.answers << vv::vbNo;
        Click(editor, "bDocKill");
        QCOMPARE(m_fakes->msg.shown.last().style, int(vv::Buttons::YesNo | vv::Icon::Exclamation));
        QVERIFY(QFileInfo::exists(form));
        m_fakes->msg.answers << vv::vbYes;
        Click(editor, "bDocKill");
        QVERIFY(!QFileInfo::exists(form));
        QVERIFY(QFileInfo::exists(vv::HomeTrashFolder() + "/files/DOCFORM0.DLL"));
        QCOMPARE(show->property("tag").toString(), QString());
        QVERIFY(!child<QPushButton>("bDocShow")->isEnabled());
        QVERIFY(!child<QPushButton>("bDocKill")->isEnabled());
        QVERIFY(child<QPushButton>("bDocReplace")->isEnabled());
    }

    // Tab 5: the stored PDF program, changed through the choice dialog or
    // to the desktop's default; without one a message and no change.
    void pdfProgram()
    {
        makeRoot();
        QVERIFY(m_fakes->registry->WriteRegistryValue(vv::kProductKey, "PdfEditor", "/opt/alt/leser"));
        vv::Editor *editor = open("5");
        auto *field = child<QLineEdit>("tPdfProgramm");
        QCOMPARE(field->text(), QString("/opt/alt/leser"));
        QCOMPARE(child<QPushButton>("bPdfProgramm")->text(), QString("Ändern …"));

        m_fakes->fileDialog.choices << "/opt/neu/leser";
        Click(editor, "bPdfProgramm");
        QCOMPARE(field->text(), QString("/opt/neu/leser"));
        QCOMPARE(vv::StoredPdfProgram(*m_fakes->registry), QString("/opt/neu/leser"));
        Click(editor, "bPdfProgramm"); // Cancel
        QCOMPARE(field->text(), QString("/opt/neu/leser"));

        Click(editor, "bPdfStandard"); // no default in the test's desktop
        QVERIFY(onlyMessage().startsWith("Auf diesem Desktop ist kein Standardprogramm"));
        QCOMPARE(field->text(), QString("/opt/neu/leser"));

        const QString sh = QStandardPaths::findExecutable("sh");
        WriteAll(m_tmp.path() + "/usr-share/applications/leser.desktop",
                 "[Desktop Entry]\nType=Application\nName=Leser\nExec=sh %f\n");
        WriteAll(m_tmp.path() + "/home/.config/mimeapps.list", "[Default Applications]\napplication/pdf=leser.desktop\n");
        m_fakes->msg.shown.clear();
        Click(editor, "bPdfStandard");
        QFile::remove(m_tmp.path() + "/home/.config/mimeapps.list");
        QCOMPARE(m_fakes->msg.shown.size(), 0);
        QCOMPARE(field->text(), sh);
        QCOMPARE(vv::StoredPdfProgram(*m_fakes->registry), sh);
    }

    // Tab 5's preview maker over the fixture: one real PDF gets its ".jpg",
    // the fixture's stand-in PDFs are skipped; Cancel stops before the first.
    void makePreviews()
    {
        makeRoot();
        QPdfWriter writer(m_templates + "/Steuern/Ohne.pdf");
        writer.setPageMargins(QMarginsF());
        {
            QPainter p(&writer);
            p.fillRect(QRect(0, 0, writer.width(), writer.height()), kJpgColour);
        }
        vv::Editor *editor = open("5");
        QTimer::singleShot(0, editor, [editor] { editor->findChild<QProgressDialog *>()->cancel(); });
        Click(editor, "bVorschauErzeugen");
        QVERIFY(onlyMessage().contains("\n \nAbgebrochen: 2 Dokumente wurden nicht bearbeitet.|"));
        QVERIFY(!QFileInfo::exists(m_templates + "/Steuern/Ohne.jpg"));

        m_fakes->msg.shown.clear();
        Click(editor, "bVorschauErzeugen");
        QCOMPARE(onlyMessage(), QString("Erzeugte Vorschaubilder: 1\nÜbersprungen (geschützt oder beschädigt): 1\n"
                                        "Fehlgeschlagen (nicht gespeichert): 0|64| Veltrano Vorlagen-Bibliothek"));
        QCOMPARE(ColourName(QImage(m_templates + "/Steuern/Ohne.jpg").pixelColor(5, 5)), QChar('r'));
        QVERIFY(!QFileInfo::exists(m_templates + "/Verträge/Mietvertrag.jpg"));
    }

    // Without the PDF module the preview maker and a PDF template say so and
    // write nothing; a picture template needs no module.
    void noPdfModule()
    {
        makeRoot(false);
        const QString pdf = m_templates + "/Steuern/Ohne.pdf";
        {
            QPdfWriter writer(pdf);
            QPainter p(&writer);
            p.fillRect(QRect(0, 0, writer.width(), writer.height()), kJpgColour);
        }
        const QString problem = "Die PDF-Darstellung des Programms (" + m_install + "-ohne-pdf/"
            + vv::PdfModule::FileName() + ") fehlt oder lässt sich nicht laden; PDF-Seiten können nicht gezeichnet "
            "werden. Bitte installieren Sie das Programm neu.|16| Veltrano Vorlagen-Bibliothek";
        vv::Editor *editor = open("5");
        Click(editor, "bVorschauErzeugen");
        QCOMPARE(onlyMessage(), problem);
        QVERIFY(!QFileInfo::exists(m_templates + "/Steuern/Ohne.jpg"));

        QTest::mouseClick(child<QPushButton>("bTabs4"), Qt::LeftButton);
        const QString form = m_install + "/DOCFORM0.DLL";
        const QByteArray old = ReadAll(form);
        m_fakes->msg.shown.clear();
        m_fakes->fileDialog.choices << pdf;
        Click(editor, "bDocReplace");
        QCOMPARE(onlyMessage(), QString(problem).replace("|16|", "|48|"));
        QCOMPARE(ReadAll(form), old);

        m_fakes->msg.shown.clear();
        QVERIFY(QDir().mkpath(m_install + "-quelle"));
        WriteSolidPicture(m_install + "-quelle/neu.bmp", kFallbackColour, "BMP");
        m_fakes->fileDialog.choices << m_install + "-quelle/neu.bmp";
        Click(editor, "bDocReplace");
        QCOMPARE(m_fakes->msg.shown.size(), 0);
        QCOMPARE(ReadAll(form), ReadAll(m_install + "-quelle/neu.bmp"));
    }

    // The folders come from the settings store through the model.
    void folders()
    {
        makeRoot();
        open();
        QCOMPARE(child<QLabel>("LrDatabase")->text(), m_install + "/");
        QCOMPARE(child<QLabel>("LrVorlagen")->text(), m_templates);
        QCOMPARE(child<QLineEdit>("tVorlageOrdner")->text(), m_templates);
        QString stored;
        QVERIFY(m_fakes->registry->ReadRegistryValue(vv::kProductKey, "Database", stored));
        QCOMPARE(stored, m_install + "/");
    }

    // Tab 1: A (a PDF), B (empty), C, and B again under key 04.
    void deleteCategory_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("content"); // a file put into the folder
        QTest::addColumn<int>("answer");
        QTest::addColumn<QString>("styles");
        QTest::addColumn<QStringList>("cat"); // "CAT" afterwards
        QTest::addColumn<bool>("folderStays");
        const QStringList all{"01=A", "02=B", "03=C", "04=B"}, withoutB{"01=A", "03=C", "04=B"};
        QTest::newRow("empty, first of two keys") << "B" << "" << int(vv::vbYes) << "52" << withoutB << false;
        QTest::newRow("pictures only, folder stays") << "B" << "x.gif" << int(vv::vbYes) << "52" << withoutB << true;
        QTest::newRow("a PDF refuses") << "A" << "" << int(vv::vbYes) << "52 16" << all << true;
        QTest::newRow("no") << "B" << "" << int(vv::vbNo) << "52" << all << true;
        QTest::newRow("in no key") << "D" << "" << int(vv::vbYes) << "52" << all << false;
        QTest::newRow("nothing selected") << "" << "" << int(vv::vbYes) << "" << all << true;
    }
    void deleteCategory()
    {
        QFETCH(QString, name);
        QFETCH(QString, content);
        QFETCH(int, answer);
        QFETCH(QString, styles);
        QFETCH(QStringList, cat);
        QFETCH(bool, folderStays);
        makeRoot();
        const QString user = m_templates + "/User.dat";
        QFile::remove(user);
        for (const char *c : {"01=A", "02=B", "03=C", "04=B"}) {
            const QStringList kv = QString(c).split('=');
            vv::WriteIniValue(user, "CAT", kv[0], kv[1]);
            vv::WriteIniValue(user, "DIR", kv[0], "\\" + kv[1]);
            QDir().mkpath(m_templates + "/" + kv[1]);
        }
        QDir().mkpath(m_templates + "/D");
        WriteAll(m_templates + "/A/a.pdf", SmallPdf("a"));
        if (!content.isEmpty())
            WriteAll(m_templates + "/" + name + "/" + content, "GIF89a");
        const QByteArray before = ReadAll(user);
        vv::Editor *editor = open("1");
        auto *list = child<QListWidget>("LFilelist");
        list->addItem("D"); // gone from the file since the tab was loaded
        const auto found = list->findItems(name, Qt::MatchExactly);
        if (name.isEmpty())
            list->clearSelection();
        else
            list->setCurrentItem(found.first());
        m_fakes->msg.answers << answer;
        Click(editor, "bRemove");

        QStringList shown;
        for (const ShownMessage &m : m_fakes->msg.shown)
            shown << QString::number(m.style);
        QCOMPARE(shown.join(' '), styles);
        if (!styles.isEmpty())
            QCOMPARE(m_fakes->msg.shown.first().text,
                     "Kategorien enthalten Dokumente (siehe Menüpunkt) und können nur gelöscht werden, wenn der "
                     "Ordner keine Einträge mehr enthält. \n \nMöchten Sie ''" + name + "'' jetzt löschen ?");
        QStringList catAfter;
        for (int k = 1; k <= 4; ++k)
            if (!vv::ReadIniValue(user, "CAT", QString("0%1").arg(k)).isEmpty())
                catAfter << QString("0%1=").arg(k) + vv::ReadIniValue(user, "CAT", QString("0%1").arg(k));
        QCOMPARE(catAfter, cat);
        const bool deleted = styles == "52" && answer == vv::vbYes;
        QCOMPARE(editor->deletedMarker(), deleted ? 1 : 0);
        QCOMPARE(QFile::exists(m_templates + "/User.bak"), deleted); // no backup before the answer
        if (deleted) {
            QStringList names;
            for (const QString &c : cat)
                names << c.mid(3);
            QCOMPARE(Entries(list), names);
            QCOMPARE(QFileInfo::exists(m_templates + "/" + name), folderStays);
        } else {
            QCOMPARE(ReadAll(user), before);
            QVERIFY(QFileInfo::exists(m_templates + "/" + (name.isEmpty() ? "B" : name)));
        }
    }

    // Tab 2: the document and its ".gif" go to the trash, a ".jpg" stays.
    void deleteDocument_data()
    {
        QTest::addColumn<QString>("document");
        QTest::addColumn<int>("answer");
        QTest::addColumn<QStringList>("left"); // in the folder afterwards
        QTest::addColumn<QStringList>("trash");
        const QStringList all{"Antrag.gif", "Antrag.jpg", "Antrag.pdf", "Ohne.pdf"};
        QTest::newRow("with gif and jpg") << "Antrag.pdf" << int(vv::vbYes) << QStringList{"Antrag.jpg", "Ohne.pdf"}
                                          << QStringList{"Antrag.gif", "Antrag.pdf"};
        QTest::newRow("no preview") << "Ohne.pdf" << int(vv::vbYes) << QStringList{"Antrag.gif", "Antrag.jpg", "Antrag.pdf"}
                                    << QStringList{"Ohne.pdf"};
        QTest::newRow("no") << "Antrag.pdf" << int(vv::vbNo) << all << QStringList();
        QTest::newRow("already gone") << "Ohne.pdf" << int(vv::vbYes) << QStringList{"Antrag.gif", "Antrag.jpg", "Antrag.pdf"}
                                      << QStringList();
    }
    void deleteDocument()
    {
        QFETCH(QString, document);
        QFETCH(int, answer);
        QFETCH(QStringList, left);
        QFETCH(QStringList, trash);
        makeRoot();
        const QString folder = m_templates + "/Steuern";
        for (const QString &f : Names(folder))
            if (!f.startsWith("Antrag") && f != "Ohne.pdf")
                QFile::remove(folder + "/" + f);
        WriteSolidPicture(folder + "/Antrag.gif", kGifColour, "GIF");
        QDir(vv::HomeTrashFolder()).removeRecursively();
        vv::Editor *editor = open("2");
        auto *list = child<QListWidget>("LFilelist");
        QCOMPARE(Entries(list), (QStringList{"Antrag.pdf", "Ohne.pdf"}));
        list->setCurrentItem(list->findItems(document, Qt::MatchExactly).first());
        if (QTest::currentDataTag() == QByteArray("already gone"))
            QFile::remove(folder + "/" + document);
        m_fakes->msg.answers << answer;
        Click(editor, "bRemove");
        QCOMPARE(onlyMessage(), "Dokumente werden in den Papierkorb verschoben. Standard-Dokumente können unter den "
                                "Optionen wiederhergestellt werden.\n \nDie ''" + document + "'' jetzt löschen ? |52| "
                                "Veltrano Vorlagen-Bibliothek");
        QCOMPARE(Names(folder), left);
        QCOMPARE(Names(vv::HomeTrashFolder() + "/files"), trash);
        QCOMPARE(list->count(), answer == vv::vbYes ? 1 : 2);
        QCOMPARE(editor->deletedMarker(), answer == vv::vbYes ? 1 : 0);
    }

    // The add button on tab 2 selects the same places in the main window,
    // opens the add dialog and closes the editor.
    void handOver()
    {
        makeRoot();
        vv::WriteIniValue(m_templates + "/User.dat", "CAT", "02", "");
        Child<QComboBox>(m_root.get(), "LCategory")->clear();
        Child<QComboBox>(m_root.get(), "LCategory")->addItems({"Steuern", "Leer"});
        vv::Editor *editor = open("2");
        child<QListWidget>("LSubject")->setCurrentRow(1);
        child<QListWidget>("LSubject")->setCurrentRow(0);
        child<QListWidget>("LFilelist")->setCurrentRow(2);
        QString shownCategory, shownDocument;
        bool editorHidden = false;
        // Answers the add dialog once it runs modal.
        std::function<void()> poll = [&] {
            auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget());
            if (!dialog || dialog->objectName() != "AddNew") {
                QTimer::singleShot(10, poll);
                return;
            }
            shownCategory = Child<QComboBox>(m_root.get(), "LCategory")->currentText();
            shownDocument = m_root->selectedDocument();
            editorHidden = !m_root->editor()->isVisible();
            dialog->reject();
        };
        QTimer::singleShot(0, poll);
        Click(editor, "bAddfile");
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCOMPARE(shownCategory, "Steuern");
        QCOMPARE(shownDocument, "Gif.pdf");
        QVERIFY(editorHidden);
        QVERIFY(!m_root->editor());
        QVERIFY(m_root->isVisible());
    }

    // Tab 2's favourite button writes the highest free slot and shows tab 3.
    void addFavourite_data()
    {
        QTest::addColumn<int>("taken"); // slots 0.. taken before
        QTest::addColumn<QStringList>("usedSlots");
        QTest::newRow("four taken") << 4 << QStringList{"0", "1", "2", "3", "8", "9"};
        QTest::newRow("all taken") << 10 << QStringList{"0", "1", "2", "3", "4", "5", "6", "7", "8", "9"};
    }
    void addFavourite()
    {
        QFETCH(int, taken);
        QFETCH(QStringList, usedSlots);
        makeRoot();
        const QString dat = m_install + "/VORLAGEN.DAT";
        for (int i = 0; i < taken; ++i) {
            vv::WriteIniValue(dat, "DOCS", QString::number(i), QString("Alt %1").arg(i));
            vv::WriteIniValue(dat, "PDFFILE", QString::number(i), QString("\\Vorlagen\\Steuern\\%1.pdf").arg(i));
        }
        vv::Editor *editor = open("2");
        for (const char *doc : {"Gif.pdf", "Ohne.pdf"}) {
            editor->SelectTab(2);
            child<QListWidget>("LFilelist")->setCurrentItem(
                child<QListWidget>("LFilelist")->findItems(doc, Qt::MatchExactly).first());
            Click(editor, "bFavoriten");
        }
        QStringList used;
        for (int i = 0; i < 10; ++i)
            if (!vv::ReadIniValue(dat, "PDFFILE", QString::number(i)).isEmpty())
                used << QString::number(i);
        QCOMPARE(used, usedSlots);
        if (taken == 10) {
            QCOMPARE(m_fakes->msg.shown.size(), 2);
            QCOMPARE(m_fakes->msg.shown.first().text, "Es können maximal 10 Favoriten gespeichert werden. \n"
                                                      "Löschen Sie bitte einen Eintrag aus den Favoriten.");
            QCOMPARE(m_fakes->msg.shown.first().style, 16);
            QCOMPARE(editor->tabNumber(), 2);
            return;
        }
        QCOMPARE(editor->tabNumber(), 3);
        QCOMPARE(vv::ReadIniValue(dat, "DOCS", "9"), "Gif");
        QCOMPARE(vv::ReadIniValue(dat, "PDFFILE", "8"), "\\Vorlagen\\Steuern\\Ohne.pdf");
        auto *list = child<QListWidget>("LFilelist");
        QCOMPARE(list->count(), 6);
        QVERIFY(list->item(4)->text().startsWith("Ohne\t"));
        QVERIFY(!child<QPushButton>("bSpeichern")->isEnabled());
        // A move enables saving; the save writes the list's order from slot 0.
        list->setCurrentRow(5);
        Click(editor, "BAufwärts");
        QVERIFY(child<QPushButton>("bSpeichern")->isEnabled());
        Click(editor, "bSpeichern");
        QCOMPARE(vv::ReadIniValue(dat, "DOCS", "4") + "," + vv::ReadIniValue(dat, "DOCS", "5"), "Gif,Ohne");
        QCOMPARE(editor->changesMarker(), 1);
        QVERIFY(QFile::exists(m_install + "/VORLAGEN.BAK"));
    }

    // Tab 3: relabel, remove, show the path, and a file that cannot be written.
    void favouritesTab()
    {
        makeRoot();
        const QString dat = m_install + "/VORLAGEN.DAT";
        const char *entries[][3] = {{"0", "Gleich", "\\Vorlagen\\Steuern\\Antrag.pdf"},
                                    {"1", "Gleich", "\\Vorlagen\\Steuern\\Ohne.pdf"},
                                    {"2", "Miete", "\\Vorlagen\\Verträge\\Mietvertrag.pdf"}};
        for (const auto &e : entries) {
            vv::WriteIniValue(dat, "DOCS", e[0], QString::fromUtf8(e[1]));
            vv::WriteIniValue(dat, "PDFFILE", e[0], QString::fromUtf8(e[2]));
        }
        vv::Editor *editor = open("3");
        auto *list = child<QListWidget>("LFilelist");
        auto rightClick = [&] { QTest::mousePress(list->viewport(), Qt::RightButton, {}, QPoint(5, 5)); };

        list->setCurrentRow(1);
        m_fakes->msg.inputs << "Neu\tname" << "";
        rightClick(); // the lower slot of the label changes, a TAB becomes a blank
        rightClick(); // Cancel
        QCOMPARE(m_fakes->msg.shown.size(), 2);
        m_fakes->msg.shown.removeLast();
        QCOMPARE(onlyMessage(), "Bitte geben Sie dem Eintrag eine Bezeichnung:|-1| Beschreibung");
        m_fakes->msg.shown.clear();
        QCOMPARE(vv::ReadIniValue(dat, "DOCS", "0") + "|" + vv::ReadIniValue(dat, "DOCS", "1"), "Neu name|Gleich");
        QCOMPARE(list->currentRow(), 1);

        list->setCurrentRow(2);
        Click(editor, "bAddfile");
        QCOMPARE(onlyMessage(), "\\Vorlagen\\Verträge\\Mietvertrag.pdf|64|Veltrano Vorlagen-Bibliothek");

        const QByteArray before = ReadAll(dat);
        QFile(dat).setPermissions(QFile::ReadOwner);
        list->setCurrentRow(0);
        Click(editor, "bRemove"); // the file cannot be written: it stays whole
        QFile(dat).setPermissions(QFile::ReadOwner | QFile::WriteOwner);
        if (QFileInfo(dat).isWritable() && geteuid() != 0)
            QCOMPARE(ReadAll(dat), before);
        Click(editor, "bRemove"); // the save left the last entry selected
        QCOMPARE(vv::ReadIniValue(dat, "PDFFILE", "0"), "\\Vorlagen\\Steuern\\Ohne.pdf");
        QCOMPARE(vv::ReadIniValue(dat, "PDFFILE", "1"), "");
        QCOMPARE(editor->changesMarker(), 1);
    }

    // After a save, OK on the restart message starts the relay, which starts
    // the program again once this one has ended: real relay, real program.
    void restartThroughTheRelay()
    {
        makeRoot();
        const QString install = m_tmp.path() + "/Geschäftsstelle Süd";
        MakeInstallation(install);
        for (const char *program : {"vorlagen", "APPRELAY.EXE"})
            QVERIFY(QFile::copy(QStringLiteral(VV_INSTALL_DIR "/") + program, install + "/" + program));
        vv::SystemProcess process;
        vv::Services services = m_fakes->services();
        services.process = &process;
        m_root = std::make_unique<vv::Root>(install, services);
        QVERIFY(m_root->Load());
        // This test stands in for the running program until the editor has ended it.
        auto running = std::make_unique<vv::HostLinkServer>();
        QVERIFY(running->listen(install));

        vv::Editor *editor = open("3");
        editor->enableSave();
        Click(editor, "bSpeichern");
        closeEditor();
        QCOMPARE(m_fakes->msg.shown.last().text, "Die Änderungen werden nach dem Neustart von Ordinalis wirksam. ");
        QCOMPARE(m_fakes->exit.exitNowCodes, QList<int>{0});
        // A relay that did not wait would start a program that finds this
        // one answering and ends at once; nothing would answer afterwards.
        QTest::qWait(500);
        running.reset();

        bool restarted = false;
        for (int i = 0; i < 100 && !restarted; ++i, QTest::qWait(100))
            restarted = vv::SendHostText(install, "$Start$", 500) == vv::HostSendResult::Delivered;
        QVERIFY(restarted);
        QCOMPARE(vv::SendHostText(install, "$Ende$"), vv::HostSendResult::Delivered);
        for (int i = 0; i < 50 && vv::HostLinkAnswers(install, 200); ++i)
            QTest::qWait(100);
        QVERIFY(!vv::HostLinkAnswers(install, 200));
    }

    // Tab 1's add button: a refused name is offered again with its message,
    // a good one lands in the list, selected, and in the main window's list;
    // Cancel ends without a trace.
    void createCategory()
    {
        makeRoot();
        vv::Editor *editor = open("1");
        const QByteArray before = ReadAll(m_templates + "/User.dat");
        Click(editor, "bAddfile"); // no answer queued: Cancel
        QCOMPARE(m_fakes->msg.shown.size(), 1);
        QCOMPARE(m_fakes->msg.shown[0].style, -1);
        QCOMPARE(m_fakes->msg.shown[0].text, QString("Name der neuen Kategorie:"));
        QCOMPARE(ReadAll(m_templates + "/User.dat"), before);

        m_fakes->msg.shown.clear();
        m_fakes->msg.inputs << QStringLiteral("") << "steuern" << "Vereine"; // "" is OK on an empty field
        Click(editor, "bAddfile");
        QStringList texts;
        for (const ShownMessage &m : m_fakes->msg.shown)
            texts << QString::number(m.style) + ":" + m.text.left(20);
        QStringList expected{"-1:Name der neuen Kategorie:", "48:Bitte geben Sie einen Namen",
                             "-1:Name der neuen Kategorie:", "48:Eine Kategorie oder ein Ordner",
                             "-1:Name der neuen Kategorie:"};
        for (QString &e : expected)
            e = e.left(e.indexOf(':') + 21);
        QCOMPARE(texts, expected);
        auto *list = child<QListWidget>("LFilelist");
        QCOMPARE(Entries(list), (QStringList{"Steuern", "Verträge", "Leer", "Vereine"}));
        QCOMPARE(list->currentItem()->text(), QString("Vereine"));
        QVERIFY(QFileInfo(m_templates + "/Vereine").isDir());
        auto *category = Child<QComboBox>(m_root.get(), "LCategory");
        QCOMPARE(category->count(), 4);
        QCOMPARE(category->itemText(3), QString("Vereine"));
        QCOMPARE(category->currentIndex(), 0);
        QCOMPARE(editor->deletedMarker(), 0);
    }

    // The save button off the favourites tab: on tab 1 the index in the
    // list's order, each name with its folder; on tab 2 only the backups.
    void saveCategoryOrder()
    {
        makeRoot();
        const QString user = m_templates + "/User.dat";
        vv::WriteIniValue(user, "DIR", "03", "\\Leerordner");
        vv::Editor *editor = open("3");
        editor->enableSave();
        editor->SelectTab(2);
        const QByteArray before = ReadAll(user);
        Click(editor, "bSpeichern");
        QCOMPARE(ReadAll(user), before);
        QCOMPARE(ReadAll(m_templates + "/User.tmp"), before);
        QCOMPARE(ReadAll(m_templates + "/User.bak"), before);
        editor->SelectTab(1);
        vv::MoveItemTo(child<QListWidget>("LFilelist"), 0); // Steuern stays first
        child<QListWidget>("LFilelist")->setCurrentRow(2);
        vv::MoveItemTo(child<QListWidget>("LFilelist"), 0);
        Click(editor, "bSpeichern");
        QCOMPARE(vv::ReadIniValue(user, "CAT", "01") + "," + vv::ReadIniValue(user, "DIR", "01"), "Leer,\\Leerordner");
        QCOMPARE(vv::ReadIniValue(user, "CAT", "02") + "," + vv::ReadIniValue(user, "DIR", "02"), "Steuern,Steuern");
    }
};

QTEST_MAIN(TestEditor)
#include "tst_editor.moc"
