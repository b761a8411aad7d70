#pragma once
// Work the toolkit would otherwise do on the user-interface thread when it
// first draws, done on a thread of its own while the application starts:
// reading the font configuration (at once, before the application object
// exists), then, once the application object is there, the list of installed
// fonts and the image format plug-ins (the menu bar's own icon asks for them).
// The font library and the toolkit guard all of it with their own locks, so
// whichever thread comes first does the work and the other finds it done.
// wait() (or the destructor) waits for the thread; it must have ended
// before the application object goes.
#include <future>
#include <thread>

namespace km {

class WarmUp {
 public:
  WarmUp();
  ~WarmUp();
  WarmUp(const WarmUp&) = delete;
  WarmUp& operator=(const WarmUp&) = delete;

  // The application object has been made: the toolkit's part may start.
  // Without this call the thread stops after the font configuration.
  void applicationMade();
  // Waits for the thread to end.
  void wait();

 private:
  std::promise<bool> application_;
  bool told_ = false;
  std::thread thread_;  // last: starts when everything above is built
};

}  // namespace km
