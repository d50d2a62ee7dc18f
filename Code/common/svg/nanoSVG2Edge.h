#pragma once
// An SVG drawing as a graph of short independent straight edges (edge i joins nodes 2i and
// 2i + 1; no node is shared), the form in which the morphing code and line-art effects move, pair
// and draw outlines. Node positions are drawing units relative to the drawing's centre;
// consecutive edges of a path are 0.75 units apart and edges longer than _fMaxEdgeLength are
// cut into _fSplitCount pieces.
#include "svg/nanoSVGBase.h"

#include <glm/vec2.hpp>
#include <glm/vec3.hpp>

#include <vector>

class nanoSVG2Edge : public nanoSVGBase
{
public:
    struct Node
    {
        glm::vec2 _v = glm::vec2(0.f);
        bool _bEnd = false;
    };

    // The gap left between consecutive pieces of a path, in drawing units.
    static constexpr float PIECE_GAP = 0.75f;

    nanoSVG2Edge() = default;
    ~nanoSVG2Edge() { Release(); }

    // -1 when the drawing cannot be loaded, otherwise 0 with a complete graph.
    int Load(const char* sPath) override;
    void Release() override;
    // Every edge as a 2-point strip through _mFitMatrix, in the display's current colour.
    void Draw(const glm::vec4& color = glm::vec4(1.f)) override;

    glm::vec2 GetCentroid() const;
    void Translate(const glm::vec2& offset);

    // The graph of the loaded image: counting pass, lists sized once, filling pass, resampling.
    void BuildFromImage();
    // Counting pass (bFill false: sizes only) or filling pass over the image's paths.
    void BuildGraph(bool bFill);
    void Resample();

    std::vector<Node> _aNodes;
    std::vector<glm::vec3> _aEdges; // x, y: node indices as floats (-1 unset)
    std::vector<Node> _aNodesScratch;
    std::vector<glm::vec3> _aEdgesScratch;
    int _nShapes = 0;
    int _nNodesMax = 0;
    int _nNodes = 0;
    int _nEdges = 0;
    float _fMaxEdgeLength = 50.f;
    float _fSplitCount = 10.f;

private:
    int _nEdgesMax = 0; // edges the filling pass may hold at once, from the counting pass
};
