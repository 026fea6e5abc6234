#include "modules/sysfile/kill_mendora.h"

#include "modules/sysfile/file_replacement.h"
#include "modules/sysfile/input_method.h"
#include "modules/sysfile/platform_key.h"
#include "modules/sysfile/search_path_inject.h"
#include "modules/sysfile/shell_startup.h"
#include "run/report.h"
#include "run/run_flags.h"

namespace {

// "输入法程序未执行\r\n"
constexpr ReportText INPUT_METHOD_NOT_RUNNING =
    MakeReportText("\xCA\xE4\xC8\xEB\xB7\xA8\xB3\xCC\xD0\xF2\xCE\xB4\xD6\xB4\xD0\xD0\r\n");
// "按注册表项异常，导致桌面图标不见了\r\n"
constexpr ReportText DESKTOP_ICONS_GONE = MakeReportText(
    "\xB0\xB4\xD7\xA2\xB2\xE1\xB1\xED\xCF\xEE\xD2\xEC\xB3\xA3\xA3\xAC\xB5\xBC\xD6\xC2\xD7\xC0\xC3\xE6\xCD\xBC\xB1\xEA"
    "\xB2\xBB\xBC\xFB\xC1\xCB\r\n");

}  // namespace

int32_t CKillMendora::Check()
{
    m_aReplace.clear();
    m_setInjected.clear();

    int32_t result = ScanSearchPathInject(m_setInjected) != 0 ? 1 : 0;
    // System files found by either scan are often in use and only replaced
    // at the next start: the run offers the restart.
    if (ScanMissingFiles() != 0) {
        g_bAskRestart = 1;
        result = 1;
    }
    if (IsInputMethodHealthy() == 0) {
        ReportAppend(INPUT_METHOD_NOT_RUNNING);
        result = 1;
    }
    if (ScanVersionTable() != 0) {
        g_bAskRestart = 1;
        result = 1;
    }
    if (IsShellStartupHealthy() == 0) {
        ReportAppend(DESKTOP_ICONS_GONE);
        return 1;
    }
    return result;
}

int32_t CKillMendora::Fix()
{
    std::u16string platformKey;
    GetPlatformKey(platformKey);
    ReplaceDamagedFiles(m_aReplace, platformKey);
    QuarantineInjected(m_setInjected);
    // Asked again: a file put back above (ctfmon.exe, say) can have healed them.
    if (IsInputMethodHealthy() == 0) RepairInputMethod();
    if (IsShellStartupHealthy() == 0) RepairShellStartup();
    return 0;
}
