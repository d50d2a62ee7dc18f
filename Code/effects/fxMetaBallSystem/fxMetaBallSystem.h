#pragma once
// Eight blobs (one square, seven circles) wandering in the plane z = 0 that melt together when
// they come close: each close pair is outlined by ray-marching the smooth union of the two
// distance functions, the outlines of each cluster of connected blobs are merged with Clipper
// and drawn with a second outline inset inside. Lone blobs are drawn as plain circles or squares
// with their inset copy. The motion is a function of time only.
#include "Factory/fxBase.h"
#include "rvClipper.h"

#include <glm/glm.hpp>
#include <cstdint>
#include <vector>

class fxMetaBallSystem : public fxBase
{
public:
    enum Shape
    {
        SHAPE_CIRCLE = 0,
        SHAPE_BOX = 1
    };

    struct Ball
    {
        int _eShape = SHAPE_CIRCLE;
        glm::vec2 _vPos = glm::vec2(0.0f);
        float _fSize = 0.0f;
        glm::vec2 _vExtent = glm::vec2(0.0f);
        int _nGroup = -1;
        // Signed distance from a point to the blob.
        float Distance(const glm::vec2& p) const;
    };

    explicit fxMetaBallSystem(fxDescriptor* pDescriptor);
    ~fxMetaBallSystem() override;

    void Init() override;
    void Render() override;

    void AddBall();
    // "Subdiv" as used: within [3, 4096].
    int Subdiv() const;
    // "Union Distance" and "Outline Distance" within 0..kMaxDistance (NaN gives 0): the outline
    // is an offset whose arcs take steps in proportion to it.
    static constexpr float kMaxDistance = 100.0f;
    float UnionDistance() const;
    float OutlineDistance() const;
    // Clipper coordinates (hundredths) of a traced point stay within this.
    static constexpr int kMaxCoordinate = 1 << 29;
    // Places every ball for animation time T.
    void Animate(float fT);
    // Traces the pairs, groups and merges them (no drawing): fills _apGroups.
    void BuildGroups();
    float SmoothUnion(const Ball& a, const Ball& b, const glm::vec2& p) const;
    bool TracePair(const Ball& a, const Ball& b, std::vector<glm::vec2>& aPoints) const;
    bool TraceArc(const Ball& a, const Ball& b, const Ball& centre, float fFrom, int nCount,
                  std::vector<glm::vec2>& aPoints) const;
    bool TraceLine(const Ball& a, const Ball& b, const glm::vec2& q, const glm::vec2& r, const glm::vec2& dir,
                   float fDelta, std::vector<glm::vec2>& aPoints) const;
    bool March(const Ball& a, const Ball& b, glm::vec2& p, const glm::vec2& dir) const;
    void SetColor() const;
    void DrawPaths(const rvClipper::Paths& paths) const;
    void DrawBall(const Ball& ball) const;

    static fxDescriptor* GetDescriptor();
    static fxBase* Create(fxDescriptor* pDescriptor);
    static fxDescriptor* RegisterAttributes();

    float _fOutlineDistance = 2.0f;
    int _nSubdiv = 128;
    glm::vec4 _vColor = glm::vec4(0.0f, 0.6f, 1.0f, 1.0f);
    float _fUnionDistance = 10.0f;
    int _nRandomSeed = 0;
    float _fTimeSeek = 0.0f;
    std::vector<Ball> _aBalls;
    std::vector<rvClipper::Paths> _apGroups;
    uint32_t _nRandomState = 0;
    ClipperLib::Clipper _Clipper;
};
