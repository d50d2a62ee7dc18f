// Cost of one vector-display frame: flush (upload, decay ring, line and triangle passes,
// glow, composition) plus presenting the result, at 1280x720 and 1920x1080, as it grows with
// the segments per frame and the decay steps drawn. Runs on the GL of the test window
// (Mesa llvmpipe under Xvfb); each iteration ends with glFinish so GPU time is counted.
#include "GLTestContext.h"

#include "vector_display/vector_display.h"

#include <benchmark/benchmark.h>
#include <glm/gtc/matrix_transform.hpp>

#include <cmath>

namespace
{
vector_display_camera g_benchCamera;
void BenchCamera(vector_display_camera* out)
{
    *out = g_benchCamera;
}

// Segments in strips of 100 across the screen, a few triangles and dots.
void AddGeometry(vector_display* vd, int segments, int frame)
{
    const int perStrip = 100;
    const int strips = (segments + perStrip - 1) / perStrip;
    for (int s = 0; s < strips; ++s)
    {
        float y = -50.f + 100.f * float(s) / float(strips);
        vector_display_strip_begin(vd, -90.f, y, 0.f);
        for (int i = 1; i <= perStrip; ++i)
        {
            float x = -90.f + 1.8f * float(i);
            vector_display_strip_to(vd, x, y + 3.f * std::sin(x * 0.2f + float(frame) * 0.1f), 0.f);
        }
        vector_display_strip_end(vd);
    }
    glm::vec3 a(-10.f, -10.f, 5.f), b(10.f, -10.f, 5.f), c(0.f, 10.f, 5.f);
    for (int i = 0; i < 16; ++i)
        vector_display_add_triangle(vd, &a, &b, &c);
    for (int i = 0; i < 64; ++i)
    {
        vector_display_point p(-80.f + 2.5f * float(i), -55.f, 0.f);
        vector_display_add_dot(vd, &p);
    }
}

void BM_VectorDisplayFlushPresent(benchmark::State& state)
{
    const int W = int(state.range(0)), H = int(state.range(1));
    const int segments = int(state.range(2));
    const int steps = int(state.range(3));
    if (!rvTest::SharedWindow())
    {
        state.SkipWithError("no display: run under xvfb-run");
        return;
    }
    {
        rvTest::RenderTarget inner(W, H), target(W, H);
        vector_display* vd = nullptr;
        vector_display_create(&vd, W, H);
        if (vector_display_setup(vd, inner.Framebuffer(), inner.ColorTexture()) != 0)
        {
            state.SkipWithError("vector display set-up failed");
            vector_display_destroy(vd);
            return;
        }
        vd->settings.decay_steps = float(steps);
        g_benchCamera.fov = 1.0472f;
        g_benchCamera.view_projection = glm::perspectiveFov(1.0472f, float(W), float(H), 0.01f, 1000.f) *
                                        glm::translate(glm::mat4(1.f), glm::vec3(0.f, 0.f, -100.f));
        g_benchCamera.back_color = glm::vec3(0.f);
        vector_display_set_camera_source(&BenchCamera);

        int frame = 0;
        auto runFrame = [&]
        {
            target.Bind();
            glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
            AddGeometry(vd, segments, frame++);
            vector_display_draw(vd, nullptr, true);
            // Present: the finished picture onto the window's framebuffer.
            glBindFramebuffer(GL_READ_FRAMEBUFFER, target.Framebuffer());
            glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
            glBlitFramebuffer(0, 0, W, H, 0, 0, 64, 64, GL_COLOR_BUFFER_BIT, GL_LINEAR);
            glFinish();
            g_step = (g_step + 1) % VECTOR_DISPLAY_MAX_DECAY_STEPS;
        };
        for (int i = 0; i < VECTOR_DISPLAY_MAX_DECAY_STEPS; ++i) // fill the ring
            runFrame();
        for (auto _ : state)
            runFrame();
        state.counters["segments"] = double(segments);
        state.counters["fps"] = benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);

        vector_display_set_camera_source(nullptr);
        vector_display_destroy(vd);
    }
    g_step = 0;
}
} // namespace

// Resolution, segments per frame, decay steps drawn.
BENCHMARK(BM_VectorDisplayFlushPresent)
    ->ArgNames({"w", "h", "segments", "steps"})
    ->Args({1280, 720, 2000, 10})
    ->Args({1920, 1080, 2000, 10})
    ->Args({1280, 720, 200, 10})
    ->Args({1280, 720, 20000, 10})
    ->Args({1280, 720, 2000, 1})
    ->Args({1280, 720, 2000, 32})
    ->Args({1920, 1080, 2000, 32})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
