// The file data of the model effects without a window: the point-cloud and clip readers (hostile
// and truncated files, normalisation), playback frame choice, the clip writer, the depth image
// reader, the OBJ runs, and the generated assets each effect relies on.
#include <gtest/gtest.h>

#include "../Factory/EffectTestSupport.h"
#include "DataPackGuard.h"
#include "ArchiveFixture.h"
#include "TestSupport.h"

#include "effects/fxDepthLine/fxDepthLine.h"
#include "effects/fxExtruder/fxExtruder.h"
#include "effects/fxObjLoader/fxObjLoader.h"
#include "vector_display/vector_display.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

namespace
{
std::vector<uint8_t> ReadBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

struct Bytes
{
    std::vector<uint8_t> v;
    Bytes& i32(int32_t x)
    {
        v.insert(v.end(), reinterpret_cast<uint8_t*>(&x), reinterpret_cast<uint8_t*>(&x) + 4);
        return *this;
    }
    Bytes& i16(int16_t x)
    {
        v.insert(v.end(), reinterpret_cast<uint8_t*>(&x), reinterpret_cast<uint8_t*>(&x) + 2);
        return *this;
    }
    Bytes& f32(float x)
    {
        v.insert(v.end(), reinterpret_cast<uint8_t*>(&x), reinterpret_cast<uint8_t*>(&x) + 4);
        return *this;
    }
    // One point of a point cloud: x, y, z and five floats nobody reads.
    Bytes& point(float x, float y, float z)
    {
        f32(x).f32(y).f32(z);
        for (int k = 0; k < 5; ++k)
            f32(float(k + 1));
        return *this;
    }
};

std::unique_ptr<fxExtruder> NewExtruder()
{
    rvTest::TheFactory();
    return std::unique_ptr<fxExtruder>(
        static_cast<fxExtruder*>(fxExtruder::Create(fxExtruder::RegisterAttributes())));
}
} // namespace

TEST(PointCloud, HostileAndTruncatedFilesGiveNoFrames)
{
    const Bytes good = Bytes().i32(2).i32(1).point(0, 0, 0).i32(1).point(1, 1, 1);
    struct
    {
        const char* name;
        std::vector<uint8_t> data;
        bool clip;
    } cases[] = {
        {"two bytes", {1, 0}, false},
        {"negative frame count", Bytes().i32(-1).v, false},
        {"frame count beyond the file", Bytes().i32(1000000).i32(0).v, false},
        {"point count beyond the file", Bytes().i32(1).i32(3).point(0, 0, 0).v, false},
        {"negative point count", Bytes().i32(1).i32(-5).v, false},
        {"huge point count", Bytes().i32(1).i32(0x7fffffff).v, false},
        {"truncated last frame", std::vector<uint8_t>(good.v.begin(), good.v.end() - 4), false},
        {"not a number", Bytes().i32(1).i32(1).point(std::nanf(""), 0, 0).v, false},
        {"infinite", Bytes().i32(1).i32(2).point(0, 0, 0).point(INFINITY, 0, 0).v, false},
        {"clip cut inside a point", Bytes().i32(1).i32(2).i16(1).i16(2).i16(3).i16(4).v, true},
    };
    for (auto& c : cases)
    {
        std::vector<fxExtruder::Frame> frames(3);
        const char* why = nullptr;
        EXPECT_FALSE(fxExtruder::ParseFrames(c.data, c.clip, frames, &why)) << c.name;
        EXPECT_TRUE(frames.empty()) << c.name;
        EXPECT_NE(why, nullptr) << c.name;
    }
    // An empty cloud is a cloud of no frames; a frame of no points is fine.
    std::vector<uint8_t> none = Bytes().i32(0).v, empty = Bytes().i32(1).i32(0).v;
    std::vector<fxExtruder::Frame> frames;
    EXPECT_TRUE(fxExtruder::ParseFrames(none, false, frames, nullptr));
    EXPECT_TRUE(frames.empty());
    EXPECT_TRUE(fxExtruder::ParseFrames(empty, false, frames, nullptr));
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0].nPointCount, 0);
}

