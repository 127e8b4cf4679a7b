#include "web/worker_thread.h"

#include <chrono>
#include <system_error>

CWorkerThread::~CWorkerThread() {
    std::thread thread;
    {
        std::lock_guard lock(mutex_);
        if (created_ && !resumed_) {
            cancelled_ = true;
            changed_.notify_all();
        }
        thread = std::move(thread_);
    }
    if (thread.joinable() && thread.get_id() != std::this_thread::get_id())
        thread.join();
    else if (thread.joinable())
        thread.detach();
}

bool CWorkerThread::Create(bool runAtOnce) {
    std::thread finished;
    {
        std::lock_guard lock(mutex_);
        if (created_) {
            if (runAtOnce && !resumed_) {
                resumed_ = true;
                changed_.notify_all();
            }
            return true;
        }
        // An earlier run that nobody waited for.
        finished = std::move(thread_);
    }
    if (finished.joinable())
        finished.join();

    std::lock_guard lock(mutex_);
    cancelled_ = false;
    resumed_ = runAtOnce;
    exitCode_ = -1;
    try {
        // The new thread blocks on mutex_ until thread_ has been assigned.
        thread_ = std::thread(&CWorkerThread::ThreadProc, this);
    } catch (const std::system_error&) {
        resumed_ = false;
        return false;
    }
    created_ = true;
    return true;
}

bool CWorkerThread::Resume() {
    std::lock_guard lock(mutex_);
    if (!created_)
        return resumed_;
    if (!resumed_) {
        resumed_ = true;
        // Notified under the lock: an auto-deleting thread may free the object as soon
        // as the lock is released.
        changed_.notify_all();
    }
    return true;
}

bool CWorkerThread::Wait(int milliseconds) {
    std::thread thread;
    {
        std::unique_lock lock(mutex_);
        auto ended = [this] { return !created_; };
        if (milliseconds < 0)
            changed_.wait(lock, ended);
        else if (!changed_.wait_for(lock, std::chrono::milliseconds(milliseconds), ended))
            return false;
        thread = std::move(thread_);
    }
    if (thread.joinable())
        thread.join();
    return true;
}

int CWorkerThread::ExitCode() const {
    std::lock_guard lock(mutex_);
    return exitCode_;
}

bool CWorkerThread::IsCreated() const {
    std::lock_guard lock(mutex_);
    return created_;
}

void CWorkerThread::SetAutoDelete(bool autoDelete) {
    std::lock_guard lock(mutex_);
    autoDelete_ = autoDelete;
}

void CWorkerThread::ThreadProc() {
    {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [this] { return resumed_ || cancelled_; });
        if (cancelled_) {
            created_ = false;
            changed_.notify_all();
            return;
        }
    }
    int code = -1;
    if (InitInstance()) {
        code = Run();
        ExitInstance();
    }
    bool destroy;
    {
        std::lock_guard lock(mutex_);
        exitCode_ = code;
        created_ = false;
        resumed_ = false;
        destroy = autoDelete_;
        if (destroy)
            thread_.detach();
        changed_.notify_all();
    }
    if (destroy)
        delete this;
}
