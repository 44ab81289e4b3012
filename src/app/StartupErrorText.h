#pragma once

#include <QString>

#include <exception>

class Exception;

// The text of the last-resort box for an error during start-up, before the event loop runs.
QString startupErrorText(const Exception& error, const QString& moduleName);
// The same for an error of any kind: no memory reads as the program's own EOutOfMemory, another
// error names its own class.
QString startupErrorText(std::exception_ptr error, const QString& moduleName);
