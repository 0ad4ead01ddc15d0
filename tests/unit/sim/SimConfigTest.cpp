#include "sim/SimConfig.h"

#include <gtest/gtest.h>

namespace simras {
namespace {

std::vector<std::uint32_t> States(const DialScript& script) {
    std::vector<std::uint32_t> states;
    for (const DialEvent& ev : script.events)
        states.push_back(ev.state);
    return states;
}

TEST(SimConfigEntries, KeepFileOrderSpacesAndUtf8Names) {
    SimConfig config = ParseSimConfig("\xEF\xBB\xBF"
                                      "entry = 宽带连接\r\n"
                                      "  entry=拨号上网 163   # comment after a blank\r\n"
                                      "\r\n"
                                      "# a whole-line comment\n"
                                      "entry = Dial#2\n"
                                      "entry = Kelvorin 演示");
    EXPECT_TRUE(config.errors.empty());
    EXPECT_EQ(config.entries,
              (std::vector<std::string>{"宽带连接", "拨号上网 163", "Dial#2", "Kelvorin 演示"}));
    EXPECT_TRUE(config.HasEntry("拨号上网 163"));
    EXPECT_FALSE(config.HasEntry("拨号上网"));
}

TEST(SimConfigEntries, EmptyAndDuplicateNamesAreRejected) {
    SimConfig config = ParseSimConfig("entry = a\nentry =\nentry = a\n");
    EXPECT_EQ(config.entries, std::vector<std::string>{"a"});
    ASSERT_EQ(config.errors.size(), 2u);
    EXPECT_EQ(config.errors[0].line, 2);
    EXPECT_EQ(config.errors[1].line, 3);
}

TEST(SimConfigScripts, OwnSectionThenCommonThenBuiltIn) {
    SimConfig none = ParseSimConfig("entry = a\n");
    DialScript builtIn = none.ScriptFor("a");
    EXPECT_EQ(States(builtIn), (std::vector<std::uint32_t>{0, 1, 2, 3, 4, 5, 14, 0x2000}));
    EXPECT_EQ(builtIn.refuseCode, 0u);
    EXPECT_FALSE(builtIn.dropAfterMs);

    SimConfig config = ParseSimConfig("entry = a\nentry = 拨号上网 163\n"
                                      "[dial]\nevent = 0x2000 5\n"
                                      "[ dial 拨号上网 163 ]\nrefuse = 651\n");
    EXPECT_TRUE(config.errors.empty());
    EXPECT_EQ(States(config.ScriptFor("a")), std::vector<std::uint32_t>{0x2000});
    EXPECT_EQ(config.ScriptFor("拨号上网 163").refuseCode, 651u);
    EXPECT_TRUE(config.ScriptFor("拨号上网 163").events.empty());
}

TEST(SimConfigScripts, EmptySectionIsADialThatNeverProgresses) {
    SimConfig config = ParseSimConfig("entry = a\n[dial]\n");
    ASSERT_TRUE(config.commonScript);
    EXPECT_TRUE(config.ScriptFor("a").events.empty());
}

TEST(SimConfigScripts, EventsKeepOrderDelaysErrorsAndDrop) {
    SimConfig config = ParseSimConfig("[dial x]\n"
                                      "event = 0 150\n"
                                      "event = 0X12\t20   691\n"
                                      "drop_after = 0x10\n"
                                      "[dial]\nevent = 1 1\n"
                                      "[dial x]\n" // a repeated section continues the script
                                      "event = 0x2000 0 0\n");
    EXPECT_TRUE(config.errors.empty());
    DialScript x = config.ScriptFor("x");
    ASSERT_EQ(x.events.size(), 3u);
    EXPECT_EQ(x.events[0].state, 0u);
    EXPECT_EQ(x.events[0].delayMs, 150u);
    EXPECT_EQ(x.events[0].error, 0u);
    EXPECT_EQ(x.events[1].state, 18u);
    EXPECT_EQ(x.events[1].delayMs, 20u);
    EXPECT_EQ(x.events[1].error, 691u);
    EXPECT_EQ(x.events[2].state, 0x2000u);
    EXPECT_EQ(x.dropAfterMs, 16u);
}

TEST(SimConfigScripts, EventsAfterHangUpAndTheTimeTheLineTakesToGo) {
    SimConfig config = ParseSimConfig("[dial]\nevent = 0x2000 10\nafter_hangup = 5 0\n"
                                      "after_hangup = 0x2001 40 631\nhangup_ms = 500\n"
                                      "hangup_ms = later\n");
    ASSERT_EQ(config.errors.size(), 1u);
    EXPECT_EQ(config.errors[0].line, 6);
    DialScript script = config.ScriptFor("any");
    EXPECT_EQ(States(script), std::vector<std::uint32_t>{0x2000});
    ASSERT_EQ(script.afterHangUp.size(), 2u);
    EXPECT_EQ(script.afterHangUp[1].state, 0x2001u);
    EXPECT_EQ(script.afterHangUp[1].delayMs, 40u);
    EXPECT_EQ(script.afterHangUp[1].error, 631u);
    EXPECT_EQ(script.hangUpMs, 500u);
    EXPECT_EQ(DefaultDialScript().hangUpMs, 0u);
}

TEST(SimConfigErrors, BadLinesAreReportedWithTheirNumbersAndSkipped) {
    SimConfig config = ParseSimConfig("event = 0 10\n"           // 1: outside a section
                                      "[dial]\n"                 // 2
                                      "event = 0\n"              // 3: too few values
                                      "event = 0 10 1 2\n"       // 4: too many values
                                      "event = -1 10\n"          // 5: sign
                                      "event = 0x100000000 10\n" // 6: beyond 32 bits
                                      "event = 0x 10\n"          // 7: no hex digits
                                      "refuse = 0\n"             // 8: zero is no refusal
                                      "drop_after = soon\n"      // 9
                                      "colour = red\n"           // 10: unknown key
                                      "just words\n"             // 11: no '='
                                      "event = 7 0\n");          // 12: fine
    std::vector<int> lines;
    for (const ConfigError& e : config.errors)
        lines.push_back(e.line);
    EXPECT_EQ(lines, (std::vector<int>{1, 3, 4, 5, 6, 7, 8, 9, 10, 11}));
    DialScript script = config.ScriptFor("anything");
    EXPECT_EQ(States(script), std::vector<std::uint32_t>{7});
    EXPECT_EQ(script.refuseCode, 0u);
    EXPECT_FALSE(script.dropAfterMs);
}

TEST(SimConfigErrors, BadSectionHeaderSkipsItsKeysQuietly) {
    SimConfig config = ParseSimConfig("[phonebook]\nevent = 1 1\n[dial\nevent = 2 2\n"
                                      "[dialx]\nentry = still-read\n");
    ASSERT_EQ(config.errors.size(), 3u);
    EXPECT_EQ(config.errors[0].line, 1);
    EXPECT_EQ(config.errors[1].line, 3);
    EXPECT_EQ(config.errors[2].line, 5);
    EXPECT_FALSE(config.commonScript);
    EXPECT_TRUE(config.perEntry.empty());
    EXPECT_EQ(config.entries, std::vector<std::string>{"still-read"});
}

// `connection`, `traffic` and `counters_start`: the name first, the numbers last, so that names
// may hold blanks; they belong to no section.
TEST(SimConfigConnections, NameThenNumbersAnywhereInTheFile) {
    using Counts = std::map<std::string, ByteCounts>;
    struct Row {
        const char* text;
        std::vector<std::pair<std::string, std::uint32_t>> connections;
        Counts traffic;
        Counts countersStart;
        std::vector<int> errorLines;
    } rows[] = {
        {"connection = 宽带连接 3600", {{"宽带连接", 3600}}, {}, {}, {}},
        {"connection =  拨号上网  163\t0x10  # up for 16 s", {{"拨号上网  163", 16}}, {}, {}, {}},
        {"traffic = 拨号上网 163 1000 250\ncounters_start = 拨号上网 163 0xFFFFFF00 4294967295",
         {},
         {{"拨号上网 163", {1000, 250}}},
         {{"拨号上网 163", {0xFFFFFF00u, 0xFFFFFFFFu}}},
         {}},
        {"[dial x]\nevent = 1 1\nconnection = b 5\n[bogus]\ntraffic = b 1 2",
         {{"b", 5}},
         {{"b", {1, 2}}},
         {},
         {4}},
        {"connection = 3600\nconnection = a\nconnection = a b\nconnection = a -1\n"
         "traffic = a 1\ncounters_start = a 1 0x100000000\ntraffic = 1 2",
         {},
         {},
         {},
         {1, 2, 3, 4, 5, 6, 7}},
        {"connection = a 1\nconnection = a 2\ntraffic = a 1 1\ntraffic = a 2 2\n"
         "counters_start = a 1 1\ncounters_start = a 2 2",
         {{"a", 1}},
         {{"a", {1, 1}}},
         {{"a", {1, 1}}},
         {2, 4, 6}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.text);
        SimConfig config = ParseSimConfig(row.text);
        std::vector<std::pair<std::string, std::uint32_t>> connections;
        for (const OutsideConnection& c : config.connections)
            connections.emplace_back(c.name, c.elapsedS);
        EXPECT_EQ(connections, row.connections);
        EXPECT_EQ(config.trafficPerS, row.traffic);
        EXPECT_EQ(config.countersStart, row.countersStart);
        std::vector<int> lines;
        for (const ConfigError& e : config.errors)
            lines.push_back(e.line);
        EXPECT_EQ(lines, row.errorLines);
        for (const auto& [name, rate] : row.traffic)
            EXPECT_EQ(config.TrafficFor(name), rate);
        EXPECT_EQ(config.TrafficFor("nobody"), ByteCounts());
        EXPECT_EQ(config.CountersStartFor("nobody"), ByteCounts());
        EXPECT_TRUE(config.entries.empty());
    }
}

TEST(SimConfigLog, QuotingKeepsOneTokenPerValue) {
    EXPECT_EQ(QuoteForLog(""), "\"\"");
    EXPECT_EQ(QuoteForLog("拨号上网 163"), "\"拨号上网 163\"");
    EXPECT_EQ(QuoteForLog("a\"b\\c"), "\"a\\\"b\\\\c\"");
    EXPECT_EQ(QuoteForLog("x\ny\tz\x01"), "\"x\\ny\\tz\\x01\"");
}

} // namespace
} // namespace simras
