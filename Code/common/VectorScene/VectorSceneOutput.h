#pragma once
// Where a vector scene sends its strips. Drawing goes to the current vector display
// (VectorSceneDisplayOutput); other receivers (collectors, tests) implement the same four calls.
#include <glm/vec3.hpp>

class VectorSceneOutput
{
public:
    virtual ~VectorSceneOutput() = default;
    // Colour of the following strips (rgb) and, when width > 0, their thickness.
    virtual void SetStyle(float r, float g, float b, float width) = 0;
    virtual void StripBegin(const glm::vec3& p) = 0;
    virtual void StripTo(const glm::vec3& p) = 0;
    virtual void StripEnd() = 0;
};
