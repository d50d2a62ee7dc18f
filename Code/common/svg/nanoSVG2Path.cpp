#include "svg/nanoSVG2Path.h"

#include "rvSceneDisplay.h"
#include "svg/nanoSVGFlatten.h"
#include "vector_display/vector_display.h"

#include <vector>

namespace
{
glm::vec4 Map(const glm::mat4& m, float x, float y)
{
    return m * glm::vec4(x, y, 0.f, 1.f);
}
} // namespace

void nanoSVG2Path::DrawCubic(const glm::vec2& p0, const glm::vec2& p1, const glm::vec2& p2,
                             const glm::vec2& p3, float fTolerance, int nDepth, const glm::mat4& m)
{
    std::vector<glm::vec2> points;
    FlattenCubicToPoints(p0, p1, p2, p3, fTolerance, nDepth, points);
    vector_display* display = rvSceneDisplay::BindedDisplay();
    for (const glm::vec2& p : points)
    {
        const glm::vec4 q = Map(m, p.x, p.y);
        vector_display_strip_to(display, q.x, q.y, q.z);
    }
}

void nanoSVG2Path::DrawPath(const float* pPoints, int nPoints, bool bClosed, float fTolerance,
                            const glm::mat4& m)
{
    if (!pPoints || nPoints < 1) return;
    vector_display* display = rvSceneDisplay::BindedDisplay();
    const glm::vec4 first = Map(m, pPoints[0], pPoints[1]);
    vector_display_strip_begin(display, first.x, first.y, first.z);
    for (int i = 0; i + 3 < nPoints; i += 3)
    {
        const float* p = &pPoints[i * 2];
        DrawCubic(glm::vec2(p[0], p[1]), glm::vec2(p[2], p[3]), glm::vec2(p[4], p[5]), glm::vec2(p[6], p[7]),
                  fTolerance, 0, m);
    }
    if (bClosed) vector_display_strip_to(display, first.x, first.y, first.z);
    vector_display_strip_end(display);
}

void nanoSVG2Path::Draw(const glm::vec4& color)
{
    if (!_pImage) return;
    const float a = color.a < 1.f ? color.a : 1.f;
    const float tolerance = 1.5f * _fFitFactor;
    vector_display* display = rvSceneDisplay::BindedDisplay();
    for (const nanoSVGObject* object : _apObjects)
    {
        if (!object->_bVisible) continue;
        for (const SvgShape* shape : object->_apShapes)
        {
            if (!shape->_bShown) continue;
            glm::vec3 rgb;
            const glm::mat4* m = &_mFitMatrix;
            if (shape->_pPart)
            {
                rgb = a * shape->_pPart->_vColor;
                m = &shape->_pPart->_mTransform;
            }
            else if (shape->_Stroke._eType == SVG_PAINT_NONE && shape->_Stroke._nColor != 0)
            {
                const uint32_t word = shape->_Stroke._nColor;
                rgb = a * glm::vec3(float((word >> 16) & 255) / 255.f, float((word >> 8) & 255) / 255.f,
                                    float(word & 255) / 255.f);
            }
            else
                rgb = a * glm::vec3(color);
            for (const SvgPath* path = shape->_pPaths; path; path = path->_pNext)
            {
                // Part colours come from the timeline: the display takes 0..1 only.
                vector_display_set_rgb(display, rgb.r, rgb.g, rgb.b);
                DrawPath(path->_pPoints, path->_nPoints, path->_bClosed != 0, tolerance, *m);
            }
        }
    }
}
