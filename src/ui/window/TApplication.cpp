#include "ui/window/TApplication.h"

#include "platform/Exceptions.h"
#include "platform/desktop/MessageBoxes.h"
#include "presentation/FormatSettings.h"

#include <QEvent>
#include <QWidget>

TApplication* Application = nullptr;

QString applicationTitle(const QString& programFilePath)
{
    QString name = programFilePath.left(255);
    const qsizetype separator = std::max(name.lastIndexOf(u'/'), name.lastIndexOf(u'\\'));
    name = name.mid(separator + 1);
    name = name.left(name.indexOf(u'.') < 0 ? name.size() : name.indexOf(u'.'));
    if (name.size() > 1)
        name = name.left(1) + name.mid(1).toLower();
    return name;
}

TApplication::TApplication(int& argc, char** argv)
    : QApplication(argc, argv)
{
    Application = this;
    Title = applicationTitle(applicationFilePath());
    setQuitOnLastWindowClosed(false);
}

TApplication::~TApplication()
{
    delete m_mainForm;
    if (Application == this)
        Application = nullptr;
}

void TApplication::Initialize()
{
    // Nothing registers start-up hooks in this program.
}

int TApplication::Run()
{
    if (m_mainForm != nullptr) {
        m_mainForm->show();
        m_mainForm->activateWindow();
    }
    return exec();
}

void TApplication::Terminate()
{
    quit();
}

void TApplication::HandleException(std::exception_ptr error)
{
    if (QWidget* grabber = QWidget::mouseGrabber())
        grabber->releaseMouse();
    visitError(
        error, [this](const Exception& own) { ShowException(own); },
        [this](const std::exception& other) { ShowException(other); },
        [this] { ShowException(Exception(std::string())); });
}

void TApplication::ShowException(const std::exception& error)
{
    const auto* own = dynamic_cast<const Exception*>(&error);
    const std::string message = own ? own->message() : std::string(error.what());
    MessageBox(QString::fromStdString(errorBoxText(message)), Title, true);
}

void TApplication::MessageBox(const QString& text, const QString& caption, bool stopIcon)
{
    platform::MessageBox(activeWindow() ? activeWindow() : m_mainForm,
                         stopIcon ? platform::MessageBoxes::Icon::Stop
                                  : platform::MessageBoxes::Icon::Information,
                         caption, text);
}

bool TApplication::notify(QObject* receiver, QEvent* event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        HandleException(std::current_exception());
        return false;
    }
}

bool TApplication::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_mainForm && event->type() == QEvent::Close)
        Terminate();
    return QApplication::eventFilter(watched, event);
}

bool TApplication::event(QEvent* event)
{
    if (event->type() == QEvent::LocaleChange)
        LoadFormatSettings();
    return QApplication::event(event);
}
