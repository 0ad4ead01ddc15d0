// Opens the statistics window over settings files of 100, 1,000 and 10,000 records and prints
// how long each opening takes, from the command until the filled list is painted. It prints
// figures and never fails on slowness; it fails only when the list does not show every record.
//
// Run it with tests/bench/stats_open.sh (Wine, a private X display and the build's prefix).

#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <cstdio>
#include <string>
#include <vector>

#include "store/ConnectionRecord.h"
#include "store/PrivateProfileStore_win.h"
#include "store/SettingsPath_win.h"
#include "windows/StatsDlg_win.h"

#include "BenchSteps_win.h"
#include "Text.h"

namespace {

using bench::NowMs;
using bench::SettingsWithRecords;
using e2e::ReadFileBytes;
using e2e::WriteFileBytes;

bool NothingToPaint(HWND window) {
    if (GetUpdateRect(window, nullptr, FALSE)) {
        return false;
    }
    for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if (!NothingToPaint(child)) {
            return false;
        }
    }
    return true;
}

// The statistics window with clock readings around its opening.
class CTimedStatsDlg : public CStatsDlg {
public:
    explicit CTimedStatsDlg(CWnd* pParent) : CStatsDlg(pParent) {}
    double m_initStart = 0;
    double m_initEnd = 0;

protected:
    BOOL OnInitDialog() override {
        m_initStart = NowMs();
        const BOOL result = CStatsDlg::OnInitDialog();
        m_initEnd = NowMs();
        return result;
    }
};

// Owner of the window under test. The dialog's modal loop tells it when the queue has run dry
// (WM_ENTERIDLE): once the window is shown with nothing left to paint, the opening is over.
class COwner : public CWnd {
public:
    double m_shownAt = 0;
    int m_rows = -1;

protected:
    BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) override {
        if (message == WM_ENTERIDLE && wParam == MSGF_DIALOGBOX) {
            HWND dialog = reinterpret_cast<HWND>(lParam);
            if (m_shownAt == 0 && IsWindowVisible(dialog) && NothingToPaint(dialog)) {
                m_shownAt = NowMs();
                m_rows = static_cast<int>(
                    ::SendDlgItemMessageA(dialog, IDC_STATS_LIST, LVM_GETITEMCOUNT, 0, 0));
                ::PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
            }
            *pResult = 0;
            return TRUE;
        }
        return CWnd::OnWndMsg(message, wParam, lParam, pResult);
    }
};

struct Opening {
    double totalMs = 0; // command until painted
    double initMs = 0;  // building the window: reading the file and filling the list
    double closeMs = 0; // from the close command until the window is gone
    int rows = -1;
};

Opening OpenOnce(COwner& owner, const std::string& path) {
    // Each opening reads the file from disk, as the first opening after a change does.
    WritePrivateProfileStringA(nullptr, nullptr, nullptr, path.c_str());
    owner.m_shownAt = 0;
    owner.m_rows = -1;
    const double start = NowMs();
    CTimedStatsDlg dialog(&owner);
    dialog.DoModal();
    Opening opening;
    opening.closeMs = NowMs() - owner.m_shownAt;
    opening.totalMs = owner.m_shownAt - start;
    opening.initMs = dialog.m_initEnd - dialog.m_initStart;
    opening.rows = owner.m_rows;
    return opening;
}

// Reading the records alone, as the window does it (one read of the section).
double ReadingMs(const std::string& path) {
    WritePrivateProfileStringA(nullptr, nullptr, nullptr, path.c_str());
    const double start = NowMs();
    const store::PrivateProfileStore settings(path);
    const std::vector<std::string> records = store::ReadConnectionRecords(settings);
    return records.empty() ? -1 : NowMs() - start;
}

