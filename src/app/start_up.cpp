#include "app/start_up.h"

#include <commctrl.h>
#include <objbase.h>

#include "app/continuation.h"
#include "common/platform/win32/win32_platform.h"
#include "ui/framework/module_state.h"
#include "ui/main_dlg.h"

namespace {

// How long a run that was still going when the dialog ended may take to reach
// its next safe point. Steps end within seconds; the bound only matters for a
// step that hangs, and then the process ends with the step's outcome unknown.
constexpr DWORD kEndOfRunWaitMs = 30000;

}  // namespace

int RunProgram(HINSTANCE instance, const ModuleSlots& slots)
{
    plat::Win32Platform platform;
    plat::InstallPlatform(&platform);
    const HRESULT com = ::CoInitialize(nullptr);
    ::SetErrorMode(SEM_NOOPENFILEERRORBOX | SEM_NOALIGNMENTFAULTEXCEPT);
    INITCOMMONCONTROLSEX controls = {};
    controls.dwSize = sizeof controls;
    controls.dwICC = ICC_BAR_CLASSES;
    ::InitCommonControlsEx(&controls);
    fw::CModuleState::Init(instance);

    INT_PTR result = 0;
    {
        CMainDlg dialog(slots);
        result = dialog.DoModal(::GetActiveWindow());
        // Without a desktop to make windows on (a session without a display)
        // the dialog never starts; the continuation run needs no window.
        if (result == -1 && ContinuationRequested()) {
            RunContinuation(nullptr, slots);
            result = 0;
        }
        if (!dialog.WaitForWorkerAfterEnd(kEndOfRunWaitMs)) {
            // The worker still uses the platform, the report and this dialog:
            // leave without tearing any of them down under it.
            ::ExitProcess(static_cast<UINT>(result));
        }
    }

    fw::CModuleState::Term();
    if (SUCCEEDED(com)) ::CoUninitialize();
    plat::InstallPlatform(nullptr);
    return static_cast<int>(result);
}
