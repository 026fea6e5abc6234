/* A library that is nothing but its version resource, to stand in place of a
   system library: a build older than the reference, or one that carries the
   reference build's version text with other content. */
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved)
{
    (void)instance;
    (void)reason;
    (void)reserved;
    return TRUE;
}
