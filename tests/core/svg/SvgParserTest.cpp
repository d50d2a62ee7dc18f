#include "svg/SvgParser.h"
#include "DataPackGuard.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace
{
// Parses a private copy of the text.
struct Parsed
{
    explicit Parsed(const std::string& text, float dpi = 96.f)
    {
        std::vector<char> copy(text.begin(), text.end());
        copy.push_back(0);
        image = SvgParse(copy.data(), dpi);
    }
    ~Parsed() { SvgDelete(image); }
    Parsed(const Parsed&) = delete;
    Parsed& operator=(const Parsed&) = delete;

    std::vector<const SvgShape*> Shapes() const
    {
        std::vector<const SvgShape*> out;
        for (const SvgShape* s = image ? image->_pShapes : nullptr; s; s = s->_pNext)
            out.push_back(s);
        return out;
    }
    SvgImage* image = nullptr;
};

std::vector<const SvgPath*> Paths(const SvgShape* shape)
{
    std::vector<const SvgPath*> out;
    for (const SvgPath* p = shape->_pPaths; p; p = p->_pNext)
        out.push_back(p);
    return out;
}

std::string In100(const std::string& body)
{
    return "<svg width=\"100\" height=\"100\" viewBox=\"0 0 100 100\">" + body + "</svg>";
}

uint32_t Rgba(uint32_t r, uint32_t g, uint32_t b, uint32_t a)
{
    return r | (g << 8) | (b << 16) | (a << 24);
}
} // namespace

TEST(SvgParser, ImageSizeWithoutShapes)
{
    struct
    {
        const char* text;
        float w, h;
    } cases[] = {
        {"", 0, 0},
        {"just text, no tags", 0, 0},
        {"<svg width=\"30\" height=\"40\"></svg>", 30, 40},
        {"<svg viewBox=\"0 0 50 60\"><text>t</text></svg>", 50, 60},
        {"<svg width=\"100%\" height=\"50%\" viewBox=\"0,0,70,80\"/>", 70, 80},
    };
    for (const auto& c : cases)
    {
        Parsed p(c.text);
        ASSERT_NE(p.image, nullptr) << c.text;
        EXPECT_TRUE(p.Shapes().empty()) << c.text;
        EXPECT_FLOAT_EQ(p.image->_fWidth, c.w) << c.text;
        EXPECT_FLOAT_EQ(p.image->_fHeight, c.h) << c.text;
    }
}

TEST(SvgParser, LonePointsAreKeptOnlyForElementsWithAnId)
{
    {
        Parsed p(In100("<path d=\"M10 10\"/>"));
        EXPECT_TRUE(p.Shapes().empty());
    }
    Parsed p(In100("<path id=\"P\" d=\"M10 10\"/>"));
    ASSERT_EQ(p.Shapes().size(), 1u);
    auto paths = Paths(p.Shapes()[0]);
    ASSERT_EQ(paths.size(), 1u);
    EXPECT_EQ(paths[0]->_nPoints, 1);
    EXPECT_FLOAT_EQ(paths[0]->_pPoints[0], 10.f);
    EXPECT_FLOAT_EQ(paths[0]->_pPoints[1], 10.f);
    for (float b : paths[0]->_aBounds)
        EXPECT_EQ(b, 0.f);
    EXPECT_STREQ(paths[0]->_sId, "P");
}

