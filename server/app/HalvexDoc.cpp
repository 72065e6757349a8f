#include "server/app/HalvexApp.h"
#include "server/app/HalvexDoc.h"
#include "server/app/HalvexView.h"

IMPLEMENT_DYNCREATE(C_HalvexDoc, CDocument)

C_HalvexDoc::C_HalvexDoc()
{
}

void C_HalvexDoc::Serialize(CArchive&)
{
}

BOOL C_HalvexDoc::OnNewDocument()
{
    return CDocument::OnNewDocument();
}

void C_HalvexDoc::OnCloseDocument()
{
    // The shutdown's waits pump messages: a second Exit arriving then must
    // neither run the shutdown again nor destroy the frame under it.
    if (!HalvexApp().BeginClosing())
        return;
    POSITION pos = GetFirstViewPosition();
    C_HalvexView* view = pos ? static_cast<C_HalvexView*>(GetNextView(pos)) : nullptr;
    if (view) {
        view->m_nSelectPollInfo = 0;
        view->SaveAndStop();
    }
    CDocument::OnCloseDocument();
}
