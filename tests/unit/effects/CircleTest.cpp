// The circle effect on a vector display that only collects geometry (no GL needed): the strip it
// adds, its colour under the fade, and its "Array" of transforms through the effect JSON.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <sstream>
#include <vector>

#include "../Factory/EffectTestSupport.h"
#include "Factory/rvJson.h"
#include "effects/fxCircle/fxCircle.h"
#include "rvSceneDisplay.h"
#include "vector_display/vector_display.h"

namespace
{
Json::Value Parse(const std::string& text)
{
    std::istringstream in(text);
    Json::Value v;
    EXPECT_TRUE(rvJson::Parse(in, &v));
    return v;
}

// A display made current for the test, as a render buffer would make it.
class CircleTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        rvTest::TheFactory();
        vector_display_create(&_pDisplay, 640, 360);
        rvSceneDisplay::_pCurrentDisplay = _pDisplay;
    }
    void TearDown() override
    {
        rvSceneDisplay::_pCurrentDisplay = nullptr;
        vector_display_destroy(_pDisplay);
    }

    std::unique_ptr<fxCircle> NewCircle()
    {
        return std::unique_ptr<fxCircle>(
            static_cast<fxCircle*>(fxCircle::Create(fxCircle::RegisterAttributes())));
    }

    // One frame as the timeline runs it: started when needed, advanced by dt, rendered.
    void Frame(fxCircle& c, float dt)
    {
        c.SetState(State_EffectStarted);
        c._fPendingDelta = dt;
        c.Update();
    }

    static void Stop(fxCircle& c) { c.SetState(State_DemoStoped); }

    std::vector<vector_display_point> Points() const
    {
        return std::vector<vector_display_point>(_pDisplay->points, _pDisplay->points + _pDisplay->npoints);
    }

    vector_display* _pDisplay = nullptr;
};
} // namespace

TEST_F(CircleTest, DrawsOneClosedStripOf65PointsInThePlaneOfPos)
{
    for (float radius : {5.0f, 0.0f})
    {
        _pDisplay->npoints = 0;
        _pDisplay->nlines = 0;
        auto c = NewCircle();
        c->_vPos = glm::vec3(3.0f, -4.0f, 7.0f);
        c->_fRadius = radius;
        c->_fFadeIn = 0.0f;
        Frame(*c, 0.0f);
        Stop(*c);

        const std::vector<vector_display_point> pts = Points();
        // Adjacency point, 65 strip points, adjacency point.
        ASSERT_EQ(pts.size(), 67u) << "radius " << radius;
        EXPECT_EQ(pts.front().flags, PTF_LINE_STRIPSTART);
        EXPECT_EQ(pts.back().flags, PTF_LINE_STRIPEND);
        EXPECT_EQ(_pDisplay->nlines, 64);
        EXPECT_EQ(_pDisplay->npoints_strip, 0); // closed
        for (size_t i = 1; i + 1 < pts.size(); ++i)
        {
            const vector_display_point& p = pts[i];
            EXPECT_EQ(p.flags, 0);
            EXPECT_FLOAT_EQ(p.z, 7.0f);
            EXPECT_NEAR(std::hypot(p.x - 3.0f, p.y + 4.0f), radius, 1e-4f);
            EXPECT_FLOAT_EQ(p.r, 1.0f); // default colour: yellow
            EXPECT_FLOAT_EQ(p.g, 1.0f);
            EXPECT_FLOAT_EQ(p.b, 0.0f);
        }
        // Starts straight below the centre and closes on its first point.
        EXPECT_FLOAT_EQ(pts[1].x, 3.0f);
        EXPECT_FLOAT_EQ(pts[1].y, -4.0f - radius);
        EXPECT_NEAR(pts[65].x, pts[1].x, 1e-4f);
        EXPECT_NEAR(pts[65].y, pts[1].y, 1e-4f);
    }
}

