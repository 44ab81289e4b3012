#pragma once

#include "platform/ScopedReplacement.h"

#include <QString>

class QWidget;

namespace platform {

// The program's modal boxes: the error box (stop icon, OK) and the confirmation box (information
// icon, OK, centred in the work area). Each returns once the user has closed it. Tests install a
// recorder instead of the real boxes.
class MessageBoxes
{
public:
    enum class Icon { Stop, Information };

    virtual ~MessageBoxes() = default;
    virtual void show(QWidget* owner, Icon icon, const QString& title, const QString& text) = 0;
};

// The system's own boxes, which showMessageBox uses unless a test stands in for them.
MessageBoxes& systemMessageBoxes();

void showMessageBox(QWidget* owner, MessageBoxes::Icon icon, const QString& title,
                    const QString& text);

class ScopedMessageBoxes : public ScopedReplacement<MessageBoxes>
{
public:
    explicit ScopedMessageBoxes(MessageBoxes& boxes);
};

} // namespace platform
