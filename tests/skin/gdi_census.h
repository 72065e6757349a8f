// Counts live GDI objects of this process by probing every handle slot with
// GetObjectType (GetGuiResources is not available under Wine).
#pragma once
int CountGdiObjects();
// True when the census can see an object made for the probe.
bool GdiCensusWorks();
