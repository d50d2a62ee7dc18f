#pragma once
// One editable, savable and drivable value of an effect class: its type, its name and where
// the value lies inside an effect object. Values are read and written only through
// (type code, byte offset from the start of the fxBase part of the effect object).
#include <string>
#include <vector>

class fxBase;
class rvFileBrowser;

// Attribute type codes (stored in files only through the shape of the values they save).
enum AttribType
{
    TYPE_BOOL = 0,
    TYPE_INT = 1,
    TYPE_TIME = 2, // int: frames at 60 per second, within +-kMaxFrame
    TYPE_FLOAT = 3,
    TYPE_STRING = 4,
    TYPE_FILE = 5,
    TYPE_SEPARATOR = 6,
    TYPE_BUTTON = 7,
    TYPE_ARRAY = 8,
    TYPE_ENUM = 9,
    TYPE_COLOR3 = 10,
    TYPE_COLOR4 = 11,
    TYPE_VEC2 = 12,
    TYPE_VEC3 = 13,
    TYPE_VEC4 = 14,
    TYPE_SCALE2 = 15,
    TYPE_SCALE3 = 16,
    TYPE_TRANSFORM_2D = 17,
    TYPE_TRANSFORM_3D = 18,
    TYPE_LOOKAT_CAMERA = 19,
    TYPE_GEAR = 20,
    TYPE_MAX = 21
};

// Frames a time attribute may hold, each way: about 207 days at 60 per second. The span End -
// Start of any two such values fits an int.
constexpr int kMaxFrame = (1 << 30) - 1;

// Callback stored by a TYPE_BUTTON attribute.
typedef void (*AttribButtonFn)(fxBase* pEffect);

// The record layout a TYPE_GEAR attribute addresses (the leading fields of a gear record):
// a name, a highlight flag, a speed and a colour.
struct AttribGearLayout
{
    std::string _sName;
    bool _bHighlight;
    float _fSpeed;
    float _fR, _fG, _fB;
};

// The record layout a TYPE_LOOKAT_CAMERA attribute addresses: six consecutive floats.
struct AttribLookAtLayout
{
    float _fYaw, _fPitch, _fRoll, _fDist;
    float _fPanX, _fPanY;
};

// Range of an attribute: floats for float values, ints for int values, in the same pair.
struct AttribRange
{
    union
    {
        float f;
        int i;
    } _min, _max;
};

class AttribDesc
{
public:
    AttribDesc(int eType, const std::string& sName, int nOffset);
    // A node owns its children and its range. Descriptors live for the whole process; the
    // destructor only serves nodes made by tests and tools.
    ~AttribDesc();
    AttribDesc(const AttribDesc&) = delete;
    AttribDesc& operator=(const AttribDesc&) = delete;

    // The factory every class uses: a node with the children and ranges of its type.
    static AttribDesc* Create(int eType, const std::string& sName, int nOffset);
    AttribDesc* AddChild(const std::string& sSuffix, int eType, int nOffset);

    void SetRange(float fMin, float fMax);
    void SetIntRange(int nMin, int nMax);
    // A real as the int an int-kind node holds: rounded half away from zero, clamped to the
    // int range; NaN gives 0.
    static int RoundToInt(double v);
    void SetTransformRanges(float fPosMin, float fPosMax, float fPivotMin, float fPivotMax, float fRotMin,
                            float fRotMax, float fScaleMin, float fScaleMax);
    void SetItems(const char* const* apszItems, int nCount);

    bool IsBool() const { return _eType == TYPE_BOOL; }
    bool IsInt() const { return _eType == TYPE_INT || _eType == TYPE_TIME || _eType == TYPE_ENUM; }
    bool IsFloat() const { return _eType == TYPE_FLOAT; }
    bool IsString() const { return _eType == TYPE_STRING || _eType == TYPE_FILE; }
    // Bool, int, time, float and enum nodes can carry a driver.
    bool IsDrivable() const { return IsBool() || IsInt() || IsFloat(); }

