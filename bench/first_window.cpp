// The yardstick for the program's start-up: a bare Qt Widgets program that
// shows one window of the same size and ends once it has been painted, as the
// program does with VV_QUIT_AFTER_FIRST_PAINT set (bench/startup.sh).

#include <QApplication>
#include <QEvent>
#include <QWidget>

namespace {

class QuitAfterPaint : public QObject {
public:
    bool eventFilter(QObject *, QEvent *event) override
    {
        // Queued: the paint is on screen once the whole backing store has been flushed.
        if (event->type() == QEvent::Paint)
            QMetaObject::invokeMethod(qApp, &QCoreApplication::quit, Qt::QueuedConnection);
        return false;
    }
};

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("Fenster"));
    window.resize(640, 560);
    QuitAfterPaint quit;
    window.installEventFilter(&quit);
    window.show();
    return app.exec();
}
