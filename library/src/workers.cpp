#include "workers.h"

#include "capability.h"
#include "class2/operations.h"
#include "library_state.h"
#include "os/platform.h"

namespace qs {

namespace {

class2::Context class2Context() {
    Platform &p = platform();
    return class2::Context{*p.network, *p.clock};
}

void finish(Request &req, Slot slot, Completion c) {
    libraryState().slots().release(slot);
    platform().poster->post(req.target.window, req.target.message, c.wparam, c.lparam);
}

// Routers of class 3 are not driven yet: their stage finds nothing and their requests fail.
void class3DiscoveryStage(Request &req, bool completionPosted) {
    if (!completionPosted) finish(req, kSlotDiscovery, Completion{KZV_OK, 0});
}

} // namespace

void findWorker(Request &req) {
    auto ctx = class2Context();
    bool posted = false;
    if (class2::search(ctx, req) != KZV_OK) {
        finish(req, kSlotDiscovery, Completion{KZV_E_FAIL, 0});
        posted = true;
    }
    class3DiscoveryStage(req, posted);
}

void connectWorker(Request &req) {
    Completion c{KZV_E_FAIL, 0};
    if (modelClass(req.record.model_code) == ModelClass::Two) {
        auto ctx = class2Context();
        c = class2::connectSequence(ctx, req);
    }
    finish(req, kSlotConnect, c);
}

void disconnectWorker(Request &req) {
    Completion c{KZV_E_FAIL, 0};
    if (modelClass(req.record.model_code) == ModelClass::Two) {
        auto ctx = class2Context();
        c = class2::disconnectSequence(ctx, req);
    }
    finish(req, kSlotDisconnect, c);
}

void conditionWorker(Request &req) {
    req.result = KZV_E_FAIL;
    if (modelClass(req.record.model_code) != ModelClass::Two) return;
    auto ctx = class2Context();
    req.result = class2::readCondition(ctx, req);
}

void changeSiteWorker(Request &req) {
    req.result = KZV_E_FAIL;
    if (modelClass(req.record.model_code) != ModelClass::Two) return;
    auto ctx = class2Context();
    req.result = class2::changeSite(ctx, req);
}

void clearCounterWorker(Request &req) {
    req.result = KZV_E_FAIL;
    if (modelClass(req.record.model_code) != ModelClass::Two) return;
    auto ctx = class2Context();
    req.result = class2::clearCounter(ctx, req);
}

void setPasswordWorker(Request &req) { req.result = KZV_E_FAIL; }

} // namespace qs
