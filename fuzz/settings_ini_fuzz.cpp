// The settings file reader on any bytes: reading never fails, and a key written into the file is
// read back as written while the bytes before it stay as they were.
#include "ini_text.h"
#include "profile_file.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

void check(bool ok) {
    if (!ok) std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    using namespace tarvo::settings;
    std::string_view file(reinterpret_cast<const char *>(data), size);

    static const std::string_view sections[] = {"Standard", "watch", "", "\x81]", "Other"};
    static const std::string_view keys[] = {"Count", "watchtime", "IP", "\x83\x41", "LOG"};
    for (std::string_view section : sections)
        for (std::string_view key : keys)
            if (auto value = ini::findValue(file, section, key)) (void)leadingNumber(*value);

    // Every later save writes through setValue: the value must come back, and the head of the
    // file must not move.
    std::string edited(file);
    const std::string_view values[] = {"1", "", "\xca\xde\xb0 1.2.0", "  spaced  x"};
    std::size_t n = 0;
    for (std::string_view section : {std::string_view("Standard"), std::string_view("Watch")}) {
        for (std::string_view key : keys) {
            std::string_view value = values[n++ % std::size(values)];
            if (!ini::isWritable(section, key, value)) continue;
            std::string next = ini::setValue(edited, section, key, value);
            auto back = ini::findValue(next, section, key);
            std::string_view expected = value;
            while (!expected.empty() && (expected.front() == ' ' || expected.front() == '\t'))
                expected.remove_prefix(1);
            while (!expected.empty() && (expected.back() == ' ' || expected.back() == '\t'))
                expected.remove_suffix(1);
            check(back && *back == expected);
            edited = std::move(next);
        }
    }

    // Deleting a key (one kept in the file only while it is set) takes out one run of bytes,
    // its line, and leaves the rest as it was.
    for (std::string_view key : keys) {
        std::string next = ini::removeKey(file, "Standard", key);
        check(next.size() <= file.size());
        std::size_t same = 0;
        while (same < next.size() && next[same] == file[same])
            ++same;
        check(file.substr(same + (file.size() - next.size())) ==
              std::string_view(next).substr(same));
    }
    return 0;
}
