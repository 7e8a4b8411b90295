// The add-document dialog over a temporary installation: which files land in
// the category folder, what the user file holds, and what the user is asked.

#include "AddNew.h"
#include "DialogFixture.h"
#include "GifWriter.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>

#include <memory>

using namespace vvtest;

class TestAddNew : public QObject {
    Q_OBJECT

    QTemporaryDir m_tmp;
    QString m_templates, m_user, m_source;
    std::unique_ptr<FakeServices> m_fakes;
    std::unique_ptr<FakeMainWindow> m_main;
    std::unique_ptr<vv::AddNew> m_dlg;

    template <class T> T *child(const char *name) { return Child<T>(m_dlg.get(), name); }
    QString src(const QString &name) const { return m_source + "/" + name; }
    QString steuern(const QString &name = QString()) const { return m_templates + "/Steuern/" + name; }
    void choose(const char *control, const QString &file)
    {
        m_fakes->fileDialog.choices.enqueue(file.isEmpty() ? QString() : src(file));
        Click(m_dlg.get(), control);
    }
    QPlainTextEdit *help() { return child<QPlainTextEdit>("tHilfetext"); }
    QLineEdit *filename() { return child<QLineEdit>("tFilename"); }
    QString state() { return filename()->text() + " " + m_dlg->modeMark(); }

private slots:
    void initTestCase() { IsolateEnvironment(m_tmp.path()); }

    void init()
    {
        const QString install = m_tmp.path() + "/inst";
        m_templates = MakeLibrary(install);
        m_user = m_templates + "/User.dat";
        WriteAll(steuern("Vorhanden.pdf"), "%PDF alt");
        WriteAll(steuern("Vorhanden.gif"), "GIF alt");
        m_source = m_tmp.path() + "/quelle";
        WriteAll(src("Antrag.pdf"), "%PDF Antrag");
        WriteAll(src("Vorhanden.pdf"), "%PDF neu und länger");
        WriteAll(src("text.jpg"), "kein Bild");
        QImage picture(8, 8, QImage::Format_RGB32);
        picture.fill(Qt::red);
        for (const char *name : {"bild.jpg", "x.jpeg", "foto.dat"})
            QVERIFY(picture.save(src(name), "JPEG"));
        QVERIFY(vv::WriteGif(picture, src("x.gif")));

        m_fakes = std::make_unique<FakeServices>(m_tmp.path() + "/fakes");
        m_main = std::make_unique<FakeMainWindow>(install);
        m_dlg = std::make_unique<vv::AddNew>(*m_main, m_fakes->services());
        m_dlg->show();
    }

    void cleanup()
    {
        m_dlg.reset();
        m_main.reset();
    }

    // The preview is stored under the document's name with the picture's
    // last three characters as extension; only real pictures are taken.
    void add_data()
    {
        QTest::addColumn<int>("category");
        QTest::addColumn<QString>("preview");
        QTest::addColumn<QByteArray>("clicked");
        QTest::addColumn<QString>("stored");
        QTest::newRow("jpg") << 0 << "bild.jpg" << QByteArray("pImage") << "Antrag.jpg";
        QTest::newRow("gif, frame, umlaut category") << 1 << "x.gif" << QByteArray("pVorschau") << "Antrag.gif";
        QTest::newRow("picture by content") << 0 << "foto.dat" << QByteArray("pImage") << "Antrag.dat";
        QTest::newRow("preview cancelled") << 0 << "" << QByteArray("pVorschau") << "";
        QTest::newRow("not a picture") << 0 << "text.jpg" << QByteArray("pImage") << "";
    }

