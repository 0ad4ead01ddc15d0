// Any file content: reading never fails, the file reads as the same bytes in memory, the one-read
// record scan gives what key-by-key reads give, and a write changes what its own key reads and
// nothing else.

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "store/ConnectionRecord.h"
#include "store/IniDocument.h"
#include "store/IniFile.h"
#include "store/ProfileRules.h"
#include "store/SettingsKeys.h"

namespace {

const std::vector<std::string> kSections = {"Data", "data", " Memory ", "Option", "", "x]"};
const std::vector<std::string> kKeys = {"data[1]", "DATA[2]", "MaxDataNumber", "Pwd",
                                        ";c",      " k ",     "\xB0\x41",      "K2"};
const std::vector<std::string> kValues = {
    "", "2", " 0x3 ", "\"2003-9-3,1@1:1:1\"", "\xD6\xD0\xCE\xC4", "a=b"};

const std::string& TempPath() {
    static const std::string path = "/tmp/ini_reader_fuzzer_" + std::to_string(getpid()) + ".ini";
    static const bool cleanup = std::atexit([] { std::remove(TempPath().c_str()); }) == 0;
    (void)cleanup;
    return path;
}

void Check(bool condition) {
    if (!condition) {
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string& path = TempPath();
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    store::IniDocument settings(bytes);

    // The file on disk reads as the bytes in memory.
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out << bytes;
    }
    const store::IniFile file(path);
    Check(file.ReadSection("Data") == settings.ReadSection("Data"));
    Check(file.ReadString("Option", "Pwd", "x", 200) ==
          settings.ReadString("Option", "Pwd", "x", 200));

    const int count = settings.ReadInt(store::keys::kMemory, store::keys::kMaxDataNumber, 0);
    if (count <= 300) {
        std::vector<std::string> keyByKey;
        for (int i = 1; i <= count; ++i) {
            std::string value = settings.ReadString(store::keys::kData, store::RecordKey(i),
                                                    "Error", store::kRecordBufferChars);
            if (store::IsRecordText(value)) {
                keyByKey.push_back(std::move(value));
            }
        }
        Check(store::ReadConnectionRecords(settings) == keyByKey);
    }

    // A lead byte at the very end takes the byte after it into its character, whatever a
    // write appends; such a file cannot keep its last value (the platform's neither).
    std::size_t last = 0;
    for (std::size_t pos = 0; pos < bytes.size(); pos += store::rules::CharBytes(bytes, pos)) {
        last = pos;
    }
    const auto lastByte = bytes.empty() ? 0u : static_cast<unsigned char>(bytes[last]);
    if (last + 1 == bytes.size() && lastByte >= 0x81 && lastByte <= 0xFE) {
        return 0;
    }

    std::vector<std::string> before;
    for (const auto& section : kSections) {
        settings.ReadSection(section);
        for (const auto& key : kKeys) {
            before.push_back(settings.ReadString(section, key, "<none>", 40));
        }
    }
    const std::size_t pick = size == 0 ? 0 : data[0];
    const std::string& section = kSections[pick % kSections.size()];
    const std::string& key = kKeys[(pick / 8) % kKeys.size()];
    const std::string& value = kValues[(pick / 64) % kValues.size()];
    Check(settings.WriteString(section, key, value));
    std::size_t n = 0;
    for (const auto& s : kSections) {
        for (const auto& k : kKeys) {
            const std::string now = settings.ReadString(s, k, "<none>", 40);
            const bool same = store::rules::FoldCase(store::rules::TrimBlanks(s)) ==
                                  store::rules::FoldCase(store::rules::TrimBlanks(section)) &&
                              store::rules::FoldCase(store::rules::TrimBlanks(k)) ==
                                  store::rules::FoldCase(store::rules::TrimBlanks(key));
            if (same) {
                Check(now == store::rules::ValueAsRead(store::rules::TrimBlanks(value), 40));
            } else {
                Check(now == before[n]);
            }
            ++n;
        }
    }
    return 0;
}
