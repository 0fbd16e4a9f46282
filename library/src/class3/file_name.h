// Class 3 command file names: the command word, the user name and the request digest.
#pragma once

#include <cstdint>
#include <string>

namespace qs::class3 {

enum class Command { Connect, Disconnect, ChangeAccount, GetStatus, ClearStatus, Search };

const char *commandWord(Command c);
// Index of the command's code in a model key entry.
int commandCodeIndex(Command c);

struct AuthContext {
    uint16_t seed = 0; // the router's last challenge, un-rotated
    uint16_t keyId = 0;
    uint32_t modelCode = 0;
    uint32_t userLength = 0;
    uint8_t user[20] = {};
    uint32_t passwordLength = 0;
    uint8_t password[20] = {};
};

uint16_t commandCode(Command c, uint16_t keyId, uint32_t modelCode);
// 32 lowercase hexadecimal characters.
std::string requestDigest(const AuthContext &auth, Command c);
// word "/" user "/" digest "/" (the digest is left out when there is no password).
std::string fileName(const AuthContext &auth, Command c);

} // namespace qs::class3
