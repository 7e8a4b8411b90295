#include "Clock.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QScreen>
#include <QThread>
#include <QTime>

namespace vv {

double SystemClock::SecondsSinceMidnight()
{
    return QTime(0, 0).msecsTo(QTime::currentTime()) / 1000.0;
}

void WaitSeconds(ClockSeam &clock, double seconds)
{
    double start = clock.SecondsSinceMidnight();
    for (;;) {
        const double now = clock.SecondsSinceMidnight();
        if (now - start >= seconds)
            return;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        if (now < start)
            start -= 86400.0;
        QThread::msleep(5); // no busy spin while waiting
    }
}

namespace {
int convert(int twips, bool horizontal)
{
    qreal dpi = 96.0;
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        dpi = horizontal ? screen->logicalDotsPerInchX() : screen->logicalDotsPerInchY();
    return qRound(twips * dpi / 1440.0);
}
} // namespace

int TwipsToPixelsX(int twips) { return convert(twips, true); }
int TwipsToPixelsY(int twips) { return convert(twips, false); }

} // namespace vv
