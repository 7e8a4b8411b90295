#pragma once
// The system timer and the responsive pause built on it.

#include "Seams.h"

namespace vv {

class SystemClock : public ClockSeam {
public:
    double SecondsSinceMidnight() override;
};

// Pauses for the given seconds while window events keep running; a pause
// across midnight still ends on time.
void WaitSeconds(ClockSeam &clock, double seconds);

// Layout values are kept in twips, as the window designs were made.
int TwipsToPixelsX(int twips);
int TwipsToPixelsY(int twips);

} // namespace vv