    void add()
    {
        QFETCH(int, category);
        QFETCH(QString, preview);
        QFETCH(QByteArray, clicked);
        QFETCH(QString, stored);
        m_main->index = category;
        const QString folder = m_templates + "/" + m_main->categoryText() + "/";
        QStringList expected = Names(folder) << "Antrag.pdf";
        const QByteArray userBefore = ReadAll(m_user);

        choose("bDateiwahl", "Antrag.pdf");
        QCOMPARE(state(), src("Antrag.pdf") + " 1");
        choose(clicked.constData(), preview);
        QCOMPARE(m_dlg->previewPath(), stored.isEmpty() ? QString() : src(preview));
        if (!preview.isEmpty() && stored.isEmpty()) {
            QCOMPARE(m_fakes->msg.shown.size(), 1);
            const ShownMessage &m = m_fakes->msg.shown.first();
            QCOMPARE(QString::number(m.style) + m.title, QString("48Hinzufügen"));
            QVERIFY2(m.text.contains("\"text.jpg\" ist kein Bild"), qPrintable(m.text));
            QVERIFY(m_dlg->isVisible());
        } else {
            QVERIFY(m_fakes->msg.shown.isEmpty());
        }
        const QString text = QString("Antrag ausfüllen ").repeated(20); // beyond 254 characters
        help()->setPlainText(text);
        Click(m_dlg.get(), "bHinzufügen");

        if (!stored.isEmpty()) {
            expected << stored;
            QCOMPARE(ReadAll(folder + stored), ReadAll(src(preview)));
        }
        expected.sort();
        QCOMPARE(Names(folder), expected);
        QCOMPARE(ReadAll(folder + "Antrag.pdf"), ReadAll(src("Antrag.pdf")));
        QVERIFY(ReadAll(m_user).contains("\r\nAntrag.pdf=" + text.toLatin1() + "\r\n"));
        QCOMPARE(ReadAll(m_templates + "/User.bak"), userBefore);
        QCOMPARE(m_main->selected, QList<int>{category});
        QCOMPARE(m_main->loads, 1);
        QVERIFY(m_fakes->clock.reads >= 2); // the pause ran on the clock seam
        QVERIFY(!m_dlg->isVisible());

        QStringList asked;
        for (const DialogRequest &r : m_fakes->fileDialog.requests)
            asked << r.title + "|" + r.folder + "|" + r.filter + "|" + r.defaultExt;
        QCOMPARE(asked, QStringList({"Datei öffnen||Pdf-Dokumente|*.pdf|Alle Dateitypen|*.*|pdf",
                                     "Datei öffnen||Bilder|*.jpg; *.gif|Alle Dateitypen|*.*|jpg, gif"}));
    }

    // An existing document: the question, and in edit mode only the help text.
    void existing_data()
    {
        QTest::addColumn<bool>("edit");
        QTest::addColumn<int>("answer");
        QTest::newRow("chosen, yes") << false << int(vv::vbYes);
        QTest::newRow("chosen, no") << false << int(vv::vbNo);
        QTest::newRow("edit, yes") << true << int(vv::vbYes);
        QTest::newRow("edit, no") << true << int(vv::vbNo);
    }

    void existing()
    {
        QFETCH(bool, edit);
        QFETCH(int, answer);
        if (edit) {
            QPixmap shown(4, 4);
            shown.fill(Qt::blue);
            m_dlg->setEditMode("Vorhanden.pdf", "alt", shown);
            QCOMPARE(m_dlg->windowTitle() + " " + state() + " " + help()->toPlainText(),
                     QString("Bearbeiten Vorhanden.pdf 0 alt"));
            QCOMPARE(child<QLabel>("pImage")->pixmap().toImage().pixelColor(0, 0), QColor(Qt::blue));
            choose("pImage", "x.gif"); // shown, never stored in this mode
        } else {
            choose("bDateiwahl", "Vorhanden.pdf");
        }
        const QStringList files = Names(steuern());
        const QByteArray userBefore = ReadAll(m_user);
        const QString text = QString("geändert ").repeated(40);
        help()->setPlainText(text);
        m_fakes->msg.answers.enqueue(answer);
        Qt::CursorShape during = Qt::ArrowCursor;
        m_fakes->msg.whileOpen = [&] {
            if (QApplication::overrideCursor())
                during = QApplication::overrideCursor()->shape();
        };
        Click(m_dlg.get(), "bHinzufügen");

        QCOMPARE(OnlyMessage(m_fakes->msg),
                 QString("Möchten Sie die Informationen für das ausgewählte Dokument ändern. |36| Dokumente bearbeiten"));
        QCOMPARE(during, Qt::BusyCursor);
        QVERIFY(!QApplication::overrideCursor());
        QCOMPARE(Names(steuern()), files);
        QCOMPARE(ReadAll(steuern("Vorhanden.gif")), QByteArray("GIF alt"));

        const bool yes = answer == vv::vbYes;
        QCOMPARE(ReadAll(steuern("Vorhanden.pdf")), yes && !edit ? ReadAll(src("Vorhanden.pdf")) : QByteArray("%PDF alt"));
        QCOMPARE(m_dlg->isVisible(), !yes);
        QCOMPARE(m_main->loads, yes ? 1 : 0);
        if (yes) {
            QCOMPARE(vv::ReadIniValue(m_user, "INFO", "Vorhanden.pdf"), text.left(254));
            QVERIFY(ReadAll(m_user).contains("=" + text.toLatin1() + "\r\n")); // stored whole
            QCOMPARE(ReadAll(m_templates + "/User.bak"), userBefore);
            QCOMPARE(m_fakes->clock.reads > 0, !edit); // only a copy waits
        } else {
            QCOMPARE(ReadAll(m_user), userBefore);
            QVERIFY(!QFile::exists(m_templates + "/User.bak"));
            QCOMPARE(help()->toPlainText(), text);
        }
    }

