// The mesh silhouette effect without a window: the generated runner (joints, animations, poses),
// the automatic animation sequence, the contour tracer on hand-made masks, the orbit camera and
// the contour scene built on a vector display that only collects geometry.
#include <gtest/gtest.h>

#include "../Factory/EffectTestSupport.h"
#include "TestSupport.h"

#include "Display/rvBufferDisplay.h"
#include "VectorScene/VectorScene.h"
#include "VectorScene/VectorSceneLine.h"
#include "Factory/Drivers/KeyFrameDriver.h"
#include "effects/fxAnimation/fxAnimation.h"
#include "rvSceneDisplay.h"
#include "vector_display/vector_display.h"

#include <cmath>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace
{
const std::string kRunner = rvTest::SourcePath("Data/meshes/RunningMan.glb");

std::unique_ptr<fxAnimation> NewAnimation()
{
    rvTest::TheFactory();
    return std::unique_ptr<fxAnimation>(
        static_cast<fxAnimation*>(fxAnimation::Create(fxAnimation::RegisterAttributes())));
}

// The effect with a model loaded without the GPU.
std::unique_ptr<fxAnimation> WithModel(const std::string& path)
{
    std::unique_ptr<fxAnimation> a = NewAnimation();
    a->_Model._bUpload = false;
    EXPECT_TRUE(a->_Model.Load(path.c_str())) << path;
    return a;
}

rvGLTFModel::Node* NodeNamed(rvGLTFModel& m, const std::string& name)
{
    // The skin's joints in the generator's order.
    static const char* const kJoints[] = {
        "Hips",        "Spine",    "Chest",         "Neck",         "Head",      "LeftUpperArm",
        "LeftForeArm", "LeftHand", "RightUpperArm", "RightForeArm", "RightHand", "LeftThigh",
        "LeftShin",    "LeftFoot", "RightThigh",    "RightShin",    "RightFoot"};
    for (int i = 0; i < 17; ++i)
        if (name == kJoints[i]) return m._aSkins[0]._apJoints[size_t(i)];
    return nullptr;
}

glm::vec3 WorldOf(rvGLTFModel& m, const std::string& joint)
{
    return glm::vec3(m.ComputeWorldMatrix(NodeNamed(m, joint))[3]);
}

// A mask of width x height from rows of text, the first row at the top: '#' inside, '.' background.
void SetMask(const std::vector<std::string>& rows)
{
    const int h = int(rows.size()), w = int(rows[0].size());
    fxAnimation::_aReadbackPixels.assign(size_t(w * h), 0xFF000000u);
    for (int r = 0; r < h; ++r)
        for (int x = 0; x < w; ++x)
            if (rows[size_t(r)][size_t(x)] == '#')
                fxAnimation::_aReadbackPixels[size_t((h - 1 - r) * w + x)] = 0xFFFF00FFu;
}

std::vector<glm::ivec2> Trace(const std::vector<std::string>& rows)
{
    SetMask(rows);
    fxAnimation::TraceContour(int(rows[0].size()), int(rows.size()));
    return fxAnimation::_aContourPoints;
}
} // namespace

