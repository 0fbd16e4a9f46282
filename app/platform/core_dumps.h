#pragma once

namespace tarvo {

// The settings hold the FTP password in plain text for the whole run; a core dump of the
// program would carry it to disk. Turned off once at start-up.
void DisableCoreDumps();

} // namespace tarvo
