// The program's texts in the user's language.
#pragma once

namespace quorvel {

// Installs the translation of Quorvel's own texts and of Qt's standard ones
// (buttons of message boxes, context menus of text boxes) for the user's
// locale, when one exists; English otherwise. Call once, after the
// application object exists.
void LoadTranslation();

}  // namespace quorvel