TEST(RunningManAsset, LoadsWithItsSkeletonAndFourNamedCycles)
{
    std::unique_ptr<fxAnimation> a = WithModel(kRunner);
    rvGLTFModel& m = a->_Model;
    ASSERT_EQ(m._apMeshes.size(), 1u);
    ASSERT_EQ(m._aSkins.size(), 1u);
    EXPECT_EQ(m._aSkins[0]._apJoints.size(), 17u);
    EXPECT_EQ(m._apMeshes[0]->_nJoints, 17);
    EXPECT_LE(m._apMeshes[0]->_nJoints, rvSkinningProgram::JOINT_COUNT);
    struct
    {
        const char* name;
        float duration;
    } cycles[] = {{"Idle", 0.96f}, {"Run", 0.96f}, {"Jump", 0.96f}, {"Walk", 0.96f}};
    ASSERT_EQ(m._aAnimations.size(), 4u);
    for (int i = 0; i < 4; ++i)
    {
        EXPECT_STREQ(m._aAnimations[size_t(i)]._szName, cycles[i].name);
        EXPECT_NEAR(m._aAnimations[size_t(i)]._fStart, 0.0f, 1e-6f);
        EXPECT_NEAR(m._aAnimations[size_t(i)]._fEnd, cycles[i].duration, 1e-5f);
    }

    // A standing figure about 1.8 m tall: the head well above the hips, the feet near the ground.
    m.SampleAnimation(0, 0.0f);
    EXPECT_GT(WorldOf(m, "Head").y, 150.0f);
    EXPECT_NEAR(WorldOf(m, "Hips").y, 95.0f, 2.0f);
    EXPECT_LT(WorldOf(m, "LeftFoot").y, 12.0f);

    // Running, the legs take turns: a quarter cycle in, the left foot is behind the body and the
    // right one in front; three quarters in, the other way round. Each cycle ends as it began.
    m.SampleAnimation(1, 0.12f);
    EXPECT_LT(WorldOf(m, "LeftFoot").z, -10.0f);
    EXPECT_GT(WorldOf(m, "RightFoot").z, 10.0f);
    m.SampleAnimation(1, 0.36f);
    EXPECT_GT(WorldOf(m, "LeftFoot").z, 10.0f);
    EXPECT_LT(WorldOf(m, "RightFoot").z, -10.0f);
    // The run holds two strides: half a cycle on, the legs are where they were.
    const glm::vec3 foot = WorldOf(m, "LeftFoot");
    m.SampleAnimation(1, 0.36f + 0.48f);
    EXPECT_LT(glm::length(WorldOf(m, "LeftFoot") - foot), 1e-2f);
    for (unsigned i = 0; i < 4; ++i)
    {
        m.SampleAnimation(i, 0.0f);
        const glm::vec3 hand0 = WorldOf(m, "LeftHand");
        m.SampleAnimation(i, m._aAnimations[i]._fEnd);
        const glm::vec3 hand1 = WorldOf(m, "LeftHand");
        EXPECT_LT(glm::length(hand1 - hand0), 1e-3f) << m._aAnimations[i]._szName;
    }
    // In the air the jump lifts the hips far above standing height with the hands over the head.
    m.SampleAnimation(2, 0.96f * 0.45f);
    EXPECT_GT(WorldOf(m, "Hips").y, 120.0f);
    EXPECT_GT(WorldOf(m, "LeftHand").y, WorldOf(m, "Head").y);
}

TEST(Silhouette, AutomaticSequencePlaysIdleWalkRunJumpInTime)
{
    std::unique_ptr<fxAnimation> a = WithModel(kRunner);
    std::vector<int> played{a->_nAnimation};
    std::vector<float> at;
    const float dt = 1.0f / 120.0f;
    float t = 0.0f;
    while (played.size() < 13 && t < 30.0f)
    {
        const int before = a->_nAnimation;
        const float time = a->_fAnimTime;
        a->AdvanceAnimation(dt);
        t += dt;
        if (a->_nAnimation != before || a->_fAnimTime < time)
        {
            played.push_back(a->_nAnimation);
            at.push_back(t);
        }
    }
    EXPECT_EQ(played, (std::vector<int>{0, 3, 3, 3, 3, 3, 1, 1, 1, 1, 1, 2, 0}));
    // Each animation lasts its own length (the cross-fade overlaps, it adds nothing): one round is
    // six bars at 125 BPM.
    ASSERT_EQ(at.size(), 12u);
    EXPECT_NEAR(at.back() - at.front(), 11.52f - 0.96f, 0.05f);

    // "_bLOOP" keeps the current animation.
    a->_bLOOP = true;
    a->_nAnimation = 1;
    a->_fAnimTime = 0.0f;
    for (int i = 0; i < 400; ++i)
        a->AdvanceAnimation(dt);
    EXPECT_EQ(a->_nAnimation, 1);

    // Without automatic blending the animation follows the effect's local time.
    a->_bAutoBlending = false;
    a->_nAnimation = 3;
    a->_fTime = 1.2f;
    a->AdvanceAnimation(0.0f);
    EXPECT_NEAR(a->_fAnimTime, std::fmod(1.2f, 0.96f), 1e-5f);
}

