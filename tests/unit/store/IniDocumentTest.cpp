// Editing the settings file in memory: edits keep the parse as a fresh parse of the new bytes
// would be, and a batch gives what its edits give one after the other.

#include "store/IniDocument.h"

#include <gtest/gtest.h>

#include <random>

namespace store {
namespace {

const std::vector<std::string> kSections = {"Data", "data", " Option ", "Memory", "", "[x]"};
const std::vector<std::string> kKeys = {"a",   "B",  "data[1]",  "DATA[1]",
                                        " x ", ";c", "\xB0\xA1", "[k"};
const std::vector<std::string> kValues = {"",    "1", " v ",  "\"q\"",   "\xD6\xD0",
                                          "a=b", "]", "\xD6", "l\r\nm=n"};

// Every read of the names above, and the listing of each section.
std::string Reads(const IniDocument& document) {
    std::string out;
    for (const std::string& section : kSections) {
        for (const auto& [key, value] : document.Section(section)) {
            out += "[" + section + "] " + key + "=" + value + "\n";
        }
        for (const std::string& key : kKeys) {
            out +=
                section + "/" + key + ":" + document.ReadString(section, key, "<none>", 50) + "\n";
        }
    }
    return out;
}

TEST(IniDocumentTest, EditsAndBatchesReadLikeAFreshParseOfTheirBytes) {
    std::mt19937 random(20230903);
    auto pick = [&](const auto& list) { return list[random() % list.size()]; };
    const std::vector<std::string> endings = {"\r\n", "\n", "\r", ""};
    for (int round = 0; round < 400; ++round) {
        std::string bytes = random() % 8 == 0 ? "\xEF\xBB\xBF" : "";
        for (int i = 0, lineCount = static_cast<int>(random() % 14); i < lineCount; ++i) {
            switch (random() % 5) {
            case 0:
                bytes += "[" + pick(kSections) + "]";
                break;
            case 1:
                bytes += pick(kKeys);
                break;
            case 2:
                bytes += random() % 2 ? "  " : "=unnamed";
                break;
            default:
                bytes += pick(kKeys) + "=" + pick(kValues);
            }
            const std::string ending = pick(endings);
            bytes += i + 1 < lineCount && ending.empty() ? "\n" : ending;
        }
        // Small batches walk the sections, large ones use the index.
        const int editCount = random() % 3 == 0 ? 17 + static_cast<int>(random() % 20)
                                                : 1 + static_cast<int>(random() % 6);
        ProfileEdits edits;
        for (int i = 0; i < editCount; ++i) {
            std::optional<std::string> value;
            if (random() % 5 != 0) {
                value = pick(kValues);
            }
            edits.push_back({pick(kSections), pick(kKeys), value});
        }

        IniDocument oneByOne(bytes);
        for (const ProfileEdit& edit : edits) {
            if (edit.value) {
                oneByOne.Set(edit.section, edit.key, *edit.value);
            } else {
                oneByOne.Remove(edit.section, edit.key);
            }
            ASSERT_EQ(Reads(oneByOne), Reads(IniDocument(oneByOne.Bytes()))) << "file:\n" << bytes;
        }
        IniDocument batch(bytes);
        const bool changed = batch.Apply(edits);
        EXPECT_TRUE(changed || batch.Bytes() == bytes);
        ASSERT_EQ(batch.Bytes(), oneByOne.Bytes()) << "file:\n" << bytes;
        ASSERT_EQ(Reads(batch), Reads(IniDocument(batch.Bytes()))) << "file:\n" << bytes;
    }
}

TEST(IniDocumentTest, ARemovedKeyLosesItsLineAndItsSectionStays) {
    IniDocument document("[A]\r\na=1\r\nb=2\r\n[A]\r\nc=3\r\n");
    // Like the platform, the sections of that name are searched in turn.
    EXPECT_TRUE(document.Remove("a", "C"));
    EXPECT_TRUE(document.Remove("A", "b"));
    EXPECT_FALSE(document.Remove("A", "b"));
    EXPECT_FALSE(document.Remove("B", "a"));
    EXPECT_EQ(document.Bytes(), "[A]\r\na=1\r\n[A]\r\n");
}

} // namespace
} // namespace store
