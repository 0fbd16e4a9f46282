// Class 2 router operations, run on a worker thread over a request block.
#pragma once

#include "os/platform.h"
#include "request.h"

namespace qs::class2 {

using Context = OperationContext;

// Appends accepted routers to the request's list. Returns 0, or -1 when the broadcast socket
// failed (nothing was appended).
int search(Context &ctx, Request &req);

// Reads the port's condition into the request's record copy (plain) or through exOut
// (extended). Returns the line state as read, or a negative code.
int readCondition(Context &ctx, Request &req);

int changeSite(Context &ctx, Request &req);
int clearCounter(Context &ctx, Request &req);

Completion connectSequence(Context &ctx, Request &req);
Completion disconnectSequence(Context &ctx, Request &req);

} // namespace qs::class2
