// The controller tree of the view: adding, finding, removing, the online
// switch, state images and status lines.
#include "server/app/HalvexView.h"
#include "server/app/HalvexApp.h"
#include "server/app/resource.h"
#include "server/services/ServerSettings.h"
#include "skin/skinmenu.h"

using VTMultiDrop::Device;

namespace {
const UINT ChildLines[6] = { IDS_LINE_PORT, IDS_LINE_CONTROLLER, IDS_LINE_FIRMWARE,
                             IDS_LINE_DATE, IDS_LINE_TIME, IDS_LINE_COUNTER };
const int ChildImages[6] = { 1, 2, 6, 4, 5, 7 };

int RootImageOfState(int state)
{
    return state == VTMultiDrop::DEVICE_RESPONDING ? 0 : state + 6;
}
} // namespace

Device* C_HalvexView::DeviceOf(HTREEITEM item) const
{
    if (item == nullptr)
        return nullptr;
    Device* device = reinterpret_cast<Device*>(m_tree.GetItemData(item));
    return device == m_pRemoving ? nullptr : device;
}

void C_HalvexView::AddController(const CString& name, int port, int id)
{
    CWaitCursor wait;
    CIniFile ini(SettingsFilePath());
    BusPauses pauses = ReadBusPauses(ini);
    Device* device = nullptr;
    int result = VTMultiDrop::AddDevice(port, id, &device, name.GetString(), m_bOnLine, -1);
    if (result != 0 || device == nullptr) {
        AfxMessageBox(VTMultiDrop::GetErrorText(result).c_str(), MB_OK | MB_ICONSTOP);
        return;
    }
    VTMultiDrop::g_PauseMachine = pauses.pauseMachine;
    WriteBusPauses(ini, pauses);

    LPARAM data = reinterpret_cast<LPARAM>(device);
    const UINT mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_PARAM;
    HTREEITEM root = m_tree.InsertItem(mask, name, 0, 0, 0, 0, data, TVI_ROOT, TVI_LAST);
    for (int i = 0; i < 6; ++i) {
        CString line;
        std::string format = LoadResourceString(ChildLines[i]);
        if (i == 0)
            line.Format(format.c_str(), port);
        else if (i == 1)
            line.Format(format.c_str(), id);
        else
            line.Format(format.c_str(), "");
        m_tree.InsertItem(mask, line, ChildImages[i], ChildImages[i], 0, 0, data, root, TVI_LAST);
    }
    SortControllers();
}

void C_HalvexView::SortControllers()
{
    m_tree.SortChildren(TVI_ROOT);
    std::vector<std::pair<int, int>> order;
    for (HTREEITEM item = m_tree.GetRootItem(); item; item = m_tree.GetNextSiblingItem(item))
        if (Device* device = DeviceOf(item))
            order.push_back({ device->GetPortNumber(), device->GetDeviceId() });
    CSingleLock lock(&m_lock, TRUE);
    m_treeOrder.swap(order);
}

HTREEITEM C_HalvexView::FindControllerItem(int port, int id)
{
    for (HTREEITEM item = m_tree.GetRootItem(); item; item = m_tree.GetNextSiblingItem(item)) {
        Device* device = DeviceOf(item);
        if (device && device->GetPortNumber() == port && device->GetDeviceId() == id)
            return item;
    }
    return nullptr;
}

Device* C_HalvexView::GetSelectedDevice()
{
    return DeviceOf(m_tree.GetSelectedItem());
}

HTREEITEM C_HalvexView::GetSelectedControllerItem()
{
    HTREEITEM item = m_tree.GetSelectedItem();
    if (item == nullptr || m_tree.ItemHasChildren(item))
        return item;
    return m_tree.GetParentItem(item);
}

int C_HalvexView::RemoveControllerItem(HTREEITEM root)
{
    int result = RemoveControllerQuietly(root);
    if (result != 0)
        AfxMessageBox(VTMultiDrop::GetErrorText(result).c_str(), MB_OK | MB_ICONSTOP);
    FinishRemovals();
    return result;
}

int C_HalvexView::RemoveControllerQuietly(HTREEITEM root)
{
    Device* device = DeviceOf(root);
    // Never nested: the waits below serve messages, and a removal asked
    // meanwhile is queued instead.
    if (device == nullptr || m_bShuttingDown || m_nBusy > 0)
        return VTMultiDrop::BUS_DEVICE_DOESNT_EXIST;
    CWaitCursor wait;
    ++m_nBusy;
    // From here on the tree treats the controller as gone: messages handled
    // during the waits below never reach it.
    m_pRemoving = device;
    SortControllers();
    int selectPollInfo = m_nSelectPollInfo;
    m_nSelectPollInfo = 0;
    PumpedPause(500); // bus threads finish a line they are writing
    struct Job {
        Device* device;
        int result;
        static void Run(void* p)
        {
            Job* job = static_cast<Job*>(p);
            job->result = VTMultiDrop::RemoveDevice(job->device);
        }
    } job = { device, 0 };
    RunPumped(Job::Run, &job);
    m_pRemoving = nullptr;
    if (job.result == 0)
        m_tree.DeleteItem(root); // with its children
    m_nSelectPollInfo = selectPollInfo ? 1 : 0;
    SortControllers();
    --m_nBusy;
    RefreshCommandStates();
    return job.result;
}

