#include "TabColumn.h"

namespace vv {

TabColumnLayout LayOutTabColumn(int selected, int firstTabTop, const std::array<int, 5> &tabHeight,
                                int panelHeight)
{
    TabColumnLayout out;
    out.tabTop[0] = firstTabTop;
    for (int i = 1; i < selected && i < 5; ++i)
        out.tabTop[i] = out.tabTop[i - 1] + tabHeight[i - 1] + kTabGap;
    const int n = selected - 1;
    out.panelTop = selected == 1 ? kPanelTopUnderFirstTab : out.tabTop[n] + tabHeight[n] + kTabGap;
    int next = out.panelTop + panelHeight + kTabGap;
    for (int i = selected; i < 5; ++i) {
        out.tabTop[i] = next;
        next += tabHeight[i] + kTabGap;
    }
    return out;
}

} // namespace vv
