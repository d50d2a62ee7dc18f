#include "effects/Morph/morphEdgeSequence.h"

#include "VectorScene/VectorScene.h"
#include "rvAssert.h"
#include "rvMessage.h"
#include "rvSceneDisplay.h"
#include "vector_display/vector_display.h"

#include <glm/geometric.hpp>

#include <algorithm>
#include <cmath>

namespace
{
int Node1(const nanoSVG2Edge& shape, int e)
{
    return int(shape._aEdges[size_t(e)].x);
}
int Node2(const nanoSVG2Edge& shape, int e)
{
    return int(shape._aEdges[size_t(e)].y);
}
const glm::vec2& Pos(const nanoSVG2Edge& shape, int n)
{
    return shape._aNodes[size_t(n)]._v;
}

glm::vec2 Midpoint(const nanoSVG2Edge& shape, int e)
{
    return 0.5f * (Pos(shape, Node1(shape, e)) + Pos(shape, Node2(shape, e)));
}

bool Near(const glm::vec2& a, const glm::vec2& b)
{
    return std::fabs(a.x - b.x) < 1e-6f && std::fabs(a.y - b.y) < 1e-6f;
}

// Some end node of one edge within 1e-6 of some end node of the other, in x and in y.
bool Touch(const nanoSVG2Edge& shape, int e, int f)
{
    const glm::vec2& a1 = Pos(shape, Node1(shape, e));
    const glm::vec2& a2 = Pos(shape, Node2(shape, e));
    const glm::vec2& b1 = Pos(shape, Node1(shape, f));
    const glm::vec2& b2 = Pos(shape, Node2(shape, f));
    return Near(a1, b1) || Near(a1, b2) || Near(a2, b1) || Near(a2, b2);
}

// Edge f continues edge e: it starts no farther from e's end than the longer of the two is long,
// or than fGap (drawings loaded from SVG leave a small gap between the pieces of a path; separate
// paths mostly start farther away).
bool Follows(const nanoSVG2Edge& shape, int e, int f, float fGap)
{
    const glm::vec2 de = Pos(shape, Node2(shape, e)) - Pos(shape, Node1(shape, e));
    const glm::vec2 df = Pos(shape, Node2(shape, f)) - Pos(shape, Node1(shape, f));
    const glm::vec2 gap = Pos(shape, Node1(shape, f)) - Pos(shape, Node2(shape, e));
    return glm::dot(gap, gap) <= std::max({glm::dot(de, de), glm::dot(df, df), fGap * fGap}) + 1e-12f;
}

// The size ratio of a placement against the load-time scale. A shape loaded at size 0 was
// collapsed onto its position; it keeps that form rather than turning into NaN.
float Ratio(float fFactor, float fStored)
{
    return fStored != 0.f ? fFactor / fStored : 1.f;
}

void AppendScene(nanoSVG2Edge& shape, const VectorScene* pNode)
{
    for (const VectorScene* child : pNode->_apChildren)
        if (child) AppendScene(shape, child);
    const rvTransform* transform = pNode->GetTransform();
    const glm::mat4 m = transform ? transform->_mMatrix : glm::mat4(1.f);
    for (const VectorSceneLine* line : pNode->_apLines)
    {
        if (!line || line->_aPoints.empty()) continue;
        const size_t n = line->_aPoints.size();
        for (size_t i = 0; i < n; ++i)
        {
            const glm::vec4 p = m * glm::vec4(line->_aPoints[i], 1.f);
            nanoSVG2Edge::Node node;
            node._v = glm::vec2(p.x, p.y);
            node._bEnd = i + 1 == n;
            const float index = float(shape._aNodes.size());
            shape._aNodes.push_back(node);
            if (i + 1 < n) shape._aEdges.emplace_back(index, index + 1.f, 0.f);
        }
    }
}
} // namespace

