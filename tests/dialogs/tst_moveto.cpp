// The move dialog over a temporary installation: what it shows, which message
// the model's result becomes, and what the main window is told to show.

#include "DialogFixture.h"
#include "Installation.h"
#include "MoveTo.h"

#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>

#include <memory>

using namespace vvtest;

class TestMoveTo : public QObject {
    Q_OBJECT

    QTemporaryDir m_tmp;
    QString m_templates;
    std::unique_ptr<FakeServices> m_fakes;
    std::unique_ptr<FakeMainWindow> m_main;
    std::unique_ptr<vv::MoveTo> m_dlg;

    template <class T> T *child(const char *name) { return Child<T>(m_dlg.get(), name); }
    QListWidget *list() { return child<QListWidget>("LCategory"); }

private slots:
    void initTestCase() { IsolateEnvironment(m_tmp.path()); }

    void init()
    {
        QDir(m_tmp.path() + "/inst").removeRecursively();
        m_templates = MakeInstallation(m_tmp.path() + "/inst");
        m_fakes = std::make_unique<FakeServices>(m_tmp.path() + "/fakes");
        m_main = std::make_unique<FakeMainWindow>(m_tmp.path() + "/inst");
    }

    void cleanup()
    {
        m_dlg.reset();
        m_main.reset();
    }

    // What the dialog shows when it opens, then OK: the model's result becomes
    // the message and the main window shows the target; the current category
    // is refused before the model is asked, and a mark other than "1" makes
    // OK do nothing.
    void ok_data()
    {
        QTest::addColumn<int>("current"); // the main window's category
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("mark");
        QTest::addColumn<bool>("locked"); // the target holds a Gif.pdf that cannot be replaced
        QTest::addColumn<int>("answer");
        QTest::addColumn<QString>("message"); // text|style
        const QString same = "In dieser Kategorie ist das Dokument bereits enthalten. \nGeben Sie eine andere "
                             "vorhandene Kategorie an, in welche \ndas Dokument verschoben werden soll. |69";
        QTest::newRow("moved") << 0 << 1 << "1" << false << 0
                               << "Das Dokument wurde in die neue Kategorie verschoben:\n\r''Verträge''. |64";
        QTest::newRow("target not replaceable")
            << 0 << 2 << "1" << true << 0 << "Es sind Fehler beim Verschieben in die neue Kategorie aufgetreten. |16";
        QTest::newRow("same category, retry") << 2 << 2 << "1" << false << int(vv::vbRetry) << same;
        QTest::newRow("same category, cancel") << 2 << 2 << "1" << false << int(vv::vbCancel) << same;
        QTest::newRow("mark 2") << 0 << 1 << "2" << false << 0 << "";
    }
    void ok()
    {
        QFETCH(int, current);
        QFETCH(int, row);
        QFETCH(QString, mark);
        QFETCH(bool, locked);
        QFETCH(int, answer);
        QFETCH(QString, message);
        const QString source = m_templates + "/Steuern/";
        if (locked) {
            WriteAll(m_templates + "/Leer/Gif.pdf", "ältere Fassung");
            QFile::setPermissions(m_templates + "/Leer/Gif.pdf", QFile::ReadOwner);
        }
        const QByteArray pdf = ReadAll(source + "Gif.pdf");
        if (answer)
            m_fakes->msg.answers.enqueue(answer);
        m_main->index = current;
        m_main->document = "Gif.pdf";
        m_dlg = std::make_unique<vv::MoveTo>(*m_main, m_fakes->services());
        m_dlg->setMoveOrRename("1");
        m_dlg->ReadTypDocuments();
        m_dlg->show();
        QCOMPARE(ItemTexts(list()), m_main->categories);
        QCOMPARE(m_dlg->windowTitle() + "|" + QString::number(list()->currentRow()),
                 "Dokumente verschieben|" + QString::number(current));
        QCOMPARE(list()->dragDropMode(), QAbstractItemView::NoDragDrop);
        QVERIFY(child<QPushButton>("BMoveUp")->isHidden() && child<QPushButton>("BMoveDown")->isHidden());
        QVERIFY(child<QLabel>("TMoveOrRename")->isHidden());
        list()->setCurrentRow(row);
        m_dlg->setMoveOrRename(mark);
        Click(m_dlg.get(), "bHinzufügen");

        QCOMPARE(OnlyMessage(m_fakes->msg), message.isEmpty() ? QString("0 messages") : message + "|Dokumente verschieben ");
        const bool moved = message.endsWith("|64"), asked = !message.isEmpty() && row != current;
        QCOMPARE(ReadAll(m_templates + "/Verträge/Gif.pdf"), moved ? pdf : QByteArray());
        QCOMPARE(ReadAll(source + "Gif.pdf"), moved ? QByteArray() : pdf); // a failed move loses nothing
        QCOMPARE(m_dlg->isVisible(), answer == vv::vbRetry || mark != "1");
        if (answer == vv::vbRetry)
            QVERIFY(child<QPushButton>("bHinzufügen")->isEnabled() && m_dlg->focusWidget() == list());
        QCOMPARE(m_main->selected, asked ? QList<int>{row} : QList<int>{});
        QCOMPARE(m_main->loads, asked ? 1 : 0);
        QCOMPARE(QFile::exists(m_templates + "/User.bak"), asked);
    }
};

QTEST_MAIN(TestMoveTo)
#include "tst_moveto.moc"
