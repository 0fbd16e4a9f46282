#include "password_text.h"

#include "cp932.h"

namespace tarvo::settings {

namespace {

// U+F700 + byte in UTF-8: EF, 9C-9F, 80-BF.
std::string carried(unsigned char byte) {
    return {'\xEF', static_cast<char>(0x9C | byte >> 6), static_cast<char>(0x80 | (byte & 0x3F))};
}

bool isCarried(std::string_view utf8, std::size_t pos) {
    return utf8.size() - pos >= 3 && static_cast<unsigned char>(utf8[pos]) == 0xEF &&
           (static_cast<unsigned char>(utf8[pos + 1]) & 0xFC) == 0x9C &&
           (static_cast<unsigned char>(utf8[pos + 2]) & 0xC0) == 0x80;
}

} // namespace

std::string passwordText(std::string_view bytes) {
    std::string out;
    std::size_t pos = 0;
    while (pos < bytes.size()) {
        // One character at a time, kept only when it converts back to exactly its own bytes;
        // otherwise its first byte is carried alone and the next one starts a character afresh.
        const std::string_view character = bytes.substr(pos, cp932::charLength(bytes, pos));
        const std::string text = cp932::toUtf8(character);
        if (passwordBytes(text) == character) {
            out += text;
            pos += character.size();
        } else {
            out += carried(static_cast<unsigned char>(bytes[pos]));
            ++pos;
        }
    }
    return out;
}

std::optional<std::string> passwordBytes(std::string_view utf8) {
    std::string out;
    std::size_t runStart = 0;
    auto flush = [&](std::size_t end) {
        std::optional<std::string> run = cp932::fromUtf8(utf8.substr(runStart, end - runStart));
        if (run) out += *run;
        return run.has_value();
    };
    // 0xEF only ever leads a UTF-8 sequence, so a byte scan cannot find one inside another
    // character; what is not valid UTF-8 is left to the converter to refuse.
    for (std::size_t pos = 0; pos < utf8.size();) {
        if (!isCarried(utf8, pos)) {
            ++pos;
            continue;
        }
        if (!flush(pos)) return std::nullopt;
        out += static_cast<char>((utf8[pos + 1] & 0x03) << 6 | (utf8[pos + 2] & 0x3F));
        pos += 3;
        runStart = pos;
    }
    if (!flush(utf8.size())) return std::nullopt;
    return out;
}

} // namespace tarvo::settings
