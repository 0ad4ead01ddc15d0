#include "tests/e2e/interop/InteropCases.h"

#include <cstdio>
#include <set>

#include "store/ConnectionRecord.h"
#include "store/SettingsKeys.h"

namespace interop {

namespace {

const std::string kGbkUser = "\xD3\xC3\xBB\xA7\xC3\xFB";         // 用户名
const std::string kGbkLong = "\xD6\xD0\xCE\xC4\xD7\xD6\xB7\xFB"; // 中文字符

std::string Escaped(const std::string& bytes) {
    std::string text;
    for (unsigned char c : bytes) {
        if (c >= 0x20 && c < 0x7F && c != '\\') {
            text.push_back(static_cast<char>(c));
        } else {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", c);
            text += hex;
        }
    }
    return text;
}

const std::vector<std::string>& SectionNames() {
    static const std::vector<std::string> names = {
        "Option", "OPTION", "Memory",           "Data", "data",    " Data ", "Other", "",
        "Empty",  "None",   "\xB2\xE2\xCA\xD4", "A3",   "Running", "New"};
    return names;
}

const std::vector<std::string>& KeyNames() {
    // clang-format off
    static const std::vector<std::string> names = {
        "SaveUserPwd", "User", "user", "Pwd", "Pos", "MaxDataNumber", "data[1]", "DATA[2]",
        "data[3]", "data[4]", "Blank", "Spaced", "Quoted", "Single", "Half", "Long", "Hex",
        "Negative", "Big", "Gbk", "GBK", " Gbk ", "missing", "noeq", ";c", "\xA3\xC1\xA3\xC2",
        "\xA3\xE1\xA3\xE2", "\xA6\xA1", "\xA6\xC1", "\xA7\xA1", "\xA7\xD1", "\xA2\xF1", "\xA2\xA1",
        "\xB0\x41", "\xB0\x61", "=", "Record", "Batch", "Gone", "k"};
    // clang-format on
    return names;
}

const std::vector<std::size_t>& BufferSizes() {
    // 152-154 cut the long value inside or after its first double-byte character.
    static const std::vector<std::size_t> sizes = {1,  2,  3,   4,   5,   6,   7,   8,
                                                   11, 30, 100, 152, 153, 154, 200, 1000};
    return sizes;
}

} // namespace

void WriteCases(store::ProfileStore& settings) {
    namespace keys = store::keys;
    settings.WriteString(keys::kOption, keys::kSaveUserPwd, "True");
    settings.WriteString(keys::kOption, keys::kUser, kGbkUser);
    settings.WriteString(keys::kOption, keys::kPwd, "  pass word  ");
    settings.WriteString(keys::kOption, keys::kPos, "3");
    settings.WriteString("option", "USER", kGbkUser + " 2");
    settings.WriteString("Other", "Blank", "");
    settings.WriteString("Other", "Spaced", "\t a  b \t");
    settings.WriteString("Other", "Quoted", "\"" + kGbkLong + "\"");
    settings.WriteString("Other", "Single", "'x'");
    settings.WriteString("Other", "Half", "\"abc");
    settings.WriteString("Other", "Long", std::string(150, 'L') + kGbkLong + std::string(99, 'l'));
    settings.WriteString("Other", "Hex", "0x1F");
    settings.WriteString("Other", "Negative", "-42");
    settings.WriteString("Other", "Big", "99999999999");
    settings.WriteString("Other", "Gbk", kGbkLong);
    settings.WriteString("Other", "\xA3\xC1\xA3\xC2", "fullwidth");
    settings.WriteString("Other", "\xA6\xA1", "greek");
    settings.WriteString("Other", "\xA7\xA1", "cyrillic");
    settings.WriteString("Other", "\xA2\xF1", "roman");
    settings.WriteString("Other", "\xB0\x41", "trail A");
    settings.WriteString("\xB2\xE2\xCA\xD4", "Gbk", kGbkUser);
    settings.WriteString(keys::kOption, keys::kPos, "12");
    settings.WriteString("Other", "Blank", "");

    const store::LocalTime hangUp{2003, 9, 3, 15, 9, 51};
    store::AppendConnectionRecord(settings, hangUp, 3725);
    store::AppendConnectionRecord(settings, {2003, 9, 4, 0, 0, 1}, 0);
    store::AppendConnectionRecord(settings, {2010, 12, 31, 23, 59, 59}, 86400);
    store::ClearConnectionRecords(settings);
    store::AppendConnectionRecord(settings, hangUp, 61);
    store::AppendConnectionRecord(settings, hangUp, 62);

    // A connection saved while running, then ended; another saved, then recovered; a third
    // left saved.
    store::SaveRunningConnection(settings, {2003, 9, 5, 8, 0, 0}, 60);
    store::SaveRunningConnection(settings, {2003, 9, 5, 8, 1, 0}, 120);
    store::AppendConnectionRecord(settings, {2003, 9, 5, 8, 1, 30}, 150);
    store::SaveRunningConnection(settings, {2003, 9, 6, 9, 0, 0}, 30);
    store::RecoverRunningConnection(settings);
    store::SaveRunningConnection(settings, {2003, 9, 7, 10, 0, 0}, 3600);

    // Batches: a key written twice, one added and removed, a new section, a removal of a
    // key the file had; then enough records for a clear too large to walk key by key.
    settings.WriteBatch({{"Other", "Batch", "one"},
                         {"OTHER", "batch", " two "},
                         {"Other", "Gone", "x"},
                         {"Other", "Gone", std::nullopt},
                         {"New", "k", kGbkLong},
                         {"Other", "Hex", std::nullopt},
                         {"Other", "missing", std::nullopt}});
    for (int i = 0; i < 40; ++i) {
        store::AppendConnectionRecord(settings, {2004, 1, 1 + i % 28, 12, i, 0}, i * 60);
    }
    store::ClearConnectionRecords(settings);
    store::AppendConnectionRecord(settings, hangUp, 63);
}

std::string DumpCases(const store::ProfileStore& settings) {
    std::string out;
    for (const std::string& section : SectionNames()) {
        out += "[" + Escaped(section) + "]\n";
        std::set<std::string> keyNames(KeyNames().begin(), KeyNames().end());
        for (const auto& [key, value] : settings.ReadSection(section)) {
            out += "  entry " + Escaped(key) + " = " + Escaped(value) + "\n";
            keyNames.insert(key);
        }
        for (const std::string& key : keyNames) {
            out +=
                "  " + Escaped(key) + ": int " + std::to_string(settings.ReadInt(section, key, -7));
            std::string last;
            for (std::size_t size : BufferSizes()) {
                const std::string value = settings.ReadString(section, key, "DEF ", size);
                if (value != last || size == BufferSizes().front()) {
                    out += " | " + std::to_string(size) + ":" + Escaped(value);
                    last = value;
                }
            }
            out += "\n";
        }
    }
    out += "records:\n";
    for (const std::string& record : store::ReadConnectionRecords(settings)) {
        out += "  " + Escaped(record) + "\n";
    }
    return out;
}

std::vector<std::pair<std::string, std::string>> Fixtures() {
    const std::string longRecord = "2003-9-3,1@" + std::string(220, '9');
    return {
        {"crlf", "[Option]\r\nSaveUserPwd=true\r\nUser=" + kGbkUser +
                     "\r\nPwd=\"q p\"\r\nPos=2\r\n"
                     "[Memory]\r\nMaxDataNumber=4\r\n[Data]\r\ndata[1]=2003-9-3,3725@15:9:51\r\n"
                     "data[2]=\r\ndata[4]=2003-9-4,0@0:0:1\r\ndata[5]=2003-9-5,1@1:1:1\r\n"},
        {"lf-no-final-newline", "[Memory]\nMaxDataNumber=0x3\n[Data]\nDATA[1]=2003-9-3,1@1:1:1\n"
                                "data[1]=2003-9-3,2@2:2:2\ndata[2]\ndata[2]=2003-9-3,3@3:3:3\n"
                                "data[3]=" +
                                    longRecord},
        {"cr-only", "[Data]\rdata[1]='2003-9-3,4@4:4:4'\r[Memory]\rMaxDataNumber=\"2\"\r"
                    "[Other]\rHex=0o17\rBig=4294967295"},
        {"messy",
         "; written by hand\r\n\r\n  [ Option ]  \r\n  User  =  " + kGbkLong +
             "  \r\nnoeq\r\n"
             ";c=comment\r\n=unnamed\r\n=second unnamed\r\n[Data]]\r\ndata[1]=hidden\r\n"
             "[data]\r\n data[1] = \"2003-9-3,5@5:5:5\" \r\n[Data\r\n\t\x1a\r\n[Memory]\r\n"
             "MaxDataNumber = 25abc\r\n[DATA]\r\ndata[2]=2003-9-3,6@6:6:6\r\n[A3]\r\n"
             "\xA3\xE1\xA3\xE2=small fullwidth\r\n\xA6\xC1=alpha\r\n\xB0\x61=trail a\r\n" +
             std::string("nul=1\0"
                         "2\r\n",
                         8)},
        {"empty", ""},
    };
}

namespace {

store::LocalTime LoopTime(int n) {
    return {2003 + n / 10000, 1 + n % 12, 1 + n % 28, n % 24, n % 60, (n * 7) % 60};
}

int LoopSeconds(int n) {
    return n % 86400;
}

} // namespace

std::string LoopRecord(int n) {
    return store::FormatConnectionRecord(LoopTime(n), LoopSeconds(n));
}

std::string FileWithRecords(int count) {
    std::string text = "[Option]\r\nSaveUserPwd=False\r\nUser=\r\nPwd=\r\nPos=0\r\n[Memory]\r\n"
                       "MaxDataNumber=" +
                       std::to_string(count) + "\r\n[Data]\r\n";
    for (int i = 1; i <= count; ++i) {
        text += store::RecordKey(i) + "=" + LoopRecord(i) + "\r\n";
    }
    return text;
}

void AppendLoop(store::ProfileStore& settings) {
    for (;;) {
        const int next = settings.ReadInt(store::keys::kMemory, store::keys::kMaxDataNumber, 0) + 1;
        store::AppendConnectionRecord(settings, LoopTime(next), LoopSeconds(next));
        std::printf("%d\n", next);
        std::fflush(stdout);
    }
}

std::string CheckAppended(const store::ProfileStore& settings, int* missing) {
    const int counter = settings.ReadInt(store::keys::kMemory, store::keys::kMaxDataNumber, 0);
    if (counter < 1) {
        return "a counter of " + std::to_string(counter);
    }
    std::vector<std::string> byNumber(static_cast<std::size_t>(counter) + 1);
    std::string fault;
    settings.VisitSection(store::keys::kData, [&](std::string_view key, std::string_view value) {
        int number = 0;
        char end = 0;
        if (std::sscanf(std::string(key).c_str(), "data[%d%c", &number, &end) == 2 && end == ']' &&
            number >= 1 && number <= counter) {
            byNumber[static_cast<std::size_t>(number)] = value;
        }
    });
    *missing = 0;
    for (int n = 1; n <= counter && fault.empty(); ++n) {
        const std::string& value = byNumber[static_cast<std::size_t>(n)];
        if (value.empty()) {
            ++*missing;
        } else if (value != LoopRecord(n)) {
            fault = "record " + std::to_string(n) + " reads " + Escaped(value);
        }
    }
    const std::size_t listed = store::ReadConnectionRecords(settings).size();
    if (fault.empty() && listed != static_cast<std::size_t>(counter - *missing)) {
        fault = std::to_string(listed) + " records listed of " + std::to_string(counter - *missing);
    }
    return fault;
}

} // namespace interop
