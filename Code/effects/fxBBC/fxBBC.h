#pragma once
// Logo circles: a ring of small turning spirals ("items") around a centre, every point of which
// shoots a ray away from the centre. Three phases: the rays grow (0); they retract while their
// segments are recorded as a graph of nodes and edges (1); that graph is morphed node by node
// into the ZQ4 logo (2).
#include "Factory/fxBase.h"
#include "effects/Morph/morphNodeSequence.h"
#include "rvMath.h"

#include <glm/vec3.hpp>
#include <string>
#include <vector>

class fxBBC : public fxBase
{
public:
    explicit fxBBC(fxDescriptor* pDescriptor);
    ~fxBBC() override;

    void Init() override;
    void Kill() override;
    void Render() override;

    // Places the item centres: bCreate makes the ring (with a random height per item), otherwise
    // the existing items are moved to the current radius and spacing.
    void BuildItems(bool bCreate);
    // Draws what one point shows in the current phase and raises the phase requests.
    void DrawItemPoint(const glm::vec3& p);
    // Points of one item's spiral at the current radius (the centre not counted).
    int SpiralPoints() const;

    static fxDescriptor* GetDescriptor();
    static fxBase* Create(fxDescriptor* pDescriptor);
    static fxDescriptor* RegisterAttributes();

    int _nPhase = 0;
    int _nPhaseRequest = 0;
    static constexpr int kMaxItems = 1000; // bound of "Item Count"
    int _nItemCount = 1;
    float _fRadiusInit = 9.f;
    float _fRadiusTarget = 40.f;
    float _fRadius = 9.f;
    glm::vec3 _vCenter = glm::vec3(0.f);
    float _fRadiusSpeed = 0.f;
    float _fRadBySec = 0.f;
    float _fAngle = 0.f;
    float _fItemRadius = 0.f;
    std::vector<glm::vec3> _aItems;
    float _fLength = 20.f;
    float _fShrink = 0.f;
    float _fLenghtSpeed = 0.f;
    float _fFrameTime = 0.f; // the simulated time of the frame being drawn
    std::string _sFile = "Data/svg/ZQ4_logo_v1_low.svg";
    rvTransform3D _Transform;
    morphNodeSequence _Morph;
    std::vector<glm::vec3> _aMorphNodes;
    std::vector<glm::vec3> _aMorphEdges;
};
