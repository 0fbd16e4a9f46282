// The PE file reader behind the DLL file checks on any bytes: it reports a malformed file, never
// reads outside it, and every span it hands out has the size asked for.
#include "pe_image.h"
#include "return_sites.h"

#include <cstdint>
#include <cstdlib>
#include <span>

namespace {

void check(bool ok) {
    if (!ok) std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    std::span<const std::uint8_t> file(data, size);
    auto parsed = qs::pe::parse(file);
    check(parsed.image.has_value() != !parsed.error.empty());
    if (!parsed.image) return 0;
    const auto &image = *parsed.image;
    for (const auto &e : image.exports) {
        for (std::uint32_t n : {0u, 1u, 64u, 0xFFFFFFFFu}) {
            auto code = qs::pe::bytesAt(file, image, e.rva, n);
            if (!code) continue;
            check(code->size() == n);
            check(code->data() >= data && code->data() + code->size() <= data + size);
            for (const auto &site : qs::pe::returnSites(*code, e.rva))
                check(site.rva >= e.rva && site.rva - e.rva + 3 <= n);
        }
    }
    for (const auto &s : image.symbols)
        (void)qs::pe::sectionAt(image, s.rva);
    return 0;
}
