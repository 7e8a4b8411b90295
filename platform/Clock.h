#pragma once
// The system timer and the responsive pause built on it.

#include "Seams.h"

namespace vv {

// Lets pending window events run, as long commands do between their steps.
void Yield();

class SystemClock : public ClockSeam {
public:
    double SecondsSinceMidnight() override;
};

// Pauses for the given seconds while window events keep running; a pause
// across midnight still ends on time.
void WaitSeconds(ClockSeam &clock, double seconds);

} // namespace vv
