#pragma once
// Parameterised transforms: a 4x4 matrix and the parameters it is computed from.
#include <glm/glm.hpp>

// A plain matrix holder. Update does nothing here, so whatever matrix an owner writes
// stays. Transforms own nothing; there is deliberately no virtual destructor.
class rvTransform
{
public:
    rvTransform() : _mMatrix(1.0f) {}
    virtual void Update() {}

    glm::mat4 _mMatrix; // column-major
};

// 2D transform: pivot to the origin, scale, rotate about Z (degrees), then move to the position.
class rvTransform2D : public rvTransform
{
public:
    rvTransform2D() = default;
    void Update() override;

    float _fRotation = 0.0f;
    glm::vec2 _vScale = glm::vec2(1.0f, 1.0f);
    glm::vec2 _vPosition = glm::vec2(0.0f, 0.0f);
    glm::vec2 _vPivot = glm::vec2(0.0f, 0.0f);
};

// 3D transform: pivot to the origin, scale, rotate about Y, then X, then Z (degrees), then move.
class rvTransform3D : public rvTransform
{
public:
    rvTransform3D() = default;
    void Update() override;
    // The same parameters, rotated before scaling: a non-uniform scale stretches along the
    // world axes instead of the object's axes.
    void UpdateRotateThenScale();

    glm::vec3 _vRotation = glm::vec3(0.0f);
    glm::vec3 _vScale = glm::vec3(1.0f);
    glm::vec3 _vPosition = glm::vec3(0.0f);
    glm::vec3 _vPivot = glm::vec3(0.0f);
};

// Degrees to radians, as a float factor (not a division by 180).
constexpr float RV_DEG_TO_RAD = 0.017453292f;

// The C runtime's rand() reduced to 0 .. 32767, the range the effects' formulas are written for,
// whatever the library's RAND_MAX (2^31 - 1 with glibc).
int rvRand15();
