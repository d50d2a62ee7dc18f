#include "effects/Morph/morphNodeSequence.h"

#include "Factory/rvEditorHook.h"

#include "rvAssert.h"
#include "rvSceneDisplay.h"
#include "vector_display/vector_display.h"

#include <glm/geometric.hpp>

#include <cmath>
#include <cstdlib>

namespace
{
// The quadrant of a point, strict on both axes: -1 on an axis.
int Quadrant(const glm::vec2& p)
{
    if (p.x < 0.f && p.y < 0.f) return 0;
    if (p.x > 0.f && p.y < 0.f) return 1;
    if (p.x < 0.f && p.y > 0.f) return 2;
    if (p.x > 0.f && p.y > 0.f) return 3;
    return -1;
}
} // namespace

void morphNodeSequence::Clear()
{
    _aMorphNodes.clear();
    _aDestNodes.clear();
    _aMorphEdges.clear();
    _nNodeCurrent = 0;
    _nEdgeCurrent = 0;
    for (int r = 0; r < kRows; ++r)
    {
        _aRows[r].clear();
        _aDestRows[r].clear();
        _aRowTarget[r].clear();
        _nRows[r] = 0;
        _nDestRows[r] = 0;
    }
}

void morphNodeSequence::Build()
{
    _SVGSource._aNodes.clear();
    _SVGSource._aEdges.clear();
    if (_paSourceNodes)
        for (const glm::vec3& p : *_paSourceNodes)
        {
            nanoSVG2Edge::Node node;
            node._v = glm::vec2(p.x, p.y);
            node._bEnd = false;
            _SVGSource._aNodes.push_back(node);
        }
    const int nNodes = int(_SVGSource._aNodes.size());
    if (_paSourceEdges)
        for (const glm::vec3& e : *_paSourceEdges)
        {
            // Edges index the owner's own points.
            rvAssert(e.x >= 0.f && int(e.x) < nNodes);
            rvAssert(e.y >= 0.f && int(e.y) < nNodes);
            _SVGSource._aEdges.push_back(e);
        }
    _SVGSource._nNodes = nNodes;
    _SVGSource._nEdges = int(_SVGSource._aEdges.size());
    MatchNodes();
}

void morphNodeSequence::MatchNodes()
{
    Clear();
    const int Ns = _SVGSource._nNodes, Es = _SVGSource._nEdges;
    const int Nd = _SVGDest._nNodes, Ed = _SVGDest._nEdges;
    _nNodeSource = Ns;
    _nNodeDest = Nd;
    // Without source edges there is nothing to move: the morph stays empty.
    if (Es < 1) return;

    int count = 1;
    _nEdgeCurrent = Es;
    int capacity = Ns;
    if (Ns < Nd)
    {
        count = Ed / Es + 1;
        _nEdgeCurrent = Es * count;
        capacity = 2 * Ed * count;
    }
    // The repeats need two new nodes each after the source's own; a destination with more nodes
    // than twice its edges would otherwise overrun the node array.
    const int needed = Ns + 2 * Es * (count - 1);
    if (capacity < needed) capacity = needed + 1;
    _nNodeCurrent = capacity;

    _aMorphNodes.assign(size_t(capacity), MorphNode());
    _aMorphEdges.assign(size_t(_nEdgeCurrent), glm::vec3(0.f));
    for (int r = 0; r < kRows; ++r)
    {
        _aRows[r].reserve(size_t(_nEdgeCurrent));
        _aRowTarget[r].reserve(size_t(_nEdgeCurrent));
        _aDestRows[r].reserve(size_t(Ed));
    }
    _aDestNodes.resize(_SVGDest._aNodes.size());
    for (size_t i = 0; i < _SVGDest._aNodes.size(); ++i)
        _aDestNodes[i] = _SVGDest._aNodes[i]._v;

    // Morph graph: copy 0 is the source edge itself, further copies get new duplicate nodes.
    for (int n = 0; n < Ns; ++n)
        _aMorphNodes[size_t(n)]._v = _SVGSource._aNodes[size_t(n)]._v;
    int nNodeSrcMax = Ns;
    for (int j = 0; j < Es; ++j)
    {
        const glm::vec3& edge = _SVGSource._aEdges[size_t(j)];
        const glm::vec2 a = _SVGSource._aNodes[size_t(edge.x)]._v;
        const glm::vec2 b = _SVGSource._aNodes[size_t(edge.y)]._v;
        for (int l = 0; l < count; ++l)
        {
            glm::vec3& morphEdge = _aMorphEdges[size_t(j * count + l)];
            if (l == 0)
            {
                morphEdge = edge;
                continue;
            }
            rvAssert(nNodeSrcMax + 1 < _nNodeCurrent);
            _aMorphNodes[size_t(nNodeSrcMax)]._v = a;
            _aMorphNodes[size_t(nNodeSrcMax)]._bDuplicate = true;
            _aMorphNodes[size_t(nNodeSrcMax + 1)]._v = b;
            _aMorphNodes[size_t(nNodeSrcMax + 1)]._bDuplicate = true;
            morphEdge = glm::vec3(float(nNodeSrcMax), float(nNodeSrcMax + 1), edge.z);
            nNodeSrcMax += 2;
        }
    }
    _nNodeCurrent = nNodeSrcMax;

    // Destination rows by the quadrant of each edge's first node.
    for (int e = 0; e < Ed; ++e)
    {
        const glm::vec3& edge = _SVGDest._aEdges[size_t(e)];
        const int q = Quadrant(_aDestNodes[size_t(edge.x)]);
        if (q < 0) continue;
        RowEntry entry;
        entry._fNode1 = edge.x;
        entry._fNode2 = edge.y;
        _aDestRows[q].push_back(entry);
    }
    for (int r = 0; r < kRows; ++r)
        _nDestRows[r] = int(_aDestRows[r].size());

    // Morph rows: the quadrant's own row while it has room, then its neighbours.
    auto room = [&](int r) { return int(_aRows[r].size()) < _nDestRows[r]; };
    for (int e = 0; e < _nEdgeCurrent; ++e)
    {
        const glm::vec3& edge = _aMorphEdges[size_t(e)];
        const MorphNode& n1 = _aMorphNodes[size_t(edge.x)];
        const MorphNode& n2 = _aMorphNodes[size_t(edge.y)];
        const float x = n1._v.x, y = n1._v.y;
        int row = -1;
        switch (Quadrant(n1._v))
        {
        case 0:
            row = room(0) ? 0 : (y > x && room(2)) ? 2 : room(1) ? 1 : 3;
            break;
        case 1:
            row = room(1) ? 1 : (std::fabs(y) > x && room(0)) ? 0 : room(3) ? 3 : 2;
            break;
        case 2:
            row = room(2) ? 2 : (y > std::fabs(x) && room(3)) ? 3 : room(0) ? 0 : 1;
            break;
        case 3:
            if (room(3))
                row = 3;
            else if (y > x && room(2))
                row = 2;
            else if (room(1))
                row = 1;
            else if (!n1._bDuplicate && !n2._bDuplicate)
                row = std::rand() % 4;
            break;
        default:
            break;
        }
        if (row < 0) continue;
        RowEntry entry;
        entry._fNode1 = edge.x;
        entry._fNode2 = edge.y;
        _aRows[row].push_back(entry);
        _aRowTarget[row].push_back(-1);
    }
    for (int r = 0; r < kRows; ++r)
    {
        _nRows[r] = int(_aRows[r].size());
        if (_nRows[r] > 0) AssignRow(r);
    }
}

