// Any stored text: the split neither fails nor loses bytes, and reading its seconds never
// fails; formatted records split back.

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "store/ConnectionRecord.h"
#include "store/ProfileRules.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    if (const auto parts = store::SplitConnectionRecord(text)) {
        store::SecondsAsRead(parts->seconds);
        const std::string joined = std::string(parts->date) + "," + std::string(parts->seconds) +
                                   "@" + std::string(parts->time);
        if (joined != text || store::rules::FindChar(parts->date, ',') != std::string::npos ||
            store::rules::FindChar(parts->seconds, '@') != std::string::npos) {
            std::abort();
        }
    }
    store::IsRecordText(text);

    if (size >= 7 * sizeof(int)) {
        int n[7];
        std::memcpy(n, data, sizeof n);
        const store::LocalTime at{n[0], n[1], n[2], n[3], n[4], n[5]};
        const std::string record = store::FormatConnectionRecord(at, n[6]);
        const auto parts = store::SplitConnectionRecord(record);
        if (!parts || parts->seconds != std::to_string(n[6]) ||
            parts->date !=
                std::to_string(n[0]) + "-" + std::to_string(n[1]) + "-" + std::to_string(n[2]) ||
            parts->time !=
                std::to_string(n[3]) + ":" + std::to_string(n[4]) + ":" + std::to_string(n[5])) {
            std::abort();
        }
    }
    return 0;
}