TEST(SvgParser, SubpathsAreListedNewestFirst)
{
    const char* data = "d=\"M0 0 L10 0 L10 10 Z M20 20 L30 20 L30 30 Z\"";
    {
        Parsed p(In100(std::string("<path id=\"A\" ") + data + "/>"));
        ASSERT_EQ(p.Shapes().size(), 1u);
        auto paths = Paths(p.Shapes()[0]);
        ASSERT_EQ(paths.size(), 4u);
        EXPECT_EQ(paths[0]->_nPoints, 1);
        EXPECT_FLOAT_EQ(paths[0]->_pPoints[0], 20.f);
        EXPECT_EQ(paths[1]->_nPoints, 10);
        EXPECT_TRUE(paths[1]->_bClosed);
        EXPECT_FLOAT_EQ(paths[1]->_pPoints[0], 20.f);
        EXPECT_EQ(paths[2]->_nPoints, 1);
        EXPECT_FLOAT_EQ(paths[2]->_pPoints[0], 0.f);
        EXPECT_EQ(paths[3]->_nPoints, 10);
        EXPECT_FLOAT_EQ(paths[3]->_pPoints[0], 0.f);
    }
    Parsed p(In100(std::string("<path ") + data + "/>"));
    ASSERT_EQ(p.Shapes().size(), 1u);
    auto paths = Paths(p.Shapes()[0]);
    ASSERT_EQ(paths.size(), 2u);
    EXPECT_FLOAT_EQ(paths[0]->_pPoints[0], 20.f);
    EXPECT_FLOAT_EQ(paths[1]->_pPoints[0], 0.f);
}

TEST(SvgParser, ClosedTriangleIsACubicChainBackToItsStart)
{
    Parsed p(In100("<path d=\"M0 0 L10 0 L10 10 Z\"/>"));
    ASSERT_EQ(p.Shapes().size(), 1u);
    const SvgPath* path = p.Shapes()[0]->_pPaths;
    ASSERT_EQ(path->_nPoints, 10);
    const float want[] = {0,  0,        10.f / 3, 0,  20.f / 3, 0,        10,       0,        10, 10.f / 3,
                          10, 20.f / 3, 10,       10, 20.f / 3, 20.f / 3, 10.f / 3, 10.f / 3, 0,  0};
    for (int i = 0; i < 20; ++i)
        EXPECT_NEAR(path->_pPoints[i], want[i], 1e-5) << i;
    const float bounds[] = {0, 0, 10, 10};
    for (int i = 0; i < 4; ++i)
        EXPECT_FLOAT_EQ(path->_aBounds[i], bounds[i]);
}

TEST(SvgParser, CurveBoundsIncludeExtrema)
{
    // A cubic bulging up to y = -7.5 between two points on y = 0; a circle of radius 10.
    Parsed p(In100("<path d=\"M0 0 C0 -10 10 -10 10 0\"/><circle cx=\"50\" cy=\"50\" r=\"10\"/>"));
    ASSERT_EQ(p.Shapes().size(), 2u);
    const float* b = p.Shapes()[0]->_aBounds;
    EXPECT_NEAR(b[1], -7.5f, 1e-4);
    EXPECT_NEAR(b[3], 0.f, 1e-6);
    const float* c = p.Shapes()[1]->_aBounds;
    EXPECT_NEAR(c[0], 40.f, 1e-4);
    EXPECT_NEAR(c[1], 40.f, 1e-4);
    EXPECT_NEAR(c[2], 60.f, 1e-4);
    EXPECT_NEAR(c[3], 60.f, 1e-4);
    EXPECT_EQ(p.Shapes()[1]->_pPaths->_nPoints, 16); // four quarters and the closing line
}

TEST(SvgParser, GroupsLendIdAndClassToTheirShapes)
{
    Parsed p(
        In100("<g id=\"G\" class=\"cls-2 and-a-very-long-class-name\">"
              "<rect x=\"0\" y=\"0\" width=\"5\" height=\"5\"/><rect id=\"own\" width=\"5\" height=\"5\"/>"
              "</g><rect width=\"5\" height=\"5\"/>"));
    auto shapes = p.Shapes();
    ASSERT_EQ(shapes.size(), 3u);
    EXPECT_STREQ(shapes[0]->_sId, "G");
    EXPECT_STREQ(shapes[0]->_sClass, "cls-2 and-a-very-lo"); // cut after 19 characters
    EXPECT_EQ(std::strlen(shapes[0]->_sClass), 19u);
    EXPECT_STREQ(shapes[1]->_sId, "own");
    EXPECT_STREQ(shapes[1]->_sClass, shapes[0]->_sClass);
    EXPECT_STREQ(shapes[2]->_sId, "");
    EXPECT_STREQ(shapes[2]->_sClass, "");
}

