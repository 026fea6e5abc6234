#include "ui/ok_dlg.h"

#include <string>

#include "common/platform/platform.h"
#include "run/report.h"
#include "run/run_flags.h"
#include "ui/logic/link_targets.h"
#include "ui/logic/result_sentence.h"

BOOL COKDlg::ProcessWindowMessage(HWND, UINT message, WPARAM wParam, LPARAM, LRESULT& result)
{
    result = 0;
    switch (message) {
    case WM_INITDIALOG:
        OnInitDialog();
        // The default button (OK) gets the focus.
        result = TRUE;
        return TRUE;
    case WM_COMMAND:
        OnCommand(LOWORD(wParam));
        return TRUE;
    default:
        return FALSE;
    }
}

void COKDlg::OnInitDialog()
{
    fw::CenterWindow(m_hWnd);
    m_linkLog.AttachToControl(GetDlgItem(IDC_LINK_LOG));
    const bool stopped = m_pbStop != nullptr && *m_pbStop != 0;
    const std::u16string sentence = ui::BuildResultSentence(stopped, g_bFoundProblem != 0, VEXLO_SUPPORT_QQ);
    SetDlgItemText(IDC_RESULT_QUESTION, L"访问Vexlo免费杀毒官方？");
    SetDlgItemText(IDC_RESULT_SENTENCE, fw::AsWide(sentence.c_str()));
}

void COKDlg::OnCommand(WORD id)
{
    switch (id) {
    case IDOK: {
        const std::u16string home = ui::HomePageVisitUrl();
        plat::P().ShellExecuteW(m_hWnd, u"open", home.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
        EndDialog(1);
        break;
    }
    case IDCANCEL:
        EndDialog(2);
        break;
    case IDC_LINK_LOG:
        OpenReportFile();
        break;
    default:
        break;
    }
}
