#include "Factory/AttribDesc.h"
#include "Factory/fxBase.h"
#include "Factory/fxDescriptor.h"
#include "rvMath.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <memory>

namespace
{
// Names of a node and all its descendants, depth first, node before its children.
void CollectNames(const AttribDesc* p, std::vector<std::string>& out)
{
    out.push_back(p->_sName);
    for (const AttribDesc* c : p->_apChildren)
        CollectNames(c, out);
}

std::vector<std::string> Names(const AttribDesc* p)
{
    std::vector<std::string> out;
    CollectNames(p, out);
    return out;
}

std::vector<std::string> ChildSuffixes(const AttribDesc* p)
{
    std::vector<std::string> out;
    for (const AttribDesc* c : p->_apChildren)
        out.push_back(c->_sName.substr(p->_sName.size()));
    return out;
}

// Polymorphic records with a second base before the effect-like base, so the effect part
// does not start the object.
struct Root
{
    virtual ~Root() = default;
    int _nRootValue = 0;
};
struct Other
{
    virtual ~Other() = default;
    double _dPad = 0;
};
struct Effect : Other, Root
{
    float _fSpeed = 0;
    rvTransform3D _transform;
    float _color[4] = {0, 0, 0, 0};
};
} // namespace

TEST(AttribDesc, NameSplitsIntoGroupAndLabelAtFirstSlash)
{
    struct Case
    {
        const char* name;
        const char* group;
        const char* label;
    } cases[] = {{"Horizon/Offset", "Horizon", "Offset"},
                 {"Speed", "", "Speed"},
                 {"A/B/C", "A", "B/C"},
                 {"/Lead", "", "Lead"}};
    for (const Case& c : cases)
    {
        AttribDesc d(TYPE_FLOAT, c.name, 0);
        EXPECT_EQ(d._sGroup, c.group) << c.name;
        EXPECT_EQ(d._sLabel, c.label) << c.name;
    }
    std::unique_ptr<AttribDesc> color(AttribDesc::Create(TYPE_COLOR3, "Dot/Color", 0));
    EXPECT_EQ(color->_apChildren[0]->_sName, "Dot/Color.r");
    EXPECT_EQ(color->_apChildren[0]->_sGroup, "Dot");
    EXPECT_EQ(color->_apChildren[0]->_sLabel, "Color.r");
}

TEST(AttribDesc, ChildrenOfEveryTypeInOrderWithOffsets)
{
    struct Case
    {
        int type;
        std::vector<std::string> suffixes;
        std::vector<int> offsets; // relative to the parent, 4-byte floats
    } cases[] = {
        {TYPE_BOOL, {}, {}},
        {TYPE_INT, {}, {}},
        {TYPE_TIME, {}, {}},
        {TYPE_FLOAT, {}, {}},
        {TYPE_STRING, {}, {}},
        {TYPE_FILE, {}, {}},
        {TYPE_SEPARATOR, {}, {}},
        {TYPE_BUTTON, {}, {}},
        {TYPE_ARRAY, {}, {}},
        {TYPE_ENUM, {}, {}},
        {TYPE_COLOR3, {".r", ".g", ".b"}, {0, 4, 8}},
        {TYPE_COLOR4, {".r", ".g", ".b", ".a"}, {0, 4, 8, 12}},
        {TYPE_VEC2, {".x", ".y"}, {0, 4}},
        {TYPE_VEC3, {".x", ".y", ".z"}, {0, 4, 8}},
        {TYPE_VEC4, {".w", ".x", ".y", ".z"}, {12, 0, 4, 8}},
        {TYPE_SCALE2, {".x", ".y"}, {0, 4}},
        {TYPE_SCALE3, {".x", ".y", ".z"}, {0, 4, 8}},
        {TYPE_TRANSFORM_2D, {".Pos", ".Pivot", ".Rot", ".Scale"}, {}},
        {TYPE_TRANSFORM_3D, {".Pos", ".Pivot", ".Rot", ".Scale"}, {}},
        {TYPE_LOOKAT_CAMERA, {".Yaw", ".Pitch", ".Roll", ".Dist", ".Pan"}, {0, 4, 8, 12, 16}},
        {TYPE_GEAR, {".Name", ".Highlight", ".Speed", ".r", ".g", ".b"}, {}},
    };
    ASSERT_EQ(sizeof(cases) / sizeof(cases[0]), size_t(TYPE_MAX));
    for (const Case& c : cases)
    {
        std::unique_ptr<AttribDesc> p(AttribDesc::Create(c.type, "A", 100));
        EXPECT_EQ(p->_eType, c.type);
        EXPECT_EQ(ChildSuffixes(p.get()), c.suffixes) << "type " << c.type;
        for (size_t i = 0; i < c.offsets.size(); ++i)
            EXPECT_EQ(p->_apChildren[i]->_nOffset, 100 + c.offsets[i]) << "type " << c.type << " child " << i;
    }
}

