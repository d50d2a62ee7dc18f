#include "Factory/AttribDesc.h"
#include "Factory/Drivers/BassDriver.h"
#include "Factory/Drivers/DriverFactory.h"
#include "Factory/Drivers/ExpressionDriver.h"
#include "Factory/Drivers/NoiseDriver.h"
#include "Factory/Drivers/SinusDriver.h"
#include "Factory/Drivers/TriangleDriver.h"
#include "Factory/Drivers/VariableDriver.h"
#include "Factory/fxBase.h"
#include "Factory/fxDescriptor.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <imgui.h>
#include <imgui_internal.h>

#include <memory>
#include <string>

TEST(DriverCreation, TypeCodesTwoToSevenMakeTheirClasses)
{
    std::unique_ptr<AttribDesc> pDesc(AttribDesc::Create(TYPE_FLOAT, "Group/Value", 0));
    for (int eType = NoneDriver::DRIVER_SINUS; eType <= NoneDriver::DRIVER_VARIABLE; ++eType)
    {
        std::unique_ptr<NoneDriver> p(CreateDriverOfType(eType, nullptr, pDesc.get()));
        ASSERT_TRUE(p) << eType;
        bool bRight = false;
        switch (eType)
        {
        case NoneDriver::DRIVER_SINUS:
            bRight = dynamic_cast<SinusDriver*>(p.get());
            break;
        case NoneDriver::DRIVER_TRIANGLE:
            bRight = dynamic_cast<TriangleDriver*>(p.get());
            break;
        case NoneDriver::DRIVER_NOISE:
            bRight = dynamic_cast<NoiseDriver*>(p.get());
            break;
        case NoneDriver::DRIVER_EXPRESSION:
            bRight = dynamic_cast<ExpressionDriver*>(p.get());
            break;
        case NoneDriver::DRIVER_BASS:
            bRight = dynamic_cast<BassDriver*>(p.get());
            break;
        case NoneDriver::DRIVER_VARIABLE:
            bRight = dynamic_cast<VariableDriver*>(p.get());
            break;
        }
        EXPECT_TRUE(bRight) << eType;
        EXPECT_TRUE(p->HasData());
        EXPECT_FALSE(p->HasKeyAt(0.f));
    }
}

TEST(DriverCreation, AFormulaWithoutValueLeavesTheAttributeAlone)
{
    fxDescriptor* pClass = fxBase::RegisterAttributes();
    std::unique_ptr<fxBase> pEffect(fxBase::Create(pClass));
    AttribDesc* pScale = pClass->FindAttrib("TimeScale");
    ASSERT_TRUE(pScale);
    auto* pDriver =
        dynamic_cast<ExpressionDriver*>(pEffect->SetDriver(pScale, NoneDriver::DRIVER_EXPRESSION));
    ASSERT_TRUE(pDriver);
    pEffect->_fTimeScale = 1.5f;
    pDriver->_sExpression = "2 * (";
    pDriver->Apply();
    EXPECT_EQ(pEffect->_fTimeScale, 1.5f);
    pDriver->_sExpression = "x + 2";
    pDriver->Apply();
    EXPECT_EQ(pEffect->_fTimeScale, 2.f);
    pEffect->ClearDrivers();
}

TEST(DriverCreation, EveryDriverWindowDraws)
{
    rvTest::ImGuiHeadless gui;
    fxDescriptor* pClass = fxBase::RegisterAttributes();
    std::unique_ptr<fxBase> pEffect(fxBase::Create(pClass));
    AttribDesc* pScale = pClass->FindAttrib("TimeScale");
    for (int eType = NoneDriver::DRIVER_SINUS; eType <= NoneDriver::DRIVER_VARIABLE; ++eType)
    {
        NoneDriver* pDriver = pEffect->SetDriver(pScale, eType);
        ASSERT_TRUE(pDriver);
        if (auto* pExpr = dynamic_cast<ExpressionDriver*>(pDriver))
        {
            pExpr->_sExpression = "a * x + b";
            pExpr->GetValue(0.f, false);
        }
        pDriver->_bWindowOpen = true;
        for (int frame = 0; frame < 2; ++frame)
        {
            gui.NewFrame();
            pDriver->DrawWindow();
            gui.EndFrame();
        }
        EXPECT_TRUE(pDriver->_bWindowOpen) << eType;
    }
    pEffect->ClearDrivers();
}

TEST(DriverCreation, DriversOfTheSameAttributeInTwoEffectsHaveTwoWindows)
{
    // Both effects drive "TimeScale": each driver window shows that title, but they are two
    // windows, and a driver that changes type keeps its effect's window.
    rvTest::ImGuiHeadless gui;
    fxDescriptor* pClass = fxBase::RegisterAttributes();
    AttribDesc* pScale = pClass->FindAttrib("TimeScale");
    std::unique_ptr<fxBase> apEffects[2] = {std::unique_ptr<fxBase>(fxBase::Create(pClass)),
                                            std::unique_ptr<fxBase>(fxBase::Create(pClass))};
    NoneDriver* apDrivers[2];
    for (int i = 0; i < 2; ++i)
    {
        apDrivers[i] = apEffects[i]->SetDriver(pScale, NoneDriver::DRIVER_SINUS);
        ASSERT_TRUE(apDrivers[i]);
        apDrivers[i]->_bWindowOpen = true;
    }
    gui.NewFrame();
    for (NoneDriver* pDriver : apDrivers)
        pDriver->DrawWindow();
    int nWindows = 0;
    for (ImGuiWindow* pWindow : GImGui->Windows)
    {
        const char* szName = pWindow->Name;
        const char* szEnd = ImGui::FindRenderedTextEnd(szName);
        if (std::string(szName, szEnd) == "TimeScale" && pWindow->Active) ++nWindows;
    }
    gui.EndFrame();
    EXPECT_EQ(nWindows, 2);
    EXPECT_NE(apDrivers[0]->WindowTitle(), apDrivers[1]->WindowTitle());

    const std::string sTitle = apDrivers[0]->WindowTitle();
    NoneDriver* pSwapped = apEffects[0]->SetDriver(pScale, NoneDriver::DRIVER_TRIANGLE);
    ASSERT_TRUE(pSwapped);
    EXPECT_EQ(pSwapped->WindowTitle(), sTitle);
    for (auto& pEffect : apEffects)
        pEffect->ClearDrivers();
}
