#pragma once
// A node of a retained vector scene: its own matrix, a transform pointer in use (not owned),
// owned polylines and owned child nodes. Effects build a tree once and draw it every frame;
// colour, width and transform are read through pointers at draw time.
#include "VectorScene/VectorSceneLine.h"
#include "rvMath.h"

#include <cstdio>
#include <vector>

class VectorScene
{
public:
    VectorScene() = default;
    ~VectorScene();
    VectorScene(const VectorScene&) = delete;
    VectorScene& operator=(const VectorScene&) = delete;

    // Building and clearing.
    VectorSceneLine* AddLine(int nReserve = 0);
    VectorScene* AddChild();
    void Clear(); // deletes lines and children; transform, pointer, flag and epsilon stay

    // Bulk setters over this node and all its descendants.
    void SetColor(const glm::vec4& color);
    void SetWidth(float fWidth);
    void SetWidthPointer(const float* pWidth);
    void SetTransform(rvTransform* pTransform);
    void CopyMatrix(rvTransform& source, bool bUpdate);
    void UpdateTransforms();
    // The per-frame refresh of an effect's scene (fxBase::_pfnUpdateVectorScene, set at start-up).
    static void UpdateEffectScene(VectorScene* pScene);
    // _pTransform when set, else _Transform when _bOwnMatrix, else null.
    rvTransform* GetTransform();
    const rvTransform* GetTransform() const;

    void Simplify(float fEpsilon);

    // Drawing on the current vector display (asserts "_pCurrentDisplay").
    void Draw() const;
    void DrawSimplified() const;
    void DrawFraction(float fFrom, float fTo) const;
    // The same, sent to any output.
    void Draw(VectorSceneOutput& out) const;
    void DrawSimplified(VectorSceneOutput& out) const;
    void DrawFraction(VectorSceneOutput& out, float fFrom, float fTo) const;

    float GetLength() const;
    VectorScenePoint PointAtLength(float fLength) const;

    // ".vscene": one node record: int32 line count, per line int32 N and N points (3 x float32),
    // int32 child count, the children's records. SaveBinary returns false on a write error.
    bool SaveBinary(FILE* pFile) const;
    // Reads one node record from [pCursor, pEnd) and appends its lines and children to this node.
    // On a truncated or malformed record nothing is appended, the cursor stays and false is returned.
    bool LoadBinary(const char*& pCursor, const char* pEnd);

    rvTransform _Transform;
    rvTransform* _pTransform = nullptr;
    bool _bOwnMatrix = false;
    std::vector<VectorSceneLine*> _apLines;
    std::vector<VectorScene*> _apChildren;
    float _fEpsilon = 0.f;
    // Largest simplification tolerance an effect passes on (a larger one leaves only the
    // end points of every line).
    static constexpr float kMaxEpsilon = 1000.f;

    // Deepest node nesting LoadBinary accepts.
    static constexpr int kMaxLoadDepth = 1024;
};