TEST_F(CircleTest, ColourFollowsTheFadeAndIgnoresAlpha)
{
    struct Case
    {
        float fadeIn, fadeOut;
        glm::vec4 color;
        float time;      // local time of the frame (span 10 s)
        glm::vec3 drawn; // colour of the strip points
    } cases[] = {
        {1.0f, 1.0f, {1, 1, 0, 1}, 0.0f, {0, 0, 0}},                 // black at time 0, still drawn
        {2.0f, 1.0f, {1, 1, 0, 1}, 0.5f, {0.25f, 0.25f, 0}},         // a quarter into the fade-in
        {0.0f, 0.0f, {1, 1, 0, 1}, 0.0f, {1, 1, 0}},                 // no fades
        {0.0f, 4.0f, {0.5f, 1, 1, 1}, 9.0f, {0.125f, 0.25f, 0.25f}}, // 1 s before the end of a 4 s fade-out
        {0.0f, 0.0f, {0.2f, 0.4f, 0.6f, 0.0f}, 3.0f, {0.2f, 0.4f, 0.6f}}, // alpha 0 changes nothing
        {0.0f, 0.0f, {3.0f, -1.0f, 0.5f, 1}, 3.0f, {1, 0, 0.5f}}, // out-of-range channels held to 0..1
        {0.0f, 0.0f, {NAN, INFINITY, -INFINITY, 1}, 3.0f, {0, 1, 0}}, // not finite: NaN draws black
        {1.0f, 1.0f, {INFINITY, 1, 0, 1}, 0.0f, {0, 0, 0}},            // infinity times a fade of 0
    };
    for (const Case& k : cases)
    {
        _pDisplay->npoints = 0;
        auto c = NewCircle();
        c->_nEnd = 600;
        c->_fFadeIn = k.fadeIn;
        c->_fFadeOut = k.fadeOut;
        c->_vColor = k.color;
        c->SetState(State_EffectStarted);
        c->_fSeekTime = k.time;
        c->Update();
        Stop(*c);
        ASSERT_EQ(_pDisplay->npoints, 67);
        const vector_display_point& p = _pDisplay->points[10];
        EXPECT_NEAR(p.r, k.drawn.r, 1e-5f) << "case time " << k.time;
        EXPECT_NEAR(p.g, k.drawn.g, 1e-5f) << "case time " << k.time;
        EXPECT_NEAR(p.b, k.drawn.b, 1e-5f) << "case time " << k.time;
    }
}

TEST_F(CircleTest, RenderWithoutADisplayStops)
{
    auto c = NewCircle();
    rvSceneDisplay::_pCurrentDisplay = nullptr;
    EXPECT_DEATH(c->Render(), "_pCurrentDisplay");
    rvSceneDisplay::_pCurrentDisplay = _pDisplay;
}

