// The move dialog over a temporary installation: where the files end up, what
// reaches the trash, and what the user is told.

#include "DialogFixture.h"
#include "MoveTo.h"
#include "RecycleKillFiles.h"

#include <QLabel>
#include <QListWidget>
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
    QString cat(const QString &category) const { return m_templates + "/" + category; }
    QString trash() const { return vv::HomeTrashFolder(); }
    QString message(const QString &text, int style) const
    {
        return text + "|" + QString::number(style) + "|Dokumente verschieben ";
    }
    // Opens the dialog as the main window's command does, picks a target
    // (row -1 keeps the preselection) and presses OK.
    void moveTo(const QString &document, int targetRow, const QString &mark = "1")
    {
        m_main->document = document;
        m_dlg = std::make_unique<vv::MoveTo>(*m_main, m_fakes->services());
        m_dlg->setMoveOrRename("1");
        m_dlg->ReadTypDocuments();
        m_dlg->show();
        if (targetRow >= 0)
            list()->setCurrentRow(targetRow);
        m_dlg->setMoveOrRename(mark);
        Click(m_dlg.get(), "bHinzufügen");
    }

private slots:
    void initTestCase() { IsolateEnvironment(m_tmp.path()); }

    void init()
    {
        m_templates = MakeLibrary(m_tmp.path() + "/inst");
        for (const char *name : {"Antrag.pdf", "Antrag.gif", "Foto.pdf", "Foto.jpg", "Weg.gif"})
            WriteAll(cat("Steuern") + "/" + name, QByteArray("Inhalt von ") + name);
        QDir(trash()).removeRecursively();
        m_fakes = std::make_unique<FakeServices>(m_tmp.path() + "/fakes");
        m_main = std::make_unique<FakeMainWindow>(m_tmp.path() + "/inst");
    }

    void cleanup()
    {
        m_dlg.reset();
        m_main.reset();
    }

    void readTypDocuments()
    {
        m_main->index = 2;
        moveTo("Antrag.pdf", -1, "2"); // a mark other than "1" makes OK do nothing
        QCOMPARE(list()->currentRow(), 2);
        QStringList shown;
        for (int i = 0; i < list()->count(); ++i)
            shown << list()->item(i)->text();
        QCOMPARE(shown, m_main->categories); // key 03 is missing and skipped
        QCOMPARE(list()->dragDropMode(), QAbstractItemView::NoDragDrop);
        QVERIFY(child<QPushButton>("BMoveUp")->isHidden() && child<QPushButton>("BMoveDown")->isHidden());
        QVERIFY(child<QLabel>("TMoveOrRename")->isHidden());
        QVERIFY(m_fakes->msg.shown.isEmpty());
        QVERIFY(m_dlg->isVisible());
        QCOMPARE(m_main->loads, 0);
    }

    // The dialog's share of a move: the model's result becomes the message,
    // and the main window shows the target category.
    void move_data()
    {
        QTest::addColumn<QString>("document");
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("inTheWay"); // "older" is replaced, "locked" cannot be
        QTest::addColumn<QStringList>("arrived");
        QTest::addColumn<QStringList>("trashed");
        const QStringList antrag{"Antrag.gif", "Antrag.pdf"};
        QTest::newRow("pdf with gif") << "Antrag.pdf" << 1 << "older" << antrag << antrag;
        QTest::newRow("missing source") << "Weg.pdf" << 1 << "" << QStringList{"Weg.gif"} << QStringList{};
        QTest::newRow("target not replaceable") << "Antrag.pdf" << 1 << "locked" << antrag << QStringList{};
    }

    void move()
    {
        QFETCH(QString, document);
        QFETCH(int, row);
        QFETCH(QString, inTheWay);
        QFETCH(QStringList, arrived);
        QFETCH(QStringList, trashed);
        const QString target = cat(m_main->categories[row]) + "/";
        if (!inTheWay.isEmpty())
            WriteAll(target + document, "ältere Fassung");
        if (inTheWay == "locked")
            QFile::setPermissions(target + document, QFile::ReadOwner);
        QStringList staying = Names(cat("Steuern")), infos;
        moveTo(document, row);

        for (const QString &name : trashed) {
            staying.removeOne(name);
            infos << name + ".trashinfo";
            QCOMPARE(ReadAll(target + name), "Inhalt von " + name.toUtf8());
            QCOMPARE(ReadAll(trash() + "/files/" + name), "Inhalt von " + name.toUtf8());
        }
        for (const QString &name : staying)
            QCOMPARE(ReadAll(cat("Steuern") + "/" + name), "Inhalt von " + name.toUtf8());
        QCOMPARE(Names(cat("Steuern")), staying);
        QCOMPARE(Names(target), arrived);
        QCOMPARE(Names(trash() + "/files"), trashed);
        QCOMPARE(Names(trash() + "/info"), infos);
        QCOMPARE(ReadAll(m_templates + "/User.bak"), ReadAll(m_templates + "/User.dat"));
        QCOMPARE(OnlyMessage(m_fakes->msg),
                 trashed.isEmpty() ? message("Es sind Fehler beim Verschieben in die neue Kategorie aufgetreten. ", 16)
                                   : message("Das Dokument wurde in die neue Kategorie verschoben:\n\r''"
                                                 + m_main->categories[row] + "''. ", 64));
        QCOMPARE(m_main->selected, QList<int>{row});
        QCOMPARE(m_main->loads, 1);
        QVERIFY(!m_dlg->isVisible());
    }

    void sameCategory_data()
    {
        QTest::addColumn<int>("answer");
        QTest::newRow("retry") << int(vv::vbRetry);
        QTest::newRow("cancel") << int(vv::vbCancel);
    }

    void sameCategory()
    {
        QFETCH(int, answer);
        m_fakes->msg.answers.enqueue(answer);
        moveTo("Antrag.pdf", 0);

        QCOMPARE(OnlyMessage(m_fakes->msg), message("In dieser Kategorie ist das Dokument bereits enthalten. \n"
                                                     "Geben Sie eine andere vorhandene Kategorie an, in welche \n"
                                                     "das Dokument verschoben werden soll. ", 69));
        const bool retry = answer == vv::vbRetry;
        QCOMPARE(m_dlg->isVisible(), retry);
        if (retry)
            QVERIFY(child<QPushButton>("bHinzufügen")->isEnabled() && m_dlg->focusWidget() == list());
        QCOMPARE(Names(cat("Steuern")).size(), 5);
        QVERIFY(!QFile::exists(m_templates + "/User.bak"));
        QVERIFY(!QDir(trash()).exists());
        QCOMPARE(m_main->loads, 0);
    }

};

QTEST_MAIN(TestMoveTo)
#include "tst_moveto.moc"
