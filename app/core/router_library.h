#pragma once

#include <quaystone/quaystone.h>

#include <cstdint>
#include <stdexcept>
#include <string>

namespace tarvo {

// Raised by any call when the library file cannot be loaded or one of its exports is missing.
class LibraryUnavailable : public std::runtime_error {
  public:
    explicit LibraryUnavailable(const std::string &what) : std::runtime_error(what) {}
};

// The ten exports the program uses (it never sets router credentials).
class RouterLibrary {
  public:
    virtual ~RouterLibrary() = default;

    // The file name the user is told about when the library is missing.
    virtual std::string fileName() const = 0;

    virtual std::int32_t GetDllVersion() = 0;
    virtual std::int32_t Find(const NotifyTarget &target, std::int32_t max) = 0;
    virtual std::int32_t GetInformation(RouterRecord *records, std::int32_t *count) = 0;
    virtual std::int32_t Connect(const NotifyTarget &target, const RouterRecord &record,
                                 std::int32_t port) = 0;
    virtual std::int32_t Disconnect(const NotifyTarget &target, const RouterRecord &record,
                                    std::int32_t port) = 0;
    virtual std::int32_t GetCondition(RouterRecord &record, std::int32_t port) = 0;
    virtual std::int32_t ChangeSite(const RouterRecord &record, std::int32_t port,
                                    std::int32_t site) = 0;
    virtual std::int32_t GetConditionEx(const RouterRecord &record, ConditionExRecord &ex,
                                        std::int32_t port) = 0;
    virtual std::int32_t ClearCounter(const RouterRecord &record, std::int32_t port) = 0;
    virtual std::int32_t Cleanup() = 0;
};

} // namespace tarvo
