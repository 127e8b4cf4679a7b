// An object that owns one thread. The thread can be created held back and let run
// later, so that whoever creates it can finish setting the object up first.
#pragma once

#include <condition_variable>
#include <mutex>
#include <thread>

class CWorkerThread {
public:
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
    void ThreadProc();

    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::thread thread_;
    int exitCode_ = -1;
    bool autoDelete_ = false;
    bool resumed_ = false;
    bool created_ = false;
    bool cancelled_ = false;
};
