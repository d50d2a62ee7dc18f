#pragma once
// Sends a vector scene's strips to a vector display: colour through vector_display_set_rgb,
// a positive width as the display's current thickness (a width of 0 or less keeps the thickness).
#include "VectorScene/VectorSceneOutput.h"

struct vector_display;

class VectorSceneDisplayOutput : public VectorSceneOutput
{
public:
    explicit VectorSceneDisplayOutput(vector_display* pDisplay);
    void SetStyle(float r, float g, float b, float width) override;
    void StripBegin(const glm::vec3& p) override;
    void StripTo(const glm::vec3& p) override;
    void StripEnd() override;

private:
    vector_display* _pDisplay;
};
