#pragma once

#include "ports.h"

namespace tarvo {

class SystemWallClock : public WallClock {
  public:
    QDateTime localNow() const override { return QDateTime::currentDateTime(); }
};

} // namespace tarvo
