// The work each request does on its thread, dispatched by the router's model class.
#pragma once

#include "request.h"

namespace qs {

// Asynchronous workers: they release their busy slot and post their completion themselves.
void findWorker(Request &req);
void connectWorker(Request &req);
void disconnectWorker(Request &req);

// Synchronous workers: they leave their result in req.result.
void conditionWorker(Request &req);
void changeSiteWorker(Request &req);
void clearCounterWorker(Request &req);
void setPasswordWorker(Request &req);

} // namespace qs