TEST(PointCloud, NormalisedInPlaceToTwoHundredUnits)
{
    // 50 x 10 x 20 units around (25, 5, 10): scaled by 4, centred.
    std::vector<uint8_t> data = Bytes().i32(2).i32(1).point(0, 0, 0).i32(1).point(50, 10, 20).v;
    std::vector<fxExtruder::Frame> frames;
    ASSERT_TRUE(fxExtruder::ParseFrames(data, false, frames, nullptr));
    ASSERT_EQ(frames.size(), 2u);
    ASSERT_NE(frames[1]._pFloatPoints, nullptr);
    EXPECT_EQ(frames[1]._pPackedPoints, nullptr);
    EXPECT_EQ(glm::vec3(frames[0]._pFloatPoints[0], frames[0]._pFloatPoints[1], frames[0]._pFloatPoints[2]),
              glm::vec3(-100, -20, -40));
    EXPECT_EQ(glm::vec3(frames[1]._pFloatPoints[0], frames[1]._pFloatPoints[1], frames[1]._pFloatPoints[2]),
              glm::vec3(100, 20, 40));
    EXPECT_EQ(frames[1]._pFloatPoints[3], 1.0f); // the other five floats stay
    EXPECT_EQ(frames[1]._pFloatPoints[7], 5.0f);

    // Points that all coincide have no extent: centred on the origin, not scaled to infinity.
    std::vector<uint8_t> same = Bytes().i32(1).i32(2).point(3, 4, 5).point(3, 4, 5).v;
    ASSERT_TRUE(fxExtruder::ParseFrames(same, false, frames, nullptr));
    for (int k = 0; k < 3; ++k)
        EXPECT_EQ(frames[0]._pFloatPoints[k], 0.0f);

    // A clip point (32767, 0, -32767) is (100, 0, -100) before placement.
    std::unique_ptr<fxExtruder> e = NewExtruder();
    e->_aData = Bytes().i32(1).i32(1).i16(32767).i16(0).i16(-32767).v;
    ASSERT_TRUE(fxExtruder::ParseFrames(e->_aData, true, e->_aFrames, nullptr));
    const glm::vec3 p = e->FramePoint(0, 0);
    EXPECT_NEAR(p.x, 100.0f, 1e-3f);
    EXPECT_NEAR(p.z, -100.0f, 1e-3f);
}

TEST(PointCloud, FrameChoiceHoldsLoopsAndPingPongs)
{
    auto at = [](int frameNumber, bool loop, bool pingPong, float speed = 1.0f)
    {
        return fxExtruder::FrameIndex((frameNumber + 0.5f) / (fxExtruder::FRAME_RATE * speed), speed, 0.0f,
                                      10, loop, pingPong);
    };
    for (int f = 0; f < 30; ++f)
    {
        EXPECT_EQ(at(f, false, false), std::min(f, 9)) << f;
        EXPECT_EQ(at(f, true, false), f % 10) << f;
        EXPECT_EQ(at(f, false, true), (f / 10) % 2 ? 9 - f % 10 : f % 10) << f;
    }
    // "TimeStart" 1 with "Speed" 1 starts at frame 33.
    EXPECT_EQ(fxExtruder::FrameIndex(0.0f, 1.0f, 1.0f, 100, false, false), 33);
    // A negative speed plays backwards and stays a frame of the clip in every mode.
    for (float t : {0.1f, 0.5f, 3.0f})
    {
        EXPECT_EQ(fxExtruder::FrameIndex(t, -1.0f, 0.0f, 10, false, false), 0);
        const int loop = fxExtruder::FrameIndex(t, -1.0f, 0.0f, 10, true, false);
        const int pong = fxExtruder::FrameIndex(t, -1.0f, 0.0f, 10, false, true);
        EXPECT_TRUE(loop >= 0 && loop < 10) << loop;
        EXPECT_TRUE(pong >= 0 && pong < 10) << pong;
    }
    EXPECT_EQ(fxExtruder::FrameIndex(0.04f, -1.0f, 0.0f, 10, true, false), 9); // frame -1: the last
}

