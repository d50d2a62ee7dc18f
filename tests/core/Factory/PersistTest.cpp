#include "Factory/rvJson.h"
#include "Factory/rvpersist.h"
#include "TestSupport.h"

#include <cmath>
#include <cstring>
#include <limits>
#include <sstream>

namespace
{
struct Rec3
{
    float x, y;
    int id;
};

class Sample : public rvpersist
{
public:
    Sample() : rvpersist("Sample")
    {
        AddBool("b", &_b);
        AddInt("n", &_n);
        AddFloat("f", &_f);
        AddFloat("arr", _arr, 4);
        AddString("s", &_s);
        AddList("keys", &_keys);
    }
    bool _b = true;
    int _n = 7;
    float _f = 1.5f;
    float _arr[4] = {1, 2, 3, 4};
    std::string _s = "hello";
    std::vector<Rec3> _keys = {{1, 2, 3}};
};

std::string WriteDefault(const Json::Value& v)
{
    Json::StreamWriterBuilder b;
    return Json::writeString(b, v);
}

Json::Value ReadDefault(const std::string& text)
{
    Json::Value root;
    std::istringstream in(text);
    EXPECT_TRUE(rvJson::Parse(in, &root)) << text;
    return root;
}
} // namespace

TEST(Persist, SaveAndLoadEveryKind)
{
    Sample a;
    a._b = false;
    a._n = -12;
    a._f = 0.1f;
    a._arr[2] = 1e-30f;
    a._s = "x\"y";
    a._keys = {{0.5f, 10.f, 99}, {1.0f, -3.f, 1}};
    Json::Value json(Json::objectValue);
    a.Save(json);
    EXPECT_TRUE(json["b"].isBool());
    EXPECT_TRUE(json["arr"].isArray());
    EXPECT_EQ(json["keys"].size(), 2u);

    Sample b;
    b.Load(ReadDefault(WriteDefault(json)));
    EXPECT_EQ(b._b, false);
    EXPECT_EQ(b._n, -12);
    EXPECT_EQ(b._f, 0.1f);
    EXPECT_EQ(b._arr[2], 1e-30f);
    EXPECT_EQ(b._s, "x\"y");
    ASSERT_EQ(b._keys.size(), 2u);
    EXPECT_EQ(b._keys[0].id, 99);
    EXPECT_EQ(b._keys[1].y, -3.f);
}

TEST(Persist, ThirdFieldBitsSurviveAsDenormalFloat)
{
    Sample a;
    a._keys = {{0, 0, 1}};
    Json::Value json(Json::objectValue);
    a.Save(json);
    EXPECT_EQ(json["keys"][0]["z"].asDouble(), double(std::numeric_limits<float>::denorm_min()));
    Sample b;
    b.Load(ReadDefault(WriteDefault(json)));
    EXPECT_EQ(b._keys[0].id, 1);
}

TEST(Persist, NaNBitsComeBackAsZero)
{
    Sample a;
    int nanBits;
    float qnan = std::numeric_limits<float>::quiet_NaN();
    std::memcpy(&nanBits, &qnan, 4);
    a._keys = {{0, 0, nanBits}};
    Json::Value json(Json::objectValue);
    a.Save(json);
    const std::string text = WriteDefault(json);
    EXPECT_NE(text.find("\"z\" : null"), std::string::npos) << text;
    Sample b;
    b.Load(ReadDefault(text));
    EXPECT_EQ(b._keys[0].id, 0);
}

TEST(Persist, NonFiniteFloatsRoundTripThroughTheDefaultWriterAndReader)
{
    const float inf = std::numeric_limits<float>::infinity();
    Sample a;
    a._f = inf;
    a._arr[0] = -inf;
    a._arr[1] = std::numeric_limits<float>::quiet_NaN();
    Json::Value json(Json::objectValue);
    a.Save(json);
    const std::string text = WriteDefault(json);
    EXPECT_EQ(text.find("1e+9999"), std::string::npos) << text;

    Sample b;
    b._f = 0;
    b.Load(ReadDefault(text)); // must parse: the reader accepts everything the writer wrote
    EXPECT_EQ(b._f, inf);
    EXPECT_EQ(b._arr[0], -inf);
    EXPECT_EQ(b._arr[1], 0.0f); // NaN is stored as null: a missing element reads as 0
    EXPECT_EQ(b._arr[2], 3.0f);
}

