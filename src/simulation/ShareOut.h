#pragma once

#include <atomic>
#include <cstdint>
#include <system_error>
#include <thread>
#include <vector>

// Runs job(index, thread) for every index below `jobs` on up to `threads` threads, each taking the
// next index as it becomes free, so that a thread held up by other work does not hold up the rest.
template <class Job> void shareOut(unsigned threads, std::uint32_t jobs, const Job& job)
{
    std::atomic<std::uint32_t> next{0};
    auto work = [&](unsigned thread) {
        for (std::uint32_t index = next.fetch_add(1); index < jobs; index = next.fetch_add(1))
            job(index, thread);
    };
    std::vector<std::thread> workers;
    workers.reserve(threads);
    for (unsigned thread = 1; thread < threads; ++thread) {
        try {
            workers.emplace_back(work, thread);
        } catch (const std::system_error&) {
            // No thread to be had: the others take its share.
            break;
        }
    }
    work(0);
    for (std::thread& worker : workers)
        worker.join();
}
