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
        // Every top-level window receives the broadcast; a reload reads three settings, so each
        // one simply asks for it.
        qCInfo(lcSettings) << "settings-change broadcast" << Qt::hex << number;
        QCoreApplication::postEvent(&m_application, new QEvent(QEvent::LocaleChange));
        return false;
    }

private:
    QCoreApplication& m_application;
};

} // namespace

void followSettingsChanges(QCoreApplication& application)
{
    auto* filter = new SettingsChangeFilter(application);
    application.installNativeEventFilter(filter);
    QObject::connect(&application, &QCoreApplication::destroyed, [filter] { delete filter; });
}

} // namespace platform
