#include "dynamic_router_library.h"

#include <dlfcn.h>

namespace tarvo {

struct DynamicRouterLibrary::Exports {
    decltype(&KZV_GetDllVersion) GetDllVersion;
    decltype(&KZV_Find) Find;
    decltype(&KZV_GetInformation) GetInformation;
    decltype(&KZV_Connect) Connect;
    decltype(&KZV_Disconnect) Disconnect;
    decltype(&KZV_GetCondition) GetCondition;
    decltype(&KZV_ChangeSite) ChangeSite;
    decltype(&KZV_GetConditionEx) GetConditionEx;
    decltype(&KZV_ClearCounter) ClearCounter;
    decltype(&KZV_Cleanup) Cleanup;
};

DynamicRouterLibrary::DynamicRouterLibrary(std::string folder, std::string fileName)
    : folder_(std::move(folder)), fileName_(std::move(fileName)) {}

DynamicRouterLibrary::~DynamicRouterLibrary() {
    delete exports_;
    // Left loaded: the library's workers may still be finishing when the program ends.
}

namespace {
template <typename F> F bind(void *handle, const char *name) {
    void *symbol = dlsym(handle, name);
    if (symbol == nullptr) throw LibraryUnavailable(std::string("missing export ") + name);
    return reinterpret_cast<F>(symbol);
}
} // namespace

const DynamicRouterLibrary::Exports &DynamicRouterLibrary::bound() {
    if (exports_ != nullptr) return *exports_;
    if (handle_ == nullptr) {
        // Only the file beside the program: never one found on a search path.
        const std::string path = folder_ + "/" + fileName_;
        handle_ = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (handle_ == nullptr) {
            const char *why = dlerror();
            throw LibraryUnavailable(why != nullptr ? why : path);
        }
    }
    auto *e = new Exports{
        bind<decltype(Exports::GetDllVersion)>(handle_, "KZV_GetDllVersion"),
        bind<decltype(Exports::Find)>(handle_, "KZV_Find"),
        bind<decltype(Exports::GetInformation)>(handle_, "KZV_GetInformation"),
        bind<decltype(Exports::Connect)>(handle_, "KZV_Connect"),
        bind<decltype(Exports::Disconnect)>(handle_, "KZV_Disconnect"),
        bind<decltype(Exports::GetCondition)>(handle_, "KZV_GetCondition"),
        bind<decltype(Exports::ChangeSite)>(handle_, "KZV_ChangeSite"),
        bind<decltype(Exports::GetConditionEx)>(handle_, "KZV_GetConditionEx"),
        bind<decltype(Exports::ClearCounter)>(handle_, "KZV_ClearCounter"),
        bind<decltype(Exports::Cleanup)>(handle_, "KZV_Cleanup"),
    };
    exports_ = e;
    return *exports_;
}

std::int32_t DynamicRouterLibrary::GetDllVersion() {
    // The entry table is pointer-sized per slot; the program has no use for it.
    uintptr_t table = 0;
    uint32_t count = 0;
    return bound().GetDllVersion(&table, &count);
}

std::int32_t DynamicRouterLibrary::Find(const NotifyTarget &target, std::int32_t max) {
    return bound().Find(&target, max);
}

std::int32_t DynamicRouterLibrary::GetInformation(RouterRecord *records, std::int32_t *count) {
    return bound().GetInformation(records, count);
}

std::int32_t DynamicRouterLibrary::Connect(const NotifyTarget &target, const RouterRecord &record,
                                           std::int32_t port) {
    return bound().Connect(&target, &record, port);
}

std::int32_t DynamicRouterLibrary::Disconnect(const NotifyTarget &target,
                                              const RouterRecord &record, std::int32_t port) {
    return bound().Disconnect(&target, &record, port);
}

std::int32_t DynamicRouterLibrary::GetCondition(RouterRecord &record, std::int32_t port) {
    return bound().GetCondition(&record, port);
}

std::int32_t DynamicRouterLibrary::ChangeSite(const RouterRecord &record, std::int32_t port,
                                              std::int32_t site) {
    return bound().ChangeSite(&record, port, site);
}

std::int32_t DynamicRouterLibrary::GetConditionEx(const RouterRecord &record, ConditionExRecord &ex,
                                                  std::int32_t port) {
    return bound().GetConditionEx(&record, &ex, port);
}

std::int32_t DynamicRouterLibrary::ClearCounter(const RouterRecord &record, std::int32_t port) {
    return bound().ClearCounter(&record, port);
}

std::int32_t DynamicRouterLibrary::Cleanup() {
    return bound().Cleanup();
}

} // namespace tarvo
