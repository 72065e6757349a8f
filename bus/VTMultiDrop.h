// The controller bus layer, all of it.
#pragma once
#include "bus/BusErrors.h"
#include "bus/BusFrame.h"
#include "bus/BusView.h"
#include "bus/Command.h"
#include "bus/CommPort.h"
#include "bus/Device.h"
#include "bus/EventArgs.h"
#include "bus/Registrations.h"
#include "bus/Registry.h"
#include "bus/ResultMaps.h"
#include "bus/messages.h"
