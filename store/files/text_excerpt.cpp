#include "store/files/text_excerpt.h"

#include <algorithm>

namespace km {

namespace {

// The length of the UTF-8 character at text[i], or 0 when the bytes there
// are none.
size_t utf8Length(std::string_view text, size_t i) {
  const auto c = static_cast<unsigned char>(text[i]);
  const size_t len = c < 0x80 ? 1 : (c & 0xE0) == 0xC0 ? 2 : (c & 0xF0) == 0xE0 ? 3 : (c & 0xF8) == 0xF0 ? 4 : 0;
  if (len == 0 || i + len > text.size()) return 0;
  for (size_t k = 1; k < len; ++k)
    if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) return 0;
  return len;
}

void appendHex(std::string& out, unsigned char c) {
  static const char* hex = "0123456789ABCDEF";
  out += "\\x";
  out += hex[c >> 4];
  out += hex[c & 15];
}

bool isControl(unsigned char c) { return c < 0x20 || c == 0x7F; }

// U+0080..U+009F: control characters that some terminals obey in UTF-8 too.
bool isC1(std::string_view text, size_t i, size_t len) {
  return len == 2 && static_cast<unsigned char>(text[i]) == 0xC2 && static_cast<unsigned char>(text[i + 1]) < 0xA0;
}

// The text with every byte that is no UTF-8, every C1 control and every
// ASCII byte `escapeAscii` names written as \xNN; after `maxBytes` bytes of
// the text, "…" ends it.
template <class EscapeAscii>
std::string escaped(std::string_view text, size_t maxBytes, EscapeAscii escapeAscii) {
  std::string out;
  out.reserve(std::min(text.size(), maxBytes));
  size_t i = 0;
  while (i < text.size()) {
    if (i >= maxBytes) {
      out += "…";
      break;
    }
    const auto c = static_cast<unsigned char>(text[i]);
    const size_t len = utf8Length(text, i);
    if (len == 0 || (len == 1 && escapeAscii(c))) {
      appendHex(out, c);
      ++i;
      continue;
    }
    if (isC1(text, i, len)) {
      appendHex(out, c);
      appendHex(out, static_cast<unsigned char>(text[i + 1]));
      i += len;
      continue;
    }
    out.append(text, i, len);
    i += len;
  }
  return out;
}

}  // namespace

std::string excerpt(std::string_view text, size_t maxBytes) {
  return escaped(text, maxBytes, [](unsigned char c) { return isControl(c) || c == '\'' || c == '\\'; });
}

std::string terminalSafe(std::string_view text) {
  return escaped(text, text.size(), [](unsigned char c) { return isControl(c) && c != '\n'; });
}

}  // namespace km
