#include "FileDialog.h"
#include "Clock.h"
#include "HostLink.h"
#include "MessageBoxes.h"
#include "PrintDialog.h"
#include "Registry.h"
#include "Root.h"
#include "WebSupports.h"

#include <QApplication>
#include <QIcon>
#include <QImageReader>
#include <QPixmap>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include <cstdlib>

namespace {

class ProcessExit : public vv::ExitSeam {
public:
    void ExitNow(int code) override { std::_Exit(code); }
    void QuitApplication(int code) override { QCoreApplication::exit(code); }
};

// For timing the start-up from outside: the program ends once its window has
// been painted the first time (VV_QUIT_AFTER_FIRST_PAINT=1).
class QuitAfterFirstPaint : public QObject {
public:
    bool eventFilter(QObject *, QEvent *event) override
    {
        // Queued: the paint is on screen once the whole backing store has been flushed.
        if (event->type() == QEvent::Paint)
            QMetaObject::invokeMethod(qApp, &QCoreApplication::quit, Qt::QueuedConnection);
        return false;
    }
};

void LoadGermanQtTexts(QApplication &app)
{
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    auto *qt = new QTranslator(&app);
    if (qt->load(QStringLiteral("qtbase_de"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(qt);
}

// Every size given here is decoded before the first paint. Title bars and
// window lists need no more than 64 pixels; larger views take the menu
// entry's themed icon. 128 and 256 were three quarters of the decoding.
QIcon ProgramIcon()
{
    QIcon icon;
    for (const int size : {16, 24, 32, 48, 64}) {
        // Named as what they are: a reader left to guess loads and asks every
        // image plugin first, before the window can be shown.
        QImageReader reader(QStringLiteral(":/icons/%1.png").arg(size), "png");
        reader.setAutoDetectImageFormat(false);
        icon.addPixmap(QPixmap::fromImage(reader.read()));
    }
    return icon;
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Veltrano Vorlagen-Bibliothek"));
    // The name of the menu entry, so desktops match the windows to it.
    QGuiApplication::setDesktopFileName(QStringLiteral("de.veltrano.vorlagen"));
    QApplication::setWindowIcon(ProgramIcon());
    QApplication::setQuitOnLastWindowClosed(false); // the Quit command ends the program
    LoadGermanQtTexts(app);

    const QString installDir = QCoreApplication::applicationDirPath();
    if (vv::RequestActivation(installDir))
        return 0; // the running window of this installation came to the front

    vv::QtMessageBox msg;
    vv::QtFileDialog fileDialog;
    vv::SystemProcess process;
    vv::QtPrintDialog printDialog;
    vv::SystemClock clock;
    ProcessExit exitSeam;
    vv::Registry registry = vv::Registry::FromEnvironment(installDir);
    vv::Services services;
    services.msg = &msg;
    services.fileDialog = &fileDialog;
    services.process = &process;
    services.clock = &clock;
    services.exit = &exitSeam;
    services.registry = &registry;
    services.print = &printDialog;

    vv::Root root(installDir, services);
    vv::HostLinkServer host;
    QObject::connect(&host, &vv::HostLinkServer::textReceived, &root, &vv::Root::WriteHostText);
    QObject::connect(&host, &vv::HostLinkServer::activateRequested, &root, &vv::Root::BringToFront);
    // Without the link the program still works; only the host cannot end it.
    host.listen(installDir);

    if (!root.Load())
        return 0;
    QuitAfterFirstPaint quitAfterPaint;
    if (qEnvironmentVariableIntValue("VV_QUIT_AFTER_FIRST_PAINT") == 1)
        root.installEventFilter(&quitAfterPaint);
    root.show();
    return app.exec();
}
