#pragma once
// Work the toolkit would otherwise do on the user-interface thread when it
// first draws, done on a thread of its own while the main window is built:
// reading the font configuration and the list of installed fonts, and
// loading the image format plug-ins (the menu bar's own icon asks for them).
// The toolkit guards both with its own locks, so whichever thread comes first
// does the work and the other finds it done.  Made after the application
// object; the destructor waits for the thread.
#include <thread>

namespace km {

class WarmUp {
 public:
  WarmUp();
  ~WarmUp();
  WarmUp(const WarmUp&) = delete;
  WarmUp& operator=(const WarmUp&) = delete;

 private:
  std::thread thread_;
};

}  // namespace km
