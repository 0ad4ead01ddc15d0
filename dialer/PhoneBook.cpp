#include "dialer/PhoneBook.h"

#include <algorithm>
#include <cstring>

namespace dialer {

namespace {

// Zeroed records with the first one's size set, as the enumeration expects them.
std::vector<unsigned char> RecordRoom(std::size_t records) {
    std::vector<unsigned char> room(records * kEntryRecordSize);
    const std::uint32_t size = kEntryRecordSize;
    std::memcpy(room.data(), &size, sizeof size);
    return room;
}

} // namespace

std::vector<std::string> ListEntryNames(const EnumerateEntries& enumerate) {
    std::vector<unsigned char> room = RecordRoom(1);
    std::uint32_t bytes = kEntryRecordSize;
    std::uint32_t count = 0;
    enumerate(room.data(), &bytes, &count);

    const std::size_t records =
        std::max<std::size_t>(1, (std::size_t{bytes} + kEntryRecordSize - 1) / kEntryRecordSize);
    room = RecordRoom(records);
    bytes = static_cast<std::uint32_t>(room.size());
    count = 0;
    enumerate(room.data(), &bytes, &count);

    std::vector<std::string> names;
    const std::size_t listed = std::min<std::size_t>(count, records);
    for (std::size_t i = 0; i < listed; ++i) {
        const char* field =
            reinterpret_cast<const char*>(room.data() + i * kEntryRecordSize + kEntryNameOffset);
        names.emplace_back(field, ::strnlen(field, kEntryNameField - 1));
    }
    return names;
}

} // namespace dialer
