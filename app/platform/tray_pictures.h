#pragma once

#include <QIcon>

namespace tarvo {

// The tray pictures by line state: 0 failed, 1 request, 2 connected, 3 uploading, 98 off or
// unknown, 99 idle. Other indices give a null icon.
QIcon TrayPicture(int index);

} // namespace tarvo
