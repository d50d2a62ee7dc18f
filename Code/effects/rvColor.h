#pragma once
// Colour channels for the vector display, which takes values in 0..1 only: a channel computed
// from attributes, drivers or files is held to that range (a value that is not a number is 0).
#include <algorithm>
#include <cmath>
#include <glm/glm.hpp>

#include "vector_display/vector_display.h"

inline float rvUnitChannel(float c)
{
    return std::isfinite(c) ? std::min(std::max(c, 0.0f), 1.0f) : 0.0f;
}

inline glm::vec3 rvUnitColor(const glm::vec3& c)
{
    return glm::vec3(rvUnitChannel(c.r), rvUnitChannel(c.g), rvUnitChannel(c.b));
}

// vector_display_set_rgb with every channel held to 0..1.
inline int rvSetUnitRgb(vector_display* pDisplay, const glm::vec3& c)
{
    return vector_display_set_rgb(pDisplay, rvUnitChannel(c.r), rvUnitChannel(c.g), rvUnitChannel(c.b));
}