TEST(AttribDesc, CompositeChildTypesAndNestedNames)
{
    std::unique_ptr<AttribDesc> t(AttribDesc::Create(TYPE_TRANSFORM_3D, "Transform", 0));
    EXPECT_EQ(t->_apChildren[0]->_eType, TYPE_VEC3);
    EXPECT_EQ(t->_apChildren[2]->_eType, TYPE_VEC3);
    EXPECT_EQ(t->_apChildren[3]->_eType, TYPE_SCALE3);
    EXPECT_EQ(Names(t->_apChildren[3]), (std::vector<std::string>{"Transform.Scale", "Transform.Scale.x",
                                                                  "Transform.Scale.y", "Transform.Scale.z"}));
    std::unique_ptr<AttribDesc> t2(AttribDesc::Create(TYPE_TRANSFORM_2D, "T", 0));
    EXPECT_EQ(t2->_apChildren[0]->_eType, TYPE_VEC2);
    EXPECT_EQ(t2->_apChildren[2]->_eType, TYPE_FLOAT);
    EXPECT_EQ(t2->_apChildren[3]->_eType, TYPE_SCALE2);

    std::unique_ptr<AttribDesc> g(AttribDesc::Create(TYPE_GEAR, "G", 0));
    const int types[] = {TYPE_STRING, TYPE_BOOL, TYPE_FLOAT, TYPE_FLOAT, TYPE_FLOAT, TYPE_FLOAT};
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(g->_apChildren[i]->_eType, types[i]);
}

TEST(AttribDesc, ChildrenAddressTheMembersOfPolymorphicOwners)
{
    Effect e;
    e._fSpeed = 3.5f;
    e._transform._vPosition = {1, 2, 3};
    e._transform._vRotation = {4, 5, 6};
    e._transform._vScale = {7, 8, 9};
    e._transform._vPivot = {10, 11, 12};
    e._color[3] = 0.25f;
    Root* pRoot = &e; // the accessors are handed the effect part, not the start of the object
    fxBase* pEffect = reinterpret_cast<fxBase*>(pRoot);
    ASSERT_NE(static_cast<void*>(pRoot), static_cast<void*>(&e));

    std::unique_ptr<AttribDesc> speed(
        AttribDesc::Create(TYPE_FLOAT, "Speed", rvOffsetOf<Effect, Root>(&Effect::_fSpeed)));
    EXPECT_EQ(speed->GetFloat(pEffect), 3.5f);
    std::unique_ptr<AttribDesc> root(
        AttribDesc::Create(TYPE_INT, "Root", rvOffsetOf<Effect, Root>(&Effect::_nRootValue)));
    root->SetInt(pEffect, 42);
    EXPECT_EQ(e._nRootValue, 42);

    std::unique_ptr<AttribDesc> t(
        AttribDesc::Create(TYPE_TRANSFORM_3D, "T", rvOffsetOf<Effect, Root>(&Effect::_transform)));
    const float expected[4][3] = {{1, 2, 3}, {10, 11, 12}, {4, 5, 6}, {7, 8, 9}}; // Pos Pivot Rot Scale
    for (int c = 0; c < 4; ++c)
        for (int k = 0; k < 3; ++k)
            EXPECT_EQ(t->_apChildren[c]->_apChildren[k]->GetFloat(pEffect), expected[c][k]) << c << "," << k;

    std::unique_ptr<AttribDesc> col(
        AttribDesc::Create(TYPE_VEC4, "C", rvOffsetOf<Effect, Root>(&Effect::_color)));
    EXPECT_EQ(col->_apChildren[0]->GetFloat(pEffect), 0.25f); // ".w" is the fourth float
}

