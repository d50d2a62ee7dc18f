// The glTF model runtime without a window: scene graph, sampling, cross-fades, joint
// matrices and failed loads, on the fixtures written by tools/make-gltf-fixtures.py.
#include "gltf/rvGLTFModel.h"

#include "TestSupport.h"

#include <json/json.h>

#include <gtest/gtest.h>
#include <glm/gtc/matrix_transform.hpp>

#include <fstream>
#include <iterator>

namespace
{
const glm::vec3 kZ(0.0f, 0.0f, 1.0f);
enum
{
    kHip = 1,
    kKnee = 2,
    kBody = 3,
    kStray = 4
};

std::string Fixture(const std::string& name)
{
    return rvTest::SourcePath("tests/data/gltf/" + name);
}

// Loads a fixture without touching the GPU.
bool LoadModel(rvGLTFModel& model, const std::string& path)
{
    model._bUpload = false;
    return model.Load(path.c_str());
}

void ExpectVec(const glm::vec3& got, const glm::vec3& want)
{
    EXPECT_NEAR(got.x, want.x, 1e-5f);
    EXPECT_NEAR(got.y, want.y, 1e-5f);
    EXPECT_NEAR(got.z, want.z, 1e-5f);
}

void ExpectMat(const glm::mat4& got, const glm::mat4& want)
{
    for (int c = 0; c < 4; ++c)
        for (int r = 0; r < 4; ++r)
            EXPECT_NEAR(got[c][r], want[c][r], 1e-5f) << "column " << c << " row " << r;
}

// The knee turns about Z only: the angle in degrees its quaternion gives (sign-free).
float KneeAngle(rvGLTFModel& model)
{
    const glm::quat q = model.FindNode(kKnee)->_qRotation;
    EXPECT_NEAR(glm::length(q), 1.0f, 1e-5f);
    return glm::degrees(2.0f * std::atan2(std::fabs(q.z), std::fabs(q.w)));
}

// Linear blend skinning of one vertex with the mesh's joint matrices.
glm::vec3 Skin(const rvGLTFModel::Mesh& mesh, glm::vec3 v, glm::ivec4 joints, glm::vec4 weights)
{
    glm::vec4 out(0.0f);
    for (int i = 0; i < 4; ++i)
        out += weights[i] * (mesh._amJoints[joints[i]] * glm::vec4(v, 1.0f));
    return glm::vec3(out);
}
} // namespace

TEST(GLTFModel, BuildsTheSceneFromTextAndBinaryFiles)
{
    for (const char* file : {"skinned.gltf", "skinned.glb"})
    {
        SCOPED_TRACE(file);
        rvGLTFModel model;
        ASSERT_TRUE(LoadModel(model, Fixture(file)));
        EXPECT_TRUE(model._bLoaded);
        ASSERT_NE(model._pData, nullptr);

        // Children before their parent; the node outside the scene is not built.
        ASSERT_EQ(model._apNodes.size(), 4u);
        const int order[] = {kKnee, kHip, kBody, 0};
        for (int i = 0; i < 4; ++i)
            EXPECT_EQ(model._apNodes[size_t(i)]->_nIndex, order[i]);
        ASSERT_EQ(model._apRoots.size(), 1u);
        rvGLTFModel::Node* root = model._apRoots[0];
        ASSERT_EQ(root->_apChildren.size(), 2u);
        EXPECT_EQ(root->_apChildren[0]->_nIndex, kHip);
        EXPECT_EQ(model.FindNode(kKnee)->_pParent, model.FindNode(kHip));
        EXPECT_EQ(model.FindNode(kStray), nullptr);

        // The root is given by a matrix: it is kept, and the mesh below it sees it.
        const glm::mat4 m = glm::scale(glm::translate(glm::mat4(1.0f), glm::vec3(0, 0, 5)), glm::vec3(2.0f));
        ExpectMat(root->_mLocal, m);
        rvGLTFModel::Node* body = model.FindNode(kBody);
        ASSERT_NE(body->_pMesh, nullptr);
        ExpectMat(body->_pMesh->_mWorld, m);
        ExpectMat(model.ComputeWorldMatrix(model.FindNode(kKnee)),
                  m * glm::translate(glm::mat4(1.0f), glm::vec3(0, 3, 0)) *
                      glm::rotate(glm::mat4(1.0f), glm::radians(90.0f), kZ));

        ASSERT_EQ(model._apMeshes.size(), 1u);
        ASSERT_EQ(model._apMeshes[0]->_apPrimitives.size(), 1u);
        const rvGLTFModel::Primitive* prim = model._apMeshes[0]->_apPrimitives[0];
        EXPECT_EQ(prim->_nIndexCount, 6);
        EXPECT_EQ(prim->_eIndexType, 5123u); // GL_UNSIGNED_SHORT
        EXPECT_EQ(prim->_nVertexCount, 4);
        EXPECT_EQ(prim->_nVertexArray, 0u); // nothing uploaded

        ASSERT_EQ(model._aAnimations.size(), 2u);
        EXPECT_STREQ(model._aAnimations[0]._szName, "Bend");
        EXPECT_STREQ(model._aAnimations[1]._szName, "Anim:1");
        EXPECT_EQ(model._aAnimations[0]._fStart, 0.0f);
        EXPECT_EQ(model._aAnimations[0]._fEnd, 2.0f);
        EXPECT_EQ(model._aAnimations[0]._aChannels.size(), 2u); // the stray node's channel dropped
        ASSERT_EQ(model._aSkins.size(), 1u);
        EXPECT_STREQ(model._aSkins[0]._szName, "Skin:0");
        EXPECT_EQ(body->_pSkin, &model._aSkins[0]);
        EXPECT_EQ(body->_pMesh->_nJoints, 2);

        // Load poses the model with animation 0 at one second.
        ExpectVec(model.FindNode(kHip)->_vTranslation, glm::vec3(0, 2, 0));
        EXPECT_NEAR(KneeAngle(model), 90.0f, 1e-3f);
    }
}

