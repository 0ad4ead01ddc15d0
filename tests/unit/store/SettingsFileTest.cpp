// The settings file against what the platform's private-profile calls do on the same bytes
// (expected values were observed with Wine's GetPrivateProfileStringA, GetPrivateProfileIntA
// and GetPrivateProfileSectionA, code page 936), and how it reaches the disk.

#include "store/SettingsFile.h"

#include <gtest/gtest.h>

#include <random>

#include <sys/stat.h>

#include "store/ConnectionRecord.h"
#include "store/ProfileRules.h"
#include "tests/unit/store/MemoryFiles.h"
#include "tests/unit/store/TempDir.h"

namespace store {
namespace {

using testing::MemoryFiles;
using testing::ReadBytes;
using testing::TempDir;
using testing::WriteBytes;

class SettingsFileTest : public ::testing::Test {
protected:
    SettingsFile FileWith(const std::string& bytes) {
        WriteBytes(path, bytes);
        return At(path);
    }
    static SettingsFile At(const std::string& file) {
        return SettingsFile(SystemFileBytes(), file);
    }
    std::string Read(const std::string& bytes, const std::string& section, const std::string& key,
                     std::size_t bufferChars = 200) {
        return FileWith(bytes).ReadString(section, key, "DEF", bufferChars);
    }

