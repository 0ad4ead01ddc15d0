#include "windows/StatsModel.h"

#include <climits>
#include <cstdio>

#include "store/ConnectionRecord.h"

namespace stats {

namespace {

// The blanks the C library's atoi skips in the "C" locale.
bool IsAtoiBlank(char c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}

} // namespace

std::optional<Row> RowFromRecord(const std::string& record) {
    if (!store::IsRecordText(record)) {
        return std::nullopt;
    }
    std::optional<store::RecordParts> parts = store::ParseConnectionRecord(record);
    if (!parts) {
        return std::nullopt;
    }
    return Row{std::move(parts->date), std::move(parts->seconds), std::move(parts->time)};
}

long long SecondsValue(std::string_view cell) {
    std::size_t pos = 0;
    while (pos < cell.size() && IsAtoiBlank(cell[pos])) {
        ++pos;
    }
    bool negative = false;
    if (pos < cell.size() && (cell[pos] == '+' || cell[pos] == '-')) {
        negative = cell[pos] == '-';
        ++pos;
    }
    // Accumulated as a magnitude and stopped once past the range: long digit runs cannot overflow.
    constexpr long long kLimit = static_cast<long long>(INT_MAX) + 1;
    long long magnitude = 0;
    while (pos < cell.size() && cell[pos] >= '0' && cell[pos] <= '9') {
        if (magnitude <= kLimit) {
            magnitude = magnitude * 10 + (cell[pos] - '0');
        }
        ++pos;
    }
    if (negative) {
        return magnitude >= kLimit ? INT_MIN : -magnitude;
    }
    return magnitude > INT_MAX ? INT_MAX : magnitude;
}

std::string TotalMessage(long long totalSeconds) {
    char text[160];
    std::snprintf(text, sizeof text,
                  "截至目前，总共上网时间为：%lld 秒，即%lld分钟！大约：%lld小时！", totalSeconds,
                  totalSeconds / 60, totalSeconds / 3600);
    return text;
}

} // namespace stats
