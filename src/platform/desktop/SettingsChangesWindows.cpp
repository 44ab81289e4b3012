#include "platform/desktop/SettingsChanges.h"

#include "platform/desktop/DesktopLogging.h"

#include <QAbstractNativeEventFilter>
#include <QCoreApplication>
#include <QEvent>

#include <windows.h>

namespace platform {

namespace {

// Explorer, when it starts again, registers this message and expects every program to take its
// settings anew.
UINT taskbarCreated()
{
    static const UINT message = RegisterWindowMessageW(L"TaskbarCreated");
    return message;
}

class SettingsChangeFilter final : public QAbstractNativeEventFilter
{
public:
    explicit SettingsChangeFilter(QCoreApplication& application)
        : m_application(application)
    {}

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) override
    {
        if (eventType != "windows_generic_MSG")
            return false;
        const UINT number = static_cast<const MSG*>(message)->message;
        if (number != WM_SETTINGCHANGE && number != taskbarCreated())
            return false;
        // Every top-level window receives the broadcast: one reload per burst is enough.
        if (!m_pending) {
            m_pending = true;
            qCInfo(lcSettings) << "settings-change broadcast" << Qt::hex << number;
            QCoreApplication::postEvent(&m_application, new QEvent(QEvent::LocaleChange));
            QMetaObject::invokeMethod(
                &m_application, [this] { m_pending = false; }, Qt::QueuedConnection);
        }
        return false;
    }

private:
    QCoreApplication& m_application;
    bool m_pending = false;
};

} // namespace

void followSettingsChanges(QCoreApplication& application)
{
    auto* filter = new SettingsChangeFilter(application);
    application.installNativeEventFilter(filter);
    QObject::connect(&application, &QCoreApplication::destroyed, [filter] { delete filter; });
}

} // namespace platform