    TempDir dir;
    std::string path = dir.File("settings.ini");
};

TEST_F(SettingsFileTest, NamesMatchWithoutRegardToCaseOrSurroundingBlanks) {
    const std::string file = "[ Data ]\r\n  Key One  =  v  \r\n";
    EXPECT_EQ(Read(file, "data", "key one"), "v");
    EXPECT_EQ(Read(file, "DATA", "KEY ONE"), "v");
    EXPECT_EQ(Read(file, " Data ", " Key One "), "v");
    EXPECT_EQ(Read(file, "Data", "Key  One"), "DEF");
}

TEST_F(SettingsFileTest, OnlyAsciiLettersMatchTheirOtherCase) {
    // Full-width A, Greek Alpha and Cyrillic A do not match their small forms.
    const std::string file = "[D]\r\n\xA3\xC1=1\r\n\xA6\xA1=2\r\n\xA7\xA1=3\r\n";
    EXPECT_EQ(Read(file, "D", "\xA3\xC1"), "1");
    EXPECT_EQ(Read(file, "D", "\xA3\xE1"), "DEF");
    EXPECT_EQ(Read(file, "D", "\xA6\xC1"), "DEF");
    EXPECT_EQ(Read(file, "D", "\xA7\xD1"), "DEF");
    // A trail byte that looks like an ASCII capital is not a letter of its own.
    EXPECT_EQ(Read("[D]\r\n\xB0\x41=x\r\n", "D", "\xB0\x61"), "DEF");
}

TEST_F(SettingsFileTest, ValuesLoseBlanksAndOnePairOfMatchingQuotes) {
    const std::string file = "[D]\r\n"
                             "t=\t\v\fv\x1a\x1a\r\n"
                             "ctl=\x01v\x01\r\n"
                             "q=\"a b\"\r\n"
                             "s='a b'\r\n"
                             "mixed=\"abc'\r\n"
                             "lone=\"\r\n"
                             "empty=\"\"\r\n"
                             "inner=a\"b\"\r\n"
                             "wide=\xA1\xA1x\xA1\xA1\r\n";
    EXPECT_EQ(Read(file, "D", "t"), "v");
    EXPECT_EQ(Read(file, "D", "ctl"), "\x01v\x01");
    EXPECT_EQ(Read(file, "D", "q"), "a b");
    EXPECT_EQ(Read(file, "D", "s"), "a b");
    EXPECT_EQ(Read(file, "D", "mixed"), "\"abc'");
    EXPECT_EQ(Read(file, "D", "lone"), "\"");
    EXPECT_EQ(Read(file, "D", "empty"), "");
    EXPECT_EQ(Read(file, "D", "inner"), "a\"b\"");
    EXPECT_EQ(Read(file, "D", "wide"), "\xA1\xA1x\xA1\xA1"); // ideographic space is text
}

TEST_F(SettingsFileTest, FirstSectionAndFirstKeyOfARepeatedNameWin) {
    const std::string file = "[Data]\r\na=1\r\nA=2\r\n[Other]\r\nb=0\r\n[data]\r\nb=2\r\na=3\r\n";
    EXPECT_EQ(Read(file, "Data", "a"), "1");
    EXPECT_EQ(Read(file, "Data", "b"), "DEF"); // only the first [Data] is searched
    // A line without "=" is a key without a value: it hides a later key of the same name.
    EXPECT_EQ(Read("[D]\r\na\r\na=2\r\n", "D", "a"), "DEF");
}

TEST_F(SettingsFileTest, LinesEndAtCrOrLfAndTheLastNeedsNoTerminator) {
    for (const std::string& file :
         {std::string("[D]\r\na=1\r\nb=2"), std::string("[D]\na=1\nb=2\n"),
          std::string("[D]\ra=1\rb=2\r"), std::string("[D]\r\na=1\rb=2\n\n")}) {
        SCOPED_TRACE(file);
        EXPECT_EQ(Read(file, "D", "a"), "1");
        EXPECT_EQ(Read(file, "D", "b"), "2");
    }
}

TEST_F(SettingsFileTest, SectionHeadersEndAtTheirLastBracket) {
    EXPECT_EQ(Read("[Data] junk\r\na=1\r\n", "Data", "a"), "1");
    EXPECT_EQ(Read("[Data]x]\r\na=1\r\n", "Data]x", "a"), "1");
    EXPECT_EQ(Read("[Data]]\r\na=1\r\n", "Data", "a"), "DEF");
    // Without "]" the line is a key of the section before.
    EXPECT_EQ(Read("[Data]\r\n[Data\r\na=1\r\n", "Data", "a"), "1");
    EXPECT_EQ(Read("a=1\r\n[Data]\r\n", "", "a"), "1");
    EXPECT_EQ(Read("a=1\r\n[Data]\r\n", "Data", "a"), "DEF");
}

TEST_F(SettingsFileTest, CommentsAreOrdinaryKeysToAKeyRead) {
    const std::string file = "[D]\r\n;a=1\r\n#b=2\r\n";
    EXPECT_EQ(Read(file, "D", ";a"), "1");
    EXPECT_EQ(Read(file, "D", "#b"), "2");
    EXPECT_EQ(Read(file, "D", "a"), "DEF");
}

TEST_F(SettingsFileTest, ANulEndsANameOrValue) {
    const std::string file = std::string("[D]\r\na=1\0002\r\nb=3\r\n", 15);
    EXPECT_EQ(Read(file, "D", "a"), "1");
    EXPECT_EQ(Read(file, "D", "b"), "3");
}

TEST_F(SettingsFileTest, MissingFileSectionOrKeyGivesTheFallbackAsThePlatformTrimsIt) {
    SettingsFile missing = At(dir.File("none.ini"));
    EXPECT_EQ(missing.ReadString("D", "a", "DEF  ", 50), "DEF");
    EXPECT_EQ(missing.ReadString("D", "a", "  x  ", 50), "  x");
    EXPECT_EQ(missing.ReadString("D", "a", "\"q\"", 50), "q");
    EXPECT_EQ(missing.ReadString("D", "a", "Error", 4), "Err");
    EXPECT_EQ(missing.ReadInt("D", "a", 7), 7);
    EXPECT_TRUE(missing.ReadSection("D").empty());
    EXPECT_EQ(Read("[D]\r\n", "D", "a"), "DEF");
    EXPECT_EQ(Read("[E]\r\na=1\r\n", "D", "a"), "DEF");
}

TEST_F(SettingsFileTest, ReadsAreCutToTheBufferLikeThePlatform) {
    const std::string file = "[D]\r\na=abcdef\r\nq=\"abc\"\r\n";
    EXPECT_EQ(Read(file, "D", "a", 0), "");
    EXPECT_EQ(Read(file, "D", "a", 1), "");
    EXPECT_EQ(Read(file, "D", "a", 4), "abc");
    EXPECT_EQ(Read(file, "D", "a", 7), "abcdef");
    // The closing quote is dropped after the cut, taking the last kept character with it.
    EXPECT_EQ(Read(file, "D", "q", 3), "ab");
    EXPECT_EQ(Read(file, "D", "q", 4), "ab");
    EXPECT_EQ(Read(file, "D", "q", 5), "abc");
}

TEST_F(SettingsFileTest, ACutNeverKeepsHalfADoubleByteCharacter) {
    // "中文字" in code page 936, plain and quoted; by buffer size, as the platform returns it.
    const std::string text = "\xD6\xD0\xCE\xC4\xD7\xD6";
    const std::string file = "[D]\r\na=" + text + "\r\nq=\"" + text + "\"\r\n";
    const std::vector<std::string> expected = {
        "", "", "", "\xD6\xD0", "\xD6\xD0", "\xD6\xD0\xCE\xC4", "\xD6\xD0\xCE\xC4", text, text};
    for (std::size_t size = 1; size < expected.size(); ++size) {
        SCOPED_TRACE(size);
        EXPECT_EQ(Read(file, "D", "a", size), expected[size]);
        EXPECT_EQ(Read(file, "D", "q", size), expected[size]);
    }
}

TEST_F(SettingsFileTest, NumbersAreReadLikeThePlatformReadsThem) {
    const std::vector<std::pair<std::string, int>> cases = {
        {"", 77},
        {"5", 5},
        {"  12  ", 12},
        {"-3", -3},
        {"+4", 4},
        {"0x1F", 31},
        {"0X1F", 0},
        {"0o17", 15},
        {"0b101", 5},
        {"0b", 0},
        {"12abc", 12},
        {"abc", 0},
        {"\"42\"", 42},
        {"'7'", 7},
        {"\"\"", 77},
        {"4294967295", -1},
        {"4294967296", 0},
        {"99999999999", 1215752191},
        {"2147483648", -2147483648},
        {" - 5", 0},
        {"--5", 0},
        {"0xFFFFFFFF", -1},
        {std::string(40, '1'), 1729917383},               // cut to 29 characters
        {"\"" + std::string(29, '1') + "\"", 1461481927}, // quote drops the 29th
        {std::string(28, '0') + "12", 1},
        {"09", 9},
        {"\x08"
         "7",
         7},
    };
    std::string file = "[D]\r\n";
    for (std::size_t i = 0; i < cases.size(); ++i) {
        file += "k" + std::to_string(i) + "=" + cases[i].first + "\r\n";
    }
    SettingsFile settings = FileWith(file);
    for (std::size_t i = 0; i < cases.size(); ++i) {
        SCOPED_TRACE(cases[i].first);
        EXPECT_EQ(settings.ReadInt("D", "k" + std::to_string(i), 77), cases[i].second);
    }
    EXPECT_EQ(settings.ReadInt("D", "missing", 77), 77);
}

TEST_F(SettingsFileTest, ASectionListsItsKeysAsStoredLeavingOutComments) {
    SettingsFile settings = FileWith("[Data]\r\na = \"x\" \r\n\r\nnoeq\r\n;cmt=1\r\n#h=2\r\n=v\r\n"
                                     "k=\r\n[Other]\r\no=1\r\n[data]\r\nz=9\r\n");
    const KeyValueList expected = {{"a", "\"x\""}, {"noeq", ""}, {"#h", "2"}, {"", "v"}, {"k", ""}};
    EXPECT_EQ(settings.ReadSection("Data"), expected);
    EXPECT_EQ(settings.ReadSection("DATA"), expected);
    EXPECT_TRUE(settings.ReadSection("data ").empty()); // the listing does not trim the name
    EXPECT_TRUE(settings.ReadSection("None").empty());
}

TEST_F(SettingsFileTest, AFreshFileIsWrittenAsThePlatformWritesIt) {
    SettingsFile settings = At(path);
    EXPECT_TRUE(settings.WriteString("Memory", "MaxDataNumber", "1"));
    EXPECT_TRUE(settings.WriteString("Data", "data[1]", "2003-9-3,3725@15:9:51"));
    EXPECT_TRUE(settings.WriteString("Option", "Pos", "  3  "));
    EXPECT_TRUE(settings.WriteString("Option", "Empty", ""));
    EXPECT_EQ(ReadBytes(path), "[Memory]\r\nMaxDataNumber=1\r\n[Data]\r\n"
                               "data[1]=2003-9-3,3725@15:9:51\r\n[Option]\r\nPos=3\r\nEmpty=\r\n");
    EXPECT_EQ(settings.ReadString("Option", "Pos", "", 100), "3");
}

TEST_F(SettingsFileTest, WritesChangeOnlyTheirOwnLine) {
    const std::string before = "; hand-written\n[Data]\n  X = 1  \nunknown=keep me\n\n\n"
                               "[Other]\ny=2";
    SettingsFile settings = FileWith(before);
    EXPECT_TRUE(settings.WriteString("data", "x", "2"));
    EXPECT_EQ(ReadBytes(path), "; hand-written\n[Data]\nX=2\r\nunknown=keep me\n\n\n[Other]\ny=2");
    EXPECT_TRUE(settings.WriteString("DATA", "new", "v"));
    EXPECT_EQ(ReadBytes(path),
              "; hand-written\n[Data]\nX=2\r\nunknown=keep me\nnew=v\r\n\n\n[Other]\ny=2");
    EXPECT_TRUE(settings.WriteString("Other", "z", "3"));
    EXPECT_EQ(ReadBytes(path), "; hand-written\n[Data]\nX=2\r\nunknown=keep me\nnew=v\r\n\n\n"
                               "[Other]\ny=2\r\nz=3\r\n");
    EXPECT_TRUE(settings.WriteString("Option", "p", "q"));
    EXPECT_EQ(ReadBytes(path), "; hand-written\n[Data]\nX=2\r\nunknown=keep me\nnew=v\r\n\n\n"
                               "[Other]\ny=2\r\nz=3\r\n[Option]\r\np=q\r\n");
}

TEST_F(SettingsFileTest, WritesGoToTheFirstOfRepeatedSectionsAndKeys) {
    SettingsFile settings = FileWith("[A]\r\na=1\r\na=9\r\n[A]\r\nb=1\r\n");
    EXPECT_TRUE(settings.WriteString("A", "a", "2"));
    EXPECT_TRUE(settings.WriteString("A", "b", "2"));
    EXPECT_EQ(ReadBytes(path), "[A]\r\na=2\r\na=9\r\nb=2\r\n[A]\r\nb=1\r\n");
}

TEST_F(SettingsFileTest, WrittenValuesLoseSurroundingBlanksAndKeepTheirBytes) {
    SettingsFile settings = At(path);
    const std::string gbk = "\xD3\xC3\xBB\xA7 \"\xC3\xFB\"";
    EXPECT_TRUE(settings.WriteString("Option", "User", " \t" + gbk + " \t"));
    EXPECT_EQ(ReadBytes(path), "[Option]\r\nUser=" + gbk + "\r\n");
    EXPECT_EQ(settings.ReadString("Option", "User", "", 100), "\xD3\xC3\xBB\xA7 \"\xC3\xFB\"");
}

TEST_F(SettingsFileTest, WritingTheSameValueLeavesTheFileAlone) {
    const std::string before = "[D]\na = 1\n";
    SettingsFile settings = FileWith(before);
    EXPECT_TRUE(settings.WriteString("D", "a", "1"));
    EXPECT_EQ(ReadBytes(path), before);
}

TEST_F(SettingsFileTest, WritesThatCannotReachTheDiskFail) {
    WriteBytes(dir.File("plain"), "x");
    SettingsFile underAFile = At(dir.File("plain") + "/settings.ini");
    EXPECT_FALSE(underAFile.WriteString("D", "a", "1"));
    SettingsFile aDirectory = At(dir.File(""));
    EXPECT_FALSE(aDirectory.WriteString("D", "a", "1"));
    EXPECT_EQ(aDirectory.ReadString("D", "a", "f", 10), "f");
    SettingsFile noDirectory = At(dir.File("missing/settings.ini"));
    EXPECT_FALSE(noDirectory.WriteString("D", "a", "1"));
}

// Random files and random writes: a write is read back as written and every other key
// reads as before.
TEST_F(SettingsFileTest, AWriteChangesNothingButItsKey) {
    std::mt19937 random(20030903);
    const std::vector<std::string> sections = {"Data", "data", " Option ", "Memory", ""};
    const std::vector<std::string> keys = {"a", "B", "data[1]", "DATA[1]", " x ", ";c", "\xB0\xA1"};
    const std::vector<std::string> values = {"", "1", " v ", "\"q\"", "\xD6\xD0\xCE\xC4", "a=b"};
    const std::vector<std::string> endings = {"\r\n", "\n", "\r", ""};
    auto pick = [&](const auto& list) { return list[random() % list.size()]; };
    for (int round = 0; round < 300; ++round) {
        std::string bytes;
        const int lineCount = static_cast<int>(random() % 12);
        for (int i = 0; i < lineCount; ++i) {
            switch (random() % 4) {
            case 0:
                bytes += "[" + pick(sections) + "]";
                break;
            case 1:
                bytes += pick(keys);
                break;
            case 2:
                bytes += "  ";
                break;
            default:
                bytes += pick(keys) + "=" + pick(values);
            }
            bytes += i + 1 == lineCount      ? pick(endings)
                     : pick(endings).empty() ? "\n"
                                             : pick(endings);
        }
        SettingsFile settings = FileWith(bytes);
        const std::string section = pick(sections);
        const std::string key = pick(keys);
        const std::string value = pick(values);

        std::vector<std::string> before;
        for (const auto& s : sections) {
            for (const auto& k : keys) {
                before.push_back(settings.ReadString(s, k, "<none>", 100));
            }
        }
        ASSERT_TRUE(settings.WriteString(section, key, value));
        SCOPED_TRACE(::testing::Message()
                     << "file [" << bytes << "] write [" << section << "] " << key << "=" << value);
        const std::string folded = rules::FoldCase(rules::TrimBlanks(section));
        const std::string foldedKey = rules::FoldCase(rules::TrimBlanks(key));
        std::size_t n = 0;
        for (const auto& s : sections) {
            for (const auto& k : keys) {
                const std::string now = settings.ReadString(s, k, "<none>", 100);
                if (rules::FoldCase(rules::TrimBlanks(s)) == folded &&
                    rules::FoldCase(rules::TrimBlanks(k)) == foldedKey) {
                    EXPECT_EQ(now, rules::ValueAsRead(rules::TrimBlanks(value), 100));
                } else {
                    EXPECT_EQ(now, before[n]) << "[" << s << "] " << k;
                }
                ++n;
            }
        }
    }
}

TEST_F(SettingsFileTest, AWriteReplacesTheFileThroughATemporaryFileThatItThenMoves) {
    // What a kill between writing and moving leaves: never read, overwritten by the next write.
    WriteBytes(path, "[D]\r\na=1\r\n");
    chmod(path.c_str(), 0640);
    WriteBytes(TemporaryPath(path), "[D]\r\na=half writ");
    SettingsFile settings = At(path);
    EXPECT_EQ(settings.ReadString("D", "a", "", 10), "1");
    EXPECT_TRUE(settings.WriteString("D", "b", "2"));
    EXPECT_EQ(ReadBytes(path), "[D]\r\na=1\r\nb=2\r\n");
    EXPECT_FALSE(std::filesystem::exists(TemporaryPath(path)));
    struct stat info {};
    ASSERT_EQ(stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0640u);
}

TEST_F(SettingsFileTest, TheFileIsReadAgainOnlyWhenItHasChanged) {
    MemoryFiles files;
    files.Put("s.ini", "[Memory]\r\nMaxDataNumber=1\r\n");
    SettingsFile settings(files, "s.ini");
    EXPECT_EQ(settings.ReadInt("Memory", "MaxDataNumber", 0), 1);
    EXPECT_TRUE(settings.WriteString("Memory", "MaxDataNumber", "2"));
    EXPECT_EQ(settings.ReadInt("Memory", "MaxDataNumber", 0), 2);
    EXPECT_EQ(files.reads, 1); // its own write does not make it read the file again
    files.Put("s.ini", "[Memory]\r\nMaxDataNumber=7\r\n");
    EXPECT_EQ(settings.ReadInt("Memory", "MaxDataNumber", 0), 7);
    EXPECT_EQ(files.reads, 2);
}

TEST_F(SettingsFileTest, ABatchIsOneWriteAndAFailedWriteLeavesWhatIsOnDisk) {
    MemoryFiles files;
    files.Put("s.ini", "[D]\r\na=1\r\n");
    SettingsFile settings(files, "s.ini");
    EXPECT_TRUE(settings.WriteBatch({{"D", "a", "2"}, {"D", "b", "3"}, {"E", "c", std::nullopt}}));
    EXPECT_EQ(files.replaces, 1);
    EXPECT_EQ(files.files["s.ini"], "[D]\r\na=2\r\nb=3\r\n");
    EXPECT_TRUE(settings.WriteString("D", "a", "2")); // unchanged: nothing written
    EXPECT_EQ(files.replaces, 1);
    files.failReplaces = true;
    EXPECT_FALSE(settings.WriteString("D", "a", "9"));
    EXPECT_FALSE(settings.WriteBatch({{"D", "b", "9"}}));
    EXPECT_EQ(settings.ReadString("D", "a", "", 10), "2");
    EXPECT_EQ(settings.ReadString("D", "b", "", 10), "3");
}

// A file too large to read, or one that cannot be read, is reported and never written over:
// each of its records would be lost.
TEST_F(SettingsFileTest, AFileTooLargeOrUnreadableIsReportedAndNeverWritten) {
    MemoryFiles files;
    files.Put("s.ini", "[Memory]\r\nMaxDataNumber=3\r\n");
    SettingsFile settings(files, "s.ini");
    EXPECT_EQ(settings.State(), FileState::Readable);
    EXPECT_TRUE(FileStateNotice(FileState::Readable).empty());

    files.claimedSize = SettingsFile::kLargestFileBytes + 1;
    files.Put("s.ini", "[Memory]\r\nMaxDataNumber=4\r\n");
    const int readsBefore = files.reads;
    EXPECT_EQ(settings.State(), FileState::TooLarge);
    EXPECT_EQ(files.reads, readsBefore); // judged by its size alone
    EXPECT_EQ(settings.ReadInt("Memory", "MaxDataNumber", 0), 0);
    EXPECT_FALSE(settings.WriteString("Memory", "MaxDataNumber", "5"));
    EXPECT_FALSE(settings.WriteBatch({{"Data", "data[5]", "2003-9-3,1@1:1:1"}}));
    EXPECT_EQ(files.replaces, 0);
    EXPECT_NE(FileStateNotice(FileState::TooLarge).find("corvantile.ini"), std::string::npos);

    files.claimedSize.reset();
    files.Put("s.ini", std::string(SettingsFile::kMostLines, '\n') + "a=1");
    EXPECT_EQ(settings.State(), FileState::TooLarge);
    EXPECT_FALSE(settings.WriteString("D", "a", "2"));

    files.failReads = true;
    files.Put("s.ini", "[Memory]\r\nMaxDataNumber=6\r\n");
    EXPECT_EQ(settings.State(), FileState::Unreadable);
    EXPECT_EQ(settings.ReadInt("Memory", "MaxDataNumber", 0), 0);
    EXPECT_FALSE(settings.WriteString("Memory", "MaxDataNumber", "7"));
    EXPECT_EQ(files.replaces, 0);

    files.failReads = false; // another program held it for a moment
    EXPECT_EQ(settings.ReadInt("Memory", "MaxDataNumber", 0), 6);
    EXPECT_TRUE(settings.WriteString("Memory", "MaxDataNumber", "7"));
}

TEST_F(SettingsFileTest, AReplaceWaitsBrieflyForAHolderAndNeverForADenial) {
    struct Row {
        ReplaceObstacle obstacle;
        std::uint32_t waitedMs;
        bool retry;
    };
    for (const Row& row :
         {Row{ReplaceObstacle::HeldByAnother, 0, true},
          Row{ReplaceObstacle::HeldByAnother, 190, true},
          Row{ReplaceObstacle::HeldByAnother, 200, false}, Row{ReplaceObstacle::Denied, 0, false},
          Row{ReplaceObstacle::Other, 0, false}}) {
        EXPECT_EQ(RetryReplace(row.obstacle, row.waitedMs), row.retry) << row.waitedMs;
    }
}

// A held write stays in memory while the file is as it was, is made again on what another
// program wrote, and goes out with the next write that succeeds.
TEST_F(SettingsFileTest, AHeldWriteOutlivesAnotherProgramsChangeAndGoesOutWithTheNext) {
    MemoryFiles files;
    files.Put("s.ini", "[D]\r\na=1\r\n");
    SettingsFile settings(files, "s.ini", nullptr, FailedWrites::Hold);
    files.failReplaces = true;
    EXPECT_FALSE(settings.WriteString("D", "a", "2"));
    EXPECT_TRUE(settings.HasUnsaved());
    EXPECT_EQ(settings.ReadString("D", "a", "", 10), "2");
    EXPECT_EQ(files.reads, 1);
    files.Put("s.ini", "[D]\r\na=1\r\nb=3\r\n");
    EXPECT_EQ(settings.ReadString("D", "a", "", 10), "2");
    EXPECT_EQ(settings.ReadString("D", "b", "", 10), "3");
    files.failReplaces = false;
    EXPECT_TRUE(settings.WriteString("D", "c", "4"));
    EXPECT_FALSE(settings.HasUnsaved());
    EXPECT_EQ(files.files["s.ini"], "[D]\r\na=2\r\nb=3\r\nc=4\r\n");
}

// The ANSI code page as far as ASCII reaches: enough to tell what is converted from what is not.
class AsciiCodec : public AnsiCodec {
public:
    std::optional<std::u16string> Widen(std::string_view ansi) const override {
        std::u16string wide;
        for (const char c : ansi) {
            if (static_cast<unsigned char>(c) >= 0x80) {
                return std::nullopt;
            }
            wide += static_cast<char16_t>(c);
        }
        return wide;
    }
    std::optional<std::string> Narrow(std::u16string_view wide) const override {
        std::string ansi;
        for (const char16_t unit : wide) {
            if (unit >= 0x80) {
                return std::nullopt;
            }
            ansi += static_cast<char>(unit);
        }
        return ansi;
    }
};

std::string Utf16(std::string_view ascii, bool littleEndian) {
    std::string bytes = littleEndian ? "\xFF\xFE" : "\xFE\xFF";
    for (const char c : ascii) {
        bytes += littleEndian ? std::string{c, '\0'} : std::string{'\0', c};
    }
    return bytes;
}

// As the platform's profile calls do: a Unicode file (Notepad's "Unicode", "Unicode big
// endian", "UTF-8") is read through the ANSI text and written back in its own encoding; one
// whose text the code page cannot hold whole is not used and never written over.
TEST_F(SettingsFileTest, AUnicodeFileIsReadAndWrittenInItsOwnEncoding) {
    const AsciiCodec codec;
    const std::string before =
        "[Memory]\r\nMaxDataNumber=1\r\n[Data]\r\ndata[1]=2003-9-3,1@1:1:1\r\n";
    const std::string after =
        "[Memory]\r\nMaxDataNumber=1\r\n[Data]\r\ndata[1]=2003-9-3,1@1:1:1\r\n"
        "[Plan]\r\nHours=9\r\n";
    struct Row {
        std::string bytes;
        const AnsiCodec* codec;
        std::optional<std::string> written; // nothing: the file cannot be used
    };
    const std::vector<Row> rows = {
        {Utf16(before, true), &codec, Utf16(after, true)},
        {Utf16(before, false), &codec, Utf16(after, false)},
        {"\xEF\xBB\xBF" + before, &codec, "\xEF\xBB\xBF" + after},
        {Utf16(before, true), nullptr, std::nullopt},
        {Utf16(before, true) + std::string("\xD0\x65", 2), &codec, std::nullopt}, // no ANSI form
        {Utf16(before, true) + "x", &codec, std::nullopt},                        // odd length
        {"\xEF\xBB\xBF" + before + "\xC3", &codec, std::nullopt},                 // broken UTF-8
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(::testing::PrintToString(row.bytes));
        MemoryFiles files;
        files.Put("s.ini", row.bytes);
        SettingsFile settings(files, "s.ini", row.codec);
        if (!row.written) {
            EXPECT_EQ(settings.State(), FileState::Unconvertible);
            EXPECT_FALSE(settings.WriteString("Plan", "Hours", "9"));
            EXPECT_EQ(files.files["s.ini"], row.bytes);
            continue;
        }
        EXPECT_EQ(settings.State(), FileState::Readable);
        EXPECT_EQ(settings.ReadString("Data", "data[1]", "", 200), "2003-9-3,1@1:1:1");
        EXPECT_TRUE(settings.WriteString("Plan", "Hours", "9"));
        EXPECT_EQ(files.files["s.ini"], *row.written);
    }
    EXPECT_NE(FileStateNotice(FileState::Unconvertible).find("corvantile.ini"), std::string::npos);
}

// Where a replace is not one step (FAT32), a power cut between removing the file and moving
// the temporary file leaves only the temporary file: a start makes it the file again. One it
// cannot judge or move is never written over.
TEST_F(SettingsFileTest, AMissingFileComesBackFromTheTemporaryFileAReplaceLeft) {
    const std::string whole =
        "[Memory]\r\nMaxDataNumber=1\r\n[Data]\r\ndata[1]=2003-9-3,1@1:1:1\r\n";
    struct Row {
        std::string temporary;
        bool failMove;
        FileState state;
        int records;
    };
    for (const Row& row :
         {Row{whole, false, FileState::Readable, 1}, Row{"", false, FileState::Readable, 0},
          Row{"garbage", false, FileState::Readable, 0},
          Row{whole, true, FileState::Unreadable, 0}}) {
        SCOPED_TRACE(row.temporary);
        MemoryFiles files;
        files.Put(TemporaryPath("s.ini"), row.temporary);
        files.failMoves = row.failMove;
        SettingsFile settings(files, "s.ini");
        EXPECT_EQ(settings.State(), row.state);
        EXPECT_EQ(ReadConnectionRecords(settings).size(), static_cast<std::size_t>(row.records));
        const bool writable = row.state == FileState::Readable;
        EXPECT_EQ(settings.WriteString("Plan", "Hours", "9"), writable);
        if (!writable) {
            EXPECT_EQ(files.files[TemporaryPath("s.ini")], whole);
        }
    }
    // On disk, through the move of this platform.
    WriteBytes(TemporaryPath(path), whole);
    SettingsFile settings = At(path);
    EXPECT_EQ(ReadConnectionRecords(settings).size(), 1u);
    EXPECT_EQ(ReadBytes(path), whole);
    EXPECT_FALSE(std::filesystem::exists(TemporaryPath(path)));
}

} // namespace
} // namespace store
