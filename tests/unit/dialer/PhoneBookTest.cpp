// Listing the phone book with the two-call enumeration.

#include "dialer/PhoneBook.h"

#include <gtest/gtest.h>

#include <cstring>

namespace dialer {
namespace {

// The system's enumeration over a list of names: too little room gets the byte count needed
// and no entries. What each call was offered is noted.
struct FakePhoneBook {
    explicit FakePhoneBook(std::vector<std::string> entryNames = {})
        : names(std::move(entryNames)) {}

    std::vector<std::string> names;
    std::uint32_t reportedBytes = 0; // instead of what the names need, when not 0
    std::uint32_t reportedCount = 0; // instead of the records filled, when not 0

    struct Offer {
        std::uint32_t bytes;
        std::uint32_t firstSize;
    };
    std::vector<Offer> offers;

    void operator()(unsigned char* records, std::uint32_t* bytes, std::uint32_t* count) {
        std::uint32_t firstSize = 0;
        std::memcpy(&firstSize, records, sizeof firstSize);
        offers.push_back({*bytes, firstSize});
        const auto needed = static_cast<std::uint32_t>(names.size() * kEntryRecordSize);
        const bool fits = *bytes >= needed;
        if (fits) {
            for (std::size_t i = 0; i < names.size(); ++i) {
                unsigned char* field = records + i * kEntryRecordSize + kEntryNameOffset;
                std::memcpy(field, names[i].data(), std::min(names[i].size(), kEntryNameField));
            }
        }
        *bytes = reportedBytes != 0 ? reportedBytes : needed;
        *count = reportedCount != 0 ? reportedCount
                 : fits             ? static_cast<std::uint32_t>(names.size())
                                    : 0;
    }

    std::vector<std::string> List() {
        return ListEntryNames(
            [this](unsigned char* r, std::uint32_t* b, std::uint32_t* c) { (*this)(r, b, c); });
    }
};

TEST(PhoneBookTest, AFirstCallForOneRecordLearnsTheRoomTheSecondLists) {
    FakePhoneBook book({"b", "a", "c"});
    EXPECT_EQ(book.List(), (std::vector<std::string>{"b", "a", "c"}));
    ASSERT_EQ(book.offers.size(), 2u);
    EXPECT_EQ(book.offers[0].bytes, 264u);
    EXPECT_EQ(book.offers[0].firstSize, 264u);
    EXPECT_EQ(book.offers[1].bytes, 3 * 264u);
    EXPECT_EQ(book.offers[1].firstSize, 264u);
}

TEST(PhoneBookTest, TheRoomIsWholeRecordsAndNeverLessThanOne) {
    FakePhoneBook empty;
    EXPECT_TRUE(empty.List().empty());
    EXPECT_EQ(empty.offers.at(1).bytes, 264u);
    FakePhoneBook odd({"a", "b"});
    odd.reportedBytes = 300;
    odd.List();
    EXPECT_EQ(odd.offers.at(1).bytes, 2 * 264u);
}

TEST(PhoneBookTest, ACountBeyondTheRoomIsNotTrusted) {
    FakePhoneBook book({"only"});
    book.reportedCount = 5;
    EXPECT_EQ(book.List(), std::vector<std::string>{"only"});
}

TEST(PhoneBookTest, ANameWithoutTerminatorIsCutToItsField) {
    FakePhoneBook book({std::string(kEntryNameField, 'x')});
    EXPECT_EQ(book.List(), std::vector<std::string>{std::string(kEntryNameField - 1, 'x')});
}

} // namespace
} // namespace dialer
