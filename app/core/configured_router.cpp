#include "configured_router.h"

#include "connection_texts.h"

namespace tarvo {

namespace {
bool names(const RouterRecord &record, const QString &ip) {
    return ip != kNoRouterAddress && FormatIp(record.address) == ip;
}
} // namespace

RouterRecord *ConfiguredRouter(std::array<RouterRecord, ROUTER_TABLE_SIZE> &table, int index,
                               const QString &ip) {
    if (index < 0 || index >= ROUTER_TABLE_SIZE) return nullptr;
    RouterRecord &record = table[static_cast<std::size_t>(index)];
    return names(record, ip) ? &record : nullptr;
}

bool ConfiguredRouterMissing(const CoreState &state, const QString &ip) {
    if (ip == kNoRouterAddress) return false;
    const int i = state.SelectedRouter;
    return i < 0 || i >= ROUTER_TABLE_SIZE ||
           !names(state.RouterTable[static_cast<std::size_t>(i)], ip);
}

} // namespace tarvo
