#pragma once
// A fixed scene that uses every kind of vector-display primitive at once: four revolving pillars
// (the display's cube), the product name as TrueType outlines swinging on a 2D transform, a
// floor of 100 lines running into the distance, a curve of 100 dots, green lines with end dots
// and filled triangles, and a purple filled ceiling. Six attributes set the widths.
#include "Factory/fxBase.h"
#include "Font/rvTextParams.h"
#include "VectorScene/VectorScene.h"
#include "rvMath.h"

#include <glm/glm.hpp>

class rvFont;

class fxBasicScene : public fxBase
{
public:
    static constexpr const char* FONT_FILE = "Data/Font/Rudovadov.ttf";
    static constexpr const char* TEXT = "Morvane";
    static constexpr int FLOOR_LINES = 100;
    static constexpr int DOTS = 100;
    static constexpr int GREEN_ROWS = 21;

    explicit fxBasicScene(fxDescriptor* pDescriptor);
    ~fxBasicScene() override;

    void Init() override;
    void Render() override;

    // One pillar: a box of centre c and half size h turned about the world y axis by a radians.
    void AddPillar(const glm::vec3& c, const glm::vec3& h, float a) const;

    static fxDescriptor* GetDescriptor();
    static fxBase* Create(fxDescriptor* pDescriptor);
    static fxDescriptor* RegisterAttributes();

    rvTransform2D _Transform;
    float _fThicknessBlue;
    float _fThicknessGreen;
    float _fThicknessOrange;
    float _fThicknessPurple;
    float _fThicknessYellow;
    float _fThicknessWhite;
    VectorScene _VectorScene;
    rvTextParams _Params;
    rvFont* _pFont;
};
