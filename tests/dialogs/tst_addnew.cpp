// The add-document dialog over a temporary installation: what it asks the
// file dialog and the user, and what it hands the model and the main window.

#include "AddNew.h"
#include "DialogFixture.h"
#include "Installation.h"

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
        QDir(install).removeRecursively();
        m_templates = MakeInstallation(install);
        m_user = m_templates + "/User.dat";
        m_source = m_tmp.path() + "/quelle";
        WriteAll(src("Neu.pdf"), "%PDF neu");
        WriteAll(src("Gif.pdf"), "%PDF neu und länger");
        WriteAll(src("text.jpg"), "kein Bild");
        WriteSolidPicture(src("foto.dat"), kJpgColour, "JPG");
        WriteSolidPicture(src("x.gif"), kGifColour, "GIF");

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

    // One way of filling the dialog per row, then OK or Cancel. A preview is
    // taken by clicking the frame or the picture, only when its content is a
    // picture; an existing document is asked about first; a name typed over
    // a chosen one, or in edit mode, gets only its help text.
    void press_data()
    {
        QTest::addColumn<QString>("fill"); // chosen, typed over a chosen one, or edit mode
        QTest::addColumn<QString>("document");
        QTest::addColumn<int>("category");
        QTest::addColumn<QString>("preview"); // control:file clicked then chosen; "" none
        QTest::addColumn<QByteArray>("button");
        QTest::addColumn<int>("answer");      // to the question; 0: none asked
        QTest::addColumn<QString>("message"); // text|style|title
        QTest::addColumn<QStringList>("added");
        const QByteArray ok = "bHinzufügen";
        const QString ask = "Möchten Sie die Informationen für das ausgewählte Dokument ändern. |36| Dokumente bearbeiten";
        const QString none = "0 messages";
        QTest::newRow("gif, frame, umlaut category") << "chosen" << "Neu.pdf" << 1 << "pVorschau:x.gif" << ok << 0
                                                     << none << QStringList{"Neu.gif", "Neu.pdf"};
        // Read by its content, but stored as Neu.dat, which no window shows: warned, then taken.
        QTest::newRow("picture by content") << "chosen" << "Neu.pdf" << 0 << "pImage:foto.dat" << ok << 0
                                            << "Das Hauptfenster zeigt nur Vorschaubilder, deren Name auf „jpg“ oder "
                                               "„gif“ endet. Die Vorschau „foto.dat“ würde mit der Endung „dat“ "
                                               "gespeichert und nie angezeigt.\n \nMöchten Sie dieses Bild trotzdem "
                                               "verwenden? Mit „Nein“ wählen Sie ein anderes.|52|Hinzufügen"
                                            << QStringList{"Neu.dat", "Neu.pdf"};
        QTest::newRow("preview cancelled") << "chosen" << "Neu.pdf" << 0 << "pVorschau:" << ok << 0 << none
                                           << QStringList{"Neu.pdf"};
        QTest::newRow("not a picture") << "chosen" << "Neu.pdf" << 0 << "pImage:text.jpg" << ok << 0
                                       << "Die Datei \"text.jpg\" ist kein Bild und kann nicht als Vorschau verwendet "
                                          "werden. Bitte wählen Sie ein Bild im Format JPEG oder GIF.|48|Hinzufügen"
                                       << QStringList{"Neu.pdf"};
        QTest::newRow("existing, yes") << "chosen" << "Gif.pdf" << 0 << "" << ok << int(vv::vbYes) << ask << QStringList{};
        QTest::newRow("existing, no") << "chosen" << "Gif.pdf" << 0 << "" << ok << int(vv::vbNo) << ask << QStringList{};
        QTest::newRow("edit, yes") << "edit" << "Gif.pdf" << 0 << "pImage:x.gif" << ok << int(vv::vbYes) << ask
                                   << QStringList{};
        QTest::newRow("chosen, then typed") << "typed" << "Neu.pdf" << 0 << "" << ok << 0 << none << QStringList{};
        QTest::newRow("edit, cancel") << "edit" << "Gif.pdf" << 0 << "pImage:x.gif" << QByteArray("bAbbrechen") << 0
                                      << none << QStringList{};
    }
    void press()
    {
        QFETCH(QString, fill);
        QFETCH(QString, document);
        QFETCH(int, category);
        QFETCH(QString, preview);
        QFETCH(QByteArray, button);
        QFETCH(int, answer);
        QFETCH(QString, message);
        QFETCH(QStringList, added);
        m_main->index = category;
        const QString folder = m_templates + "/" + m_main->categoryText() + "/";
        if (fill == "edit") {
            QPixmap shown(4, 4);
            shown.fill(Qt::blue);
            m_dlg->setEditMode(document, "alt", shown);
            QCOMPARE(m_dlg->windowTitle() + " " + state() + " " + help()->toPlainText(), QString("Bearbeiten Gif.pdf 0 alt"));
            QCOMPARE(child<QLabel>("pImage")->pixmap().toImage().pixelColor(0, 0), QColor(Qt::blue));
        } else {
            choose("bDateiwahl", document);
            QCOMPARE(state(), src(document) + " 1");
        }
        if (fill == "typed") {
            filename()->clear();
            QTest::keyClicks(filename(), src(document));
            QCOMPARE(m_dlg->modeMark(), QString("0"));
        }
        if (!preview.isEmpty())
            choose(qPrintable(preview.section(':', 0, 0)), preview.section(':', 1));
        const QStringList before = Names(folder);
        const QByteArray userBefore = ReadAll(m_user), gifBefore = ReadAll(m_templates + "/Steuern/Gif.gif");
        const QByteArray documentBefore = ReadAll(folder + document);
        help()->setPlainText("geändert");
        if (answer)
            m_fakes->msg.answers.enqueue(answer);
        Qt::CursorShape during = Qt::ArrowCursor;
        m_fakes->msg.whileOpen = [&] {
            if (QApplication::overrideCursor())
                during = QApplication::overrideCursor()->shape();
        };
        Click(m_dlg.get(), button.constData());

        QCOMPARE(OnlyMessage(m_fakes->msg), message);
        QCOMPARE(during, answer ? Qt::BusyCursor : Qt::ArrowCursor);
        QVERIFY(!QApplication::overrideCursor());
        QStringList after = before + added;
        after.removeDuplicates();
        after.sort();
        QCOMPARE(Names(folder), after);
        for (const QString &name : added)
            QCOMPARE(ReadAll(folder + name), ReadAll(src(name.endsWith(".pdf") ? document : preview.section(':', 1))));
        QCOMPARE(ReadAll(m_templates + "/Steuern/Gif.gif"), gifBefore);
        const bool closed = answer != vv::vbNo, written = closed && button == "bHinzufügen";
        const bool copied = written && fill == "chosen";
        QCOMPARE(ReadAll(folder + document), copied ? ReadAll(src(document)) : documentBefore);
        if (written)
            QCOMPARE(vv::ReadIniValue(m_user, "INFO", document), QString("geändert"));
        else
            QCOMPARE(ReadAll(m_user), userBefore);
        QCOMPARE(m_fakes->clock.reads > 0, copied); // only a copy waits
        QCOMPARE(m_main->selected, written ? QList<int>{category} : QList<int>{});
        QCOMPARE(m_main->loads, written ? 1 : 0);
        QCOMPARE(m_dlg->isVisible(), !closed);
        if (!closed)
            QCOMPARE(help()->toPlainText(), QString("geändert"));

        QStringList asked;
        for (const DialogRequest &r : m_fakes->fileDialog.requests)
            asked << r.title + "|" + r.folder + "|" + r.filter + "|" + r.defaultExt;
        QStringList expected;
        if (fill != "edit")
            expected << "Datei öffnen||Pdf-Dokumente|*.pdf|Alle Dateitypen|*.*|pdf";
        if (!preview.isEmpty())
            expected << "Datei öffnen||Bilder|*.jpg; *.gif|Alle Dateitypen|*.*|jpg, gif";
        QCOMPARE(asked, expected);
        // The next opening starts from the designer state.
        m_dlg->show();
        if (closed)
            QCOMPARE(m_dlg->windowTitle() + "|" + state() + "|" + help()->toPlainText() + "|" + m_dlg->previewPath() + "|"
                         + QString::number(child<QLabel>("pImage")->pixmap().isNull()),
                     QString("Hinzufügen| 0|||1"));
    }

    // A preview stored under a name the main window never looks for is
    // warned of: Yes keeps it, No opens the file dialog again.
    void unseenPreview_data()
    {
        QTest::addColumn<bool>("edit");
        QTest::addColumn<QStringList>("chosen");    // "" a cancelled dialog
        QTest::addColumn<QList<int>>("answers");
        QTest::addColumn<QStringList>("warned");    // the picture named by each warning
        QTest::addColumn<QString>("preview");       // taken at the end; "" none
        QTest::newRow("jpg: no warning") << false << QStringList{"x.jpg"} << QList<int>{} << QStringList{} << "x.jpg";
        QTest::newRow("png, yes: kept") << false << QStringList{"bild.png"} << QList<int>{vv::vbYes}
                                        << QStringList{"bild.png|png"} << "bild.png";
        QTest::newRow("jpeg, no, then a gif") << false << QStringList{"bild.jpeg", "x.gif"} << QList<int>{vv::vbNo}
                                              << QStringList{"bild.jpeg|peg"} << "x.gif";
        QTest::newRow("png, no, png again, no, cancel")
            << false << QStringList{"bild.png", "bild.png", ""} << QList<int>{vv::vbNo, vv::vbNo}
            << QStringList{"bild.png|png", "bild.png|png"} << "";
        QTest::newRow("editing a help text stores no picture") << true << QStringList{"bild.png"} << QList<int>{}
                                                               << QStringList{} << "bild.png";
    }
    void unseenPreview()
    {
        QFETCH(bool, edit);
        QFETCH(QStringList, chosen);
        QFETCH(QList<int>, answers);
        QFETCH(QStringList, warned);
        QFETCH(QString, preview);
        WriteSolidPicture(src("x.jpg"), kJpgColour, "JPG");
        WriteSolidPicture(src("bild.png"), kJpgColour, "PNG");
        WriteSolidPicture(src("bild.jpeg"), kJpgColour, "JPG");
        if (edit)
            m_dlg->setEditMode("Gif.pdf", "alt", QPixmap());
        else
            choose("bDateiwahl", "Neu.pdf");
        for (const QString &c : chosen)
            m_fakes->fileDialog.choices.enqueue(c.isEmpty() ? QString() : src(c));
        for (int a : answers)
            m_fakes->msg.answers.enqueue(a);
        m_dlg->ChoosePreview();
        QStringList seen;
        for (const ShownMessage &m : m_fakes->msg.shown) {
            QCOMPARE(QString::number(m.style) + m.title, QString("52") + m_dlg->windowTitle());
            const QString name = m.text.section("Die Vorschau „", 1).section("“", 0, 0);
            const QString ending = m.text.section("mit der Endung „", 1).section("“", 0, 0);
            seen << name + "|" + ending;
        }
        QCOMPARE(seen, warned);
        QCOMPARE(m_fakes->fileDialog.requests.size(), chosen.size() + (edit ? 0 : 1));
        QCOMPARE(m_dlg->previewPath(), preview.isEmpty() ? QString() : src(preview));
        QCOMPARE(child<QLabel>("pImage")->pixmap().isNull(), preview.isEmpty());
        // What OK then stores beside the document.
        if (edit)
            return;
        Click(m_dlg.get(), "bHinzufügen");
        const QString stored = preview.isEmpty() ? QString() : "Neu." + preview.right(3);
        QStringList expected{"Neu.pdf"};
        if (!stored.isEmpty())
            expected.prepend(stored);
        expected.sort();
        QStringList names = Names(m_templates + "/Steuern");
        names = names.filter("Neu.");
        QCOMPARE(names, expected);
    }

    // A second OK while the first one pauses would back the user file up
    // over the half-changed one.
    void okRunsOnce()
    {
        choose("bDateiwahl", "Neu.pdf");
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
};

QTEST_MAIN(TestAddNew)
#include "tst_addnew.moc"
