// Machines for the system-file module's tests: the examined files as a
// reference installation holds them, the platform's digest index among the
// program's resources, and healthy input-method and shell start-up settings.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "common/platform/sim/sim_machine.h"

namespace sysfile_test {

inline const std::u16string kSystemFolder = u"C:\\WINDOWS\\system32\\";
inline const std::u16string kWindowsFolder = u"C:\\WINDOWS\\";
inline const std::u16string kIndexFile =
    u"C:\\Documents and Settings\\All Users\\Application Data\\morvathTools\\mendora.idx";

// The 36 paths the missing-file scan examines, in its order.
std::vector<std::u16string> ProbePaths();

// The reference build's version text of a system-folder file for a platform,
// from the reference version table; empty when the table has no row.
std::u16string ReferenceVersion(const std::u16string& platformKey, const std::u16string& fileName);

// A PE image carrying the version text, distinct for every path.
std::string ImageFor(const std::u16string& path, const std::u16string& versionText);

// Path -> content of a reference installation of the platform: every probe
// path, version-table files with their reference text, the rest with the
// platform's usual text.
std::map<std::u16string, std::string> ReferenceFiles(const std::u16string& platformKey);

// Index bytes with one record per file (its path key and content digest).
std::vector<uint8_t> IndexOf(const std::map<std::u16string, std::string>& files);

class SysfileMachine : public plat::sim::SimMachine {
public:
    // Windows XP SP3 with a Simplified-Chinese interface (0501.0300.2052),
    // healthy, its files those of the reference installation, the index of
    // all of them but msvcr71.dll as resource 214.
    SysfileMachine();

    void InstallFiles(const std::map<std::u16string, std::string>& files);
    void SetIndex(WORD resourceId, const std::vector<uint8_t>& index);
    // ctfmon.exe running, the language bar shown, Winlogon naming userinit.exe and explorer.exe.
    void MakeStartupHealthy();

    std::map<std::u16string, std::string> m_reference;
    // Resource 214.
    std::vector<uint8_t> m_index;
    DWORD m_ctfmonProcess = 0;
};

}  // namespace sysfile_test
