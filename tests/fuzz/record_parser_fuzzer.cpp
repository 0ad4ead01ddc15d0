// Any stored text: the parser neither fails nor loses bytes; formatted records parse back.

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "store/ConnectionRecord.h"
#include "store/ProfileRules.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    if (const auto parts = store::ParseConnectionRecord(text)) {
        if (parts->date + "," + parts->seconds + "@" + parts->time != text ||
            store::rules::FindChar(parts->date, ',') != std::string::npos ||
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
        const auto parts = store::ParseConnectionRecord(record);
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
