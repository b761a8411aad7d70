// The settings file reader: any bytes in カズマキ.ini (UTF-8, Shift_JIS or
// neither) are read without harm, and the settings it yields are written and
// read back unchanged: a file the program wrote is written again byte for byte.
#include <cstdint>
#include <string>

#include "app/settings.h"
#include "fuzz/fuzz_files.h"

using kmfuzz::broken;

namespace {

bool validUtf8(const std::string& s) {
  for (size_t i = 0; i < s.size();) {
    const unsigned char c = static_cast<unsigned char>(s[i]);
    const int len = c < 0x80 ? 1 : (c & 0xE0) == 0xC0 ? 2 : (c & 0xF0) == 0xE0 ? 3 : (c & 0xF8) == 0xF0 ? 4 : 0;
    if (!len || i + len > s.size()) return false;
    for (int k = 1; k < len; ++k)
      if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return false;
    i += len;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  const std::string text = km::settingsTextToUtf8(bytes);
  if (!validUtf8(text)) broken("decoded settings are not UTF-8");

  const auto path = kmfuzz::workFolder() / km::kSettingsFileName;
  kmfuzz::writeFile(path, bytes);
  const km::Settings read = km::Settings::read(path.string());
  if (read.bytes() != km::Settings::fromBytes(bytes).bytes()) broken("the file and its bytes read differently");
  if (kmfuzz::readFile(path) != bytes) broken("reading changed the settings file");

  if (!read.write(path.string())) broken("the settings file could not be written");
  const km::Settings back = km::Settings::read(path.string());
  if (back.prediction() != read.prediction()) broken("written settings read back differently");
  if (back.bytes() != kmfuzz::readFile(path)) broken("a written settings file is not written again as it is");
  if (back.mainWindowPlace() != read.mainWindowPlace() || back.checksSourcesAtStart() != read.checksSourcesAtStart())
    broken("the main window's settings read back differently");
  std::error_code ec;
  std::filesystem::remove(path, ec);
  if (!kmfuzz::folderEntries(kmfuzz::workFolder()).empty()) broken("a file was left behind in the folder");
  return 0;
}
