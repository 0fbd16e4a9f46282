#include "upload_picture.h"

#include "bas_main.h"

namespace tarvo {

void PollForUpload(BasMain &core, bool uploadBusy) {
    if (core.CommandPollStatus()) return;
    if (core.state.ExitInProgress) return;
    const int picture = core.state.TrayPicture;
    if (picture == TRAY_CONNECTED || picture == TRAY_UPLOADING)
        core.TraySetPicture(uploadBusy ? TRAY_UPLOADING : TRAY_CONNECTED);
}

} // namespace tarvo
