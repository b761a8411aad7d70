#pragma once
// State of the prediction window that outlives the window: the twelve reflect
// settings and the tables of the prediction methods.
#include <array>
#include <string>

namespace km {

class PredictionState {
 public:
  static constexpr int kSettingCount = 12;

  // Reads the settings file; settings whose line is absent or malformed keep their value.
  void ReadInitFile(const std::string& path);
  // Replaces the settings file with the twelve settings; false when it could not be written.
  bool WriteInitFile(const std::string& path) const;

  std::array<bool, kSettingCount> reflect{};  // all off until ReadInitFile
};

inline constexpr const char* kSettingsFileName = "カズマキ.ini";

}  // namespace km
