#pragma once
// Text from outside the program as a message shows it: a CSV field, a value
// typed on the command line, a cell stored in a damaged file.  Neither a huge
// text nor a terminal's control codes reach the user.
#include <cstddef>
#include <string>
#include <string_view>

namespace km {

inline constexpr size_t kExcerptBytes = 24;

// At most `maxBytes` bytes of whole UTF-8 characters, then "…"; control
// characters, bytes that are no UTF-8, quotes and backslashes written as \xNN.
std::string excerpt(std::string_view text, size_t maxBytes = kExcerptBytes);

// The whole text with control characters other than line breaks (and bytes
// that are no UTF-8) written as \xNN: what a program writes to a terminal.
std::string terminalSafe(std::string_view text);

}  // namespace km
