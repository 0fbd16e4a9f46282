// The eleven entry points: argument checks, busy slots and worker start-up.
#include "quaystone/quaystone.h"

#include "capability.h"
#include "library_state.h"
#include "os/platform.h"
#include "request.h"
#include "workers.h"

#include <cstring>
#include <memory>

using namespace qs;

namespace {

bool validPort(int32_t port) {
    return port == 0 || port == 1;
}

// No exception may reach a caller, who may not even be written in C++: whatever escapes an
// entry point's body (an allocation that failed, say) makes the call fail.
template <typename Body> int32_t guarded(Body body) noexcept {
    try {
        return body();
    } catch (...) {
        return KZV_E_FAIL;
    }
}

// A busy slot taken by an entry point. It goes back when the call fails in any way, exceptions
// included, unless a started worker has taken it over.
class SlotHold {
  public:
    explicit SlotHold(Slot s) : slot_(s), held_(libraryState().slots().take(s)) {}
    ~SlotHold() {
        if (held_) libraryState().slots().release(slot_);
    }
    SlotHold(const SlotHold &) = delete;
    SlotHold &operator=(const SlotHold &) = delete;
    bool held() const { return held_; }
    void handOver() { held_ = false; }

  private:
    Slot slot_;
    bool held_;
};

// Starts an asynchronous worker that owns req. False when no thread could be made.
bool startAsync(std::unique_ptr<Request> req, void (*worker)(Request &) noexcept) {
    std::shared_ptr<Request> owned(std::move(req));
    return platform().threads->startDetached([owned, worker] { worker(*owned); });
}

// Runs a synchronous worker and waits for it. False when no thread could be made.
bool runSync(Request &req, void (*worker)(Request &) noexcept) {
    return platform().threads->runAndWait([&req, worker] { worker(req); });
}

std::unique_ptr<Request> newRequest(const std::shared_ptr<SocketLayer> &layer,
                                    const RouterRecord &record, int32_t port) {
    auto req = std::make_unique<Request>();
    req->layer = layer;
    std::memcpy(&req->record, &record, sizeof record);
    req->port = port;
    return req;
}

// Credential lengths index fixed 20-byte fields; a larger one would make a request read past the
// caller's record.
bool credentialsFit(const RouterRecord &r) {
    return r.user_length <= 20 && r.password_length <= 20;
}

int32_t startSequence(const NotifyTarget *target, const RouterRecord *record, int32_t port,
                      Operation op, Slot slot, int timeLimit, void (*worker)(Request &) noexcept) {
    const auto layer = libraryState().ensureInitialised();
    if (!validPort(port)) return KZV_E_PARAM;
    if (!target || !record || !credentialsFit(*record)) return KZV_E_PARAM;
    if (!offers(record->model_code, op)) return KZV_E_UNSUPPORTED;
    if (!layer->usable()) return KZV_E_FAIL;
    SlotHold hold(slot);
    if (!hold.held()) return KZV_E_BUSY;
    auto req = newRequest(layer, *record, port);
    req->target = *target;
    req->timeLimitSeconds = timeLimit;
    if (!startAsync(std::move(req), worker)) return KZV_E_FAIL;
    hold.handOver();
    return KZV_OK;
}

uintptr_t g_entryTable[KZV_ENTRY_TABLE_SLOTS];

} // namespace

