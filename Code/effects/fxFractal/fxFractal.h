#pragma once
// A self-similar tree: a trunk and up to four branches, each given by two end points and turned
// into the matrix that maps the trunk onto it; applying the branch matrices again and again down
// to "DepthMax" gives the fractal. Every line is a stand-alone segment whose ends take colour and
// width from a table that blends from the trunk's ("Base") to the deepest level's ("Leaf").
#include "Factory/fxBase.h"
#include "rvMath.h"
#include "vector_display/vector_display.h"

#include <glm/glm.hpp>
#include <vector>

class fxFractal : public fxBase
{
public:
    static constexpr int BRANCH_MAX = 4;
    // Bound on the segments of one frame: deeper levels are left out once a level would pass it
    // (4 branches stop at level 8, 2 branches reach level 15).
    static constexpr int MAX_SEGMENTS = 1 << 17;
    // Bound on "DepthMax" from a file or a driver (the level table has one entry per level).
    static constexpr int MAX_DEPTH = 32;

    struct Branch
    {
        float _fLength;
        glm::vec3 v0;
        glm::vec3 v1;
        glm::mat4 _mLocal;
        bool _bValid; // a length that is positive and finite: the matrix is usable
    };

    explicit fxFractal(fxDescriptor* pDescriptor);
    ~fxFractal() override;

    void Render() override;

    static void UpdateBranchMatrix(Branch& branch, float fScaleDivisor);
    // "DepthMax" within 0..MAX_DEPTH.
    int DepthMax() const;
    // The deepest level drawn: "DepthMax", lowered until the segments fit the bound.
    int DrawnDepthMax() const;
    // Segments one frame draws with the current settings (trunk and model included).
    long long SegmentCount() const;

    static fxDescriptor* GetDescriptor();
    static fxBase* Create(fxDescriptor* pDescriptor);
    static fxDescriptor* RegisterAttributes();

    vector_display* _pDisplay; // the display drawn on: the current one, taken at each Render
    rvTransform3D _Transform;
    Branch _aBranches[1 + BRANCH_MAX]; // 0: the trunk
    int _nBrancheCount;
    int _nDepthMax;
    int _nDepthMin;
    int _nBuiltDepthMax;
    float _fBuiltFade;
    float _fBaseSize;
    glm::vec3 _vBaseColor;
    float _fBaseThickness;
    glm::vec3 _vLeafColor;
    float _fLeafThickness;
    bool _bShowModel;
    bool _bShowFractal;
    std::vector<vector_display_point> _aLevels;

private:
    int BranchCount() const;
    void BuildLevels(float fFade);
    void DrawSegment(const glm::mat4& M, float fLength, int a, int b);
    void DrawLevel(int nDepth, const glm::mat4& M, int k, int nDepthMax);
};
