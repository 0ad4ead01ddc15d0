#pragma once

// A phone book that the simulated RAS service reads through a named pipe instead of a file.
// The service reads its phone book at the start of every call, on the caller's thread; holding
// that read holds the program inside the call, so a case can see what the program had done
// before it (e.g. whether the window was on screen when the dial started).

#include "Threads.h"
#include "probes/AppProcess.h"

#include <windows.h>

#include <atomic>
#include <string>

namespace e2e {

class PhoneBookPipe {
public:
    // Serves the text to every reader from now on.
    explicit PhoneBookPipe(const PhoneBook& book);
    ~PhoneBookPipe();
    PhoneBookPipe(const PhoneBookPipe&) = delete;
    PhoneBookPipe& operator=(const PhoneBookPipe&) = delete;

    // The path to give the service (SIMRAS_CONFIG; StartProgramReading).
    const std::string& Path() const { return m_path; }
    // The next reader waits until Release; WaitHeld tells when one does.
    void HoldNextRead();
    bool WaitHeld(unsigned timeoutMs);
    void Release();
    // Readers served so far.
    int Reads() const { return m_reads; }

private:
    void Serve();
    bool ServeOne(HANDLE pipe);

    std::string m_path;
    std::string m_text;
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_holdNext{false};
    std::atomic<int> m_reads{0};
    HANDLE m_held = nullptr;     // set while a reader waits
    HANDLE m_released = nullptr; // set by Release
    Thread m_server;
};

} // namespace e2e
