#pragma once

// What the benchmarks share: a millisecond clock and the settings file years of use leave.

#include <windows.h>

#include <string>

#include "store/ConnectionRecord.h"

namespace bench {

inline double NowMs() {
    static const LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return 1000.0 * static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// A settings file as years of use leave it: an account, the counter and one record per key.
inline std::string SettingsWithRecords(int count) {
    std::string text = "[Option]\r\nSaveUserPwd=False\r\nUser=\r\nPwd=\r\nPos=0\r\n[Memory]\r\n"
                       "MaxDataNumber=" +
                       std::to_string(count) + "\r\n[Data]\r\n";
    text.reserve(text.size() + static_cast<std::size_t>(count) * 34);
    for (int i = 1; i <= count; ++i) {
        const store::LocalTime at{2003 + i / 1000, 1 + i % 12, 1 + i % 28,
                                  i % 24,          i % 60,     (i * 7) % 60};
        text +=
            store::RecordKey(i) + "=" + store::FormatConnectionRecord(at, 60 + i % 7200) + "\r\n";
    }
    return text;
}

} // namespace bench