LRESULT C_HalvexView::OnRemoveRequest(WPARAM wParam, LPARAM lParam)
{
    if (m_bShuttingDown)
        return 0;
    m_removals.push_back({ (int)wParam, (int)lParam });
    if (RemovalRunning())
        return 0; // runs after the removal under way
    FinishRemovals();
    return 0;
}

void C_HalvexView::FinishRemovals()
{
    // Only what the tree shows is removed, and only through the tree's own
    // removal: no tree item may outlive its controller.
    while (!m_removals.empty() && !m_bShuttingDown) {
        std::pair<int, int> next = m_removals.front();
        m_removals.pop_front();
        if (HTREEITEM item = FindControllerItem(next.first, next.second))
            RemoveControllerQuietly(item);
    }
    m_removals.clear();
    if (m_bCloseDeferred) {
        m_bCloseDeferred = false;
        if (m_hFrame != nullptr)
            ::PostMessageA(m_hFrame, WM_CLOSE, 0, 0);
    }
}

void C_HalvexView::OnLine()
{
    CWaitCursor wait;
    m_bOnLine = !m_bOnLine;
    for (HTREEITEM item = m_tree.GetRootItem(); item; item = m_tree.GetNextSiblingItem(item)) {
        int image = m_bOnLine ? 0 : RootImageOfState(VTMultiDrop::DEVICE_SWITCHED_OFF);
        m_tree.SetItemImage(item, image, image);
        if (Device* device = DeviceOf(item)) {
            device->SetOnLine(m_bOnLine);
            device->SetFailureCounter(0);
            device->SetState(m_bOnLine ? 1 : 4);
        }
    }
    EnableRegistrationList();
}

void C_HalvexView::EnableRegistrationList()
{
    m_listRegistrations.EnableWindow(m_bOnLine ? TRUE : FALSE);
}

LRESULT C_HalvexView::OnDeviceState(WPARAM wParam, LPARAM lParam)
{
    // A request already on the line when the operator switched the
    // controllers off still ends in a report; they stay shown switched off
    // until the switch comes on again, which sets every image afresh.
    if (!m_bOnLine)
        return 0;
    int image = RootImageOfState((int)lParam);
    for (HTREEITEM item = m_tree.GetRootItem(); item; item = m_tree.GetNextSiblingItem(item)) {
        Device* device = DeviceOf(item);
        if (device && device->GetDeviceId() == (int)wParam) {
            m_tree.SetItemImage(item, image, image);
            break;
        }
    }
    return 0;
}

LRESULT C_HalvexView::OnStatusReply(WPARAM wParam, LPARAM lParam)
{
    int id = (int)wParam, port = (int)lParam;
    if (HTREEITEM root = FindControllerItem(port, id)) {
        m_tree.Expand(root, TVE_EXPAND);
        HTREEITEM line = m_tree.GetChildItem(root);
        line = line ? m_tree.GetNextSiblingItem(line) : nullptr;
        line = line ? m_tree.GetNextSiblingItem(line) : nullptr;
        const std::string values[4] = { VTMultiDrop::GetStatusFirmware(id), VTMultiDrop::GetStatusDate(id),
                                        VTMultiDrop::GetStatusTime(id), VTMultiDrop::GetStatusCounter(id) };
        for (int i = 0; i < 4 && line; ++i, line = m_tree.GetNextSiblingItem(line)) {
            CString text;
            text.Format(LoadResourceString(ChildLines[2 + i]).c_str(), values[i].c_str());
            m_tree.SetItemText(line, text);
        }
    }
    VTMultiDrop::EraseStatus(id);
    return 0;
}

void C_HalvexView::OnTreeRightClick(NMHDR*, LRESULT* result)
{
    *result = 0;
    if (CommandsBlocked())
        return;
    POINT screen;
    GetCursorPos(&screen);
    POINT client = screen;
    ::ScreenToClient(m_tree.m_hWnd, &client);
    HTREEITEM item = m_tree.HitTest(client);
    if (item == nullptr)
        return;
    m_tree.SelectItem(item);
    CSkinMenu menu;
    if (!menu.LoadMenu(IDR_CONTEXT_MENU))
        return;
    menu.LoadToolBar(IDR_MAINFRAME, IDB_TOOLBAR, RGB(255, 0, 255));
    if (CMenu* popup = menu.GetSubMenu(0))
        popup->TrackPopupMenu(TPM_LEFTALIGN | TPM_RIGHTBUTTON, screen.x, screen.y, AfxGetApp()->m_pMainWnd);
    menu.DestroyMenu();
}
