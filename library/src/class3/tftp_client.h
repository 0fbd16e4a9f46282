// Runs TFTP transfers over the OS layer's sockets, one second per wait.
#pragma once

#include "class3/tftp_transfer.h"
#include "os/platform.h"

namespace qs::class3 {

// Both return the transfer's final status.
int runTransfer(Network &net, UnicastTransfer &transfer);
int runBroadcast(Network &net, BroadcastRead &read);

} // namespace qs::class3
