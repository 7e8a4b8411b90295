#pragma once
// Layout values are kept in twips (1/1440 inch), as the window designs were
// made; these turn them into pixels of the primary screen.

namespace vv {

int TwipsToPixelsX(int twips);
int TwipsToPixelsY(int twips);

} // namespace vv
