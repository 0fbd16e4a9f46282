// Drives the TFTP transfers with a stream of arbitrary datagrams from arbitrary senders and
// checks that they never leave their documented states or send anything malformed.
#include "class3/tftp_transfer.h"

#include <cstdlib>

using namespace qs::class3;

namespace {

void check(bool ok) {
    if (!ok) std::abort();
}

void checkOutgoing(const std::optional<Outgoing> &o) {
    if (!o) return;
    check(o->bytes.size() >= 4 && o->bytes.size() <= 4 + kBlockSize);
}

bool knownStatus(int s) {
    return s == kTransferRunning || s == kTransferDone || s == kTransferUnexpected ||
           s == kTransferNoAnswer;
}

} // namespace

// Input: a sequence of records [kind][address byte][port byte][length][bytes...].
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    auto read = UnicastTransfer::read(0x0A000001, "getstatus///");
    auto write =
        UnicastTransfer::write(0x0A000001, "connect///", std::vector<uint8_t>(size % 1100, 0x5A));
    BroadcastRead broadcast("search///");
    read.start();
    write.start();
    broadcast.start();
    size_t i = 0;
    while (i + 4 <= size) {
        const uint8_t kind = data[i];
        const Endpoint from{0x0A000000u | data[i + 1] % 4, static_cast<uint16_t>(data[i + 2] % 3)};
        size_t n = data[i + 3];
        i += 4;
        if (n > size - i) n = size - i;
        std::span<const uint8_t> d(data + i, n);
        i += n;
        if (kind % 4 == 0) {
            checkOutgoing(read.onSilence());
            checkOutgoing(write.onSilence());
            continue;
        }
        checkOutgoing(read.onDatagram(from, d));
        checkOutgoing(write.onDatagram(from, d));
        checkOutgoing(broadcast.onDatagram(from, d));
        check(knownStatus(read.status()) && knownStatus(write.status()));
        check(read.result().bytes.size() <= kTftpMaxData);
    }
    broadcast.onSilence();
    check(broadcast.completed().size() <= kTftpMaxSenders);
    return 0;
}
