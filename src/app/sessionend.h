#pragma once

namespace orbelune {

// Ends the program through its event loop when the session ends: at SIGTERM, SIGHUP and SIGINT
// (logout, shutdown, kill, Ctrl+C), or when Windows asks to end the session. A save under way
// finishes first, so the result file is the old or the whole new one and no temporary file
// stays, however many signals come. Call once, after the application object is made.
void endWithSession();

} // namespace orbelune
