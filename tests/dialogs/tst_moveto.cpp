// The move dialog over a temporary installation: where the files end up, what
// reaches the trash, and what the user is told.

#include "DialogFixture.h"
#include "MoveTo.h"
#include "RecycleKillFiles.h"
#include "TestSupport.h"

#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>

#include <memory>

using namespace vvtest;

namespace {
const QString kTitle = QStringLiteral("Dokumente verschieben ");
}

class TestMoveTo : public QObject {
    Q_OBJECT

    QTemporaryDir m_tmp;
    QString m_install, m_templates;
    std::unique_ptr<FakeServices> m_fakes;
    std::unique_ptr<FakeMainWindow> m_main;
    std::unique_ptr<vv::MoveTo> m_dlg;

    template <class T> T *child(const char *name) { return Child<T>(m_dlg.get(), name); }
    QListWidget *list() { return child<QListWidget>("LCategory"); }
    QString cat(const QString &category) const { return m_templates + "/" + category; }
    QString trash() const { return vv::HomeTrashFolder(); }
    // Opens the dialog as the main window's command does.
    void open(const QString &document, int targetRow)
    {
        m_main->document = document;
        m_dlg = std::make_unique<vv::MoveTo>(*m_main, m_fakes->services());
        m_dlg->setMoveOrRename("1");
        m_dlg->ReadTypDocuments();
        m_dlg->show();
        list()->setCurrentRow(targetRow);
    }
    void ok() { Click(m_dlg.get(), "bHinzufügen"); }

private slots:
    void initTestCase() { IsolateEnvironment(m_tmp.path()); }

    void init()
    {
        m_install = m_tmp.path() + "/inst";
        m_templates = MakeLibrary(m_install);
        for (const char *name : {"Antrag.pdf", "Antrag.gif", "Foto.pdf", "Foto.jpg", "Weg.gif"})
            WriteBytes(cat("Steuern") + "/" + name, QByteArray("Inhalt von ") + name);
        QDir(trash()).removeRecursively();
        m_fakes = std::make_unique<FakeServices>(m_tmp.path() + "/fakes");
        m_main = std::make_unique<FakeMainWindow>(m_install);
    }

    void cleanup()
    {
        m_dlg.reset();
        m_main.reset();
    }

    void readTypDocuments()
    {
        m_main->index = 2;
        open("Antrag.pdf", 2);
        QCOMPARE(m_dlg->objectName(), QString("MoveTo"));
        QCOMPARE(m_dlg->windowTitle(), QString("Dokumente verschieben"));
        QCOMPARE(child<QLabel>("LabInfotipp")->text(),
                 QString("Zum Verschieben eines Pdf-Dokument, wählen Sie bitte eine neue Kategorie aus und "
                         "klicken \"Ok \" um das Dokument in die neue Kategorie zu verschieben."));
        QStringList shown;
        for (int i = 0; i < list()->count(); ++i)
            shown << list()->item(i)->text();
        QCOMPARE(shown, m_main->categories); // key 03 is missing and skipped
        QCOMPARE(list()->currentRow(), 2);
        QVERIFY(!list()->dragEnabled());
        QCOMPARE(list()->dragDropMode(), QAbstractItemView::NoDragDrop);
        QVERIFY(child<QPushButton>("BMoveUp")->isHidden());
        QVERIFY(child<QPushButton>("BMoveDown")->isHidden());
        auto *mark = child<QLabel>("TMoveOrRename");
        QVERIFY(mark->isHidden());
        QCOMPARE(mark->text() + " " + mark->toolTip(), QString("1 Kategorie (2) oder Dokument (1) verschieben"));
    }

    void move_data()
    {
        QTest::addColumn<QString>("document");
        QTest::addColumn<int>("row");
        QTest::addColumn<QStringList>("moved");
        QTest::addColumn<QStringList>("staying");
        QTest::newRow("pdf with gif") << "Antrag.pdf" << 1 << QStringList{"Antrag.gif", "Antrag.pdf"}
                                      << QStringList{"Foto.jpg", "Foto.pdf", "Weg.gif"};
        QTest::newRow("jpeg preview stays") << "Foto.pdf" << 2 << QStringList{"Foto.pdf"}
                                            << QStringList{"Antrag.gif", "Antrag.pdf", "Foto.jpg", "Weg.gif"};
    }

