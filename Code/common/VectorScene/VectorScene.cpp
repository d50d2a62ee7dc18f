#include "VectorScene/VectorScene.h"

#include "Factory/fxBase.h"
#include "VectorScene/VectorSceneOutput.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <utility>

void VectorScene::UpdateEffectScene(VectorScene* pScene)
{
    pScene->UpdateTransforms();
}

namespace
{
// The effect base refreshes an effect's vector scene every frame through this hook. Any effect
// holding a scene links this file (the destructor lives here), so the hook is set before use.
const bool s_bHooked = (fxBase::_pfnUpdateVectorScene = &VectorScene::UpdateEffectScene, true);
} // namespace

VectorScene::~VectorScene()
{
    Clear();
}

VectorSceneLine* VectorScene::AddLine(int nReserve)
{
    VectorSceneLine* pLine = new VectorSceneLine(nReserve);
    _apLines.push_back(pLine);
    return pLine;
}

VectorScene* VectorScene::AddChild()
{
    VectorScene* pChild = new VectorScene();
    _apChildren.push_back(pChild);
    return pChild;
}

void VectorScene::Clear()
{
    for (VectorSceneLine* pLine : _apLines)
        delete pLine;
    _apLines.clear();
    for (VectorScene* pChild : _apChildren)
        delete pChild;
    _apChildren.clear();
}

void VectorScene::SetColor(const glm::vec4& color)
{
    for (VectorSceneLine* pLine : _apLines)
    {
        pLine->_vColor = color;
        pLine->_pColor = nullptr;
    }
    for (VectorScene* pChild : _apChildren)
        pChild->SetColor(color);
}

void VectorScene::SetWidth(float fWidth)
{
    for (VectorSceneLine* pLine : _apLines)
    {
        pLine->_fWidth = fWidth;
        pLine->_pWidth = nullptr;
    }
    for (VectorScene* pChild : _apChildren)
        pChild->SetWidth(fWidth);
}

void VectorScene::SetWidthPointer(const float* pWidth)
{
    if (!pWidth) return;
    for (VectorSceneLine* pLine : _apLines)
        pLine->_pWidth = pWidth;
    for (VectorScene* pChild : _apChildren)
        pChild->SetWidthPointer(pWidth);
}

void VectorScene::SetTransform(rvTransform* pTransform)
{
    if (!pTransform) return;
    _pTransform = pTransform;
    for (VectorScene* pChild : _apChildren)
        pChild->SetTransform(pTransform);
}

void VectorScene::CopyMatrix(rvTransform& source, bool bUpdate)
{
    if (bUpdate) source.Update();
    std::vector<VectorScene*> stack{this};
    while (!stack.empty())
    {
        VectorScene* pNode = stack.back();
        stack.pop_back();
        pNode->_Transform._mMatrix = source._mMatrix;
        pNode->_pTransform = nullptr;
        pNode->_bOwnMatrix = true;
        stack.insert(stack.end(), pNode->_apChildren.begin(), pNode->_apChildren.end());
    }
}

rvTransform* VectorScene::GetTransform()
{
    if (_pTransform) return _pTransform;
    return _bOwnMatrix ? &_Transform : nullptr;
}

const rvTransform* VectorScene::GetTransform() const
{
    if (_pTransform) return _pTransform;
    return _bOwnMatrix ? &_Transform : nullptr;
}

void VectorScene::UpdateTransforms()
{
    if (_pTransform) _pTransform->Update();
    const rvTransform* pMine = GetTransform();
    for (VectorScene* pChild : _apChildren)
        if (pChild->GetTransform() != pMine) pChild->UpdateTransforms();
}

void VectorScene::Simplify(float fEpsilon)
{
    _fEpsilon = fEpsilon;
    for (VectorSceneLine* pLine : _apLines)
        pLine->Simplify(fEpsilon);
    for (VectorScene* pChild : _apChildren)
        pChild->Simplify(fEpsilon);
}

void VectorScene::Draw(VectorSceneOutput& out) const
{
    const rvTransform* pT = GetTransform();
    for (const VectorSceneLine* pLine : _apLines)
        pLine->Draw(out, pT);
    for (const VectorScene* pChild : _apChildren)
        pChild->Draw(out);
}

void VectorScene::DrawSimplified(VectorSceneOutput& out) const
{
    const rvTransform* pT = GetTransform();
    for (const VectorSceneLine* pLine : _apLines)
        pLine->DrawSimplified(out, pT);
    for (const VectorScene* pChild : _apChildren)
        pChild->DrawSimplified(out);
}

void VectorScene::DrawFraction(VectorSceneOutput& out, float fFrom, float fTo) const
{
    float fTotal = 0.f;
    for (const VectorSceneLine* pLine : _apLines)
        fTotal += pLine->_fLength;
    const float s = fFrom * fTotal, e = fTo * fTotal;
    const rvTransform* pT = GetTransform();
    float c = 0.f;
    for (const VectorSceneLine* pLine : _apLines)
    {
        const float g = c + pLine->_fLength;
        if (c < e && s < g) pLine->DrawRange(out, pT, std::max(0.f, s - c), std::min(pLine->_fLength, e - c));
        c = g;
    }
    for (size_t j = 0; j < _apChildren.size(); ++j)
    {
        const float fj = float(j);
        if (fFrom <= fj && fj <= fTo) _apChildren[j]->DrawFraction(out, fFrom - fj, fTo - fj);
    }
}

