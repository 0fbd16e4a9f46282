// The request block a worker thread runs on: private copies of everything the caller passed.
#pragma once

#include "os/platform.h"
#include "quaystone/quaystone.h"
#include "socket_layer.h"

#include "os/lock.h"
#include <cstdint>
#include <memory>

#include <mutex>
#include <vector>

namespace qs {

// Routers found by one search. Shared between the searching worker and the library state, so
// that a cleanup or a new search can drop the list while a worker still appends to it.
struct DiscoveryList {
    Lock mutex;
    std::vector<RouterRecord> records;
    size_t max = 0;

    bool full() {
        std::lock_guard lock(mutex);
        return records.size() >= max;
    }
    // False when the list already holds max records.
    bool append(const RouterRecord &r) {
        std::lock_guard lock(mutex);
        if (records.size() >= max) return false;
        records.push_back(r);
        return true;
    }
};

struct Request {
    NotifyTarget target{};
    RouterRecord record{};
    int port = 0;
    int timeLimitSeconds = 0;
    uint16_t site = 0;
    bool extended = false;
    ConditionExRecord *exOut = nullptr;
    RouterCredentials credentials{};
    std::shared_ptr<DiscoveryList> list;
    std::shared_ptr<SocketLayer> layer; // kept started while the request runs
    int result = 0;
    bool finished = false; // an asynchronous request's slot is released and its completion posted
};

// The OS services a router operation works with, taken once per request.
struct OperationContext {
    Network &network;
    Clock &clock;
};

// What an asynchronous worker posts to its caller's window.
struct Completion {
    int32_t wparam = 0;
    int32_t lparam = 0;
    bool operator==(const Completion &) const = default;
};

} // namespace qs