    bool GetBool(const fxBase* pEffect) const;
    void SetBool(fxBase* pEffect, bool b) const;
    int GetInt(const fxBase* pEffect) const;
    void SetInt(fxBase* pEffect, int n) const;
    float GetFloat(const fxBase* pEffect) const;
    void SetFloat(fxBase* pEffect, float f) const;
    const std::string& GetString(const fxBase* pEffect) const;
    void SetString(fxBase* pEffect, const std::string& s) const;
    AttribButtonFn GetButton(const fxBase* pEffect) const;

    // Attribute editor: one row of an effect's property panel, drawn inside the panel's two
    // columns (label, value) with the cursor in the label column, leaving it in the label
    // column of the next row. Every change made through a widget is followed at once by the
    // effect's OnAttribChanged with the attribute.
    // A node with children is drawn as a composite row, any other as a leaf row.
    void DrawUI(fxBase* pEffect);
    void DrawLeaf(fxBase* pEffect);
    void DrawComposite(fxBase* pEffect);
    // The one-letter driver button of a drivable leaf row and its popup; leaves the cursor on
    // its line for the label. Draws nothing for attributes that cannot carry a driver.
    void DrawDriverButton(fxBase* pEffect);

    // Address of the value inside an effect object.
    void* ValuePtr(fxBase* pEffect) const { return reinterpret_cast<char*>(pEffect) + _nOffset; }
    const void* ValuePtr(const fxBase* pEffect) const
    {
        return reinterpret_cast<const char*>(pEffect) + _nOffset;
    }

    int _eType;
    std::string _sName;
    std::string _sLabel;
    std::string _sGroup;
    std::string _sTooltip;
    const char* const* _apszItems = nullptr;
    int _nItemCount = 0;
    unsigned char _nShortcutKey = 0;
    int _nOffset;
    std::vector<AttribDesc*> _apChildren;
    AttribRange* _pRange = nullptr;
    std::string _sFilter;
    bool _bMultiline = false;
    bool _bExpanded = false;
    rvFileBrowser* _pFileBrowser = nullptr;

    // Editor option: time attributes are shown as frames when set, as seconds when clear.
    static bool _bTimeInFrames;
};

// Byte offset of a member inside an effect object, measured from the object's Base part
// (fxBase for effects) because that is the pointer the accessors receive.
//
// Effect classes are polymorphic, so offsetof() is not defined for them. Instead the member
// pointer is applied to raw, suitably aligned storage that is never constructed: for a
// class whose bases are all non-virtual both the member access and the derived-to-base
// pointer conversion are fixed displacements known to the compiler, so nothing is read
// from the storage. The two cases where that would not hold cannot compile:
//  - a member that lies in a virtual base: converting the member pointer to Derived is
//    ill-formed;
//  - Base a virtual base of Derived: the static_cast from Base* to Derived* below is
//    ill-formed.
// Measuring from the Base subobject also keeps offsets right for a class whose fxBase part
// does not start the object.
//   rvOffsetOf<fxMyEffect>(&fxMyEffect::_fSpeed)
//   rvOffsetOf<MyRecord, MyRecord>(&MyRecord::_x) for records that are not effects.
template <class Derived, class Base = fxBase, class C, class M> int rvOffsetOf(M C::*pMember)
{
    M Derived::*pm = pMember;
    static_assert(sizeof(static_cast<Derived*>(static_cast<Base*>(nullptr))) != 0,
                  "Base must be a non-virtual base of Derived");
    alignas(Derived) static unsigned char storage[sizeof(Derived)];
    Derived* p = reinterpret_cast<Derived*>(storage);
    const char* pMemberAddr = reinterpret_cast<const char*>(&(p->*pm));
    const char* pBaseAddr = reinterpret_cast<const char*>(static_cast<Base*>(p));
    return int(pMemberAddr - pBaseAddr);
}
