#pragma once
// Fixture of the line-art effect tests: a vector display that only collects geometry (no GL), a
// current render buffer of 1920x1080 for the SVG loaders, a private data archive, and helpers that
// read the collected points back as strips.
#include <gtest/gtest.h>

#include "../../Factory/EffectTestSupport.h"
#include "../EffectPtr.h"
#include "ArchiveFixture.h"
#include "DataPackGuard.h"
#include "Display/rvBufferDisplay.h"
#include "Factory/rvJson.h"
#include "rvSceneDisplay.h"
#include "vector_display/vector_display.h"

#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace rvTest
{
struct Strip
{
    std::vector<glm::vec3> _aPoints;
    glm::vec3 _vColor = glm::vec3(0.f);
    float _fThickness = 0.f;
    float Length() const
    {
        float l = 0.f;
        for (size_t i = 1; i < _aPoints.size(); ++i)
            l += glm::length(_aPoints[i] - _aPoints[i - 1]);
        return l;
    }
};

inline std::string ReadBinaryFile(const std::string& path)
{
    std::ifstream f(path, std::ios::binary);
    std::stringstream s;
    s << f.rdbuf();
    return s.str();
}

inline Json::Value ParseJson(const std::string& text)
{
    std::istringstream in(text);
    Json::Value v;
    EXPECT_TRUE(rvJson::Parse(in, &v));
    return v;
}

constexpr const char* kSansPath = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";

class LineArtTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        TheFactory();
        vector_display_create(&_pDisplay, 640, 360);
        rvSceneDisplay::_pCurrentDisplay = _pDisplay;
        _pSavedBuffer = rvSceneDisplay::_pCurrentBuffer;
        _Buffer._nWidth = 1920;
        _Buffer._nHeight = 1080;
        rvSceneDisplay::_pCurrentBuffer = &_Buffer;
    }
    void TearDown() override
    {
        rvSceneDisplay::_pCurrentDisplay = nullptr;
        rvSceneDisplay::_pCurrentBuffer = _pSavedBuffer;
        vector_display_destroy(_pDisplay);
    }

    template <class T> EffectPtr<T> New()
    {
        return NewStoppedOnDelete<T>();
    }
    // Builds the archive of this test (every test runs in a process of its own under ctest).
    bool Archive(const std::map<std::string, std::string>& entries)
    {
        _pDir.reset(new TempWorkDir());
        return BuildArchive(*_pDir, entries);
    }
    // One frame as the timeline runs it: started when needed, advanced by dt, rendered; the
    // display keeps only this frame's points.
    void Frame(fxBase& e, float dt)
    {
        _pDisplay->npoints = 0;
        if (e._eState != State_EffectStarted)
            e.SetState(State_EffectStarted);
        else
            e._fPendingDelta = dt;
        e.Update();
    }
    // The frame at local time t (a seek).
    void FrameAt(fxBase& e, float t)
    {
        _pDisplay->npoints = 0;
        e.SetState(State_EffectStarted);
        e._fSeekTime = t;
        e.Update();
    }
    std::vector<Strip> Strips() const
    {
        std::vector<Strip> out;
        for (int i = 0; i < _pDisplay->npoints; ++i)
        {
            const vector_display_point& p = _pDisplay->points[i];
            if ((p.flags & PTF_LINE_STRIPSTART) || out.empty())
            {
                out.emplace_back();
                out.back()._vColor = glm::vec3(p.r, p.g, p.b);
                out.back()._fThickness = p.thickness;
            }
            out.back()._aPoints.emplace_back(p.x, p.y, p.z);
        }
        return out;
    }
    float DrawnLength() const
    {
        float l = 0.f;
        for (const Strip& s : Strips())
            l += s.Length();
        return l;
    }

    vector_display* _pDisplay = nullptr;
    rvBufferDisplay _Buffer;
    rvBufferDisplay* _pSavedBuffer = nullptr;
    std::unique_ptr<TempWorkDir> _pDir;
};
} // namespace rvTest
