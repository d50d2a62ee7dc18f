#pragma once
// Colours written straight into vector display points (not through vector_display_set_rgb,
// which bounds its own input): each channel held to 0..1, not a number giving 0.
#include <algorithm>
#include <cmath>
#include <glm/glm.hpp>

#include "rvNumeric.h"
#include "vector_display/vector_display.h"

inline glm::vec3 rvUnitColor(const glm::vec3& c)
{
    return glm::vec3(rvClampUnit(c.r), rvClampUnit(c.g), rvClampUnit(c.b));
}
