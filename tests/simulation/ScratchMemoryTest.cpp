// The simulation without the memory it asks for: the global allocation functions of this program
// are replaced by ones that refuse, while a test says so, requests from a given size on or after a
// given number of allocations.

#include "ReferenceSimulation.h"
#include "SimulationLog.h"
#include "platform/Exceptions.h"
#include "simulation/FailureSimulation.h"
#include "simulation/Generator.h"
#include "simulation/ShareOut.h"
#include "simulation/SimulationEngine.h"

#include <atomic>
#include <cstdlib>
#include <gtest/gtest.h>
#include <limits>
#include <new>
#include <vector>

namespace {

std::atomic<std::size_t> g_refusedFromSize{std::numeric_limits<std::size_t>::max()};
std::atomic<long> g_allocationsLeft{std::numeric_limits<long>::max()};

void* allocate(std::size_t size)
{
    if (size >= g_refusedFromSize.load() || g_allocationsLeft.fetch_sub(1) <= 0)
        throw std::bad_alloc();
    if (void* memory = std::malloc(size == 0 ? 1 : size))
        return memory;
    throw std::bad_alloc();
}

// Refuses requests of `size` bytes and more, or every one after `allocations` of them, while it
// lives.
class RefusedMemory
{
public:
    explicit RefusedMemory(std::size_t size, long allocations = std::numeric_limits<long>::max())
    {
        g_allocationsLeft = allocations;
        g_refusedFromSize = size;
    }
    ~RefusedMemory()
    {
        g_refusedFromSize = std::numeric_limits<std::size_t>::max();
        g_allocationsLeft = std::numeric_limits<long>::max();
    }
    RefusedMemory(const RefusedMemory&) = delete;
    RefusedMemory& operator=(const RefusedMemory&) = delete;
};

constexpr std::size_t kibibyte = 1024;

SimulationSettings withMethod(SimulationMethod method, unsigned threads = 2)
{
    SimulationSettings settings;
    settings.threads = threads;
    settings.method = method;
    return settings;
}

} // namespace

void* operator new(std::size_t size)
{
    return allocate(size);
}

void* operator new[](std::size_t size)
{
    return allocate(size);
}

void operator delete(void* memory) noexcept
{
    std::free(memory);
}

void operator delete[](void* memory) noexcept
{
    std::free(memory);
}

void operator delete(void* memory, std::size_t) noexcept
{
    std::free(memory);
}

void operator delete[](void* memory, std::size_t) noexcept
{
    std::free(memory);
}

// Without room for its rings (a window of 2^20 - 1 draws keeps up to 8 MiB of them a thread) the
// cycle pass slides two streams on one thread, and counts alike.
TEST(ScratchMemory, cyclePassMakesDoWithOneThreadAndNoRing)
{
    const std::int32_t engines = (1 << 20) - 1;
    const std::int32_t runs = 4'000;
    const std::uint32_t threshold = 1'288'490'189;
    FailureHistogram expected(engines + 1, 0);
    const std::uint32_t expectedState = simulateRuns(19, engines, runs, threshold, expected.data(),
                                                     withMethod(SimulationMethod::Direct));
    FailureHistogram histogram(engines + 1, 0);
    SimulationLog log;
    std::uint32_t state = 0;
    {
        const RefusedMemory refused(kibibyte * kibibyte);
        state = simulateRuns(19, engines, runs, threshold, histogram.data(),
                             withMethod(SimulationMethod::CyclePass));
    }
    EXPECT_EQ(histogram, expected);
    EXPECT_EQ(state, expectedState);
    EXPECT_TRUE(log.text().contains(QStringLiteral("on one thread, without rings")))
        << log.text().toStdString();
    EXPECT_TRUE(log.text().contains(QStringLiteral("cycle pass,"))) << log.text().toStdString();
}

// With no scratch at all (a thread gathers runs in two arrays of 16 KiB) the cycle pass gives way
// to drawing every run where that costs little more; an input that would take months is refused.
TEST(ScratchMemory, withoutScratchOnlyAffordableInputsAreDrawnRunByRun)
{
    const std::uint32_t threshold = 4'294'968;
    FailureHistogram expected(1'001, 0);
    const std::uint32_t expectedState = simulateRuns(
        23, 1'000, 10'000'000, threshold, expected.data(), withMethod(SimulationMethod::Direct));
    FailureHistogram histogram(1'001, 0);
    const FailureHistogram untouched(10'001, 0);
    FailureHistogram largest = untouched;
    SimulationLog log;
    std::uint32_t state = 0;
    bool refusedLargest = false;
    {
        const RefusedMemory refused(16 * kibibyte);
        state = simulateRuns(23, 1'000, 10'000'000, threshold, histogram.data(),
                             withMethod(SimulationMethod::Automatic));
        try {
            simulateRuns(23, 10'000, 2'147'483'647, threshold, largest.data(),
                         withMethod(SimulationMethod::Automatic));
        } catch (const EOutOfMemory&) {
            refusedLargest = true;
        }
    }
    EXPECT_EQ(histogram, expected);
    EXPECT_EQ(state, expectedState);
    EXPECT_TRUE(log.text().contains(QStringLiteral("every run drawn"))) << log.text().toStdString();
    EXPECT_TRUE(refusedLargest);
    EXPECT_EQ(largest, untouched);
}

// Threads that cannot be started, whichever allocation fails, leave their jobs to the others; every
// job runs exactly once, or, where not even the room to hold the threads can be had, none runs and
// the failure reaches the caller.
TEST(ScratchMemory, sharingOutSurvivesThreadsThatCannotStart)
{
    constexpr std::uint32_t jobs = 64;
    for (long allocations = 0; allocations <= 4; ++allocations) {
        std::vector<std::atomic<int>> runsOfJob(jobs);
        bool refused = false;
        {
            const RefusedMemory refusing(std::numeric_limits<std::size_t>::max(), allocations);
            try {
                shareOut(4, jobs, [&](std::uint32_t job, unsigned) { ++runsOfJob[job]; });
            } catch (const std::bad_alloc&) {
                refused = true;
            }
        }
        for (std::uint32_t job = 0; job < jobs; ++job)
            EXPECT_EQ(runsOfJob[job].load(), refused ? 0 : 1)
                << "job " << job << ", " << allocations << " allocations allowed";
    }
}

// The memory check counts the cycle pass's scratch: for 1,000 engines a thread's tally window
// holds 8 copies of 1,001 counts, some 32 KiB, and it gathers runs in as much again.
TEST(ScratchMemory, theMemoryCheckCountsTheCyclePassScratch)
{
    SimulationSettings settings = withMethod(SimulationMethod::CyclePass, 1);
    FailureHistogram histogram{7};
    settings.availableMemory = 4'004 + 32 * kibibyte;
    EXPECT_THROW(simulateFailures(1'000, 1'000, histogram, 0.999, 31u, settings), EOutOfMemory);
    EXPECT_EQ(histogram, FailureHistogram{7});

    settings.availableMemory = 4'004 + 256 * kibibyte;
    std::uint32_t expectedState = 31u;
    const FailureHistogram expected = referenceSimulation(expectedState, 1'000, 1'000, 0.999);
    EXPECT_EQ(simulateFailures(1'000, 1'000, histogram, 0.999, 31u, settings), expectedState);
    EXPECT_EQ(histogram, expected);
}
