// Umbrella header of the framework layer: include this, not the family headers.
#pragma once
#include <windows.h>
#include "framework/string.h"
#include "framework/runtime.h"
#include "framework/exceptions.h"
#include "framework/state.h"
#include "framework/sync.h"
#include "framework/msgmap.h"
#include "framework/cmdtarget.h"
#include "framework/thread.h"
#include "framework/app.h"
#include "framework/time.h"
#include "framework/gdi.h"
#include "framework/menu.h"
#include "framework/wnd.h"
#include "framework/cmdui.h"
#include "framework/controls.h"
