// The registered programs' option splitter on any text: whatever it accepts, each word quoted
// again and joined splits back into the same words, so no text can make the words differ from
// what the user typed.
#include "command_line_split.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    const auto words =
        tarvo::SplitCommandLine(std::string_view(reinterpret_cast<const char *>(data), size));
    if (!words) return 0;
    std::string joined;
    for (const std::string &w : *words) {
        joined += " '";
        for (char c : w) {
            if (c == '\'')
                joined += "'\\''";
            else
                joined += c;
        }
        joined += '\'';
    }
    const auto again = tarvo::SplitCommandLine(joined);
    if (!again || *again != *words) std::abort();
    return 0;
}
