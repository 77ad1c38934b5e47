#include "app/commandline.h"

#include <QByteArray>
#include <QString>

#include <windows.h>

namespace orbelune {

void writeToTerminal(const QString &text)
{
    // A GUI program has no console of its own; output redirected to a file or pipe gets UTF-8.
    DWORD written = 0;
    const HANDLE output = GetStdHandle(STD_OUTPUT_HANDLE);
    if (output && output != INVALID_HANDLE_VALUE && GetFileType(output) != FILE_TYPE_UNKNOWN) {
        const QByteArray bytes = text.toUtf8();
        WriteFile(output, bytes.constData(), DWORD(bytes.size()), &written, nullptr);
        return;
    }
    // Started from a console (cmd, PowerShell), which did not wait for a GUI program: the text
    // comes after its next prompt.
    if (AttachConsole(ATTACH_PARENT_PROCESS)) {
        const HANDLE console = CreateFileW(L"CONOUT$", GENERIC_WRITE, FILE_SHARE_WRITE, nullptr,
                                           OPEN_EXISTING, 0, nullptr);
        if (console != INVALID_HANDLE_VALUE) {
            const QString lines = QLatin1Char('\n') + text;
            WriteConsoleW(console, reinterpret_cast<const wchar_t *>(lines.utf16()),
                          DWORD(lines.size()), &written, nullptr);
            CloseHandle(console);
        }
        FreeConsole();
        return;
    }
    // Started from Explorer: a message box, as Qt's own parser shows for a GUI program.
    MessageBoxW(nullptr, reinterpret_cast<const wchar_t *>(text.utf16()), L"Orbelune",
                MB_OK | MB_ICONINFORMATION);
}

} // namespace orbelune
