#pragma once

#include <QLoggingCategory>

// Which method and instruction set a simulation ran with, and what it had to do without; info
// is off unless QT_LOGGING_RULES asks for "triebwerke.simulation.info=true".
Q_DECLARE_LOGGING_CATEGORY(lcSimulation)
