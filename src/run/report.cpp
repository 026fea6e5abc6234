#include "run/report.h"

#include <cstdio>
#include <string_view>

#include "common/platform/handles.h"
#include "common/text/ansi.h"

using plat::P;

namespace {

std::string& Report()
{
    static std::string report;
    return report;
}

constexpr DWORD kLogSizeLimit = 0x100000;

// "<common application data>\vexloTools\", or empty when Windows cannot name
// the folder: the log is then not written rather than put in the current directory.
std::u16string GetReportFolderPath()
{
    char16_t folder[MAX_PATH] = {};
    if (P().SHGetFolderPathW(nullptr, CSIDL_COMMON_APPDATA, nullptr, SHGFP_TYPE_CURRENT, folder) != S_OK) return {};
    folder[MAX_PATH - 1] = u'\0';
    std::u16string path(folder);
    if (path.empty()) return {};
    if (path.back() != u'\\') path += u'\\';
    path += u"vexloTools\\";
    return path;
}

void CreateFolderChain(const std::u16string& folderPath)
{
    for (size_t pos = folderPath.find(u'\\'); pos != std::u16string::npos; pos = folderPath.find(u'\\', pos + 1)) {
        const std::u16string prefix = folderPath.substr(0, pos);
        P().CreateDirectoryW(prefix.c_str(), nullptr);
    }
}

}  // namespace

void ReportAssign(const char16_t* text)
{
    Report() = text == nullptr ? std::string() : text::WideToAnsi(text);
}

void ReportFormatStartLine(int year, int month, int day, int hour, int minute, int second)
{
    char line[80];
    const int n = std::snprintf(line, sizeof line, "StartTime:%i-%i-%i %i:%i:%i\r\n\r\n", year, month, day, hour, minute,
                                second);
    Report().assign(line, n > 0 ? static_cast<size_t>(n) : 0);
}

size_t ReportLength() { return Report().size(); }

const char* ReportData() { return Report().c_str(); }

void ReportAppend(const void* bytes, size_t count)
{
    if (bytes == nullptr || count == 0) return;
    // Copy first: the source may lie inside the report, which append may move.
    const std::string copy(static_cast<const char*>(bytes), count);
    Report() += copy;
}

void ReportAppend(const ReportText& text) { ReportAppend(text.bytes, text.size); }

void ReportAppendWide(const char16_t* text)
{
    if (text == nullptr) return;
    Report() += text::WideToAnsi(text);
}

std::u16string GetReportFilePath()
{
    std::u16string path = GetReportFolderPath();
    if (path.empty()) return {};
    return path + u"Tools.log";
}

BOOL WriteReportFile()
{
    const std::u16string folder = GetReportFolderPath();
    if (folder.empty()) return FALSE;
    CreateFolderChain(folder);
    const std::u16string path = folder + u"Tools.log";
    plat::UniqueFile file(P().CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                                          FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.Valid()) return FALSE;
    DWORD sizeHigh = 0;
    const DWORD sizeLow = P().GetFileSize(file.Get(), &sizeHigh);
    const bool sizeKnown = !(sizeLow == INVALID_FILE_SIZE && P().GetLastError() != NO_ERROR);
    if (sizeKnown && (sizeHigh != 0 || sizeLow > kLogSizeLimit)) {
        P().SetFilePointer(file.Get(), 0, nullptr, FILE_BEGIN);
        P().SetEndOfFile(file.Get());
    } else {
        LONG high = 0;
        P().SetFilePointer(file.Get(), 0, &high, FILE_END);
    }
    const std::string& report = Report();
    DWORD written = 0;
    P().WriteFile(file.Get(), report.data(), static_cast<DWORD>(report.size()), &written, nullptr);
    return TRUE;
}

void OpenReportFile()
{
    const std::u16string path = GetReportFilePath();
    if (path.empty()) return;
    P().ShellExecuteW(nullptr, u"open", path.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}
