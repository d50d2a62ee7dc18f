#pragma once
// Colour channels for the vector display, which takes values in 0..1 only: a channel computed
// from attributes, drivers or files is held to that range by rvClampUnit (not a number gives 0).
#include <algorithm>
#include <cmath>
#include <glm/glm.hpp>

#include "rvNumeric.h"
#include "vector_display/vector_display.h"

inline glm::vec3 rvUnitColor(const glm::vec3& c)
{
    return glm::vec3(rvClampUnit(c.r), rvClampUnit(c.g), rvClampUnit(c.b));
}

// vector_display_set_rgb with every channel held to 0..1.
inline int rvSetUnitRgb(vector_display* pDisplay, const glm::vec3& c)
{
    return vector_display_set_rgb(pDisplay, rvClampUnit(c.r), rvClampUnit(c.g), rvClampUnit(c.b));
}
