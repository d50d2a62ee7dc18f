// Loading a drawing prepares objects, parts and filled occluder meshes on the GPU.
#include "GLTestContext.h"
#include "TestSupport.h"

#include "ArchiveFixture.h"
#include "Display/rvBufferDisplay.h"
#include "rvSceneDisplay.h"
#include "svg/nanoSVGBase.h"

#include <cmath>
#include <vector>

namespace
{
const char* const kDrawing = "<svg width=\"200\" height=\"100\" viewBox=\"0 0 200 100\">"
                             "<path id=\"PIVOT\" d=\"M150 40 L151 40\"/>"
                             // A square with a square hole: area 10000 - 2500.
                             "<g id=\"CACHE1\"><rect x=\"0\" y=\"0\" width=\"100\" height=\"100\"/>"
                             "<rect x=\"25\" y=\"25\" width=\"50\" height=\"50\"/></g>"
                             // CACHE3 takes its second ring as the outer contour: the same area.
                             "<g id=\"CACHE3\"><rect x=\"25\" y=\"25\" width=\"50\" height=\"50\"/>"
                             "<rect x=\"0\" y=\"0\" width=\"100\" height=\"100\"/></g>"
                             // Gear members: every stored point counts (a circle's control points lie outside
                             // it), so rectangles, whose control points stay on their edges.
                             "<rect id=\"ENG1.1\" x=\"40\" y=\"40\" width=\"20\" height=\"20\"/>"
                             "<rect id=\"ENG1.2\" x=\"60\" y=\"40\" width=\"20\" height=\"20\"/>"
                             "<path id=\"CACHE9\" d=\"M1 1\"/>"
                             "</svg>";

// Sum of the triangle areas of a fill mesh, read back from its buffers.
double MeshArea(const nanoSVGObject* o)
{
    GLint vertexBytes = 0;
    glBindBuffer(GL_ARRAY_BUFFER, o->_nVertexBuffer);
    glGetBufferParameteriv(GL_ARRAY_BUFFER, GL_BUFFER_SIZE, &vertexBytes);
    std::vector<float> v(size_t(vertexBytes) / 4);
    glGetBufferSubData(GL_ARRAY_BUFFER, 0, vertexBytes, v.data());
    std::vector<uint16_t> idx(size_t(o->_nIndexCount));
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, o->_nIndexBuffer);
    glGetBufferSubData(GL_ELEMENT_ARRAY_BUFFER, 0, GLsizeiptr(idx.size() * 2), idx.data());
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
    double area = 0;
    for (size_t t = 0; t + 2 < idx.size(); t += 3)
    {
        const float* a = &v[idx[t] * 2];
        const float* b = &v[idx[t + 1] * 2];
        const float* c = &v[idx[t + 2] * 2];
        area += std::fabs((b[0] - a[0]) * (c[1] - a[1]) - (c[0] - a[0]) * (b[1] - a[1])) * 0.5;
    }
    return area;
}
} // namespace

class nanoSVGBaseLoad : public rvTest::GLTest
{
};

TEST_F(nanoSVGBaseLoad, PreparesObjectsPartsAndFillMeshes)
{
    rvTest::TempWorkDir dir;
    ASSERT_TRUE(rvTest::BuildArchive(dir, {{"Data/svg/machine.svg", kDrawing}}));
    rvBufferDisplay buffer;
    buffer._nWidth = 1920;
    buffer._nHeight = 1080;
    rvBufferDisplay* previous = rvSceneDisplay::_pCurrentBuffer;
    rvSceneDisplay::_pCurrentBuffer = &buffer;

    nanoSVGBase svg;
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    EXPECT_EQ(svg.Load("Data/svg/missing.svg"), -1);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "morvane: error: Could not open SVG image.\n");
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_EQ(svg._pImage, nullptr);

    for (int round = 0; round < 2; ++round) // Load, Release, Load gives the same result
    {
        svg.Release();
        ASSERT_EQ(svg.Load("Data/svg/machine.svg"), 1);
        EXPECT_NEAR(svg._fFitFactor, 237.5f / 1920.f, 1e-6);
        EXPECT_FLOAT_EQ(svg._fHalfWidth, 100.f);
        ASSERT_NE(svg._pPivotPath, nullptr);
        EXPECT_EQ(svg._vPivot, glm::vec3(150.f, 40.f, 0.f));
        EXPECT_TRUE(svg._bHasCache);
        ASSERT_EQ(svg._apObjects.size(), 5u); // PIVOT, CACHE1, CACHE3, ENG1.1 (+ENG1.2), CACHE9
        EXPECT_FALSE(svg._apObjects[0]->_bVisible);
        for (int i : {1, 2})
        {
            const nanoSVGObject* fill = svg._apObjects[size_t(i)];
            ASSERT_NE(fill->_nVertexArray, 0u) << i;
            EXPECT_EQ(fill->_eIndexType, unsigned(GL_UNSIGNED_SHORT));
            EXPECT_EQ(fill->_nIndexCount % 3, 0);
            EXPECT_NEAR(MeshArea(fill), 7500.0, 1.0) << fill->_sName;
        }
        // A fill object without a ring of two points gets no mesh.
        EXPECT_EQ(svg._apObjects[4]->_nVertexArray, 0u);
        ASSERT_EQ(svg._apParts.size(), 1u);
        EXPECT_EQ(svg._apParts[0]->_sName, "ENG1.2");
        EXPECT_NEAR(svg._apParts[0]->_vPivot.x, 60.f, 1e-3);
        EXPECT_NEAR(svg._apParts[0]->_vPivot.y, 50.f, 1e-3);
        EXPECT_NEAR(svg._apParts[0]->_fRadius, std::sqrt(500.f), 1e-3);
    }
    // Loading again without Release replaces the drawing instead of piling objects up.
    ASSERT_EQ(svg.Load("Data/svg/machine.svg"), 1);
    EXPECT_EQ(svg._apObjects.size(), 5u);
    EXPECT_EQ(svg._apParts.size(), 1u);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    svg.Release();
    EXPECT_TRUE(svg._apObjects.empty());
    EXPECT_TRUE(svg._apParts.empty());
    rvSceneDisplay::_pCurrentBuffer = previous;
}
