#pragma once
// Small edge graphs built in code and a vector display that collects geometry (no GL) for the
// morph tests.
#include "rvSceneDisplay.h"
#include "RenderHelpers.h"
#include "svg/nanoSVG2Edge.h"
#include "vector_display/vector_display.h"

#include <glm/vec2.hpp>

#include <utility>
#include <vector>

namespace morphTest
{
using Segment = std::pair<glm::vec2, glm::vec2>;

// Independent edges, each with its own two nodes (edge i joins nodes 2i and 2i + 1).
inline void SetEdges(nanoSVG2Edge& shape, const std::vector<Segment>& segments)
{
    shape._aNodes.clear();
    shape._aEdges.clear();
    for (const Segment& s : segments)
    {
        const float index = float(shape._aNodes.size());
        nanoSVG2Edge::Node a, b;
        a._v = s.first;
        b._v = s.second;
        shape._aNodes.push_back(a);
        shape._aNodes.push_back(b);
        shape._aEdges.emplace_back(index, index + 1.f, 0.f);
    }
    shape._nNodes = int(shape._aNodes.size());
    shape._nEdges = int(shape._aEdges.size());
}

struct CurrentDisplay
{
    CurrentDisplay()
    {
        vector_display_create(&display, 200, 200);
        previous = rvSceneDisplay::_pCurrentDisplay;
        rvSceneDisplay::_pCurrentDisplay = display;
    }
    ~CurrentDisplay()
    {
        rvSceneDisplay::_pCurrentDisplay = previous;
        vector_display_destroy(display);
    }
    std::vector<std::vector<glm::vec2>> Strips() const { return rvTest::Strips(display); }
    vector_display* display = nullptr;
    vector_display* previous = nullptr;
};
} // namespace morphTest