TEST(SvgParser, RectRadiiAndEmptyRects)
{
    Parsed p(
        In100("<rect width=\"0\" height=\"5\"/><rect x=\"1\" y=\"2\" width=\"20\" height=\"6\" rx=\"5\"/>"));
    auto shapes = p.Shapes();
    ASSERT_EQ(shapes.size(), 1u);
    const SvgPath* path = shapes[0]->_pPaths;
    // Rounded: move, then line + corner four times, then the closing line.
    ASSERT_EQ(path->_nPoints, 1 + 8 * 3 + 3);
    // rx 5 (below half the width), ry 5 limited to half the height: the top edge starts at x + rx.
    EXPECT_FLOAT_EQ(path->_pPoints[0], 6.f);
    EXPECT_FLOAT_EQ(path->_pPoints[1], 2.f);
    // The first corner ends at (x + w, y + ry) = (21, 5).
    EXPECT_FLOAT_EQ(path->_pPoints[12], 21.f);
    EXPECT_FLOAT_EQ(path->_pPoints[13], 5.f);
}

TEST(SvgParser, Colours)
{
    struct
    {
        const char* fill;
        uint32_t want;
    } cases[] = {
        {"#abc", Rgba(0xaa, 0xbb, 0xcc, 255)},
        {"#A0B1C2", Rgba(0xa0, 0xb1, 0xc2, 255)},
        {"#abcd", Rgba(0, 0, 0, 255)},
        {"orange", Rgba(128, 128, 128, 255)},
        {"inherit", Rgba(128, 128, 128, 255)},
        {"green", Rgba(0, 128, 0, 255)},
        {"rgb(100%, 0%, 50%)", Rgba(255, 0, 127, 255)},
        {"rgb(10,20,30)", Rgba(10, 20, 30, 255)},
        // Out-of-range components are clamped instead of spilling into the next byte.
        {"rgb(300,-5,256)", Rgba(255, 0, 255, 255)},
        {"rgb(200000000%, -200000000%, 50%)", Rgba(255, 0, 127, 255)}, // no int overflow on the way
        {"rgb(", Rgba(0, 0, 0, 255)},
        {"#", Rgba(0, 0, 0, 255)},
    };
    for (const auto& c : cases)
    {
        Parsed p(In100(std::string("<rect width=\"1\" height=\"1\" fill=\"") + c.fill + "\"/>"));
        ASSERT_EQ(p.Shapes().size(), 1u) << c.fill;
        EXPECT_EQ(p.Shapes()[0]->_Fill._eType, SVG_PAINT_COLOR) << c.fill;
        EXPECT_EQ(p.Shapes()[0]->_Fill._nColor, c.want)
            << c.fill << std::hex << " got " << p.Shapes()[0]->_Fill._nColor;
    }
}

TEST(SvgParser, OpacityAndStrokeScaling)
{
    Parsed p("<svg width=\"200\" height=\"200\" viewBox=\"0 0 100 100\">"
             "<g opacity=\"0.25\"><rect width=\"1\" height=\"1\" fill-opacity=\"0.5\" stroke=\"red\""
             " stroke-width=\"2\" transform=\"scale(3)\" stroke-dasharray=\"1 2\"/></g>"
             "<rect width=\"1\" height=\"1\" style=\"fill:none;stroke:blue;stroke-opacity:7\"/></svg>");
    auto shapes = p.Shapes();
    ASSERT_EQ(shapes.size(), 2u);
    EXPECT_EQ(shapes[0]->_Fill._nColor >> 24, 127u);
    EXPECT_FLOAT_EQ(shapes[0]->_fOpacity, 0.25f);
    EXPECT_EQ(shapes[0]->_Stroke._nColor, Rgba(255, 0, 0, 255));
    EXPECT_FLOAT_EQ(shapes[0]->_fStrokeWidth, 12.f);
    ASSERT_EQ(shapes[0]->_nStrokeDashCount, 2);
    EXPECT_FLOAT_EQ(shapes[0]->_aStrokeDashArray[1], 12.f);
    EXPECT_EQ(shapes[1]->_Fill._eType, SVG_PAINT_NONE);
    EXPECT_EQ(shapes[1]->_Stroke._nColor, Rgba(0, 0, 255, 255)); // opacity clamped to 1
    EXPECT_NEAR(shapes[0]->_aBounds[2], 6.f, 1e-5);              // 1 x scale 3 x viewport 2
}

