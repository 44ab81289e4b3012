#include "ui/window/Application.h"

#include "platform/Exceptions.h"
#include "platform/desktop/MessageBoxes.h"
#include "presentation/FormatSettings.h"

#include <QEvent>
#include <QWidget>

#include <utility>

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

Application::Application(int& argc, char** argv)
    : QApplication(argc, argv)
    , m_title(applicationTitle(applicationFilePath()))
{
    setQuitOnLastWindowClosed(false);
}

Application::~Application() = default;

Application* Application::instance()
{
    return qobject_cast<Application*>(QCoreApplication::instance());
}

void Application::setMainWindow(std::unique_ptr<QWidget> window)
{
    m_mainWindow = std::move(window);
    m_mainWindow->installEventFilter(this);
}

int Application::run()
{
    if (m_mainWindow != nullptr) {
        m_mainWindow->show();
        m_mainWindow->activateWindow();
    }
    return exec();
}

void Application::handleException(std::exception_ptr error)
{
    if (QWidget* grabber = QWidget::mouseGrabber())
        grabber->releaseMouse();
    visitError(
        error, [this](const Exception& own) { showException(own); },
        [this](const std::exception& other) { showException(other); },
        [this] { showException(Exception(std::string())); });
}

void Application::showException(const std::exception& error)
{
    const auto* own = dynamic_cast<const Exception*>(&error);
    const std::string message = own ? own->message() : std::string(error.what());
    showErrorBox(QString::fromStdString(errorBoxText(message)));
}

void Application::showErrorBox(const QString& text)
{
    platform::showMessageBox(activeWindow() ? activeWindow() : m_mainWindow.get(),
                             platform::MessageBoxes::Icon::Stop, m_title, text);
}

bool Application::notify(QObject* receiver, QEvent* event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        handleException(std::current_exception());
        return false;
    }
}

bool Application::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_mainWindow.get() && event->type() == QEvent::Close)
        quit();
    return QApplication::eventFilter(watched, event);
}

bool Application::event(QEvent* event)
{
    if (event->type() == QEvent::LocaleChange)
        loadFormatSettings();
    return QApplication::event(event);
}
