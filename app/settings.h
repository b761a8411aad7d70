#pragma once
// The program's settings file, カズマキ.ini, in one place: the main window's
// place, the check of the sources at start and the prediction window's group
// (its twelve reflect switches).  Every other "key=value" line of the file is
// kept as it is.  The file is written as the program has always written it:
// the prediction window's twelve lines first, then the other lines in their
// order, each ended by CR LF, in UTF-8 without a BOM.  Reading takes UTF-8
// (with or without a BOM) and Shift_JIS (code page 932), CR LF or LF.
//
// Widget-free, so that kazumaki-tool and the tests read the prediction
// window's group from a file as the program does.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "prediction/core/prediction_state.h"
#include "store/files/replace_file.h"

namespace km {

inline constexpr const char* kSettingsFileName = "カズマキ.ini";

// The settings file reads at most this many bytes (its lines need < 1 KiB).
inline constexpr size_t kSettingsFileCap = 64 * 1024;

// The main window's place on the desktop when it is not maximised.
struct WindowPlace {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
  friend bool operator==(const WindowPlace&, const WindowPlace&) = default;
};

class Settings {
 public:
  // The settings of the file at `path`: none (every switch off, no place)
  // when it is missing, unreadable or not a regular file.  A line without
  // "=" is not a setting and is not kept.
  static Settings read(const std::string& path);
  // The same from the file's bytes.
  static Settings fromBytes(const std::string& bytes);

  // The file as write() writes it.
  std::string bytes() const;
  // Replaces the file (a temporary file beside it, then renamed over it);
  // false when it could not be written, with the reason in `error` (one
  // line) or split for a message box in `failure`.
  bool write(const std::string& path, std::string* error = nullptr, FileFailure* failure = nullptr) const;

  // The prediction window's group.  A switch whose line is absent or holds
  // neither "True" nor "False" is off.
  const ReflectSettings& prediction() const { return prediction_; }
  void setPrediction(const ReflectSettings& reflect) { prediction_ = reflect; }

  // The main window's place; none when the file has none or a malformed one.
  std::optional<WindowPlace> mainWindowPlace() const;
  bool mainWindowMaximised() const;
  // Keeps the place and whether the window is maximised (their lines move
  // to the end of the file).
  void setMainWindowPlace(const WindowPlace& place, bool maximised);

  // Whether the sources are looked at in the background after every start.
  bool checksSourcesAtStart() const;
  // On: the line moves to the end of the file; off: the line goes.
  void setChecksSourcesAtStart(bool on);

 private:
  std::optional<std::string> value(std::string_view key) const;
  void set(std::string_view key, const std::optional<std::string>& value);

  ReflectSettings prediction_{};
  // Every line but the prediction window's, in the file's order.
  std::vector<std::string> lines_;
};

// Decodes settings-file bytes to UTF-8: UTF-8 (BOM dropped) as is, anything
// else as Shift_JIS (CP932); when the whole is neither, line by line, and a
// line that is neither is left out.
std::string settingsTextToUtf8(const std::string& bytes);

// The bytes of the settings file: empty when it is missing, unreadable or not a
// regular file (a folder, a pipe, a device); of a larger file only the whole
// lines within the first kSettingsFileCap bytes.
std::string readSettingsBytes(const std::string& path);

}  // namespace km
