#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tarvo {

// Splits a registered program's options into arguments the way a POSIX shell splits words, and
// does nothing else a shell would do: no variables, no globs, no redirections. Blanks (space,
// tab, newline) separate words; '...' keeps everything literally; "..." keeps everything but
// lets a backslash escape \ " $ ` and a newline (which it removes); outside quotes a backslash
// takes the next character literally and removes a newline. "" and '' are empty arguments.
// Nothing when a quote is left open or the text ends in a lone backslash.
std::optional<std::vector<std::string>> SplitCommandLine(std::string_view text);

} // namespace tarvo