TEST(Persist, MissingValuesKeepOrZero)
{
    Sample b;
    b.Load(ReadDefault(R"({"arr": [9, 8], "keys": []})"));
    EXPECT_EQ(b._arr[0], 9.0f);
    EXPECT_EQ(b._arr[1], 8.0f);
    EXPECT_EQ(b._arr[2], 0.0f);
    EXPECT_EQ(b._arr[3], 0.0f);
    EXPECT_TRUE(b._keys.empty());
    EXPECT_EQ(b._n, 7);
    EXPECT_EQ(b._s, "hello");

    Sample c;
    c.Load(ReadDefault(R"({"n": null, "f": "text", "b": "yes", "s": 5})"));
    EXPECT_EQ(c._n, 7); // null = absent
    EXPECT_EQ(c._keys.size(), 1u);
    EXPECT_EQ(c._s, "hello"); // wrong JSON kinds never throw
}

TEST(Persist, OutOfRangeNumbersAreClampedNotThrown)
{
    Sample b;
    b.Load(ReadDefault(R"({"n": 1e30, "arr": [1e300, -1e300, "x", {}]})"));
    EXPECT_EQ(b._n, std::numeric_limits<int>::max());
    EXPECT_TRUE(std::isinf(b._arr[0]));
    EXPECT_EQ(b._arr[2], 0.0f);
}

TEST(Persist, FileRoundTripAndMissingRoot)
{
    rvTest::TempWorkDir dir;
    Sample none;
    none.LoadFile(); // no file: nothing changes
    EXPECT_EQ(none._n, 7);
    none.SaveFile(); // no ./Data folder: nothing written, no failure
    dir.WriteFile("Data/.keep", "");

    Sample a;
    a._n = 3;
    a._f = std::numeric_limits<float>::infinity();
    a.SaveFile();
    const std::string text = dir.ReadFile("Data/Sample.json");
    Json::Value root = ReadDefault(text);
    ASSERT_TRUE(root.isObject());
    EXPECT_EQ(root.getMemberNames(), std::vector<std::string>{"Sample"});

    Sample b;
    b.LoadFile();
    EXPECT_EQ(b._n, 3);
    EXPECT_TRUE(std::isinf(b._f));

    dir.WriteFile("Data/Sample.json", R"({"Sample": {}})");
    Sample c;
    c.LoadFile();
    EXPECT_EQ(c._n, 7);
    dir.WriteFile("Data/Sample.json", R"({"Other": {"n": 1}})");
    c.LoadFile();
    EXPECT_EQ(c._n, 7);
    dir.WriteFile("Data/Sample.json", R"({"Sample": {"n": 5, "f": )"); // truncated document
    c.LoadFile();
    EXPECT_EQ(c._f, 1.5f);
}

namespace
{
class Leaf : public rvpersist
{
public:
    explicit Leaf(const std::string& name) : rvpersist(name) { AddInt("v", &_v); }
    int _v = 0;
};
} // namespace

TEST(Persist, ChildrenAndNamedArraysUseRunningIndices)
{
    Leaf a("A"), b("B"), c("C"), d("D");
    a._v = 1;
    b._v = 2;
    c._v = 3;
    d._v = 4;
    std::vector<rvpersist*> first = {&c}, second = {&d};
    rvpersist root("Root");
    root._apChildren = {&a, &b};
    root._aNamedArrays = {{"L1", &first}, {"L2", &second}};
    Json::Value json(Json::objectValue);
    root.Save(json);
    EXPECT_EQ(json["A"][0]["v"].asInt(), 1);
    EXPECT_EQ(json["B"][1]["v"].asInt(), 2);
    EXPECT_EQ(json["L1"][0]["v"].asInt(), 3);
    EXPECT_EQ(json["L2"][1]["v"].asInt(), 4); // the index runs on across named arrays

    a._v = b._v = c._v = d._v = 0;
    root.Load(json);
    EXPECT_EQ(a._v + b._v * 10 + c._v * 100 + d._v * 1000, 4321);
}
