// Threads, open descriptors and memory of a process, read from /proc, for the soaks.
#pragma once

#include <filesystem>
#include <fstream>
#include <string>

struct ProcessState {
    long threads = 0;
    long descriptors = 0;
    long rssKb = 0;
    long peakKb = 0; // VmHWM
};

// "self" or a process id.
inline ProcessState ReadProcessState(const std::string& process = "self") {
    ProcessState state;
    std::ifstream status("/proc/" + process + "/status");
    std::string key;
    while (status >> key) {
        if (key == "Threads:")
            status >> state.threads;
        else if (key == "VmRSS:")
            status >> state.rssKb;
        else if (key == "VmHWM:")
            status >> state.peakKb;
    }
    std::error_code ec;
    for (auto it = std::filesystem::directory_iterator("/proc/" + process + "/fd", ec);
         !ec && it != std::filesystem::directory_iterator(); it.increment(ec))
        ++state.descriptors;
    return state;
}
