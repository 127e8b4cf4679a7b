#include "phone/temp_file_cleanup.h"

#include <atomic>
#include <csignal>
#include <cstring>

#include <unistd.h>

namespace {

// The list lives in static storage: a signal handler may neither allocate nor lock. Each
// slot is free, being filled, or holding a path the handler may read.
enum SlotState : int { kFree, kFilling, kHeld };
constexpr int kSlots = 64;
constexpr size_t kMaxPath = 4096;

struct Slot {
    std::atomic<int> state{kFree};
    char path[kMaxPath];
};

Slot g_slots[kSlots];
std::atomic<bool> g_installed{false};
constexpr int kSignals[] = {SIGTERM, SIGHUP, SIGINT};

// Only async-signal-safe calls: unlink, sigaction, raise.
void OnStopSignal(int signal) {
    for (Slot& slot : g_slots)
        if (slot.state.load(std::memory_order_acquire) == kHeld)
            ::unlink(slot.path);
    struct sigaction fallback {};
    fallback.sa_handler = SIG_DFL;
    ::sigemptyset(&fallback.sa_mask);
    ::sigaction(signal, &fallback, nullptr);
    ::raise(signal);
}

} // namespace

void RemoveTempFilesOnSignals() {
    if (g_installed.exchange(true))
        return;
    struct sigaction action {};
    action.sa_handler = OnStopSignal;
    ::sigemptyset(&action.sa_mask);
    for (const int signal : kSignals)
        ::sigaddset(&action.sa_mask, signal);
    for (const int signal : kSignals) {
        // A signal someone chose to ignore (nohup) stays ignored.
        struct sigaction previous {};
        if (::sigaction(signal, nullptr, &previous) == 0 && previous.sa_handler == SIG_IGN)
            continue;
        ::sigaction(signal, &action, nullptr);
    }
}

bool AddTempFileToRemove(const std::string& path) {
    if (path.empty() || path.size() >= kMaxPath)
        return false;
    for (Slot& slot : g_slots) {
        int expected = kFree;
        if (!slot.state.compare_exchange_strong(expected, kFilling, std::memory_order_acquire))
            continue;
        std::memcpy(slot.path, path.c_str(), path.size() + 1);
        slot.state.store(kHeld, std::memory_order_release);
        return true;
    }
    return false;
}

void RemoveTempFile(const std::string& path) {
    if (path.empty())
        return;
    ::unlink(path.c_str());
    for (Slot& slot : g_slots) {
        if (slot.state.load(std::memory_order_acquire) != kHeld || path != slot.path)
            continue;
        int expected = kHeld;
        if (slot.state.compare_exchange_strong(expected, kFilling, std::memory_order_acquire)) {
            slot.state.store(kFree, std::memory_order_release);
            return;
        }
    }
}
