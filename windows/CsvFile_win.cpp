#include "windows/CsvFile_win.h"

#include <windows.h>
#include <commdlg.h>

#include <vector>

#include "plan/CsvExport.h"
#include "store/FileBytes.h"

namespace {

constexpr char kFilter[] = "CSV 文件 (*.csv)\0*.csv\0所有文件 (*.*)\0*.*\0";
constexpr const char* kDefaultName = "kelvorin.csv";
constexpr UINT kProgramCodePage = 936;

// Empty text, or one that does not convert, gives an empty result.
std::string ToUtf8(const std::string& text) {
    if (text.empty()) {
        return {};
    }
    const int size = static_cast<int>(text.size());
    const int wide = ::MultiByteToWideChar(kProgramCodePage, 0, text.data(), size, nullptr, 0);
    if (wide <= 0) {
        return {};
    }
    std::vector<wchar_t> buffer(static_cast<size_t>(wide));
    ::MultiByteToWideChar(kProgramCodePage, 0, text.data(), size, buffer.data(), wide);
    const int bytes =
        ::WideCharToMultiByte(CP_UTF8, 0, buffer.data(), wide, nullptr, 0, nullptr, nullptr);
    if (bytes <= 0) {
        return {};
    }
    std::string utf8(static_cast<size_t>(bytes), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, buffer.data(), wide, utf8.data(), bytes, nullptr, nullptr);
    return utf8;
}

} // namespace

std::optional<std::string> AskCsvPath(const CWnd& owner) {
    char file[MAX_PATH] = {};
    lstrcpynA(file, kDefaultName, sizeof file);
    OPENFILENAMEA dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = owner.GetSafeHwnd();
    dialog.lpstrFilter = kFilter;
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = file;
    dialog.nMaxFile = sizeof file;
    dialog.lpstrDefExt = "csv";
    dialog.Flags =
        OFN_EXPLORER | OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
    if (!::GetSaveFileNameA(&dialog)) {
        return std::nullopt;
    }
    return std::string(file);
}

bool WriteUtf8File(const std::string& path, const std::string& text) {
    return plan::WriteCsvFile(store::SystemFileBytes(), path, ToUtf8(text));
}

std::string CsvNotWrittenNotice(const std::string& path) {
    return "无法写入文件“" + path + "”，记录没有导出。请换一个位置或文件名再试。";
}
