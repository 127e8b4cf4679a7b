// The live fit's runner for the windows: each fit on a worker thread of its own, its
// result queued back to the document on the user-interface thread. Nothing here waits for
// a fit while the window lives; when it goes, the fits still running are told to stop.
#pragma once

#include "phone/live_fit.h"

#include <QObject>

class PhoneImageDocument;

class LiveFitThreads : public QObject, public LiveFitRunner {
    Q_OBJECT
public:
    // The document must outlive this object; it lives on the caller's thread.
    explicit LiveFitThreads(PhoneImageDocument* document, QObject* parent = nullptr);
    ~LiveFitThreads() override;

    void Launch(LiveFitJob job) override;
    // Fits started and not yet finished (abandoned ones included).
    int Running() const { return workers_.Running(); }

private:
    PhoneImageDocument* document_;
    FitWorkers workers_;
};
