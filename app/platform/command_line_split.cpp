#include "command_line_split.h"

namespace tarvo {

namespace {
bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n';
}
} // namespace

std::optional<std::vector<std::string>> SplitCommandLine(std::string_view text) {
    std::vector<std::string> words;
    std::string word;
    // A word exists once any of its characters or quotes was seen, so that "" counts.
    bool inWord = false;
    std::size_t i = 0;
    const std::size_t n = text.size();
    while (i < n) {
        const char c = text[i];
        if (isBlank(c)) {
            if (inWord) {
                words.push_back(std::move(word));
                word.clear();
                inWord = false;
            }
            ++i;
        } else if (c == '\\') {
            if (i + 1 >= n) return std::nullopt;
            if (text[i + 1] != '\n') {
                word.push_back(text[i + 1]);
                inWord = true;
            }
            i += 2;
        } else if (c == '\'') {
            const std::size_t close = text.find('\'', i + 1);
            if (close == std::string_view::npos) return std::nullopt;
            word.append(text.substr(i + 1, close - i - 1));
            inWord = true;
            i = close + 1;
        } else if (c == '"') {
            inWord = true;
            ++i;
            for (;;) {
                if (i >= n) return std::nullopt;
                const char d = text[i];
                if (d == '"') {
                    ++i;
                    break;
                }
                if (d == '\\' && i + 1 < n) {
                    const char e = text[i + 1];
                    if (e == '\\' || e == '"' || e == '$' || e == '`') {
                        word.push_back(e);
                        i += 2;
                        continue;
                    }
                    if (e == '\n') {
                        i += 2;
                        continue;
                    }
                }
                word.push_back(d);
                ++i;
            }
        } else {
            word.push_back(c);
            inWord = true;
            ++i;
        }
    }
    if (inWord) words.push_back(std::move(word));
    return words;
}

} // namespace tarvo