TEST(PointCloud, ClipCutsWindowAndBoxAndReadsBackTheSame)
{
    std::unique_ptr<fxExtruder> e = NewExtruder();
    // 70 frames of three points; the TimeRange (1, 2) window is frames 33 to 65.
    Bytes b;
    b.i32(70);
    for (int f = 0; f < 70; ++f)
        b.i32(3).i16(3277).i16(0).i16(0).i16(-6554).i16(100).i16(0).i16(0).i16(0).i16(32767);
    e->_aData = b.v;
    ASSERT_TRUE(fxExtruder::ParseFrames(e->_aData, true, e->_aFrames, nullptr));
    int first = 0, end = 0;
    e->FrameWindow(first, end);
    EXPECT_EQ(first, 0);
    EXPECT_EQ(end, 70);
    e->_vTimeRange = glm::vec2(1.0f, 2.0f);
    e->FrameWindow(first, end);
    EXPECT_EQ(first, 33);
    EXPECT_EQ(end, 66);

    // A zone entered backwards is sorted; it keeps x from -5 to 15: points 0 and 2.
    e->_vZoneRangeX = glm::vec2(15.0f, -5.0f);
    std::vector<uint8_t> clip = e->BuildClip();
    EXPECT_EQ(e->_vZoneRangeX, glm::vec2(-5.0f, 15.0f));
    std::vector<fxExtruder::Frame> frames;
    ASSERT_TRUE(fxExtruder::ParseFrames(clip, true, frames, nullptr));
    ASSERT_EQ(frames.size(), 33u);
    EXPECT_EQ(frames[0].nPointCount, 2);
    std::unique_ptr<fxExtruder> back = NewExtruder();
    back->_aData = clip;
    ASSERT_TRUE(fxExtruder::ParseFrames(back->_aData, true, back->_aFrames, nullptr));
    for (int j = 0; j < 2; ++j)
    {
        const glm::vec3 a = e->FramePoint(40, 2 * j), c = back->FramePoint(7, j);
        EXPECT_LT(glm::length(a - c), 0.01f) << j;
    }

    // Placed points beyond the clip's range stay at its edge instead of wrapping round.
    e->_vTimeRange = glm::vec2(0.0f, 0.0f);
    e->_vZoneRangeX = e->_vZoneRangeY = e->_vZoneRangeZ = glm::vec2(-1000.0f, 1000.0f);
    e->_fScale = 2.0f;
    clip = e->BuildClip();
    ASSERT_TRUE(fxExtruder::ParseFrames(clip, true, frames, nullptr));
    ASSERT_EQ(frames.size(), 70u);
    ASSERT_EQ(frames[0].nPointCount, 3);
    EXPECT_EQ(frames[0]._pPackedPoints[2].z, 32767);
    EXPECT_NEAR(frames[0]._pPackedPoints[1].x, -13107, 1); // -20 units, scaled by 2

    // A frame whose points are all outside the box is written with a count of 0.
    e->_vZoneRangeY = glm::vec2(500.0f, 600.0f);
    clip = e->BuildClip();
    ASSERT_TRUE(fxExtruder::ParseFrames(clip, true, frames, nullptr));
    EXPECT_EQ(frames[5].nPointCount, 0);
}

TEST(PointCloud, GeneratedBustLoads)
{
    std::vector<uint8_t> data = ReadBytes(rvTest::SourcePath("Data/filtered.data"));
    ASSERT_FALSE(data.empty()) << "run tools/gen-meshes";
    std::vector<fxExtruder::Frame> frames;
    ASSERT_TRUE(fxExtruder::ParseFrames(data, false, frames, nullptr));
    // 64 frames: one bar of the music at 33.3 frames per second.
    ASSERT_EQ(frames.size(), 64u);
    glm::vec3 lo(1e9f), hi(-1e9f);
    for (const fxExtruder::Frame& f : frames)
    {
        EXPECT_EQ(f.nPointCount, 36 * 24); // 36 scan lines of 24 points
        for (int j = 0; j < f.nPointCount; ++j)
        {
            const glm::vec3 p(f._pFloatPoints[8 * j], f._pFloatPoints[8 * j + 1], f._pFloatPoints[8 * j + 2]);
            lo = glm::min(lo, p);
            hi = glm::max(hi, p);
        }
    }
    // Normalised: the longest side (the bust's height) spans 200 units about the origin.
    EXPECT_NEAR(hi.y - lo.y, 200.0f, 0.01f);
    EXPECT_LT(hi.x - lo.x, 200.0f);
    EXPECT_NEAR(hi.y + lo.y, 0.0f, 0.01f);
}

