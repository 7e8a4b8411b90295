#include "Twips.h"

#include <QGuiApplication>
#include <QScreen>

namespace vv {

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
