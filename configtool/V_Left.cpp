#include "configtool/V_Left.h"
#include "configtool/MainFrame.h"
#include "configtool/V_ActionWord.h"
#include "configtool/V_Configuration.h"
#include "configtool/resource.h"

IMPLEMENT_DYNCREATE(CV_Left, CTreeView)

BEGIN_MESSAGE_MAP(CV_Left, CTreeView)
    ON_NOTIFY_REFLECT(TVN_SELCHANGED, OnSelChanged)
END_MESSAGE_MAP()

namespace {
// The tree, root first: text, image (normal and selected), data value.
struct PageItem {
    UINT textId;
    int image;
    DWORD_PTR data;
};
const PageItem Root = {IDS_CONFIGURATION, 20, 0};
const PageItem Children[] = {
    {IDS_READER1, 1, 1},       {IDS_READER2, 2, 2},          {IDS_SENSOR, 5, 3},
    {IDS_EGRESS, 6, 4},        {IDS_ALARM, 12, 8},           {IDS_FORCED_ENTRY, 9, 6},
    {IDS_DOOR_OPEN_TOO_LONG, 11, 7},
};
const int ItemHeight = 18;

HTREEITEM Insert(CTreeCtrl& tree, const PageItem& item, HTREEITEM parent) {
    CString text;
    text.LoadString(item.textId);
    return tree.InsertItem(TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_PARAM, text, item.image, item.image, 0, 0,
                           (LPARAM)item.data, parent, TVI_LAST);
}
}  // namespace

CV_Left::CV_Left() = default;

CRuntimeClass* CV_Left::PageOfItemData(DWORD_PTR data) {
    switch (data) {
    case 0: return RUNTIME_CLASS(CV_Configuration);
    case 1: return RUNTIME_CLASS(CV_Reader1);
    case 2: return RUNTIME_CLASS(CV_Reader2);
    case 3: return RUNTIME_CLASS(CV_Sensors);
    case 4: return RUNTIME_CLASS(CV_Egress);
    case 6: return RUNTIME_CLASS(CV_ForcedEntry);
    case 7: return RUNTIME_CLASS(CV_DOTL);
    case 8: return RUNTIME_CLASS(CV_Alarm);
    default: return RUNTIME_CLASS(CV_Welcome);
    }
}

void CV_Left::OnInitialUpdate() {
    CTreeView::OnInitialUpdate();
    CTreeCtrl& tree = GetTreeCtrl();
    tree.DeleteAllItems();
    ModifyStyle(0, TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT | TVS_SHOWSELALWAYS);
    if (!m_images.GetSafeHandle()) m_images.Create(IDB_TREE, 16, 4, RGB(255, 0, 255));
    tree.SetImageList(&m_images, TVSIL_NORMAL);
    tree.SendMessage(TVM_SETITEMHEIGHT, ItemHeight);
    HTREEITEM root = Insert(tree, Root, TVI_ROOT);
    for (const PageItem& child : Children) Insert(tree, child, root);
    tree.Expand(root, TVE_EXPAND);
    ShowPage(RUNTIME_CLASS(CV_Welcome));
}

void CV_Left::OnSelChanged(NMHDR* hdr, LRESULT* result) {
    const NMTREEVIEWA* change = reinterpret_cast<const NMTREEVIEWA*>(hdr);
    ShowPage(PageOfItemData(change->itemNew.hItem ? change->itemNew.lParam : (LPARAM)-1));
    *result = 0;
}

void CV_Left::ShowPage(CRuntimeClass* pageClass) {
    if (C_MainFrame* frame = dynamic_cast<C_MainFrame*>(GetParentFrame())) frame->ShowPage(pageClass);
}