TEST(SvgParser, TransformsCompose)
{
    struct
    {
        const char* xform;
        float x, y; // where (10, 0) lands
    } cases[] = {
        {"translate(5)", 15, 0},
        {"translate(5 7)", 15, 7},
        {"translate(5,7) scale(2)", 25, 7},
        {"scale(2) translate(5,7)", 30, 14},
        {"rotate(90)", 0, 10},
        {"rotate(90 10 10)", 20, 10},
        {"matrix(1 0 0 1 3 4)", 13, 4},
        {"skewY(45)", 10, 10},
        // Calls whose arguments do not fit the keyword are ignored; the list still ends.
        {"matrix(1 2 3 4 5)", 10, 0},
        {"translate(1 2 3)", 10, 0},
        {"rotate(", 10, 0},
        {"scale(2", 10, 0},
        {"bogus(3) translate(1)", 11, 0},
    };
    for (const auto& c : cases)
    {
        Parsed p(In100(std::string("<path id=\"p\" transform=\"") + c.xform + "\" d=\"M10 0\"/>"));
        ASSERT_EQ(p.Shapes().size(), 1u) << c.xform;
        const SvgPath* path = p.Shapes()[0]->_pPaths;
        EXPECT_NEAR(path->_pPoints[0], c.x, 1e-4) << c.xform;
        EXPECT_NEAR(path->_pPoints[1], c.y, 1e-4) << c.xform;
    }
}

TEST(SvgParser, ViewportScalesAndAligns)
{
    // viewBox twice as wide as tall into a square image: meet scales by 1 and centres vertically
    // ("YMid" as SVG writes it).
    Parsed p(
        "<svg width=\"100\" height=\"100\" viewBox=\"10 0 100 50\" preserveAspectRatio=\"xMidYMid meet\">"
        "<path id=\"p\" d=\"M10 0\"/></svg>");
    ASSERT_EQ(p.Shapes().size(), 1u);
    const SvgPath* path = p.Shapes()[0]->_pPaths;
    EXPECT_FLOAT_EQ(path->_pPoints[0], 0.f);
    EXPECT_FLOAT_EQ(path->_pPoints[1], 25.f);

    // Without preserveAspectRatio the axes scale independently.
    Parsed q("<svg width=\"100\" height=\"100\" viewBox=\"0 0 100 50\"><path id=\"p\" d=\"M10 10\"/></svg>");
    ASSERT_EQ(q.Shapes().size(), 1u);
    EXPECT_FLOAT_EQ(q.Shapes()[0]->_pPaths->_pPoints[0], 10.f);
    EXPECT_FLOAT_EQ(q.Shapes()[0]->_pPaths->_pPoints[1], 20.f);
}

