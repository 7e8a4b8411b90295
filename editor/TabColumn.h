#pragma once
// The editor's tab column: five tab buttons in one column with the open
// panel under the selected one, the tabs after it pushed below the panel.
// All values in twips.

#include <array>

namespace vv {

struct TabColumnLayout {
    std::array<int, 5> tabTop{}; // tabs 1 to 5
    int panelTop = 0;            // the category list, and the help panel unless tab 2
};

inline constexpr int kTabGap = 15;
// Under tab 1 the panel stands at a fixed place.
inline constexpr int kPanelTopUnderFirstTab = 765;

// selected: 1 to 5. tabHeight: the heights of tabs 1 to 5. The tabs follow
// one another with kTabGap between them.
TabColumnLayout LayOutTabColumn(int selected, int firstTabTop, const std::array<int, 5> &tabHeight,
                                int panelHeight);

} // namespace vv
