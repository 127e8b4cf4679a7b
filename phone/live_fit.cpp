#include "phone/live_fit.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

void LiveFit::Start(Carrier carrier, FitKinds kinds) {
    on_ = true;
    carrier_ = carrier;
    kinds_ = kinds;
}

void LiveFit::Stop() {
    on_ = false;
    Abandon();
}

void LiveFit::Abandon() {
    if (cancel_)
        cancel_->store(true);
    cancel_.reset();
    running_ = false;
}

std::optional<LiveFitJob> LiveFit::Request(const PackedDib* base) {
    Abandon();
    ++serial_; // a result of an earlier request no longer counts, even without a new job
    if (!on_ || !base)
        return std::nullopt;
    DibPtr copy = DibDuplicate(base, nullptr);
    if (!copy)
        return std::nullopt;
    cancel_ = std::make_shared<std::atomic<bool>>(false);
    running_ = true;
    return LiveFitJob{serial_, carrier_, kinds_, std::shared_ptr<const PackedDib>(std::move(copy)),
                      cancel_};
}

bool LiveFit::Accept(uint64_t serial, const FitResult& result, const PackedDib* base) {
    if (!on_ || !running_ || serial != serial_)
        return false;
    running_ = false;
    cancel_.reset();
    return !result.cancelled && base && result.baseFingerprint == BaseFingerprint(base);
}

struct FitWorkers::Shared {
    std::mutex lock;
    std::condition_variable finished;
    Deliver deliver; // none once the owner is going
    int running = 0;
    std::vector<std::weak_ptr<std::atomic<bool>>> cancels;
};

FitWorkers::FitWorkers(Deliver deliver) : shared_(std::make_shared<Shared>()) {
    shared_->deliver = std::move(deliver);
}

FitWorkers::~FitWorkers() {
    std::unique_lock<std::mutex> hold(shared_->lock);
    shared_->deliver = nullptr;
    for (const auto& weak : shared_->cancels)
        if (const auto cancel = weak.lock())
            cancel->store(true);
    // A fit told to stop ends within one file; one that takes longer is left to finish
    // on its own, holding nothing of ours but the shared state.
    shared_->finished.wait_for(hold, std::chrono::seconds(2),
                               [this] { return shared_->running == 0; });
}

int FitWorkers::Running() const {
    const std::lock_guard<std::mutex> hold(shared_->lock);
    return shared_->running;
}

void FitWorkers::Launch(LiveFitJob job) {
    {
        const std::lock_guard<std::mutex> hold(shared_->lock);
        std::erase_if(shared_->cancels, [](const auto& weak) { return weak.expired(); });
        shared_->cancels.push_back(job.cancel);
        ++shared_->running;
    }
    auto work = [shared = shared_, job = std::move(job)] {
        const FitResult result = job.Run();
        const std::lock_guard<std::mutex> hold(shared->lock);
        if (shared->deliver)
            shared->deliver(job.serial, result);
        --shared->running;
        shared->finished.notify_all();
    };
    try {
        std::thread(work).detach();
    } catch (const std::system_error&) {
        work(); // no thread to be had: the fit runs here
    }
}
