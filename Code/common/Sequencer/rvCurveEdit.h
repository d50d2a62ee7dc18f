#pragma once
// The curve delegate of the timeline: one effect's attribute drivers as curves in timeline
// frames. Curve i is the effect's driver i; only key-frame drivers have points. The effect is
// not owned.
#include "Sequencer/ImCurveEdit.h"

class fxBase;
class NoneDriver;

class rvCurveEdit : public ImCurveEdit::Delegate
{
public:
    size_t CurveCount() override;
    bool CurveShown(int curve) override;
    int CurveKind(int /*curve*/) override { return 5; }
    ImVec2& RangeMin() override { return _vRangeMin; }
    ImVec2& RangeMax() override { return _vRangeMax; }
    size_t PointCount(int curve) override;
    uint32_t CurveColor(int curve) override;
    ImVec2 PointAt(int curve, int point) override;
    float ValueAt(int curve, float frame) override;
    float StartFrame() override;
    float EndFrame() override;
    int MovePoint(int curve, int point, ImVec2 value) override;
    void InsertPoint(int curve, ImVec2 value) override;
    uint32_t BackgroundColor() override { return 0; }
    void EditStarted(int /*curve*/) override {}
    void EditEnded() override {}

    // Fits the value range to the visible curves sampled over the effect's duration; the
    // frame range is left alone. Without effect, curves or any value: unchanged.
    void ComputeValueRange();

    // Colour of a driver type (0 for an unknown type).
    static uint32_t DriverColor(int eType);

    ImVec2 _vRangeMin = ImVec2(0.f, 0.f);
    ImVec2 _vRangeMax = ImVec2(1.f, 1.f);
    fxBase* _pEffect = nullptr;

private:
    // The driver of a curve, or null (no effect, index outside the list, empty slot).
    NoneDriver* Driver(int curve) const;
};