TEST(GLTFModel, SamplesLinearSlerpAndStepKeysWithClampedTime)
{
    rvGLTFModel model;
    ASSERT_TRUE(LoadModel(model, Fixture("skinned.glb")));
    struct
    {
        unsigned anim;
        float time;
        glm::vec3 hip;
        float kneeAngle;     // animation 0 only
        glm::vec3 kneeScale; // animation 1 only
        bool ended;
    } cases[] = {
        {0, 1.5f, {0, 3, 0}, 135.0f, {}, false}, // halfway between keys 1 and 2
        {0, 0.5f, {0, 1.5f, 0}, 45.0f, {}, false},
        {0, 3.0f, {0, 4, 0}, 180.0f, {}, true},        // clamped to the end
        {0, -1.0f, {0, 1, 0}, 0.0f, {}, false},        // clamped to the start
        {1, 0.5f, {0.5f, 1, 0}, -1, {1, 1, 1}, false}, // STEP holds key 0
        {1, 0.999f, {0.999f, 1, 0}, -1, {1, 1, 1}, false},
        {1, 1.0f, {1, 1, 0}, -1, {2, 2, 2}, true}, // ... until the next key
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(testing::Message() << "animation " << c.anim << " at " << c.time);
        EXPECT_EQ(model.SampleAnimation(c.anim, c.time), c.ended);
        ExpectVec(model.FindNode(kHip)->_vTranslation, c.hip);
        if (c.kneeAngle >= 0)
            EXPECT_NEAR(KneeAngle(model), c.kneeAngle, 1e-3f);
        else
            ExpectVec(model.FindNode(kKnee)->_vScale, c.kneeScale);
    }

    // An invalid index reports the end and changes nothing.
    const glm::vec3 before = model.FindNode(kHip)->_vTranslation;
    EXPECT_TRUE(model.SampleAnimation(2, 0.5f));
    EXPECT_TRUE(model.SampleAnimation(~0u, 0.5f));
    ExpectVec(model.FindNode(kHip)->_vTranslation, before);
}

