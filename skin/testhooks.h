// Test-only overrides of the environment readings the skin library takes at
// start-up, so that tests reach the paths of other systems. Products never
// include this header.
#pragma once

struct SkinEnvironmentOverride {
    int wine = -1;            // -1 keeps the reading; 0/1 replace it
    int remoteSession = -1;
    int highContrast = -1;
    int screenColors = -1;    // screen colour count (e.g. 256 or 64000)
    int versionClass = -1;    // operating-system class 0-7
};

// Applies every field that is not -1; returns the readings as they were.
SkinEnvironmentOverride SkinOverrideEnvironmentForTest(const SkinEnvironmentOverride& o);
// Forgets the gradient entry (as on a system without Msimg32.dll) or restores it.
void SkinUseGradientFillForTest(bool use);
