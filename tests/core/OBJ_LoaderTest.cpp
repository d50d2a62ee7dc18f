#include "OBJ_Loader.h"
#include "TestSupport.h"
#include "DataPackGuard.h"

#include "ArchiveFixture.h" // tests/unit/Loader

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

namespace
{
const glm::vec3 kColor(0.2f, 0.4f, 0.6f);

std::vector<uint32_t> FaceRun(uint32_t base, uint32_t n)
{
    std::vector<uint32_t> r{n};
    for (uint32_t i = 0; i < n; ++i)
        r.push_back(base + i);
    return r;
}
} // namespace

TEST(OBJ_Text, KeywordsSplittingAndIndices)
{
    EXPECT_EQ(OBJ_KeywordOf(" \tusemtl  red  "), "usemtl");
    EXPECT_EQ(OBJ_KeywordOf("   "), "");
    EXPECT_EQ(OBJ_TextAfterKeyword("mtllib  my file.mtl \t"), "my file.mtl");
    EXPECT_EQ(OBJ_TextAfterKeyword("o"), "");
    struct
    {
        const char* text;
        std::vector<std::string> pieces;
    } cases[] = {
        {"1//3", {"1", "", "3"}}, {"a b ", {"a", "b"}}, {"", {}}, {"/", {""}}, {"x", {"x"}},
    };
    for (const auto& c : cases)
    {
        std::vector<std::string> out{"stale"};
        OBJ_SplitText(c.text, out, c.text[0] == '1' || c.text[0] == '/' ? '/' : ' ');
        EXPECT_EQ(out, c.pieces) << c.text;
    }
    EXPECT_EQ(OBJ_ResolveIndex(1, 5), 0);
    EXPECT_EQ(OBJ_ResolveIndex(-1, 5), 4);
    EXPECT_EQ(OBJ_ResolveIndex(-3, 5), 2);
}

