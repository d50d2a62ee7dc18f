#pragma once
// Shaded wire frame in one pass: a geometry stage gives every fragment its screen distance to the
// edges of its triangle, and the fragment stage mixes the line colour near an edge into the fill
// colour inside. The owner binds "position" (three floats, location 0) and draws GL_TRIANGLES
// between Use and Unuse.
#include "rvShaderProgram.h"

#include <glm/glm.hpp>

class shUniformList;

struct shBasicShader3d : rvProgram3D
{
    shBasicShader3d() = default;
    ~shBasicShader3d() override = default;
    bool Build() override;
    void Use() override;

    void ApplySwitches() {}
    void ListUniforms(shUniformList& list);

    static const char* const VertexSource;
    static const char* const GeometrySource;
    static const char* const FragmentSource;

    int _location1f_LINE_BOLD = -1;
    float _fLineBold = 5.0f;
    int _location3f_LINE_COLOR = -1;
    glm::vec3 _vLineColor{1.0f, 1.0f, 1.0f};
    int _location3f_FILL_COLOR = -1;
    glm::vec3 _vFillColor{0.0f, 0.0f, 0.0f};
};