TEST(AttribDesc, TwoDimensionalTransformChildrenAddressItsMembers)
{
    rvTransform2D t;
    t._vPosition = {1, 2};
    t._vPivot = {3, 4};
    t._fRotation = 5;
    t._vScale = {6, 7};
    fxBase* p = reinterpret_cast<fxBase*>(&t);
    std::unique_ptr<AttribDesc> d(AttribDesc::Create(TYPE_TRANSFORM_2D, "T", 0));
    EXPECT_EQ(d->_apChildren[0]->_apChildren[1]->GetFloat(p), 2.0f);
    EXPECT_EQ(d->_apChildren[1]->_apChildren[0]->GetFloat(p), 3.0f);
    EXPECT_EQ(d->_apChildren[2]->GetFloat(p), 5.0f);
    EXPECT_EQ(d->_apChildren[3]->_apChildren[1]->GetFloat(p), 7.0f);
}

TEST(AttribDesc, DefaultRangesOfCompositeTypes)
{
    auto expectRange = [](const AttribDesc* p, float lo, float hi)
    {
        ASSERT_NE(p->_pRange, nullptr) << p->_sName;
        EXPECT_EQ(p->_pRange->_min.f, lo) << p->_sName;
        EXPECT_EQ(p->_pRange->_max.f, hi) << p->_sName;
    };
    std::unique_ptr<AttribDesc> c(AttribDesc::Create(TYPE_COLOR4, "C", 0));
    expectRange(c.get(), 0, 1);
    for (auto* ch : c->_apChildren)
        expectRange(ch, 0, 1);

    std::unique_ptr<AttribDesc> s(AttribDesc::Create(TYPE_SCALE3, "S", 0));
    expectRange(s.get(), 0.01f, 2);
    expectRange(s->_apChildren[2], 0.01f, 2);

    std::unique_ptr<AttribDesc> t(AttribDesc::Create(TYPE_TRANSFORM_3D, "T", 0));
    EXPECT_EQ(t->_pRange, nullptr);
    const float r[4][2] = {{-200, 200}, {-200, 200}, {-180, 180}, {0.01f, 2}};
    for (int i = 0; i < 4; ++i)
    {
        expectRange(t->_apChildren[i], r[i][0], r[i][1]);
        for (auto* g : t->_apChildren[i]->_apChildren)
            expectRange(g, r[i][0], r[i][1]);
    }

    std::unique_ptr<AttribDesc> cam(AttribDesc::Create(TYPE_LOOKAT_CAMERA, "Cam", 0));
    EXPECT_EQ(cam->_pRange, nullptr);
    for (int i = 0; i < 3; ++i)
        expectRange(cam->_apChildren[i], -3.141592f, 3.141592f);
    expectRange(cam->_apChildren[3], 0.01f, 2000);
    expectRange(cam->_apChildren[4], 0, 2000);
    expectRange(cam->_apChildren[4]->_apChildren[0], 0, 2000);
    expectRange(cam->_apChildren[4]->_apChildren[1], 0, 2000);
    EXPECT_NE(cam->_apChildren[0]->_pRange->_max.f, 3.14159265358979f);

    std::unique_ptr<AttribDesc> f(AttribDesc::Create(TYPE_FLOAT, "F", 0));
    EXPECT_EQ(f->_pRange, nullptr);
}

