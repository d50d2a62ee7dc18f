#include "effects/fxBufferDisplay/fxBufferDisplay.h"
#include "effects/fxDemoGlobalParams/fxDemoGlobalParams.h"
#include "effects/fxVectorDisplay/fxVectorDisplay.h"

#include "Factory/AttribDesc.h"
#include "Factory/fxDescriptor.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>

TEST(fxBufferDisplay, SizingTable)
{
    struct Case
    {
        const char* name;
        glm::vec2 unit, pixel;
        bool keepRatio;
        int w, h;
    };
    const Case cases[] = {
        {"half height, square", {0.5f, 0.5f}, {0, 0}, false, 540, 540},
        {"half height, current ratio", {0.5f, 0.5f}, {0, 0}, true, 960, 540},
        {"pixel size where the unit size is 0", {0, 0}, {256, 128}, false, 256, 128},
        {"pixel height, current ratio", {0, 0}, {256, 128}, true, int(128.f * 1920.f / 1080.f), 128},
        {"defaults: the current size", {1, 1}, {0, 0}, true, 1920, 1080},
        {"defaults without ratio: a square of the current height", {1, 1}, {0, 0}, false, 1080, 1080},
        {"nothing given: the current size", {0, 0}, {0, 0}, false, 1920, 1080},
        {"one side 0: the current size", {0.5f, 0}, {0, 0}, false, 1920, 1080},
        {"negative (hand-edited): the current size", {-0.5f, 0.5f}, {0, 0}, false, 1920, 1080},
        {"NaN unit: the pixel size", {NAN, 0.5f}, {300, 0}, false, 300, 540},
        {"NaN everywhere: the current size", {NAN, NAN}, {NAN, NAN}, true, 1920, 1080},
        // What a frame can afford: 8192 a side, 4 x 1920 x 1080 pixels in all, in the same shape.
        {"huge pixel size stops at the largest side", {0, 0}, {1e30f, 64}, false, 8192, 64},
        {"infinite unit stops at the largest side", {0.5f, INFINITY}, {0, 0}, false, 540, 8192},
        {"a square past the pixel budget keeps its shape", {0, 0}, {4692, 4692}, false, 2880, 2880},
        {"the largest square, within the budget", {0, 0}, {2880, 2880}, false, 2880, 2880},
        {"both sides huge", {0, 0}, {1e30f, 1e30f}, false, 2880, 2880},
    };
    fxBufferDisplay::RegisterAttributes();
    for (const Case& c : cases)
    {
        fxBufferDisplay* p =
            static_cast<fxBufferDisplay*>(fxBufferDisplay::Create(fxBufferDisplay::GetDescriptor()));
        p->_vSizeUnit = c.unit;
        p->_vSizePixel = c.pixel;
        p->_bKeepRatio = c.keepRatio;
        int w = 0, h = 0;
        p->ComputeSize(1920, 1080, w, h);
        EXPECT_EQ(w, c.w) << c.name;
        EXPECT_EQ(h, c.h) << c.name;
        delete p;
    }
}

TEST(fxBufferDisplay, DefaultsAndFlags)
{
    fxBufferDisplay::RegisterAttributes();
    fxBufferDisplay* p =
        static_cast<fxBufferDisplay*>(fxBufferDisplay::Create(fxBufferDisplay::GetDescriptor()));
    EXPECT_EQ(p->_sName, "fxBufferDisplay");
    EXPECT_EQ(p->_vSizeUnit, glm::vec2(1.f));
    EXPECT_EQ(p->_vBackColor, glm::vec4(0.f, 0.f, 0.f, 1.f));
    EXPECT_TRUE(p->_bKeepRatio && p->_bRepeatUV && p->_bClear);
    EXPECT_EQ(p->GetBufferFlags(), 0x3b);
    p->_bRepeatUV = false;
    EXPECT_EQ(p->GetBufferFlags(), 0x1b);
    // Attributes address the members.
    AttribDesc* a = fxBufferDisplay::GetDescriptor()->FindAttrib("SizePixel.y");
    ASSERT_NE(a, nullptr);
    a->SetFloat(p, 77.f);
    EXPECT_EQ(p->_vSizePixel.y, 77.f);
    delete p;
}

