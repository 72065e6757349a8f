// Thread messages of the service threads' queues and the view's window
// messages that the services post. The bus's own messages to the consumer
// come from the bus layer.
#pragma once
#include <windows.h>

// To the consumer, posted by the bus threads: WM_BUS_REGISTRATION,
// WM_BUS_STATUS, WM_BUS_EEPROM_READ, WM_BUS_EEPROM_WRITE, WM_BUS_DIAGNOSTICS,
// WM_BUS_COMMAND_FAILED.
#include "bus/messages.h"

// To the reply dispatcher.
const UINT WM_TCP_REG2 = WM_APP + 0x07;          // wParam port, lParam ring slot
const UINT WM_TCP_STATUS_REPLY = WM_APP + 0x08;  // wParam port, lParam controller id
const UINT WM_TCP_READ_REPLY = WM_APP + 0x09;    // wParam controller id, lParam location
const UINT WM_TCP_WRITE_REPLY = WM_APP + 0x0A;   // wParam controller id, lParam location
const UINT WM_THREAD_STOP = WM_APP + 0x0B;       // 0, 0 (dispatcher and consumer)
// To the consumer, from the view after new settings: it hands WM_DB_RECONNECT
// on to the database thread it runs (the bus's ids share the consumer's queue,
// so this one has its own).
const UINT WM_CONSUMER_DB_RECONNECT = WM_APP + 0x12; // 0, 0
const UINT WM_TCP_ERROR_REPLY = WM_APP + 0x0D;   // wParam port, lParam controller id
// An awaited command ended without its answer: its requester gets "ERR".
const UINT WM_TCP_FAILED_REPLY = WM_APP + 0x0F;  // wParam port, lParam PackFailedCommand

// To the reporting-database thread.
const UINT WM_DB_REGISTRATION = WM_APP + 0x02; // 0, 0: registrations wait in its queue
const UINT WM_DB_RECONNECT = WM_APP + 0x03;    // 0, 0
// From its own tick threads: the work itself stays on the database thread.
const UINT WM_DB_RECONNECT_TICK = WM_APP + 0x10; // 0, 0
const UINT WM_DB_FLUSH_TICK = WM_APP + 0x11;     // 0, 0

// To the view's window.
const UINT WM_LOG_STRING = WM_APP + 0x01;   // wParam image, lParam string id
const UINT WM_BUFFER_COUNT = WM_APP + 0x05; // 0, row count
// A controller removed over TCP ("DD"): the view takes it out of its tree
// and the bus on the GUI thread, which owns the tree.
const UINT WM_REMOVE_CONTROLLER = WM_APP + 0x0E; // wParam port, lParam controller id
