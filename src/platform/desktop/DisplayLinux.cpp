#include "platform/LayoutScale.h"
#include "platform/desktop/DesktopLogging.h"
#include "platform/desktop/DisplaySystem.h"

#include <QByteArray>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLibraryInfo>
#include <QScreen>
#include <QtGlobal>

#include <cstring>
#include <wayland-client.h>

namespace platform {

namespace {

// Qt runs on Wayland when the platform is named so, or, with none named, when a Wayland session
// is found; and only when its Wayland plugin is installed, else it falls back to X11.
bool qtChoosesWayland()
{
    const QByteArray named = qgetenv("QT_QPA_PLATFORM");
    const bool wayland = named.isEmpty() ? qEnvironmentVariableIsSet("WAYLAND_DISPLAY") ||
                                               qgetenv("XDG_SESSION_TYPE") == "wayland"
                                         : named.startsWith("wayland");
    if (!wayland)
        return false;
    QString plugins = qEnvironmentVariable("QT_QPA_PLATFORM_PLUGIN_PATH");
    if (plugins.isEmpty())
        plugins = QLibraryInfo::path(QLibraryInfo::PluginsPath) + QStringLiteral("/platforms");
    return QFileInfo::exists(plugins + QStringLiteral("/libqwayland-generic.so")) ||
           QFileInfo::exists(plugins + QStringLiteral("/libqwayland-egl.so"));
}

// The scale of the compositor's first output, which Qt takes for its primary screen; 0 when no
// compositor answers.
int waylandOutputScale()
{
    wl_display* display = wl_display_connect(nullptr);
    if (display == nullptr)
        return 0;
    struct Found
    {
        wl_output* output = nullptr;
        int scale = 0;
    } found;
    static const wl_output_listener outputListener{
        .geometry = [](void*, wl_output*, int32_t, int32_t, int32_t, int32_t, int32_t, const char*,
                       const char*, int32_t) {},
        .mode = [](void*, wl_output*, uint32_t, int32_t, int32_t, int32_t) {},
        .done = [](void*, wl_output*) {},
        .scale = [](void* data, wl_output*,
                    int32_t factor) { static_cast<Found*>(data)->scale = factor; },
        .name = [](void*, wl_output*, const char*) {},
        .description = [](void*, wl_output*, const char*) {},
    };
    static const wl_registry_listener registryListener{
        .global =
            [](void* data, wl_registry* registry, uint32_t name, const char* interface,
               uint32_t version) {
                auto* found = static_cast<Found*>(data);
                // The scale event came with version 2 of the output.
                if (found->output != nullptr || std::strcmp(interface, "wl_output") != 0 ||
                    version < 2)
                    return;
                found->output = static_cast<wl_output*>(
                    wl_registry_bind(registry, name, &wl_output_interface, 2));
                wl_output_add_listener(found->output, &outputListener, found);
            },
        .global_remove = [](void*, wl_registry*, uint32_t) {},
    };
    wl_registry* registry = wl_display_get_registry(display);
    wl_registry_add_listener(registry, &registryListener, &found);
    // The first round trip announces the globals, the second the output's properties.
    if (wl_display_roundtrip(display) >= 0 && found.output != nullptr)
        wl_display_roundtrip(display);
    if (found.output != nullptr)
        wl_output_destroy(found.output);
    wl_registry_destroy(registry);
    wl_display_disconnect(display);
    return found.scale;
}

} // namespace

void takeOverSystemScaling()
{
    if (!qtChoosesWayland()) {
        qCInfo(lcDisplay) << "platform" << qgetenv("QT_QPA_PLATFORM")
                          << "(not Wayland): the DPI the desktop declares decides the layout";
        return;
    }
    const int scale = waylandOutputScale();
    qCInfo(lcDisplay) << "Wayland, first output's scale" << scale << "(0: no compositor answered)";
    if (scale <= 1)
        return;
    // A Wayland compositor takes buffers of its output's scale and Qt would fill them by doubling
    // a 96-DPI window. Qt's own factor set to the inverse makes one window pixel one device pixel
    // again, and the font DPI tells the program, and the style, the DPI that scale stands for.
    bool userSet = false;
    const double userFactor = qEnvironmentVariable("QT_SCALE_FACTOR").toDouble(&userSet);
    const double factor = (userSet && userFactor > 0 ? userFactor : 1.0) / scale;
    qputenv("QT_SCALE_FACTOR", QByteArray::number(factor, 'g', 17));
    if (!qEnvironmentVariableIsSet("QT_FONT_DPI"))
        qputenv("QT_FONT_DPI", QByteArray::number(layoutDpi * scale));
    qCInfo(lcDisplay) << "QT_SCALE_FACTOR =" << qgetenv("QT_SCALE_FACTOR")
                      << "QT_FONT_DPI =" << qgetenv("QT_FONT_DPI");
}

int systemDisplayDpi()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen != nullptr ? qRound(screen->logicalDotsPerInchY()) : 0;
}

} // namespace platform
