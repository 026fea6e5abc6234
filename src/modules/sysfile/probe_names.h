// The system libraries and programs that malware most often replaces, or
// plants beside a program to be loaded in place of the system's copy.
#pragma once

#include <array>

inline constexpr std::array<const char16_t*, 33> ProbeNames = {
    u"dsound.dll",   u"ddraw.dll",    u"d3d8.dll",     u"rpcss.dll",    u"olepro32.dll", u"d3d8thk.dll",
    u"wsock32.dll",  u"comdlg32.dll", u"d3d9.dll",     u"lpk.dll",      u"kernel32.dll", u"ksuser.dll",
    u"urlmon.dll",   u"npptools.dll", u"rundll32.exe", u"ntsd.exe",     u"shdocvw.dll",  u"comres.dll",
    u"imm32.dll",    u"midimap.dll",  u"dinput8.dll",  u"userenv.dll",  u"usp10.dll",    u"ctfmon.exe",
    u"msvcrt.dll",   u"dbghelp.dll",  u"iphlpapi.dll", u"iertutil.dll", u"conime.exe",   u"userinit.exe",
    u"msimg32.dll",  u"sensapi.dll",  u"msvcr71.dll",
};
