// An object that owns one thread. The thread can be created held back and let run
// later, so that whoever creates it can finish setting the object up first.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <mutex>

#include <pthread.h>

class CWorkerThread {
public:
    // Connection threads need little stack; the 8 MB default costs a large mapping and its
    // release for every connection.
    static const size_t kStackBytes;

    CWorkerThread() = default;
    // A thread that is still held back is let go without running; a running thread is
    // joined. Subclasses whose Run uses their own members must Wait before they go.
    virtual ~CWorkerThread();
    CWorkerThread(const CWorkerThread&) = delete;
    CWorkerThread& operator=(const CWorkerThread&) = delete;

    // Starts the thread, held back unless runAtOnce. When a thread exists already, only
    // lets it run (when asked to). False when no thread could be made.
    bool Create(bool runAtOnce);
    // Lets a held-back thread run; true once it has been let run.
    bool Resume();
    // Waits up to milliseconds (-1: without limit) for the thread to end; true when it has
    // ended (it is then joined). A held-back thread does not end before Resume.
    bool Wait(int milliseconds);

    // -1 until the thread has ended, then the result of Run.
    int ExitCode() const;
    bool IsCreated() const;
    // Destroy the object on its own thread when the thread ends. Set it before Resume;
    // the object must then have been made with new and nobody may touch it after Resume.
    void SetAutoDelete(bool autoDelete);

protected:
    virtual int Run() { return 1; }
    virtual bool InitInstance() { return true; }
    virtual int ExitInstance() { return 0; }

private:
    static void* Start(void* self);
    void ThreadProc();
    // Joins or detaches a thread taken out of thread_ (detaches when it is the caller's own).
    static void Release(pthread_t thread, bool join);

    mutable std::mutex mutex_;
    std::condition_variable changed_;
    pthread_t thread_{};
    bool joinable_ = false; // thread_ is a thread nobody has joined or detached yet
    int exitCode_ = -1;
    bool autoDelete_ = false;
    bool resumed_ = false;
    bool created_ = false;
    bool cancelled_ = false;
};
