// The live fit: while it is on, every new base image is fitted to the carrier's limit
// again, away from the thread the document lives on. The newest request wins: an older
// fit is told to stop, and whatever it still delivers is dropped, as is a result made
// from another base image than the one the document holds when it arrives.
#pragma once

#include "image/dib.h"
#include "phone/fit_to_limit.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

// One fit to run: everything the worker needs, its own copy of the base image included.
struct LiveFitJob {
    uint64_t serial = 0;
    Carrier carrier = Carrier::JSky;
    FitKinds kinds;
    std::shared_ptr<const PackedDib> base;
    std::shared_ptr<std::atomic<bool>> cancel; // set when a newer request replaces this one

    FitResult Run() const { return FitToLimit(base.get(), carrier, kinds, cancel.get()); }
};

// Runs a job away from the document's thread and hands its result back, on that thread,
// to PhoneImageDocument::TakeLiveFit. Must never wait for a job.
class LiveFitRunner {
public:
    virtual void Launch(LiveFitJob job) = 0;

protected:
    ~LiveFitRunner() = default;
};

// The rules of the mode: which request is current and which results count.
class LiveFit {
public:
    LiveFit() = default;
    ~LiveFit() { Abandon(); }
    LiveFit(const LiveFit&) = delete;
    LiveFit& operator=(const LiveFit&) = delete;

    bool On() const { return on_; }
    Carrier Target() const { return carrier_; }
    FitKinds Kinds() const { return kinds_; }
    // A request is out whose result has not come back yet.
    bool Running() const { return running_; }

    // Turns the mode on for a carrier (or over to another one).
    void Start(Carrier carrier, FitKinds kinds);
    // Turns it off; the fit running is told to stop.
    void Stop();

    // The job for a new base image; the one before it is told to stop. None without a base
    // image or when the copy cannot be made.
    std::optional<LiveFitJob> Request(const PackedDib* base);

    // A worker's result: true when it answers the newest request, which is still out, and
    // was made from `base`, the base image held now, so that it may be shown.
    bool Accept(uint64_t serial, const FitResult& result, const PackedDib* base);

private:
    void Abandon();

    bool on_ = false;
    Carrier carrier_ = Carrier::JSky;
    FitKinds kinds_;
    bool running_ = false;
    uint64_t serial_ = 0;
    std::shared_ptr<std::atomic<bool>> cancel_;
};

// Runs live fits on threads of their own, never waiting for one; `deliver` is called on the
// worker's thread with each result. At destruction the fits still running are told to stop,
// nothing more is delivered, and they are waited for a short while at most: a fit looks at
// its stop flag before every file it makes.
class FitWorkers {
public:
    using Deliver = std::function<void(uint64_t serial, const FitResult& result)>;
    explicit FitWorkers(Deliver deliver);
    ~FitWorkers();
    FitWorkers(const FitWorkers&) = delete;
    FitWorkers& operator=(const FitWorkers&) = delete;

    void Launch(LiveFitJob job);
    // Fits started and not yet finished.
    int Running() const;

private:
    struct Shared;
    std::shared_ptr<Shared> shared_;
};
