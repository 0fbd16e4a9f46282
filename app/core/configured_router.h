#pragma once

#include "core_state.h"

#include <QString>

namespace tarvo {

// The address setting that names no router at all.
inline const QString kNoRouterAddress = QStringLiteral("0.0.0.0");

// The entry of `table` at `index` when it is the router the address setting `ip` names, else
// nullptr. Every request for the line goes through here: on a LAN with two routers, acting on
// whichever answered would dial or hang up somebody else's line.
RouterRecord *ConfiguredRouter(std::array<RouterRecord, ROUTER_TABLE_SIZE> &table, int index,
                               const QString &ip);

// True while a router is configured but the last discovery did not find it.
bool ConfiguredRouterMissing(const CoreState &state, const QString &ip);

} // namespace tarvo