TEST(AttribDesc, RangesRecurseAndChildCallsNarrowOnlyTheChild)
{
    std::unique_ptr<AttribDesc> t(AttribDesc::Create(TYPE_TRANSFORM_2D, "T", 0));
    t->SetTransformRanges(-1, 1, -2, 2, -3, 3, 0.5f, 4);
    EXPECT_EQ(t->_apChildren[1]->_apChildren[0]->_pRange->_max.f, 2.0f);
    EXPECT_EQ(t->_apChildren[3]->_apChildren[1]->_pRange->_min.f, 0.5f);
    t->_apChildren[0]->_apChildren[0]->SetRange(-0.5f, 0.5f);
    EXPECT_EQ(t->_apChildren[0]->_apChildren[0]->_pRange->_max.f, 0.5f);
    EXPECT_EQ(t->_apChildren[0]->_apChildren[1]->_pRange->_max.f, 1.0f);
    EXPECT_EQ(t->_apChildren[0]->_pRange->_max.f, 1.0f);

    std::unique_ptr<AttribDesc> n(AttribDesc::Create(TYPE_INT, "N", 0));
    n->SetIntRange(-3, 9);
    EXPECT_EQ(n->_pRange->_min.i, -3);
    EXPECT_EQ(n->_pRange->_max.i, 9);
    // A float range given to an int-kind node is kept as ints (rounded, clamped), not as bits.
    for (int eType : {TYPE_INT, TYPE_TIME, TYPE_ENUM})
    {
        std::unique_ptr<AttribDesc> i(AttribDesc::Create(eType, "I", 0));
        i->SetRange(-2.5f, 100.0f);
        EXPECT_EQ(i->_pRange->_min.i, -3) << eType;
        EXPECT_EQ(i->_pRange->_max.i, 100) << eType;
        i->SetRange(NAN, 1e20f);
        EXPECT_EQ(i->_pRange->_min.i, 0) << eType;
        EXPECT_EQ(i->_pRange->_max.i, INT_MAX) << eType;
    }
}

TEST(AttribDesc, ItemsOnlyOnEnums)
{
    static const char* const items[] = {"A", "B"};
    std::unique_ptr<AttribDesc> e(AttribDesc::Create(TYPE_ENUM, "E", 0));
    e->SetItems(items, 2);
    EXPECT_EQ(e->_apszItems, items);
    EXPECT_EQ(e->_nItemCount, 2);
    std::unique_ptr<AttribDesc> i(AttribDesc::Create(TYPE_INT, "I", 0));
    i->SetItems(items, 2);
    EXPECT_EQ(i->_apszItems, nullptr);
    EXPECT_EQ(i->_nItemCount, 0);
}

TEST(AttribDesc, Predicates)
{
    const bool isBool[TYPE_MAX] = {1};
    const bool isInt[TYPE_MAX] = {0, 1, 1, 0, 0, 0, 0, 0, 0, 1};
    const bool isFloat[TYPE_MAX] = {0, 0, 0, 1};
    const bool isString[TYPE_MAX] = {0, 0, 0, 0, 1, 1};
    for (int t = 0; t < TYPE_MAX; ++t)
    {
        AttribDesc d(t, "x", 0);
        EXPECT_EQ(d.IsBool(), isBool[t]) << t;
        EXPECT_EQ(d.IsInt(), isInt[t]) << t;
        EXPECT_EQ(d.IsFloat(), isFloat[t]) << t;
        EXPECT_EQ(d.IsString(), isString[t]) << t;
    }
}

// Start and End from a file or a driver stay within +-kMaxFrame: their span always fits an int
// (a timeline from -10 to 2147483647 made End - Start overflow).
TEST(AttribDesc, TimeValuesStayWithinTheFrameLimit)
{
    std::unique_ptr<fxBase> fx(fxBase::Create(fxBase::RegisterAttributes()));
    const AttribDesc* start = fx->_pDescriptor->FindAttrib("Start");
    const AttribDesc* end = fx->_pDescriptor->FindAttrib("End");
    const struct
    {
        int start, end, wantStart, wantEnd;
    } cases[] = {
        {-10, INT_MAX, -10, kMaxFrame},
        {INT_MIN, INT_MAX, -kMaxFrame, kMaxFrame},
        {30, 600, 30, 600},
    };
    for (const auto& c : cases)
    {
        start->SetInt(fx.get(), c.start);
        end->SetInt(fx.get(), c.end);
        EXPECT_EQ(fx->_nStart, c.wantStart);
        EXPECT_EQ(fx->_nEnd, c.wantEnd);
        EXPECT_FLOAT_EQ(fx->GetDuration(), float((double(c.wantEnd) - c.wantStart) / 60.0));
    }
}