void morphNodeSequence::AssignRow(int row)
{
    std::vector<RowEntry>& dest = _aDestRows[row];
    if (dest.empty()) return;
    for (int i = 0; i < _nRows[row]; ++i)
    {
        int target = -1;
        while (target < 0)
        {
            for (size_t k = 0; k < dest.size() && target < 0; ++k)
                if (!dest[k]._bTaken) target = int(k);
            if (target < 0)
                for (RowEntry& d : dest)
                    d._bTaken = false;
        }
        dest[size_t(target)]._bTaken = true;
        dest[size_t(target)]._bVisible = true;
        _aRowTarget[row][size_t(i)] = target;
    }
}

bool morphNodeSequence::MoveNode(int n, int m, float dt)
{
    if (n < 0 || n >= int(_aMorphNodes.size()) || m < 0 || m >= int(_aDestNodes.size())) return false;
    MorphNode& node = _aMorphNodes[size_t(n)];
    if (node._bMoved) return false;
    const glm::vec2 delta = _aDestNodes[size_t(m)] - node._v;
    const float D = glm::length(delta);
    if (D == 0.f) return false;
    const glm::vec2 step = delta * dt * _fSpeed;
    if (glm::length(step) > D)
    {
        node._v = _aDestNodes[size_t(m)];
        return false;
    }
    node._v += step;
    node._bMoved = true;
    return true;
}

bool morphNodeSequence::StepRow(int row, float dt)
{
    bool moved = false;
    for (int i = 0; i < _nRows[row]; ++i)
    {
        RowEntry& entry = _aRows[row][size_t(i)];
        const int target = _aRowTarget[row][size_t(i)];
        if (entry._bDone || target < 0) continue;
        RowEntry& dest = _aDestRows[row][size_t(target)];
        const bool c = MoveNode(int(entry._fNode1), int(dest._fNode1), dt);
        const bool d = MoveNode(int(entry._fNode2), int(dest._fNode2), dt);
        if (c || d)
        {
            moved = true;
            continue;
        }
        entry._bVisible = false;
        if (!dest._bDone)
        {
            dest._bDone = true;
            entry._bDone = true;
            entry._bVisible = true;
        }
    }
    return moved;
}

void morphNodeSequence::DrawRow(int row)
{
    vector_display* display = rvSceneDisplay::BindedDisplay();
    const glm::mat4& m = _Transform._mMatrix;
    for (int i = 0; i < _nRows[row]; ++i)
    {
        const RowEntry& entry = _aRows[row][size_t(i)];
        if (!entry._bVisible) continue;
        MorphNode& n1 = _aMorphNodes[size_t(entry._fNode1)];
        MorphNode& n2 = _aMorphNodes[size_t(entry._fNode2)];
        const glm::vec4 a = m * glm::vec4(n1._v, 0.f, 1.f);
        const glm::vec4 b = m * glm::vec4(n2._v, 0.f, 1.f);
        vector_display_strip_begin(display, a.x, a.y, a.z);
        vector_display_strip_to(display, b.x, b.y, b.z);
        vector_display_strip_end(display);
        n1._bMoved = false;
        n2._bMoved = false;
    }
}

void morphNodeSequence::Render()
{
    rvEditorHook<&morphNodeSequence::Render>::Call(*this); // the "Current Seq" window (morphNodeSequenceEditor.cpp)

    vector_display* display = rvSceneDisplay::BindedDisplay();
    if (_bDisplaySource)
    {
        _SVGSource.Draw(glm::vec4(1.f));
        vector_display_set_rgb(display, 0.1f, 0.1f, 0.1f);
    }
    if (_bDisplayDest) _SVGDest.Draw(glm::vec4(1.f));
    vector_display_set_rgb(display, _vColor.r, _vColor.g, _vColor.b);
    for (int r = 0; r < kRows; ++r)
        DrawRow(r);
}
