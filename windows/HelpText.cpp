#include "windows/HelpText.h"

namespace help {

namespace {

constexpr const char* kTitle = "Kelvorin使用说明";
constexpr const char* kRule = "===============================";
// Bare line feeds: the edit control shows them as it likes; the lines around them still get
// their "\r\n".
constexpr const char* kGap = "\n\n";
// clang-format off
constexpr const char* kPurpose =
    "    现在很多地方的 163/169包月上网都限制包月时间，比如每月限制100个小时！"
    "如果超出了时间，每小时还要加收电话费，很多朋友往往由于超出时间而被多收费！"
    "如果采用手工记录方式，每次都得把时间计下来，最后核算的时候仍然很麻烦！"
    "本软件就是为解决这个问题而写的！"
    "它件能记录每次上网的时间，以便到时候核对总时间，确保不会超过ISP规定的包月时间，"
    "以此节约上网费用！";
constexpr const char* kUsage =
    "    软件使用方法很简单，运行程序后，软件将检测所有拨号连接。"
    "此时您只需选择一个连接，然后输入用户名合密码，点击“开始拨号”即可，"
    "拨号成功后，软件将最小化到系统托盘中，同时在后台为你计时，"
    "当你不需要上网的时候，打开软件界面，点击“挂断网络”即可，此时上网时间已经被自动保存了，"
    "如果你想查看上网时间记录，只需点击“时间统计”即可！是不是很简单方便呢？";
// clang-format on

} // namespace

const std::array<const char*, kPieceCount>& Pieces() {
    static const std::array<const char*, kPieceCount> pieces = {kTitle,   kRule, kGap,
                                                                kPurpose, kGap,  kUsage};
    return pieces;
}

std::string WithLineAppended(const std::string& text, const std::string& line) {
    std::string result = text;
    if (!result.empty()) {
        result += "\r\n";
    }
    result += line;
    return result;
}

std::string Text() {
    std::string text;
    for (const char* piece : Pieces()) {
        text = WithLineAppended(text, piece);
    }
    return text;
}

} // namespace help
