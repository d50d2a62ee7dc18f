// Stored or driven numbers that size memory or work: held to their bounds, NaN to its fallback,
// with one warning per class attribute.
#include "Factory/fxBase.h"
#include "Factory/rvBound.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <limits>
#include <memory>
#include <string>

namespace
{
const float kInf = std::numeric_limits<float>::infinity();
const float kNaN = std::numeric_limits<float>::quiet_NaN();

std::unique_ptr<fxBase> NewEffect(const char* pszName)
{
    std::unique_ptr<fxBase> e(fxBase::Create(fxBase::GetDescriptor()));
    e->_sName = pszName;
    return e;
}

size_t Count(const std::string& s, const std::string& what)
{
    size_t n = 0;
    for (size_t i = s.find(what); i != std::string::npos; i = s.find(what, i + 1))
        ++n;
    return n;
}
} // namespace

TEST(Bound, ValuesAreHeldToTheirBoundsAndNaNToItsFallback)
{
    auto e = NewEffect("bounds");
    testing::internal::CaptureStderr();
    const struct
    {
        int in, out;
    } ints[] = {{5, 5}, {0, 0}, {100, 100}, {-1, 0}, {101, 100}, {INT_MIN, 0}, {INT_MAX, 100}};
    for (const auto& c : ints)
        EXPECT_EQ(rvBoundInt(e.get(), "Count", c.in, 0, 100), c.out) << c.in;

    const struct
    {
        float in, out;
    } floats[] = {{0.5f, 0.5f}, {-2.f, -1.f}, {3.f, 2.f}, {kInf, 2.f}, {-kInf, -1.f}, {kNaN, 0.25f}, {1e30f, 2.f}};
    for (const auto& c : floats)
        EXPECT_EQ(rvBoundFloat(e.get(), "Epsilon", c.in, -1.f, 2.f, 0.25f), c.out) << c.in;

    // A float that becomes a count: truncated inside, never converted outside the int range.
    const struct
    {
        float in;
        int out;
    } counts[] = {{3.9f, 3}, {0.f, 0}, {1000.5f, 1000}, {1001.f, 1000}, {-0.5f, 0}, {-1.f, 0},
                  {kNaN, 0},  {kInf, 1000}, {-kInf, 0}, {float(INT_MAX), 1000}, {1e30f, 1000}};
    for (const auto& c : counts)
        EXPECT_EQ(rvBoundFloatToInt(e.get(), "Steps", c.in, 0, 1000), c.out) << c.in;
    EXPECT_EQ(rvBoundFloatToInt(e.get(), "Steps", 2147483520.f, 0, INT_MAX), 2147483520);
    EXPECT_EQ(rvBoundFloatToInt(e.get(), "Steps", float(INT_MAX), 0, INT_MAX), INT_MAX);
    testing::internal::GetCapturedStderr();
}

TEST(Bound, OneWarningPerClassAttributeNamingEffectValueAndBound)
{
    auto a = NewEffect("first"), b = NewEffect("second");
    testing::internal::CaptureStderr();
    rvBoundInt(a.get(), "Item Count", 1000000000, 1, 1000); // warns
    rvBoundInt(a.get(), "Item Count", -5, 1, 1000);          // same class attribute: silent
    rvBoundInt(b.get(), "Item Count", 2000, 1, 1000);        // another effect of the class: silent
    rvBoundInt(a.get(), "Item Count", 10, 1, 1000);          // inside: silent
    rvBoundFloat(a.get(), "Radius", kNaN, 0.f, 1.f, 0.f);    // another attribute: warns
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(Count(err, "morvane: warning: "), 2u) << err;
    EXPECT_NE(err.find("fxBase \"first\": \"Item Count\" 1e+09 is out of 1..1000; 1000 is used"), std::string::npos)
        << err;
    EXPECT_NE(err.find("\"Radius\" nan is out of 0..1; 0 is used"), std::string::npos) << err;
}

TEST(Bound, TimeScaleIsFiniteAndNaNPlaysAtNormalSpeed)
{
    auto e = NewEffect("scale");
    testing::internal::CaptureStderr();
    const struct
    {
        float in, out;
    } cases[] = {{1.f, 1.f}, {-2.f, -2.f}, {0.f, 0.f}, {kNaN, 1.f}, {kInf, kMaxTimeScale}, {-1e30f, -kMaxTimeScale}};
    for (const auto& c : cases)
    {
        e->_fTimeScale = c.in;
        EXPECT_EQ(rvTimeScale(e.get()), c.out) << c.in;
    }
    // The local time stays a number whatever the scale.
    e->_eState = State_EffectStarted;
    for (float scale : {kNaN, kInf, -kInf})
    {
        e->_fTimeScale = scale;
        e->_fPendingDelta = 0.5f;
        e->Update();
        EXPECT_TRUE(std::isfinite(e->_fTime)) << scale;
    }
    e->_eState = State_DemoStoped;
    testing::internal::GetCapturedStderr();
}
