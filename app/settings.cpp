#include "app/settings.h"

#include <fcntl.h>
#include <iconv.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdlib>

namespace km {

namespace {

bool isUtf8(std::string_view s) {
  size_t i = 0;
  while (i < s.size()) {
    const unsigned char c = static_cast<unsigned char>(s[i]);
    int len = 0;
    unsigned min = 0;
    unsigned cp = 0;
    if (c < 0x80) {
      ++i;
      continue;
    } else if ((c & 0xE0) == 0xC0) {
      len = 2, min = 0x80, cp = c & 0x1F;
    } else if ((c & 0xF0) == 0xE0) {
      len = 3, min = 0x800, cp = c & 0x0F;
    } else if ((c & 0xF8) == 0xF0) {
      len = 4, min = 0x10000, cp = c & 0x07;
    } else {
      return false;
    }
    if (i + len > s.size()) return false;
    for (int k = 1; k < len; ++k) {
      const unsigned char t = static_cast<unsigned char>(s[i + k]);
      if ((t & 0xC0) != 0x80) return false;
      cp = (cp << 6) | (t & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
    i += len;
  }
  return true;
}

// Shift_JIS (Windows code page 932) to UTF-8; empty on an invalid sequence.
std::string cp932ToUtf8(const std::string& in) {
  iconv_t cd = iconv_open("UTF-8", "CP932");
  if (cd == reinterpret_cast<iconv_t>(-1)) cd = iconv_open("UTF-8", "SHIFT_JIS");
  if (cd == reinterpret_cast<iconv_t>(-1)) return {};
  std::string out(in.size() * 3 + 4, '\0');
  char* src = const_cast<char*>(in.data());
  size_t srcLeft = in.size();
  char* dst = out.data();
  size_t dstLeft = out.size();
  const size_t r = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
  iconv_close(cd);
  if (r == static_cast<size_t>(-1)) return {};
  out.resize(out.size() - dstLeft);
  return out;
}

std::vector<std::string> splitAll(const std::string& s, char sep) {
  std::vector<std::string> parts;
  size_t from = 0;
  for (;;) {
    const size_t at = s.find(sep, from);
    parts.push_back(s.substr(from, at == std::string::npos ? std::string::npos : at - from));
    if (at == std::string::npos) return parts;
    from = at + 1;
  }
}

}  // namespace

std::string settingsTextToUtf8(const std::string& bytes) {
  if (isUtf8(bytes)) {
    if (bytes.rfind("\xEF\xBB\xBF", 0) == 0) return bytes.substr(3);
    return bytes;
  }
  if (std::string whole = cp932ToUtf8(bytes); !whole.empty() || bytes.empty()) return whole;
  // Neither as a whole: each line is decoded on its own (a line feed is never
  // part of a Shift_JIS character), and a line that is neither is dropped, so
  // one damaged byte costs one setting, not all of them.
  std::string out;
  for (const std::string& line : splitAll(bytes, '\n')) {
    std::string text = isUtf8(line) ? line : cp932ToUtf8(line);
    if (text.empty() && !line.empty()) continue;
    if (out.empty() && text.rfind("\xEF\xBB\xBF", 0) == 0) text.erase(0, 3);
    out += text;
    out += '\n';
  }
  return out;
}

std::string readSettingsBytes(const std::string& path) {
  // Non-blocking open: a pipe in the file's place must not hold up start-up.
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return {};
  std::string bytes;
  struct stat st {};
  if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) {  // only a regular file is read
    bytes.resize(kSettingsFileCap);
    size_t have = 0;
    while (have < bytes.size()) {
      const ssize_t n = ::read(fd, bytes.data() + have, bytes.size() - have);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) {
        if (n < 0) have = 0;  // a failing read is no file
        break;
      }
      have += static_cast<size_t>(n);
    }
    bytes.resize(have);
    // Beyond the cap only the complete lines read so far count.
    if (have == kSettingsFileCap && static_cast<size_t>(st.st_size) > have) bytes.erase(bytes.rfind('\n') + 1);
  }
  ::close(fd);
  return bytes;
}

namespace {

// The main window's own lines.
constexpr const char* kCheckAtStartKey = "起動時に取得先を確かめる";
constexpr const char* kPlaceKey = "メインウィンドウの位置";  // left,top,width,height
constexpr const char* kMaximisedKey = "メインウィンドウの最大化";

std::string_view trimmed(std::string_view s) {
  constexpr std::string_view kSpace = " \t\n\v\f\r";
  const size_t from = s.find_first_not_of(kSpace);
  if (from == std::string_view::npos) return {};
  return s.substr(from, s.find_last_not_of(kSpace) - from + 1);
}

// A whole decimal number, an optional sign before it; none for anything else.
std::optional<int> wholeNumber(std::string_view s) {
  if (s.size() > 1 && s[0] == '+' && s[1] != '-') s.remove_prefix(1);
  int v = 0;
  const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
  if (ec != std::errc() || end != s.data() + s.size()) return std::nullopt;
  return v;
}

}  // namespace

Settings Settings::read(const std::string& path) { return fromBytes(readSettingsBytes(path)); }

Settings Settings::fromBytes(const std::string& bytes) {
  Settings s;
  for (std::string line : splitAll(settingsTextToUtf8(bytes), '\n')) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const std::vector<std::string> parts = splitAll(line, '=');
    if (parts.size() < 2) continue;  // no "=": not a setting
    const auto key = std::find(kSettingKeys.begin(), kSettingKeys.end(), parts[0]);
    if (key == kSettingKeys.end()) {
      s.lines_.push_back(line);
      continue;
    }
    // the value is what stands between the first "=" and any second one
    if (parts[1] == "True")
      s.prediction_[key - kSettingKeys.begin()] = true;
    else if (parts[1] == "False")
      s.prediction_[key - kSettingKeys.begin()] = false;
  }
  return s;
}

