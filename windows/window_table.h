#pragma once
// The table of child windows: every analysis and the prediction window, each
// with its fill.  It names the analyses, so it sits above them.
#include <string_view>
#include <vector>

#include "frame/window_def.h"

namespace km {

// Every child window in menu order (the prediction window last).
const std::vector<WindowDef>& windowTable();
// nullptr when no window has that name.
const WindowDef* findWindow(std::string_view name);

}  // namespace km
