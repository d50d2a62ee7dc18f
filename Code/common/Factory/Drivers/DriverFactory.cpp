#include "Factory/Drivers/DriverFactory.h"

#include "Factory/Drivers/KeyFrameDriver.h"
#include "Factory/Drivers/NoneDriver.h"

NoneDriver* CreateDriverOfType(int eType, fxBase* pEffect, AttribDesc* pAttribDesc)
{
    switch (eType)
    {
    case NoneDriver::DRIVER_KEYFRAME:
        return new KeyFrameDriver(pEffect, pAttribDesc);
    // Generator, expression, audio-level and variable drivers: plain base drivers until
    // their classes are added here.
    case NoneDriver::DRIVER_SINUS:
    case NoneDriver::DRIVER_TRIANGLE:
    case NoneDriver::DRIVER_NOISE:
    case NoneDriver::DRIVER_EXPRESSION:
    case NoneDriver::DRIVER_BASS:
    case NoneDriver::DRIVER_VARIABLE:
        return new NoneDriver(pEffect, pAttribDesc);
    default:
        return nullptr;
    }
}
