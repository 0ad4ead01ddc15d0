#pragma once

// Threads and locks of the test programs, on the platform's own calls: the compiler flavour
// that builds every Win32 program here (the one whose runtime Windows XP can load) has no
// std::thread, std::mutex or std::condition_variable.

#include <windows.h>

#include <functional>
#include <mutex>

namespace e2e {

// A critical section, for std::lock_guard and std::unique_lock. The thread that holds it may
// take it again.
class Lock {
public:
    Lock() { InitializeCriticalSection(&m_section); }
    ~Lock() { DeleteCriticalSection(&m_section); }
    Lock(const Lock&) = delete;
    Lock& operator=(const Lock&) = delete;

    void lock() { EnterCriticalSection(&m_section); }
    void unlock() { LeaveCriticalSection(&m_section); }

private:
    CRITICAL_SECTION m_section;
};

// Wakes the one thread that waits on it, as a condition variable with a single waiter: a
// notification that comes while nobody waits is kept for the next wait.
class Signal {
public:
    Signal();
    ~Signal();
    Signal(const Signal&) = delete;
    Signal& operator=(const Signal&) = delete;

    void Notify();
    // Gives up the lock (held once) while it waits, and holds it again when it returns.
    void Wait(std::unique_lock<Lock>& lock);
    // Waits until `done` holds, checked with the lock held, or timeoutMs pass; returns `done`.
    bool WaitFor(std::unique_lock<Lock>& lock, unsigned timeoutMs,
                 const std::function<bool()>& done);

private:
    HANDLE m_event;
};

// A thread that runs one function. Join waits for its end; so does the destructor.
class Thread {
public:
    Thread() = default;
    explicit Thread(std::function<void()> body) { Start(std::move(body)); }
    ~Thread() { Join(); }
    Thread(const Thread&) = delete;
    Thread& operator=(const Thread&) = delete;

    // Throws std::runtime_error when the thread cannot be made.
    void Start(std::function<void()> body);
    void Join();
    bool Joinable() const { return m_handle != nullptr; }

private:
    HANDLE m_handle = nullptr;
};

} // namespace e2e
