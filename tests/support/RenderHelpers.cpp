#include "RenderHelpers.h"

#include "Factory/fxBase.h"
#include "rvSceneDisplay.h"
#include "vector_display/vector_display.h"

namespace rvTest
{
void RenderOnce(fxBase& fx)
{
    fx.SetState(State_EffectStarted);
    fx._fPendingDelta = 1.0f / 60.0f;
    fx.Update();
    fx.SetState(State_DemoStoped);
}

void PlayFrame(GLFWwindow* window, const std::vector<std::unique_ptr<fxBase>>& effects, float dt)
{
    rvSceneDisplay::BeginFrame(window);
    for (const auto& e : effects)
    {
        if (e->_eState != State_EffectStarted)
            e->SetState(State_EffectStarted);
        else
            e->_fPendingDelta = dt;
        e->Update();
    }
    rvSceneDisplay::PresentFrame(false);
}

std::vector<RGBA> ReadDefault()
{
    const rvBufferDisplay& b = rvSceneDisplay::_DefaultBuffer;
    std::vector<RGBA> px(size_t(b._nWidth) * b._nHeight);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, b._glFrameBuffer);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, b._nWidth, b._nHeight, GL_RGBA, GL_UNSIGNED_BYTE, px.data());
    return px;
}

glm::vec2 ProjectToDefault(const glm::vec3& p)
{
    const rvBufferDisplay& b = rvSceneDisplay::_DefaultBuffer;
    const glm::vec4 c = b._mViewProjection * glm::vec4(p, 1.0f);
    return glm::vec2((c.x / c.w * 0.5f + 0.5f) * b._nWidth, (c.y / c.w * 0.5f + 0.5f) * b._nHeight);
}

RGBA Brightest(const RenderTarget& t, glm::vec2 at, int r)
{
    RGBA best{0, 0, 0, 0};
    for (int y = int(at.y) - r; y <= int(at.y) + r; ++y)
        for (int x = int(at.x) - r; x <= int(at.x) + r; ++x)
        {
            const RGBA p = t.Pixel(x, y);
            if (p.r + p.g + p.b > best.r + best.g + best.b) best = p;
        }
    return best;
}

void AddHorizontalLine(vector_display* d)
{
    vector_display_set_rgb(d, 1.f, 1.f, 1.f);
    d->settings.thickness = 4.f;
    vector_display_strip_begin(d, -30.f, 0.f, 0.f);
    vector_display_strip_to(d, 30.f, 0.f, 0.f);
    vector_display_strip_end(d);
}

std::vector<std::vector<glm::vec2>> Strips(const vector_display* d)
{
    std::vector<std::vector<glm::vec2>> strips;
    for (int i = 0; i < d->npoints; ++i)
    {
        const vector_display_point& p = d->points[i];
        if (p.flags & PTF_LINE_STRIPSTART)
            strips.emplace_back();
        else if (!(p.flags & PTF_LINE_STRIPEND))
            strips.back().push_back({p.x, p.y});
    }
    return strips;
}
} // namespace rvTest
