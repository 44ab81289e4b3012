#include "platform/desktop/MessageBoxes.h"

namespace platform {
namespace {

MessageBoxes* g_boxes = &systemMessageBoxes();

} // namespace

void showMessageBox(QWidget* owner, MessageBoxes::Icon icon, const QString& title,
                    const QString& text)
{
    g_boxes->show(owner, icon, title, text);
}

ScopedMessageBoxes::ScopedMessageBoxes(MessageBoxes& boxes)
    : ScopedReplacement(g_boxes, boxes)
{}

} // namespace platform
