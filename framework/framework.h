// Umbrella header of the framework layer: include this, not the family headers.
#pragma once
#include <windows.h>