TEST(SvgParser, GradientsAreFoundOnlyWhenDefinedBefore)
{
    Parsed p(In100("<rect width=\"10\" height=\"10\" fill=\"url(#later)\"/>"
                   "<linearGradient id=\"later\"><stop offset=\"0.7\" stop-color=\"red\"/>"
                   "<stop offset=\"20%\" stop-color=\"blue\" stop-opacity=\"0.5\"/>"
                   "<stop offset=\"0.7\" stop-color=\"white\"/></linearGradient>"
                   "<rect width=\"10\" height=\"10\" fill=\"url(#later)\"/>"
                   "<radialGradient id=\"ref\" xlink:href=\"#later\" r=\"0\"/>"
                   "<rect width=\"10\" height=\"10\" stroke=\"url(ref)\"/>"
                   "<linearGradient id=\"a\" xlink:href=\"#b\"/><linearGradient id=\"b\" xlink:href=\"#a\"/>"
                   "<rect width=\"10\" height=\"10\" fill=\"url(#a)\"/>"));
    auto shapes = p.Shapes();
    ASSERT_EQ(shapes.size(), 4u);
    EXPECT_EQ(shapes[0]->_Fill._eType, SVG_PAINT_NONE);
    ASSERT_EQ(shapes[1]->_Fill._eType, SVG_PAINT_LINEAR_GRADIENT);
    const SvgGradient* g = shapes[1]->_Fill._pGradient;
    ASSERT_EQ(g->_nStops, 3);
    EXPECT_FLOAT_EQ(g->_pStops[0]._fOffset, 0.2f);
    EXPECT_EQ(g->_pStops[0]._nColor, Rgba(0, 0, 255, 127));
    EXPECT_EQ(g->_pStops[1]._nColor, Rgba(255, 0, 0, 255)); // equal offsets keep document order
    EXPECT_EQ(g->_pStops[2]._nColor, Rgba(255, 255, 255, 255));
    // Bounding-box gradient along x over a 10 x 10 rect: pixel (5, 0) is halfway.
    const float* m = g->_aXform;
    EXPECT_NEAR(m[1] * 5 + m[3] * 0 + m[5], 0.5f, 1e-5);
    // Stops through xlink:href; a zero radius leaves a finite focal point.
    ASSERT_EQ(shapes[2]->_Stroke._eType, SVG_PAINT_RADIAL_GRADIENT);
    EXPECT_EQ(shapes[2]->_Stroke._pGradient->_nStops, 3);
    EXPECT_TRUE(std::isfinite(shapes[2]->_Stroke._pGradient->_fFx));
    // A reference loop without stops ends with no paint.
    EXPECT_EQ(shapes[3]->_Fill._eType, SVG_PAINT_NONE);
}

TEST(SvgParser, UnsupportedElementsAndDefinitions)
{
    Parsed p(In100("<text>hi</text><image width=\"5\" height=\"5\"/><use href=\"#x\"/><style>rect{}</style>"
                   "<defs><rect width=\"5\" height=\"5\"/></defs>"
                   "<clipPath><path d=\"M0 0 L5 5\"/></clipPath><symbol><circle r=\"3\"/></symbol>"
                   "<g style=\"display:none\"><line x2=\"4\"/></g>"));
    auto shapes = p.Shapes();
    ASSERT_EQ(shapes.size(), 3u);
    EXPECT_EQ(shapes[0]->_nFlags & SVG_FLAGS_VISIBLE, SVG_FLAGS_VISIBLE);
    EXPECT_EQ(shapes[2]->_nFlags & SVG_FLAGS_VISIBLE, 0);
}

TEST(SvgParser, PathCommands)
{
    struct
    {
        const char* d;
        int points;
        float lastX, lastY;
    } cases[] = {
        {"M0 0 10 0 10 10", 7, 10, 10}, // pairs after a move draw lines
        {"m1 1 l2 0 h3 v4", 10, 6, 5},  // relative commands
        {"M0 0 H10 V10 H0", 10, 0, 10},
        {"M0 0 Q5 10 10 0 T20 0", 7, 20, 0},
        {"M0 0 C1 1 2 1 3 0 S5 -1 6 0", 7, 6, 0},
        {"M0 0 A5 5 0 0 1 10 0", 10, 10, 0}, // a half circle: trunc(pi / (pi/2) + 1) = 3 pieces
        {"M0 0 A0 5 0 0 1 10 0", 4, 10, 0},  // zero radius: a line
        {"M0 0 L1e1 0 L10e-1 5", 7, 1, 5},
        {"M0 0 L 5", 1, 0, 0},           // a short command draws nothing
        {"M0 0 L 5 C 7 L 1 1", 4, 5, 7}, // ...but lends its arguments to the next
        {"M0,0L.5.5", 4, 0.5f, 0.5f},
        {"L5 5 M1 1", 1, 1, 1}, // segments before the first move are dropped
        {"M0 0 e e", 4, 0, 0},  // a stray e counts as 0
    };
    for (const auto& c : cases)
    {
        Parsed p(In100(std::string("<path id=\"p\" d=\"") + c.d + "\"/>"));
        ASSERT_EQ(p.Shapes().size(), 1u) << c.d;
        const SvgPath* path = p.Shapes()[0]->_pPaths;
        ASSERT_EQ(path->_nPoints, c.points) << c.d;
        EXPECT_NEAR(path->_pPoints[(c.points - 1) * 2], c.lastX, 1e-4) << c.d;
        EXPECT_NEAR(path->_pPoints[(c.points - 1) * 2 + 1], c.lastY, 1e-4) << c.d;
    }
}

