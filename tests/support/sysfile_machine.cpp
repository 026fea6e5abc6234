#include "support/sysfile_machine.h"

#include "common/platform/sim/sim_pe_image.h"
#include "modules/sysfile/digest_index.h"
#include "modules/sysfile/probe_names.h"
#include "modules/sysfile/reference_versions.h"

namespace sysfile_test {

std::vector<std::u16string> ProbePaths()
{
    std::vector<std::u16string> paths;
    for (const char16_t* name : ProbeNames) paths.push_back(kSystemFolder + name);
    paths.push_back(kSystemFolder + u"drivers\\netbios.sys");
    paths.push_back(kWindowsFolder + u"explorer.exe");
    paths.push_back(kWindowsFolder + u"regedit.exe");
    return paths;
}

std::u16string ReferenceVersion(const std::u16string& platformKey, const std::u16string& fileName)
{
    for (const ReferenceVersionRow& row : ReferenceVersionTable()) {
        if (platformKey == row.platformKey && fileName == row.fileName) return row.versionText;
    }
    return {};
}

std::string ImageFor(const std::u16string& path, const std::u16string& versionText)
{
    return plat::sim::VersionedImage(versionText, std::string(path.begin(), path.end()));
}

std::map<std::u16string, std::string> ReferenceFiles(const std::u16string& platformKey)
{
    std::map<std::u16string, std::string> files;
    for (const std::u16string& path : ProbePaths()) {
        std::u16string version;
        if (path.compare(0, kSystemFolder.size(), kSystemFolder) == 0) {
            version = ReferenceVersion(platformKey, path.substr(kSystemFolder.size()));
        }
        if (version.empty()) version = ReferenceVersion(platformKey, u"kernel32.dll");
        files[path] = ImageFor(path, version);
    }
    return files;
}

std::vector<uint8_t> IndexOf(const std::map<std::u16string, std::string>& files)
{
    std::vector<DigestRecord> records;
    for (const auto& [path, content] : files) {
        records.push_back({MakePathKey(path, kWindowsFolder), Md5(content.data(), content.size())});
    }
    return BuildDigestIndex(std::move(records));
}

SysfileMachine::SysfileMachine()
{
    m_reference = ReferenceFiles(u"0501.0300.2052");
    InstallFiles(m_reference);
    std::map<std::u16string, std::string> indexed = m_reference;
    // In none of the shipped indexes.
    indexed.erase(kSystemFolder + u"msvcr71.dll");
    m_index = IndexOf(indexed);
    SetIndex(214, m_index);
    MakeStartupHealthy();
}

void SysfileMachine::InstallFiles(const std::map<std::u16string, std::string>& files)
{
    for (const auto& [path, content] : files) AddFile(path, content);
}

void SysfileMachine::SetIndex(WORD resourceId, const std::vector<uint8_t>& index)
{
    SetResource(u"bin", resourceId, std::string(index.begin(), index.end()));
}

void SysfileMachine::MakeStartupHealthy()
{
    m_ctfmonProcess = StartProcess(kSystemFolder + u"ctfmon.exe");
    SetRegValue(HKEY_CURRENT_USER, u"Software\\Microsoft\\CTF\\MSUTB", u"ShowDeskBand", REG_DWORD,
                std::string("\x01\0\0\0", 4));
    SetRegValue(HKEY_CURRENT_USER, u"Software\\Microsoft\\CTF\\LangBar", u"ShowStatus", REG_DWORD,
                std::string("\x04\0\0\0", 4));
    const std::u16string winlogon = u"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon";
    SetRegString(HKEY_LOCAL_MACHINE, winlogon, u"Userinit", kSystemFolder + u"userinit.exe,");
    SetRegString(HKEY_LOCAL_MACHINE, winlogon, u"Shell", u"Explorer.exe");
}

}  // namespace sysfile_test