int morphEdgeSequence::LimitEdges(nanoSVG2Edge& shape, const char* sName, float fGap)
{
    const int nEdges = int(std::min(shape._aEdges.size(), size_t(std::max(shape._nEdges, 0))));
    if (nEdges <= MAX_EDGES) return nEdges;
    // Runs of edges that follow each other are joined k at a time, k doubling until the drawing
    // fits; edges past the bound (a drawing of more separate runs than that) are dropped.
    std::vector<glm::vec2> ends;
    for (int k = 2;; k *= 2)
    {
        ends.clear();
        for (int e = 0; e < nEdges;)
        {
            int last = e;
            while (last + 1 < nEdges && last + 1 - e < k && Follows(shape, last, last + 1, fGap))
                ++last;
            ends.push_back(Pos(shape, Node1(shape, e)));
            ends.push_back(Pos(shape, Node2(shape, last)));
            e = last + 1;
        }
        if (ends.size() <= size_t(2 * MAX_EDGES) || k >= nEdges) break;
    }
    const int nKept = std::min(int(ends.size()) / 2, MAX_EDGES);
    rvReport(rvMessageKind::Warning, "morph: \"%s\" has %d edges, more than %d; it is morphed simplified to %d",
             sName ? sName : "", nEdges, MAX_EDGES, nKept);
    shape._aNodes.assign(size_t(2 * nKept), nanoSVG2Edge::Node());
    shape._aEdges.resize(size_t(nKept));
    for (int e = 0; e < nKept; ++e)
    {
        shape._aNodes[size_t(2 * e)]._v = ends[size_t(2 * e)];
        shape._aNodes[size_t(2 * e + 1)]._v = ends[size_t(2 * e + 1)];
        shape._aNodes[size_t(2 * e + 1)]._bEnd = true;
        shape._aEdges[size_t(e)] = glm::vec3(float(2 * e), float(2 * e + 1), 0.f);
    }
    shape._nNodes = 2 * nKept;
    shape._nEdges = nKept;
    return nKept;
}

bool morphEdgeSequence::LoadShape(bool bSource, const char* sFile, const glm::vec2& vPosition,
                                  const glm::vec2& vSize)
{
    if (!sFile) return false;
    nanoSVG2Edge& shape = bSource ? _SVGSource : _SVGDest;
    DropPairs();
    shape.Release();
    if (shape.Load(sFile) == -1) return false;
    // The pieces of a path are a gap apart (a little more where the path turns).
    LimitEdges(shape, sFile, 2.f * nanoSVG2Edge::PIECE_GAP);
    shape.Translate(-shape.GetCentroid());
    const glm::vec2 scale(0.1f * vSize.x, -0.1f * vSize.y);
    for (nanoSVG2Edge::Node& node : shape._aNodes)
        node._v = node._v * scale + vPosition;
    (bSource ? _vSourcePos : _vDestPos) = vPosition;
    (bSource ? _vSourceScale : _vDestScale) = scale;
    return true;
}

bool morphEdgeSequence::AddVectorScene(nanoSVG2Edge& shape, const VectorScene* pNode, const char* sName)
{
    if (!pNode) return false;
    if (&shape == &_SVGSource || &shape == &_SVGDest) DropPairs();
    // Keep the lists and the counts in step before appending.
    shape._aNodes.resize(size_t(std::max(shape._nNodes, 0)));
    shape._aEdges.resize(size_t(std::max(shape._nEdges, 0)));
    AppendScene(shape, pNode);
    shape._nNodes = int(shape._aNodes.size());
    shape._nEdges = int(shape._aEdges.size());
    LimitEdges(shape, sName);
    return shape._nEdges > 0;
}

