#pragma once
// Console model: a 3D vector game console of 30 vertices and 15 polygons on the vector display,
// drawn as outlined, filled faces, with the console picture mapped onto its front and base and,
// while the fxBufferDisplay named by "ScreenFxBuffer" runs, that buffer's picture on its screen.
// Model units are 1000 wide; the front faces -z. Colour and thickness are taken at Init.
#include "Factory/fxBase.h"
#include "rvMath.h"
#include "vector_display/vector_display.h"

#include <glm/glm.hpp>

#include <cstdint>
#include <string>
#include <vector>

struct rvTexColorProgram2D;
class fxBufferDisplay;

class fxObjVectrex : public fxBase
{
public:
    // A texture rectangle in bytes of 1/255: (uA, vA, uB, vB), v from the bottom of the picture.
    typedef uint8_t UVRECT[4];

    explicit fxObjVectrex(fxDescriptor* pDescriptor);
    ~fxObjVectrex() override;

    void Init() override;
    void Render() override;

    // What the console and the cartridge share: the model's points (colour, thickness, flags 0)
    // from its vertices, and their positions through the transform each frame.
    static void BuildPoints(const float (*pVertices)[3], int nCount, const glm::vec3& vColor, float fThickness,
                            std::vector<glm::vec4>& aVertices, std::vector<vector_display_point>& aPoints);
    static void PlacePoints(rvTransform3D& transform, const std::vector<glm::vec4>& aVertices,
                            std::vector<vector_display_point>& aPoints);
    // A point with the texture-mapping flag and the coordinate bytes u (bits 24..31), v (16..23).
    static vector_display_point Mapped(vector_display_point p, int u, int v, int nExtraFlags);
    // Maps the picture on points a, b, c, d (copies; a at (uB, vB), b (uA, vB), c (uA, vA), d (uB, vA),
    // each coordinate swapped with its mirror) and hands them to the display as a, d, c, b.
    void MapQuad(vector_display* pDisplay, int a, int b, int c, int d, const UVRECT& uv, unsigned texture,
                 int nExtraFlags) const;

    // The process-wide console picture (loaded by the first textured Init, kept until the end).
    static rvTexColorProgram2D& Picture();

    static fxDescriptor* GetDescriptor();
    static fxBase* Create(fxDescriptor* pDescriptor);
    static fxDescriptor* RegisterAttributes();

    rvTransform3D _Transform;
    float _fThickness = 0.3f;
    glm::vec3 _vColor = glm::vec3(1.0f);
    bool _bTextured = true;
    std::string _sScreenFxBuffer;
    glm::vec2 _vScreenUVi = glm::vec2(0.0f);
    glm::vec2 _vScreenUVf = glm::vec2(1.0f);
    bool _bMirrorU = false;
    bool _bMirrorV = false;

    std::vector<glm::vec4> _aVertices;
    std::vector<vector_display_point> _aPoints;
    UVRECT _uvScreen = {0, 255, 255, 0};
    UVRECT _uvFront = {2, 249, 253, 78};
    UVRECT _uvBase = {2, 71, 253, 48};
    fxBufferDisplay* _pScreenFx = nullptr;
};
