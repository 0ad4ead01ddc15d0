#pragma once

// The original, smaller layouts of the RAS records that the program passes (current SDK
// headers declare larger ones). The simulated RAS service reads and fills the same layouts.

#include <windows.h>
#include <ras.h>

#include "dialer/PhoneBook.h"

namespace ras {

inline constexpr DWORD kEntryNameSize = dialer::kEntryRecordSize;
inline constexpr DWORD kDialParamsSize = 1052;
inline constexpr DWORD kConnStatusSize = 160;

struct EntryName {
    DWORD dwSize;
    CHAR szEntryName[RAS_MaxEntryName + 1];
};

struct DialParams {
    DWORD dwSize;
    CHAR szEntryName[RAS_MaxEntryName + 1];
    CHAR szPhoneNumber[RAS_MaxPhoneNumber + 1];
    CHAR szCallbackNumber[RAS_MaxCallbackNumber + 1];
    CHAR szUserName[UNLEN + 1];
    CHAR szPassword[PWLEN + 1];
    CHAR szDomain[DNLEN + 1];
};

// RASCONNSTATUSA without the device and phone-number fields of later versions.
struct ConnStatus {
    DWORD dwSize;
    RASCONNSTATE rasconnstate;
    DWORD dwError;
    CHAR szDeviceType[RAS_MaxDeviceType + 1];
    CHAR szDeviceName[RAS_MaxDeviceName + 1];
};

// RASCONNA as Windows 95 and NT 4 knew it (WINVER 0x400), which every later service accepts.
struct Conn {
    DWORD dwSize;
    HRASCONN hrasconn;
    CHAR szEntryName[RAS_MaxEntryName + 1];
    CHAR szDeviceType[RAS_MaxDeviceType + 1];
    CHAR szDeviceName[RAS_MaxDeviceName + 1];
};
inline constexpr DWORD kConnSize = 412;

// RAS_STATS (Windows 2000 and later).
struct Stats {
    DWORD dwSize;
    DWORD dwBytesXmited;
    DWORD dwBytesRcved;
    DWORD dwFramesXmited;
    DWORD dwFramesRcved;
    DWORD dwCrcErr;
    DWORD dwTimeoutErr;
    DWORD dwAlignmentErr;
    DWORD dwHardwareOverrunErr;
    DWORD dwFramingErr;
    DWORD dwBufferOverrunErr;
    DWORD dwCompressionRatioIn;
    DWORD dwCompressionRatioOut;
    DWORD dwBps;
    DWORD dwConnectDuration; // milliseconds
};
inline constexpr DWORD kStatsSize = 60;

static_assert(sizeof(EntryName) == kEntryNameSize);
static_assert(sizeof(Conn) == kConnSize);
static_assert(sizeof(Stats) == kStatsSize);
static_assert(sizeof(DialParams) == kDialParamsSize);
static_assert(sizeof(ConnStatus) == kConnStatusSize);

} // namespace ras