std::string Settings::bytes() const {
  std::string data;
  for (size_t i = 0; i < kSettingKeys.size(); ++i) {
    data += kSettingKeys[i];
    data += prediction_[i] ? "=True\r\n" : "=False\r\n";
  }
  for (const std::string& line : lines_) data += line + "\r\n";
  return data;
}

bool Settings::write(const std::string& path, std::string* error, FileFailure* failure) const {
  return replaceFileContents(path, bytes(), error, {}, failure);
}

std::optional<std::string> Settings::value(std::string_view key) const {
  const std::string prefix = std::string(key) + "=";
  for (const std::string& l : lines_)
    if (l.rfind(prefix, 0) == 0) return l.substr(prefix.size());
  return std::nullopt;
}

void Settings::set(std::string_view key, const std::optional<std::string>& value) {
  const std::string prefix = std::string(key) + "=";
  std::erase_if(lines_, [&prefix](const std::string& l) { return l.rfind(prefix, 0) == 0; });
  if (value) lines_.push_back(prefix + *value);
}

std::optional<WindowPlace> Settings::mainWindowPlace() const {
  const std::optional<std::string> text = value(kPlaceKey);
  if (!text) return std::nullopt;
  const std::vector<std::string> parts = splitAll(*text, ',');
  if (parts.size() != 4) return std::nullopt;
  int v[4];
  for (int i = 0; i < 4; ++i) {
    const std::optional<int> n = wholeNumber(trimmed(parts[i]));
    if (!n || std::abs(*n) > 100000) return std::nullopt;
    v[i] = *n;
  }
  if (v[2] <= 0 || v[3] <= 0) return std::nullopt;
  return WindowPlace{v[0], v[1], v[2], v[3]};
}

bool Settings::mainWindowMaximised() const { return value(kMaximisedKey) == "True"; }

void Settings::setMainWindowPlace(const WindowPlace& p, bool maximised) {
  set(kPlaceKey, std::to_string(p.left) + "," + std::to_string(p.top) + "," + std::to_string(p.width) + "," +
                     std::to_string(p.height));
  set(kMaximisedKey, maximised ? "True" : "False");
}

bool Settings::checksSourcesAtStart() const { return value(kCheckAtStartKey) == "True"; }

void Settings::setChecksSourcesAtStart(bool on) {
  set(kCheckAtStartKey, on ? std::optional<std::string>("True") : std::nullopt);
}

}  // namespace km
