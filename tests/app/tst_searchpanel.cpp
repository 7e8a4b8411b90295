// The main window's search field and hit list: that Ctrl+F, typing, Esc and
// choosing a hit reach the index and the window's own selections. What is
// found is the index's business (tests/library).

#include "Fakes.h"
#include "IniFiles.h"
#include "Installation.h"
#include "Root.h"
#include "TestSupport.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

#include <memory>

using namespace vvtest;

class TestSearchPanel : public QObject {
    Q_OBJECT

    QTemporaryDir m_tmp;
    QString m_install, m_templates;
    std::unique_ptr<FakeServices> m_fakes;
    std::unique_ptr<vv::Root> m_root;

    template <class T> T *child(const char *name) { return m_root->findChild<T *>(QString::fromUtf8(name)); }
    QLineEdit *field() { return child<QLineEdit>("tSuche"); }
    QTreeWidget *hits() { return child<QTreeWidget>("LSuchergebnis"); }
    QListWidget *files() { return child<QListWidget>("LDateien"); }

    void type(const QString &text)
    {
        QTest::keyClick(m_root.get(), Qt::Key_F, Qt::ControlModifier);
        QTest::keyClicks(field(), text);
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_tmp.isValid());
        IsolateEnvironment(m_tmp.path());
    }

    void init()
    {
        m_install = m_tmp.path() + "/install";
        QDir(m_install).removeRecursively();
        m_templates = MakeInstallation(m_install);
        QVERIFY(vv::WriteIniValue(m_templates + "/User.dat", "INFO", "Mietvertrag.pdf", "Wohnung und Garage"));
        QVERIFY(vv::WriteIniValue(m_templates + "/User.dat", "INFO", "Ohne.pdf", "Ohne Vorschau"));
        m_fakes = std::make_unique<FakeServices>(m_tmp.path() + "/fakes");
        m_root = std::make_unique<vv::Root>(m_install, m_fakes->services());
        QVERIFY(m_root->Load());
        m_root->show();
        QVERIFY(QTest::qWaitForWindowActive(m_root.get()));
    }

    void cleanup() { m_root.reset(); }

    void typingListsHits()
    {
        QVERIFY(!hits() || !hits()->isVisible());
        type("garage");
        QCOMPARE(QApplication::focusWidget(), field());
        QVERIFY(hits()->isVisible());
        const QTreeWidgetItem *first = hits()->topLevelItem(0);
        QCOMPARE(first->text(0) + "|" + first->text(1) + "|" + first->text(2),
                 QString::fromUtf8("Verträge|Mietvertrag.pdf|Wohnung und Garage"));
        // Below the field, inside the window.
        QVERIFY(hits()->geometry().top() >= field()->geometry().bottom());
        QVERIFY(m_root->rect().contains(hits()->geometry()));

        QTest::keyClicks(field(), "xyz");
        QCOMPARE(hits()->topLevelItemCount(), 1);
        QCOMPARE(hits()->topLevelItem(0)->text(1), QStringLiteral("Kein Dokument gefunden."));
        field()->clear();
        QVERIFY(!hits()->isVisible());
    }

    // Each way of choosing runs the window's selections: list, help text, preview.
    void chooseHit_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("how");
        QTest::addColumn<int>("category");
        QTest::addColumn<QString>("document");
        QTest::addColumn<QString>("info");
        QTest::newRow("click, other category") << "garage" << "click" << 1 << "Mietvertrag.pdf" << "Wohnung und Garage";
        QTest::newRow("Enter in the list, same category") << "vorschau" << "list" << 0 << "Ohne.pdf" << "Ohne Vorschau";
        QTest::newRow("Enter in the field") << "garage" << "field" << 1 << "Mietvertrag.pdf" << "Wohnung und Garage";
    }

    void chooseHit()
    {
        QFETCH(QString, text);
        QFETCH(QString, how);
        QFETCH(int, category);
        QFETCH(QString, document);
        QFETCH(QString, info);
        child<QLabel>("pImage")->clear();
        type(text);
        QTreeWidgetItem *item = hits()->topLevelItem(0);
        if (how == "click") {
            QTest::mouseClick(hits()->viewport(), Qt::LeftButton, {}, hits()->visualItemRect(item).center());
        } else if (how == "list") {
            QTest::keyClick(field(), Qt::Key_Down);
            QCOMPARE(QApplication::focusWidget(), hits());
            QTest::keyClick(hits(), Qt::Key_Return);
        } else {
            QTest::keyClick(field(), Qt::Key_Return);
        }
        QCOMPARE(child<QComboBox>("LCategory")->currentIndex(), category);
        QCOMPARE(files()->currentItem()->text(), document);
        QCOMPARE(child<QLabel>("LInfos")->text(), info);
        QVERIFY(!child<QLabel>("pImage")->pixmap().isNull());
        QVERIFY(!hits()->isVisible());
        QCOMPARE(QApplication::focusWidget(), files());
    }

    // A document added while the window is open is found, and choosing it
    // lists it although its category is the one shown.
    void documentAddedMeanwhile()
    {
        WriteAll(m_templates + "/Steuern/Neuzugang.pdf", SmallPdf("Neu"));
        type("neuzugang");
        QCOMPARE(hits()->topLevelItem(0)->text(1), QStringLiteral("Neuzugang.pdf"));
        QTest::keyClick(field(), Qt::Key_Return);
        QCOMPARE(files()->currentItem()->text(), QStringLiteral("Neuzugang.pdf"));
    }

    // Esc leaves the search first; only from an empty search it ends the program.
    void escape()
    {
        type("antrag");
        QTest::keyClick(field(), Qt::Key_Escape);
        QVERIFY(!hits()->isVisible());
        QCOMPARE(field()->text(), QStringLiteral("antrag"));
        QTest::keyClick(field(), Qt::Key_Escape);
        QCOMPARE(field()->text(), QString());
        QVERIFY(m_fakes->exit.quitCodes.isEmpty());
        QTest::keyClick(field(), Qt::Key_Escape);
        QCOMPARE(m_fakes->exit.quitCodes, QList<int>{0});
    }
};

QTEST_MAIN(TestSearchPanel)
#include "tst_searchpanel.moc"