    // A second OK while the first one pauses would back the user file up
    // over the half-changed one.
    void okRunsOnce()
    {
        choose("bDateiwahl", "Antrag.pdf");
        const QByteArray userBefore = ReadAll(m_user);
        bool disabled = false;
        m_fakes->clock.duringPause = [&] {
            disabled |= !child<QPushButton>("bHinzufügen")->isEnabled();
            help()->setPlainText("zweiter Druck");
            m_dlg->OkCommand();
        };
        Click(m_dlg.get(), "bHinzufügen");
        m_fakes->clock.duringPause = nullptr;
        QVERIFY(disabled);
        QCOMPARE(ReadAll(m_templates + "/User.bak"), userBefore);
        QCOMPARE(m_main->loads, 1);
        // The next opening can add again.
        m_dlg->show();
        QVERIFY(child<QPushButton>("bHinzufügen")->isEnabled());
    }

    // A path that did not come from the file dialog is never copied.
    void typedPath_data()
    {
        QTest::addColumn<bool>("choseFirst");
        QTest::newRow("typed") << false;
        QTest::newRow("chosen, then edited") << true;
    }

    void typedPath()
    {
        QFETCH(bool, choseFirst);
        if (choseFirst) {
            choose("bDateiwahl", "Vorhanden.pdf");
            filename()->clear();
        }
        QTest::keyClicks(filename(), src("Antrag.pdf"));
        QCOMPARE(m_dlg->modeMark(), QString("0"));
        help()->setPlainText("getippt");
        Click(m_dlg.get(), "bHinzufügen");

        QVERIFY(!QFile::exists(steuern("Antrag.pdf")));
        QCOMPARE(vv::ReadIniValue(m_user, "INFO", "Antrag.pdf"), QString("getippt"));
        QVERIFY(!ReadAll(m_user).contains("quelle"));
    }

    void cancelLeavesEverything()
    {
        m_dlg->setEditMode("Vorhanden.pdf", "alt", QPixmap());
        choose("bDateiwahl", "Antrag.pdf");
        choose("pImage", "x.gif");
        help()->setPlainText("verworfen");
        const QByteArray userBefore = ReadAll(m_user);
        Click(m_dlg.get(), "bAbbrechen");

        QVERIFY(!m_dlg->isVisible());
        QCOMPARE(ReadAll(m_user), userBefore);
        QVERIFY(!QFile::exists(m_templates + "/User.bak"));
        QCOMPARE(Names(steuern()), QStringList({"Vorhanden.gif", "Vorhanden.pdf"}));
        QCOMPARE(m_main->loads, 0);

        // The next opening starts from the designer state.
        m_dlg->show();
        QCOMPARE(m_dlg->windowTitle() + "|" + state() + "|" + help()->toPlainText() + "|" + m_dlg->previewPath(),
                 QString("Hinzufügen| 0||"));
        QVERIFY(child<QLabel>("pImage")->pixmap().isNull());
    }
};

QTEST_MAIN(TestAddNew)
#include "tst_addnew.moc"
