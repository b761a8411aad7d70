#include "prediction/core/prediction_state.h"

#include <fcntl.h>
#include <iconv.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string_view>

#include "store/files/replace_file.h"

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

PredictionState::PredictionState() : history(kLastTableDrawNo + 1) {
  for (auto& row : history) row.fill(0);
}

int PredictionState::reflectCount() const { return static_cast<int>(std::count(reflect.begin(), reflect.end(), true)); }

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

void PredictionState::readSettingsFile(const std::string& path) {
  const std::string text = settingsTextToUtf8(readSettingsBytes(path));
  otherSettings.clear();
  for (std::string line : splitAll(text, '\n')) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const std::vector<std::string> parts = splitAll(line, '=');
    if (parts.size() < 2) continue;  // no "=": not a setting
    if (std::find(kSettingKeys.begin(), kSettingKeys.end(), parts[0]) == kSettingKeys.end()) {
      otherSettings.push_back(line);
      continue;
    }
    for (int i = 0; i < kSettingCount; ++i) {
      if (parts[0] != kSettingKeys[i]) continue;
      if (parts[1] == "True")
        reflect[i] = true;
      else if (parts[1] == "False")
        reflect[i] = false;
    }
  }
}

bool PredictionState::writeSettingsFile(const std::string& path, std::string* error, Failure* failure) const {
  std::string data;
  for (int i = 0; i < kSettingCount; ++i) {
    data += kSettingKeys[i];
    data += reflect[i] ? "=True\r\n" : "=False\r\n";
  }
  for (const std::string& line : otherSettings) data += line + "\r\n";
  return replaceFileContents(path, data, error, {}, failure);
}

}  // namespace km