// Arc flags are single characters that need no separator ("a7 7 0 100 14" is the flags 1 and
// 0, then the end point 0 14), as drawings exported by icon tools write them. Each case is a
// half or whole circle: every point on the curve lies on it, and its bounds show which side
// the sweep took (clockwise on screen from top to bottom passes the right side).
TEST(SvgParser, CompactArcFlags)
{
    struct
    {
        const char* d;
        float cx, cy, r;
        float bounds[4];
    } cases[] = {
        {"M50 50 a7 7 0 1 0 0 14", 50, 57, 7, {43, 50, 50, 64}}, // spaced: the reference
        {"M50 50 a7 7 0 100 14", 50, 57, 7, {43, 50, 50, 64}},
        {"M50 50 a7,7,0,1,0,0,14", 50, 57, 7, {43, 50, 50, 64}},
        {"M50 50 a7 7 0 010 14", 50, 57, 7, {50, 50, 57, 64}},
        {"M50 50 A7 7 0 0150 64", 50, 57, 7, {50, 50, 57, 64}},
        {"M50 50 a7 7 0 100 14 7 7 0 100-14", 50, 57, 7, {43, 50, 57, 64}}, // a repeated arc
        {"M40 50a10 10 0 1020 0a10 10 0 10-20 0z", 50, 50, 10, {40, 40, 60, 60}},
        // Flags 1 1, then .5 0: the long way round a circle whose centre is just above the chord.
        {"M40 50a10 10 0 11.5 0", 40.25f, 40.0031f, 10, {30.25f, 30.0031f, 50.25f, 50}},
    };
    for (const auto& c : cases)
    {
        Parsed p(In100(std::string("<path d=\"") + c.d + "\"/>"));
        ASSERT_EQ(p.Shapes().size(), 1u) << c.d;
        const SvgPath* path = p.Shapes()[0]->_pPaths;
        ASSERT_GE(path->_nPoints, 4) << c.d;
        for (int i = 0; i < path->_nPoints; i += 3)
            EXPECT_NEAR(std::hypot(path->_pPoints[2 * i] - c.cx, path->_pPoints[2 * i + 1] - c.cy), c.r, 1e-3)
                << c.d << " point " << i;
        for (int i = 0; i < 4; ++i)
            EXPECT_NEAR(path->_aBounds[i], c.bounds[i], 0.05) << c.d << " bound " << i;
    }
}

TEST(SvgParser, AttributeLimitsAndUnits)
{
    std::string many = "<rect width=\"5\" height=\"5\"";
    for (int i = 0; i < 124; ++i)
        many += " a" + std::to_string(i) + "=\"1\"";
    many += " fill=\"red\" stroke=\"red\"/>"; // the 127th is kept, the 128th dropped
    Parsed p(In100(many + "<rect width=\"1in\" height=\"2.54cm\" font-size=\"10\" x=\"1em\"/>"));
    auto shapes = p.Shapes();
    ASSERT_EQ(shapes.size(), 2u);
    EXPECT_EQ(shapes[0]->_Fill._nColor, Rgba(255, 0, 0, 255));
    EXPECT_EQ(shapes[0]->_Stroke._eType, SVG_PAINT_NONE);
    EXPECT_NEAR(shapes[1]->_aBounds[0], 10.f, 1e-4);
    EXPECT_NEAR(shapes[1]->_aBounds[2], 106.f, 1e-4);
    EXPECT_NEAR(shapes[1]->_aBounds[3], 96.f, 1e-4);
}

