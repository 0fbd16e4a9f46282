#pragma once

#include "router_library.h"

#include <string>

namespace tarvo {

// The library is a separate file beside the program, loaded at the first call and bound export
// by export, so that a missing or foreign file is reported instead of stopping the start.
class DynamicRouterLibrary : public RouterLibrary {
  public:
    DynamicRouterLibrary(std::string folder, std::string fileName);
    ~DynamicRouterLibrary() override;
    DynamicRouterLibrary(const DynamicRouterLibrary &) = delete;
    DynamicRouterLibrary &operator=(const DynamicRouterLibrary &) = delete;

    std::string fileName() const override { return fileName_; }

    std::int32_t GetDllVersion() override;
    std::int32_t Find(const NotifyTarget &target, std::int32_t max) override;
    std::int32_t GetInformation(RouterRecord *records, std::int32_t *count) override;
    std::int32_t Connect(const NotifyTarget &target, const RouterRecord &record,
                         std::int32_t port) override;
    std::int32_t Disconnect(const NotifyTarget &target, const RouterRecord &record,
                            std::int32_t port) override;
    std::int32_t GetCondition(RouterRecord &record, std::int32_t port) override;
    std::int32_t ChangeSite(const RouterRecord &record, std::int32_t port,
                            std::int32_t site) override;
    std::int32_t GetConditionEx(const RouterRecord &record, ConditionExRecord &ex,
                                std::int32_t port) override;
    std::int32_t ClearCounter(const RouterRecord &record, std::int32_t port) override;
    std::int32_t Cleanup() override;

  private:
    struct Exports;
    const Exports &bound();

    std::string folder_;
    std::string fileName_;
    void *handle_ = nullptr;
    Exports *exports_ = nullptr;
};

} // namespace tarvo
