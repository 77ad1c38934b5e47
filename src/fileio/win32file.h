#pragma once

#include <QString>

#include <string>

namespace orbelune {

// True where a path reaches a device, not a file: the device namespace ("\\.\…"), or a name
// Windows keeps for a device in every folder (CON, PRN, AUX, NUL, COM0–9, LPT0–9, CONIN$,
// CONOUT$), also with an extension and the dots and blanks Windows drops ("CON .txt", "nul.").
bool isWin32DevicePath(const QString &path);

// The path as the wide-character file calls take it: absolute, with backslashes. A path
// beyond the old limit of 260 characters gets the "\\?\" prefix that lifts it.
std::wstring win32FilePath(const QString &path);

// Opens path with CreateFileW (the flags FILE_ATTRIBUTE_NORMAL where none are given): the
// HANDLE as a number, -1 where it cannot be opened, with the cause in GetLastError().
qintptr win32Open(const QString &path, unsigned long access, unsigned long share,
                  unsigned long disposition, unsigned long flags = 0);

} // namespace orbelune
