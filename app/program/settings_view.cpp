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

} // namespace tarvo
