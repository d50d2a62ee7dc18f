#pragma once
// Morphs one line drawing into another edge by edge: both shapes are brought to the same edge
// count by splitting their longest edges, every source edge is paired with a destination edge
// (nearest midpoints first, then connected runs followed in both shapes), and each pair is drawn
// as one segment interpolated between its two positions.
#include "svg/nanoSVG2Edge.h"

#include <glm/vec2.hpp>
#include <glm/vec4.hpp>

#include <vector>

class VectorScene;

class morphEdgeSequence
{
public:
    // Record i belongs to source edge i: the source edge's first node, the destination's first
    // node, the source edge's second node, the destination's second node.
    struct Pair
    {
        int _nSource1 = 0;
        int _nDest1 = 0;
        int _nSource2 = 0;
        int _nDest2 = 0;
    };

    morphEdgeSequence() = default;
    morphEdgeSequence(const morphEdgeSequence&) = delete;
    morphEdgeSequence& operator=(const morphEdgeSequence&) = delete;

    // Loads an SVG file into the chosen shape, centred on its centroid, scaled by
    // (0.1 * size x, -0.1 * size y) and moved to position. False for a null name or a failed load.
    // The pairs are dropped (pair again with Init).
    bool LoadShape(bool bSource, const char* sFile, const glm::vec2& vPosition, const glm::vec2& vSize);
    // Appends a scene subtree (children first, then the node's own lines, points mapped by the
    // node's effective transform) as nodes and edges; consecutive edges of a line share nodes.
    // False for a null node or when the shape ends up with no edges. Bounded by LimitEdges (sName
    // names the scene in its message). Changing one of this
    // sequence's shapes drops its pairs, as LoadShape does: they would name nodes of the old shape.
    bool AddVectorScene(nanoSVG2Edge& shape, const VectorScene* pNode, const char* sName = nullptr);
    // Most edges of a shape: pairing looks at every destination edge for every source edge, so
    // a drawing of 300k points would hold the loading pass for minutes.
    static constexpr int MAX_EDGES = 8192;
    // A shape of more than MAX_EDGES edges is simplified to at most that many (runs of edges that
    // follow each other joined, then any edges past the bound dropped), named once by sName on
    // stderr. An edge follows another when it starts within the longer one's length of its end, or
    // within fGap. Returns the shape's edge count after.
    static int LimitEdges(nanoSVG2Edge& shape, const char* sName, float fGap = 0.f);
    // Pairs the two shapes. False (nothing paired, _nEdges 0) when either shape has no edges.
    bool Init();
    // Draws every pair at t (clamped to [0, 1]) on the current vector display. A placement is
    // position x, y and size x, y.
    void Draw(float t, const glm::vec4& vSourcePlacement, const glm::vec4& vDestPlacement) const;
    // The segment of pair i at t, as Draw places it.
    void GetSegment(int i, float t, const glm::vec4& vSourcePlacement, const glm::vec4& vDestPlacement,
                    glm::vec2& a, glm::vec2& b) const;
    // Both shapes released, the pairs dropped, _nEdges 0.
    void Release();

    // Splits the longest edge n times (nothing for n < 1).
    static void SplitLongestEdges(nanoSVG2Edge& shape, int n);
    bool TryPair(int ps, int pd, int s, int d);

    glm::vec2 _vSourcePos = glm::vec2(0.f);
    glm::vec2 _vSourceScale = glm::vec2(0.1f, -0.1f);
    glm::vec2 _vDestPos = glm::vec2(0.f);
    glm::vec2 _vDestScale = glm::vec2(0.1f, -0.1f);
    nanoSVG2Edge _SVGSource;
    nanoSVG2Edge _SVGDest;
    std::vector<Pair> _aPairs;
    int _nEdges = 0;

private:
    void DropPairs();

    std::vector<unsigned char> _aSourcePaired;
    std::vector<unsigned char> _aDestPaired;
};