TEST(GLTFModel, JointMatricesSkinVertices)
{
    rvGLTFModel model;
    ASSERT_TRUE(LoadModel(model, Fixture("skinned.gltf")));
    rvGLTFModel::Node* body = model.FindNode(kBody);
    const rvGLTFModel::Mesh& mesh = *body->_pMesh;
    const rvGLTFModel::Skin& skin = model._aSkins[0];

    for (float t : {1.0f, 2.0f})
    {
        SCOPED_TRACE(t);
        model.SampleAnimation(0, t);
        const glm::mat4 invWorld = glm::inverse(model.ComputeWorldMatrix(body));
        for (int j = 0; j < 2; ++j)
            ExpectMat(mesh._amJoints[j], invWorld * model.ComputeWorldMatrix(skin._apJoints[size_t(j)]) *
                                             skin._amInverseBind[size_t(j)]);
    }

    // At one second the hip sits at y = 2 and the knee is turned 90 degrees: the tip
    // vertex (0,3,0) on the knee swings to (-1,3,0); the foot vertex follows the hip.
    model.SampleAnimation(0, 1.0f);
    ExpectVec(Skin(mesh, {0, 3, 0}, {1, 0, 0, 0}, {1, 0, 0, 0}), {-1, 3, 0});
    ExpectVec(Skin(mesh, {0.5f, 0, 0}, {0, 0, 0, 0}, {1, 0, 0, 0}), {0.5f, 1, 0});
    ExpectVec(Skin(mesh, {0, 2, 0}, {0, 1, 0, 0}, {0.5f, 0.5f, 0, 0}), {0, 3, 0});
    // At two seconds the knee is turned over: the tip folds back down to y = 4.
    model.SampleAnimation(0, 2.0f);
    ExpectVec(Skin(mesh, {0, 3, 0}, {1, 0, 0, 0}, {1, 0, 0, 0}), {0, 4, 0});
}

TEST(GLTFModel, JointOutsideTheSceneKeepsItsPlace)
{
    // The hip joint is replaced by the stray node: the knee stays joint 1 with its own
    // inverse-bind matrix, so vertex joint indices still point at the right bone.
    Json::Value root;
    Json::Reader().parse(rvTest::ReadFileBytes(Fixture("skinned.gltf")), root);
    root["skins"][0]["joints"][0] = kStray;
    rvTest::TempWorkDir dir;
    dir.WriteFile("skinned.bin", rvTest::ReadFileBytes(Fixture("skinned.bin"))); // buffers stay beside the model
    dir.WriteFile("stray.gltf", Json::FastWriter().write(root));

    rvGLTFModel model;
    ASSERT_TRUE(LoadModel(model, "stray.gltf"));
    const rvGLTFModel::Skin& skin = model._aSkins[0];
    ASSERT_EQ(skin._apJoints.size(), 2u);
    EXPECT_EQ(skin._apJoints[0], nullptr);
    EXPECT_EQ(skin._apJoints[1], model.FindNode(kKnee));
    rvGLTFModel::Node* body = model.FindNode(kBody);
    EXPECT_EQ(body->_pMesh->_nJoints, 2);
    ExpectMat(body->_pMesh->_amJoints[0], glm::mat4(1.0f));
    ExpectMat(body->_pMesh->_amJoints[1], glm::inverse(model.ComputeWorldMatrix(body)) *
                                              model.ComputeWorldMatrix(model.FindNode(kKnee)) *
                                              skin._amInverseBind[1]);
}

TEST(GLTFModel, CrossFadeHoldsThenBlendsThenHandsOver)
{
    rvGLTFModel model;
    ASSERT_TRUE(LoadModel(model, Fixture("skinned.glb")));
    // A = "Bend" (0..2 s), B = animation 1 (0..1 s), blend over one second. Called in
    // order: the factor carries from call to call.
    struct
    {
        float x;
        bool over;
        float blend;
        glm::vec3 hip;
        glm::vec3 knee;
    } steps[] = {
        {1.4f, false, 0.0f, {0, 2.8f, 0}, {0, 1, 0}},    // A alone
        {1.75f, false, 0.5f, {0, 2.25f, 0}, {0, 1, 0}},  // half of A (0,3.5,0), half of B at its start
        {2.2f, false, 1.0f, {0.2f, 1, 0}, {0, 1.2f, 0}}, // B alone, 0.2 s in
        {2.5f, true, 0.0f, {0.5f, 1, 0}, {0, 1.5f, 0}},  // over: the caller continues with B
    };
    for (const auto& s : steps)
    {
        SCOPED_TRACE(s.x);
        EXPECT_EQ(model.SampleBlendedAnimation(0, 1, s.x, 1.0f), s.over);
        EXPECT_FLOAT_EQ(model._fBlend, s.blend);
        ExpectVec(model.FindNode(kHip)->_vTranslation, s.hip);
        // A does not move the knee's translation: the blend starts from its rest value,
        // not from a made-up (1,1,1).
        ExpectVec(model.FindNode(kKnee)->_vTranslation, s.knee);
    }
    EXPECT_TRUE(model.SampleBlendedAnimation(0, 2, 1.0f, 1.0f));
    EXPECT_TRUE(model.SampleBlendedAnimation(5, 0, 1.0f, 1.0f));
}

