// Any file content, in memory: reading never fails; the one-read record scan gives what
// key-by-key reads give; a write changes what its own key reads and nothing else; a batch of
// edits gives what the same edits give one after the other; the one-pass clear empties every
// record; and every edited document reads like a fresh parse of its bytes.

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "store/ConnectionRecord.h"
#include "store/IniDocument.h"
#include "store/ProfileRules.h"
#include "store/SettingsKeys.h"

namespace {

const std::vector<std::string> kSections = {"Data", "data", " Memory ", "Option", "", "x]"};
const std::vector<std::string> kKeys = {"data[1]", "DATA[2]", "MaxDataNumber", "Pwd",
                                        ";c",      " k ",     "\xB0\x41",      "K2"};
const std::vector<std::string> kValues = {
    "", "2", " 0x3 ", "\"2003-9-3,1@1:1:1\"", "\xD6\xD0\xCE\xC4", "a=b", "\xD6", "x\ry"};

void Check(bool condition) {
    if (!condition) {
        std::abort();
    }
}

// What the listing of a section shows, as one number: equal listings give equal numbers.
std::uint64_t Listing(const store::IniDocument& document, const std::string& section) {
    std::uint64_t hash = 1469598103934665603u;
    auto add = [&hash](std::string_view text) {
        for (char c : text) {
            hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211u;
        }
        hash = (hash ^ 0x100u) * 1099511628211u; // ends a text
    };
    document.VisitSection(section, [&add](std::string_view key, std::string_view value) {
        add(key);
        add(value);
    });
    return hash;
}

// The listings of the sections above: an edited document lists what a fresh parse of its
// bytes lists.
bool ListsLike(const store::IniDocument& document, const store::IniDocument& fresh) {
    for (const auto& section : kSections) {
        if (Listing(document, section) != Listing(fresh, section)) {
            return false;
        }
    }
    return true;
}

// The records as data[1] ... data[n] read one key at a time would give them.
void CheckRecordScan(const store::IniDocument& settings) {
    const int count = settings.ReadInt(store::keys::kMemory, store::keys::kMaxDataNumber, 0);
    if (count < 1 || count > 40) {
        return;
    }
    std::vector<std::string> keyByKey;
    for (int i = 1; i <= count; ++i) {
        std::string value = settings.ReadString(store::keys::kData, store::RecordKey(i), "Error",
                                                store::kRecordBufferChars);
        if (store::IsRecordText(value)) {
            keyByKey.push_back(std::move(value));
        }
    }
    Check(store::ReadConnectionRecords(settings) == keyByKey);
}

// The one-pass clear empties every record the counter covered, and reads like a fresh parse
// of what it wrote.
void CheckClear(store::IniDocument settings) {
    const int count = settings.ReadInt(store::keys::kMemory, store::keys::kMaxDataNumber, 0);
    if (count < 1) {
        return; // nothing to clear
    }
    store::ClearConnectionRecords(settings);
    Check(ListsLike(settings, store::IniDocument(settings.Bytes())));
    Check(settings.ReadInt(store::keys::kMemory, store::keys::kMaxDataNumber, 0) <= 0);
    for (int i = 1; i <= count && i <= 40; ++i) {
        const std::string value =
            settings.ReadString(store::keys::kData, store::RecordKey(i), "Error", 20);
        Check(value.empty() || value == "Error");
    }
}

// The keys listed in a section.
std::vector<std::string> ListedKeys(const store::IniDocument& document,
                                    const std::string& section) {
    std::vector<std::string> keys;
    document.VisitSection(
        section, [&keys](std::string_view key, std::string_view) { keys.emplace_back(key); });
    return keys;
}

// True when the text's last character is a lead byte without its trail byte: it takes the
// byte after it (a line end a write adds) into itself. Characters count after a byte order
// mark, as the parser counts them.
bool EndsInLoneLeadByte(std::string_view text) {
    if (text.substr(0, 3) == "\xEF\xBB\xBF") {
        text.remove_prefix(3);
    }
    std::size_t last = 0;
    for (std::size_t pos = 0; pos < text.size(); pos += store::rules::CharBytes(text, pos)) {
        last = pos;
    }
    const auto lastByte = text.empty() ? 0u : static_cast<unsigned char>(text[last]);
    return last + 1 == text.size() && lastByte >= 0x81 && lastByte <= 0xFE;
}

bool SameName(const std::string& a, const std::string& b) {
    return store::rules::FoldCase(store::rules::TrimBlanks(a)) ==
           store::rules::FoldCase(store::rules::TrimBlanks(b));
}

// A write of the key pick names reads back as written, and changes no other read:
// the other sections list what they listed, and the other keys of its own section (the only
// lines whose parse a new line could change) read as they did.
void CheckWrite(store::IniDocument settings, std::uint8_t pick) {
    const std::string bytes = settings.Bytes();
    const std::string& section = kSections[pick % kSections.size()];
    const std::string& key = kKeys[(pick / 6) % kKeys.size()];
    const std::string& value = kValues[(pick / 48) % kValues.size()];
    std::vector<std::uint64_t> listings;
    for (const auto& s : kSections) {
        listings.push_back(Listing(settings, s));
    }
    const std::vector<std::string> neighbours =
        ListedKeys(settings, std::string(store::rules::TrimBlanks(section)));
    std::vector<std::string> before;
    for (const auto& k : neighbours) {
        before.push_back(settings.ReadString(section, k, "<none>", 40));
    }
    settings.Set(section, key, value);
    Check(ListsLike(settings, store::IniDocument(settings.Bytes())));
    // A line break in the value, or a lead byte before a line end, cannot read back as written
    // (nor does it through the platform's calls).
    if (value.find_first_of("\r\n") != std::string::npos || EndsInLoneLeadByte(value) ||
        EndsInLoneLeadByte(bytes)) {
        return;
    }
    Check(settings.ReadString(section, key, "<none>", 40) ==
          store::rules::ValueAsRead(store::rules::TrimBlanks(value), 40));
    for (std::size_t n = 0; n < kSections.size(); ++n) {
        Check(SameName(kSections[n], section) || Listing(settings, kSections[n]) == listings[n]);
    }
    for (std::size_t n = 0; n < neighbours.size(); ++n) {
        Check(SameName(neighbours[n], key) ||
              settings.ReadString(section, neighbours[n], "<none>", 40) == before[n]);
    }
}

// Edits from the last bytes of the input: one after the other and as one batch.
void CheckBatch(const store::IniDocument& settings, const std::uint8_t* data, std::size_t size) {
    store::ProfileEdits edits;
    for (std::size_t i = size > 6 ? size - 6 : 0; i < size; ++i) {
        const std::uint8_t pick = data[i];
        std::optional<std::string> value;
        if (pick % 5 != 0) {
            value = kValues[(pick / 5) % kValues.size()];
        }
        edits.push_back(
            {kSections[(pick / 3) % kSections.size()], kKeys[(pick / 7) % kKeys.size()], value});
    }
    store::IniDocument oneByOne = settings;
    for (const store::ProfileEdit& edit : edits) {
        if (edit.value) {
            oneByOne.Set(edit.section, edit.key, *edit.value);
        } else {
            oneByOne.Remove(edit.section, edit.key);
        }
    }
    store::IniDocument batch = settings;
    batch.Apply(edits);
    Check(batch.Bytes() == oneByOne.Bytes());
    const store::IniDocument fresh(batch.Bytes());
    Check(ListsLike(batch, fresh));
    for (const store::ProfileEdit& edit : edits) {
        Check(batch.ReadString(edit.section, edit.key, "<none>", 40) ==
              fresh.ReadString(edit.section, edit.key, "<none>", 40));
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const store::IniDocument settings(bytes);
    CheckRecordScan(settings);
    // The first byte picks the edit, as it picks what a write writes.
    const std::uint8_t pick = size == 0 ? 0 : data[0];
    switch (pick % 3) {
    case 0:
        CheckClear(settings);
        break;
    case 1:
        CheckBatch(settings, data, size);
        break;
    default:
        CheckWrite(settings, static_cast<std::uint8_t>(pick / 3));
    }
    return 0;
}
