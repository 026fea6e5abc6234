#include "modules/sysfile/search_path_inject.h"

#include <algorithm>
#include <vector>

#include "common/platform/handles.h"
#include "modules/sysfile/ascii_case.h"
#include "modules/sysfile/pe_image.h"
#include "modules/sysfile/probe_names.h"
#include "modules/sysfile/system_folders.h"
#include "modules/sysfile/windows_version.h"
#include "run/report.h"
#include "run/run_flags.h"
#include "run/stop_request.h"

namespace {

// "Search Path Inject\t"
constexpr ReportText REPORT_SEARCH_PATH_INJECT = MakeReportText("Search Path Inject\t");
constexpr ReportText REPORT_LINE_END = MakeReportText("\r\n");

// Files younger than this beside a program are taken as planted.
constexpr uint64_t AGE_LIMIT_SECONDS = 604800;
constexpr uint64_t FILETIME_TICKS_PER_SECOND = 10000000;

constexpr DWORD MUI_NAME_CHARS = 16384;  // the longest value name and its terminator
constexpr DWORD LONG_PATH_CHARS = 512;

uint64_t Ticks(const FILETIME& time)
{
    return (static_cast<uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

bool OpenMuiCache(plat::UniqueRegKey& key)
{
    const bool vistaOrLater = ReadWindowsVersion().major >= 6;
    const HKEY root = vistaOrLater ? HKEY_CLASSES_ROOT : HKEY_CURRENT_USER;
    const char16_t* path = vistaOrLater ? u"Local Settings\\Software\\Microsoft\\Windows\\Shell\\MuiCache"
                                        : u"Software\\Microsoft\\Windows\\ShellNoRoam\\MUICache";
    return plat::P().RegCreateKeyExW(root, path, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_READ, nullptr,
                                     key.Receive(), nullptr) == ERROR_SUCCESS;
}

// The lower-cased long form of a found file, with the "\\?\" prefix; the
// candidate itself when Windows gives no long form that fits.
std::u16string LongLowerPath(const std::u16string& candidate)
{
    std::vector<char16_t> buffer(LONG_PATH_CHARS, u'\0');
    const DWORD n = plat::P().GetLongPathNameW(candidate.c_str(), buffer.data(), LONG_PATH_CHARS);
    std::u16string path = n == 0 || n >= LONG_PATH_CHARS ? candidate : std::u16string(buffer.data(), n);
    return LowerAscii(std::move(path));
}

// Created within the age limit, compared in UTC on both sides.
bool IsRecent(const plat::UniqueFile& file)
{
    FILETIME created{};
    if (!plat::P().GetFileTime(file.Get(), &created, nullptr, nullptr)) return false;
    FILETIME now{};
    plat::P().GetSystemTimeAsFileTime(&now);
    const uint64_t limit = AGE_LIMIT_SECONDS * FILETIME_TICKS_PER_SECOND;
    const uint64_t nowTicks = Ticks(now);
    return Ticks(created) >= (nowTicks > limit ? nowTicks - limit : 0);
}

bool IsPlanted(const std::u16string& path)
{
    if (IsPeImage(path) == 0) return true;
    plat::UniqueFile file(
        plat::P().CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    if (!file.Valid()) return true;
    return IsRecent(file);
}

bool ScanProgramFolder(const std::u16string& folder, std::set<std::u16string>& injected)
{
    bool added = false;
    for (const char16_t* name : ProbeNames) {
        const std::u16string candidate = u"\\\\?\\" + folder + name;
        const DWORD attributes = plat::P().GetFileAttributesW(candidate.c_str());
        // A folder under a library's name is never loaded in its place.
        if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) continue;
        const std::u16string path = LongLowerPath(candidate);
        if (IsPlanted(path)) {
            injected.insert(path);
            added = true;
        }
    }
    return added;
}

}  // namespace

int32_t ScanSearchPathInject(std::set<std::u16string>& injected)
{
    plat::UniqueRegKey key;
    if (!OpenMuiCache(key)) return 0;
    std::u16string windowsFolder;
    GetWindowsFolder(windowsFolder);
    // Without it nothing can be told apart from the system's own programs.
    if (windowsFolder.empty()) return 0;
    windowsFolder = LowerAscii(std::move(windowsFolder));

    int32_t result = 0;
    std::vector<char16_t> name(MUI_NAME_CHARS, u'\0');
    for (DWORD index = 0;; ++index) {
        DWORD nameChars = MUI_NAME_CHARS;
        if (plat::P().RegEnumValueW(key.Get(), index, name.data(), &nameChars, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS) {
            break;
        }
        const std::u16string program(name.data(), std::min<DWORD>(nameChars, MUI_NAME_CHARS - 1));
        // Only full paths with a drive letter name a program; others are
        // resource references into system libraries.
        if (program.size() < 3 || program[1] != u':' || program[2] != u'\\') continue;
        const std::u16string folder = LowerAscii(program.substr(0, program.rfind(u'\\') + 1));
        if (folder.find(windowsFolder) != std::u16string::npos) continue;
        if (ScanProgramFolder(folder, injected)) result = 1;
    }
    return result;
}

void QuarantineInjected(const std::set<std::u16string>& injected)
{
    plat::IPlatform& p = plat::P();
    for (const std::u16string& path : injected) {
        // Between two files nothing is half done.
        if (RepairStopRequested()) return;
        const std::u16string backup = path + u".qrest";
        if (p.CopyFileW(path.c_str(), backup.c_str(), FALSE)) {
            if (!p.DeleteFileW(path.c_str())) {
                p.MoveFileExW(path.c_str(), backup.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_DELAY_UNTIL_REBOOT);
                g_bAskRestart = 1;
            }
        } else if (!p.MoveFileExW(path.c_str(), backup.c_str(), MOVEFILE_REPLACE_EXISTING)) {
            // Without a backup the file is only renamed, never deleted: it
            // takes the backup's place now or at the next restart.
            p.MoveFileExW(path.c_str(), backup.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_DELAY_UNTIL_REBOOT);
            g_bAskRestart = 1;
        }
        ReportAppend(REPORT_SEARCH_PATH_INJECT);
        ReportAppendWide(path.c_str());
        ReportAppend(REPORT_LINE_END);
    }
}
