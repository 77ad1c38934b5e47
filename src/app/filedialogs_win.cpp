// The system's own file dialogs on Windows. Qt's native dialog runs only modally, disabling
// its owner, and without modality QFileDialog falls back to Qt's widget dialog; the program's
// dialogs leave the main window usable, a run going on behind them. So IFileOpenDialog or
// IFileSaveDialog is shown with no owner on a thread of its own that touches nothing of Qt's,
// and the window thread waits for that thread in an event loop, then reads what it left.

#include "app/filedialogs.h"

#include "history/dialogrules.h"

#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QTimer>
#include <QWinEventNotifier>

#include <windows.h>

#include <shobjidl.h>

#include <atomic>
#include <memory>
#include <string>
#include <vector>

namespace orbelune {

namespace {

// What the dialog's thread is given and leaves, kept by whichever thread needs it last.
struct DialogRun
{
    bool save = false;
    std::wstring title;
    std::wstring folder;
    std::vector<std::wstring> filterParts; // description, pattern, description, pattern …
    std::atomic<bool> cancelled { false }; // set by the window thread
    std::wstring chosen; // written by the dialog's thread before it ends
};

// The file system path of the dialog's choice; empty for none, or one that is no file on a disk.
QString chosenPath(IFileDialog *dialog)
{
    IShellItem *item = nullptr;
    if (FAILED(dialog->GetResult(&item)))
        return QString();
    wchar_t *path = nullptr;
    const bool named = SUCCEEDED(item->GetDisplayName(SIGDN_FILESYSPATH, &path));
    item->Release();
    if (!named)
        return QString();
    const QString text = QString::fromWCharArray(path);
    CoTaskMemFree(path);
    return text;
}

// Windows' own question before a file is replaced, asked about the file the save writes:
// the name chosen with ".txt" appended where it lacks it. "No" keeps the dialog open.
// A COM interface has no virtual destructor: its objects go through Release().
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"
class SaveEvents final : public IFileDialogEvents
{
public:
    explicit SaveEvents(const DialogRun &run)
        : m_run(run)
    {
    }

    IFACEMETHODIMP QueryInterface(REFIID iid, void **object) override
    {
        if (iid == IID_IUnknown || iid == IID_IFileDialogEvents) {
            *object = static_cast<IFileDialogEvents *>(this);
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    // Lives on the stack of the call that shows the dialog, and outlives it.
    IFACEMETHODIMP_(ULONG) AddRef() override { return 2; }
    IFACEMETHODIMP_(ULONG) Release() override { return 1; }

    IFACEMETHODIMP OnFileOk(IFileDialog *dialog) override
    {
        if (m_run.cancelled)
            return S_FALSE;
        if (!m_run.save)
            return S_OK;
        const QString path = chosenPath(dialog);
        if (path.isEmpty())
            return S_OK;
        const QFileInfo target(withTxtEnding(path));
        if (!target.exists() || target.isDir())
            return S_OK;

        HWND window = nullptr;
        IOleWindow *oleWindow = nullptr;
        if (SUCCEEDED(
                dialog->QueryInterface(IID_IOleWindow, reinterpret_cast<void **>(&oleWindow)))) {
            oleWindow->GetWindow(&window);
            oleWindow->Release();
        }
        // The whole path, so that a user who sees an unexpected folder can say no.
        const std::wstring question = QStringLiteral("%1 已存在。\n要替换它吗？")
                                          .arg(QDir::toNativeSeparators(target.filePath()))
                                          .toStdWString();
        const int answer = MessageBoxW(window, question.c_str(), L"确认另存为",
                                       MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2);
        return answer == IDYES && !m_run.cancelled ? S_OK : S_FALSE;
    }

    IFACEMETHODIMP OnFolderChanging(IFileDialog *, IShellItem *) override { return S_OK; }
    IFACEMETHODIMP OnFolderChange(IFileDialog *) override { return S_OK; }
    IFACEMETHODIMP OnSelectionChange(IFileDialog *) override { return S_OK; }
    IFACEMETHODIMP OnTypeChange(IFileDialog *) override { return S_OK; }
    IFACEMETHODIMP OnShareViolation(IFileDialog *, IShellItem *,
                                    FDE_SHAREVIOLATION_RESPONSE *) override
    {
        return E_NOTIMPL;
    }
    IFACEMETHODIMP OnOverwrite(IFileDialog *, IShellItem *, FDE_OVERWRITE_RESPONSE *) override
    {
        return E_NOTIMPL;
    }

private:
    const DialogRun &m_run;
};
#pragma GCC diagnostic pop

// Shows the dialog and waits for it; on the dialog's thread, with COM set up there.
void showDialog(DialogRun &run)
{
    IFileDialog *dialog = nullptr;
    if (FAILED(CoCreateInstance(run.save ? CLSID_FileSaveDialog : CLSID_FileOpenDialog, nullptr,
                                CLSCTX_INPROC_SERVER,
                                run.save ? IID_IFileSaveDialog : IID_IFileOpenDialog,
                                reinterpret_cast<void **>(&dialog))))
        return;

    FILEOPENDIALOGOPTIONS options = 0;
    dialog->GetOptions(&options);
    options |= FOS_FORCEFILESYSTEM | FOS_PATHMUSTEXIST | FOS_NOCHANGEDIR;
    // A save's question is asked by SaveEvents instead, about the name with its ending.
    dialog->SetOptions(run.save ? options & ~FOS_OVERWRITEPROMPT : options | FOS_FILEMUSTEXIST);
    dialog->SetTitle(run.title.c_str());

    std::vector<COMDLG_FILTERSPEC> filters;
    for (std::size_t i = 0; i + 1 < run.filterParts.size(); i += 2)
        filters.push_back({ run.filterParts[i].c_str(), run.filterParts[i + 1].c_str() });
    if (!filters.empty()) {
        dialog->SetFileTypes(UINT(filters.size()), filters.data());
        dialog->SetFileTypeIndex(1);
    }
    if (!run.folder.empty()) {
        IShellItem *folder = nullptr;
        if (SUCCEEDED(SHCreateItemFromParsingName(run.folder.c_str(), nullptr, IID_IShellItem,
                                                  reinterpret_cast<void **>(&folder)))) {
            dialog->SetFolder(folder);
            folder->Release();
        }
    }

    SaveEvents events(run);
    DWORD cookie = 0;
    const bool advised = SUCCEEDED(dialog->Advise(&events, &cookie));
    // No owner: the main window stays enabled while the dialog is open.
    const HRESULT shown = dialog->Show(nullptr);
    if (advised)
        dialog->Unadvise(cookie);

    if (SUCCEEDED(shown) && !run.cancelled)
        run.chosen = chosenPath(dialog).toStdWString();
    dialog->Release();
}

DWORD WINAPI dialogThread(void *parameter)
{
    const std::unique_ptr<std::shared_ptr<DialogRun>> handed(
        static_cast<std::shared_ptr<DialogRun> *>(parameter));
    const std::shared_ptr<DialogRun> run = *handed;
    if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE)))
        return 0;
    showDialog(*run);
    CoUninitialize();
    return 0;
}

// The open dialog, as the window thread knows it.
struct OpenDialog
{
    std::shared_ptr<DialogRun> run;
    DWORD threadId = 0;
    QTimer *closing = nullptr;
};

OpenDialog *openDialog = nullptr;

// The visible dialog boxes of the dialog's thread: the file dialog and any question it asks.
template <typename Act> void forDialogBoxes(DWORD threadId, Act act)
{
    EnumThreadWindows(
        threadId,
        [](HWND window, LPARAM actPointer) -> BOOL {
            wchar_t className[16] = {};
            GetClassNameW(window, className, 16);
            if (IsWindowVisible(window) && std::wstring(className) == L"#32770")
                (*reinterpret_cast<Act *>(actPointer))(window);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&act));
}

// The question is answered "no", which only a command closes; the file dialog is closed as
// by its close box, which cancels it.
void closeDialogBoxes(DWORD threadId)
{
    forDialogBoxes(threadId, [](HWND window) {
        if (GetWindow(window, GW_OWNER))
            PostMessageW(window, WM_COMMAND, IDNO, 0);
        else
            PostMessageW(window, WM_CLOSE, 0, 0);
    });
}

} // namespace

