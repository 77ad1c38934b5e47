#include "dialogdriver.h"

#include <QDir>

#include <windows.h>

#include <dlgs.h>

#include <string>

namespace orbelune::testing {

namespace {

QString windowText(HWND window)
{
    wchar_t text[512] = {};
    GetWindowTextW(window, text, 512);
    return QString::fromWCharArray(text);
}

bool isDialogBox(HWND window)
{
    wchar_t className[16] = {};
    GetClassNameW(window, className, 16);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    return process == GetCurrentProcessId() && IsWindowVisible(window)
        && std::wstring(className) == L"#32770";
}

// The program shows no dialog box of Windows' own but the file dialogs, which have no owner,
// and the questions they ask.
struct Boxes
{
    HWND dialog = nullptr;
    HWND question = nullptr;
    int dialogs = 0;
};

Boxes findBoxes()
{
    Boxes boxes;
    EnumWindows(
        [](HWND window, LPARAM found) -> BOOL {
            auto *seen = reinterpret_cast<Boxes *>(found);
            if (!isDialogBox(window))
                return TRUE;
            if (GetWindow(window, GW_OWNER)) {
                seen->question = window;
            } else {
                seen->dialog = window;
                ++seen->dialogs;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&boxes));
    return boxes;
}

// The name box: an edit of its own under Wine, the edit inside a combo box on Windows.
HWND nameBox(HWND dialog)
{
    if (HWND edit = GetDlgItem(dialog, edt1))
        return edit;
    HWND combo = GetDlgItem(dialog, cmb13);
    return combo ? FindWindowExW(FindWindowExW(combo, nullptr, L"ComboBox", nullptr), nullptr,
                                 L"Edit", nullptr)
                 : nullptr;
}

} // namespace

ShownFileDialog shownFileDialog()
{
    ShownFileDialog shown;
    const Boxes boxes = findBoxes();
    if (!boxes.dialog)
        return shown;
    shown.count = boxes.dialogs;
    shown.title = windowText(boxes.dialog);
    if (HWND types = GetDlgItem(boxes.dialog, cmb1)) {
        const int count = int(SendMessageW(types, CB_GETCOUNT, 0, 0));
        for (int i = 0; i < count; ++i) {
            wchar_t text[256] = {};
            SendMessageW(types, CB_GETLBTEXT, WPARAM(i), reinterpret_cast<LPARAM>(text));
            shown.filters.append(QString::fromWCharArray(text));
        }
    }
    shown.hasOwner = GetWindow(boxes.dialog, GW_OWNER) != nullptr;
    if (boxes.question) {
        wchar_t text[512] = {};
        // The text is item 0xFFFF on Windows, 100 under Wine.
        if (!GetDlgItemTextW(boxes.question, 0xFFFF, text, 512))
            GetDlgItemTextW(boxes.question, 100, text, 512);
        shown.question = QString::fromWCharArray(text);
    }
    return shown;
}

void chooseInFileDialog(const QString &name)
{
    const Boxes boxes = findBoxes();
    if (HWND box = boxes.dialog ? nameBox(boxes.dialog) : nullptr) {
        const std::wstring text = QDir::toNativeSeparators(name).toStdWString();
        SendMessageW(box, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
        PostMessageW(boxes.dialog, WM_COMMAND, IDOK, 0);
    }
}

void answerFileDialogQuestion(bool yes)
{
    if (HWND question = findBoxes().question)
        PostMessageW(question, WM_COMMAND, yes ? IDYES : IDNO, 0);
}

void pressEnterAtFileDialogQuestion()
{
    // The box's own loop gives the key to its focused button, or to its default one.
    if (HWND question = findBoxes().question)
        PostMessageW(question, WM_KEYDOWN, VK_RETURN, 0);
}

} // namespace orbelune::testing
