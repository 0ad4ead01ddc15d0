#pragma once

// Working inside the process that owns a window, for what another process cannot ask: memory
// placed there for a message's record (VirtualAllocEx) and read back, and a window's font read
// by a thread of that process. Both processes are 32-bit: records have the same layout.

#include <windows.h>

#include <optional>
#include <string>

namespace e2e {

// A block of memory in the process that owns a window, freed with the object.
class RemoteBlock {
public:
    RemoteBlock(HWND window, size_t size);
    ~RemoteBlock();
    RemoteBlock(const RemoteBlock&) = delete;
    RemoteBlock& operator=(const RemoteBlock&) = delete;

    bool Valid() const { return m_address != nullptr; }
    HANDLE Process() const { return m_process; }
    char* At(size_t offset) const { return static_cast<char*>(m_address) + offset; }
    bool Write(size_t offset, const void* data, size_t size) const;
    bool Read(size_t offset, void* data, size_t size) const;
    // The zero-terminated text at offset, at most chars bytes.
    std::optional<std::string> ReadText(size_t offset, size_t chars) const;

private:
    HANDLE m_process = nullptr;
    void* m_address = nullptr;
    size_t m_size;
};

// The font the window uses (WM_GETFONT), as GetObject describes it in the window's process;
// empty when it could not be read or the window has none. A font handle means nothing in
// another process, and Wine does not answer WM_GETFONT sent from one: the driver's
// e2e_font_probe.dll is loaded into the window's process and asked there, by a thread it
// starts with a FontRequest.
std::optional<LOGFONTA> ReadWindowFont(HWND window);

struct FontRequest {
    HWND window;
    UINT timeoutMs;
    BOOL found;
    LOGFONTA font;
};
inline constexpr const char* kFontProbeDll = "e2e_font_probe.dll";
// The thread's start: fills the request; its exit code is `found`.
inline constexpr const char* kFontProbeEntry = "AnswerFontRequest";

} // namespace e2e
