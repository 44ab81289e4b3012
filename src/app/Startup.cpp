#include "app/Startup.h"

#include "app/ProgramIcon.h"
#include "app/StartupErrorText.h"
#include "platform/FloatingPoint.h"
#include "platform/desktop/Display.h"
#include "platform/desktop/MessageBoxes.h"
#include "platform/desktop/SettingsChanges.h"
#include "presentation/FormatSettings.h"
#include "ui/window/Application.h"
#include "ui/window/MainWindow.h"

#include <QApplication>
#include <QFileInfo>

#include <cstdio>
#include <memory>

namespace {

QString programFileName(const char* argv0)
{
    if (QCoreApplication::instance() != nullptr)
        return QFileInfo(QCoreApplication::applicationFilePath()).fileName();
    return QFileInfo(QString::fromLocal8Bit(argv0 != nullptr ? argv0 : "")).fileName();
}

// Before the event loop runs there is no application error box yet. The box needs an
// application object; when creating the program's own failed, a plain one stands in for it.
int reportStartupError(int& argc, char** argv, std::exception_ptr error)
{
    const QString text = startupErrorText(error, programFileName(argc > 0 ? argv[0] : nullptr));
    std::fputs(text.toLocal8Bit().constData(), stderr);
    std::unique_ptr<QApplication> standIn;
    if (QCoreApplication::instance() == nullptr)
        standIn = std::make_unique<QApplication>(argc, argv);
    platform::showMessageBox(nullptr, platform::MessageBoxes::Icon::Stop,
                             QStringLiteral("Anwendungsfehler"), text);
    return 1;
}

} // namespace

int runProgram(int& argc, char** argv, const StartupProbe& probe)
{
    const auto stage = [&probe](StartupStage next) {
        if (probe)
            probe(next);
    };
    std::unique_ptr<Application> application;
    try {
        platform::ensureExtendedPrecision();
        platform::takeOverDisplayScaling();
        stage(StartupStage::Formats);
        loadFormatSettings();
        stage(StartupStage::Application);
        application = std::make_unique<Application>(argc, argv);
        platform::followSettingsChanges(*application);
        stage(StartupStage::Icon);
        application->setWindowIcon(programIcon());
        // Docks find the program's entry and icon by these names: the Wayland app id is the
        // entry's name, and on X11 the entry names the window's class.
        QGuiApplication::setDesktopFileName(QStringLiteral("triebwerke"));
        stage(StartupStage::MainWindow);
        application->setMainWindow(std::make_unique<MainWindow>());
    } catch (...) {
        return reportStartupError(argc, argv, std::current_exception());
    }
    return application->run();
}
