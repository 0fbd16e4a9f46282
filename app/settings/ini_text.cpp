#include "ini_text.h"

#include "cp932.h"

#include <cassert>
#include <vector>

namespace tarvo::settings::ini {

namespace {

constexpr std::string_view kLineEnd = "\r\n";

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\v' || c == '\f';
}

std::string_view trim(std::string_view s) {
    while (!s.empty() && isBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && isBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

char foldAscii(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

// Case folds single-byte letters only: the second byte of a two-byte character may look like a
// letter and must compare exactly.
bool sameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    std::size_t pos = 0;
    while (pos < a.size()) {
        std::size_t len = cp932::charLength(a, pos);
        if (cp932::charLength(b, pos) != len) return false;
        if (len == 1) {
            if (foldAscii(a[pos]) != foldAscii(b[pos])) return false;
        } else if (a.substr(pos, len) != b.substr(pos, len)) {
            return false;
        }
        pos += len;
    }
    return true;
}

// Position of the first single-byte `c` that is not the second half of a two-byte character.
std::size_t findChar(std::string_view s, char c) {
    for (std::size_t pos = 0; pos < s.size(); pos += cp932::charLength(s, pos))
        if (s[pos] == c) return pos;
    return std::string_view::npos;
}

struct Line {
    std::size_t begin = 0;
    std::size_t contentEnd = 0; // before the line end
    std::size_t end = 0;        // after the line end
    enum Kind { Blank, Section, Entry } kind = Blank;
    std::string_view name;
    std::optional<std::string_view> value; // entries only; none when the line has no '='
};

struct Section {
    std::string_view name;
    std::vector<std::size_t> lines; // indices of the header and every line up to the next header
};

struct Layout {
    std::vector<Line> lines;
    std::vector<Section> sections; // sections[0]: the lines before the first header, unnamed
};

Line parseLine(std::string_view file, std::size_t begin, std::size_t contentEnd, std::size_t end) {
    Line line;
    line.begin = begin;
    line.contentEnd = contentEnd;
    line.end = end;
    std::string_view text = trim(file.substr(begin, contentEnd - begin));
    if (text.empty()) return line;
    if (text.front() == '[') {
        std::size_t close = findChar(text.substr(1), ']');
        if (close != std::string_view::npos) {
            line.kind = Line::Section;
            line.name = trim(text.substr(1, close));
            return line;
        }
    }
    line.kind = Line::Entry;
    std::size_t eq = findChar(text, '=');
    if (eq == std::string_view::npos) {
        line.name = text;
    } else {
        line.name = trim(text.substr(0, eq));
        line.value = trim(text.substr(eq + 1));
    }
    return line;
}

Layout parse(std::string_view file) {
    Layout layout;
    layout.sections.push_back(Section{});
    std::size_t pos = 0;
    while (pos < file.size()) {
        std::size_t contentEnd = file.find_first_of("\r\n", pos);
        std::size_t end;
        if (contentEnd == std::string_view::npos) {
            contentEnd = end = file.size();
        } else {
            end = contentEnd + 1;
            if (file[contentEnd] == '\r' && end < file.size() && file[end] == '\n') ++end;
        }
        Line line = parseLine(file, pos, contentEnd, end);
        if (line.kind == Line::Section) layout.sections.push_back(Section{line.name, {}});
        layout.sections.back().lines.push_back(layout.lines.size());
        layout.lines.push_back(line);
        pos = end;
    }
    return layout;
}

// The unnamed part before the first header takes part in lookups under the empty name; a later
// "[]" header is then a duplicate and loses, as every duplicate does.
const Section *findSection(const Layout &layout, std::string_view name) {
    for (const Section &s : layout.sections)
        if (sameName(s.name, trim(name))) return &s;
    return nullptr;
}

const Line *findEntry(const Layout &layout, const Section &section, std::string_view key) {
    for (std::size_t index : section.lines) {
        const Line &line = layout.lines[index];
        if (line.kind == Line::Entry && sameName(line.name, trim(key))) return &line;
    }
    return nullptr;
}

std::string_view unquote(std::string_view v) {
    if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
        return v.substr(1, v.size() - 2);
    return v;
}

bool hasLineBreakOrNul(std::string_view s) {
    return s.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos;
}

} // namespace

std::optional<std::string_view> findValue(std::string_view file, std::string_view section,
                                          std::string_view key) {
    Layout layout = parse(file);
    const Section *s = findSection(layout, section);
    if (s == nullptr) return std::nullopt;
    const Line *entry = findEntry(layout, *s, key);
    if (entry == nullptr || !entry->value) return std::nullopt;
    return unquote(*entry->value);
}

bool isWritable(std::string_view section, std::string_view key, std::string_view value) {
    if (hasLineBreakOrNul(section) || hasLineBreakOrNul(key) || hasLineBreakOrNul(value))
        return false;
    std::string_view s = trim(section);
    std::string_view k = trim(key);
    return !s.empty() && !k.empty() && findChar(s, ']') == std::string_view::npos &&
           findChar(k, '=') == std::string_view::npos && k.front() != '[';
}

std::string setValue(std::string_view file, std::string_view section, std::string_view key,
                     std::string_view value) {
    assert(isWritable(section, key, value));
    Layout layout = parse(file);
    std::string out(file);
    const Section *s = findSection(layout, section);
    if (s == nullptr || s->lines.empty()) {
        if (!out.empty() && out.back() != '\n' && out.back() != '\r') out += kLineEnd;
        out.append("[").append(section).append("]").append(kLineEnd);
        out.append(key).append("=").append(value).append(kLineEnd);
        return out;
    }
    if (const Line *entry = findEntry(layout, *s, key)) {
        // The key keeps the spelling it has in the file; blanks around it and the old value go.
        std::string line(entry->name);
        line.append("=").append(value);
        out.replace(entry->begin, entry->contentEnd - entry->begin, line);
        return out;
    }
    // After the last line of the section that is not blank, so that blank lines separating it
    // from the next section stay where they are.
    const Line *last = &layout.lines[s->lines.front()];
    for (std::size_t index : s->lines)
        if (layout.lines[index].kind != Line::Blank) last = &layout.lines[index];
    std::string insert;
    if (last->end == last->contentEnd) insert += kLineEnd; // the file ended without a line end
    insert.append(key).append("=").append(value).append(kLineEnd);
    out.insert(last->end, insert);
    return out;
}

std::string removeKey(std::string_view file, std::string_view section, std::string_view key) {
    Layout layout = parse(file);
    std::string out(file);
    const Section *s = findSection(layout, section);
    if (s == nullptr) return out;
    // Back to front, so that the offsets of the lines still to go stay valid.
    for (auto it = s->lines.rbegin(); it != s->lines.rend(); ++it) {
        const Line &line = layout.lines[*it];
        if (line.kind == Line::Entry && sameName(line.name, trim(key)))
            out.erase(line.begin, line.end - line.begin);
    }
    return out;
}

} // namespace tarvo::settings::ini
