#include "app/StartupErrorText.h"

#include "platform/Exceptions.h"

#include <typeinfo>

namespace {

QString startupErrorText(const QString& className, const std::string& message, const void* origin,
                         const QString& moduleName)
{
    const QString text = QString::fromStdString(message);
    const QString fullStop =
        !text.isEmpty() && !text.endsWith(u'.') ? QStringLiteral(".") : QString();
    const auto address = reinterpret_cast<quintptr>(origin);
    return QStringLiteral("Exception %1 in Modul %2 bei %3.\r\n%4%5\r\n")
        .arg(className, moduleName,
             QStringLiteral("%1")
                 .arg(address, 2 * static_cast<int>(sizeof(void*)), 16, QChar(u'0'))
                 .toUpper(),
             text, fullStop);
}

} // namespace

QString startupErrorText(const Exception& error, const QString& moduleName)
{
    return startupErrorText(QString::fromLatin1(error.className()), error.message(), error.origin(),
                            moduleName);
}

QString startupErrorText(std::exception_ptr error, const QString& moduleName)
{
    return visitError(
        error, [&moduleName](const Exception& own) { return startupErrorText(own, moduleName); },
        [&moduleName](const std::exception& other) {
            return startupErrorText(QString::fromStdString(platform::typeName(typeid(other))),
                                    other.what(), nullptr, moduleName);
        },
        [&moduleName] {
            return startupErrorText(QStringLiteral("Exception"), std::string(), nullptr,
                                    moduleName);
        });
}
