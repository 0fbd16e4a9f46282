#include "class3/file_name.h"

#include "class3/model_key_table.h"
#include "os/md5.h"

#include <algorithm>
#include <vector>

namespace qs::class3 {

namespace {

// Lengths come from records a caller filled in; never let one index past its 20-byte field.
uint32_t clampLength(uint32_t n) {
    return std::min<uint32_t>(n, 20);
}

} // namespace

const char *commandWord(Command c) {
    switch (c) {
    case Command::Connect:
        return "connect";
    case Command::Disconnect:
        return "disconnect";
    case Command::ChangeAccount:
        return "changeaccount";
    case Command::GetStatus:
        return "getstatus";
    case Command::ClearStatus:
        return "clearstatus";
    case Command::Search:
        return "search";
    }
    return "";
}

int commandCodeIndex(Command c) {
    switch (c) {
    case Command::Connect:
        return 0;
    case Command::Disconnect:
        return 1;
    case Command::ChangeAccount:
        return 2;
    case Command::GetStatus:
        return 3;
    case Command::ClearStatus:
        return 4;
    case Command::Search:
        return 6;
    }
    return 0;
}

uint16_t commandCode(Command c, uint16_t keyId, uint32_t modelCode) {
    const ModelKey *entry = findModelKey(keyId, modelCode);
    return entry ? entry->commandCodes[commandCodeIndex(c)] : 0;
}

std::string requestDigest(const AuthContext &auth, Command c) {
    const uint32_t n = clampLength(auth.passwordLength);
    std::vector<uint8_t> input(auth.password, auth.password + n);
    const uint16_t code = commandCode(c, auth.keyId, auth.modelCode);
    input.push_back(static_cast<uint8_t>(code));
    input.push_back(static_cast<uint8_t>(code >> 8));
    input.push_back(static_cast<uint8_t>(auth.seed));
    input.push_back(static_cast<uint8_t>(auth.seed >> 8));
    static const char hex[] = "0123456789abcdef";
    std::string out;
    for (uint8_t b : md5(input)) {
        out += hex[b >> 4];
        out += hex[b & 15];
    }
    return out;
}

std::string fileName(const AuthContext &auth, Command c) {
    std::string name = commandWord(c);
    name += '/';
    name.append(reinterpret_cast<const char *>(auth.user), clampLength(auth.userLength));
    name += '/';
    if (auth.passwordLength != 0) name += requestDigest(auth, c);
    name += '/';
    return name;
}

} // namespace qs::class3
