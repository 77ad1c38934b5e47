#pragma once

#include <optional>

class QString;

namespace orbelune {

// Answers --version and --help (-v, -h) on the terminal before anything needs a display, and
// returns the exit code; nothing when the window should start, whatever else was given (Qt's
// own arguments, such as -platform or -reverse, go on to the application).
std::optional<int> answerCommandLine(int &argc, char **argv);

// Writes text to the terminal that started the program, or where its output was redirected.
void writeToTerminal(const QString &text);

} // namespace orbelune
