#include "platform/MessageBoxes.h"

#include <QApplication>
#include <QGuiApplication>
#include <QMessageBox>
#include <QScreen>
#include <QShowEvent>
#include <QWidget>

namespace platform {
namespace {

// A box that places itself in the middle of the work area of the screen nearest its owner once it
// knows its own size.
class CentredBox final : public QMessageBox
{
public:
    using QMessageBox::QMessageBox;

protected:
    void showEvent(QShowEvent* event) override
    {
        QMessageBox::showEvent(event);
        QScreen* screen =
            parentWidget() ? parentWidget()->screen() : QGuiApplication::primaryScreen();
        if (screen == nullptr)
            return;
        const QRect workArea = screen->availableGeometry();
        const QRect frame = frameGeometry();
        move(workArea.left() + (workArea.width() - frame.width()) / 2,
             workArea.top() + (workArea.height() - frame.height()) / 2);
    }
};

class DesktopBoxes final : public MessageBoxes
{
public:
    void show(QWidget* owner, Icon icon, const QString& title, const QString& text) override
    {
        const QMessageBox::Icon boxIcon =
            icon == Icon::Stop ? QMessageBox::Critical : QMessageBox::Information;
        if (icon == Icon::Information) {
            CentredBox box(boxIcon, title, text, QMessageBox::Ok, owner);
            box.setWindowModality(Qt::ApplicationModal);
            box.exec();
        } else {
            QMessageBox box(boxIcon, title, text, QMessageBox::Ok, owner);
            box.setWindowModality(Qt::ApplicationModal);
            box.exec();
        }
    }
};

DesktopBoxes g_desktopBoxes;
MessageBoxes* g_boxes = &g_desktopBoxes;

} // namespace

void MessageBox(QWidget* owner, MessageBoxes::Icon icon, const QString& title, const QString& text)
{
    g_boxes->show(owner, icon, title, text);
}

ScopedMessageBoxes::ScopedMessageBoxes(MessageBoxes& boxes)
    : m_previous(g_boxes)
{
    g_boxes = &boxes;
}

ScopedMessageBoxes::~ScopedMessageBoxes()
{
    g_boxes = m_previous;
}

} // namespace platform
