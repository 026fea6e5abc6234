#include "modules/sysfile/file_replacement.h"

#include <optional>
#include <vector>

#include "common/platform/handles.h"
#include "common/platform/wchar16.h"
#include "modules/sysfile/ascii_case.h"
#include "modules/sysfile/digest_index.h"
#include "modules/sysfile/md5.h"
#include "run/report.h"
#include "run/run_flags.h"
#include "run/stop_request.h"

namespace {

// "缺失的输入法程序\t"
constexpr ReportText REPORT_MISSING_IME_PROGRAM =
    MakeReportText("\xC8\xB1\xCA\xA7\xB5\xC4\xCA\xE4\xC8\xEB\xB7\xA8\xB3\xCC\xD0\xF2\t");
// "修复“桌面图标不见了”\t"
constexpr ReportText REPORT_DESKTOP_ICONS_REPAIRED = MakeReportText(
    "\xD0\xDE\xB8\xB4\xA1\xB0\xD7\xC0\xC3\xE6\xCD\xBC\xB1\xEA\xB2\xBB\xBC\xFB\xC1\xCB\xA1\xB1\t");
// "修复文件\t"
constexpr ReportText REPORT_FILE_REPAIRED = MakeReportText("\xD0\xDE\xB8\xB4\xCE\xC4\xBC\xFE\t");
constexpr ReportText REPORT_LINE_END = MakeReportText("\r\n");

constexpr DWORD MOVE_AT_RESTART = MOVEFILE_REPLACE_EXISTING | MOVEFILE_DELAY_UNTIL_REBOOT;

std::u16string FolderOf(const std::u16string& path)
{
    const size_t slash = path.rfind(u'\\');
    return slash == std::u16string::npos ? std::u16string() : path.substr(0, slash + 1);
}

// Where the download lands: the current directory under the digest's name.
std::u16string DownloadPath(const std::u16string& digestHex)
{
    char16_t folder[MAX_PATH] = {};
    const DWORD n = plat::P().GetCurrentDirectoryW(MAX_PATH, folder);
    if (n == 0 || n >= MAX_PATH) return digestHex;
    std::u16string path(folder, n);
    if (path.back() != u'\\') path += u'\\';
    return path + digestHex;
}

// Downloads the reference copy and returns its bytes when their MD5 is the
// item's digest. The downloaded file is removed in every case: the bytes in
// memory are what will be put in place, so nothing that another user can
// write to the download's folder afterwards reaches the system folder.
std::optional<std::vector<uint8_t>> FetchVerifiedCopy(const std::u16string& address, const std::u16string& digestHex)
{
    const std::u16string local = DownloadPath(digestHex);
    // Whatever already stands under that name is not a download of this run.
    plat::P().DeleteFileW(local.c_str());
    plat::P().URLDownloadToFileW(address.c_str(), local.c_str(), &RepairStopRequested);
    std::optional<std::vector<uint8_t>> content = ReadWholeFile(local);
    plat::P().DeleteFileW(local.c_str());
    if (!content || RepairStopRequested()) return std::nullopt;
    std::u16string hex;
    DigestToHex(Md5(content->data(), content->size()), hex);
    if (hex != digestHex) return std::nullopt;
    return content;
}

// Writes the verified bytes to a new file in the target's own folder, which
// only administrators can write, so the later move takes exactly these bytes.
bool StageCopy(const std::u16string& stagePath, const std::vector<uint8_t>& content)
{
    plat::UniqueFile file(plat::P().CreateFileW(stagePath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.Valid()) return false;
    DWORD written = 0;
    const bool ok = plat::P().WriteFile(file.Get(), content.data(), static_cast<DWORD>(content.size()), &written,
                                        nullptr) &&
                    written == content.size();
    file.Reset();
    if (!ok) plat::P().DeleteFileW(stagePath.c_str());
    return ok;
}

// Removes what stands at the target and moves the staged copy there, now or,
// for a file in use, at the next restart. True when the copy is in place or
// its move is queued.
bool PutInPlace(const std::u16string& stagePath, const std::u16string& target)
{
    plat::IPlatform& p = plat::P();
    // These two also take a folder standing under the file's name.
    ShellDeleteFile(target);
    p.RemoveDirectoryW(target.c_str());
    const bool inUse = p.GetFileAttributesW(target.c_str()) != INVALID_FILE_ATTRIBUTES && !p.DeleteFileW(target.c_str());
    // A copy that cannot move now, although the damaged file is gone, still
    // takes its place at the restart rather than leave the system without it.
    if (!inUse && p.MoveFileW(stagePath.c_str(), target.c_str())) return true;
    if (p.MoveFileExW(stagePath.c_str(), target.c_str(), MOVE_AT_RESTART)) {
        g_bAskRestart = 1;
        return true;
    }
    p.DeleteFileW(stagePath.c_str());
    return false;
}

void StartProgram(const std::u16string& path)
{
    plat::P().ShellExecuteW(nullptr, nullptr, path.c_str(), nullptr, nullptr, SW_SHOW);
}

void FollowUp(const std::u16string& target)
{
    if (ContainsNoCase(target, u"ctfmon.exe")) {
        ReportAppend(REPORT_MISSING_IME_PROGRAM);
        StartProgram(target);
    }
    if (ContainsNoCase(target, u"conime.exe")) {
        ReportAppend(REPORT_MISSING_IME_PROGRAM);
        StartProgram(target);
    }
    if (ContainsNoCase(target, u"explorer.exe")) {
        ReportAppend(REPORT_DESKTOP_ICONS_REPAIRED);
        StartProgram(target);
    }
    if (ContainsNoCase(target, u"\\drivers\\")) {
        InstallDriverService(target.substr(target.rfind(u'\\') + 1), target);
    }
}

void ReplaceOne(const ReplaceItem& item, const std::u16string& platformKey)
{
    const std::optional<std::vector<uint8_t>> content =
        FetchVerifiedCopy(MakeSysfileAddress(platformKey, item.DigestHex), item.DigestHex);
    if (!content) return;
    const std::u16string folder = FolderOf(item.TargetPath);
    if (folder.empty()) return;
    const std::u16string stagePath = folder + item.DigestHex;
    if (!StageCopy(stagePath, *content)) return;
    if (!PutInPlace(stagePath, item.TargetPath)) return;
    FollowUp(item.TargetPath);
    ReportAppend(REPORT_FILE_REPAIRED);
    ReportAppendWide(item.TargetPath.c_str());
    ReportAppend(REPORT_LINE_END);
}

}  // namespace

std::u16string MakeSysfileAddress(const std::u16string& platformKey, const std::u16string& digestHex)
{
    return std::u16string(u"http://") + VEXLO_SYSFILE_HOST + u"/sysfiles2/files/" + platformKey + u"/" + digestHex;
}

void ReplaceDamagedFiles(const std::vector<ReplaceItem>& items, const std::u16string& platformKey)
{
    for (const ReplaceItem& item : items) {
        // Between two items nothing is half done.
        if (RepairStopRequested()) return;
        ReplaceOne(item, platformKey);
    }
}

int32_t ShellDeleteFile(const std::u16string& path)
{
    if (path.empty()) return 0;
    // A list of one path, ended by two null characters.
    std::vector<char16_t> from(path.size() + 10, u'\0');
    std::copy(path.begin(), path.end(), from.begin());
    if (path.back() == u'\\') from[path.size() - 1] = u'\0';
    SHFILEOPSTRUCTW operation{};
    operation.wFunc = FO_DELETE;
    operation.pFrom = plat::AsWchar(from.data());
    operation.fFlags = FOF_SILENT | FOF_NOCONFIRMATION | FOF_NOCONFIRMMKDIR | FOF_NOERRORUI;
    return plat::P().SHFileOperationW(&operation) == 0 ? 1 : 0;
}

int32_t InstallDriverService(const std::u16string& serviceName, const std::u16string& driverPath)
{
    plat::IPlatform& p = plat::P();
    plat::UniqueServiceHandle manager(p.OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
    if (!manager) return 0;
    plat::UniqueServiceHandle service(p.CreateServiceW(manager.Get(), serviceName.c_str(), serviceName.c_str(),
                                                       SERVICE_ALL_ACCESS, SERVICE_KERNEL_DRIVER,
                                                       SERVICE_DEMAND_START, SERVICE_ERROR_NORMAL, driverPath.c_str(),
                                                       nullptr, nullptr, nullptr, nullptr, nullptr));
    if (!service) {
        if (p.GetLastError() != ERROR_SERVICE_EXISTS) return 0;
        service = plat::UniqueServiceHandle(p.OpenServiceW(manager.Get(), serviceName.c_str(), SERVICE_ALL_ACCESS));
        if (!service) return 0;
    }
    if (p.StartServiceW(service.Get(), 0, nullptr)) return 1;
    return p.GetLastError() == ERROR_SERVICE_ALREADY_RUNNING ? 1 : 0;
}
