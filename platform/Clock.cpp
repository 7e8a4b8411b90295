#include "Clock.h"

#include <QCoreApplication>
#include <QThread>
#include <QTime>

namespace vv {

void Yield()
{
    if (QCoreApplication::instance())
        QCoreApplication::processEvents();
}

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

} // namespace vv