    void move()
    {
        QFETCH(QString, document);
        QFETCH(int, row);
        QFETCH(QStringList, moved);
        QFETCH(QStringList, staying);
        const QString target = cat(m_main->categories[row]);
        WriteBytes(target + "/" + document, "ältere Fassung"); // replaced without a question
        QMap<QString, QByteArray> content;
        for (const QString &name : moved)
            content[name] = ReadBytes(cat("Steuern") + "/" + name);
        open(document, row);
        ok();

        QCOMPARE(Names(cat("Steuern")), staying);
        QCOMPARE(Names(target), moved);
        QStringList infos;
        for (const QString &name : moved) {
            QCOMPARE(ReadBytes(target + "/" + name), content[name]);
            QCOMPARE(ReadBytes(trash() + "/files/" + name), content[name]);
            infos << name + ".trashinfo";
        }
        QCOMPARE(Names(trash() + "/info"), infos);
        QCOMPARE(ReadBytes(m_templates + "/User.bak"), ReadBytes(m_templates + "/User.dat"));

        QCOMPARE(OnlyMessage(m_fakes->msg), "Das Dokument wurde in die neue Kategorie verschoben:\n\r''"
                                                 + m_main->categories[row] + "''. |64|" + kTitle);
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
        open("Antrag.pdf", 0);
        m_fakes->msg.answers.enqueue(answer);
        ok();

        QCOMPARE(OnlyMessage(m_fakes->msg), "In dieser Kategorie ist das Dokument bereits enthalten. \n"
                                             "Geben Sie eine andere vorhandene Kategorie an, in welche \n"
                                             "das Dokument verschoben werden soll. |69|" + kTitle);
        QCOMPARE(m_dlg->isVisible(), answer == vv::vbRetry);
        if (answer == vv::vbRetry) {
            QVERIFY(child<QPushButton>("bHinzufügen")->isEnabled());
            QCOMPARE(m_dlg->focusWidget(), list());
        }
        QCOMPARE(Names(cat("Steuern")).size(), 5);
        QVERIFY(!QFile::exists(m_templates + "/User.bak"));
        QVERIFY(!QDir(trash()).exists());
        QCOMPARE(m_main->loads, 0);
    }

    void failure_data()
    {
        QTest::addColumn<QString>("document");
        QTest::addColumn<int>("row");
        QTest::addColumn<bool>("lockedTarget");
        QTest::addColumn<QStringList>("inTarget");
        QTest::newRow("missing source") << "Weg.pdf" << 1 << false << QStringList{"Weg.gif"};
        QTest::newRow("missing target folder") << "Antrag.pdf" << 3 << false << QStringList{};
        QTest::newRow("target not replaceable") << "Antrag.pdf" << 1 << true
                                                << QStringList{"Antrag.gif", "Antrag.pdf"};
    }

    void failure()
    {
        QFETCH(QString, document);
        QFETCH(int, row);
        QFETCH(bool, lockedTarget);
        QFETCH(QStringList, inTarget);
        const QString target = cat(m_main->categories[row]);
        if (lockedTarget) {
            // Exists, but the copy cannot replace it: the sizes differ.
            WriteBytes(target + "/" + document, "alt");
            QFile::setPermissions(target + "/" + document, QFile::ReadOwner);
        }
        QMap<QString, QByteArray> before;
        for (const QString &name : Names(cat("Steuern")))
            before[name] = ReadBytes(cat("Steuern") + "/" + name);
        open(document, row);
        ok();

        for (auto it = before.cbegin(); it != before.cend(); ++it)
            QCOMPARE(ReadBytes(cat("Steuern") + "/" + it.key()), it.value());
        QCOMPARE(Names(target), inTarget);
        QVERIFY(!QDir(trash()).exists() || Names(trash() + "/files").isEmpty());
        QCOMPARE(OnlyMessage(m_fakes->msg),
                 "Es sind Fehler beim Verschieben in die neue Kategorie aufgetreten. |16|" + kTitle);
        QVERIFY(QFile::exists(m_templates + "/User.bak"));
        QCOMPARE(m_main->selected, QList<int>{row});
        QCOMPARE(m_main->loads, 1);
    }

    void okNeedsMoveMark()
    {
        open("Antrag.pdf", 1);
        m_dlg->setMoveOrRename("2");
        ok();
        QVERIFY(m_fakes->msg.shown.isEmpty());
        QVERIFY(m_dlg->isVisible());
        QCOMPARE(Names(cat("Verträge")), QStringList());
        QCOMPARE(m_main->loads, 0);
    }
};

QTEST_MAIN(TestMoveTo)
#include "tst_moveto.moc"
