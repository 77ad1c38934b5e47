#pragma once

namespace orbelune {

// Qt's own texts (a message box's buttons, the file dialog) in Simplified Chinese, whatever the
// desktop's language. Called before a dialog is built, not at start-up, as the main window
// shows none of them; calling it again does nothing.
void installQtTranslations();

} // namespace orbelune
