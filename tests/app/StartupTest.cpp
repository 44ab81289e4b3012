#include "app/Startup.h"

#include "app/StartupErrorText.h"
#include "platform/Exceptions.h"
#include "platform/desktop/MessageBoxes.h"
#include "support/RecordedBoxes.h"

#include <QFileInfo>
#include <QGuiApplication>
#include <QRegularExpression>
#include <QString>

#include <functional>
#include <gtest/gtest.h>
#include <new>
#include <ostream>
#include <stdexcept>
#include <vector>

namespace {

struct StartupFailure
{
    const char* name;
    StartupStage stage;
    std::function<void()> raise;
    const char* className;
    const char* message; // as the box shows it, with its full stop
};

// Every stage fails once, each with another kind of error: the program's own, no memory, a
// standard error and something that is no exception class at all.
const StartupFailure failures[] = {
    {"formats", StartupStage::Formats, [] { throw ERangeError(); }, "ERangeError",
     "Fehler bei Bereichsprüfung."},
    {"formats, no memory", StartupStage::Formats, [] { throw std::bad_alloc(); }, "EOutOfMemory",
     "Zu wenig Arbeitsspeicher."},
    {"application", StartupStage::Application, [] { throw std::runtime_error("kaputt"); },
     "std::runtime_error", "kaputt."},
    {"icon", StartupStage::Icon, [] { throw std::bad_alloc(); }, "EOutOfMemory",
     "Zu wenig Arbeitsspeicher."},
    {"icon, no exception class", StartupStage::Icon, [] { throw 42; }, "Exception", ""},
    {"main window", StartupStage::MainWindow, [] { throw EInvalidOp(); }, "EInvalidOp",
     "Ungültige Gleitkommaoperation."},
    {"main window, no memory", StartupStage::MainWindow, [] { throw std::bad_alloc(); },
     "EOutOfMemory", "Zu wenig Arbeitsspeicher."},
};

void PrintTo(const StartupFailure& failure, std::ostream* out)
{
    *out << failure.name;
}

class StartupTest : public testing::TestWithParam<StartupFailure>
{};

TEST_P(StartupTest, anErrorBeforeTheEventLoopEndsInTheStartupBoxAndExitCodeOne)
{
    const StartupFailure& failure = GetParam();
    RecordedBoxes boxes;
    const platform::ScopedMessageBoxes scopedBoxes(boxes);
    // The program's name as the system passes it: Windows names the program file.
#ifdef _WIN32
    char program[] = "startup_tests.exe";
#else
    char program[] = "startup_tests";
#endif
    char* argv[] = {program, nullptr};
    int argc = 1;
    std::vector<StartupStage> reached;

    const int exitCode = runProgram(argc, argv, [&](StartupStage stage) {
        reached.push_back(stage);
        if (stage == failure.stage)
            failure.raise();
    });

    EXPECT_EQ(exitCode, 1);
    EXPECT_EQ(reached.back(), failure.stage) << "start-up went on after the error";
    ASSERT_EQ(boxes.boxes.size(), 1u);
    const RecordedBoxes::Box& box = boxes.boxes.front();
    EXPECT_EQ(box.icon, platform::MessageBoxes::Icon::Stop);
    EXPECT_EQ(box.title, QStringLiteral("Anwendungsfehler"));
    // The module is the program file, named as the system names it.
#ifdef _WIN32
    const QString module = QStringLiteral("startup_tests.exe");
#else
    const QString module = QStringLiteral("startup_tests");
#endif
    const QString expectedStart =
        QStringLiteral("Exception %1 in Modul %2 bei ").arg(failure.className, module);
    EXPECT_TRUE(box.text.startsWith(expectedStart)) << box.text.toStdString();
    const QString expectedEnd =
        QStringLiteral(".\r\n%1\r\n").arg(QString::fromUtf8(failure.message));
    EXPECT_TRUE(box.text.endsWith(expectedEnd)) << box.text.toStdString();
}

TEST(StartupDesktopEntry, theWindowsCarryTheNameOfTheDesktopEntry)
{
    RecordedBoxes boxes;
    const platform::ScopedMessageBoxes scopedBoxes(boxes);
    char program[] = "startup_tests";
    char* argv[] = {program, nullptr};
    int argc = 1;
    QString named;
    // The window itself is not needed: start-up is ended where it would be created.
    runProgram(argc, argv, [&](StartupStage stage) {
        if (stage == StartupStage::MainWindow) {
            named = QGuiApplication::desktopFileName();
            throw std::runtime_error("genug");
        }
    });
    EXPECT_EQ(named + QStringLiteral(".desktop"),
              QFileInfo(QStringLiteral(TRIEBWERKE_DESKTOP_FILE)).fileName());
}

INSTANTIATE_TEST_SUITE_P(EveryStage, StartupTest, testing::ValuesIn(failures),
                         [](const testing::TestParamInfo<StartupFailure>& info) {
                             std::string name = info.param.name;
                             for (char& c : name)
                                 if (c == ' ' || c == ',')
                                     c = '_';
                             return name;
                         });

TEST(StartupErrorText, namesClassModuleAddressAndMessage)
{
    const QString text = startupErrorText(EInvalidOp(), QStringLiteral("Triebwerke"));
    EXPECT_TRUE(
        QRegularExpression(
            QStringLiteral("^Exception EInvalidOp in Modul Triebwerke bei [0-9A-F]{16}\\.\r\n"
                           "Ungültige Gleitkommaoperation\\.\r\n$"))
            .match(text)
            .hasMatch())
        << text.toStdString();
    const QString withStop = startupErrorText(Exception("Schon da."), QStringLiteral("T"));
    EXPECT_TRUE(withStop.endsWith(QStringLiteral("\r\nSchon da.\r\n"))) << withStop.toStdString();
}

} // namespace