TEST(Silhouette, SuccessorTable)
{
    struct
    {
        int current, repeat;
        bool loop;
        int next;
    } cases[] = {
        {0, 0, false, 3}, {0, 0, true, 0},  {1, 3, false, 1}, {1, 4, false, 2},
        {1, 4, true, 1},  {2, 0, false, 0}, {2, 0, true, 2},  {3, 0, false, 3},
        {3, 4, false, 1}, {3, 4, true, 3},  {4, 0, false, 0}, {7, 2, true, 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(fxAnimation::NextAnimation(c.current, c.repeat, c.loop), c.next)
            << c.current << " " << c.repeat << " " << c.loop;
}

TEST(Silhouette, ModelsWithoutEnoughAnimationsKeepPlayingSafely)
{
    // No animation at all: nothing moves, the index stays 0.
    rvTest::TempWorkDir dir;
    dir.WriteFile("still.gltf", R"({"asset": {"version": "2.0"}, "scene": 0, "scenes": [{"nodes": [0]}],
                                    "nodes": [{"name": "Alone"}]})");
    std::unique_ptr<fxAnimation> a = WithModel(dir.Path() + "/still.gltf");
    a->_nAnimation = 3;
    a->AdvanceAnimation(0.5f);
    EXPECT_EQ(a->_nAnimation, 3);
    EXPECT_EQ(a->_fAnimTime, 0.0f);

    // Two animations: the sequence names animation 3 after 0, which is not there; 0 follows.
    std::unique_ptr<fxAnimation> b = WithModel(rvTest::SourcePath("tests/data/gltf/skinned.glb"));
    ASSERT_EQ(b->_Model._aAnimations.size(), 2u);
    for (int i = 0; i < 600; ++i)
        b->AdvanceAnimation(1.0f / 60.0f);
    EXPECT_EQ(b->_nAnimation, 0);
    EXPECT_LT(b->_fAnimTime, 2.5f);
}

TEST(Silhouette, ScaleFollowsTheBufferHeight)
{
    EXPECT_NEAR(fxAnimation::ScaleForHeight(1205), 1.0f / 13.0f, 1e-6f);
    EXPECT_NEAR(fxAnimation::ScaleForHeight(412), 1.0f / 4.5f, 1e-5f);
    EXPECT_NEAR(fxAnimation::ScaleForHeight(1080), 0.0858f, 1e-4f);
    EXPECT_NEAR(fxAnimation::ScaleForHeight(720), 0.1282f, 1e-4f);
}

TEST(Silhouette, CameraLooksAlongXAtTheFigureUpsideDown)
{
    // The start values: from x = -D towards (0, 1, 0), with up (0, -1, 0).
    const AttribLookAtLayout cam{-1.5707964f, 0.0f, 0.0f, 360.0f, 0.0f, 0.0f};
    const glm::mat4 m = fxAnimation::CameraMatrix(cam, 400, 300);
    auto ndc = [&](glm::vec3 p)
    {
        const glm::vec4 c = m * glm::vec4(p, 1.0f);
        return glm::vec3(c) / c.w;
    };
    EXPECT_NEAR(ndc({0, 1, 0}).x, 0.0f, 1e-4f);
    EXPECT_NEAR(ndc({0, 1, 0}).y, 0.0f, 1e-4f);
    EXPECT_LT(ndc({0, 60, 0}).y, -0.1f); // higher in the world is lower in the picture
    // 60 degrees of view at 360 units: a point 100 units up lands at 100 / (360 tan 30) of the
    // half height.
    EXPECT_NEAR(ndc({0, 101, 0}).y, -100.0f / (360.0f * std::tan(0.5235988f)), 1e-3f);
    // A yaw of +pi/2 looks the other way with the head up.
    const glm::mat4 side = fxAnimation::CameraMatrix({1.5707964f, 0.0f, 0.0f, 360.0f, 0.0f, 0.0f}, 400, 300);
    const glm::vec4 up = side * glm::vec4(0, 61, 0, 1);
    EXPECT_GT(up.y / up.w, 0.1f);
}

TEST(Silhouette, TracerFollowsSmallMasksInOrder)
{
    using P = std::vector<glm::ivec2>;
    struct
    {
        const char* name;
        std::vector<std::string> rows;
        P points;
    } cases[] = {
        {"square",
         {"........", "........", "..###...", "..###...", "..###...", "........"},
         {{2, 1}, {3, 1}, {4, 1}, {4, 2}, {4, 3}, {3, 3}, {2, 3}, {2, 2}}},
        // A thin part is walked on both sides.
        {"L shape",
         {".....", ".#...", ".#...", ".###.", "....."},
         {{1, 1}, {2, 1}, {3, 1}, {2, 1}, {1, 2}, {1, 3}, {1, 2}}},
        // Pixels outside the picture are background: the outline runs along the border.
        {"corner", {"....", "##..", "##.."}, {{0, 0}, {1, 0}, {1, 1}, {0, 1}}},
        // A column at the right edge does not reach round to the next row's first pixel.
        {"right edge", {"....", "#..#", "...#"}, {{3, 0}, {3, 1}}},
        {"isolated pixel", {"....", "..#.", "...."}, {}},
        {"empty", {"....", "....", "...."}, {}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Trace(c.rows), c.points) << c.name;

    // A contour longer than 10000 pixels keeps exactly 10001 points, without the closing removal.
    std::vector<std::string> line{std::string(6002, '.'), "." + std::string(6000, '#') + ".",
                                  std::string(6002, '.')};
    const P long_ = Trace(line);
    EXPECT_EQ(long_.size(), 10001u);
    EXPECT_EQ(long_[0], glm::ivec2(1, 1));
    EXPECT_EQ(long_[5999], glm::ivec2(6000, 1));
    EXPECT_EQ(long_[6000], glm::ivec2(5999, 1)); // back along the same pixels
}

TEST(Silhouette, ContourSceneTakesEveryNthPointAndAGroundLine)
{
    vector_display* pDisplay = nullptr;
    ASSERT_EQ(vector_display_create(&pDisplay, 640, 360), 0);
    rvBufferDisplay buffer;
    buffer._nWidth = 400;
    buffer._nHeight = 300;
    rvBufferDisplay* pSaved = rvSceneDisplay::_pCurrentBuffer;
    rvSceneDisplay::_pCurrentDisplay = pDisplay;
    rvSceneDisplay::_pCurrentBuffer = &buffer;

    std::unique_ptr<fxAnimation> a = NewAnimation();
    a->_fScale = 0.5f;
    fxAnimation::_aContourPoints.clear();
    for (int i = 0; i < 450; ++i)
        fxAnimation::_aContourPoints.push_back(glm::ivec2(200 + i % 30, 150 + i / 30));
    const int saved = fxAnimation::_nVectorizerSteps;
    struct
    {
        int steps;
        std::vector<int> indices;
    } cases[] = {{200, {0, 1, 201, 401}}, {1, {}}};
    for (const auto& c : cases)
    {
        fxAnimation::_nVectorizerSteps = c.steps;
        a->BuildContourScene();
        ASSERT_EQ(a->_VectorScene._apChildren.size(), 1u);
        const VectorScene* child = a->_VectorScene._apChildren[0];
        ASSERT_EQ(child->_apLines.size(), 2u);
        EXPECT_EQ(child->_apLines[0]->_aPoints, (std::vector<glm::vec3>{{-100, 0, 0}, {100, 0, 0}}));
        const std::vector<glm::vec3>& pts = child->_apLines[1]->_aPoints;
        if (c.indices.empty())
        {
            EXPECT_EQ(pts.size(), 450u);
            continue;
        }
        ASSERT_EQ(pts.size(), c.indices.size());
        for (size_t k = 0; k < pts.size(); ++k)
        {
            const glm::ivec2 p = fxAnimation::_aContourPoints[size_t(c.indices[k])];
            EXPECT_EQ(pts[k], glm::vec3((p.x - 200) * 0.5f, (p.y - 150) * 0.5f, 0.0f));
        }
        EXPECT_EQ(child->_apLines[1]->GetColor(), glm::vec4(121 / 255.0f, 239 / 255.0f, 150 / 255.0f, 1.0f));
        EXPECT_EQ(child->GetTransform(), &a->_Transform);
        EXPECT_EQ(a->_nContourPointCount, 450);
    }
    // Two points or fewer: one empty child, nothing drawn, the count kept.
    fxAnimation::_aContourPoints.resize(2);
    pDisplay->npoints = 0;
    a->BuildContourScene();
    ASSERT_EQ(a->_VectorScene._apChildren.size(), 1u);
    EXPECT_TRUE(a->_VectorScene._apChildren[0]->_apLines.empty());
    EXPECT_EQ(pDisplay->npoints, 0);
    EXPECT_EQ(a->_nContourPointCount, 450);

    fxAnimation::_nVectorizerSteps = saved;
    rvSceneDisplay::_pCurrentDisplay = nullptr;
    rvSceneDisplay::_pCurrentBuffer = pSaved;
    vector_display_destroy(pDisplay);
}

TEST(Silhouette, AttributesInOrderWithTheirDefaults)
{
    std::unique_ptr<fxAnimation> a = NewAnimation();
    const fxDescriptor* d = fxAnimation::GetDescriptor();
    ASSERT_EQ(d->_apAttribs.size(), 4u);
    const char* names[] = {"***CreateKeys***", "Animation", "Camera", "Scale"};
    const int types[] = {TYPE_BUTTON, TYPE_INT, TYPE_LOOKAT_CAMERA, TYPE_FLOAT};
    for (int i = 0; i < 4; ++i)
    {
        EXPECT_EQ(d->_apAttribs[size_t(i)]->_sName, names[i]);
        EXPECT_EQ(d->_apAttribs[size_t(i)]->_eType, types[i]);
    }
    EXPECT_EQ(a->_nAnimation, 0);
    EXPECT_EQ(a->_Camera._fYaw, 1.0f);
    EXPECT_EQ(a->_Camera._fPitch, 0.744f);
    EXPECT_EQ(a->_Camera._fDist, 360.0f);
    EXPECT_EQ(a->_fScale, 0.1f);
    EXPECT_STREQ(a->_sMeshFile, "./Data/meshes/RunningMan.glb");
    EXPECT_EQ(a->_pVectorScene, &a->_VectorScene);
    EXPECT_EQ(a->_fBlendDuration, 0.15f);
    EXPECT_TRUE(a->_bAutoBlending);
    // The button's callback runs and finds no "AnimationTime" to key: the keys of another attribute
    // ("Animation", driven as the editor's sequencer buttons drive it) are left as they were.
    auto* keys = static_cast<KeyFrameDriver*>(
        a->SetDriver(a->_pDescriptor->FindAttrib("Animation"), NoneDriver::DRIVER_KEYFRAME));
    ASSERT_NE(keys, nullptr);
    keys->_eInterpolation = KeyFrameDriver::INTERPOLATION_NONE;
    keys->AddKey(2.0f, 3.0f);
    d->_apAttribs[0]->GetButton(a.get())(a.get());
    ASSERT_EQ(a->_apAttribDrivers.size(), 1u);
    ASSERT_EQ(a->_apAttribDrivers[0], keys);
    EXPECT_TRUE(keys->_eInterpolation == KeyFrameDriver::INTERPOLATION_NONE && keys->GetKeyCount() == 1 &&
                keys->_aKeys[0]._fTime == 2.0f && keys->_aKeys[0]._fValue == 3.0f);
}

// "Save vectorscene" writes the outline's scene to test.vscene in the working directory (a file
// name with a backslash in it would be a file of that odd name on this system).
TEST(Silhouette, SavedVectorSceneIsReadBackFromTheWorkingDirectory)
{
    rvTest::TempWorkDir dir;
    std::unique_ptr<fxAnimation> a = NewAnimation();
    VectorSceneLine* line = a->_VectorScene.AddLine();
    line->AddPoint(1.0f, 2.0f, 0.0f);
    line->AddPoint(3.0f, 4.0f, 0.0f);
    ASSERT_TRUE(a->SaveVectorScene());
    const std::string bytes = dir.ReadFile("test.vscene");
    ASSERT_FALSE(bytes.empty());
    VectorScene back;
    const char* p = bytes.data();
    ASSERT_TRUE(back.LoadBinary(p, bytes.data() + bytes.size()));
    ASSERT_EQ(back._apLines.size(), 1u);
    EXPECT_EQ(back._apLines[0]->_aPoints.back(), glm::vec3(3.0f, 4.0f, 0.0f));
}
