// The text of what a connection was, as kept beside its record.

#include "store/ConnectionDetail.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace store {
namespace {

const std::string kBroadband = "\xBF\xED\xB4\xF8\xC1\xAC\xBD\xD3"; // 宽带连接
const std::string kPair = "\x81\x40"; // one character whose second byte is "@"

struct DetailCase {
    std::string text;
    std::optional<ConnectionDetail> detail; // nothing: refused
    bool formatted;                         // the text FormatConnectionDetail writes for it
};

const DetailCase kDetailCases[] = {
    {"dialed,123,456," + kBroadband,
     ConnectionDetail{kBroadband, ConnectionOrigin::Dialed, 123, 456}, true},
    {"taken,,,ISP", ConnectionDetail{"ISP", ConnectionOrigin::TakenOver, {}, {}}, true},
    {"dialed,0,18446744073709551615,",
     ConnectionDetail{"", ConnectionOrigin::Dialed, 0, 18446744073709551615u}, true},
    {"taken,5,,x", ConnectionDetail{"x", ConnectionOrigin::TakenOver, 5, {}}, true},
    // The entry is the rest: commas, quotes and double-byte characters need nothing.
    {"taken,1,2,a,b,\"c\", " + kPair,
     ConnectionDetail{"a,b,\"c\", " + kPair, ConnectionOrigin::TakenOver, 1, 2}, true},
    {"dialed,007,,x", ConnectionDetail{"x", ConnectionOrigin::Dialed, 7, {}}, false},
    // Refused whole.
    {"", std::nullopt, false},
    {"dialed", std::nullopt, false},
    {"dialed,1,2", std::nullopt, false},
    {"Dialed,1,2,x", std::nullopt, false},
    {"dial,1,2,x", std::nullopt, false},
    {" taken,1,2,x", std::nullopt, false},
    {"dialed,-1,2,x", std::nullopt, false},
    {"dialed,1,+2,x", std::nullopt, false},
    {"dialed, 1,2,x", std::nullopt, false},
    {"dialed,1x,2,x", std::nullopt, false},
    {"dialed,0x10,,x", std::nullopt, false},
    {"dialed,18446744073709551616,,x", std::nullopt, false},
    {"dialed,1,2,a\nb", std::nullopt, false},
    {"dialed,1,2,a\rb", std::nullopt, false},
    {std::string("dialed,1,2,a\0b", 14), std::nullopt, false},
};

TEST(ConnectionDetailTest, TheTextReadsBackAsWrittenAndAnythingElseIsRefused) {
    for (const DetailCase& test : kDetailCases) {
        SCOPED_TRACE(test.text);
        EXPECT_EQ(ParseConnectionDetail(test.text), test.detail);
        if (test.formatted) {
            EXPECT_EQ(FormatConnectionDetail(*test.detail), test.text);
        }
    }
    // A value cannot hold a line break: it is written as a space.
    EXPECT_EQ(
        FormatConnectionDetail({std::string("a\r\nb\0c", 6), ConnectionOrigin::Dialed, {}, {}}),
        "dialed,,,a  b c");
}

} // namespace
} // namespace store
