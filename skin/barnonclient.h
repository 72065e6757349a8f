// Non-client painting shared by the skinned control bars (menu bar, toolbar):
// the bar's borders, its background through its own WM_ERASEBKGND, so that
// the border strip carries the same brush as the client area, and its gripper.
#pragma once
#include "framework/framework.h"

// The whole of a bar's WM_NCPAINT. The bar's DrawBorders and DrawGripper
// (virtual) decide how borders and gripper look; the bar's WM_ERASEBKGND gets
// the window DC with its origin moved so that client coordinates apply
// (unless the bar floats).
void PaintBarNonClient(CControlBar& bar);
