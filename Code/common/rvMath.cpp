#include "rvMath.h"

#include <cstdlib>
#include <glm/gtc/matrix_transform.hpp>

void rvTransform2D::Update()
{
    glm::mat4 m(1.0f);
    m = glm::translate(m, glm::vec3(_vPosition.x, _vPosition.y, 0.0f));
    m = glm::rotate(m, _fRotation * RV_DEG_TO_RAD, glm::vec3(0.0f, 0.0f, 1.0f));
    m = glm::scale(m, glm::vec3(_vScale.x, _vScale.y, 1.0f));
    m = glm::translate(m, glm::vec3(-_vPivot.x, -_vPivot.y, 0.0f));
    _mMatrix = m;
}

namespace
{
// R(rz, Z) * R(rx, X) * R(ry, Y) applied to m: a point turns about Y first, then X, then Z.
glm::mat4 RotateZXY(glm::mat4 m, const glm::vec3& degrees)
{
    const glm::vec3 r = degrees * RV_DEG_TO_RAD;
    m = glm::rotate(m, r.z, glm::vec3(0.0f, 0.0f, 1.0f));
    m = glm::rotate(m, r.x, glm::vec3(1.0f, 0.0f, 0.0f));
    m = glm::rotate(m, r.y, glm::vec3(0.0f, 1.0f, 0.0f));
    return m;
}
} // namespace

void rvTransform3D::Update()
{
    glm::mat4 m = glm::translate(glm::mat4(1.0f), _vPosition);
    m = RotateZXY(m, _vRotation);
    m = glm::scale(m, _vScale);
    m = glm::translate(m, -_vPivot);
    _mMatrix = m;
}

void rvTransform3D::UpdateRotateThenScale()
{
    glm::mat4 m = glm::translate(glm::mat4(1.0f), _vPosition);
    m = glm::scale(m, _vScale);
    m = RotateZXY(m, _vRotation);
    m = glm::translate(m, -_vPivot);
    _mMatrix = m;
}

int rvRand15()
{
    return std::rand() & 0x7FFF;
}
