// Browsing in the main window with what a real library holds beyond the
// small fixture: huge preview pictures and texts with words longer than a line.

#include "Fakes.h"
#include "IniFiles.h"
#include "Installation.h"
#include "Root.h"
#include "TestSupport.h"
#include "Twips.h"

#include <QComboBox>
#include <QDir>
#include <QImage>
#include <QImageReader>
#include <QImageWriter>
#include <QLabel>
#include <QListWidget>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace vvtest;

class TestBrowsing : public QObject {
    Q_OBJECT

    QTemporaryDir m_tmp;
    QString m_install, m_templates;
    std::unique_ptr<FakeServices> m_fakes;
    std::unique_ptr<vv::Root> m_root;

    void makeRoot()
    {
        m_fakes = std::make_unique<FakeServices>(m_tmp.path() + "/fakes");
        m_root = std::make_unique<vv::Root>(m_install, m_fakes->services());
        QVERIFY(m_root->Load());
        m_root->show();
        QCoreApplication::processEvents();
    }
    template <class T> T *child(const char *name) { return m_root->findChild<T *>(QString::fromUtf8(name)); }

private slots:
    void initTestCase()
    {
        QVERIFY(m_tmp.isValid());
        IsolateEnvironment(m_tmp.path());
    }

    void init()
    {
        QDir(m_tmp.path() + "/install").removeRecursively();
        m_install = m_tmp.path() + "/install";
        m_templates = MakeInstallation(m_install);
    }

    void cleanup() { m_root.reset(); }

    // Far beyond what Qt decodes whole, a few kilobytes on disk.
    void hugePreview_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::addColumn<QImage::Format>("format");
        QTest::newRow("black-and-white scan of 400 megapixels") << QSize(20000, 20000) << QImage::Format_Mono;
        QTest::newRow("wide palette picture") << QSize(9000, 1500) << QImage::Format_Indexed8;
    }

    void hugePreview()
    {
        QFETCH(QSize, size);
        QFETCH(QImage::Format, format);
        QImage huge(size, format);
        huge.setColorTable({kJpgColour.rgb(), kGifColour.rgb()});
        huge.fill(0);
        QVERIFY(huge.save(m_templates + "/Steuern/Antrag.jpg", "PNG"));
        const int limit = QImageReader::allocationLimit();

        makeRoot();
        QCOMPARE(child<QListWidget>("LDateien")->currentItem()->text(), QStringLiteral("Antrag.pdf"));
        auto *preview = child<QLabel>("pImage");
        const QImage shown = preview->pixmap().toImage();
        const QSize room = preview->contentsRect().size() * preview->devicePixelRatioF();
        QVERIFY2(qAbs(shown.width() - room.width()) <= 2 && qAbs(shown.height() - room.height()) <= 2,
                 qPrintable(QStringLiteral("%1x%2").arg(shown.width()).arg(shown.height())));
        QCOMPARE(ColourName(shown.pixelColor(shown.width() / 2, shown.height() / 2)), QChar('r'));
        QCOMPARE(QImageReader::allocationLimit(), limit); // raised for that one picture only
    }

    // libjpeg holds a progressive JPEG whole while decoding it, however small
    // it is shown: beyond the allocation limit it stays out; a baseline one of
    // the same size still shows.
    void progressiveJpeg_data()
    {
        QTest::addColumn<bool>("progressive");
        QTest::newRow("baseline") << false;
        QTest::newRow("progressive") << true;
    }

    void progressiveJpeg()
    {
        QFETCH(bool, progressive);
        QImage picture(1000, 1400, QImage::Format_RGB32);
        picture.fill(kJpgColour);
        QImageWriter writer(m_templates + "/Steuern/Antrag.jpg", "jpeg");
        writer.setProgressiveScanWrite(progressive);
        QVERIFY(writer.write(picture));
        const int limit = QImageReader::allocationLimit();
        const auto restore = qScopeGuard([limit] { QImageReader::setAllocationLimit(limit); });
        QImageReader::setAllocationLimit(2); // MB; decoding the progressive one takes about 4

        makeRoot();
        QCOMPARE(child<QLabel>("pImage")->pixmap().isNull(), progressive);
    }

    // A word of 254 letters (the most a help text holds) wraps inside the
    // window; no text makes the window wider than it was designed.
    void longWords_data()
    {
        QTest::addColumn<QString>("key"); // of "INFO"; "" for a long name of the installation folder
        QTest::addColumn<int>("category");
        QTest::newRow("document help text") << "Antrag.pdf" << 0;
        QTest::newRow("help text of an empty category") << "03" << 2;
        QTest::newRow("installation folder") << "" << 0;
    }

    void longWords()
    {
        QFETCH(QString, key);
        QFETCH(int, category);
        const QString word = QString(254, QLatin1Char('W'));
        if (key.isEmpty()) {
            m_install = m_tmp.path() + '/' + word;
            m_templates = MakeInstallation(m_install);
        } else {
            QVERIFY(vv::WriteIniValue(m_templates + "/User.dat", "INFO", key, word));
        }

        makeRoot();
        child<QComboBox>("LCategory")->setCurrentIndex(category);
        QCoreApplication::processEvents();
        QVERIFY2(m_root->width() <= vv::TwipsToPixelsX(9600), qPrintable(QString::number(m_root->width())));
        if (key.isEmpty())
            return;
        auto *infos = child<QLabel>("LInfos");
        QCOMPARE(infos->text(), word);
        // Wrapped over several lines, not cut off at the edge.
        QVERIFY(infos->heightForWidth(infos->width()) >= 3 * infos->fontMetrics().height());
    }
};

QTEST_MAIN(TestBrowsing)
#include "tst_browsing.moc"
