#include "svg/nanoSVG2Edge.h"

#include "rvAssert.h"
#include "rvSceneDisplay.h"
#include "svg/nanoSVGFlatten.h"
#include "vector_display/vector_display.h"

#include <glm/geometric.hpp>

#include <cmath>

namespace
{
constexpr float kGap = nanoSVG2Edge::PIECE_GAP;

// A path with a point that is not a finite number (an overflowing coordinate in the file) is
// left out of the graph.
bool UsablePath(const SvgPath* path)
{
    if (path->_nPoints < 2) return false;
    for (int i = 0; i < path->_nPoints * 2; ++i)
        if (!std::isfinite(path->_pPoints[i])) return false;
    return true;
}

template <class Visit> void ForEachFlattenedPoint(const SvgPath* path, float tolerance, Visit visit)
{
    std::vector<glm::vec2> points;
    const float* p = path->_pPoints;
    for (int i = 0; i + 3 < path->_nPoints; i += 3)
    {
        points.clear();
        FlattenCubicToPoints(glm::vec2(p[i * 2], p[i * 2 + 1]), glm::vec2(p[i * 2 + 2], p[i * 2 + 3]),
                             glm::vec2(p[i * 2 + 4], p[i * 2 + 5]), glm::vec2(p[i * 2 + 6], p[i * 2 + 7]),
                             tolerance, 0, points);
        for (const glm::vec2& q : points)
            visit(q);
    }
}
} // namespace

int nanoSVG2Edge::Load(const char* sPath)
{
    if (nanoSVGBase::Load(sPath) == -1) return -1;
    BuildFromImage();
    return 0;
}

void nanoSVG2Edge::BuildFromImage()
{
    BuildGraph(false);
    _aNodes.assign(size_t(_nNodesMax), Node());
    _aEdges.assign(size_t(_nEdgesMax > 0 ? _nEdgesMax : 0), glm::vec3(-1.f));
    _nNodes = 0;
    _nEdges = 0;
    if (!_aNodes.empty())
    {
        BuildGraph(true);
        Resample();
    }
    else
        _aEdges.clear();
}

void nanoSVG2Edge::Release()
{
    nanoSVGBase::Release();
    _aNodes.clear();
    _aEdges.clear();
    _aNodesScratch.clear();
    _aEdgesScratch.clear();
    _nShapes = 0;
    _nNodesMax = 0;
    _nNodes = 0;
    _nEdges = 0;
    _nEdgesMax = 0;
}

void nanoSVG2Edge::BuildGraph(bool bFill)
{
    if (!_pImage) return;
    const float tolerance = 1.5f * _fFitFactor;
    const glm::vec2 centre(_fHalfWidth, _fHalfHeight);

    if (!bFill)
    {
        _nShapes = 0;
        _nNodesMax = 0;
        _nEdgesMax = 0;
        for (SvgShape* shape = _pImage->_pShapes; shape; shape = shape->_pNext)
        {
            ++_nShapes;
            shape->_pPart = nullptr;
            shape->_bShown = true;
            for (const SvgPath* path = shape->_pPaths; path; path = path->_pNext)
            {
                if (!UsablePath(path)) continue;
                int emitted = 0;
                ForEachFlattenedPoint(path, tolerance, [&](const glm::vec2&) { ++emitted; });
                _nNodesMax += 1 + 2 * emitted + (path->_bClosed ? 1 : 0);
                // One edge per started piece: the first point and every emitted point start one.
                _nEdgesMax += 1 + emitted;
            }
        }
        return;
    }

    auto addNode = [&](const glm::vec2& v, bool end)
    {
        rvAssert(v.x == v.x);
        rvAssert(v.y == v.y);
        rvAssert(_nNodes < (int)_aNodes.size());
        _aNodes[size_t(_nNodes)]._v = v;
        _aNodes[size_t(_nNodes)]._bEnd = end;
        return _nNodes++;
    };
    auto startEdge = [&](int node)
    {
        rvAssert(_nEdges <= (int)_aEdges.size() - 1);
        _aEdges[size_t(_nEdges)] = glm::vec3(float(node), -1.f, 0.f);
        ++_nEdges;
    };
    auto finishEdge = [&](int node)
    {
        const int idE = _nEdges - 1;
        rvAssert(idE < (int)_aEdges.size());
        rvAssert(_aEdges[size_t(idE)].x != -1);
        rvAssert(_aEdges[size_t(idE)].y == -1);
        _aEdges[size_t(idE)].y = float(node);
    };
    auto dropOpenEdge = [&]
    {
        if (_nEdges > 0 && _aEdges[size_t(_nEdges - 1)].y == -1.f)
        {
            _aEdges[size_t(_nEdges - 1)].x = -1.f;
            --_nEdges;
            return true;
        }
        return false;
    };

    for (SvgShape* shape = _pImage->_pShapes; shape; shape = shape->_pNext)
        for (const SvgPath* path = shape->_pPaths; path; path = path->_pNext)
        {
            if (!UsablePath(path)) continue;
            if (_nNodes > 0)
            {
                _aNodes[size_t(_nNodes - 1)]._bEnd = true;
                dropOpenEdge();
            }
            const glm::vec2 first = glm::vec2(path->_pPoints[0], path->_pPoints[1]) - centre;
            startEdge(addNode(first, false));
            ForEachFlattenedPoint(path, tolerance,
                                  [&](const glm::vec2& point)
                                  {
                                      const glm::vec2 q = point - centre;
                                      finishEdge(addNode(q, false));
                                      const int idN = int(_aEdges[size_t(_nEdges - 1)].x);
                                      glm::vec2 u = q - _aNodes[size_t(idN)]._v;
                                      const float len = glm::length(u);
                                      if (len > 1e-5f) u /= len;
                                      startEdge(addNode(q + kGap * u, false));
                                  });
            if (path->_bClosed) finishEdge(addNode(first, true));
        }
    if (dropOpenEdge())
    {
        --_nNodes;
        if (_nNodes > 0) _aNodes[size_t(_nNodes - 1)]._bEnd = true;
    }
}