float VectorScene::GetLength() const
{
    float fLength = 0.f;
    for (const VectorSceneLine* pLine : _apLines)
        fLength += pLine->_fLength;
    for (const VectorScene* pChild : _apChildren)
        fLength += pChild->GetLength();
    return fLength;
}

namespace
{
// Finds the point at length s in a subtree; false when s lies outside it.
bool FindPointAtLength(const VectorScene& node, float s, VectorScenePoint& out)
{
    float c = 0.f;
    for (const VectorSceneLine* pLine : node._apLines)
    {
        const float g = c + pLine->_fLength;
        // A line without points has no point to give; it is passed over.
        if (!pLine->_aPoints.empty() && c <= s && s <= g)
        {
            out = pLine->PointAtLength(node.GetTransform(), s - c);
            return true;
        }
        c = g;
    }
    for (const VectorScene* pChild : node._apChildren)
    {
        const float g = c + pChild->GetLength();
        if (c <= s && s <= g && FindPointAtLength(*pChild, s - c, out)) return true;
        c = g;
    }
    return false;
}
} // namespace

VectorScenePoint VectorScene::PointAtLength(float fLength) const
{
    VectorScenePoint pt; // origin, colour (1, 1, 1), fourth float 0, width 0.5
    if (FindPointAtLength(*this, fLength, pt)) return pt;
    return VectorScenePoint();
}

// ---- ".vscene" files ----

namespace
{
bool WriteInt(FILE* pFile, int32_t v)
{
    return fwrite(&v, sizeof(v), 1, pFile) == 1;
}

bool SaveNode(const VectorScene& node, FILE* pFile)
{
    if (!WriteInt(pFile, int32_t(node._apLines.size()))) return false;
    for (const VectorSceneLine* pLine : node._apLines)
    {
        const size_t n = pLine->_aPoints.size();
        if (!WriteInt(pFile, int32_t(n))) return false;
        for (const glm::vec3& p : pLine->_aPoints)
        {
            const float xyz[3] = {p.x, p.y, p.z};
            if (fwrite(xyz, sizeof(float), 3, pFile) != 3) return false;
        }
    }
    if (!WriteInt(pFile, int32_t(node._apChildren.size()))) return false;
    for (const VectorScene* pChild : node._apChildren)
        if (!SaveNode(*pChild, pFile)) return false;
    return true;
}

struct Reader
{
    const char* p;
    const char* end;
    size_t Remaining() const { return size_t(end - p); }
    bool ReadCount(int32_t& v)
    {
        if (Remaining() < sizeof(v)) return false;
        std::memcpy(&v, p, sizeof(v));
        p += sizeof(v);
        if (v < 0) v = 0; // a count of 0 or less reads as none
        return true;
    }
};

// Reads one node record into node (which is empty). Children are read recursively up to a depth
// limit, so a malformed file cannot exhaust the stack.
bool LoadNode(VectorScene& node, Reader& r, int depth)
{
    if (depth > VectorScene::kMaxLoadDepth) return false;
    int32_t nLines;
    if (!r.ReadCount(nLines)) return false;
    // Every line record takes at least its count.
    if (size_t(nLines) > r.Remaining() / sizeof(int32_t)) return false;
    for (int32_t l = 0; l < nLines; ++l)
    {
        int32_t n;
        if (!r.ReadCount(n)) return false;
        if (size_t(n) > r.Remaining() / (3 * sizeof(float))) return false;
        VectorSceneLine* pLine = node.AddLine(n);
        for (int32_t i = 0; i < n; ++i)
        {
            float xyz[3];
            std::memcpy(xyz, r.p, sizeof(xyz));
            r.p += sizeof(xyz);
            pLine->AddPoint(xyz[0], xyz[1], xyz[2]);
        }
    }
    int32_t nChildren;
    if (!r.ReadCount(nChildren)) return false;
    // Every child record takes at least its two counts.
    if (size_t(nChildren) > r.Remaining() / (2 * sizeof(int32_t))) return false;
    for (int32_t c = 0; c < nChildren; ++c)
        if (!LoadNode(*node.AddChild(), r, depth + 1)) return false;
    return true;
}
} // namespace

bool VectorScene::SaveBinary(FILE* pFile) const
{
    if (!pFile) return false;
    return SaveNode(*this, pFile);
}

bool VectorScene::LoadBinary(const char*& pCursor, const char* pEnd)
{
    if (!pCursor || !pEnd || pEnd < pCursor) return false;
    Reader r{pCursor, pEnd};
    VectorScene loaded;
    if (!LoadNode(loaded, r, 0)) return false;
    _apLines.insert(_apLines.end(), loaded._apLines.begin(), loaded._apLines.end());
    _apChildren.insert(_apChildren.end(), loaded._apChildren.begin(), loaded._apChildren.end());
    loaded._apLines.clear();
    loaded._apChildren.clear();
    pCursor = r.p;
    return true;
}