// What reading data[1] ... data[n] one key at a time costs on the same file.
double KeyByKeyMs(const std::string& path) {
    WritePrivateProfileStringA(nullptr, nullptr, nullptr, path.c_str());
    const double start = NowMs();
    const UINT count = GetPrivateProfileIntA("Memory", "MaxDataNumber", 0, path.c_str());
    for (UINT i = 1; i <= count; ++i) {
        char value[200];
        GetPrivateProfileStringA("Data", store::RecordKey(static_cast<int>(i)).c_str(), "Error",
                                 value, sizeof value, path.c_str());
    }
    return NowMs() - start;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// The program runs in the test's virtual desktop (E2E_DESKTOP), and so does the benchmark: on
// the bare X display Wine waits for a window manager that is not there at every activation.
bool JoinTestDesktop() {
    const char* name = std::getenv("E2E_DESKTOP");
    if (name == nullptr || *name == '\0') {
        return true;
    }
    HDESK desktop = nullptr;
    for (int attempt = 0; attempt < 300 && desktop == nullptr; ++attempt) {
        desktop = OpenDesktopA(name, 0, FALSE, GENERIC_ALL);
        if (desktop == nullptr) {
            Sleep(100); // the shell script starts the desktop in the background
        }
    }
    return desktop != nullptr && SetThreadDesktop(desktop);
}

std::string Spread(const std::vector<double>& values) {
    char text[64];
    std::snprintf(text, sizeof text, "%.1f (%.1f-%.1f)", Median(values),
                  *std::min_element(values.begin(), values.end()),
                  *std::max_element(values.begin(), values.end()));
    return text;
}

} // namespace

int main(int argc, char** argv) {
    bool keyByKey = false;
    int repeats = 5;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--key-by-key") {
            keyByKey = true;
        } else if (arg.rfind("--repeats=", 0) == 0) {
            repeats = std::max(1, std::atoi(arg.c_str() + 10));
        }
    }

    if (!JoinTestDesktop()) {
        std::printf("cannot join the desktop %s\n", std::getenv("E2E_DESKTOP"));
        return 2;
    }
    const std::string path = store::SettingsFilePath();
    bool hadFile = false;
    const std::string saved = ReadFileBytes(path, &hadFile);

    // A visible owner the size of the main window, so the window is centred as in use.
    HWND ownerWindow =
        CreateWindowExA(0, "STATIC", "Kelvorin V3.0", WS_POPUP | WS_VISIBLE | WS_CAPTION, 300, 250,
                        430, 260, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    COwner owner;
    owner.SubclassWindow(ownerWindow);

    std::printf("The statistics window over N records, %d openings each; milliseconds as median "
                "(fastest-slowest)\n",
                repeats);
    std::printf("%7s %22s %22s %8s %22s %10s%s\n", "N", "open until painted", "of it: read + fill",
                "read", "closing", "fill/1000", keyByKey ? "  key by key" : "");
    int status = 0;
    for (int count : {100, 1000, 10000}) {
        if (!WriteFileBytes(path, SettingsWithRecords(count))) {
            std::printf("cannot write %s\n", path.c_str());
            status = 2;
            break;
        }
        OpenOnce(owner, path); // warm-up: code paths and the file in the system's cache
        std::vector<double> totals;
        std::vector<double> inits;
        std::vector<double> closes;
        std::vector<double> reads;
        for (int r = 0; r < repeats; ++r) {
            reads.push_back(ReadingMs(path));
            const Opening opening = OpenOnce(owner, path);
            if (opening.rows != count) {
                std::printf("%7d rows listed instead of %d\n", opening.rows, count);
                status = 1;
            }
            totals.push_back(opening.totalMs);
            inits.push_back(opening.initMs);
            closes.push_back(opening.closeMs);
        }
        // The list's own share per thousand rows: flat when filling grows linearly.
        const double fillPer1000 = (Median(inits) - Median(reads)) * 1000.0 / count;
        std::printf("%7d %22s %22s %8.1f %22s %10.1f", count, Spread(totals).c_str(),
                    Spread(inits).c_str(), Median(reads), Spread(closes).c_str(), fillPer1000);
        if (keyByKey) {
            std::printf("  %10.1f", KeyByKeyMs(path));
        }
        std::printf("\n");
        std::fflush(stdout);
    }

    owner.UnsubclassWindow();
    DestroyWindow(ownerWindow);
    if (hadFile) {
        WriteFileBytes(path, saved);
    } else {
        DeleteFileA(path.c_str());
    }
    return status;
}
