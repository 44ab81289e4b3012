#include "platform/desktop/MessageBoxes.h"

#include <QApplication>
#include <QGuiApplication>
#include <QMessageBox>
#include <QScreen>
#include <QShowEvent>
#include <QWidget>

namespace platform {
namespace {

// One OK button, application-modal. The confirmation box places itself in the middle of the work
// area of the screen nearest its owner once it knows its own size; the error box stays where the
// desktop puts it.
class DesktopBox final : public QMessageBox
{
public:
    DesktopBox(MessageBoxes::Icon icon, const QString& title, const QString& text, QWidget* owner)
        : QMessageBox(icon == MessageBoxes::Icon::Stop ? QMessageBox::Critical
                                                       : QMessageBox::Information,
                      title, text, QMessageBox::Ok, owner)
        , m_centred(icon == MessageBoxes::Icon::Information)
    {
        setWindowModality(Qt::ApplicationModal);
    }

protected:
    void showEvent(QShowEvent* event) override
    {
        QMessageBox::showEvent(event);
        if (!m_centred)
            return;
        QScreen* screen =
            parentWidget() ? parentWidget()->screen() : QGuiApplication::primaryScreen();
        if (screen == nullptr)
            return;
        const QRect workArea = screen->availableGeometry();
        const QRect frame = frameGeometry();
        move(workArea.left() + (workArea.width() - frame.width()) / 2,
             workArea.top() + (workArea.height() - frame.height()) / 2);
    }

private:
    bool m_centred;
};

class DesktopBoxes final : public MessageBoxes
{
public:
    void show(QWidget* owner, Icon icon, const QString& title, const QString& text) override
    {
        DesktopBox box(icon, title, text, owner);
        box.exec();
    }
};

} // namespace

MessageBoxes& systemMessageBoxes()
{
    static DesktopBoxes boxes;
    return boxes;
}

} // namespace platform