TEST(fxVectorDisplay, FadeInBlendsFromTheStartValuesThenAppliesItsOwn)
{
    fxVectorDisplay::RegisterAttributes();
    fxVectorDisplay* p =
        static_cast<fxVectorDisplay*>(fxVectorDisplay::Create(fxVectorDisplay::GetDescriptor()));
    // The attributes write the effect's own settings.
    fxDescriptor* d = fxVectorDisplay::GetDescriptor();
    d->FindAttrib("Decay Steps")->SetFloat(p, 30.f);
    d->FindAttrib("Fog Zmin|Zmax.y")->SetFloat(p, 900.f);
    d->FindAttrib("Thickness Min|Max.x")->SetFloat(p, 1.1f);
    d->FindAttrib("Export Color")->SetInt(p, 2);
    d->FindAttrib("Decay Camera")->SetBool(p, true);
    EXPECT_EQ(p->_Settings.decay_steps, 30.f);
    EXPECT_EQ(p->_Settings.fog_zmax, 900.f);
    EXPECT_EQ(p->_Settings.thickness_min, 1.1f);
    EXPECT_EQ(p->_Settings.export_color, 2);
    EXPECT_TRUE(p->_Settings.decay_camera);

    vector_display display{};
    vector_display_settings_defaults(&display.settings);
    display.settings.decay_steps = 10.f;
    display.settings.fog_zmax = 1000.f;
    display.settings.thickness = 3.f;
    display.settings.color[1] = 0.25f;
    p->_StartSettings = display.settings;

    p->_fFadeIn = 2.f;
    p->_fTime = 0.5f;
    p->ApplySettings(&display);
    EXPECT_FLOAT_EQ(display.settings.decay_steps, 15.f); // a quarter of the way from 10 to 30
    EXPECT_FLOAT_EQ(display.settings.fog_zmax, 975.f);
    EXPECT_FLOAT_EQ(display.settings.thickness_min, 0.1f + 0.25f);
    EXPECT_EQ(display.settings.export_color, 2); // switches at once
    EXPECT_TRUE(display.settings.decay_camera);
    EXPECT_EQ(display.settings.thickness, 3.f); // not touched during the blend
    EXPECT_EQ(display.settings.color[1], 0.25f);

    // From the end of the FadeIn on: the whole block, thickness 0.5 and white included.
    for (float t : {2.f, 5.f})
    {
        p->_fTime = t;
        p->ApplySettings(&display);
        EXPECT_EQ(display.settings.decay_steps, 30.f);
        EXPECT_EQ(display.settings.thickness, 0.5f);
        EXPECT_EQ(display.settings.color[1], 1.f);
    }
    // FadeIn 0: its own values from the first frame.
    vector_display other{};
    vector_display_settings_defaults(&other.settings);
    p->_fFadeIn = 0.f;
    p->_fTime = 0.f;
    p->ApplySettings(&other);
    EXPECT_EQ(other.settings.decay_steps, 30.f);
    delete p;
}

TEST(fxDemoGlobalParams, CurrentParamsAreNeverNull)
{
    fxDemoGlobalParams* pDefault = &fxDemoGlobalParams::_DefaultParams;
    ASSERT_EQ(fxDemoGlobalParams::_pCurrentParams, pDefault);
    EXPECT_EQ(&fxDemoGlobalParams::_pCurrent, &fxDemoGlobalParams::_pCurrentParams);
    EXPECT_EQ(pDefault->_vMonochromeColor, glm::vec4(1.f));
    EXPECT_EQ(pDefault->_sName, "fxDemoGlobalParams");
    EXPECT_EQ(pDefault->_eState, State_DemoStoped);
    // Registered twice (default instance and Factory): the attribute is there once.
    fxDescriptor* d = fxDemoGlobalParams::RegisterAttributes();
    EXPECT_EQ(d->_apAttribs.size(), 1u);

    fxDemoGlobalParams* a = static_cast<fxDemoGlobalParams*>(fxDemoGlobalParams::Create(d));
    fxDemoGlobalParams* b = static_cast<fxDemoGlobalParams*>(fxDemoGlobalParams::Create(d));
    a->_vMonochromeColor = glm::vec4(0.f, 1.f, 0.f, 1.f);
    a->SetState(State_DemoStarted);
    EXPECT_EQ(fxDemoGlobalParams::_pCurrentParams, a);
    b->SetState(State_DemoStarted);
    EXPECT_EQ(fxDemoGlobalParams::_pCurrentParams, b); // the last initialised
    b->SetState(State_DemoStoped);
    EXPECT_EQ(fxDemoGlobalParams::_pCurrentParams, pDefault);
    delete b;
    a->SetState(State_DemoStarted);
    a->SetState(State_DemoStoped);
    EXPECT_EQ(fxDemoGlobalParams::_pCurrentParams->_vMonochromeColor, glm::vec4(1.f));
    delete a;
    EXPECT_EQ(fxDemoGlobalParams::_pCurrentParams, pDefault);
}
