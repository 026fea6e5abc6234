// The program's main dialog: start/stop button, status line, three links and
// the two painted bands. In a continuation start it runs the repair at once
// and ends without ever showing its window.
#pragma once

#include <windows.h>

#include <atomic>

#include "run/module_slots.h"
#include "run/runner.h"
#include "ui/framework/dialog_impl.h"
#include "ui/framework/gdi_handles.h"
#include "ui/logic/run_control.h"
#include "ui/repair_worker.h"
#include "ui/resource.h"
#include "ui/simple_link.h"

class ICommunication {
public:
    virtual ~ICommunication() = default;
    virtual BOOL IsStopRequested() = 0;
};

inline constexpr COLORREF BAND_COLOR = 0xFFEFDE;

class CMainDlg : public fw::CDialogImpl<CMainDlg, fw::CWindow>, public ICommunication, public IRepairHost {
public:
    enum { IDD = IDD_MAIN };

    explicit CMainDlg(const ModuleSlots& slots);

    BOOL ProcessWindowMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

    BOOL IsStopRequested() override { return *m_run.StopFlag() != 0; }
    // Read by the worker; null once the window is gone, so a late completion goes nowhere.
    HWND GetRepairHostWindow() override { return m_hHostWindow.load(); }

    // Once the dialog has ended: gives a run that was still going up to this
    // long to reach its next safe point; true when no worker is left.
    bool WaitForWorkerAfterEnd(DWORD milliseconds) { return m_run.WaitForWorkerToEnd(milliseconds); }

private:
    void OnInitDialog();
    void OnCommand(WORD id);
    void OnStartStop();
    void OnRepairDone();
    void OnFinishingTimer();
    void OnEnding(INT_PTR result);
    void Paint(HDC dc);
    void ShowIdle();
    void OpenPage(const std::u16string& url);

    std::atomic<HWND> m_hHostWindow{nullptr};
    fw::UniqueIcon m_hIconBig;
    fw::UniqueIcon m_hIconSmall;
    CSimpleLink m_linkForumBoard;
    CSimpleLink m_linkHome;
    CSimpleLink m_linkForumStart;
    fw::UniqueBitmap m_hLogo;
    const ModuleSlots& m_slots;
    RepairWorker m_worker;
    ui::RepairRunControl m_run;
};
