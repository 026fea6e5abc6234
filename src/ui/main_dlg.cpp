#include "ui/main_dlg.h"

#include <string>

#include "app/continuation.h"
#include "app/privileges.h"
#include "app/product_probe.h"
#include "common/platform/platform.h"
#include "run/run_flags.h"
#include "ui/bk_font_pool.h"
#include "ui/framework/module_state.h"
#include "ui/logic/link_targets.h"
#include "ui/ok_dlg.h"

namespace {

constexpr wchar_t kTitle[] = L"Vexlo杀毒系统文件修复工具";
constexpr wchar_t kHomeLinkText[] = L"Vexlo杀毒安全网";
constexpr wchar_t kButtonStart[] = L"开始修复";
constexpr wchar_t kButtonStop[] = L"停止修复";
constexpr wchar_t kStatusRunning[] = L"正在扫描中。。。 ";
constexpr wchar_t kStatusIdle[] = L"请点击“开始修复”，立即检测缺少的文件，修复系统";
// While a stopped run's worker finishes the step it is in; no second run starts meanwhile.
constexpr wchar_t kStatusFinishing[] = L"正在停止上一次修复，请稍候。。。";

constexpr int kBandHeight = 40;
constexpr int kLogoFromRight = 100;
constexpr int kLogoBelowBandTop = 7;
constexpr int kTitleInset = 50;
constexpr UINT_PTR kFinishingTimer = 1;
constexpr UINT kFinishingPollMs = 100;

HICON LoadProgramIcon(int widthMetric, int heightMetric)
{
    return static_cast<HICON>(::LoadImageW(fw::CModuleState::Instance(), MAKEINTRESOURCEW(IDI_VEXLO), IMAGE_ICON,
                                           ::GetSystemMetrics(widthMetric), ::GetSystemMetrics(heightMetric), 0));
}

void DrawBitmap(HDC dc, HBITMAP bitmap, int x, int y)
{
    BITMAP info = {};
    if (bitmap == nullptr || ::GetObjectW(bitmap, sizeof info, &info) == 0) return;
    const HDC memory = ::CreateCompatibleDC(dc);
    if (memory == nullptr) return;
    {
        fw::ScopedSelect select(memory, bitmap);
        ::BitBlt(dc, x, y, info.bmWidth, info.bmHeight, memory, 0, 0, SRCCOPY);
    }
    ::DeleteDC(memory);
}

void FillBand(HDC dc, const RECT& band, HBRUSH brush, int lineY)
{
    if (brush != nullptr) ::FillRect(dc, &band, brush);
    ::MoveToEx(dc, band.left, lineY, nullptr);
    ::LineTo(dc, band.right, lineY);
}

}  // namespace

CMainDlg::CMainDlg(const ModuleSlots& slots) : m_slots(slots), m_worker(*this, slots), m_run(m_worker) {}

BOOL CMainDlg::ProcessWindowMessage(HWND window, UINT message, WPARAM wParam, LPARAM, LRESULT& result)
{
    result = 0;
    switch (message) {
    case WM_INITDIALOG:
        m_hHostWindow = window;
        OnInitDialog();
        result = TRUE;
        return TRUE;
    case WM_REPAIR_DONE:
        OnRepairDone();
        return TRUE;
    case WM_COMMAND:
        OnCommand(LOWORD(wParam));
        return TRUE;
    case WM_TIMER:
        if (wParam != kFinishingTimer) return FALSE;
        OnFinishingTimer();
        return TRUE;
    case WM_ERASEBKGND:
        Paint(reinterpret_cast<HDC>(wParam));
        result = 1;
        return TRUE;
    case WM_NCDESTROY:
        m_hHostWindow = nullptr;
        return FALSE;
    default:
        return FALSE;
    }
}

void CMainDlg::OnInitDialog()
{
    if (ContinuationRequested()) {
        RunContinuation(this, m_slots);
        // Ended before it was ever shown; its completion message is never handled.
        EndDialog(0);
        return;
    }
    g_bSecondProc = 0;

    fw::CenterWindow(m_hWnd);
    m_hIconBig.Reset(LoadProgramIcon(SM_CXICON, SM_CYICON));
    SetIcon(m_hIconBig.Get(), TRUE);
    m_hIconSmall.Reset(LoadProgramIcon(SM_CXSMICON, SM_CYSMICON));
    SetIcon(m_hIconSmall.Get(), FALSE);
    SetWindowText(kTitle);
    SetDlgItemText(IDC_LINK_HOME, kHomeLinkText);
    m_hLogo.Reset(static_cast<HBITMAP>(
        ::LoadImageW(fw::CModuleState::Instance(), MAKEINTRESOURCEW(IDB_LOGO), IMAGE_BITMAP, 0, 0, 0)));

    m_linkForumBoard.AttachToControl(GetDlgItem(IDC_LINK_FORUM_BOARD));
    m_linkHome.AttachToControl(GetDlgItem(IDC_LINK_HOME));
    m_linkForumStart.AttachToControl(GetDlgItem(IDC_LINK_FORUM_START));
    // These two lie on the bottom band.
    m_linkHome.SetBackgroundColor(BAND_COLOR);
    m_linkForumStart.SetBackgroundColor(BAND_COLOR);

    EnableDebugPrivilege();
    EnableShutdownPrivilege();
    ProbeProduct();
}

