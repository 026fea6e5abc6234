#include "run/module_slots.h"

#include "modules/sysfile/kill_mendora.h"

// "修复无法连接云查杀服务器问题\r\n"
const ReportText HEADING_RISK_DRIVERS = MakeReportText(
    "\xD0\xDE\xB8\xB4\xCE\xDE\xB7\xA8\xC1\xAC\xBD\xD3\xD4\xC6\xB2\xE9\xC9\xB1\xB7\xFE\xCE\xF1\xC6\xF7\xCE\xCA\xCC\xE2\r\n");
// "修复被赛博qq感染型木马破坏的文件\r\n"
const ReportText HEADING_CYBO_QQ = MakeReportText(
    "\xD0\xDE\xB8\xB4\xB1\xBB\xC8\xFC\xB2\xA9qq\xB8\xD0\xC8\xBE\xD0\xCD\xC4\xBE\xC2\xED\xC6\xC6\xBB\xB5\xB5\xC4\xCE\xC4\xBC\xFE\r\n");
// "清除NetBios.sys木马\r\n"
const ReportText HEADING_FAKE_NETBIOS = MakeReportText("\xC7\xE5\xB3\xFDNetBios.sys\xC4\xBE\xC2\xED\r\n");
// "修复被破坏的系统文件\r\n"
const ReportText HEADING_MENDORA = MakeReportText(
    "\xD0\xDE\xB8\xB4\xB1\xBB\xC6\xC6\xBB\xB5\xB5\xC4\xCF\xB5\xCD\xB3\xCE\xC4\xBC\xFE\r\n");

namespace {

template <class Module>
std::unique_ptr<IModuleKillClient> Create()
{
    return std::make_unique<Module>();
}

// Placeholders until each module's class takes its slot.
class CKillRiskDriversSlot : public IModuleKillClientNull {};
class CKillCyboQQSlot : public IModuleKillClientNull {};
class CKillFakeNetBiosSlot : public IModuleKillClientNull {};

}  // namespace

const ModuleSlots& DefaultModuleSlots()
{
    static const ModuleSlots slots = {{
        {&Create<CKillRiskDriversSlot>, HEADING_RISK_DRIVERS, true},
        {&Create<CKillCyboQQSlot>, HEADING_CYBO_QQ, false},
        {&Create<CKillFakeNetBiosSlot>, HEADING_FAKE_NETBIOS, true},
        {&Create<CKillMendora>, HEADING_MENDORA, false},
    }};
    return slots;
}