TEST(SvgParser, FixtureParsesWhole)
{
    Parsed p(rvTest::ReadFixture("tests/data/svg/shapes.svg"));
    ASSERT_NE(p.image, nullptr);
    EXPECT_FLOAT_EQ(p.image->_fWidth, 200.f);
    auto shapes = p.Shapes();
    ASSERT_EQ(shapes.size(), 8u);
    EXPECT_STREQ(shapes[0]->_sId, "PIVOT");
    EXPECT_STREQ(shapes[1]->_sClass, "cls-1");
    EXPECT_EQ(shapes[1]->_Fill._eType, SVG_PAINT_LINEAR_GRADIENT);
    EXPECT_EQ(shapes[2]->_Fill._eType, SVG_PAINT_RADIAL_GRADIENT);
    EXPECT_EQ(shapes[2]->_Fill._pGradient->_eSpread, SVG_SPREAD_REFLECT);
    EXPECT_FLOAT_EQ(shapes[2]->_fStrokeWidth, 1.f); // 2 at half scale
    EXPECT_EQ(shapes[4]->_nStrokeDashCount, 2);
    for (const SvgShape* s : shapes)
    {
        EXPECT_EQ(s->_pPart, nullptr);
        EXPECT_FALSE(s->_bShown);
        for (const SvgPath* path : Paths(s))
        {
            EXPECT_EQ((path->_nPoints - 1) % 3, 0);
            for (int i = 0; i < 2 * path->_nPoints; ++i)
                EXPECT_TRUE(std::isfinite(path->_pPoints[i]));
        }
    }
}

// Every prefix of the fixture, and a few hostile texts, parse without fault (the unit tests
// also run under AddressSanitizer with -DMORVANE_ASAN=ON).
TEST(SvgParser, TruncatedAndHostileInputs)
{
    const std::string text = rvTest::ReadFixture("tests/data/svg/shapes.svg");
    ASSERT_GT(text.size(), 100u);
    for (size_t n = 0; n <= text.size(); ++n)
    {
        Parsed p(text.substr(0, n));
        ASSERT_NE(p.image, nullptr);
    }
    const std::string hostile[] = {
        "<",
        ">",
        "<svg",
        "<path d='M",
        "<path d=\"M0 0 L",
        "<path id=x d=\"M0 0 L1 1\"/>",
        "<path d=\"M1e99999 1e-99999 L-1e400 5 A1e38 1e38 0 1 1 -1e38 1e38 Z\"/>",
        "<path d=\"M0 0 A nan nan 0 0 0 5 5\"/>",
        std::string(5000, '<'),
        std::string("<g>") + std::string(300 * 3, 'g') + "</g>",
        []
        {
            std::string s;
            for (int i = 0; i < 200; ++i)
                s += "<g transform=\"scale(2)\" id=\"" + std::string(100, 'x') + "\">";
            s += "<rect width=\"1\" height=\"1\"/>";
            for (int i = 0; i < 300; ++i)
                s += "</g>";
            return s;
        }(),
        "<rect style=\"" + std::string(2000, ':') + "fill:red;;;: ;" + std::string(1000, 'a') +
            "\" width=\"1\" height=\"1\"/>",
        "<path d=\"" + std::string(200, '1') + " " + std::string(100, '.') + "\"/>",
        "<polygon points=\"1 2 3\"/><polyline id=\"q\" points=\"\"/><polygon id=\"r\" points=\"4,4\"/>",
        "<linearGradient id=\"g\" xlink:href=\"\"/><stop/><rect width=\"1\" height=\"1\" fill=\"url(#\"/>",
        "<svg viewBox=\"a b c d\" preserveAspectRatio=\"xMaxYMax slice\"><rect width=\"1\" "
        "height=\"1\"/></svg>",
    };
    for (const std::string& h : hostile)
    {
        Parsed p(h);
        ASSERT_NE(p.image, nullptr) << h.substr(0, 60);
        for (const SvgShape* s : p.Shapes())
            for (const SvgPath* path : Paths(s))
            {
                ASSERT_GE(path->_nPoints, 1);
                for (int i = 0; i < path->_nPoints * 2; ++i)
                    ASSERT_TRUE(std::isfinite(path->_pPoints[i]) && std::fabs(path->_pPoints[i]) <= 1e7f)
                        << h.substr(0, 60);
            }
    }
}