TEST(GLTFModel, BadFilesFailCleanlyAndLeaveTheModelEmpty)
{
    rvTest::TempWorkDir dir;
    const std::string gltf = rvTest::ReadFileBytes(Fixture("skinned.gltf"));
    const std::string glb = rvTest::ReadFileBytes(Fixture("skinned.glb"));
    dir.WriteFile("nobin.gltf", gltf); // its "skinned.bin" is not beside it
    dir.WriteFile("empty.gltf", "");
    dir.WriteFile("broken.gltf", gltf.substr(0, gltf.size() / 2));
    dir.WriteFile("garbage.glb", "glTF\x02\0\0\0garbage");
    dir.WriteFile("short.glb", glb.substr(0, 20));
    dir.WriteFile("bigjson.glb", glb.substr(0, 12) + std::string("\xff\xff\xff\x7f", 4) + glb.substr(16));
    const std::string files[] = {"missing.glb", "empty.gltf", "broken.gltf", "nobin.gltf",
                                 "garbage.glb", "short.glb",  "bigjson.glb", Fixture("truncated.glb")};
    for (const std::string& file : files)
    {
        SCOPED_TRACE(file);
        rvGLTFModel model;
        ASSERT_TRUE(LoadModel(model, Fixture("skinned.glb"))); // a failed load also drops the last model
        EXPECT_FALSE(model.Load(file.c_str()));
        EXPECT_EQ(model._pData, nullptr);
        EXPECT_FALSE(model._bLoaded);
        EXPECT_TRUE(model._apNodes.empty() && model._apRoots.empty() && model._apMeshes.empty());
        EXPECT_TRUE(model._aSkins.empty() && model._aAnimations.empty());
        EXPECT_TRUE(model.SampleAnimation(0, 1.0f));
        EXPECT_TRUE(model.SampleBlendedAnimation(0, 1, 1.0f, 1.0f));
    }
}

TEST(GLTFModel, BuffersAreReadOnlyFromInsideTheModelsFolder)
{
    // The model lies in "m/"; a buffer URI may name a file there, and nothing else: not a file
    // above it, not an absolute path, not a device that never ends.
    Json::Value root;
    Json::Reader().parse(rvTest::ReadFileBytes(Fixture("skinned.gltf")), root);
    rvTest::TempWorkDir dir;
    const std::string bin = rvTest::ReadFileBytes(Fixture("skinned.bin"));
    dir.WriteFile("m/skinned.bin", bin);
    dir.WriteFile("outside.bin", bin);
    const struct
    {
        const char* uri;
        bool loads;
    } cases[] = {
        {"skinned.bin", true},
        {"../outside.bin", false},
        {"../m/skinned.bin", true},
        {"/dev/zero", false},
        {"../../../../../../../../dev/zero", false},
        {"", false},
    };
    for (const auto& c : cases)
    {
        root["buffers"][0]["uri"] = c.uri;
        dir.WriteFile("m/model.gltf", Json::FastWriter().write(root));
        rvGLTFModel model;
        EXPECT_EQ(LoadModel(model, "m/model.gltf"), c.loads) << c.uri;
    }
    // An absolute path to a file outside the folder is refused as well.
    root["buffers"][0]["uri"] = Fixture("skinned.bin");
    dir.WriteFile("m/model.gltf", Json::FastWriter().write(root));
    rvGLTFModel model;
    EXPECT_FALSE(LoadModel(model, "m/model.gltf"));
}

