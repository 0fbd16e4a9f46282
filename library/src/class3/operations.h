// Class 3 router operations, run on a worker thread over a request block.
#pragma once

#include "os/platform.h"
#include "request.h"

namespace qs::class3 {

using Context = OperationContext;

// Appends accepted routers to the request's list. Returns 0, or -1 when the broadcast socket
// failed.
int search(Context &ctx, Request &req);

int readCondition(Context &ctx, Request &req);
int changeSite(Context &ctx, Request &req);
int clearCounter(Context &ctx, Request &req);
int setPassword(Context &ctx, Request &req);

Completion connectSequence(Context &ctx, Request &req);
Completion disconnectSequence(Context &ctx, Request &req);

} // namespace qs::class3
