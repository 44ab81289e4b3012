#pragma once

#include <atomic>
#include <cstdint>
#include <exception>
#include <thread>
#include <vector>

// Says that only `started` of `threads` threads could be started, and why. Never throws: it is
// called where the work is done already.
void reportThreadsNotStarted(unsigned started, unsigned threads,
                             const std::exception_ptr& failure) noexcept;

// Runs job(index, thread) for every index below `jobs` on up to `threads` threads, each taking the
// next index as it becomes free, so that a thread held up by other work does not hold up the rest.
// A thread that cannot be started, for want of threads or of memory, leaves its share to the
// others; only when no room for the threads can be had at all does it throw, before any job ran.
template <class Job> void shareOut(unsigned threads, std::uint32_t jobs, const Job& job)
{
    std::atomic<std::uint32_t> next{0};
    auto work = [&](unsigned thread) {
        for (std::uint32_t index = next.fetch_add(1); index < jobs; index = next.fetch_add(1))
            job(index, thread);
    };
    std::vector<std::thread> workers;
    workers.reserve(threads);
    std::exception_ptr startFailure;
    for (unsigned thread = 1; thread < threads; ++thread) {
        try {
            workers.emplace_back(work, thread);
        } catch (...) {
            startFailure = std::current_exception();
            break;
        }
    }
    work(0);
    for (std::thread& worker : workers)
        worker.join();
    if (startFailure)
        reportThreadsNotStarted(static_cast<unsigned>(workers.size()) + 1, threads, startFailure);
}
