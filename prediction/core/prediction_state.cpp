#include "prediction/core/prediction_state.h"

#include "store/replace_file.h"

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
  return cp932ToUtf8(bytes);
}

PredictionState::PredictionState() : history(kMaxDrawNo + 1) {
  for (auto& row : history) row.fill(0);
}

int PredictionState::reflectCount() const { return static_cast<int>(std::count(reflect.begin(), reflect.end(), true)); }

void PredictionState::ReadInitFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return;
  std::stringstream buf;
  buf << in.rdbuf();
  if (in.bad()) return;
  const std::string text = settingsTextToUtf8(buf.str());
  for (std::string line : splitAll(text, '\n')) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const std::vector<std::string> parts = splitAll(line, '=');
    if (parts.size() < 2) continue;  // no "=": not a setting
    for (int i = 0; i < kSettingCount; ++i) {
      if (parts[0] != kSettingKeys[i]) continue;
      if (parts[1] == "True")
        reflect[i] = true;
      else if (parts[1] == "False")
        reflect[i] = false;
    }
  }
}

bool PredictionState::WriteInitFile(const std::string& path) const {
  std::string data;
  for (int i = 0; i < kSettingCount; ++i) {
    data += kSettingKeys[i];
    data += reflect[i] ? "=True\r\n" : "=False\r\n";
  }
  return replaceFileContents(path, data);
}

}  // namespace km