extern "C" {

KZV_API int32_t KZV_CALL KZV_GetDllVersion(uintptr_t *table_out, uint32_t *count_out) {
    if (table_out && count_out) {
        std::memset(g_entryTable, 0, sizeof g_entryTable);
        const uintptr_t entries[KZV_ENTRY_COUNT] = {
            reinterpret_cast<uintptr_t>(&KZV_GetDllVersion),
            reinterpret_cast<uintptr_t>(&KZV_Find),
            reinterpret_cast<uintptr_t>(&KZV_GetInformation),
            reinterpret_cast<uintptr_t>(&KZV_Connect),
            reinterpret_cast<uintptr_t>(&KZV_Disconnect),
            reinterpret_cast<uintptr_t>(&KZV_GetCondition),
            reinterpret_cast<uintptr_t>(&KZV_ChangeSite),
            reinterpret_cast<uintptr_t>(&KZV_GetConditionEx),
            reinterpret_cast<uintptr_t>(&KZV_ClearCounter),
            reinterpret_cast<uintptr_t>(&KZV_Cleanup),
            reinterpret_cast<uintptr_t>(&KZV_SetPassword),
        };
        std::memcpy(g_entryTable, entries, sizeof entries);
        *table_out = reinterpret_cast<uintptr_t>(g_entryTable);
        *count_out = KZV_ENTRY_COUNT;
    }
    return KZV_INTERFACE_VERSION;
}

KZV_API int32_t KZV_CALL KZV_Find(const NotifyTarget *target, int32_t max) {
    return guarded([&] {
        const auto layer = libraryState().ensureInitialised();
        if (!target) return KZV_E_PARAM;
        if (max < 1 || max > KZV_MAX_ROUTERS) return KZV_E_PARAM;
        if (!layer->usable()) return KZV_E_FAIL;
        SlotHold hold(kSlotDiscovery);
        if (!hold.held()) return KZV_E_BUSY;
        auto req = std::make_unique<Request>();
        req->layer = layer;
        req->target = *target;
        req->list = std::make_shared<DiscoveryList>();
        req->list->max = static_cast<size_t>(max);
        // The new list replaces an unfetched one only once its search is under way: a search
        // that cannot start leaves the caller the result it has not fetched yet.
        auto installed = req->list;
        auto previous = libraryState().replaceList(installed);
        bool started = false;
        try {
            started = startAsync(std::move(req), findWorker);
        } catch (...) {
        }
        if (!started) {
            libraryState().restoreList(installed, std::move(previous));
            return KZV_E_FAIL;
        }
        hold.handOver();
        return KZV_OK;
    });
}

KZV_API int32_t KZV_CALL KZV_GetInformation(RouterRecord *records_out, int32_t *count_out) {
    return guarded([&] {
        if (!records_out || !count_out) return KZV_E_PARAM;
        auto fetched = libraryState().fetchList();
        if (!fetched.list) return fetched.code;
        const DiscoveryList &list = *fetched.list;
        for (size_t i = 0; i < list.records.size(); ++i)
            std::memcpy(&records_out[i], &list.records[i], sizeof(RouterRecord));
        *count_out = static_cast<int32_t>(list.records.size());
        return KZV_OK;
    });
}

KZV_API int32_t KZV_CALL KZV_Connect(const NotifyTarget *target, const RouterRecord *record,
                                     int32_t port) {
    return guarded([&] {
        return startSequence(target, record, port, kOpConnect, kSlotConnect, 120, connectWorker);
    });
}

KZV_API int32_t KZV_CALL KZV_Disconnect(const NotifyTarget *target, const RouterRecord *record,
                                        int32_t port) {
    return guarded([&] {
        return startSequence(target, record, port, kOpDisconnect, kSlotDisconnect, 15,
                             disconnectWorker);
    });
}

KZV_API int32_t KZV_CALL KZV_GetCondition(RouterRecord *record, int32_t port) {
    return guarded([&] {
        const auto layer = libraryState().ensureInitialised();
        if (!validPort(port)) return KZV_E_PARAM;
        if (!record || !credentialsFit(*record)) return KZV_E_PARAM;
        if (!offers(record->model_code, kOpCondition)) return KZV_E_UNSUPPORTED;
        if (!layer->usable()) return KZV_E_FAIL;
        auto req = newRequest(layer, *record, port);
        if (!runSync(*req, conditionWorker)) return KZV_E_FAIL;
        std::memcpy(&record->ports[port], &req->record.ports[port], sizeof(PortCondition));
        return req->result == LINE_CONNECTED_EX ? LINE_CONNECTED : req->result;
    });
}

KZV_API int32_t KZV_CALL KZV_ChangeSite(const RouterRecord *record, int32_t port, int32_t site) {
    return guarded([&] {
        const auto layer = libraryState().ensureInitialised();
        if (!validPort(port)) return KZV_E_PARAM;
        if (!record || !credentialsFit(*record)) return KZV_E_PARAM;
        if (!offers(record->model_code, kOpChangeSite)) return KZV_E_UNSUPPORTED;
        if (!layer->usable()) return KZV_E_FAIL;
        auto req = newRequest(layer, *record, port);
        const bool class3 = modelClass(record->model_code) == ModelClass::Three;
        req->site = static_cast<uint16_t>(class3 ? site + port * 4 : site);
        if (!runSync(*req, changeSiteWorker)) return KZV_E_FAIL;
        return req->result;
    });
}

KZV_API int32_t KZV_CALL KZV_GetConditionEx(const RouterRecord *record, ConditionExRecord *ex_out,
                                            int32_t port) {
    return guarded([&] {
        const auto layer = libraryState().ensureInitialised();
        if (!validPort(port)) return KZV_E_PARAM;
        if (!record || !ex_out || !credentialsFit(*record)) return KZV_E_PARAM;
        if (!offers(record->model_code, kOpConditionEx)) return KZV_E_UNSUPPORTED;
        if (!layer->usable()) return KZV_E_FAIL;
        auto req = newRequest(layer, *record, port);
        req->extended = true;
        req->exOut = ex_out;
        if (!runSync(*req, conditionWorker)) return KZV_E_FAIL;
        return req->result;
    });
}

KZV_API int32_t KZV_CALL KZV_ClearCounter(const RouterRecord *record, int32_t port) {
    return guarded([&] {
        const auto layer = libraryState().ensureInitialised();
        if (!validPort(port)) return KZV_E_PARAM;
        if (!record || !credentialsFit(*record)) return KZV_E_PARAM;
        if (!offers(record->model_code, kOpClearCounter)) return KZV_E_UNSUPPORTED;
        if (!layer->usable()) return KZV_E_FAIL;
        auto req = newRequest(layer, *record, port);
        if (!runSync(*req, clearCounterWorker)) return KZV_E_FAIL;
        return req->result;
    });
}

KZV_API int32_t KZV_CALL KZV_Cleanup(void) {
    return guarded([] {
        libraryState().cleanup();
        return KZV_OK;
    });
}

KZV_API int32_t KZV_CALL KZV_SetPassword(RouterRecord *record,
                                         const RouterCredentials *credentials) {
    return guarded([&] {
        const auto layer = libraryState().ensureInitialised();
        if (!record || !credentials) return KZV_E_PARAM;
        if (!offers(record->model_code, kOpSetPassword)) return KZV_E_UNSUPPORTED;
        // Lengths index fixed 20-byte fields; anything larger would read past the records.
        if (credentials->user_length > 20 || credentials->password_length > 20 ||
            !credentialsFit(*record))
            return KZV_E_PARAM;
        if (!layer->usable()) return KZV_E_FAIL;
        auto req = newRequest(layer, *record, 0);
        std::memcpy(&req->credentials, credentials, sizeof *credentials);
        if (!runSync(*req, setPasswordWorker)) return KZV_E_FAIL;
        std::memcpy(record, &req->record, sizeof *record);
        return req->result;
    });
}

} // extern "C"
