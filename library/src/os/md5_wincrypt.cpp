#include "os/md5.h"

// windows.h must come first: wincrypt.h builds on its types.
#include <windows.h>

#include <wincrypt.h>

namespace qs {

Md5Digest md5(std::span<const uint8_t> data) {
    Md5Digest out{};
    HCRYPTPROV provider = 0;
    if (!CryptAcquireContextA(&provider, nullptr, nullptr, PROV_RSA_FULL, CRYPT_VERIFYCONTEXT))
        return out;
    HCRYPTHASH hash = 0;
    if (CryptCreateHash(provider, CALG_MD5, 0, 0, &hash)) {
        DWORD length = static_cast<DWORD>(out.size());
        if (CryptHashData(hash, data.data(), static_cast<DWORD>(data.size()), 0))
            CryptGetHashParam(hash, HP_HASHVAL, out.data(), &length, 0);
        CryptDestroyHash(hash);
    }
    CryptReleaseContext(provider, 0);
    return out;
}

} // namespace qs
