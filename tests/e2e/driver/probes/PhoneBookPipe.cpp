#include "probes/PhoneBookPipe.h"

#include "Text.h"

namespace e2e {
namespace {

constexpr DWORD kPipeBuffer = 65536;

HANDLE NewInstance(const std::string& path) {
    return CreateNamedPipeA(path.c_str(), PIPE_ACCESS_DUPLEX, PIPE_TYPE_BYTE | PIPE_WAIT,
                            PIPE_UNLIMITED_INSTANCES, kPipeBuffer, kPipeBuffer, 0, nullptr);
}

} // namespace

PhoneBookPipe::PhoneBookPipe(const PhoneBook& book)
    : m_path(UniqueName("\\\\.\\pipe\\kelvorin-e2e-phonebook")), m_text(book.FileText()),
      m_held(CreateEventA(nullptr, TRUE, FALSE, nullptr)),
      m_released(CreateEventA(nullptr, TRUE, FALSE, nullptr)) {
    // The first instance exists before any reader can come.
    HANDLE first = NewInstance(m_path);
    m_server.Start([this, first] {
        HANDLE pipe = first;
        while (pipe != INVALID_HANDLE_VALUE && !m_stop) {
            const bool connected =
                ConnectNamedPipe(pipe, nullptr) || GetLastError() == ERROR_PIPE_CONNECTED;
            // The next reader finds an instance waiting while this one is served.
            HANDLE next = m_stop ? INVALID_HANDLE_VALUE : NewInstance(m_path);
            if (connected && !m_stop) {
                ServeOne(pipe);
            }
            CloseHandle(pipe);
            pipe = next;
        }
        if (pipe != INVALID_HANDLE_VALUE) {
            CloseHandle(pipe);
        }
    });
}

PhoneBookPipe::~PhoneBookPipe() {
    m_stop = true;
    SetEvent(m_released);
    // A reader of our own ends the server's wait for one.
    HANDLE wake = CreateFileA(m_path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    m_server.Join();
    if (wake != INVALID_HANDLE_VALUE) {
        CloseHandle(wake);
    }
    CloseHandle(m_held);
    CloseHandle(m_released);
}

bool PhoneBookPipe::ServeOne(HANDLE pipe) {
    if (m_holdNext.exchange(false)) {
        SetEvent(m_held);
        WaitForSingleObject(m_released, INFINITE);
        if (m_stop) {
            return false;
        }
    }
    DWORD written = 0;
    WriteFile(pipe, m_text.data(), static_cast<DWORD>(m_text.size()), &written, nullptr);
    ++m_reads;
    // Returns once the reader has taken everything; closing this end then tells it the end.
    FlushFileBuffers(pipe);
    return true;
}

void PhoneBookPipe::HoldNextRead() {
    ResetEvent(m_held);
    ResetEvent(m_released);
    m_holdNext = true;
}

bool PhoneBookPipe::WaitHeld(unsigned timeoutMs) {
    return WaitForSingleObject(m_held, timeoutMs) == WAIT_OBJECT_0;
}

void PhoneBookPipe::Release() {
    SetEvent(m_released);
}

} // namespace e2e
