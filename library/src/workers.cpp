#include "workers.h"

#include "capability.h"
#include "class2/operations.h"
#include "class3/operations.h"
#include "library_state.h"
#include "os/platform.h"

namespace qs {

namespace {

OperationContext operationContext() {
    Platform &p = platform();
    return OperationContext{*p.network, *p.clock};
}

void post(Request &req, Completion c) {
    platform().poster->post(req.target.window, req.target.message, c.wparam, c.lparam);
}

void finish(Request &req, Slot slot, Completion c) {
    req.finished = true;
    libraryState().slots().release(slot);
    post(req, c);
}

// Runs an asynchronous request's body. Whatever it throws (an allocation that failed, say), the
// request still ends the way every failed request does: its slot is released and its failure
// completion posted, once.
template <typename Body>
void runAsync(Request &req, Slot slot, Completion failure, Body body) noexcept {
    try {
        body();
        return;
    } catch (...) {
    }
    if (req.finished) return;
    req.finished = true;
    libraryState().slots().release(slot);
    try {
        post(req, failure);
    } catch (...) {
        // Nothing left to tell the caller with; the slot at least is free again.
    }
}

template <typename Body> int runSync(Body body) noexcept {
    try {
        return body();
    } catch (...) {
        return KZV_E_FAIL;
    }
}

// Runs the operation of the record's model class; the capability check at the entry point
// keeps every other class away.
template <typename R, typename Two, typename Three>
R byClass(Request &req, R otherwise, Two two, Three three) {
    switch (modelClass(req.record.model_code)) {
    case ModelClass::Two: {
        auto ctx = operationContext();
        return two(ctx, req);
    }
    case ModelClass::Three: {
        auto ctx = operationContext();
        return three(ctx, req);
    }
    default:
        return otherwise;
    }
}

// The completion that ends a search that failed: no other message follows it.
constexpr Completion kSearchFailed{KZV_E_FAIL, -3};
constexpr Completion kSequenceFailed{KZV_E_FAIL, 0};

} // namespace

void findWorker(Request &req) noexcept {
    runAsync(req, kSlotDiscovery, kSearchFailed, [&] {
        auto c2 = operationContext();
        // When the class 2 socket fails its failure is posted at once, but the slot stays taken
        // until the class 3 stage ends: releasing it early would let a new search start and then
        // be released from under it by this one.
        const bool class2Failed = class2::search(c2, req) != KZV_OK;
        if (class2Failed) post(req, Completion{KZV_E_FAIL, 0});
        auto c3 = operationContext();
        const bool class3Failed = class3::search(c3, req) != KZV_OK;
        finish(req, kSlotDiscovery, class3Failed ? kSearchFailed : Completion{KZV_OK, 0});
    });
}

void connectWorker(Request &req) noexcept {
    runAsync(req, kSlotConnect, kSequenceFailed, [&] {
        finish(req, kSlotConnect,
               byClass(req, kSequenceFailed, class2::connectSequence, class3::connectSequence));
    });
}

void disconnectWorker(Request &req) noexcept {
    runAsync(req, kSlotDisconnect, kSequenceFailed, [&] {
        finish(
            req, kSlotDisconnect,
            byClass(req, kSequenceFailed, class2::disconnectSequence, class3::disconnectSequence));
    });
}

void conditionWorker(Request &req) noexcept {
    req.result = runSync(
        [&] { return byClass(req, KZV_E_FAIL, class2::readCondition, class3::readCondition); });
}

void changeSiteWorker(Request &req) noexcept {
    req.result =
        runSync([&] { return byClass(req, KZV_E_FAIL, class2::changeSite, class3::changeSite); });
}

void clearCounterWorker(Request &req) noexcept {
    req.result = runSync(
        [&] { return byClass(req, KZV_E_FAIL, class2::clearCounter, class3::clearCounter); });
}

void setPasswordWorker(Request &req) noexcept {
    req.result = runSync([&] {
        return byClass(
            req, KZV_E_FAIL, [](class2::Context &, Request &) { return KZV_E_FAIL; },
            class3::setPassword);
    });
}

} // namespace qs
