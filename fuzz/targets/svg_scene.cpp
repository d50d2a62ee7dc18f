// SVG drawings as the scene effects use them, without GL: the drawing prepared for a small
// buffer (pivot, objects by id, gear parts with their enclosing circles, "CACHE" occluders
// triangulated by the GLU tessellator), every part turned, and the edge graph that the morphing
// and line-art effects build from the paths.
#include "FuzzTarget.h"

#include "rvMath.h"
#include "svg/SvgParser.h"
#include "svg/nanoSVG2Edge.h"

#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string text = rvFuzz::Text(data, size);
    SvgImage* image = SvgParse(&text[0], 96.f);
    if (!image) return 0;
    nanoSVG2Edge drawing; // frees the image
    drawing._pImage = image;
    drawing.PrepareImage(640.f, 360.f, false);

    std::vector<glm::vec2> vertices;
    std::vector<uint16_t> indices;
    for (const nanoSVGObject* object : drawing._apObjects)
        if (object->_bCache &&
            nanoSVGBase::TriangulateObject(*object, 1.5f * drawing._fFitFactor, vertices, indices))
            for (uint16_t i : indices)
                if (i >= vertices.size()) __builtin_trap();

    const rvTransform3D parent;
    for (nanoSVGPart* part : drawing._apParts)
    {
        part->_vAngles = glm::vec3(0.1f, 0.2f, 0.3f);
        part->UpdateTransform(parent, 1.f / 60.f);
        part->UpdateTransform(parent, 2.f);
    }

    drawing.BuildFromImage();
    drawing.Translate(-drawing.GetCentroid());
    return 0;
}
