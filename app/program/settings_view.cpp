#include "settings_view.h"

namespace tarvo {

void SettingsView::loadAll() {
    // Each group reports its own failure and the others still load; nobody acts on the status.
    s_.LoadStandard();
    s_.LoadConnectionStart();
    s_.LoadWatch();
    s_.LoadPopMun();
    s_.LoadOther();
}

int SettingsView::EndType(int n) const {
    switch (n) {
    case 1:
        return s_.Standard.EndType1;
    case 2:
        return s_.Standard.EndType2;
    case 3:
        return s_.Standard.EndType3;
    case 4:
        return s_.Standard.EndType4;
    case 5:
        return s_.Standard.EndType5;
    default:
        return 0;
    }
}

} // namespace tarvo
