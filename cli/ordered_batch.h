// Work on several inputs at once with the results taken in input order: a batch prints
// and writes exactly what one input after the other would.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <exception>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

// The processors this process may run on (a taskset or a container may allow fewer than the
// machine has); at least 1.
unsigned UsableProcessors();

// Runs work(0) .. work(count - 1) on up to `workers` threads and hands each result to
// take(index, result) on the calling thread in index order, each as soon as it and all
// before it are done. Work runs at most 2 x workers inputs ahead of the last one taken, so
// that finished results waiting for their turn stay few. With one worker everything runs on
// the calling thread, one input after the other. An exception thrown by work comes out of
// the call when that input's turn comes.
template <class Result, class Work, class Take>
void RunInOrder(size_t count, unsigned workers, Work work, Take take) {
    if (workers <= 1 || count <= 1) {
        for (size_t i = 0; i < count; ++i) {
            Result result = work(i);
            take(i, result);
        }
        return;
    }
    struct Slot {
        std::optional<Result> result;
        std::exception_ptr failure;
        bool done = false;
    };
    std::vector<Slot> slots(count);
    std::mutex mutex;
    std::condition_variable changed;
    size_t next = 0;  // the next input to start
    size_t taken = 0; // inputs taken so far
    bool stopping = false;
    const size_t ahead = 2 * size_t(workers);

    const auto run = [&] {
        std::unique_lock lock(mutex);
        for (;;) {
            changed.wait(lock, [&] { return stopping || next >= count || next < taken + ahead; });
            if (stopping || next >= count)
                return;
            const size_t i = next++;
            lock.unlock();
            std::optional<Result> result;
            std::exception_ptr failure;
            try {
                result.emplace(work(i));
            } catch (...) {
                failure = std::current_exception();
            }
            lock.lock();
            slots[i].result = std::move(result);
            slots[i].failure = failure;
            slots[i].done = true;
            changed.notify_all();
        }
    };
    std::vector<std::thread> threads;
    threads.reserve(workers);
    for (unsigned t = 0; t < workers; ++t)
        threads.emplace_back(run);
    // Every thread is joined however the taking ends.
    struct Joiner {
        std::vector<std::thread>& threads;
        std::mutex& mutex;
        std::condition_variable& changed;
        bool& stopping;
        ~Joiner() {
            {
                std::lock_guard lock(mutex);
                stopping = true;
            }
            changed.notify_all();
            for (std::thread& thread : threads)
                thread.join();
        }
    } joiner{threads, mutex, changed, stopping};

    for (size_t i = 0; i < count; ++i) {
        std::optional<Result> result;
        {
            std::unique_lock lock(mutex);
            changed.wait(lock, [&] { return slots[i].done; });
            if (slots[i].failure)
                std::rethrow_exception(slots[i].failure);
            result = std::move(slots[i].result);
            slots[i].result.reset();
        }
        take(i, *result);
        {
            std::lock_guard lock(mutex);
            taken = i + 1;
        }
        changed.notify_all();
    }
}
