#pragma once

class QMainWindow;

namespace orbelune {

// Makes the program's own controls known to assistive technology for what they are: the
// pictures as graphics, and the link labels and the clickable logo as links that a screen
// reader can press. Installs once; later calls do nothing.
void installAccessibleControls();

// F10 opens the first menu of the window's menu bar, as on most Linux desktops; Alt on its
// own does whatever the style does (Qt's own styles highlight the first menu title). The
// menu captions carry no access keys, so these are the keyboard's ways into the menus.
void openMenusWithF10(QMainWindow *window);

} // namespace orbelune
