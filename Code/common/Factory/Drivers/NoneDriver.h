#pragma once
// Base of the attribute drivers: a driver makes one attribute of one effect a function of
// the effect's local time. The driver type "None" itself has no object; this class is the
// common base and gives no value (+infinity) on its own.
#include "Factory/rvpersist.h"

#include <string>

class AttribDesc;
class fxBase;

class NoneDriver : public rvpersist
{
public:
    enum DriverType
    {
        DRIVER_NONE = 0,
        DRIVER_KEYFRAME = 1,
        DRIVER_SINUS = 2,
        DRIVER_TRIANGLE = 3,
        DRIVER_NOISE = 4,
        DRIVER_EXPRESSION = 5,
        DRIVER_BASS = 6,
        DRIVER_VARIABLE = 7,
        DRIVER_MAX = 8
    };

    // Registers "_eType", "_attribName", "_fMin", "_fMax", "_fPeriod", "_fPhase" in this
    // order; derived classes register their own members after these.
    NoneDriver(fxBase* pEffect, AttribDesc* pAttribDesc);
    ~NoneDriver() override = default;

    // The driven value at a local time in seconds. +infinity = no value: the attribute
    // keeps its own. History is true when a display samples the curve, false when the
    // value is about to drive the attribute.
    virtual float GetValue(float fTime, bool bHistory);
    // The driver stands for the attribute's value: the effect does not save the value.
    virtual bool HasData();
    // A key lies at exactly that time.
    virtual bool HasKeyAt(float fTime);
    // The driver's own controls inside the driver window.
    virtual void DrawSettings();

    // Writes the value at the effect's local time into the attribute. A value that is not
    // finite writes nothing; int kinds are rounded half away from zero and clamped to the
    // int range; bools are true when |v| > 0.5.
    void Apply();
    // The driver window, while _bWindowOpen is set: type combo, plot, settings.
    void DrawWindow();
    void EditorDrawWindow(); // the body of DrawWindow, in the editor library (DriversEditor.cpp)
    // The driver window's name: the attribute's full name as the visible title, then "##" and
    // the effect, so that attributes of the same name in two effects get two windows. A
    // driver replaced by one of another type keeps the window.
    std::string WindowTitle() const;

    // Display name of a type code ("None", "Keyframe", ...); asserts the code's range.
    static const char* GetDriverName(int eDriverType);
    // One-letter label of a type code (" ", "K", "S", ...).
    static const char* GetDriverLetter(int eDriverType);

    // The curve of the driver over the effect's frames, full width, 100 pixels high.
    void DrawPlot();

    int _eRequestedType;
    int _eType;
    AttribDesc* _pAttribDesc;
    fxBase* _pEffect;
    bool _bWindowOpen = false;
    bool _bVisible = true;
    std::string _attribName;
    float _fMin = 0.0f;
    float _fMax = 1.0f;
    float _fPeriod = 2.0f;
    float _fPhase = 0.0f;
};
