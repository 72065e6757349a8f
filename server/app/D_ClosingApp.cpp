#include "server/app/D_ClosingApp.h"
#include "server/app/resource.h"

CD_ClosingApp::CD_ClosingApp() : CSkinDialog(IDD_CLOSING)
{
}

BOOL CD_ClosingApp::ShowNow()
{
    if (m_hWnd == nullptr && !Create(IDD_CLOSING, nullptr))
        return FALSE;
    CenterWindow();
    ShowWindow(SW_SHOW);
    UpdateWindow();
    return TRUE;
}

void CD_ClosingApp::Close()
{
    if (m_hWnd != nullptr)
        DestroyWindow();
}
