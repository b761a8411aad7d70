#pragma once
// The main window as the update sees it: told when an update starts and
// ends (the program stays usable meanwhile, but for the entry window), told
// the newest stored draw after draws were added, asked to restart the
// program, and keeping whether the sources are looked at once after every
// start.
#include <QString>

namespace km {

class UpdateHost {
 public:
  virtual ~UpdateHost() = default;
  virtual void updateRunning(bool running) = 0;
  virtual void showStoredLatest(int drawNo, const QString& date) = 0;
  virtual void restartProgram() = 0;
  virtual bool checksSourcesAtStart() const = 0;
  virtual void setChecksSourcesAtStart(bool on) = 0;
};

}  // namespace km