TEST(AttribDescDeathTest, WrongAccessorOrTransformRangeOnOtherType)
{
    float f = 0;
    AttribDesc d(TYPE_FLOAT, "F", 0);
    fxBase* p = reinterpret_cast<fxBase*>(&f);
    EXPECT_DEATH(d.GetInt(p), "IsInt\\(\\)");
    EXPECT_DEATH(d.SetBool(p, true), "IsBool\\(\\)");
    EXPECT_DEATH(d.GetString(p), "IsString\\(\\)");
    AttribDesc v(TYPE_VEC3, "V", 0);
    EXPECT_DEATH(v.SetTransformRanges(0, 1, 0, 1, 0, 1, 0, 1),
                 "_eType == TYPE_TRANSFORM_2D \\|\\| _eType == TYPE_TRANSFORM_3D.*AttribDesc");
}

TEST(fxDescriptor, AddArrayBuildsSizeThenElements)
{
    fxDescriptor d(nullptr, "fxArrayOwner", nullptr);
    AttribDesc* a = d.AddArray("Array", TYPE_TRANSFORM_3D, 100, 16, 8, 10);
    ASSERT_EQ(d._apAttribs.size(), 1u);
    EXPECT_EQ(a->_eType, TYPE_ARRAY);
    EXPECT_EQ(a->_nOffset, 16);
    ASSERT_EQ(a->_apChildren.size(), 11u);
    EXPECT_EQ(a->_apChildren[0]->_sName, "Array.size");
    EXPECT_EQ(a->_apChildren[0]->_eType, TYPE_INT);
    EXPECT_EQ(a->_apChildren[0]->_nOffset, 8);
    EXPECT_EQ(a->_apChildren[0]->_pRange->_max.i, 10);
    EXPECT_EQ(a->_apChildren[10]->_sName, "Array[9]");
    EXPECT_EQ(a->_apChildren[10]->_nOffset, 16 + 9 * 100);
    EXPECT_EQ(a->_apChildren[10]->_apChildren[0]->_sName, "Array[9].Pos");
    EXPECT_EQ(d.FindAttrib("Array[3].Scale.z"), a->_apChildren[4]->_apChildren[3]->_apChildren[2]);

    AttribDesc* empty = d.AddArray("None", TYPE_FLOAT, 4, 0, 4, 0);
    ASSERT_EQ(empty->_apChildren.size(), 1u);
    EXPECT_EQ(empty->_apChildren[0]->_pRange->_min.i, 0);
    EXPECT_EQ(empty->_apChildren[0]->_pRange->_max.i, 0);
}

TEST(fxDescriptor, FindAttribSearchesParentFirstAndChildrenBeforeNode)
{
    fxDescriptor base(nullptr, "fxRoot", nullptr);
    AttribDesc* baseName = base.Add(TYPE_STRING, "Name", 0);
    fxDescriptor derived(&base, "fxLeaf", nullptr);
    derived.Add(TYPE_STRING, "Name", 40);
    AttribDesc* color = derived.Add(TYPE_COLOR3, "Color", 8);
    // A node whose own name equals a child's name of an earlier node: the child wins.
    derived.Add(TYPE_FLOAT, "Color.g", 60);

    EXPECT_EQ(derived.FindAttrib("Name"), baseName);
    EXPECT_EQ(derived.FindAttrib("Color.g"), color->_apChildren[1]);
    EXPECT_EQ(derived.FindAttrib("Color"), color);
    EXPECT_EQ(derived.FindAttrib("color"), nullptr);
    EXPECT_EQ(derived.FindAttrib("Colo"), nullptr);
    EXPECT_EQ(base.FindAttrib("Color"), nullptr);
}