TEST(DepthImage, HostileAndTruncatedHeadersAreRefused)
{
    struct
    {
        const char* name;
        std::vector<uint8_t> data;
    } cases[] = {
        {"empty", {}},
        {"short header", Bytes().i32(2).i32(2).v},
        {"zero width", Bytes().i32(0).i32(2).i32(2).v},
        {"negative height", Bytes().i32(2).i32(-2).i32(2).v},
        {"huge", Bytes().i32(100000).i32(100000).i32(2).v},
        {"one byte per sample", Bytes().i32(2).i32(1).i32(1).i16(0).v},
        {"four bytes per sample", Bytes().i32(1).i32(1).i32(4).i32(7).v},
        {"missing samples", Bytes().i32(2).i32(2).i32(2).i16(1).i16(2).i16(3).v},
    };
    for (const auto& c : cases)
    {
        fxDepthLine::DepthImage image;
        const char* why = nullptr;
        EXPECT_FALSE(fxDepthLine::ParseDepthImage(c.data.data(), c.data.size(), image, &why)) << c.name;
        EXPECT_NE(why, nullptr) << c.name;
        EXPECT_TRUE(image.aSamples.empty()) << c.name;
    }
    // The smallest and largest sample, from 32767 and 0: samples above 32767 keep the minimum.
    std::vector<uint8_t> ok = Bytes().i32(2).i32(1).i32(2).i16(int16_t(40000)).i16(int16_t(50000)).v;
    fxDepthLine::DepthImage image;
    ASSERT_TRUE(fxDepthLine::ParseDepthImage(ok.data(), ok.size(), image, nullptr));
    EXPECT_EQ(image.nMin, 32767);
    EXPECT_EQ(image.nMax, 50000);
    EXPECT_EQ(image.aSamples, (std::vector<uint16_t>{40000, 50000}));
}

TEST(DepthImage, GeneratedReliefLoads)
{
    std::vector<uint8_t> data = ReadBytes(rvTest::SourcePath("Data/depth.data"));
    fxDepthLine::DepthImage image;
    ASSERT_TRUE(fxDepthLine::ParseDepthImage(data.data(), data.size(), image, nullptr))
        << "run tools/gen-meshes";
    EXPECT_EQ(image.nWidth, 480);
    EXPECT_EQ(image.nHeight, 270);
    EXPECT_EQ(data.size(), 12u + 480u * 270u * 2u);
    // A relief with depth to show: the window spans most of the sample range.
    EXPECT_LT(image.nMin, 2000);
    EXPECT_GT(image.nMax, 25000);
    EXPECT_LE(image.nMax, 32767);
}

TEST(ObjRuns, RunsPastTheEndOrNamingMissingPointsEndTheMesh)
{
    vector_display* d = nullptr;
    ASSERT_EQ(vector_display_create(&d, 64, 64), 0);
    std::vector<OBJ_Vertex> v(5);
    struct
    {
        const char* name;
        std::vector<uint32_t> runs;
        int submitted, triangles;
    } cases[] = {
        {"pentagon", {5, 0, 1, 2, 3, 4}, 1, 3},
        {"square then a run past the end", {4, 0, 1, 2, 3, 3, 0, 1}, 1, 2},
        {"two points add nothing", {2, 0, 1, 3, 0, 1, 2}, 2, 1},
        {"an index beyond the points", {3, 0, 1, 9, 3, 0, 1, 2}, 0, 0},
        {"a huge count", {0xFFFFFFFFu, 0, 1}, 0, 0},
    };
    for (const auto& c : cases)
    {
        d->ntriangles = 0;
        OBJ_Mesh mesh(v, c.runs, glm::vec3(1.0f), 1.0f);
        EXPECT_EQ(fxObjLoader::SubmitRuns(d, mesh), c.submitted) << c.name;
        EXPECT_EQ(d->ntriangles, c.triangles) << c.name;
    }
    vector_display_destroy(d);
}

