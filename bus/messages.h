// Messages the bus posts: thread messages to the event thread (the
// registration consumer) and the state message to the server view's window.
#pragma once
#include <windows.h>

const UINT WM_BUS_REGISTRATION = WM_APP + 0x01;  // wParam port, lParam ring slot
const UINT WM_BUS_STATUS = WM_APP + 0x02;        // wParam port, lParam device id
const UINT WM_BUS_EEPROM_READ = WM_APP + 0x03;   // wParam device id, lParam location
const UINT WM_BUS_EEPROM_WRITE = WM_APP + 0x04;  // wParam device id, lParam location
const UINT WM_BUS_DIAGNOSTICS = WM_APP + 0x06;   // wParam port, lParam device id
const UINT WM_DEVICE_STATE = WM_APP + 0x0C;      // wParam device id, lParam new state
