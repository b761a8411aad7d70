#pragma once

class QStyle;

namespace km {

// Maps the program's font names to the installed Japanese fonts and makes
// the grids' face the face of every window, menu and message box.  Dialog
// buttons (OK, はい, いいえ) show their text alone, without the icons some
// desktops' themes give them.
void installFontSubstitutions();

// `base` with dialog buttons that carry no icons (owns `base`).
QStyle* withPlainDialogButtons(QStyle* base);

// Loads the toolkit's own Japanese texts (window menus, standard buttons).
// False when the translation file is not installed.
bool loadToolkitTranslations();

}  // namespace km
