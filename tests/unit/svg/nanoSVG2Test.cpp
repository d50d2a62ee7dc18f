#include "svg/nanoSVG2Edge.h"
#include "svg/nanoSVG2Path.h"

#include "rvSceneDisplay.h"
#include "vector_display/vector_display.h"

#include <gtest/gtest.h>

#include <glm/geometric.hpp>

#include <cmath>
#include <string>
#include <vector>

namespace
{
// Parses a drawing into an object without going through the archive or a render buffer:
// drawing units are image pixels, the centre (100, 100), one unit of flattening tolerance.
template <class T> void Prepare(T& svg, const std::string& body)
{
    std::string text = "<svg width=\"200\" height=\"200\" viewBox=\"0 0 200 200\">" + body + "</svg>";
    svg._pImage = SvgParse(&text[0], 96.f);
    svg._fFitFactor = 1.f / 1.5f;
    svg._fHalfWidth = svg._fHalfHeight = 100.f;
    svg.GroupShapes();
}

// A display that collects geometry (no GL needed) made current for the test.
struct CurrentDisplay
{
    CurrentDisplay()
    {
        vector_display_create(&display, 200, 200);
        previous = rvSceneDisplay::_pCurrentDisplay;
        rvSceneDisplay::_pCurrentDisplay = display;
    }
    ~CurrentDisplay()
    {
        rvSceneDisplay::_pCurrentDisplay = previous;
        vector_display_destroy(display);
    }
    // Strips as the points between their start and end markers.
    std::vector<std::vector<vector_display_point>> Strips() const
    {
        std::vector<std::vector<vector_display_point>> strips;
        for (int i = 0; i < display->npoints; ++i)
        {
            const vector_display_point& p = display->points[i];
            if (p.flags & PTF_LINE_STRIPSTART)
                strips.emplace_back();
            else if (p.flags & PTF_LINE_STRIPEND)
            {
                // A single-point strip repeats its end marker.
                if (i + 1 < display->npoints && (display->points[i + 1].flags & PTF_LINE_STRIPEND)) ++i;
            }
            else
                strips.back().push_back(p);
        }
        return strips;
    }
    vector_display* display = nullptr;
    vector_display* previous = nullptr;
};

struct EdgeGraph : nanoSVG2Edge
{
    explicit EdgeGraph(const std::string& body)
    {
        Prepare(*this, body);
        BuildFromImage();
    }
    glm::vec2 A(int e) const { return _aNodes[size_t(_aEdges[size_t(e)].x)]._v; }
    glm::vec2 B(int e) const { return _aNodes[size_t(_aEdges[size_t(e)].y)]._v; }
};
} // namespace

TEST(nanoSVG2Edge, EdgesAreSeparatedByGapsAndClosedPathsEndOnTheirStart)
{
    EdgeGraph open("<path d=\"M100 100 L110 100 L110 110\"/>");
    ASSERT_EQ(open._nEdges, 2);
    EXPECT_EQ(open._nNodes, 4);
    EXPECT_EQ(open.A(0), glm::vec2(0, 0));
    EXPECT_EQ(open.B(0), glm::vec2(10, 0));
    EXPECT_EQ(open.A(1), glm::vec2(10.75f, 0)); // 0.75 along the first edge's direction
    EXPECT_EQ(open.B(1), glm::vec2(10, 10));
    EXPECT_TRUE(open._aNodes[3]._bEnd);
    for (int i = 0; i < open._nEdges; ++i)
    {
        EXPECT_EQ(open._aEdges[size_t(i)], glm::vec3(float(2 * i), float(2 * i + 1), 0.f));
    }

    EdgeGraph closed("<path d=\"M100 100 L110 100 L110 110 Z\"/>");
    ASSERT_EQ(closed._nEdges, 4);
    EXPECT_EQ(closed.B(3), glm::vec2(0, 0));
    EXPECT_NEAR(glm::length(closed.B(3) - closed.A(3)), 0.75f, 1e-5);
    EXPECT_TRUE(closed._aNodes[7]._bEnd);

    EdgeGraph one("<path d=\"M100 100 L110 100\"/>");
    ASSERT_EQ(one._nEdges, 1);
    EXPECT_TRUE(one._aNodes[1]._bEnd);
}

TEST(nanoSVG2Edge, LongEdgesAreCut)
{
    EdgeGraph cut("<path d=\"M0 100 L100 100\"/><path d=\"M0 150 L50 150\"/>");
    ASSERT_EQ(cut._nEdges, 11);
    for (int i = 0; i < 9; ++i)
        EXPECT_NEAR(glm::length(cut.B(i) - cut.A(i)), 9.25f, 1e-4) << i;
    EXPECT_NEAR(glm::length(cut.B(9) - cut.A(9)), 10.f, 1e-4);
    EXPECT_NEAR(cut.B(9).x, 0.f, 1e-4); // the last piece reaches the end without a gap
    EXPECT_NEAR(glm::length(cut.B(10) - cut.A(10)), 50.f, 1e-4);
    EXPECT_EQ(cut._nNodes, 22);
}

