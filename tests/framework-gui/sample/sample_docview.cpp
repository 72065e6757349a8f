// The sample's document (items and settings, saved through CArchive) and its
// form view showing the items in a tree and a list.
#include "sample.h"

// ---- document --------------------------------------------------------------

IMPLEMENT_DYNCREATE(CSampleDoc, CDocument)

BEGIN_MESSAGE_MAP(CSampleDoc, CDocument)
    ON_COMMAND_EX(ID_ROUTE_CHAIN, OnRouteChain)
    ON_COMMAND(ID_ITEM_REMOVE, OnItemRemove)
    ON_UPDATE_COMMAND_UI(ID_ITEM_REMOVE, OnUpdateItemRemove)
    ON_COMMAND(ID_EDIT_SETTINGS, OnEditSettings)
    ON_COMMAND(ID_EDIT_OPTIONS, OnEditOptions)
END_MESSAGE_MAP()

void CSampleDoc::AddItem(LPCSTR text) {
    m_items.push_back(text);
    SetModifiedFlag();
    UpdateAllViews(nullptr);
}

void CSampleDoc::Serialize(CArchive& ar) {
    if (ar.IsStoring()) {
        ar << (DWORD)m_items.size();
        for (const CString& s : m_items) ar << s;
        ar << m_count << m_name << m_enabled << m_port << m_grid;
    } else {
        DWORD n = 0;
        ar >> n;
        for (DWORD i = 0; i < n; ++i) {
            CString s;
            ar >> s;
            m_items.push_back(s);
        }
        ar >> m_count >> m_name >> m_enabled >> m_port >> m_grid;
    }
}

void CSampleDoc::DeleteContents() {
    m_items.clear();
    m_count = 7;
    m_name = "North";
    m_enabled = TRUE;
    m_port = 3;
    m_grid = FALSE;
}

BOOL CSampleDoc::OnNewDocument() {
    if (!CDocument::OnNewDocument()) return FALSE;
    return TRUE;
}

BOOL CSampleDoc::OnRouteChain(UINT) {
    SampleApp()->m_route += "doc,";
    return FALSE;
}

void CSampleDoc::OnItemRemove() {
    if (m_items.empty()) return;
    m_items.pop_back();
    SetModifiedFlag();
    UpdateAllViews(nullptr);
}

void CSampleDoc::OnUpdateItemRemove(CCmdUI* ui) { ui->Enable(!m_items.empty()); }

void CSampleDoc::OnEditSettings() {
    CSettingsDialog dlg(AfxGetMainWnd());
    dlg.m_count = m_count;
    dlg.m_name = m_name;
    dlg.m_enabled = m_enabled;
    if (dlg.DoModal() != IDOK) return;
    m_count = dlg.m_count;
    m_name = dlg.m_name;
    m_enabled = dlg.m_enabled;
    SetModifiedFlag();
}

void CSampleDoc::OnEditOptions() {
    CPropertySheet sheet(IDS_OPTIONS, AfxGetMainWnd());
    sheet.m_psh.dwFlags |= PSH_NOAPPLYNOW;
    CPortPage port;
    CDisplayPage display;
    port.m_port = m_port;
    display.m_grid = m_grid;
    sheet.AddPage(&port);
    sheet.AddPage(&display);
    if (sheet.DoModal() != IDOK) return;
    m_port = port.m_port;
    m_grid = display.m_grid;
    SetModifiedFlag();
}

// ---- view ----------------------------------------------------------------------

IMPLEMENT_DYNCREATE(CSampleView, CFormView)

BEGIN_MESSAGE_MAP(CSampleView, CFormView)
    ON_WM_SIZE()
    ON_COMMAND_EX(ID_ROUTE_CHAIN, OnRouteChain)
    ON_COMMAND(ID_ITEM_ADD, OnItemAdd)
END_MESSAGE_MAP()

CSampleView::CSampleView() : CFormView(IDD_SAMPLE_FORM) {}

void CSampleView::DoDataExchange(CDataExchange* dx) {
    CFormView::DoDataExchange(dx);
    DDX_Control(dx, IDC_TREE, m_tree);
    DDX_Control(dx, IDC_LIST, m_list);
}

void CSampleView::OnInitialUpdate() {
    CFormView::OnInitialUpdate();
    if (m_list.GetHeaderCtrl() && m_list.SendMessage(LVM_GETCOLUMNWIDTH, 0) == 0) {
        m_list.InsertColumn(0, "Item", LVCFMT_LEFT, 140);
        m_list.InsertColumn(1, "Length", LVCFMT_RIGHT, 60);
    }
    RECT r;
    GetClientRect(&r);
    OnSize(SIZE_RESTORED, r.right, r.bottom);
}

void CSampleView::OnUpdate(CView*, LPARAM, CObject*) {
    CSampleDoc* doc = GetDocument();
    if (!doc || !m_tree.GetSafeHwnd()) return;
    m_tree.DeleteAllItems();
    m_list.DeleteAllItems();
    HTREEITEM root = m_tree.InsertItem(doc->GetTitle().IsEmpty() ? "Document" : doc->GetTitle().GetString());
    for (size_t i = 0; i < doc->m_items.size(); ++i) {
        const CString& s = doc->m_items[i];
        CString shown = s.GetLength() > 40 ? s.Left(40) + "..." : s;
        m_tree.InsertItem(shown, root);
        int row = m_list.InsertItem((int)i, shown);
        CString len;
        len.Format("%d", s.GetLength());
        m_list.SetItemText(row, 1, len);
    }
    m_tree.Expand(root, TVE_EXPAND);
}

void CSampleView::OnSize(UINT type, int cx, int cy) {
    CFormView::OnSize(type, cx, cy);
    if (!m_tree.GetSafeHwnd() || cx <= 0 || cy <= 0) return;
    // Tree on the left third, list on the rest, below the caption.
    RECT caption;
    GetDlgItem(IDC_CAPTION)->GetWindowRect(&caption);
    ScreenToClient(&caption);
    int top = caption.bottom + 4, gap = 4;
    int treeWidth = cx / 3;
    m_tree.MoveWindow(gap, top, treeWidth - gap, cy - top - gap);
    m_list.MoveWindow(treeWidth + gap, top, cx - treeWidth - 2 * gap, cy - top - gap);
}

BOOL CSampleView::OnRouteChain(UINT) {
    SampleApp()->m_route += "view,";
    return FALSE;
}

void CSampleView::OnItemAdd() {
    CString text;
    text.Format("Item %d", (int)GetDocument()->m_items.size() + 1);
    GetDocument()->AddItem(text);
}

// ---- dialogs ----------------------------------------------------------------------

void CSettingsDialog::DoDataExchange(CDataExchange* dx) {
    CDialog::DoDataExchange(dx);
    DDX_Text(dx, IDC_COUNT, m_count);
    DDV_MinMaxInt(dx, m_count, 1, 100);
    DDX_Text(dx, IDC_NAME, m_name);
    DDV_MaxChars(dx, m_name, 20);
    DDX_Check(dx, IDC_ENABLED, m_enabled);
}

void CPortPage::DoDataExchange(CDataExchange* dx) {
    CPropertyPage::DoDataExchange(dx);
    DDX_Text(dx, IDC_PORT, m_port);
    DDV_MinMaxInt(dx, m_port, 1, 16);
}

void CDisplayPage::DoDataExchange(CDataExchange* dx) {
    CPropertyPage::DoDataExchange(dx);
    DDX_Check(dx, IDC_GRID, m_grid);
}
