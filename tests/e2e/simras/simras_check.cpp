// Checks the simulated rasapi32.dll from a Win32 program linked the way the dialer is (through
// the import library), under Wine with WINEDLLOVERRIDES="rasapi32=n". Each case writes its own
// phone book and log to a temporary folder. Absence of an event is shown by a later "marker"
// event of another dial arriving first, never by sleeping.

#include <windows.h>
#include <ras.h>
#include <raserror.h>

#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "dialer/RasRecords_win.h"
#include "TestRunner.h"
#include "Text.h"
#include "Wait.h"

namespace {

// ---- files and environment ----

std::string g_dir; // temporary folder of this run, with a trailing backslash
std::string g_cfg; // phone book of the running case
std::string g_log; // log of the running case

// Removes this run's files; kept when a case failed, to be looked at.
void RemoveRunFolder() {
    e2e::EmptyFolder(g_dir);
    RemoveDirectoryA(g_dir.c_str());
}

// Points the DLL at a fresh phone book (UTF-8 text) and a fresh log for one case.
void UsePhoneBook(const char* caseName, const std::string& config) {
    g_cfg = g_dir + caseName + ".cfg";
    g_log = g_dir + caseName + ".log";
    e2e::WriteFileBytes(g_cfg, config);
    DeleteFileA(g_log.c_str());
    SetEnvironmentVariableA("SIMRAS_CONFIG", g_cfg.c_str());
    SetEnvironmentVariableA("SIMRAS_LOG", g_log.c_str());
}

std::vector<std::string> LogLines() {
    return e2e::SplitLines(e2e::ReadFileBytes(g_log));
}

// Lines of the log that are `line`, or with `prefix` that start with it.
int LogCount(const std::string& text, bool prefix = true) {
    int n = 0;
    for (const std::string& l : LogLines())
        n += (prefix ? l.compare(0, text.size(), text) == 0 : l == text) ? 1 : 0;
    return n;
}

bool LogHas(const std::string& line) {
    return LogCount(line, false) > 0;
}

std::string ToAnsi(const std::string& utf8) {
    return e2e::Narrow(e2e::Widen(utf8, CP_UTF8), CP_ACP);
}

// ---- notifications ----

struct Received {
    HRASCONN conn; // null for type 0 notifiers, which are not told
    UINT msg;
    DWORD state;
    DWORD error;
    DWORD thread;
};

class Sink {
public:
    Sink() {
        InitializeCriticalSection(&cs_);
        signal_ = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    }
    void Add(const Received& r) {
        Locked([&] { items_.push_back(r); });
        SetEvent(signal_);
    }
    std::vector<Received> Items() {
        std::vector<Received> copy;
        Locked([&] { copy = items_; });
        return copy;
    }
    void Clear() {
        Locked([&] { items_.clear(); });
    }
    // Waits until `pred` holds for the received items; false at the deadline.
    bool WaitUntil(const std::function<bool(const std::vector<Received>&)>& pred) {
        const DWORD deadline = e2e::ScaledMs(5000);
        const DWORD start = GetTickCount();
        for (;;) {
            if (pred(Items()))
                return true;
            const DWORD spent = GetTickCount() - start;
            if (spent >= deadline)
                return false;
            WaitForSingleObject(signal_, deadline - spent);
        }
    }
    bool WaitCount(std::size_t n) {
        return WaitUntil([n](const std::vector<Received>& v) { return v.size() >= n; });
    }
    bool WaitFor(HRASCONN conn, DWORD state) {
        return WaitUntil([=](const std::vector<Received>& v) {
            for (const Received& r : v) {
                if (r.conn == conn && r.state == state)
                    return true;
            }
            return false;
        });
    }

private:
    template <class F> void Locked(F f) {
        EnterCriticalSection(&cs_);
        f();
        LeaveCriticalSection(&cs_);
    }
    CRITICAL_SECTION cs_;
    HANDLE signal_;
    std::vector<Received> items_;
};

Sink g_sink;

void WINAPI Notify0(UINT msg, RASCONNSTATE state, DWORD error) {
    g_sink.Add({nullptr, msg, static_cast<DWORD>(state), error, GetCurrentThreadId()});
}

void WINAPI Notify1(HRASCONN conn, UINT msg, RASCONNSTATE state, DWORD error, DWORD) {
    g_sink.Add({conn, msg, static_cast<DWORD>(state), error, GetCurrentThreadId()});
}

// Hangs up its own connection from inside the notifier, then records the event.
volatile LONG g_hangUpResult = -1;
void WINAPI NotifyHangingUp(HRASCONN conn, UINT msg, RASCONNSTATE state, DWORD error, DWORD) {
    if (state == RASCS_PortOpened)
        InterlockedExchange(&g_hangUpResult, static_cast<LONG>(RasHangUpA(conn)));
    g_sink.Add({conn, msg, static_cast<DWORD>(state), error, GetCurrentThreadId()});
}

// ---- calls ----

ras::DialParams Params(const std::string& ansiName) {
    ras::DialParams p;
    std::memset(&p, 0, sizeof p);
    p.dwSize = ras::kDialParamsSize;
    lstrcpynA(p.szEntryName, ansiName.c_str(), sizeof p.szEntryName);
    lstrcpyA(p.szUserName, "alice");
    lstrcpyA(p.szPassword, "s3cret");
    return p;
}

DWORD Dial(const std::string& ansiName, DWORD type, LPVOID notifier, HRASCONN* conn) {
    ras::DialParams p = Params(ansiName);
    return RasDialA(nullptr, nullptr, reinterpret_cast<LPRASDIALPARAMSA>(&p), type, notifier, conn);
}
// Dials told through the type 1 notifier (with the handle) and the type 0 one.
DWORD Dial1(const std::string& ansiName, HRASCONN* conn) {
    return Dial(ansiName, 1, reinterpret_cast<LPVOID>(Notify1), conn);
}
DWORD Dial0(const std::string& ansiName, HRASCONN* conn) {
    return Dial(ansiName, 0, reinterpret_cast<LPVOID>(Notify0), conn);
}

// The sizes of the phone book's records with no buffer given: ERROR_BUFFER_TOO_SMALL expected.
struct Sizes {
    DWORD bytes = 0;
    DWORD count = 0;
};
Sizes EnumeratedSizes() {
    Sizes sizes;
    CHECK_EQ(RasEnumEntriesA(nullptr, nullptr, nullptr, &sizes.bytes, &sizes.count),
             DWORD(ERROR_BUFFER_TOO_SMALL));
    return sizes;
}

std::string HandleNum(HRASCONN conn) {
    return std::to_string(static_cast<unsigned long>(reinterpret_cast<ULONG_PTR>(conn)));
}

// A dial of the entry "marker" whose one event comes `ms` after the dial: everything that was due
// earlier on other dials has been delivered once it arrives.
bool MarkerArrived() {
    HRASCONN marker = nullptr;
    if (Dial1("marker", &marker) != 0)
        return false;
    bool arrived = g_sink.WaitFor(marker, 0x4D);
    RasHangUpA(marker);
    return arrived;
}
const char* const kMarker = "entry = marker\n[dial marker]\nevent = 0x4D 600\n";

DWORD Status(HRASCONN conn, DWORD size, ras::ConnStatus* out) {
    char buffer[512];
    std::memset(buffer, 0xCC, sizeof buffer);
    reinterpret_cast<RASCONNSTATUSA*>(buffer)->dwSize = size;
    DWORD rc = RasGetConnectStatusA(conn, reinterpret_cast<RASCONNSTATUSA*>(buffer));
    std::memcpy(out, buffer, sizeof *out);
    return rc;
}

// Polls the line's status until the handle is no longer valid; false at the deadline.
bool LineGone(HRASCONN conn) {
    ras::ConnStatus st;
    return e2e::WaitUntil(
        [&] { return Status(conn, ras::kConnStatusSize, &st) == ERROR_INVALID_HANDLE; },
        e2e::ScaledMs(5000));
}

// The connections listed in records of `size` bytes, with room for `records` of them.
struct Listing {
    DWORD rc = 0;
    DWORD bytes = 0;
    DWORD count = 0;
    std::vector<RASCONNA> conns;
    bool guardIntact = true; // the bytes after the records filled are untouched
};
Listing List(DWORD size, DWORD records) {
    std::vector<unsigned char> buffer(size * records + 64, 0xCC);
    reinterpret_cast<RASCONNA*>(buffer.data())->dwSize = size;
    Listing l;
    l.bytes = size * records;
    l.rc = RasEnumConnectionsA(reinterpret_cast<LPRASCONNA>(buffer.data()), &l.bytes, &l.count);
    DWORD filled = l.rc == 0 ? l.count * size : 0;
    for (DWORD i = 0; i < filled / size; ++i) {
        RASCONNA conn;
        std::memset(&conn, 0, sizeof conn);
        std::memcpy(&conn, buffer.data() + i * size, size);
        l.conns.push_back(conn);
    }
    for (std::size_t i = filled; i < buffer.size(); ++i)
        l.guardIntact = l.guardIntact && buffer[i] == 0xCC;
    return l;
}

DWORD Stats(HRASCONN conn, RAS_STATS* out, DWORD size = sizeof(RAS_STATS)) {
    std::memset(out, 0xCC, sizeof *out);
    out->dwSize = size;
    return RasGetConnectionStatistics(conn, out);
}

// ---- cases ----

const char* const kThreeEntries = u8"entry = 宽带连接\n"
                                  u8"entry = 拨号上网 163   # with a space\n"
                                  u8"entry = Kelvorin 演示\n";

E2E_TEST(SimRas, EnumerationTwoCallPattern) {
    UsePhoneBook("enum264", kThreeEntries);
    ras::EntryName one;
    std::memset(&one, 0, sizeof one);
    one.dwSize = ras::kEntryNameSize;
    DWORD bytes = ras::kEntryNameSize;
    DWORD count = 0;
    CHECK_EQ(
        RasEnumEntriesA(nullptr, nullptr, reinterpret_cast<LPRASENTRYNAMEA>(&one), &bytes, &count),
        DWORD(ERROR_BUFFER_TOO_SMALL));
    CHECK_EQ(bytes, DWORD(3 * 264));
    CHECK_EQ(count, DWORD(3));
    CHECK(LogHas("RasEnumEntriesA reserved=null phonebook=null size=264 cb=264 -> 603 cb=792 "
                 "count=3"));

    // Room for the records plus guard bytes that must stay untouched.
    std::vector<unsigned char> buffer(bytes + 64, 0xCC);
    reinterpret_cast<ras::EntryName*>(buffer.data())->dwSize = ras::kEntryNameSize;
    count = 0;
    CHECK_EQ(RasEnumEntriesA(nullptr, nullptr, reinterpret_cast<LPRASENTRYNAMEA>(buffer.data()),
                             &bytes, &count),
             DWORD(0));
    CHECK_EQ(bytes, DWORD(792));
    CHECK_EQ(count, DWORD(3));
    const char* expected[] = {u8"宽带连接", u8"拨号上网 163", u8"Kelvorin 演示"};
    for (int i = 0; i < 3; ++i) {
        auto* rec = reinterpret_cast<ras::EntryName*>(buffer.data() + i * 264);
        CHECK_EQ(rec->dwSize, DWORD(264));
        CHECK(std::string(rec->szEntryName) == ToAnsi(expected[i]));
    }
    bool guardIntact = true;
    for (std::size_t i = 792; i < buffer.size(); ++i)
        guardIntact = guardIntact && buffer[i] == 0xCC;
    CHECK(guardIntact);
    if (GetACP() == 936) // the names reach the caller in GBK
        CHECK(std::string(reinterpret_cast<ras::EntryName*>(buffer.data())->szEntryName) ==
              "宽带连接");
}

E2E_TEST(SimRas, EnumerationCurrentRecordSize) {
    UsePhoneBook("enum532", kThreeEntries);
    // No buffer: the size of the current record version is reported.
    DWORD bytes = EnumeratedSizes().bytes;
    DWORD count = 0;
    CHECK_EQ(bytes, DWORD(3 * 532));
    std::vector<unsigned char> buffer(bytes, 0xCC);
    reinterpret_cast<RASENTRYNAMEA*>(buffer.data())->dwSize = 532;
    CHECK_EQ(RasEnumEntriesA(nullptr, nullptr, reinterpret_cast<LPRASENTRYNAMEA>(buffer.data()),
                             &bytes, &count),
             DWORD(0));
    CHECK_EQ(count, DWORD(3));
    auto* third = reinterpret_cast<RASENTRYNAMEA*>(buffer.data() + 2 * 532);
    CHECK_EQ(third->dwSize, DWORD(532));
    CHECK(std::string(third->szEntryName) == ToAnsi(u8"Kelvorin 演示"));
}

E2E_TEST(SimRas, EnumerationEmptyAndBadSize) {
    ras::EntryName one;
    DWORD bytes;
    DWORD count;
    auto enumerate = [&](DWORD size) {
        std::memset(&one, 0, sizeof one);
        one.dwSize = size;
        bytes = sizeof one;
        count = 99;
        return RasEnumEntriesA(nullptr, nullptr, reinterpret_cast<LPRASENTRYNAMEA>(&one), &bytes,
                               &count);
    };

    UsePhoneBook("enum_empty", "# nothing but a comment\n\n[dial]\nevent = 0x2000 0\n");
    CHECK_EQ(enumerate(264), DWORD(0));
    CHECK_EQ(count, DWORD(0));

    UsePhoneBook("enum_missing", "");
    std::string missing = g_dir + "no-such-file.cfg";
    SetEnvironmentVariableA("SIMRAS_CONFIG", missing.c_str());
    CHECK_EQ(enumerate(264), DWORD(0));
    CHECK_EQ(count, DWORD(0));

    UsePhoneBook("enum_badsize", kThreeEntries);
    CHECK_EQ(enumerate(100), DWORD(ERROR_INVALID_SIZE));
    CHECK_EQ(enumerate(263), DWORD(ERROR_INVALID_SIZE));
    CHECK(LogHas("RasEnumEntriesA reserved=null phonebook=null size=100 cb=264 -> 632"));
}

E2E_TEST(SimRas, DemoPhoneBookBesideDll) {
    UsePhoneBook("demo", "");
    SetEnvironmentVariableA("SIMRAS_CONFIG", nullptr); // falls back to simras.cfg beside the DLL
    CHECK_EQ(EnumeratedSizes().count, DWORD(3));
    CHECK_EQ(LogCount("config error"), 0);
}

E2E_TEST(SimRas, RefusedAndUnknownDials) {
    UsePhoneBook("refuse", std::string(u8"entry = 宽带连接\nentry = ok\n[dial 宽带连接]\n"
                                       u8"refuse = 651\n[dial ok]\nevent = 1 0\n") +
                               kMarker);
    g_sink.Clear();
    HRASCONN conn = reinterpret_cast<HRASCONN>(0x1234);
    CHECK_EQ(Dial1(ToAnsi(u8"宽带连接"), &conn), DWORD(651));
    CHECK(conn == reinterpret_cast<HRASCONN>(0x1234));
    CHECK_EQ(Dial1("nobody", &conn), DWORD(ERROR_CANNOT_FIND_PHONEBOOK_ENTRY));
    CHECK(conn == reinterpret_cast<HRASCONN>(0x1234));
    // The ANSI name must match exactly: the UTF-8 bytes of the same name are another name.
    if (GetACP() == 936)
        CHECK_EQ(Dial1(u8"宽带连接", &conn), DWORD(ERROR_CANNOT_FIND_PHONEBOOK_ENTRY));

    ras::DialParams bad = Params("ok");
    bad.dwSize = 1000;
    CHECK_EQ(RasDialA(nullptr, nullptr, reinterpret_cast<LPRASDIALPARAMSA>(&bad), 1,
                      reinterpret_cast<LPVOID>(Notify1), &conn),
             DWORD(ERROR_INVALID_SIZE));
    CHECK(conn == reinterpret_cast<HRASCONN>(0x1234));

    // Only the accepted dial and the marker produce events.
    HRASCONN ok = nullptr;
    CHECK_EQ(Dial1("ok", &ok), DWORD(0));
    CHECK(MarkerArrived());
    std::vector<Received> got = g_sink.Items();
    CHECK_EQ(got.size(), std::size_t(2));
    if (!got.empty())
        CHECK(got[0].conn == ok && got[0].state == 1);
    RasHangUpA(ok);
    CHECK(LogHas(u8"RasDialA ext=null phonebook=null size=1052 entry=\"宽带连接\" phone=\"\" "
                 u8"callback=\"\" user=\"alice\" password=\"s3cret\" domain=\"\" type=1 "
                 u8"notifier=set -> 651"));
    CHECK_EQ(LogCount("RasDialA ext=null phonebook=null size=1052 entry=\"nobody\""), 1);
}

E2E_TEST(SimRas, ScriptedDialDeliversInOrder) {
    UsePhoneBook("scripted", std::string("entry = a\nentry = b\n"
                                         "[dial]\nevent = 0x2000 0\n"
                                         "[dial a]\n"
                                         "event = 0 20\n"
                                         "event = 1 20\n"
                                         "event = 18 20\n"
                                         "event = 0x5 20 691\n"
                                         "event = 0x2000 20\n") +
                                 kMarker);
    g_sink.Clear();
    HRASCONN conn = nullptr;
    CHECK_EQ(Dial0("a", &conn), DWORD(0));
    CHECK(conn != nullptr);
    CHECK(g_sink.WaitCount(4));
    CHECK(MarkerArrived()); // the connected event after the error must not come
    std::vector<Received> got = g_sink.Items();
    const DWORD states[] = {0, 1, 18, 5};
    const DWORD errors[] = {0, 0, 0, 691};
    CHECK_EQ(got.size(), std::size_t(5)); // four of the script, one of the marker
    for (std::size_t i = 0; i < 4 && i < got.size(); ++i) {
        CHECK_EQ(got[i].state, states[i]);
        CHECK_EQ(got[i].error, errors[i]);
        CHECK_EQ(got[i].msg, UINT(0xCCCD));
        CHECK(got[i].thread != GetCurrentThreadId());
    }
    std::string h = HandleNum(conn);
    CHECK(LogHas("event handle=" + h + " state=0x12 error=0"));
    CHECK(LogHas("event handle=" + h + " state=0x5 error=691"));
    CHECK_EQ(LogCount("event handle=" + h + " "), 4);

    // After the failure the handle stays valid until hung up, reporting the failing state.
    ras::ConnStatus st;
    CHECK_EQ(Status(conn, ras::kConnStatusSize, &st), DWORD(0));
    CHECK_EQ(DWORD(st.rasconnstate), DWORD(5));
    CHECK_EQ(st.dwError, DWORD(691));
    CHECK_EQ(RasHangUpA(conn), DWORD(0));
    CHECK(LogHas("RasHangUpA handle=" + h + " -> 0"));

    // b has no section of its own and takes the common one.
    g_sink.Clear();
    HRASCONN other = nullptr;
    CHECK_EQ(Dial0("b", &other), DWORD(0));
    CHECK(other != conn && other != nullptr);
    CHECK(g_sink.WaitCount(1));
    CHECK_EQ(g_sink.Items()[0].state, DWORD(0x2000));
    RasHangUpA(other);
}

E2E_TEST(SimRas, DefaultScriptConnects) {
    UsePhoneBook("default_script", "entry = plain\n");
    g_sink.Clear();
    HRASCONN conn = nullptr;
    CHECK_EQ(Dial0("plain", &conn), DWORD(0));
    CHECK(g_sink.WaitCount(8));
    std::vector<Received> got = g_sink.Items();
    const DWORD states[] = {0, 1, 2, 3, 4, 5, 14, 0x2000};
    CHECK_EQ(got.size(), std::size_t(8));
    for (std::size_t i = 0; i < 8 && i < got.size(); ++i) {
        CHECK_EQ(got[i].state, states[i]);
        CHECK_EQ(got[i].error, DWORD(0));
    }
    RasHangUpA(conn);
}

E2E_TEST(SimRas, HangUpStopsPendingEvents) {
    UsePhoneBook("hangup", std::string("entry = slow\nentry = self\n"
                                       "[dial slow]\nevent = 0 0\nevent = 1 300\n"
                                       "[dial self]\nevent = 0 0\nevent = 1 0\nevent = 2 0\n"
                                       "event = 0x2000 0\n") +
                               kMarker);
    g_sink.Clear();
    HRASCONN conn = nullptr;
    CHECK_EQ(Dial1("slow", &conn), DWORD(0));
    CHECK(g_sink.WaitFor(conn, 0));
    CHECK_EQ(RasHangUpA(conn), DWORD(0));
    CHECK(MarkerArrived()); // 600 ms later than the dropped event would have come
    CHECK_EQ(g_sink.Items().size(), std::size_t(2));
    ras::ConnStatus st;
    CHECK_EQ(Status(conn, ras::kConnStatusSize, &st), DWORD(ERROR_INVALID_HANDLE));
    CHECK_EQ(RasHangUpA(conn), DWORD(ERROR_INVALID_HANDLE));
    CHECK_EQ(RasHangUpA(reinterpret_cast<HRASCONN>(0x7777)), DWORD(ERROR_INVALID_HANDLE));
    CHECK(LogHas("RasHangUpA handle=30583 -> 6"));

    // Hanging up from inside the notifier returns at once and ends the dial there.
    g_sink.Clear();
    InterlockedExchange(&g_hangUpResult, -1);
    CHECK_EQ(Dial("self", 1, reinterpret_cast<LPVOID>(NotifyHangingUp), &conn), DWORD(0));
    CHECK(g_sink.WaitFor(conn, RASCS_PortOpened));
    CHECK_EQ(g_hangUpResult, LONG(0));
    CHECK(MarkerArrived());
    CHECK_EQ(g_sink.Items().size(), std::size_t(3)); // 0, 1 and the marker
}

E2E_TEST(SimRas, ConnectStatusFollowsTheLine) {
    UsePhoneBook("status", "entry = up\nentry = halfway\nentry = drops\n"
                           "[dial up]\nevent = 0x2000 0\n"
                           "[dial halfway]\nevent = 0 0\nevent = 3 0\n"
                           "[dial drops]\nevent = 0x2000 0\ndrop_after = 100\n");
    g_sink.Clear();
    HRASCONN up = nullptr;
    HRASCONN halfway = nullptr;
    HRASCONN drops = nullptr;
    CHECK_EQ(Dial1("up", &up), DWORD(0));
    CHECK_EQ(Dial1("halfway", &halfway), DWORD(0));
    CHECK(g_sink.WaitFor(up, RASCS_Connected));
    CHECK(g_sink.WaitFor(halfway, RASCS_DeviceConnected));

    ras::ConnStatus st;
    CHECK_EQ(Status(up, ras::kConnStatusSize, &st), DWORD(0));
    CHECK_EQ(st.dwSize, DWORD(160));
    CHECK_EQ(DWORD(st.rasconnstate), DWORD(RASCS_Connected));
    CHECK_EQ(st.dwError, DWORD(0));
    CHECK(std::strcmp(st.szDeviceType, "modem") == 0);
    CHECK(std::strcmp(st.szDeviceName, "Simulated Modem") == 0);
    CHECK(LogHas("RasGetConnectStatusA handle=" + HandleNum(up) +
                 " size=160 -> 0 state=0x2000 error=0"));
    RASCONNSTATUSA current;
    current.dwSize = sizeof current;
    CHECK_EQ(RasGetConnectStatusA(up, &current), DWORD(0));
    CHECK_EQ(DWORD(current.rasconnstate), DWORD(RASCS_Connected));
    CHECK_EQ(Status(up, 100, &st), DWORD(ERROR_INVALID_SIZE));

    CHECK_EQ(Status(halfway, ras::kConnStatusSize, &st), DWORD(0));
    CHECK_EQ(DWORD(st.rasconnstate), DWORD(RASCS_DeviceConnected));

    CHECK_EQ(Dial1("drops", &drops), DWORD(0));
    CHECK(g_sink.WaitFor(drops, RASCS_Connected));
    CHECK(LineGone(drops));
    CHECK(LogHas("drop handle=" + HandleNum(drops)));
    CHECK_EQ(Status(up, ras::kConnStatusSize, &st), DWORD(0)); // unaffected

    CHECK_EQ(RasHangUpA(up), DWORD(0));
    CHECK_EQ(Status(up, ras::kConnStatusSize, &st), DWORD(ERROR_INVALID_HANDLE));
    RasHangUpA(halfway);
    RasHangUpA(drops);
}

E2E_TEST(SimRas, HungUpLineGoesAfterItsTimeAndLateEventsStillCome) {
    UsePhoneBook("slow_hangup", "entry = slow\n[dial slow]\nevent = 0x2000 0\n"
                                "event = 0x2001 60000\n" // never reached: hung up before
                                "after_hangup = 5 0 629\nafter_hangup = 0x2000 50\n"
                                "hangup_ms = 400\n");
    g_sink.Clear();
    HRASCONN conn = nullptr;
    CHECK_EQ(Dial("slow", 1, reinterpret_cast<LPVOID>(Notify1), &conn), DWORD(0));
    CHECK(g_sink.WaitFor(conn, RASCS_Connected));
    const DWORD hungUpAt = GetTickCount();
    CHECK_EQ(RasHangUpA(conn), DWORD(0));
    ras::ConnStatus st;
    CHECK_EQ(Status(conn, ras::kConnStatusSize, &st), DWORD(0));
    CHECK_EQ(DWORD(st.rasconnstate), DWORD(RASCS_Disconnected));
    CHECK_EQ(st.dwError, DWORD(0));
    CHECK_EQ(RasHangUpA(conn), DWORD(ERROR_INVALID_HANDLE)); // hung up once only

    // Both late events reach the notifier, in order, after the hang-up returned.
    CHECK(g_sink.WaitCount(3));
    std::vector<Received> got = g_sink.Items();
    CHECK_EQ(got.size(), std::size_t(3));
    if (got.size() == 3) {
        CHECK_EQ(got[1].state, DWORD(5));
        CHECK_EQ(got[1].error, DWORD(629));
        CHECK_EQ(got[2].state, DWORD(RASCS_Connected));
    }
    const std::string h = HandleNum(conn);
    CHECK(LogHas("event handle=" + h + " state=0x5 error=629 after_hangup"));

    CHECK(LineGone(conn));
    CHECK(GetTickCount() - hungUpAt >= 390);
}

E2E_TEST(SimRas, SynchronousDial) {
    UsePhoneBook("sync", "entry = good\nentry = bad\n"
                         "[dial good]\nevent = 0 10\nevent = 0x2000 10\n"
                         "[dial bad]\nevent = 0 10\nevent = 5 10 691\n");
    HRASCONN conn = nullptr;
    CHECK_EQ(Dial("good", 0, nullptr, &conn), DWORD(0));
    ras::ConnStatus st;
    CHECK_EQ(Status(conn, ras::kConnStatusSize, &st), DWORD(0));
    CHECK_EQ(DWORD(st.rasconnstate), DWORD(RASCS_Connected));
    RasHangUpA(conn);
    HRASCONN failed = nullptr;
    CHECK_EQ(Dial("bad", 0, nullptr, &failed), DWORD(691));
    CHECK(failed != nullptr);
    RasHangUpA(failed);
}

E2E_TEST(SimRas, ConfigErrorsAreLogged) {
    UsePhoneBook("config_errors", "entry = fine\nbogus line\n[dial]\nevent = x 10\n");
    CHECK_EQ(EnumeratedSizes().count, DWORD(1));
    CHECK_EQ(LogCount("config error path="), 2);
    bool lineTwo = false;
    for (const std::string& l : LogLines())
        lineTwo = lineTwo || l.find(" line=2 message=") != std::string::npos;
    CHECK(lineTwo);
}

E2E_TEST(SimRas, ConnectionsNotDialedHereAreListedAfterOwnOnes) {
    const std::string dialed = "entry = mine\n[dial mine]\nevent = 0x2000 0\n";
    const std::string kept = u8"connection = 拨号上网 163 3600   # name with a blank\n";
    UsePhoneBook("outside", dialed + kept + "connection = other 0\n");
    DWORD bytes = 0;
    DWORD count = 0;
    CHECK_EQ(RasEnumConnectionsA(nullptr, &bytes, &count), DWORD(ERROR_BUFFER_TOO_SMALL));
    CHECK_EQ(bytes, DWORD(2 * 704));
    CHECK_EQ(count, DWORD(2));
    g_sink.Clear();
    HRASCONN mine = nullptr;
    CHECK_EQ(Dial1("mine", &mine), DWORD(0));
    CHECK(g_sink.WaitFor(mine, RASCS_Connected));

    Listing all = List(sizeof(RASCONNA), 3);
    CHECK_EQ(all.rc, DWORD(0));
    CHECK_EQ(all.bytes, DWORD(3 * 704));
    CHECK(all.guardIntact);
    REQUIRE(all.conns.size() == 3);
    const std::string names[] = {"mine", ToAnsi(u8"拨号上网 163"), "other"};
    for (int i = 0; i < 3; ++i) {
        CHECK_EQ(all.conns[i].dwSize, DWORD(704));
        CHECK(names[i] == all.conns[i].szEntryName);
        CHECK(std::strcmp(all.conns[i].szDeviceType, "modem") == 0);
        CHECK(std::strcmp(all.conns[i].szDeviceName, "Simulated Modem") == 0);
    }
    CHECK(all.conns[0].hrasconn == mine);
    const HRASCONN outside = all.conns[1].hrasconn;
    const HRASCONN other = all.conns[2].hrasconn;
    CHECK(LogHas("RasEnumConnectionsA size=704 cb=2112 -> 0 cb=2112 count=3 handles=" +
                 HandleNum(mine) + "," + HandleNum(outside) + "," + HandleNum(other)));

    // An older record version, the same connections under the same handles.
    Listing old = List(412, 3);
    CHECK_EQ(old.rc, DWORD(0));
    CHECK_EQ(old.bytes, DWORD(3 * 412));
    CHECK(old.guardIntact);
    CHECK(old.conns.size() == 3 && old.conns[2].hrasconn == other);
    CHECK_EQ(List(704, 2).rc, DWORD(ERROR_BUFFER_TOO_SMALL));
    CHECK_EQ(List(100, 3).rc, DWORD(ERROR_INVALID_SIZE));
    ras::ConnStatus st;
    CHECK_EQ(Status(outside, ras::kConnStatusSize, &st), DWORD(0));
    CHECK_EQ(DWORD(st.rasconnstate), DWORD(RASCS_Connected));

    // A line taken out of the file takes its connection with it.
    e2e::WriteFileBytes(g_cfg, dialed + kept);
    CHECK_EQ(Status(other, ras::kConnStatusSize, &st), DWORD(ERROR_INVALID_HANDLE));
    CHECK(LogHas("outside_gone handle=" + HandleNum(other)));
    // Hung up, a line's connection is not listed again while the line stays.
    CHECK_EQ(RasHangUpA(outside), DWORD(0));
    CHECK_EQ(RasHangUpA(outside), DWORD(ERROR_INVALID_HANDLE));
    Listing left = List(704, 3);
    CHECK(left.conns.size() == 1 && left.conns[0].hrasconn == mine);
    CHECK_EQ(RasHangUpA(mine), DWORD(0));
    CHECK_EQ(List(704, 1).count, DWORD(0));
}

E2E_TEST(SimRas, StatisticsCountAtTheFilesRatesAndWrap) {
    const std::string book = "entry = mine\n[dial mine]\nevent = 0x2000 0\n"
                             "connection = line 60\ncounters_start = line 0xFFFFFF00 7\n"
                             "counters_start = mine 5 6\n";
    UsePhoneBook("stats", book);
    Listing listed = List(704, 1);
    REQUIRE(listed.conns.size() == 1);
    const HRASCONN line = listed.conns[0].hrasconn;
    RAS_STATS first;
    CHECK_EQ(Stats(line, &first), DWORD(0));
    CHECK_EQ(first.dwSize, DWORD(sizeof(RAS_STATS)));
    CHECK_EQ(first.dwBytesRcved, DWORD(0xFFFFFF00));
    CHECK_EQ(first.dwBytesXmited, DWORD(7));
    CHECK_EQ(first.dwBps, DWORD(56000));
    CHECK(first.dwConnectDuration >= 60000);
    CHECK_EQ(LogCount("RasGetConnectionStatistics handle=" + HandleNum(line) +
                      " size=60 -> 0 rx=4294967040 tx=7 duration_ms="),
             1);

    // 1000 bytes a second in: the 32-bit counter wraps 256 ms after the rate is read.
    e2e::WriteFileBytes(g_cfg, book + "traffic = line 1000 100\n");
    RAS_STATS now;
    CHECK(e2e::WaitUntil([&] { return Stats(line, &now) == 0 && now.dwBytesRcved < 0xFFFFFF00u; }));
    const DWORD msAtRate = now.dwBytesRcved + 256;
    CHECK_EQ(now.dwBytesXmited, DWORD(7 + msAtRate / 10));
    CHECK(now.dwConnectDuration >= first.dwConnectDuration + msAtRate);

    // Back to no traffic: the counters stand from the call that reads it.
    e2e::WriteFileBytes(g_cfg, book);
    RAS_STATS stopped;
    RAS_STATS later;
    CHECK_EQ(Stats(line, &stopped), DWORD(0));
    CHECK(e2e::WaitUntil([&] {
        return Stats(line, &later) == 0 && later.dwConnectDuration > stopped.dwConnectDuration;
    }));
    CHECK_EQ(later.dwBytesRcved, stopped.dwBytesRcved);
    CHECK_EQ(later.dwBytesXmited, stopped.dwBytesXmited);

    // A dialed line counts from its own start values as it comes up.
    g_sink.Clear();
    HRASCONN mine = nullptr;
    CHECK_EQ(Dial1("mine", &mine), DWORD(0));
    CHECK(g_sink.WaitFor(mine, RASCS_Connected));
    RAS_STATS own;
    CHECK_EQ(Stats(mine, &own), DWORD(0));
    CHECK_EQ(own.dwBytesRcved, DWORD(5));
    CHECK_EQ(own.dwBytesXmited, DWORD(6));
    CHECK(own.dwConnectDuration < first.dwConnectDuration);
    CHECK_EQ(RasHangUpA(mine), DWORD(0));
    CHECK_EQ(Stats(mine, &own), DWORD(ERROR_INVALID_HANDLE));

    CHECK_EQ(Stats(reinterpret_cast<HRASCONN>(0x7777), &own), DWORD(ERROR_INVALID_HANDLE));
    CHECK_EQ(Stats(line, &own, 56), DWORD(E_INVALIDARG));
    CHECK_EQ(Stats(nullptr, &own), DWORD(E_INVALIDARG));
    CHECK_EQ(RasGetConnectionStatistics(line, nullptr), DWORD(E_INVALIDARG));
    CHECK_EQ(RasHangUpA(line), DWORD(0));
}

} // namespace

int main(int argc, char** argv) {
    char temp[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    g_dir = std::string(temp) + "simras_check_" + std::to_string(GetCurrentProcessId()) + "\\";
    CreateDirectoryA(g_dir.c_str(), nullptr);
    std::printf("code page %u, files in %s\n", GetACP(), g_dir.c_str());
    const int result = e2e::RunTests({argv + 1, argv + argc});
    if (result == 0)
        RemoveRunFolder();
    return result;
}