void nanoSVG2Edge::Resample()
{
    _aNodesScratch.clear();
    _aEdgesScratch.clear();
    const int pieces = _fSplitCount >= 1.f ? int(_fSplitCount) : 1;
    auto addEdge = [&](const Node& a, const Node& b)
    {
        const float index = float(_aNodesScratch.size());
        _aNodesScratch.push_back(a);
        _aNodesScratch.push_back(b);
        _aEdgesScratch.emplace_back(index, index + 1.f, 0.f);
    };
    for (int i = 0; i < _nEdges; ++i)
    {
        const int node1 = int(_aEdges[size_t(i)].x);
        const int node2 = int(_aEdges[size_t(i)].y);
        rvAssert(node1 != -1);
        rvAssert(node2 != -1);
        const Node& a = _aNodes[size_t(node1)];
        const Node& b = _aNodes[size_t(node2)];
        const glm::vec2 d = b._v - a._v;
        const float len = glm::length(d);
        if (len > _fMaxEdgeLength)
        {
            const glm::vec2 step = d / float(pieces);
            const glm::vec2 gap = kGap * d / len;
            for (int j = 0; j < pieces; ++j)
            {
                Node start, end;
                start._v = a._v + float(j) * step;
                end._v = a._v + float(j + 1) * step - (j + 1 < pieces ? gap : glm::vec2(0.f));
                addEdge(start, end);
            }
        }
        else
            addEdge(a, b);
    }
    _aNodes.swap(_aNodesScratch);
    _aEdges.swap(_aEdgesScratch);
    _aNodesScratch.clear();
    _aEdgesScratch.clear();
    _nNodes = int(_aNodes.size());
    _nEdges = int(_aEdges.size());
}

void nanoSVG2Edge::Draw(const glm::vec4&)
{
    if (_aNodes.empty() || _aEdges.empty() || _nEdges <= 0) return;
    vector_display* display = rvSceneDisplay::BindedDisplay();
    for (int i = 0; i < _nEdges; ++i)
    {
        const int node1 = int(_aEdges[size_t(i)].x);
        const int node2 = int(_aEdges[size_t(i)].y);
        rvAssert(node1 != -1);
        rvAssert(node2 != -1);
        const glm::vec2& a = _aNodes[size_t(node1)]._v;
        const glm::vec2& b = _aNodes[size_t(node2)]._v;
        const glm::vec4 pa = _mFitMatrix * glm::vec4(a, 0.f, 1.f);
        const glm::vec4 pb = _mFitMatrix * glm::vec4(b, 0.f, 1.f);
        vector_display_strip_begin(display, pa.x, pa.y, pa.z);
        vector_display_strip_to(display, pb.x, pb.y, pb.z);
        vector_display_strip_end(display);
    }
}

glm::vec2 nanoSVG2Edge::GetCentroid() const
{
    if (_aNodes.empty()) return glm::vec2(0.f);
    glm::vec2 sum(0.f);
    for (const Node& n : _aNodes)
        sum += n._v;
    return sum / float(_aNodes.size());
}

void nanoSVG2Edge::Translate(const glm::vec2& offset)
{
    for (Node& n : _aNodes)
        n._v += offset;
}
