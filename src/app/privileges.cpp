#include "app/privileges.h"

#include "common/platform/handles.h"

using plat::P;

BOOL EnablePrivilege(const char16_t* name)
{
    HANDLE opened = nullptr;
    if (!P().OpenProcessToken(P().GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &opened)) return FALSE;
    const plat::UniqueHandle token(opened);
    LUID id = {};
    if (!P().LookupPrivilegeValueW(nullptr, name, &id)) return FALSE;
    TOKEN_PRIVILEGES privileges = {};
    privileges.PrivilegeCount = 1;
    privileges.Privileges[0].Luid = id;
    privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    return P().AdjustTokenPrivileges(token.Get(), FALSE, &privileges, sizeof privileges, nullptr, nullptr) ? TRUE : FALSE;
}

BOOL EnableDebugPrivilege() { return EnablePrivilege(u"SeDebugPrivilege"); }

BOOL EnableShutdownPrivilege() { return EnablePrivilege(u"SeShutdownPrivilege"); }