TEST_F(CircleTest, ArrayOfThreeTransformsRoundTripsThroughJsonAndDoesNotChangeTheDrawing)
{
    const Json::Value stored = Parse(R"({"Class": "fxCircle", "Properties": {
        "Name": "Ring", "Pos.x": 2.0, "Radius": 12.5, "Color.g": 0.5,
        "Array.size": 3,
        "Array[0].Pos.x": 1.5, "Array[0].Pos.y": -2.0,
        "Array[1].Rot.z": 45.0, "Array[1].Pivot.x": 3.0,
        "Array[2].Scale.y": 2.0, "Array[2].Pos.z": -7.25}})");
    std::unique_ptr<fxBase> loaded(Factory::EffectFromJson(stored));
    ASSERT_NE(loaded, nullptr);
    fxCircle& c = static_cast<fxCircle&>(*loaded);
    EXPECT_EQ(c._nArraySize, 3);
    EXPECT_EQ(c._aArray[0]._vPosition, glm::vec3(1.5f, -2.0f, 0.0f));
    EXPECT_EQ(c._aArray[1]._vRotation, glm::vec3(0.0f, 0.0f, 45.0f));
    EXPECT_EQ(c._aArray[1]._vPivot, glm::vec3(3.0f, 0.0f, 0.0f));
    EXPECT_EQ(c._aArray[2]._vScale, glm::vec3(1.0f, 2.0f, 1.0f));
    EXPECT_EQ(c._aArray[2]._vPosition, glm::vec3(0.0f, 0.0f, -7.25f));
    EXPECT_EQ(c._aArray[3]._vScale, glm::vec3(1.0f)); // elements past the count keep their defaults

    Json::Value saved(Json::objectValue);
    ASSERT_TRUE(Factory::EffectToJson(loaded.get(), saved));
    const Json::Value& props = saved["Properties"];
    EXPECT_EQ(props["Array.size"].asInt(), 3);
    EXPECT_EQ(props["Array[0].Pos.x"].asFloat(), 1.5f);
    EXPECT_EQ(props["Array[0].Pos.y"].asFloat(), -2.0f);
    EXPECT_EQ(props["Array[1].Rot.z"].asFloat(), 45.0f);
    EXPECT_EQ(props["Array[1].Pivot.x"].asFloat(), 3.0f);
    EXPECT_EQ(props["Array[2].Scale.y"].asFloat(), 2.0f);
    EXPECT_EQ(props["Array[2].Pos.z"].asFloat(), -7.25f);
    EXPECT_TRUE(props.isMember("Array[9].Scale.z")); // all ten elements are saved
    EXPECT_EQ(props["Radius"].asFloat(), 12.5f);
    EXPECT_EQ(props["Color.a"].asFloat(), 1.0f);

    // Loading the saved form again gives the same values.
    std::unique_ptr<fxBase> again(Factory::EffectFromJson(saved));
    ASSERT_NE(again, nullptr);
    Json::Value savedAgain(Json::objectValue);
    Factory::EffectToJson(again.get(), savedAgain);
    EXPECT_EQ(savedAgain, saved);

    // The same circle without an Array draws exactly the same points.
    Json::Value plain = stored;
    for (const std::string& key : plain["Properties"].getMemberNames())
        if (key.rfind("Array", 0) == 0) plain["Properties"].removeMember(key);
    std::unique_ptr<fxBase> empty(Factory::EffectFromJson(plain));
    ASSERT_NE(empty, nullptr);
    EXPECT_EQ(static_cast<fxCircle&>(*empty)._nArraySize, 0);

    std::vector<std::vector<vector_display_point>> drawn;
    for (fxBase* e : {loaded.get(), empty.get()})
    {
        _pDisplay->npoints = 0;
        Frame(static_cast<fxCircle&>(*e), 0.5f);
        Stop(static_cast<fxCircle&>(*e));
        drawn.push_back(Points());
    }
    ASSERT_EQ(drawn[0].size(), 67u);
    ASSERT_EQ(drawn[0].size(), drawn[1].size());
    for (size_t i = 0; i < drawn[0].size(); ++i)
    {
        EXPECT_EQ(drawn[0][i].x, drawn[1][i].x);
        EXPECT_EQ(drawn[0][i].y, drawn[1][i].y);
        EXPECT_EQ(drawn[0][i].z, drawn[1][i].z);
        EXPECT_EQ(drawn[0][i].g, drawn[1][i].g);
    }
}

TEST_F(CircleTest, RegistersItsAttributes)
{
    fxDescriptor* d = fxCircle::RegisterAttributes();
    EXPECT_EQ(rvTest::TheFactory()->FindDescriptor("fxCircle"), d);
    ASSERT_EQ(d->_apAttribs.size(), 4u);
    const char* names[] = {"Pos", "Radius", "Color", "Array"};
    const int types[] = {TYPE_VEC3, TYPE_FLOAT, TYPE_COLOR4, TYPE_ARRAY};
    for (int i = 0; i < 4; ++i)
    {
        EXPECT_EQ(d->_apAttribs[i]->_sName, names[i]);
        EXPECT_EQ(d->_apAttribs[i]->_eType, types[i]);
    }
    AttribDesc* size = d->FindAttrib("Array.size");
    ASSERT_NE(size, nullptr);
    EXPECT_EQ(size->_pRange->_max.i, 10);
    EXPECT_NE(d->FindAttrib("Array[9].Rot.y"), nullptr);
    EXPECT_EQ(d->FindAttrib("Array[10]"), nullptr);
    EXPECT_EQ(d->FindAttrib("Pos.z")->_pRange->_min.f, -60.0f);
    EXPECT_EQ(d->FindAttrib("Radius")->_pRange->_max.f, 150.0f);

    auto c = NewCircle();
    EXPECT_EQ(c->_pVectorScene, nullptr);
    EXPECT_EQ(c->_pTransform, nullptr);
    EXPECT_EQ(c->_sName, "fxCircle");
    EXPECT_EQ(c->_vColor, glm::vec4(1, 1, 0, 1));
    EXPECT_EQ(c->_fRadius, 10.0f);
    EXPECT_EQ(c->_aArray[5]._mMatrix, glm::mat4(1.0f));
}
