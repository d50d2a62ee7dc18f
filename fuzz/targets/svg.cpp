// SVG drawings: the parser over any text, then what the object layer does with its paths
// without GL: every cubic flattened at the drawing tolerance and the smallest circle enclosing
// each shape's points (the gear parts' rotation centres).
#include "FuzzTarget.h"

#include "svg/EnclosingBall.h"
#include "svg/SvgParser.h"
#include "svg/nanoSVGFlatten.h"

#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string text = rvFuzz::Text(data, size);
    SvgImage* image = SvgParse(&text[0], 96.f);
    if (!image) return 0;
    std::vector<glm::vec2> flat;
    std::vector<double> points;
    for (const SvgShape* shape = image->_pShapes; shape; shape = shape->_pNext)
    {
        points.clear();
        for (const SvgPath* path = shape->_pPaths; path; path = path->_pNext)
        {
            const float* p = path->_pPoints;
            for (int i = 0; i + 3 < path->_nPoints && flat.size() < 100000; i += 3)
                FlattenCubicToPoints(glm::vec2(p[i * 2], p[i * 2 + 1]), glm::vec2(p[i * 2 + 2], p[i * 2 + 3]),
                                     glm::vec2(p[i * 2 + 4], p[i * 2 + 5]), glm::vec2(p[i * 2 + 6], p[i * 2 + 7]),
                                     1.5f, 0, flat);
            if (path->_nPoints < 2) continue;
            for (int i = 0; i < path->_nPoints * 2; ++i)
                points.push_back(double(p[i]));
        }
        if (!points.empty())
        {
            EnclosingBall ball(2, points.data(), points.size() / 2);
            ball.GetCenter();
            ball.GetRadius();
        }
    }
    SvgDelete(image);
    return 0;
}