QString runPlatformFileDialog(const FileDialogRequest &request)
{
    if (const OpenDialog *open = openDialog) {
        forDialogBoxes(open->threadId, [](HWND window) {
            if (!GetWindow(window, GW_OWNER)) {
                ShowWindow(window, SW_RESTORE);
                SetForegroundWindow(window);
            }
        });
        return QString();
    }

    auto run = std::make_shared<DialogRun>();
    run->save = request.kind == FileDialogRequest::Kind::Save;
    run->title = request.title.toStdWString();
    run->folder = QDir::toNativeSeparators(request.initialDir).toStdWString();
    QStringList parts = request.filterList.split(QChar(u'\0'));
    while (!parts.isEmpty() && parts.last().isEmpty())
        parts.removeLast();
    for (const QString &part : parts)
        run->filterParts.push_back(part.toStdWString());

    auto *handed = new std::shared_ptr<DialogRun>(run);
    DWORD threadId = 0;
    const HANDLE thread = CreateThread(nullptr, 0, dialogThread, handed, 0, &threadId);
    if (!thread) {
        delete handed;
        return QString();
    }

    QEventLoop loop;
    QWinEventNotifier ended(thread);
    QObject::connect(&ended, &QWinEventNotifier::activated, &loop, &QEventLoop::quit);
    // A close may come before the dialog has a window: it is repeated until the thread ends.
    QTimer closing;
    closing.setInterval(50);
    QObject::connect(&closing, &QTimer::timeout, [threadId] { closeDialogBoxes(threadId); });
    OpenDialog open { run, threadId, &closing };
    openDialog = &open;
    if (WaitForSingleObject(thread, 0) == WAIT_TIMEOUT)
        loop.exec();
    // The loop also ends when the application quits: the dialog is then closed and waited
    // for, a few seconds at most, so that it does not outlive the program's windows.
    for (int tries = 0; tries < 100 && WaitForSingleObject(thread, 50) == WAIT_TIMEOUT; ++tries) {
        run->cancelled = true;
        closeDialogBoxes(threadId);
    }
    const bool finished = WaitForSingleObject(thread, 0) == WAIT_OBJECT_0;
    openDialog = nullptr;
    CloseHandle(thread);

    if (!finished || run->cancelled)
        return QString();
    return QString::fromStdWString(run->chosen);
}

void closeFileDialog()
{
    if (!openDialog)
        return;
    openDialog->run->cancelled = true;
    closeDialogBoxes(openDialog->threadId);
    openDialog->closing->start();
}

} // namespace orbelune
