#pragma once
// One gear of an SVG drawing: its member shapes turn about the centre of their smallest
// enclosing circle inside a parent transform.
#include <glm/mat4x4.hpp>
#include <glm/vec3.hpp>

#include <string>
#include <vector>

struct SvgShape;
class rvTransform3D;

class nanoSVGPart
{
public:
    // _mTransform = parent x T(pivot) x Rx x Ry x Rz x T(-pivot). A stepped part shows the
    // angles it held at its last step, taken every _fPeriod seconds.
    void UpdateTransform(const rvTransform3D& parent, float dt);

    std::vector<SvgShape*> _apMembers;
    glm::mat4 _mTransform = glm::mat4(1.f);
    glm::vec3 _vPivot = glm::vec3(0.f);
    float _fRadius = 0.f;
    glm::vec3 _vAngles = glm::vec3(0.f);
    bool _bStepped = false;
    float _fPeriod = 1.f;
    float _fTimer = 0.f;
    glm::vec3 _vHeldAngles = glm::vec3(0.f);
    std::string _sName;
    bool _bHighlight = false;
    float _fSpeed = 0.f;
    glm::vec3 _vColor = glm::vec3(0.f);
};
