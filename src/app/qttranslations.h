#pragma once

namespace orbelune {

// Qt's own texts, the buttons of a message box and the file dialog, in Simplified Chinese where
// Qt's translations are installed, as the program speaks it whatever the desktop's language.
// Called before a dialog is built rather than at start-up, since the main window shows none of
// them; calling it again does nothing.
void installQtTranslations();

} // namespace orbelune