TEST(OBJ_Loader, ReadsMeshesRunsAndMaterials)
{
    RV_SKIP_IF_DATA_PACK_IN_USE();
    rvTest::TempWorkDir dir;
    ASSERT_TRUE(
        rvTest::BuildArchive(dir, {{"Data/meshes/scene.obj", rvTest::ReadFixture("tests/data/obj/scene.obj")},
                                   {"Data/meshes/scene.mtl", rvTest::ReadFixture("tests/data/obj/scene.mtl")}}));
    OBJ_Loader loader;
    ASSERT_TRUE(loader.ReadObjFile("./Data/meshes/scene.obj", kColor, 0.7f));

    // A_2 (faces under red), A (under blue), B.
    ASSERT_EQ(loader._aMeshes.size(), 3u);
    const OBJ_Mesh& a2 = loader._aMeshes[0];
    EXPECT_EQ(a2._sName, "A_2");
    EXPECT_EQ(loader._aMeshes[1]._sName, "A");
    EXPECT_EQ(loader._aMeshes[2]._sName, "B");

    // The pentagon stays one run of five; the triangle follows.
    std::vector<uint32_t> want = FaceRun(0, 5);
    const std::vector<uint32_t> tri = FaceRun(5, 3);
    want.insert(want.end(), tri.begin(), tri.end());
    EXPECT_EQ(a2._aIndices, want);
    ASSERT_EQ(a2._aVertices.size(), 8u);
    ASSERT_EQ(a2._aPoints.size(), 8u);
    EXPECT_EQ(a2._aPoints[4].x, 0.5f);
    EXPECT_EQ(a2._aPoints[4].y, 1.5f);
    EXPECT_EQ(a2._aPoints[4].r, kColor.r);
    EXPECT_EQ(a2._aPoints[4].b, kColor.b);
    EXPECT_EQ(a2._aPoints[4].thickness, 0.7f);
    EXPECT_EQ(a2._aPoints[4].flags, 0);

    // -5/1 -4/2 -3/3: the first three positions, texture coordinates, the face normal
    // (p0 - p1) x (p2 - p1) = (-1, 0, 0) x (0, 1, 0) = (0, 0, -1).
    const OBJ_Vertex& c = a2._aVertices[7];
    EXPECT_EQ(c._vPosition, glm::vec3(1, 1, 0));
    EXPECT_EQ(c._vTexCoord, glm::vec2(1, 1));
    EXPECT_EQ(c._vNormal, glm::vec3(0, 0, -1));
    // Position//normal: the listed normal, no texture coordinate; the full form: all three.
    EXPECT_EQ(loader._aMeshes[1]._aVertices[1]._vNormal, glm::vec3(0, 0, 1));
    EXPECT_EQ(loader._aMeshes[1]._aVertices[1]._vTexCoord, glm::vec2(0, 0));
    EXPECT_EQ(loader._aMeshes[2]._aVertices[1]._vTexCoord, glm::vec2(1, 0));
    EXPECT_EQ(loader._aMeshes[2]._aVertices[1]._vNormal, glm::vec3(0, 0, 1));

    // The file-wide runs index the file-wide corners.
    EXPECT_EQ(loader._aVertices.size(), 14u);
    EXPECT_EQ(loader._aIndices.size(), 6u + 4 + 4 + 4);
    EXPECT_EQ(loader._aIndices[14], 3u);
    EXPECT_EQ(loader._aIndices[15], 11u);

    // Materials: two Ks numbers are ignored, "newmtl" alone is "none".
    ASSERT_EQ(loader._aMaterials.size(), 3u);
    const OBJ_Material& red = loader._aMaterials[0];
    EXPECT_EQ(red._vDiffuse, glm::vec3(1, 0, 0));
    EXPECT_EQ(red._vAmbient, glm::vec3(0.1f));
    EXPECT_EQ(red._vSpecular, glm::vec3(0));
    EXPECT_EQ(red._fSpecularExponent, 10.f);
    EXPECT_EQ(red._fOpticalDensity, 1.5f);
    EXPECT_EQ(red._fDissolve, 0.75f);
    EXPECT_EQ(red._nIllum, 2);
    EXPECT_EQ(red._sMapDiffuse, "textures/red diffuse.png");
    EXPECT_EQ(red._sMapBump, "bump.png");
    EXPECT_EQ(loader._aMaterials[2]._sName, "none");
    EXPECT_EQ(a2._Material._sName, "red");
    EXPECT_EQ(loader._aMeshes[1]._Material._sName, "blue");
    EXPECT_EQ(loader._aMeshes[2]._Material._sName, "blue"); // still in force for B
}

