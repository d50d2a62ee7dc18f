#pragma once
// Program of the grid background: a flat colour under three square grids of thin anti-aliased
// lines (fine, medium, coarse). Every uniform is asserted at Use; no switches.
#include "rvShaderProgram.h"

#include <glm/glm.hpp>

class shUniformList;

struct shBackGrid : rvProgram2D
{
    shBackGrid() = default;
    ~shBackGrid() override = default;
    bool Build() override;
    void Use() override;

    void ApplySwitches() {}
    void ListUniforms(shUniformList& list);

    static const char* const FragmentSource;

    int _location2f_UV_POS = -1;
    glm::vec2 _vUvPos{0.0f, 0.0f};
    int _location2f_UV_SCALE = -1;
    glm::vec2 _vUvScale{1.0f, 1.0f};
    int _location4f_BACK_COLOR = -1;
    glm::vec4 _vBackColor{0.1f, 0.25f, 0.35f, 1.0f};
    int _location4f_GRID_COLOR1 = -1;
    glm::vec4 _vGridColor1{1.0f, 1.0f, 1.0f, 0.1f};
    int _location4f_GRID_COLOR2 = -1;
    glm::vec4 _vGridColor2{1.0f, 1.0f, 1.0f, 0.1f};
    int _location4f_GRID_COLOR3 = -1;
    glm::vec4 _vGridColor3{1.0f, 1.0f, 1.0f, 0.4f};
    int _location2f_GRID_WIDTH1 = -1;
    glm::vec2 _vGridWidth1{2.0f, 2.0f};
    int _location2f_GRID_WIDTH2 = -1;
    glm::vec2 _vGridWidth2{2.0f, 2.0f};
    int _location2f_GRID_WIDTH3 = -1;
    glm::vec2 _vGridWidth3{2.0f, 2.0f};
    int _location2f_GRID_SIZE = -1;
    glm::vec2 _vGridSize{1.0f, 1.0f};
};
