#pragma once

#include "settings_effects.h"

#include <optional>

namespace tarvo {

// Where the traffic monitor is now, for whoever wants to store it (the options dialog's
// "現在の状態を反映"): Left, Top, Width, Height in twips, or nothing while it is not shown.
class MonitorGeometrySource {
  public:
    virtual ~MonitorGeometrySource() = default;
    virtual std::optional<settings::MonitorGeometry> currentGeometry() const = 0;
};

} // namespace tarvo
