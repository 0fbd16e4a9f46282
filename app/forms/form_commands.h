#pragma once

namespace tarvo {

class BasMain;
class FrmMain;
class FrmMsg;

// The forms' event handlers: what each button, menu entry, timer and close box runs.
void ConnectForms(FrmMain &main, FrmMsg &cancelWindow, BasMain &core);

} // namespace tarvo
