#pragma once

namespace km {

// Maps the program's font names to the installed Japanese fonts.
void installFontSubstitutions();

}  // namespace km
