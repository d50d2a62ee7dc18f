#pragma once
// Helpers of the rendering tests, shared so that each exists once: making an effect of a class,
// one frame of it on a fixed step, reading back the "Default" buffer, looking at pixels and at the
// strips the vector display was given.
#include "GLTestContext.h"

#include <glm/glm.hpp>

#include <memory>
#include <vector>

class fxBase;
struct GLFWwindow;
struct vector_display;

namespace rvTest
{
// A new effect of class T with its attributes registered (Create(RegisterAttributes())).
template <class T> std::unique_ptr<T> NewEffect()
{
    return std::unique_ptr<T>(static_cast<T*>(T::Create(T::RegisterAttributes())));
}

// One frame of a timeline with a fixed 1/60 s step: the effect is started, updated once
// (its Render included), then stopped.
void RenderOnce(fxBase& fx);

// One frame of the player's path over a list of effects: frame begun, each effect started when
// it is not yet (its first frame) or else advanced by dt, updated in list order, frame presented.
void PlayFrame(GLFWwindow* window, const std::vector<std::unique_ptr<fxBase>>& effects, float dt);

// The colour target of the "Default" buffer at its current size, bottom row first.
std::vector<RGBA> ReadDefault();

// Where a point of the scene lands in "Default", in pixels from the bottom left.
glm::vec2 ProjectToDefault(const glm::vec3& p);

// The brightest pixel (largest r + g + b) in the square of half-size r around a point.
RGBA Brightest(const RenderTarget& t, glm::vec2 at, int r);

// A white horizontal line from (-30, 0) to (30, 0), 4 units thick (wide enough to light whole
// pixels of a small target).
void AddHorizontalLine(vector_display* d);

// The display's pending strips as lists of their drawn points (start and end markers left out).
std::vector<std::vector<glm::vec2>> Strips(const vector_display* d);
} // namespace rvTest
