#pragma once

#include <QApplication>
#include <QString>
#include <QWidget>

#include <exception>

// The application object: title, main window, event loop and the error box for every error that
// escapes from handling an event.
class TApplication : public QApplication
{
    Q_OBJECT

public:
    TApplication(int& argc, char** argv);
    ~TApplication() override;

    // The title, from the program file's name: up to its first full stop, lower case after the
    // first character ("ABC.Tool.EXE" gives "Abc").
    QString Title;
    bool MainFormOnTaskBar = false;

    void Initialize();

    // Creates a window of the class and makes the first one created the main window.
    template <class Form> void CreateForm(Form*& reference)
    {
        reference = new Form();
        if (m_mainForm == nullptr) {
            m_mainForm = reference;
            // Closing the main window ends the program; there is no close query to refuse it.
            m_mainForm->installEventFilter(this);
        }
    }

    QWidget* mainForm() const { return m_mainForm; }

    // Shows the main window and runs the event loop until it is closed; the exit code.
    int Run();
    void Terminate();

    // Reports an error that escaped from event processing and lets the event loop go on.
    void HandleException(std::exception_ptr error);
    void ShowException(const std::exception& error);
    // A message box owned by the active window; the program's other windows wait meanwhile.
    void MessageBox(const QString& text, const QString& caption, bool stopIcon);

    bool notify(QObject* receiver, QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

protected:
    bool event(QEvent* event) override;

private:
    QWidget* m_mainForm = nullptr;
};

extern TApplication* Application;

QString applicationTitle(const QString& programFilePath);

// Runs `handler`, and hands any error it raises to the application's error box.
template <class Handler> void runGuarded(Handler&& handler)
{
    try {
        handler();
    } catch (...) {
        Application->HandleException(std::current_exception());
    }
}
