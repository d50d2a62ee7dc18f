#include "svg/nanoSVGPart.h"

#include "rvMath.h"

#include <glm/gtc/matrix_transform.hpp>

void nanoSVGPart::UpdateTransform(const rvTransform3D& parent, float dt)
{
    glm::vec3 angles = _vAngles;
    if (_bStepped)
    {
        if (_fTimer > _fPeriod)
        {
            _vHeldAngles = _vAngles;
            _fTimer = 0.f;
        }
        else
            _fTimer += dt;
        angles = _vHeldAngles;
    }
    glm::mat4 m = glm::translate(glm::mat4(1.f), _vPivot);
    m = glm::rotate(m, angles.x, glm::vec3(1.f, 0.f, 0.f));
    m = glm::rotate(m, angles.y, glm::vec3(0.f, 1.f, 0.f));
    m = glm::rotate(m, angles.z, glm::vec3(0.f, 0.f, 1.f));
    m = glm::translate(m, -_vPivot);
    _mTransform = parent._mMatrix * m;
}