// Shapes without a usable path (a lone point, coordinates that overflow) are left out, and do
// not shrink the room the graph needs.
TEST(nanoSVG2Edge, UnusableShapesAreSkipped)
{
    std::string body;
    for (int i = 0; i < 20; ++i)
        body += "<path id=\"p" + std::to_string(i) + "\" d=\"M1 1\"/>";
    body += "<path d=\"M0 0 L1e39 0\"/><path d=\"M100 100 L110 100 L110 110\"/>";
    EdgeGraph g(body);
    EXPECT_EQ(g._nShapes, 22);
    EXPECT_EQ(g._nEdges, 2);

    EdgeGraph empty("");
    EXPECT_EQ(empty._nEdges, 0);
    EXPECT_EQ(empty.GetCentroid(), glm::vec2(0.f));
    CurrentDisplay display;
    empty.Draw();
    EXPECT_EQ(display.display->npoints, 0);
}

TEST(nanoSVG2Edge, CentroidTranslateAndDraw)
{
    EdgeGraph g("<path d=\"M100 100 L110 100\"/>");
    EXPECT_EQ(g.GetCentroid(), glm::vec2(5, 0));
    g.Translate(glm::vec2(1, 2));
    EXPECT_EQ(g.GetCentroid(), glm::vec2(6, 2));
    g._mFitMatrix[3] = glm::vec4(10.f, 0.f, 0.f, 1.f);
    CurrentDisplay display;
    g.Draw();
    auto strips = display.Strips();
    ASSERT_EQ(strips.size(), 1u);
    ASSERT_EQ(strips[0].size(), 2u);
    EXPECT_EQ(strips[0][0].x, 11.f);
    EXPECT_EQ(strips[0][1].x, 21.f);
    g.Release();
    EXPECT_TRUE(g._aNodes.empty());
    EXPECT_EQ(g._nEdges, 0);
}

TEST(nanoSVG2Path, DrawsPathsWithPartClassAndGivenColours)
{
    nanoSVG2Path svg;
    Prepare(svg, "<path d=\"M0 0 L10 0\"/><path d=\"M0 0 L10 0 L10 10 Z\" class=\"cls-8\" stroke=\"none\"/>"
                 "<path id=\"ENG1.1\" d=\"M0 0 L10 0\"/>");
    svg.BuildParts();
    ASSERT_EQ(svg._apParts.size(), 1u);
    svg._apParts[0]->_vColor = glm::vec3(0.5f, 0.25f, 1.f);
    CurrentDisplay display;
    svg.Draw(glm::vec4(1.f, 0.f, 0.f, 2.f)); // alpha 2 draws at intensity 1
    auto strips = display.Strips();
    ASSERT_EQ(strips.size(), 3u);
    EXPECT_EQ(strips[0].size(), 2u); // a straight cubic emits its end point only
    EXPECT_EQ(strips[0][0].r, 1.f);
    EXPECT_EQ(strips[0][0].g, 0.f);
    EXPECT_EQ(strips[1].size(), 5u); // three segments and the closing point
    EXPECT_FLOAT_EQ(strips[1][0].r, float(0x52) / 255.f);
    EXPECT_FLOAT_EQ(strips[1][0].g, float(0x76) / 255.f);
    EXPECT_FLOAT_EQ(strips[1][0].b, float(0xba) / 255.f);
    EXPECT_EQ(strips[2][0].g, 0.25f);

    CurrentDisplay black;
    svg.Draw(glm::vec4(1.f, 1.f, 1.f, 0.f));
    for (const auto& strip : black.Strips())
        EXPECT_EQ(strip[0].r + strip[0].g + strip[0].b, 0.f);
}

TEST(nanoSVG2Path, ColoursOutsideTheUnitRangeAreHeldToIt)
{
    // A gear colour edited in a timeline ("Gears[2].g": 10.7) or a given colour that is not a
    // number reaches the display held to 0..1.
    nanoSVG2Path svg;
    Prepare(svg, "<path id=\"ENG1.1\" d=\"M0 0 L10 0\"/><path d=\"M0 0 L10 0\"/>");
    svg.BuildParts();
    ASSERT_EQ(svg._apParts.size(), 1u);
    svg._apParts[0]->_vColor = glm::vec3(10.7f, std::nanf(""), -3.f);
    CurrentDisplay display;
    svg.Draw(glm::vec4(std::nanf(""), 2.f, 0.5f, 1.f));
    auto strips = display.Strips();
    ASSERT_EQ(strips.size(), 2u);
    EXPECT_EQ(strips[0][0].r, 1.f);
    EXPECT_EQ(strips[0][0].g, 0.f);
    EXPECT_EQ(strips[0][0].b, 0.f);
    EXPECT_EQ(strips[1][0].r, 0.f);
    EXPECT_EQ(strips[1][0].g, 1.f);
    EXPECT_EQ(strips[1][0].b, 0.5f);
}