// Faults hostile drawings found: each row must parse, and what survives must be usable.
TEST(SvgParser, HostileGeometry)
{
    const struct
    {
        std::string text;
        size_t shapes, paths; // shapes in the image, paths in all of them
    } cases[] = {
        // An empty polygon with an id has no start point to close back to.
        {In100("<polygon id=\"p\"/><polygon id=\"q\" points=\"\"/>"), 0, 0},
        // Finite in the file, past float range once scaled: the path is dropped, its shape kept.
        {In100("<path id=\"a\" d=\"M0 0 L3e38 3e38 L-3e38 0\"/><path d=\"M0 0 L1 1\"/>"), 2, 1},
        {"<svg width=\"1e30\" height=\"10\" viewBox=\"0 0 1e-30 10\"><path d=\"M0 0 L1 1\"/></svg>", 1, 0},
        {In100("<path d=\"M0 0 L2e7 1\"/><path d=\"M0 0 L1 1\"/>"), 2, 1},
        {"<svg width=\"1e39\" height=\"nan\"/>", 0, 0},
    };
    for (const auto& c : cases)
    {
        Parsed p(c.text);
        ASSERT_NE(p.image, nullptr) << c.text;
        EXPECT_TRUE(std::isfinite(p.image->_fWidth) && std::isfinite(p.image->_fHeight)) << c.text;
        EXPECT_EQ(p.Shapes().size(), c.shapes) << c.text;
        size_t paths = 0;
        for (const SvgShape* s : p.Shapes())
        {
            paths += Paths(s).size();
            for (float b : s->_aBounds)
                EXPECT_TRUE(std::isfinite(b)) << c.text;
        }
        EXPECT_EQ(paths, c.paths) << c.text;
    }
}

// A group's end inside "defs" belongs to a group that was never pushed: the group around the
// definitions keeps its colour.
TEST(SvgParser, GroupEndInsideDefsPopsNothing)
{
    Parsed p(In100("<g fill=\"#ff0000\"><defs><defs></defs><g></g></g><rect width=\"5\" height=\"5\"/></defs>"
                   "<rect width=\"1\" height=\"1\"/></g><rect width=\"2\" height=\"2\"/>"));
    auto shapes = p.Shapes();
    ASSERT_EQ(shapes.size(), 2u);
    EXPECT_EQ(shapes[0]->_Fill._nColor, Rgba(255, 0, 0, 255));
    EXPECT_EQ(shapes[1]->_Fill._nColor, Rgba(0, 0, 0, 255));
}

TEST(SvgParser, DeleteAcceptsNull)
{
    SvgDelete(nullptr);
}

// Drawings come from the data archive (each TEST is its own process: the archive mounts once).
#include "ArchiveFixture.h"

TEST(SvgParseFile, ReadsDrawingsFromTheArchive)
{
    RV_SKIP_IF_DATA_PACK_IN_USE();
    rvTest::TempWorkDir dir;
    ASSERT_TRUE(rvTest::BuildArchive(dir, {{"Data/svg/fixture.svg", rvTest::ReadFixture("tests/data/svg/shapes.svg")},
                                           {"Data/svg/empty.svg", ""}}));
    SvgImage* image = SvgParseFile("Data/svg/fixture.svg", 96.f);
    ASSERT_NE(image, nullptr);
    int count = 0;
    for (const SvgShape* s = image->_pShapes; s; s = s->_pNext)
        ++count;
    EXPECT_EQ(count, 8);
    SvgDelete(image);

    SvgImage* empty = SvgParseFile("Data/svg/empty.svg", 96.f);
    ASSERT_NE(empty, nullptr);
    EXPECT_EQ(empty->_pShapes, nullptr);
    SvgDelete(empty);

    EXPECT_EQ(SvgParseFile("Data/svg/missing.svg", 96.f), nullptr);
    EXPECT_EQ(SvgParseFile(nullptr, 96.f), nullptr);
}
