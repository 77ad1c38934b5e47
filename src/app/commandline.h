#pragma once

#include <optional>

class QString;

namespace orbelune {

// Answers --version and --help (-v, -h) on the terminal, as Linux desktop programs do, before
// anything needs a display. Returns the exit code when the program has answered and should
// end; nothing when it should start its window as always, whatever else it was given (Qt's own
// arguments, such as -platform or -reverse, go on to the application).
std::optional<int> answerCommandLine(int &argc, char **argv);

// Writes text where the user who started the program reads it: the terminal, or what the
// output was redirected to. One file for each platform: commandline_unix.cpp, _win.cpp.
void writeToTerminal(const QString &text);

} // namespace orbelune
