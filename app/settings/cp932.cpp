#include "cp932.h"

#include <algorithm>
#include <cerrno>
#include <iconv.h>
#include <stdexcept>

namespace tarvo::settings::cp932 {

namespace {

// U+30FB KATAKANA MIDDLE DOT, the default character of code page 932.
constexpr std::string_view kReplacementUtf8 = "\xE3\x83\xBB";

class Converter {
  public:
    Converter(const char *to, const char *from) : cd_(iconv_open(to, from)) {
        if (cd_ == reinterpret_cast<iconv_t>(-1))
            throw std::runtime_error(std::string("iconv cannot convert from ") + from + " to " +
                                     to);
    }
    ~Converter() { iconv_close(cd_); }
    Converter(const Converter &) = delete;
    Converter &operator=(const Converter &) = delete;

    // Converts as much as it can; returns the number of input bytes consumed. Stops at the first
    // sequence it cannot convert.
    std::size_t convert(std::string_view in, std::string &out) {
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        char *inPtr = const_cast<char *>(in.data());
        std::size_t inLeft = in.size();
        char buffer[256];
        while (inLeft > 0) {
            char *outPtr = buffer;
            std::size_t outLeft = sizeof buffer;
            std::size_t rc = iconv(cd_, &inPtr, &inLeft, &outPtr, &outLeft);
            out.append(buffer, static_cast<std::size_t>(outPtr - buffer));
            if (rc == static_cast<std::size_t>(-1) && errno != E2BIG) break;
        }
        return in.size() - inLeft;
    }

  private:
    iconv_t cd_;
};

// One converter per direction and thread: iconv descriptors carry state and are not shareable.
Converter &decoder() {
    thread_local Converter c("UTF-8", "CP932");
    return c;
}

Converter &encoder() {
    thread_local Converter c("CP932", "UTF-8");
    return c;
}

} // namespace

std::size_t charLength(std::string_view bytes, std::size_t pos) {
    if (pos + 1 < bytes.size() && isLeadByte(static_cast<unsigned char>(bytes[pos])) &&
        isTrailByte(static_cast<unsigned char>(bytes[pos + 1])))
        return 2;
    return 1;
}

std::string_view cutToCharBoundary(std::string_view bytes, std::size_t limit) {
    if (bytes.size() <= limit) return bytes;
    std::size_t pos = 0;
    while (pos < limit) {
        std::size_t len = charLength(bytes, pos);
        if (pos + len > limit) break;
        pos += len;
    }
    return bytes.substr(0, pos);
}

std::string toUtf8(std::string_view in) {
    std::string out;
    out.reserve(in.size() * 3 / 2);
    while (!in.empty()) {
        std::size_t used = decoder().convert(in, out);
        in.remove_prefix(used);
        if (in.empty()) break;
        // An undecodable character: skip it whole, as Windows does, and mark its place.
        out += kReplacementUtf8;
        in.remove_prefix(std::min(charLength(in, 0), in.size()));
    }
    return out;
}

std::optional<std::string> fromUtf8(std::string_view in) {
    std::string out;
    out.reserve(in.size());
    if (encoder().convert(in, out) != in.size()) return std::nullopt;
    return out;
}

} // namespace tarvo::settings::cp932
