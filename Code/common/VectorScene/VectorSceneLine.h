#pragma once
// One polyline of a retained vector scene: 3D points with their running length and 2D box,
// colour and width read through optional pointers at draw time, and the indices kept by the
// last Ramer-Douglas-Peucker simplification.
#include <glm/vec2.hpp>
#include <glm/vec3.hpp>
#include <glm/vec4.hpp>
#include <cstdint>
#include <vector>

class rvTransform;
class VectorSceneOutput;

// A sample taken on a line: position already mapped by the transform, the line's colour
// (fourth component always 0) and width.
struct VectorScenePoint
{
    glm::vec3 _vPosition = glm::vec3(0.f);
    glm::vec4 _vColor = glm::vec4(1.f, 1.f, 1.f, 0.f);
    float _fWidth = 0.5f;
};

class VectorSceneLine
{
public:
    explicit VectorSceneLine(int nReserve = 0);
    ~VectorSceneLine() = default;

    void AddPoint(float x, float y, float z);
    void AddPoint(const glm::vec3& p) { AddPoint(p.x, p.y, p.z); }

    // Rebuilds _aIndices (iterative Ramer-Douglas-Peucker; the points stay).
    void Simplify(float fEpsilon);

    // Colour and width in effect now (through the pointers when set).
    const glm::vec4& GetColor() const { return _pColor ? *_pColor : _vColor; }
    float GetWidth() const { return _pWidth ? *_pWidth : _fWidth; }
    bool HasEmptyBox() const { return _vMin.x > _vMax.x || _vMin.y > _vMax.y; }

    // Drawing on the current vector display (asserts "_pCurrentDisplay").
    void Draw(const rvTransform* pTransform) const;
    void DrawSimplified(const rvTransform* pTransform) const;
    void DrawRange(const rvTransform* pTransform, float fFrom, float fTo) const;
    // The same, sent to any output.
    void Draw(VectorSceneOutput& out, const rvTransform* pTransform) const;
    void DrawSimplified(VectorSceneOutput& out, const rvTransform* pTransform) const;
    void DrawRange(VectorSceneOutput& out, const rvTransform* pTransform, float fFrom, float fTo) const;

    // The point at an arc length. Outside [0, length] (or with a single point) the first point;
    // a line without points gives the untransformed origin.
    VectorScenePoint PointAtLength(const rvTransform* pTransform, float fLength) const;

    const glm::vec4* _pColor = nullptr;
    const float* _pWidth = nullptr;
    glm::vec4 _vColor = glm::vec4(1.f, 1.f, 1.f, 1.f);
    float _fWidth = 0.3f;
    std::vector<glm::vec3> _aPoints;
    std::vector<int32_t> _aIndices;
    float _fLength = 0.f;
    glm::vec2 _vMin = glm::vec2(1.f, 1.f);
    glm::vec2 _vMax = glm::vec2(-1.f, -1.f);

private:
    void ApplyStyle(VectorSceneOutput& out) const;
};
