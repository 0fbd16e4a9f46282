// The work each request does on its thread, dispatched by the router's model class.
#pragma once

#include "request.h"

namespace qs {

// Every worker runs on a thread of its own and lets no exception out of it: a failure of any
// kind ends the request like any other failure.

// Asynchronous workers: they release their busy slot and post their completion themselves.
void findWorker(Request &req) noexcept;
void connectWorker(Request &req) noexcept;
void disconnectWorker(Request &req) noexcept;

// Synchronous workers: they leave their result in req.result.
void conditionWorker(Request &req) noexcept;
void changeSiteWorker(Request &req) noexcept;
void clearCounterWorker(Request &req) noexcept;
void setPasswordWorker(Request &req) noexcept;

} // namespace qs
