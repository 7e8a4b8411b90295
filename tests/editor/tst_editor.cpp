// The library editor over a temporary installation, opened from the real
// main window with every seam faked: the tab column, what each tab shows,
// the options tab's download and update, and the closing.

#include "../dialogs/DialogFixture.h"
#include "Editor.h"
#include "Installation.h"
#include "PowerOfAttorneyPage.h"
#include "Root.h"
#include "Settings.h"
#include "TabColumn.h"
#include "Twips.h"

#include <QAction>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>

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

    // A fresh installation, fakes and main window per test.
    void makeRoot()
    {
        m_root.reset();
        m_install = m_tmp.path() + "/inst" + QString::number(++m_run);
        m_templates = MakeInstallation(m_install);
        for (int n = 0; n < 5; ++n)
            WriteSolidPicture(m_install + QString("/DOCFORM%1.DLL").arg(n), n % 2 ? kGifColour : kJpgColour, "PNG");
        m_fakes = std::make_unique<FakeServices>(m_install + "-fakes");
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
        // 25 megapixels, a few kilobytes on disk: not decoded, so no wait.
        QImage huge(5000, 5000, QImage::Format_Mono);
        huge.fill(0);
        QVERIFY(huge.save(m_install + "/DOCFORM1.DLL", "PNG"));
        QElapsedTimer timer;
        timer.start();
        type->setCurrentIndex(1);
        QVERIFY(timer.elapsed() < 1000);
        QCOMPARE(show->property("tag").toString(), m_install + "/DOCFORM1.DLL");
        QCOMPARE(colour(), QChar('b'));
        editor->SelectTab(1);
        editor->SelectTab(4);
        QCOMPARE(type->currentIndex(), 1);
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
};

QTEST_MAIN(TestEditor)
#include "tst_editor.moc"
