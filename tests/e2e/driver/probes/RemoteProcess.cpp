#include "probes/RemoteProcess.h"

#include "Text.h"
#include "Wait.h"

#include <vector>

namespace e2e {
namespace {

// A function of a module loaded here and there, at its address in the other process.
LPTHREAD_START_ROUTINE RemoteFunction(HMODULE local, HMODULE remote, const char* function) {
    const FARPROC here = local ? GetProcAddress(local, function) : nullptr;
    if (!here || !remote) {
        return nullptr;
    }
    const auto offset = reinterpret_cast<char*>(here) - reinterpret_cast<char*>(local);
    return reinterpret_cast<LPTHREAD_START_ROUTINE>(reinterpret_cast<char*>(remote) + offset);
}

// Runs the function as a thread of the other process; its exit code, empty when it did not end
// in time.
std::optional<DWORD> RunThere(HANDLE process, LPTHREAD_START_ROUTINE function, void* parameter) {
    if (!function) {
        return std::nullopt;
    }
    HANDLE thread = CreateRemoteThread(process, nullptr, 0, function, parameter, 0, nullptr);
    if (!thread) {
        return std::nullopt;
    }
    std::optional<DWORD> code;
    DWORD exitCode = 0;
    if (WaitForSingleObject(thread, DefaultTimeoutMs()) == WAIT_OBJECT_0 &&
        GetExitCodeThread(thread, &exitCode)) {
        code = exitCode;
    }
    CloseHandle(thread);
    return code;
}

} // namespace

RemoteBlock::RemoteBlock(HWND window, size_t size) : m_size(size) {
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    m_process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE |
                                PROCESS_CREATE_THREAD | PROCESS_QUERY_INFORMATION | SYNCHRONIZE,
                            FALSE, processId);
    if (m_process) {
        m_address =
            VirtualAllocEx(m_process, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    }
}

RemoteBlock::~RemoteBlock() {
    if (m_address) {
        VirtualFreeEx(m_process, m_address, 0, MEM_RELEASE);
    }
    if (m_process) {
        CloseHandle(m_process);
    }
}

bool RemoteBlock::Write(size_t offset, const void* data, size_t size) const {
    SIZE_T written = 0;
    return offset + size <= m_size &&
           WriteProcessMemory(m_process, At(offset), data, size, &written) && written == size;
}

bool RemoteBlock::Read(size_t offset, void* data, size_t size) const {
    SIZE_T read = 0;
    return offset + size <= m_size && ReadProcessMemory(m_process, At(offset), data, size, &read) &&
           read == size;
}

std::optional<std::string> RemoteBlock::ReadText(size_t offset, size_t chars) const {
    std::vector<char> text(chars + 1, '\0');
    if (!Read(offset, text.data(), chars)) {
        return std::nullopt;
    }
    return std::string(text.data());
}

std::optional<LOGFONTA> ReadWindowFont(HWND window) {
    const std::string dll = JoinPath(DriverFolder(), kFontProbeDll);
    RemoteBlock block(window, sizeof(FontRequest) + dll.size() + 1);
    // kernel32 stands at the same address in every process of the session.
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    HMODULE probe = LoadLibraryA(dll.c_str());
    FontRequest request{window, DefaultTimeoutMs(), FALSE, {}};
    std::optional<LOGFONTA> font;
    if (block.Valid() && probe && block.Write(0, &request, sizeof request) &&
        block.Write(sizeof request, dll.c_str(), dll.size() + 1)) {
        HANDLE process = block.Process();
        const auto loaded = RunThere(process, RemoteFunction(kernel, kernel, "LoadLibraryA"),
                                     block.At(sizeof request));
        // 32-bit: the module handle is the thread's whole exit code.
        const HMODULE remoteProbe = loaded ? reinterpret_cast<HMODULE>(*loaded) : nullptr;
        if (remoteProbe) {
            if (RunThere(process, RemoteFunction(probe, remoteProbe, kFontProbeEntry),
                         block.At(0)) == std::optional<DWORD>(TRUE) &&
                block.Read(0, &request, sizeof request)) {
                font = request.font;
            }
            RunThere(process, RemoteFunction(kernel, kernel, "FreeLibrary"), remoteProbe);
        }
    }
    if (probe) {
        FreeLibrary(probe);
    }
    return font;
}

} // namespace e2e