void morphEdgeSequence::SplitLongestEdges(nanoSVG2Edge& SVG, int n)
{
    if (n < 1) return;
    const int nEdgeFinal = SVG._nEdges + n;
    SVG._aEdges.resize(size_t(SVG._nEdges));
    SVG._aNodes.resize(size_t(SVG._nNodes));
    std::vector<float> lengths(size_t(SVG._nEdges));
    for (int e = 0; e < SVG._nEdges; ++e)
    {
        const glm::vec2 d = Pos(SVG, Node2(SVG, e)) - Pos(SVG, Node1(SVG, e));
        lengths[size_t(e)] = glm::dot(d, d);
    }
    SVG._aEdges.reserve(size_t(nEdgeFinal));
    SVG._aNodes.reserve(SVG._aNodes.size() + size_t(n));
    lengths.reserve(size_t(nEdgeFinal));
    for (int k = 0; k < n && !lengths.empty(); ++k)
    {
        size_t longest = 0;
        for (size_t e = 1; e < lengths.size(); ++e)
            if (lengths[e] > lengths[longest]) longest = e;
        const glm::vec3 edge = SVG._aEdges[longest];
        nanoSVG2Edge::Node mid;
        mid._v = 0.5f * (Pos(SVG, int(edge.x)) + Pos(SVG, int(edge.y)));
        mid._bEnd = true;
        const float midIndex = float(SVG._aNodes.size());
        SVG._aNodes.push_back(mid);
        SVG._aEdges[longest].y = midIndex;
        SVG._aEdges.insert(SVG._aEdges.begin() + std::ptrdiff_t(longest) + 1,
                           glm::vec3(midIndex, edge.y, edge.z));
        // Halving an edge quarters its squared length.
        const float half = lengths[longest] * 0.25f;
        lengths[longest] = half;
        lengths.insert(lengths.begin() + std::ptrdiff_t(longest) + 1, half);
    }
    SVG._nEdges = int(SVG._aEdges.size());
    SVG._nNodes = int(SVG._aNodes.size());
    rvAssert(nEdgeFinal == SVG._nEdges);
}

bool morphEdgeSequence::TryPair(int ps, int pd, int s, int d)
{
    if (s < 0 || s >= _nEdges || d < 0 || d >= _nEdges || ps < 0 || ps >= _nEdges || pd < 0 || pd >= _nEdges)
        return false;
    if (_aSourcePaired[size_t(s)] || _aDestPaired[size_t(d)]) return false;
    if (s != ps && (!Touch(_SVGSource, s, ps) || !Touch(_SVGDest, d, pd))) return false;

    Pair& pair = _aPairs[size_t(s)];
    pair._nSource1 = Node1(_SVGSource, s);
    pair._nSource2 = Node2(_SVGSource, s);
    const glm::vec2 ds = Pos(_SVGSource, pair._nSource2) - Pos(_SVGSource, pair._nSource1);
    const glm::vec2 dd = Pos(_SVGDest, Node2(_SVGDest, d)) - Pos(_SVGDest, Node1(_SVGDest, d));
    const bool keep = glm::dot(ds, dd) >= 0.f;
    pair._nDest1 = keep ? Node1(_SVGDest, d) : Node2(_SVGDest, d);
    pair._nDest2 = keep ? Node2(_SVGDest, d) : Node1(_SVGDest, d);
    _aSourcePaired[size_t(s)] = 1;
    _aDestPaired[size_t(d)] = 1;
    return true;
}

void morphEdgeSequence::DropPairs()
{
    _aPairs.clear();
    _aSourcePaired.clear();
    _aDestPaired.clear();
    _nEdges = 0;
}

