#include "Factory/Drivers/rvExpression.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>

namespace
{
struct Case
{
    const char* text;
    double expected;
};
} // namespace

TEST(rvExpression, StandardFunctionsAndConstants)
{
    double x = 2.5;
    rvExpression e;
    ASSERT_TRUE(e.DefineVar("x", &x));
    const Case cases[] = {
        {"x * 2", 5.0},
        {"floor(x)", 2.0},
        {"ceil(x)", 3.0},
        {"round(x)", 3.0},
        {"round(-x)", -3.0},
        {"trunc(-x)", -2.0},
        {"fract(x)", 0.5},
        {"pow(2, 10)", 1024.0},
        {"2^3", 8.0},
        {"fmod(7, x)", 2.0},
        {"clamp(x, 0, 1)", 1.0},
        {"clamp(-x, 0, 1)", 0.0},
        {"min(x, 1, 4)", 1.0},
        {"max(x, 1, 4)", 4.0},
        {"abs(-x)", 2.5},
        {"if(x > 2, 10, 20)", 10.0},
        {"x < 2 ? 10 : 20", 20.0},
        {"lerp(0, 10, 0.25)", 2.5},
        {"smoothstep(0, 1, 0.5)", 0.5},
        {"step(3, x)", 0.0},
        {"sin(pi / 2)", 1.0},
        {"epsilon", double(FLT_EPSILON)},
        {"-inf", -INFINITY},
        {"x == 2.5 && x != 3", 1.0},
    };
    for (const Case& c : cases)
    {
        ASSERT_TRUE(e.Compile(c.text)) << c.text << ": " << e.GetError();
        EXPECT_DOUBLE_EQ(e.Evaluate(), c.expected) << c.text;
    }
}

TEST(rvExpression, EveryFunctionOfTheSyntaxNotesCompiles)
{
    double x = 0.5;
    rvExpression e;
    e.DefineVar("x", &x);
    for (const char* text : {"sin(x)",       "cos(x)",
                             "tan(x)",       "asin(x)",
                             "acos(x)",      "atan(x)",
                             "sinh(x)",      "cosh(x)",
                             "tanh(x)",      "asinh(x)",
                             "acosh(x + 1)", "atanh(x)",
                             "atan2(x, 1)",  "sqrt(x)",
                             "exp(x)",       "ln(x)",
                             "log(x)",       "log2(x)",
                             "log10(x)",     "abs(x)",
                             "sign(x)",      "floor(x)",
                             "ceil(x)",      "trunc(x)",
                             "round(x)",     "rint(x)",
                             "fract(x)",     "pow(x, 2)",
                             "fmod(x, 2)",   "min(x, 1)",
                             "max(x, 1, 2)", "sum(x, 1)",
                             "avg(x, 1)",    "clamp(x, 0, 1)",
                             "if(x, 1, 2)",  "lerp(0, 1, x)",
                             "step(0, x)",   "smoothstep(0, 1, x)",
                             "_pi + _e"})
    {
        EXPECT_TRUE(e.Compile(text)) << text << ": " << e.GetError();
        EXPECT_TRUE(std::isfinite(e.Evaluate())) << text;
    }
}

TEST(rvExpression, BoundVariablesAreReadAtEvaluation)
{
    double x = 1.0, a = 3.0;
    rvExpression e;
    e.DefineVar("x", &x);
    e.DefineVar("a", &a);
    ASSERT_TRUE(e.Compile("a * x + 1"));
    EXPECT_EQ(e.Evaluate(), 4.0);
    a = 10.0;
    x = 0.5;
    EXPECT_EQ(e.Evaluate(), 6.0);
}

TEST(rvExpression, CollectsFreeVariablesInOrderOfAppearance)
{
    double x = 0.0;
    rvExpression e;
    e.DefineVar("x", &x);
    std::vector<std::string> names;
    ASSERT_TRUE(e.CollectVariables("zeta * x + alpha - pi * beta2 + zeta + epsilon * inf", names));
    EXPECT_EQ(names, (std::vector<std::string>{"zeta", "alpha", "beta2"}));
    // A text that does not parse leaves the list alone.
    EXPECT_FALSE(e.CollectVariables("a + * (", names));
    EXPECT_EQ(names.size(), 3u);
    EXPECT_TRUE(rvExpression::IsConstantName("pi"));
    EXPECT_FALSE(rvExpression::IsConstantName("x"));
}

TEST(rvExpression, ErrorsGiveFalseAndNaNNeverAnException)
{
    double x = 0.0;
    rvExpression e;
    e.DefineVar("x", &x);
    for (const char* bad : {"", "1 +", "sin(", "unknown_name * 2", "pi = 3", "clamp(1, 2)", "x ? 1", ")("})
    {
        EXPECT_FALSE(e.Compile(bad)) << bad;
        EXPECT_FALSE(e.GetError().empty()) << bad;
        EXPECT_TRUE(std::isnan(e.Evaluate())) << bad;
    }
    EXPECT_FALSE(e.DefineVar("pi", &x));
    EXPECT_FALSE(e.DefineVar("3abc", &x));
    EXPECT_FALSE(e.DefineVar("y", nullptr));
    // Still usable after errors.
    EXPECT_TRUE(e.Compile("x + 1"));
    EXPECT_EQ(e.Evaluate(), 1.0);
}
