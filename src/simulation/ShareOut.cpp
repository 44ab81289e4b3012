#include "simulation/ShareOut.h"

#include "simulation/SimulationLogging.h"

namespace {

const char* reasonOf(const std::exception_ptr& failure)
{
    try {
        std::rethrow_exception(failure);
    } catch (const std::exception& error) {
        return error.what();
    } catch (...) {
        return "unknown error";
    }
}

} // namespace

void reportThreadsNotStarted(unsigned started, unsigned threads,
                             const std::exception_ptr& failure) noexcept
{
    try {
        qCWarning(lcSimulation, "%u of %u threads started: %s", started, threads,
                  reasonOf(failure));
    } catch (...) {
        // Without memory even for the message it is left out; the work is done all the same.
    }
}