bool morphEdgeSequence::Init()
{
    DropPairs();
    if (_SVGSource._nEdges < 1 || _SVGDest._nEdges < 1) return false;

    _nEdges = std::max(_SVGSource._nEdges, _SVGDest._nEdges);
    const glm::vec2 sourceCentroid = _SVGSource.GetCentroid();
    const glm::vec2 destCentroid = _SVGDest.GetCentroid();
    _SVGSource.Translate(-sourceCentroid);
    _SVGDest.Translate(-destCentroid);

    if (_SVGSource._nEdges < _nEdges)
        SplitLongestEdges(_SVGSource, _nEdges - _SVGSource._nEdges);
    else if (_SVGDest._nEdges < _nEdges)
        SplitLongestEdges(_SVGDest, _nEdges - _SVGDest._nEdges);
    rvAssert(_SVGSource._nEdges == _nEdges);
    rvAssert(_SVGDest._nEdges == _nEdges);

    const size_t n = size_t(_nEdges);
    std::vector<glm::vec2> sourceMid(n), destMid(n);
    std::vector<float> distance(n);
    std::vector<int> order(n);
    for (int e = 0; e < _nEdges; ++e)
    {
        sourceMid[size_t(e)] = Midpoint(_SVGSource, e);
        destMid[size_t(e)] = Midpoint(_SVGDest, e);
        distance[size_t(e)] = glm::dot(sourceMid[size_t(e)], sourceMid[size_t(e)]);
        order[size_t(e)] = e;
    }
    _aSourcePaired.assign(n, 0);
    _aDestPaired.assign(n, 0);
    _aPairs.assign(n, Pair());

    std::stable_sort(order.begin(), order.end(),
                     [&](int a, int b) { return distance[size_t(a)] > distance[size_t(b)]; });

    for (int s : order)
    {
        if (_aSourcePaired[size_t(s)]) continue;
        int d = -1;
        float best = 0.f;
        for (int e = 0; e < _nEdges; ++e)
        {
            if (_aDestPaired[size_t(e)]) continue;
            const glm::vec2 v = destMid[size_t(e)] - sourceMid[size_t(s)];
            const float dist = glm::dot(v, v);
            if (d < 0 || dist < best)
            {
                d = e;
                best = dist;
            }
        }
        rvAssert(d >= 0);
        TryPair(s, d, s, d);
        for (int k = 1; TryPair(s + k - 1, d + k - 1, s + k, d + k); ++k)
        {
        }
        for (int k = 1; TryPair(s + k - 1, d - k + 1, s + k, d - k); ++k)
        {
        }
        for (int k = 1; TryPair(s - k + 1, d - k + 1, s - k, d - k); ++k)
        {
        }
        for (int k = 1; TryPair(s - k + 1, d + k - 1, s - k, d + k); ++k)
        {
        }
    }

    _SVGSource.Translate(sourceCentroid);
    _SVGDest.Translate(destCentroid);
    return true;
}

void morphEdgeSequence::GetSegment(int i, float t, const glm::vec4& vSourcePlacement,
                                   const glm::vec4& vDestPlacement, glm::vec2& a, glm::vec2& b) const
{
    if (!(t > 0.f)) t = 0.f; // NaN too
    if (t > 1.f) t = 1.f;
    const glm::vec2 sourceRatio(Ratio(0.1f * vSourcePlacement.z, _vSourceScale.x),
                                Ratio(-0.1f * vSourcePlacement.w, _vSourceScale.y));
    const glm::vec2 sourceMove = glm::vec2(vSourcePlacement.x, vSourcePlacement.y) - _vSourcePos;
    const glm::vec2 destRatio(Ratio(0.1f * vDestPlacement.z, _vDestScale.x),
                              Ratio(-0.1f * vDestPlacement.w, _vDestScale.y));
    const glm::vec2 destMove = glm::vec2(vDestPlacement.x, vDestPlacement.y) - _vDestPos;

    const Pair& pair = _aPairs[size_t(i)];
    const glm::vec2 s1 = Pos(_SVGSource, pair._nSource1) * sourceRatio + sourceMove;
    const glm::vec2 s2 = Pos(_SVGSource, pair._nSource2) * sourceRatio + sourceMove;
    const glm::vec2 d1 = Pos(_SVGDest, pair._nDest1) * destRatio + destMove;
    const glm::vec2 d2 = Pos(_SVGDest, pair._nDest2) * destRatio + destMove;
    a = s1 + (d1 - s1) * t;
    b = s2 + (d2 - s2) * t;
}

void morphEdgeSequence::Draw(float t, const glm::vec4& vSourcePlacement,
                             const glm::vec4& vDestPlacement) const
{
    if (_nEdges < 1 || _aPairs.size() < size_t(_nEdges)) return;
    vector_display* display = rvSceneDisplay::BindedDisplay();
    for (int i = 0; i < _nEdges; ++i)
    {
        glm::vec2 a, b;
        GetSegment(i, t, vSourcePlacement, vDestPlacement, a, b);
        vector_display_strip_begin(display, a.x, a.y, 0.f);
        vector_display_strip_to(display, b.x, b.y, 0.f);
        vector_display_strip_end(display);
    }
}

void morphEdgeSequence::Release()
{
    _SVGSource.Release();
    _SVGDest.Release();
    DropPairs();
}
