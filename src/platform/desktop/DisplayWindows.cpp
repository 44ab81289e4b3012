#include "platform/desktop/DesktopLogging.h"
#include "platform/desktop/DisplaySystem.h"

#include <windows.h>

#include <shellscalingapi.h>

namespace platform {

namespace {

// The effective DPI of the primary monitor (Windows 8.1 and later), looked up by name so that
// the program still starts where shcore.dll lacks it; 0 when unknown.
int effectiveMonitorDpi()
{
    using GetDpiForMonitorFunction = HRESULT(WINAPI*)(HMONITOR, MONITOR_DPI_TYPE, UINT*, UINT*);
    const HMODULE shcore = LoadLibraryW(L"shcore.dll");
    if (shcore == nullptr)
        return 0;
    const auto getDpiForMonitor = reinterpret_cast<GetDpiForMonitorFunction>(
        reinterpret_cast<void*>(GetProcAddress(shcore, "GetDpiForMonitor")));
    UINT x = 0;
    UINT y = 0;
    const HMONITOR primary = MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY);
    const bool read = getDpiForMonitor != nullptr &&
                      SUCCEEDED(getDpiForMonitor(primary, MDT_EFFECTIVE_DPI, &x, &y));
    FreeLibrary(shcore);
    return read ? static_cast<int>(y) : 0;
}

int systemDpi()
{
    const HDC screen = GetDC(nullptr);
    if (screen == nullptr)
        return 0;
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return dpi;
}

} // namespace

// The program declares per-monitor DPI awareness in its manifest, so Windows does not stretch
// its window; Qt's own scaling is off (Display.cpp), which leaves the whole scaling to the
// program's rule.
void takeOverSystemScaling()
{
    qCInfo(lcDisplay) << "Windows: the monitor's effective DPI decides the layout";
}

int systemDisplayDpi()
{
    const int effective = effectiveMonitorDpi();
    if (effective > 0) {
        qCInfo(lcDisplay) << "GetDpiForMonitor: primary monitor's effective DPI" << effective;
        return effective;
    }
    const int dpi = systemDpi();
    qCInfo(lcDisplay) << "GetDeviceCaps(LOGPIXELSY): system DPI" << dpi;
    return dpi;
}

} // namespace platform
