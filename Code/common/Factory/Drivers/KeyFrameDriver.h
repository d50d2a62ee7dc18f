#pragma once
// Key-frame driver: keys (time, value) sorted by time and one interpolation between them.
#include "Factory/Drivers/NoneDriver.h"

#include <cstdint>
#include <vector>

class KeyFrameDriver : public NoneDriver
{
public:
    enum Interpolation
    {
        INTERPOLATION_NONE = 0,
        INTERPOLATION_LINEAR = 1,
        INTERPOLATION_SPLINE = 2,
        INTERPOLATION_SMOOTHSTEP = 3,
        INTERPOLATION_BOUNCE = 4,
        INTERPOLATION_EASYIN = 5,
        INTERPOLATION_EASYOUT = 6,
        INTERPOLATION_EASYINOUT = 7,
        INTERPOLATION_MAX = 8
    };

    // 12 bytes: saved as {"x": time, "y": value, "z": the id's bits read as a float}.
    struct Key
    {
        float _fTime; // seconds from the effect's Start
        float _fValue;
        int32_t _nId; // identifies the key while the list is re-sorted
    };

    // Registers "_eInterpolation", "_aKeys", "_fParams" after the base members.
    KeyFrameDriver(fxBase* pEffect, AttribDesc* pAttribDesc);

    // After the stored members are read: interpolation outside 0..7 and NaN times are
    // mended, the keys sorted, and every key given a fresh unique id.
    void Load(const Json::Value& json) override;

    float GetValue(float fTime, bool bHistory) override;
    bool HasData() override { return !_aKeys.empty(); }
    bool HasKeyAt(float fTime) override;
    void DrawSettings() override;
    void EditorDrawSettings(); // the body of DrawSettings, in the editor library (DriversEditor.cpp)

    int GetKeyCount() const { return int(_aKeys.size()); }
    // Index of the first key whose time equals the given time exactly, or -1.
    int GetKeyIndex(float fTime) const;
    // A key at the effect's local time (snapped to its frame) with the attribute's current
    // value; an existing key at that frame gets the value. Returns the key's index.
    int AddKeyAtCurrentTime();
    // A key at the snapped time, or the new value for the key already at that frame.
    void AddKey(float fTime, float fValue);
    // Moves and changes key iKey; a key already at the target frame is replaced. Returns the
    // key's index after sorting.
    int EditKey(int iKey, float fTime, float fValue);
    // Moves and changes key iKey and nothing else: a key already at the target frame stays
    // beside it, before it when it stood before it in the list. The other keys keep their
    // order, so only the moved key changes place. Returns its new index.
    int MoveKey(int iKey, float fTime, float fValue);
    void SortKeys();

    static const char* GetInterpolationName(int eInterpolationType);
    // round(t * 60) / 60, half away from zero: the frame a key time snaps to.
    static float SnapToFrame(float fTime);
    // A new key id (from the platform's unique counter).
    static int32_t NewKeyId();

    int _eInterpolation = INTERPOLATION_SPLINE;
    float _fParams[2] = {0.0f, 0.0f};
    std::vector<Key> _aKeys;
};
