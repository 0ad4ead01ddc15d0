#pragma once

// What the statistics window shows and adds up, apart from the window itself.

#include <optional>
#include <string>
#include <string_view>

namespace stats {

// The list's columns, left to right.
struct Column {
    const char* heading;
    int width; // pixels
};
inline constexpr Column kColumns[3] = {
    {"拨号上网日期", 120},
    {"精确上网时长(单位: 秒)", 160},
    {"下线时间", 100},
};
inline constexpr int kSecondsColumn = 1;

// One record as a row of the list: its three parts exactly as stored.
struct Row {
    std::string date;
    std::string seconds;
    std::string time;
};

// Nothing for a value of 10 characters or fewer (a missing key's "Error", an emptied record, a
// damaged one) and for a text without the "," or without an "@" after it. Parts longer than any
// record the program writes are kept whole.
std::optional<Row> RowFromRecord(const std::string& record);

// A seconds cell as the total counts it: leading blanks, one optional sign, then decimal
// digits; no digits count 0. A number beyond the 32-bit range counts as the end of the range
// it passed, so one hand-edited cell can neither wrap nor swamp the sum.
long long SecondsValue(std::string_view cell);

// Running sum of the seconds cells. 64-bit: even millions of cells at the 32-bit limit fit.
class SecondsTotal {
public:
    void Add(std::string_view cell) { m_total += SecondsValue(cell); }
    long long Value() const { return m_total; }

private:
    long long m_total = 0;
};

// "截至目前，总共上网时间为：T 秒，即T/60分钟！大约：T/3600小时！", divisions truncating toward
// zero. The total is shown whole even beyond the 32-bit range.
std::string TotalMessage(long long totalSeconds);

} // namespace stats
