#pragma once

namespace tarvo {

class BasMain;

// The line poll an IP page upload runs when it starts and when it ends. While another sequence
// has the line, polling would nest inside it; then only the picture the upload changes is
// swapped (connected for uploading, or back), and that sequence's own poll does the rest.
void PollForUpload(BasMain &core, bool uploadBusy);

} // namespace tarvo
