#include "Threads.h"

#include <process.h>

#include <memory>
#include <stdexcept>

namespace e2e {
namespace {

unsigned __stdcall RunBody(void* body) {
    std::unique_ptr<std::function<void()>> owned(static_cast<std::function<void()>*>(body));
    (*owned)();
    return 0;
}

} // namespace

Signal::Signal() : m_event(CreateEventA(nullptr, FALSE, FALSE, nullptr)) {}

Signal::~Signal() {
    CloseHandle(m_event);
}

void Signal::Notify() {
    SetEvent(m_event);
}

void Signal::Wait(std::unique_lock<Lock>& lock) {
    lock.unlock();
    WaitForSingleObject(m_event, INFINITE);
    lock.lock();
}

bool Signal::WaitFor(std::unique_lock<Lock>& lock, unsigned timeoutMs,
                     const std::function<bool()>& done) {
    const DWORD start = GetTickCount();
    while (!done()) {
        const DWORD elapsed = GetTickCount() - start;
        if (elapsed >= timeoutMs) {
            return false;
        }
        lock.unlock();
        WaitForSingleObject(m_event, timeoutMs - elapsed);
        lock.lock();
    }
    return true;
}

void Thread::Start(std::function<void()> body) {
    Join();
    auto owned = std::make_unique<std::function<void()>>(std::move(body));
    // _beginthreadex rather than CreateThread: the body may use the C runtime.
    const uintptr_t handle = _beginthreadex(nullptr, 0, &RunBody, owned.get(), 0, nullptr);
    if (handle == 0) {
        throw std::runtime_error("cannot start a thread");
    }
    owned.release();
    m_handle = reinterpret_cast<HANDLE>(handle);
}

void Thread::Join() {
    if (m_handle != nullptr) {
        WaitForSingleObject(m_handle, INFINITE);
        CloseHandle(m_handle);
        m_handle = nullptr;
    }
}

} // namespace e2e
