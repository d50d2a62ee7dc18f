#pragma once
// Creation of a driver object from its type code.

class AttribDesc;
class fxBase;
class NoneDriver;

// A new driver of the class of the type code, for the effect and the attribute, with the
// defaults its constructor gives; null for DRIVER_NONE and codes outside 1..7. The caller
// sets _eType and _eRequestedType and owns the driver.
NoneDriver* CreateDriverOfType(int eType, fxBase* pEffect, AttribDesc* pAttribDesc);
