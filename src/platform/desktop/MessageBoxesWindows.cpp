#include "platform/desktop/MessageBoxes.h"

#include "platform/FloatingPoint.h"
#include "platform/desktop/DesktopLogging.h"

#include <QWidget>

#include <windows.h>

#include <commctrl.h>

namespace platform {

namespace {

HWND ownerWindow(QWidget* owner)
{
    return owner != nullptr ? reinterpret_cast<HWND>(owner->window()->winId()) : nullptr;
}

// The confirmation box moves itself to the middle of the work area of the monitor nearest its
// owner, once it exists and knows its size; each halving truncated toward zero.
HRESULT CALLBACK centreInWorkArea(HWND box, UINT notification, WPARAM, LPARAM, LONG_PTR)
{
    if (notification != TDN_CREATED)
        return S_OK;
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    RECT frame{};
    const HWND owner = GetWindow(box, GW_OWNER);
    if (GetMonitorInfoW(MonitorFromWindow(owner != nullptr ? owner : box, MONITOR_DEFAULTTONEAREST),
                        &monitor) == 0 ||
        GetWindowRect(box, &frame) == 0)
        return S_OK;
    const RECT& work = monitor.rcWork;
    const LONG left = work.left + (work.right - work.left - (frame.right - frame.left)) / 2;
    const LONG top = work.top + (work.bottom - work.top - (frame.bottom - frame.top)) / 2;
    SetWindowPos(box, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    return S_OK;
}

using TaskDialogIndirectFunction = HRESULT(WINAPI*)(const TASKDIALOGCONFIG*, int*, int*, BOOL*);

// Version 6 of the common controls, which the program's manifest asks for, has the task dialog;
// it is looked up by name, so a program without the manifest still starts and shows a message
// box instead.
TaskDialogIndirectFunction taskDialog()
{
    HMODULE controls = GetModuleHandleW(L"comctl32.dll");
    if (controls == nullptr)
        controls = LoadLibraryW(L"comctl32.dll");
    if (controls == nullptr)
        return nullptr;
    return reinterpret_cast<TaskDialogIndirectFunction>(
        reinterpret_cast<void*>(GetProcAddress(controls, "TaskDialogIndirect")));
}

void showConfirmation(HWND owner, const std::wstring& title, const std::wstring& text)
{
    const TaskDialogIndirectFunction show = taskDialog();
    if (show == nullptr) {
        qCInfo(lcBoxes) << "no TaskDialogIndirect in comctl32.dll: a message box instead";
        MessageBoxW(owner, text.c_str(), title.c_str(),
                    MB_OK | MB_ICONINFORMATION | (owner == nullptr ? MB_TASKMODAL : 0));
        return;
    }
    TASKDIALOGCONFIG config{};
    config.cbSize = sizeof config;
    config.hwndParent = owner;
    config.dwFlags = TDF_ALLOW_DIALOG_CANCELLATION;
    config.dwCommonButtons = TDCBF_OK_BUTTON;
    config.pszWindowTitle = title.c_str();
    config.pszMainIcon = TD_INFORMATION_ICON;
    config.pszContent = text.c_str();
    config.nDefaultButton = IDOK;
    config.pfCallback = centreInWorkArea;
    qCInfo(lcBoxes) << "TaskDialogIndirect: confirmation box";
    show(&config, nullptr, nullptr, nullptr);
}

class WindowsBoxes final : public MessageBoxes
{
public:
    void show(QWidget* owner, Icon icon, const QString& title, const QString& text) override
    {
        // A box loads libraries and themes, which may leave another floating-point environment.
        const FloatingPointGuard keep;
        const HWND window = ownerWindow(owner);
        const std::wstring wideTitle = title.toStdWString();
        const std::wstring wideText = text.toStdWString();
        if (icon == Icon::Information) {
            showConfirmation(window, wideTitle, wideText);
            return;
        }
        qCInfo(lcBoxes) << "MessageBoxW: error box with the stop icon";
        MessageBoxW(window, wideText.c_str(), wideTitle.c_str(),
                    MB_OK | MB_ICONSTOP | (window == nullptr ? MB_TASKMODAL : 0));
    }
};

} // namespace

MessageBoxes& systemMessageBoxes()
{
    static WindowsBoxes boxes;
    return boxes;
}

} // namespace platform
