#include "end_windows.h"

#include <array>

namespace tarvo {

std::optional<EndRequest> ChosenEndRequest(const CoreSettings &settings) {
    // In the order of the options: "POWEROFF", "LOGOFF", "REBOOT", "FORCE", "SHUTDOWN".
    static constexpr std::array<EndRequest, 5> kByOption{
        EndRequest::PowerOff, EndRequest::LogOff, EndRequest::Reboot, EndRequest::ForceLogOff,
        EndRequest::Shutdown};
    for (int n = 1; n <= 5; ++n)
        if (settings.EndType(n) != 0) return kByOption[static_cast<std::size_t>(n - 1)];
    return std::nullopt;
}

void EndWindows(const CoreSettings &settings, SessionEndPort &sessionEnd) {
    if (const auto request = ChosenEndRequest(settings)) sessionEnd.request(*request);
}

} // namespace tarvo
