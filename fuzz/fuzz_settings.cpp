// The settings file reader: any bytes in カズマキ.ini (UTF-8, Shift_JIS or
// neither) are read without harm, and the settings it yields are written and
// read back unchanged.
#include <cstdint>
#include <string>

#include "fuzz/fuzz_files.h"
#include "prediction/core/prediction_state.h"

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
  // Every setting starts on, then off: a setting the file does not hold keeps
  // its value either way.
  km::PredictionState on, off;
  on.reflect.fill(true);
  on.readSettingsFile(path.string());
  off.readSettingsFile(path.string());
  for (int i = 0; i < km::PredictionState::kSettingCount; ++i)
    if (on.reflect[i] != off.reflect[i] && (!on.reflect[i] || off.reflect[i]))
      broken("a setting read both ways", km::kSettingKeys[i]);
  if (kmfuzz::readFile(path) != bytes) broken("reading changed the settings file");

  if (!off.writeSettingsFile(path.string())) broken("the settings file could not be written");
  km::PredictionState back;
  back.reflect.fill(true);
  back.readSettingsFile(path.string());
  if (back.reflect != off.reflect) broken("written settings read back differently");
  std::error_code ec;
  std::filesystem::remove(path, ec);
  if (!kmfuzz::folderEntries(kmfuzz::workFolder()).empty()) broken("a file was left behind in the folder");
  return 0;
}
