#pragma once

#include <functional>

// The stages of start-up before the event loop runs, in their order.
enum class StartupStage { Formats, Application, Icon, MainWindow };

// Called as each stage begins. Tests pass one that throws, to see the failure of that stage.
using StartupProbe = std::function<void(StartupStage)>;

// The program: start-up, event loop, end. An error of any kind before the event loop runs is
// reported in the start-up error box and ends the program with exit code 1.
int runProgram(int& argc, char** argv, const StartupProbe& probe = {});