TEST(GLTFModel, MalformedReferencesAreSkippedNotFollowed)
{
    // Parses, but points past its arrays, loops its children and overruns its buffer.
    rvTest::TempWorkDir dir;
    dir.WriteFile("odd.gltf", R"({"asset":{"version":"2.0"},"scene":7,
        "scenes":[{"nodes":[0,0,9]}],
        "nodes":[{"children":[1]},{"children":[0],"mesh":0,"skin":3}],
        "meshes":[{"primitives":[{"attributes":{"POSITION":0},"indices":1}]}],
        "accessors":[{"bufferView":0,"componentType":5126,"count":100,"type":"VEC3"},
                     {"bufferView":0,"componentType":5123,"count":3,"type":"SCALAR","byteOffset":8}],
        "bufferViews":[{"buffer":0,"byteLength":12}],
        "buffers":[{"byteLength":12,"uri":"data:application/octet-stream;base64,AAAAAAAAAAAAAAAA"}],
        "animations":[{"samplers":[{"input":0,"output":0}],"channels":[{"sampler":4,"target":{"node":1,"path":"translation"}}]}]})");
    rvGLTFModel model;
    ASSERT_TRUE(LoadModel(model, "odd.gltf"));
    ASSERT_EQ(model._apNodes.size(), 2u);
    const rvGLTFModel::Primitive* prim = model._apMeshes.at(0)->_apPrimitives.at(0);
    EXPECT_EQ(prim->_nIndexCount, 0);
    EXPECT_EQ(prim->_nVertexCount, 0);
    EXPECT_EQ(model.FindNode(1)->_pSkin, nullptr);
    ASSERT_EQ(model._aAnimations.size(), 1u);
    EXPECT_TRUE(model._aAnimations[0]._aChannels.empty());
    EXPECT_EQ(model._aAnimations[0]._fStart, 0.0f);
    EXPECT_EQ(model._aAnimations[0]._fEnd, 0.0f);
    EXPECT_TRUE(model.SampleAnimation(0, 3.0f));
}

TEST(GLTFModel, LargeSkinsStopAtTheJointBlockAndCubicKeysUseTheirValues)
{
    // 130 joints (more than a mesh record holds) and a cubic-spline translation whose
    // keys come as (in-tangent, value, out-tangent).
    std::vector<float> bin = {0, 0, 0, 0, 1};
    const float keys[] = {9, 9, 9, 0, 0, 0, 9, 9, 9, 9, 9, 9, 2, 4, 6, 9, 9, 9};
    bin.insert(bin.end(), std::begin(keys), std::end(keys));
    Json::Value root;
    root["asset"]["version"] = "2.0";
    root["scenes"][0]["nodes"][0] = 0;
    root["nodes"][0]["mesh"] = 0;
    root["nodes"][0]["skin"] = 0;
    for (int i = 1; i <= 130; ++i)
    {
        root["nodes"][0]["children"].append(i);
        root["nodes"][i]["name"] = "j";
        root["skins"][0]["joints"].append(i);
    }
    root["meshes"][0]["primitives"][0]["attributes"]["POSITION"] = 0;
    const struct
    {
        int offset, length, count;
        const char* type;
    } accessors[] = {{0, 12, 1, "VEC3"}, {12, 8, 2, "SCALAR"}, {20, 72, 6, "VEC3"}};
    for (int i = 0; i < 3; ++i)
    {
        root["bufferViews"][i]["buffer"] = 0;
        root["bufferViews"][i]["byteOffset"] = accessors[i].offset;
        root["bufferViews"][i]["byteLength"] = accessors[i].length;
        root["accessors"][i]["bufferView"] = i;
        root["accessors"][i]["componentType"] = 5126;
        root["accessors"][i]["count"] = accessors[i].count;
        root["accessors"][i]["type"] = accessors[i].type;
    }
    root["accessors"][1]["min"][0] = 0;
    root["accessors"][1]["max"][0] = 1;
    root["buffers"][0]["byteLength"] = int(bin.size() * 4);
    root["buffers"][0]["uri"] = "large.bin";
    Json::Value& anim = root["animations"][0];
    anim["samplers"][0]["input"] = 1;
    anim["samplers"][0]["output"] = 2;
    anim["samplers"][0]["interpolation"] = "CUBICSPLINE";
    anim["channels"][0]["sampler"] = 0;
    anim["channels"][0]["target"]["node"] = 1;
    anim["channels"][0]["target"]["path"] = "translation";

    rvTest::TempWorkDir dir;
    dir.WriteFile("large.bin", std::string(reinterpret_cast<const char*>(bin.data()), bin.size() * 4));
    dir.WriteFile("large.gltf", Json::FastWriter().write(root));
    rvGLTFModel model;
    ASSERT_TRUE(LoadModel(model, "large.gltf"));
    EXPECT_EQ(model._aSkins.at(0)._apJoints.size(), 130u);
    EXPECT_EQ(model._apMeshes.at(0)->_nJoints, int(rvGLTFModel::MAX_JOINTS));
    ExpectVec(model.FindNode(1)->_vTranslation, {2, 4, 6});
    model.SampleAnimation(0, 0.5f);
    ExpectVec(model.FindNode(1)->_vTranslation, {1, 2, 3});
}
