#include "app/ProgramIcon.h"
#include "platform/Exceptions.h"
#include "platform/MessageBoxes.h"
#include "presentation/FormatSettings.h"
#include "simulation/Generator.h"
#include "ui/window/MainUnit.h"
#include "ui/window/TApplication.h"

#include <QFileInfo>

int main(int argc, char* argv[])
{
    LoadFormatSettings();
    SeedFromClock();
    TApplication application(argc, argv);
    application.setWindowIcon(programIcon());
    try {
        application.Initialize();
        application.MainFormOnTaskBar = true;
        application.CreateForm(Form4);
        return application.Run();
    } catch (const Exception& error) {
        // Before the event loop runs there is no application error box yet.
        platform::MessageBox(
            nullptr, platform::MessageBoxes::Icon::Stop, QStringLiteral("Anwendungsfehler"),
            startupErrorText(error, QFileInfo(QCoreApplication::applicationFilePath()).fileName()));
        return 1;
    }
}
