#include "windows/HelpText.h"

#include <cstring>
#include <string>

#include <gtest/gtest.h>

namespace help {
namespace {

std::size_t Count(const std::string& text, const std::string& what) {
    std::size_t count = 0;
    for (std::size_t pos = text.find(what); pos != std::string::npos;
         pos = text.find(what, pos + what.size())) {
        ++count;
    }
    return count;
}

TEST(AppendLineTest, SeparatesLinesOnlyBetweenThem) {
    EXPECT_EQ(WithLineAppended("", ""), "");
    EXPECT_EQ(WithLineAppended("", "first"), "first");
    EXPECT_EQ(WithLineAppended("first", "second"), "first\r\nsecond");
    EXPECT_EQ(WithLineAppended("first", ""), "first\r\n");
    EXPECT_EQ(WithLineAppended("first\r\n", "x"), "first\r\n\r\nx");
    // A line of bare line feeds gets the separator all the same.
    EXPECT_EQ(WithLineAppended("a", "\n\n"), "a\r\n\n\n");
}

TEST(HelpTextTest, SixPiecesJoinedByFiveSeparators) {
    const std::string text = Text();
    EXPECT_EQ(Count(text, "\r\n"), 5u);
    EXPECT_NE(text.substr(0, 2), "\r\n");
    EXPECT_NE(text.substr(text.size() - 2), "\r\n");

    std::string joined = Pieces()[0];
    for (std::size_t i = 1; i < kPieceCount; ++i) {
        joined += std::string("\r\n") + Pieces()[i];
    }
    EXPECT_EQ(text, joined);
}

TEST(HelpTextTest, PiecesHoldTheFixedTexts) {
    EXPECT_STREQ(Pieces()[0], "Kelvorin使用说明");
    EXPECT_EQ(std::string(Pieces()[1]), std::string(31, '='));
    EXPECT_STREQ(Pieces()[2], "\n\n");
    EXPECT_STREQ(Pieces()[4], "\n\n");

    const std::string purpose = Pieces()[3];
    const std::string usage = Pieces()[5];
    // Four blanks, then the text.
    EXPECT_EQ(purpose.rfind("    现在很多地方", 0), 0u);
    EXPECT_EQ(usage.rfind("    软件使用方法", 0), 0u);
    EXPECT_NE(purpose.find("现在很多地方的 163/169包月上网都限制包月时间，比如每月限制100个小时！"),
              std::string::npos);
    EXPECT_NE(purpose.find("它件能记录每次上网的时间"), std::string::npos);
    EXPECT_EQ(purpose.substr(purpose.size() - std::strlen("以此节约上网费用！")),
              "以此节约上网费用！");
    EXPECT_NE(usage.find("点击“开始拨号”即可"), std::string::npos);
    EXPECT_NE(usage.find("点击“挂断网络”即可"), std::string::npos);
    EXPECT_NE(usage.find("只需点击“时间统计”即可！是不是很简单方便呢？"), std::string::npos);
    // No carriage return hides inside a piece: the five separators are the only ones.
    for (const char* piece : Pieces()) {
        EXPECT_EQ(std::strchr(piece, '\r'), nullptr) << piece;
    }
}

} // namespace
} // namespace help