TEST(ObjRuns, StreetCornerSceneLoadsWithItsCamera)
{
    RV_SKIP_IF_DATA_PACK_IN_USE();
    std::vector<uint8_t> objBytes = ReadBytes(rvTest::SourcePath("Data/meshes/3vEdizScene.obj"));
    std::vector<uint8_t> mtlBytes = ReadBytes(rvTest::SourcePath("Data/meshes/3vEdizScene.mtl"));
    std::vector<uint8_t> camBytes = ReadBytes(rvTest::SourcePath("Data/meshes/3vEdizCamera.gltf"));
    ASSERT_FALSE(objBytes.empty()) << "run tools/gen-meshes";
    rvTest::TempWorkDir dir;
    ASSERT_TRUE(rvTest::BuildArchive(
        dir, {{"Data/meshes/3vEdizScene.obj", std::string(objBytes.begin(), objBytes.end())},
              {"Data/meshes/3vEdizScene.mtl", std::string(mtlBytes.begin(), mtlBytes.end())}}));
    dir.WriteFile("Data/meshes/3vEdizCamera.gltf", std::string(camBytes.begin(), camBytes.end()));

    rvTest::TheFactory();
    std::unique_ptr<fxObjLoader> e(
        static_cast<fxObjLoader*>(fxObjLoader::Create(fxObjLoader::RegisterAttributes())));
    e->_vColor = glm::vec3(0.3f, 0.9f, 1.0f);
    e->_fThickness = 0.7f;
    e->_Model._bUpload = false;
    e->Init();

    // Polygons, lines of the scene: one run per "f" line of the file, every run drawable.
    int faces = 0;
    const std::string text(objBytes.begin(), objBytes.end());
    for (size_t at = text.find("\nf "); at != std::string::npos; at = text.find("\nf ", at + 1))
        ++faces;
    EXPECT_GT(faces, 150);
    std::vector<std::string> names;
    int runs = 0, edges = 0;
    vector_display* d = nullptr;
    ASSERT_EQ(vector_display_create(&d, 64, 64), 0);
    for (const OBJ_Mesh& m : e->_Loader._aMeshes)
    {
        names.push_back(m._sName);
        runs += fxObjLoader::SubmitRuns(d, m);
        for (size_t i = 0; i < m._aIndices.size(); i += 1 + m._aIndices[i])
            edges += int(m._aIndices[i]);
        EXPECT_GT(m._Material._vDiffuse.r + m._Material._vDiffuse.g + m._Material._vDiffuse.b, 0.0f)
            << m._sName;
        EXPECT_EQ(m._aPoints[0].r, 0.3f);
        EXPECT_EQ(m._aPoints[0].thickness, 0.7f);
    }
    vector_display_destroy(d);
    EXPECT_EQ(runs, faces);
    EXPECT_GT(edges, 4 * faces - 50); // mostly quads
    EXPECT_EQ(names,
              (std::vector<std::string>{"Pavement", "Crossing", "BuildingA", "WindowsA", "ShopA", "BuildingB",
                                        "WindowsB", "WaterTank", "Lamp", "Sign", "Bench", "Car"}));
    // The camera file beside it: one animated camera node.
    ASSERT_TRUE(e->_Model._bLoaded);
    ASSERT_EQ(e->_Model._aAnimations.size(), 1u);
    EXPECT_STREQ(e->_Model._aAnimations[0]._szName, "Orbit");
    EXPECT_NEAR(e->_Model._aAnimations[0]._fEnd, 20.0f, 1e-4f);
}
