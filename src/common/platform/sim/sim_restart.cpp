// A simulated restart and the logon after it.
#include "common/platform/sim/sim_system_file_state.h"

namespace plat::sim {

namespace {

std::u16string DosPath(std::u16string ntPath)
{
    if (ntPath.starts_with(u"\\??\\")) ntPath.erase(0, 4);
    return ntPath;
}

}  // namespace

std::vector<std::pair<std::u16string, std::u16string>> SimMachine::PendingRenames() const
{
    std::lock_guard lock(m_lock);
    std::vector<std::pair<std::u16string, std::u16string>> out;
    auto value = GetRegValue(HKEY_LOCAL_MACHINE, SESSION_MANAGER_KEY, PENDING_RENAMES_VALUE);
    if (!value) return out;
    const auto parts = SplitMultiString(value->data);
    for (size_t i = 0; i + 1 < parts.size(); i += 2) {
        std::u16string target = parts[i + 1];
        if (target.starts_with(u"!")) target.erase(0, 1);
        out.emplace_back(DosPath(parts[i]), DosPath(target));
    }
    return out;
}

void SimMachine::SimulateRestart()
{
    std::lock_guard lock(m_lock);
    // Nothing runs any more, so nothing is loaded or held open.
    std::erase_if(m_pSysFiles->processes, [](const SystemFileState::Process& p) { return p.id > 4 && !p.self; });
    m_pSysFiles->runningServices.clear();
    m_heldFiles.clear();

    if (auto value = GetRegValue(HKEY_LOCAL_MACHINE, SESSION_MANAGER_KEY, PENDING_RENAMES_VALUE)) {
        const auto parts = SplitMultiString(value->data);
        for (size_t i = 0; i + 1 < parts.size(); i += 2) {
            const std::u16string fromKey = NormalizeSimPath(DosPath(parts[i]));
            std::u16string target = parts[i + 1];
            const bool replace = target.starts_with(u"!");
            if (replace) target.erase(0, 1);
            if (FindNode(fromKey) == nullptr) continue;
            if (target.empty()) {
                DeleteTree(fromKey);
                continue;
            }
            target = DosPath(target);
            const std::u16string toKey = NormalizeSimPath(target);
            if (const FileNode* existing = FindNode(toKey)) {
                if (!replace || existing->directory) continue;
                m_files.erase(toKey);
            }
            if (ParentIsDirectory(toKey)) MoveNode(fromKey, target);
        }
        auto node = FindSubKey(RootNode(HKEY_LOCAL_MACHINE), SESSION_MANAGER_KEY);
        std::erase_if(node->values, [](const RegValue& v) { return FoldName(v.name) == FoldName(PENDING_RENAMES_VALUE); });
    }

    // The logon runs each RunOnce command once and removes it.
    for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER}) {
        auto node = FindSubKey(RootNode(root), u"Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce");
        if (!node) continue;
        for (const RegValue& value : node->values) {
            std::u16string command(reinterpret_cast<const char16_t*>(value.data.data()), value.data.size() / 2);
            const size_t end = command.find(u'\0');
            if (end != std::u16string::npos) command.resize(end);
            m_pSysFiles->logonCommands.push_back(command);
        }
        node->values.clear();
    }
}

std::vector<std::u16string> SimMachine::LogonCommands() const
{
    std::lock_guard lock(m_lock);
    return m_pSysFiles->logonCommands;
}

}  // namespace plat::sim
