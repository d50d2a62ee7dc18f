#pragma once
// Controls shared by the settings of several drivers.
class NoneDriver;

// The "Min" and "Max" sliders on the driver's output range: over the driven attribute's
// range when it has one, else -100 to 100.
void DrawMinMaxSliders(NoneDriver* pDriver);
