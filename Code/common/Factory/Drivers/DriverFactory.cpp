#include "Factory/Drivers/DriverFactory.h"

#include "Factory/Drivers/BassDriver.h"
#include "Factory/Drivers/ExpressionDriver.h"
#include "Factory/Drivers/KeyFrameDriver.h"
#include "Factory/Drivers/NoiseDriver.h"
#include "Factory/Drivers/NoneDriver.h"
#include "Factory/Drivers/SinusDriver.h"
#include "Factory/Drivers/TriangleDriver.h"
#include "Factory/Drivers/VariableDriver.h"

NoneDriver* CreateDriverOfType(int eType, fxBase* pEffect, AttribDesc* pAttribDesc)
{
    switch (eType)
    {
    case NoneDriver::DRIVER_KEYFRAME:
        return new KeyFrameDriver(pEffect, pAttribDesc);
    case NoneDriver::DRIVER_SINUS:
        return new SinusDriver(pEffect, pAttribDesc);
    case NoneDriver::DRIVER_TRIANGLE:
        return new TriangleDriver(pEffect, pAttribDesc);
    case NoneDriver::DRIVER_NOISE:
        return new NoiseDriver(pEffect, pAttribDesc);
    case NoneDriver::DRIVER_EXPRESSION:
        return new ExpressionDriver(pEffect, pAttribDesc);
    case NoneDriver::DRIVER_BASS:
        return new BassDriver(pEffect, pAttribDesc);
    case NoneDriver::DRIVER_VARIABLE:
        return new VariableDriver(pEffect, pAttribDesc);
    default:
        return nullptr;
    }
}
