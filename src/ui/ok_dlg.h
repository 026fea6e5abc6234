// The result dialog shown after every run: how it ended, the contact line, an
// offer to visit the vendor's site, and a link that opens the log file.
#pragma once

#include <windows.h>

#include <cstdint>

#include "ui/framework/dialog_impl.h"
#include "ui/resource.h"
#include "ui/simple_link.h"

class COKDlg : public fw::CDialogImpl<COKDlg, fw::CWindow> {
public:
    enum { IDD = IDD_RESULT };

    // The main dialog's stop flag, read when the dialog opens.
    explicit COKDlg(const int32_t* stopFlag) : m_pbStop(stopFlag) {}

    BOOL ProcessWindowMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

private:
    void OnInitDialog();
    void OnCommand(WORD id);

    CSimpleLink m_linkLog;
    const int32_t* m_pbStop;
};