void CMainDlg::OnCommand(WORD id)
{
    switch (id) {
    case IDOK:
        OnEnding(1);
        break;
    case IDCANCEL:
        OnEnding(2);
        break;
    case IDC_START_STOP:
        OnStartStop();
        break;
    case IDC_LINK_FORUM_BOARD:
        OpenPage(ui::ForumBoardUrl());
        break;
    case IDC_LINK_HOME:
        OpenPage(ui::HomePageVisitUrl());
        break;
    case IDC_LINK_FORUM_START:
        OpenPage(ui::ForumStartPageUrl());
        break;
    default:
        break;
    }
}

void CMainDlg::OnStartStop()
{
    if (m_run.CanStart()) {
        // The worker of the last run has ended, so every completion it posted is
        // already queued: none of them may be taken for the new run's.
        MSG stale;
        while (::PeekMessageW(&stale, m_hWnd, WM_REPAIR_DONE, WM_REPAIR_DONE, PM_REMOVE)) {
        }
    }
    switch (m_run.OnStartStop()) {
    case ui::StartStopOutcome::Started:
        SetDlgItemText(IDC_START_STOP, kButtonStop);
        SetDlgItemText(IDC_STATUS, kStatusRunning);
        break;
    case ui::StartStopOutcome::Stopped:
        // The dialog does not wait for the worker any longer; it closes the run itself.
        PostMessage(WM_REPAIR_DONE);
        break;
    case ui::StartStopOutcome::NotStarted:
    case ui::StartStopOutcome::WorkerFinishing:
    case ui::StartStopOutcome::Ignored:
        break;
    }
}

void CMainDlg::OnRepairDone()
{
    if (g_bSecondProc != 0 || !m_run.OnRunDone()) return;
    {
        COKDlg result(m_run.StopFlag());
        result.DoModal(::GetActiveWindow());
    }
    m_run.OnResultClosed();
    ShowIdle();
}

void CMainDlg::ShowIdle()
{
    SetDlgItemText(IDC_START_STOP, kButtonStart);
    if (m_run.CanStart()) {
        ::EnableWindow(GetDlgItem(IDC_START_STOP), TRUE);
        SetDlgItemText(IDC_STATUS, kStatusIdle);
        return;
    }
    ::EnableWindow(GetDlgItem(IDC_START_STOP), FALSE);
    SetDlgItemText(IDC_STATUS, kStatusFinishing);
    ::SetTimer(m_hWnd, kFinishingTimer, kFinishingPollMs, nullptr);
}

void CMainDlg::OnFinishingTimer()
{
    if (!m_run.CanStart()) return;
    ::KillTimer(m_hWnd, kFinishingTimer);
    const HWND button = GetDlgItem(IDC_START_STOP);
    ::EnableWindow(button, TRUE);
    SetDlgItemText(IDC_STATUS, kStatusIdle);
    SendMessage(WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(button), TRUE);
}

void CMainDlg::OnEnding(INT_PTR result)
{
    ::KillTimer(m_hWnd, kFinishingTimer);
    m_run.OnDialogEnding();
    EndDialog(result);
}

void CMainDlg::OpenPage(const std::u16string& url)
{
    plat::P().ShellExecuteW(m_hWnd, u"open", url.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

void CMainDlg::Paint(HDC dc)
{
    RECT client = {};
    ::GetClientRect(m_hWnd, &client);
    ::FillRect(dc, &client, ::GetSysColorBrush(COLOR_BTNFACE));
    const fw::UniqueBrush band(::CreateSolidBrush(BAND_COLOR));

    RECT bottom = client;
    bottom.top = bottom.bottom - kBandHeight;
    FillBand(dc, bottom, band.Get(), bottom.top);
    DrawBitmap(dc, m_hLogo.Get(), client.right - kLogoFromRight, bottom.top + kLogoBelowBandTop);

    RECT top = {0, 0, client.right, kBandHeight};
    FillBand(dc, top, band.Get(), kBandHeight);

    ::SetBkMode(dc, TRANSPARENT);
    fw::ScopedSelect font(dc, BkFontPool::GetFont(ui::FONT_KEY_TITLE));
    if (m_hIconBig) ::DrawIcon(dc, 10, 5, m_hIconBig.Get());
    RECT title = top;
    title.left += kTitleInset;
    title.right -= kTitleInset;
    ::DrawTextW(dc, kTitle, -1, &title, DT_SINGLELINE | DT_VCENTER | DT_LEFT);
}
