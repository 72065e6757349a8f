// Thread messages of the reply dispatcher's queue and the stop message the
// service threads share. The bus's own messages to the consumer are in
// bus/messages.h.
#pragma once
#include <windows.h>

const UINT WM_TCP_REG2 = WM_APP + 0x07;          // wParam port, lParam ring slot
const UINT WM_TCP_STATUS_REPLY = WM_APP + 0x08;  // wParam port, lParam controller id
const UINT WM_TCP_READ_REPLY = WM_APP + 0x09;    // wParam controller id, lParam location
const UINT WM_TCP_WRITE_REPLY = WM_APP + 0x0A;   // wParam controller id, lParam location
const UINT WM_THREAD_STOP = WM_APP + 0x0B;       // 0, 0
const UINT WM_TCP_ERROR_REPLY = WM_APP + 0x0D;   // wParam port, lParam controller id
// To the reporting-database thread.
const UINT WM_DB_REGISTRATION = WM_APP + 0x02; // wParam 0, lParam ring slot
