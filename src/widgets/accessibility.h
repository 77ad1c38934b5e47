#pragma once

class QMainWindow;

namespace orbelune {

// Makes the program's own controls known to assistive technology for what they are: pictures
// as graphics, link labels and the clickable logo as links to press. Later calls do nothing.
void installAccessibleControls();

// F10 opens the first menu, as on most Linux desktops; Alt alone does what the style does.
// The menu captions carry no access keys, so these are the keyboard's ways into the menus.
void openMenusWithF10(QMainWindow *window);

} // namespace orbelune
