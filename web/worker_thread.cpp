#include "web/worker_thread.h"

#include <chrono>

// Sanitizers make every frame much larger.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define MOKOA_LARGE_FRAMES 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
#define MOKOA_LARGE_FRAMES 1
#endif
#endif

#ifdef MOKOA_LARGE_FRAMES
const size_t CWorkerThread::kStackBytes = size_t(4) << 20;
#else
// Ample for a connection: its buffers are small and the resolver's are on the heap.
const size_t CWorkerThread::kStackBytes = size_t(256) << 10;
#endif

void CWorkerThread::Release(pthread_t thread, bool join) {
    if (join && !pthread_equal(thread, pthread_self()))
        pthread_join(thread, nullptr);
    else
        pthread_detach(thread);
}

void* CWorkerThread::Start(void* self) {
    static_cast<CWorkerThread*>(self)->ThreadProc();
    return nullptr;
}

CWorkerThread::~CWorkerThread() {
    pthread_t thread{};
    bool joinable;
    {
        std::lock_guard lock(mutex_);
        if (created_ && !resumed_) {
            cancelled_ = true;
            changed_.notify_all();
        }
        thread = thread_;
        joinable = joinable_;
        joinable_ = false;
    }
    if (joinable)
        Release(thread, true);
}

bool CWorkerThread::Create(bool runAtOnce) {
    pthread_t finished{};
    bool unjoined;
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
        finished = thread_;
        unjoined = joinable_;
        joinable_ = false;
    }
    if (unjoined)
        Release(finished, true);

    std::lock_guard lock(mutex_);
    cancelled_ = false;
    resumed_ = runAtOnce;
    exitCode_ = -1;
    pthread_attr_t attributes;
    if (pthread_attr_init(&attributes) != 0) {
        resumed_ = false;
        return false;
    }
    pthread_attr_setstacksize(&attributes, kStackBytes);
    // The new thread blocks on mutex_ until thread_ has been assigned.
    const int result = pthread_create(&thread_, &attributes, &CWorkerThread::Start, this);
    pthread_attr_destroy(&attributes);
    if (result != 0) {
        resumed_ = false;
        return false;
    }
    joinable_ = true;
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
    pthread_t thread{};
    bool joinable;
    {
        std::unique_lock lock(mutex_);
        auto ended = [this] { return !created_; };
        if (milliseconds < 0)
            changed_.wait(lock, ended);
        else if (!changed_.wait_for(lock, std::chrono::milliseconds(milliseconds), ended))
            return false;
        thread = thread_;
        joinable = joinable_;
        joinable_ = false;
    }
    if (joinable)
        Release(thread, true);
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
        if (destroy && joinable_) {
            pthread_detach(thread_);
            joinable_ = false;
        }
        changed_.notify_all();
    }
    if (destroy)
        delete this;
}
