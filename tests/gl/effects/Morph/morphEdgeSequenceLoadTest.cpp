// Loading the edge morph's shapes from SVG files in the archive.
#include "GLTestContext.h"
#include "TestSupport.h"

#include "ArchiveFixture.h"
#include "Display/rvBufferDisplay.h"
#include "effects/Morph/morphEdgeSequence.h"
#include "rvSceneDisplay.h"

#include <algorithm>
#include <memory>

namespace
{
// A 40 x 20 rectangle, wider than tall; its top edge is at y = 40 in the drawing.
const char* const kRect = "<svg width=\"200\" height=\"100\" viewBox=\"0 0 200 100\">"
                          "<rect x=\"20\" y=\"40\" width=\"40\" height=\"20\"/></svg>";
const char* const kLine = "<svg width=\"200\" height=\"100\" viewBox=\"0 0 200 100\">"
                          "<path d=\"M10 10 L30 10\"/></svg>";
} // namespace

// A 1920 x 1080 buffer is the current one while each test runs (the drawings fit to it).
class morphEdgeSequenceLoad : public rvTest::GLTest
{
protected:
    void SetUp() override
    {
        rvTest::GLTest::SetUp();
        _pBuffer.reset(new rvBufferDisplay());
        _pBuffer->_nWidth = 1920;
        _pBuffer->_nHeight = 1080;
        _pPrevious = rvSceneDisplay::_pCurrentBuffer;
        rvSceneDisplay::_pCurrentBuffer = _pBuffer.get();
    }
    void TearDown() override
    {
        rvSceneDisplay::_pCurrentBuffer = _pPrevious;
        _pBuffer.reset();
        rvTest::GLTest::TearDown();
    }
    std::unique_ptr<rvBufferDisplay> _pBuffer;
    rvBufferDisplay* _pPrevious = nullptr;
};

TEST_F(morphEdgeSequenceLoad, ShapesAreCentredScaledWithYUpAndPaired)
{
    rvTest::TempWorkDir dir;
    ASSERT_TRUE(rvTest::BuildArchive(dir, {{"Data/svg/rect.svg", kRect}, {"Data/svg/line.svg", kLine}}));
    morphEdgeSequence m;
    ASSERT_TRUE(m.LoadShape(true, "Data/svg/rect.svg", {3, 4}, {2, 2}));
    EXPECT_EQ(m._vSourcePos, glm::vec2(3, 4));
    EXPECT_EQ(m._vSourceScale, glm::vec2(0.2f, -0.2f));
    const nanoSVG2Edge& s = m._SVGSource;
    ASSERT_GE(s._nEdges, 4);
    const glm::vec2 c = s.GetCentroid();
    EXPECT_NEAR(c.x, 3.f, 1e-4);
    EXPECT_NEAR(c.y, 4.f, 1e-4);
    float minX = 1e9f, maxX = -1e9f, minY = 1e9f, maxY = -1e9f;
    for (const nanoSVG2Edge::Node& n : s._aNodes)
    {
        minX = std::min(minX, n._v.x), maxX = std::max(maxX, n._v.x);
        minY = std::min(minY, n._v.y), maxY = std::max(maxY, n._v.y);
    }
    // Scaled by 0.2; the gap nodes after each corner reach 0.75 drawing units past the sides.
    EXPECT_NEAR(maxX - minX, (40.f + 1.5f) * 0.2f, 1e-3);
    EXPECT_NEAR(maxY - minY, (20.f + 1.5f) * 0.2f, 1e-3);
    // The rectangle starts on its top side (y = 40 in the drawing): with y turned upwards it is
    // above the centre.
    EXPECT_GT(s._aNodes[0]._v.y, c.y + 1.5f);

    // Loading again replaces the shape.
    const int edges = s._nEdges;
    ASSERT_TRUE(m.LoadShape(true, "Data/svg/rect.svg", {3, 4}, {2, 2}));
    EXPECT_EQ(s._nEdges, edges);

    ASSERT_TRUE(m.LoadShape(false, "Data/svg/line.svg", {0, 0}, {1, 1}));
    EXPECT_EQ(m._SVGDest._nEdges, 1);
    ASSERT_TRUE(m.Init());
    EXPECT_EQ(m._nEdges, edges);
    EXPECT_EQ(m._SVGDest._nEdges, edges);
    // Drawn at its load-time placement, t = 0 shows the source where it was loaded.
    glm::vec2 a, b;
    m.GetSegment(0, 0.f, {3, 4, 2, 2}, {0, 0, 1, 1}, a, b);
    EXPECT_NEAR(a.x, s._aNodes[size_t(m._aPairs[0]._nSource1)]._v.x, 1e-4);
    EXPECT_NEAR(a.y, s._aNodes[size_t(m._aPairs[0]._nSource1)]._v.y, 1e-4);

    m.Release();
}

// A drawing of more pieces than pairing takes (one path of 40000 points, a tenth of a unit apart,
// spiralling out over ten turns) is joined piece to piece across the gaps its loading leaves:
// fewer edges, the outermost turn still there.
TEST_F(morphEdgeSequenceLoad, ADrawingOfTooManyPiecesKeepsItsWholeOutline)
{
    const int nPoints = 40000;
    const float kPi = 3.14159265f;
    std::string d = "M";
    for (int i = 0; i <= nPoints; ++i)
    {
        const float t = float(i) / float(nPoints);
        const float a = 20.f * kPi * t, r = 0.1f + 0.9f * t;
        d += std::to_string(100.f + 80.f * r * std::cos(a)) + " " + std::to_string(50.f + 40.f * r * std::sin(a)) + " ";
    }
    rvTest::TempWorkDir dir;
    ASSERT_TRUE(rvTest::BuildArchive(
        dir, {{"Data/svg/ring.svg", "<svg width=\"200\" height=\"100\" viewBox=\"0 0 200 100\"><path d=\"" + d +
                                        "\"/></svg>"}}));
    morphEdgeSequence m;
    testing::internal::CaptureStderr();
    ASSERT_TRUE(m.LoadShape(true, "Data/svg/ring.svg", {0, 0}, {1, 1}));
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("\"Data/svg/ring.svg\""), std::string::npos) << err;
    const nanoSVG2Edge& s = m._SVGSource;
    EXPECT_LT(s._nEdges, morphEdgeSequence::MAX_EDGES) << "joined, none dropped";
    // The outer turn's extent at 0.1 per drawing unit: right at the end (radius 1), left half a turn
    // before (0.955), top and bottom a quarter and three quarters before (0.9775, 0.9325).
    float minX = 1e9f, maxX = -1e9f, minY = 1e9f, maxY = -1e9f;
    for (const nanoSVG2Edge::Node& n : s._aNodes)
    {
        minX = std::min(minX, n._v.x), maxX = std::max(maxX, n._v.x);
        minY = std::min(minY, n._v.y), maxY = std::max(maxY, n._v.y);
    }
    EXPECT_NEAR(maxX - minX, 8.f * (1.f + 0.955f), 0.1f);
    EXPECT_NEAR(maxY - minY, 4.f * (0.9775f + 0.9325f), 0.1f);
}
