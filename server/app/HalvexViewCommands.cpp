// The operator's commands on the view: add, edit and remove a controller, the
// bus commands for the selected controller or for all, the tree's expand and
// collapse, the user log, and the rules that enable them.
//
// A question or dialog runs a message loop, and a controller can be removed
// meanwhile (by a client over TCP). So a command names its controller by
// (port, id) while it asks, and looks the controller up again afterwards.
#include "server/app/HalvexView.h"
#include "server/app/D_Controller.h"
#include "server/app/resource.h"

using VTMultiDrop::Device;

// The bus commands that act on the selected controller.
struct ControllerCommand {
    UINT question;       // string id, 0: none
    int (Device::*queue)();
    UINT userLogEvent;   // string id, 0: none
};

namespace {

const ControllerCommand StatusCommand = { 0, &Device::QueueStatus, 0 };
const ControllerCommand DiagnosticsCommand = { 0, &Device::QueueDiagnostics, 0 };
const ControllerCommand SetTimeCommand = { IDS_ASK_SETTIME, &Device::QueueSetTime, IDS_EVENT_TIMESET };
const ControllerCommand ResetCommand = { IDS_ASK_RESET, &Device::QueueReset, IDS_EVENT_RESET };
const ControllerCommand PackCommand = { IDS_ASK_PACK, &Device::QueuePack, IDS_EVENT_PACK };

// Locations the test commands read and write.
const unsigned short FirstTestLocation = 4;
const unsigned short LastTestLocation = 203;

bool Confirmed(UINT question)
{
    return AfxMessageBox(question, MB_OKCANCEL | MB_ICONQUESTION) == IDOK;
}

void ShowBusError(int result)
{
    AfxMessageBox(VTMultiDrop::GetErrorText(result).c_str(), MB_OK | MB_ICONSTOP);
}

} // namespace

Device* C_HalvexView::FindDevice(int port, int id)
{
    return DeviceOf(FindControllerItem(port, id));
}

void C_HalvexView::RunControllerCommand(const ControllerCommand& command)
{
    Device* device = GetSelectedDevice();
    if (device == nullptr)
        return; // nothing selected
    const int port = device->GetPortNumber(), id = device->GetDeviceId();
    if (command.question != 0 && !Confirmed(command.question))
        return;
    CWaitCursor wait;
    device = FindDevice(port, id);
    if (device == nullptr)
        return; // removed while the question was open
    int result = (device->*command.queue)();
    if (result != 0) {
        ShowBusError(result);
        return;
    }
    if (command.userLogEvent != 0)
        m_userLog.LogEvent(command.userLogEvent, port, id, "");
}

void C_HalvexView::OnStatus() { RunControllerCommand(StatusCommand); }
void C_HalvexView::OnDiagnostics() { RunControllerCommand(DiagnosticsCommand); }
void C_HalvexView::OnSetTime() { RunControllerCommand(SetTimeCommand); }
void C_HalvexView::OnReset() { RunControllerCommand(ResetCommand); }
void C_HalvexView::OnPack() { RunControllerCommand(PackCommand); }

void C_HalvexView::OnStatusAll()
{
    CWaitCursor wait;
    // Each failure's message box lets messages through: walk a copy.
    for (const auto& controller : ControllersInTreeOrder()) {
        Device* device = FindDevice(controller.first, controller.second);
        if (device == nullptr)
            continue;
        int result = device->QueueStatus();
        if (result != 0) {
            ShowBusError(result);
            wait.Restore();
        }
    }
}

void C_HalvexView::OnSetTimeToAll()
{
    if (Confirmed(IDS_ASK_SETTIME_ALL))
        m_setTime.StartSetTimeWorker();
}

void C_HalvexView::OnAdd()
{
    CD_Controller dialog(this, FALSE, "", 1, 1);
    if (dialog.DoModal() != IDOK)
        return;
    AddController(dialog.GetName(), dialog.GetPort(), dialog.GetControllerId());
}

void C_HalvexView::OnEdit()
{
    Device* device = GetSelectedDevice();
    if (device == nullptr)
        return;
    const int port = device->GetPortNumber(), id = device->GetDeviceId();
    CD_Controller dialog(this, TRUE, device->GetName().c_str(), port, id);
    if (dialog.DoModal() != IDOK)
        return;
    HTREEITEM root = FindControllerItem(port, id);
    device = DeviceOf(root);
    if (device == nullptr)
        return; // removed while the dialog was open
    device->SetName(dialog.GetName().GetString());
    m_tree.SetItemText(root, dialog.GetName());
    SortControllers();
}

void C_HalvexView::OnRemove()
{
    Device* device = GetSelectedDevice();
    if (device == nullptr)
        return;
    const int port = device->GetPortNumber(), id = device->GetDeviceId();
    if (!Confirmed(IDS_ASK_REMOVE))
        return;
    if (HTREEITEM root = FindControllerItem(port, id))
        RemoveControllerItem(root);
}

void C_HalvexView::OnExpandAll()
{
    for (HTREEITEM item = m_tree.GetRootItem(); item; item = m_tree.GetNextSiblingItem(item))
        m_tree.Expand(item, TVE_EXPAND);
}

void C_HalvexView::OnCollapseAll()
{
    for (HTREEITEM item = m_tree.GetRootItem(); item; item = m_tree.GetNextSiblingItem(item))
        m_tree.Expand(item, TVE_COLLAPSE);
}

void C_HalvexView::OnShowUserLog()
{
    m_userLog.ShowLog();
}

void C_HalvexView::OnTestReadEEPROM()
{
    Device* device = GetSelectedDevice();
    if (device == nullptr)
        return;
    CWaitCursor wait;
    for (unsigned short location = FirstTestLocation; location <= LastTestLocation; ++location)
        device->QueueReadEEPROM(location);
}

void C_HalvexView::OnTestWriteEEPROM()
{
    Device* device = GetSelectedDevice();
    if (device == nullptr)
        return;
    CWaitCursor wait;
    const unsigned short high = (unsigned short)(device->GetDeviceId() * 256);
    for (unsigned short location = FirstTestLocation; location <= LastTestLocation; ++location)
        device->QueueWriteEEPROM(location, (unsigned short)(high + location));
}

void C_HalvexView::OnUpdateControllerCommand(CCmdUI* cmdUI)
{
    cmdUI->Enable(!m_setTime.WorkerRunning() && m_tree.GetSelectedItem() != nullptr);
    if (cmdUI->m_nID == ID_TEST_READ_EEPROM || cmdUI->m_nID == ID_TEST_WRITE_EEPROM)
        cmdUI->Enable(m_nTestMenu != 0);
    if (cmdUI->m_nID == ID_STATUS_ALL)
        cmdUI->Enable(TRUE);
}
