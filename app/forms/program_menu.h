#pragma once

namespace tarvo {

class FrmMain;
class RegisteredPrograms;

// The tray menu's "スタート" entries: one per registered program, "連動起動" and "連動終了". Which
// of them show is the settings' business; once shown, each works whatever the line does.
void ConnectProgramMenu(FrmMain &main, RegisteredPrograms &programs);

} // namespace tarvo
