#pragma once

namespace orbelune {

// Ends the program through its event loop when the session ends: on POSIX systems at SIGTERM,
// SIGHUP and SIGINT (a logout, a shutdown, a task manager's kill, Ctrl+C), on Windows when
// Windows asks to end the session. A save under way finishes first, so the result file is the
// old one or the whole new one and no temporary file stays behind, however many signals come.
// Call once, after the application object is made.
void endWithSession();

} // namespace orbelune
