#include "os/md5.h"

#include <openssl/evp.h>

namespace qs {

Md5Digest md5(std::span<const uint8_t> data) {
    Md5Digest out{};
    unsigned int length = 0;
    // EVP_Digest cannot fail for MD5 short of memory exhaustion; the zero digest then simply
    // fails authentication at the router.
    EVP_Digest(data.data(), data.size(), out.data(), &length, EVP_md5(), nullptr);
    return out;
}

} // namespace qs
