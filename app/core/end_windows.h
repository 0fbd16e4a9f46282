#pragma once

#include "ports.h"

#include <optional>

namespace tarvo {

// The request that the end options ask for: the first chosen of EndType1 to EndType5, so that
// power-off wins over log-off when a hand-edited file chose both. None when nothing is chosen.
std::optional<EndRequest> ChosenEndRequest(const CoreSettings &settings);

void EndWindows(const CoreSettings &settings, SessionEndPort &sessionEnd);

} // namespace tarvo
