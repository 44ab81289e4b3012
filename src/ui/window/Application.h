#pragma once

#include <QApplication>
#include <QString>
#include <QWidget>

#include <exception>
#include <memory>

// The application object: title, main window, event loop and the error box for every error that
// escapes from handling an event.
class Application : public QApplication
{
    Q_OBJECT

public:
    Application(int& argc, char** argv);
    ~Application() override;

    // The running application; nothing before it is created or after it is gone.
    static Application* instance();

    // The title, from the program file's name: up to its first full stop, lower case after the
    // first character ("ABC.Tool.EXE" gives "Abc").
    const QString& title() const { return m_title; }

    // Makes the window the main window, owned by the application; closing it ends the program
    // (there is no close query to refuse it).
    void setMainWindow(std::unique_ptr<QWidget> window);
    QWidget* mainWindow() const { return m_mainWindow.get(); }

    // Shows the main window and runs the event loop until it is closed; the exit code.
    int run();

    // Reports an error that escaped from event processing and lets the event loop go on.
    void handleException(std::exception_ptr error);
    void showException(const std::exception& error);

    bool notify(QObject* receiver, QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

protected:
    bool event(QEvent* event) override;

private:
    // An error box owned by the active window; the program's other windows wait meanwhile.
    void showErrorBox(const QString& text);

    QString m_title;
    std::unique_ptr<QWidget> m_mainWindow;
};

QString applicationTitle(const QString& programFilePath);

// Runs `handler`, and hands any error it raises to the application's error box.
template <class Handler> void runGuarded(Handler&& handler)
{
    try {
        handler();
    } catch (...) {
        Application::instance()->handleException(std::current_exception());
    }
}