TEST(OBJ_Loader, MalformedLinesAreSkippedAndTruncationsAreSafe)
{
    RV_SKIP_IF_DATA_PACK_IN_USE();
    const std::string text = "v 0 0 0\nv 1 0 0\nv 0 1 0\nv 1 2\nv x 1 1\nvt 1\nvt 0  1\nvn 0 0\n"
                             "f 1 2\nf 1 2 4\nf 0 1 2\nf 1 2 -4\nf 1/1 2/1 3/1\nf 1/ 2 3\nf a b c\n"
                             "f 1 2 3 1/2/3/4\ng\nf 3 2 1";
    rvTest::TempWorkDir dir;
    std::map<std::string, std::string> entries{
        {"Data/meshes/bad.obj", text},
        {"Data/meshes/nomtl.obj", "mtllib missing.mtl\nmtllib x.txt\nf 1 2 3\n"},
        {"Data/meshes/plain.mtl", "Kd 1 2 3\n"}};
    for (size_t n = 0; n < text.size(); n += 3)
        entries["Data/meshes/cut" + std::to_string(n) + ".obj"] = text.substr(0, n);
    ASSERT_TRUE(rvTest::BuildArchive(dir, entries));

    OBJ_Loader loader;
    ASSERT_TRUE(loader.ReadObjFile("Data/meshes/bad.obj", kColor, 1.f));
    // Kept: "f 1/ 2 3" (no piece after a final '/': position only), "f 1 2 3 1/2/3/4" (the
    // fourth piece reuses the plain form) and the last line without a newline; every other face
    // line names something that was never read.
    ASSERT_EQ(loader._aMeshes.size(), 1u);
    EXPECT_EQ(loader._aMeshes[0]._sName, "");
    EXPECT_EQ(loader._aIndices, (std::vector<uint32_t>{3, 0, 1, 2, 4, 3, 4, 5, 6, 3, 7, 8, 9}));
    EXPECT_EQ(loader._aVertices[3]._vPosition, glm::vec3(0, 0, 0));

    for (size_t n = 0; n < text.size(); n += 3)
    {
        OBJ_Loader cut;
        cut.ReadObjFile("Data/meshes/cut" + std::to_string(n) + ".obj", kColor, 1.f);
        for (const OBJ_Mesh& m : cut._aMeshes)
            for (size_t i = 0; i < m._aIndices.size(); i += m._aIndices[i] + 1)
                for (uint32_t k = 1; k <= m._aIndices[i]; ++k)
                    ASSERT_LT(m._aIndices[i + k], m._aVertices.size());
    }

    // Libraries that are missing or not ".mtl" add nothing; the faces still load.
    EXPECT_FALSE(loader.ReadObjFile("Data/meshes/nomtl.obj", kColor, 1.f));
    EXPECT_TRUE(loader._aMaterials.empty());
    EXPECT_TRUE(loader._aMeshes.empty()); // its face names positions that were never read

    // A library without "newmtl" gives one unnamed material.
    EXPECT_TRUE(loader.ReadMaterialLibrary("Data/meshes/plain.mtl"));
    ASSERT_EQ(loader._aMaterials.size(), 1u);
    EXPECT_EQ(loader._aMaterials[0]._vDiffuse, glm::vec3(1, 2, 3));
    EXPECT_FALSE(loader.ReadMaterialLibrary("Data/meshes/plain.txt"));

    // A wrong extension changes nothing; a missing file empties everything.
    ASSERT_TRUE(loader.ReadObjFile("Data/meshes/bad.obj", kColor, 1.f));
    EXPECT_FALSE(loader.ReadObjFile("Data/meshes/bad.OBJ", glm::vec3(1.f), 2.f));
    EXPECT_EQ(loader._aMeshes.size(), 1u);
    EXPECT_FALSE(loader.ReadObjFile("Data/meshes/missing.obj", kColor, 1.f));
    EXPECT_TRUE(loader._aMeshes.empty());
    EXPECT_TRUE(loader._aVertices.empty());
}

TEST(OBJ_Loader, ObjectLinesNameMeshes)
{
    RV_SKIP_IF_DATA_PACK_IN_USE();
    rvTest::TempWorkDir dir;
    ASSERT_TRUE(rvTest::BuildArchive(
        dir, {{"Data/meshes/ab.obj", "v 0 0 0\r\nv 1 0 0\r\nv 0 1 0\r\nf 1 2 3\r\no A\r\nf 1 2 3\r\ng B\r\n"
                                     "f 3 2 1\r\ngroup\r\ng C\r\nf 1 2 3\r\n\r\n"}}));
    OBJ_Loader loader;
    ASSERT_TRUE(loader.ReadObjFile("Data/meshes/ab.obj", kColor, 1.f));
    ASSERT_EQ(loader._aMeshes.size(), 3u);
    EXPECT_EQ(loader._aMeshes[0]._sName, "A"); // the first face joins the first object
    EXPECT_EQ(loader._aMeshes[0]._aIndices.size(), 8u);
    EXPECT_EQ(loader._aMeshes[1]._sName, "B");
    EXPECT_EQ(loader._aMeshes[2]._sName, "C");
}
