// State of the in-memory machine behind downloads, running processes,
// services, file searches and the restart. Private to the sim's sources.
#pragma once

#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "common/platform/sim/sim_machine.h"

namespace plat::sim {

struct SimMachine::SystemFileState {
    std::map<std::u16string, HttpHandler> urls;
    std::vector<std::u16string> downloadRequests;

    std::optional<FILETIME> systemTime;
    std::u16string tempPath = u"C:\\Documents and Settings\\User\\Local Settings\\Temp\\";
    std::u16string currentDirectory = u"C:\\Documents and Settings\\User";

    struct Process {
        DWORD id = 0;
        std::u16string exePath;  // empty for the system's own processes
        std::vector<std::u16string> modules;
        bool openable = true;
        // The program itself: its file is whatever the module file name says.
        bool self = false;
    };
    std::vector<Process> processes;
    std::map<DWORD, UINT> exitCodes;
    DWORD nextProcessId = 1000;

    struct Snapshot {
        std::vector<PROCESSENTRY32W> processes;
        std::vector<MODULEENTRY32W> modules;
        size_t nextProcess = 0;
        size_t nextModule = 0;
    };
    std::map<uintptr_t, Snapshot> snapshots;
    struct ProcessHandle {
        DWORD id;
        DWORD access;
    };
    std::map<uintptr_t, ProcessHandle> processHandles;

    struct Search {
        std::vector<WIN32_FIND_DATAW> entries;
        size_t next = 0;
    };
    std::map<uintptr_t, Search> searches;

    struct ServiceHandle {
        bool manager = false;
        DWORD access = 0;
        std::u16string name;  // as the service key spells it
    };
    std::map<uintptr_t, ServiceHandle> serviceHandles;
    std::set<std::u16string> runningServices;  // folded names

    std::vector<std::u16string> logonCommands;
};

// Where Windows keeps the queue of moves for the next start.
inline constexpr const char16_t* SESSION_MANAGER_KEY = u"SYSTEM\\CurrentControlSet\\Control\\Session Manager";
inline constexpr const char16_t* PENDING_RENAMES_VALUE = u"PendingFileRenameOperations";
inline constexpr const char16_t* SERVICES_KEY = u"SYSTEM\\CurrentControlSet\\Services";

// The strings of a REG_MULTI_SZ value, without the empty one that ends the
// list. The queue of moves is a list of pairs whose target may be empty (a
// deletion), so an empty string inside the list is kept.
inline std::vector<std::u16string> SplitMultiString(const std::string& bytes)
{
    std::u16string text(reinterpret_cast<const char16_t*>(bytes.data()), bytes.size() / 2);
    std::vector<std::u16string> parts;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find(u'\0', start);
        if (end == std::u16string::npos) end = text.size();
        parts.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    while (parts.size() % 2 != 0 && parts.back().empty()) parts.pop_back();
    return parts;
}

}  // namespace plat::sim
