#include "Factory/AttribDesc.h"
#include "Factory/Drivers/ExpressionDriver.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

namespace
{
struct ExpressionDriverTest : ::testing::Test
{
    std::unique_ptr<AttribDesc> pDesc{AttribDesc::Create(TYPE_FLOAT, "Group/Value", 0)};
    ExpressionDriver d{nullptr, pDesc.get()};

    std::vector<std::string> Names() const
    {
        std::vector<std::string> names;
        for (const auto& v : d._aUserVars)
            names.push_back(v._sName);
        return names;
    }
};
} // namespace

TEST_F(ExpressionDriverTest, CompilesOnceAndReadsTheTime)
{
    d._sExpression = "x * 2 + 1";
    EXPECT_EQ(d.GetValue(1.5f, false), 4.f);
    EXPECT_EQ(d.GetValue(0.f, true), 1.f);
    EXPECT_EQ(d.GetCompileCount(), 1);
    EXPECT_TRUE(d._aUserVars.empty()); // "x" is not a user variable
    d._sExpression = "sin(x * pi / 2) + epsilon * 0 + (inf > 0)";
    EXPECT_FLOAT_EQ(d.GetValue(1.f, false), 2.f);
    EXPECT_EQ(d.GetCompileCount(), 2);
    EXPECT_TRUE(d._aUserVars.empty());
}

TEST_F(ExpressionDriverTest, FreeVariablesAreBoundWithoutRecompiling)
{
    d._sExpression = "amp * x + offset";
    EXPECT_EQ(d.GetValue(2.f, false), 0.f);
    ASSERT_EQ(Names(), (std::vector<std::string>{"amp", "offset"}));
    d._aUserVars[0]._fValue = 3.f; // the sliders
    d._aUserVars[1]._fValue = -1.f;
    EXPECT_EQ(d.GetValue(2.f, false), 5.f);
    EXPECT_EQ(d.GetCompileCount(), 1);

    // A new text keeps the variables that stay (with their values), appends new ones at
    // 0 and drops vanished ones.
    d._sExpression = "offset + freq * x";
    EXPECT_EQ(d.GetValue(2.f, false), -1.f);
    EXPECT_EQ(Names(), (std::vector<std::string>{"offset", "freq"}));
    EXPECT_EQ(d._aUserVars[0]._fValue, -1.f);
    EXPECT_EQ(d._aUserVars[1]._fValue, 0.f);
    EXPECT_EQ(d.GetCompileCount(), 2);
}

TEST_F(ExpressionDriverTest, BadFormulasGiveNoValue)
{
    d._sExpression = "k * x";
    d.GetValue(0.f, false);
    d._aUserVars[0]._fValue = 2.f;
    // A text that cannot be read gives no value and keeps the variables as they were.
    d._sExpression = "k * x + (";
    EXPECT_EQ(d.GetValue(1.f, false), INFINITY);
    EXPECT_EQ(Names(), std::vector<std::string>{"k"});
    d._sExpression = "k * x";
    EXPECT_EQ(d.GetValue(1.f, false), 2.f);

    const char* bad[] = {"", "x +", "(x", "sqrt(-1)", "1 / 0", "1e300 * x", "undefined_fn(x)", "clamp(x)"};
    for (const char* text : bad)
    {
        d._sExpression = text;
        EXPECT_EQ(d.GetValue(1.f, false), INFINITY) << text;
    }
}

TEST_F(ExpressionDriverTest, SavesAndLoadsItsVariables)
{
    d._sExpression = "a * x + b";
    d.GetValue(0.f, false);
    d._aUserVars[0]._fValue = 0.5f;
    d._aUserVars[1]._fValue = 0.25f;
    Json::Value json;
    d.Save(json);
    EXPECT_EQ(json["_sExpression"].asString(), "a * x + b");
    EXPECT_EQ(json["nVarCount"].asInt(), 2);
    EXPECT_EQ(json["Vars"][1]["name"].asString(), "b");
    EXPECT_EQ(json["Vars"][1]["value"].asFloat(), 0.25f);

    ExpressionDriver back(nullptr, pDesc.get());
    back.Load(json);
    ASSERT_EQ(back._aUserVars.size(), 2u);
    EXPECT_EQ(back._aUserVars[0]._sName, "a");
    EXPECT_EQ(back.GetValue(2.f, false), 1.25f);
}

TEST_F(ExpressionDriverTest, LoadSurvivesHostileFiles)
{
    Json::Value json;
    json["_sExpression"] = "x + a";
    json["nVarCount"] = 2000000000; // more than the list holds
    json["Vars"][0]["name"] = "a";
    json["Vars"][0]["value"] = "not a number";
    d.Load(json);
    ASSERT_EQ(d._aUserVars.size(), 1u);
    EXPECT_EQ(d._aUserVars[0]._fValue, 0.f);

    // Names the formula cannot take as variables never rebind "x" or a constant.
    Json::Value odd;
    odd["_sExpression"] = "x + pi + (";
    odd["nVarCount"] = 3;
    odd["Vars"][0]["name"] = "x";
    odd["Vars"][0]["value"] = 100;
    odd["Vars"][1]["name"] = "pi";
    odd["Vars"][2] = "junk";
    odd["Vars"][1]["value"] = 7;
    d.Load(odd);
    EXPECT_EQ(d.GetValue(1.f, false), INFINITY); // does not compile
    d._sExpression = "x + pi";
    EXPECT_FLOAT_EQ(d.GetValue(1.f, false), 1.f + 3.14159265f);
    EXPECT_TRUE(d._aUserVars.empty());

    Json::Value notArray;
    notArray["nVarCount"] = 1;
    notArray["Vars"] = 5;
    d.Load(notArray);
    EXPECT_TRUE(d._aUserVars.empty());
}
