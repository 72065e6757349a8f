#include "server/services/ServiceBus.h"

IServiceBus* g_pServiceBus = nullptr;
