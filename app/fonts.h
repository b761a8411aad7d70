#pragma once

namespace km {

// Maps the program's font names to the installed Japanese fonts and makes
// the grids' face the face of every window, menu and message box.
void installFontSubstitutions();

// Loads the toolkit's own Japanese texts (window menus, standard buttons).
// False when the translation file is not installed.
bool loadToolkitTranslations();

}  // namespace km
