#include "Factory/AttribDesc.h"
#include "Factory/Drivers/KeyFrameDriver.h"
#include "Factory/Drivers/NoneDriver.h"
#include "Factory/fxBase.h"
#include "Factory/fxDescriptor.h"
#include "FileBrowser/rvFileBrowser.h"

#include "../Factory/EffectTestSupport.h"
#include "EditorUI.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <imgui_stdlib.h>

namespace
{
// An effect with the rows the editor tests need; its values lie in one record so that the
// float after the colour can be watched.
class fxEditorProbe : public fxBase
{
public:
    explicit fxEditorProbe(fxDescriptor* d) : fxBase(d) {}
    void OnAttribChanged(AttribDesc* pAttrib) override { _apChanged.push_back(pAttrib); }

    static fxBase* Create(fxDescriptor* d) { return new fxEditorProbe(d); }
    static fxDescriptor* Descriptor()
    {
        static fxDescriptor* s = []
        {
            rvTest::TheFactory(); // fxBase's own attributes
            fxDescriptor* d = new fxDescriptor(fxBase::GetDescriptor(), "fxEditorProbe", &Create);
            d->Add(TYPE_FLOAT, "Look/Level", rvOffsetOf<fxEditorProbe>(&fxEditorProbe::_fLevel));
            d->AddArray("Values", TYPE_FLOAT, sizeof(float),
                        rvOffsetOf<fxEditorProbe>(&fxEditorProbe::_aValues),
                        rvOffsetOf<fxEditorProbe>(&fxEditorProbe::_nValues), 10);
            d->Add(TYPE_COLOR3, "Look/Tint", rvOffsetOf<fxEditorProbe>(&fxEditorProbe::_aTint));
            d->Add(TYPE_FILE, "Shape", rvOffsetOf<fxEditorProbe>(&fxEditorProbe::_sShape))->_sFilter = ".svg";
            return d;
        }();
        return s;
    }
    static fxEditorProbe* New() { return static_cast<fxEditorProbe*>(Create(Descriptor())); }
    AttribDesc* Attrib(const char* szName) { return _pDescriptor->FindAttrib(szName); }

    std::vector<AttribDesc*> _apChanged;
    float _fLevel = 0.5f;
    float _aValues[10] = {};
    int _nValues = 3;
    float _aTint[4] = {0.1f, 0.2f, 0.3f, 42.0f}; // the fourth float is not part of the colour
    std::string _sShape = "Data/svg/a.svg";
};

// One row drawn inside the panel's two columns; returns the screen position where it began.
ImVec2 DrawRow(AttribDesc* pAttrib, fxBase* pEffect, ImVec2* pWidgetCentre = nullptr)
{
    ImGui::Columns(2);
    const ImVec2 start = ImGui::GetCursorScreenPos();
    pAttrib->DrawUI(pEffect);
    if (pWidgetCentre) *pWidgetCentre = rvTest::EditorUI::LastItemCentre();
    ImGui::Columns(1);
    return start;
}

struct EditorFixture : ::testing::Test
{
    ~EditorFixture() override
    {
        AttribDesc::_bTimeInFrames = false;
        delete p->Attrib("Shape")->_pFileBrowser; // descriptors outlive the test
        p->Attrib("Shape")->_pFileBrowser = nullptr;
        p->Attrib("Values")->_bExpanded = false;
        delete p;
    }
    rvTest::EditorUI ui;
    fxEditorProbe* p = fxEditorProbe::New();
};
} // namespace

TEST_F(EditorFixture, TimeRowShowsSecondsAndStoresTheNearestFrame)
{
    AttribDesc* pEnd = p->Attrib("End");
    ASSERT_TRUE(pEnd && pEnd->_eType == TYPE_TIME);
    p->_nEnd = 600;
    ImVec2 field;
    auto row = [&] { DrawRow(pEnd, p, &field); };
    ui.Frame(row);
    ui.Click(field, row); // activates the field with its text selected
    EXPECT_STREQ(ImGui::GetCurrentContext()->InputTextState.TextA.Data, "10.000");
    rvTest::EditorUI::Type("1.51");
    ui.Frame(row);
    EXPECT_EQ(p->_nEnd, 91); // 1.51 * 60 = 90.6
    ASSERT_FALSE(p->_apChanged.empty());
    EXPECT_EQ(p->_apChanged.back(), pEnd);

    // Scientific notation beyond the int range stores the largest frame count, not garbage.
    ui.Press(257, row); // Enter ends the edit
    ui.Click(field, row);
    rvTest::EditorUI::Type("1e30");
    ui.Frame(row);
    EXPECT_EQ(p->_nEnd, kMaxFrame);
    ui.Press(257, row);

    // Frames view: the same row edits the frame count, "+" steps by one.
    AttribDesc::_bTimeInFrames = true;
    p->_nEnd = 600;
    ImVec2 group;
    ImVec2 max;
    auto framesRow = [&]
    {
        DrawRow(pEnd, p, &group);
        max = ImGui::GetItemRectMax();
    };
    ui.Frame(framesRow);
    const float h = ImGui::GetFrameHeight();
    ui.Click(ImVec2(max.x - h * 0.5f, group.y), framesRow);
    EXPECT_EQ(p->_nEnd, 601);
}

TEST_F(EditorFixture, ArrayShowsTheSizeRowAndAsManyElementsAsItSays)
{
    AttribDesc* pArray = p->Attrib("Values");
    pArray->_bExpanded = true;
    auto height = [&](int nSize)
    {
        p->_nValues = nSize;
        float fTop = 0, fBottom = 0;
        ui.Frame(
            [&]
            {
                fTop = DrawRow(pArray, p).y;
                fBottom = ImGui::GetCursorScreenPos().y;
            });
        return fBottom - fTop;
    };
    const float h0 = height(0), h1 = height(1), h3 = height(3), h5 = height(5);
    const float fRow = h1 - h0;
    EXPECT_GT(fRow, 0.0f);
    EXPECT_FLOAT_EQ(h3 - h0, 3 * fRow);
    EXPECT_FLOAT_EQ(h5 - h0, 5 * fRow);
    EXPECT_FLOAT_EQ(height(99), height(10)); // never more than the array has
    EXPECT_FLOAT_EQ(height(-4), h0);
    pArray->_bExpanded = false;
    EXPECT_LT(height(5), h1); // closed: the header row only
}

TEST_F(EditorFixture, DriverPopupCreatesAndRemovesDrivers)
{
    AttribDesc* pLevel = p->Attrib("Look/Level");
    ImVec2 rowStart;
    auto row = [&] { rowStart = DrawRow(pLevel, p); };
    ui.Frame(row);
    const float lh = ImGui::GetTextLineHeight(), sp = ImGui::GetStyle().ItemSpacing.y;
    // Item k of the popup: "Open window", a separator, then the eight driver types.
    auto popupItem = [&](int k)
    {
        ImGuiWindow* w = ImGui::GetCurrentContext()->OpenPopupStack.back().Window;
        const float y = w->DC.CursorStartPos.y + k * (lh + sp) + (k >= 1 ? sp : 0.0f) + lh * 0.5f;
        return ImVec2(w->DC.CursorStartPos.x + 10.0f, y);
    };
    auto choose = [&](int k)
    {
        ui.Click(ImVec2(rowStart.x + 4.0f, rowStart.y + 4.0f), row); // the driver button
        ui.Frame(row);                                               // popup laid out
        ui.Click(popupItem(k), row);
    };

    choose(0); // "Open window" without a driver: a key-frame driver without keys
    NoneDriver* pDriver = p->FindDriver(pLevel);
    ASSERT_NE(pDriver, nullptr);
    EXPECT_EQ(pDriver->_eType, NoneDriver::DRIVER_KEYFRAME);
    EXPECT_TRUE(pDriver->_bWindowOpen);
    EXPECT_TRUE(std::isinf(pDriver->GetValue(0.0f, false)));

    choose(1 + NoneDriver::DRIVER_SINUS);
    pDriver = p->FindDriver(pLevel);
    ASSERT_NE(pDriver, nullptr);
    EXPECT_EQ(pDriver->_eType, NoneDriver::DRIVER_SINUS);
    EXPECT_TRUE(pDriver->_bWindowOpen);

    choose(1 + NoneDriver::DRIVER_NONE);
    EXPECT_EQ(p->FindDriver(pLevel), nullptr);
    EXPECT_TRUE(p->_apAttribDrivers.empty());
}

TEST_F(EditorFixture, FileRowTakesTheChosenPathAndIgnoresCancel)
{
    rvTest::TempWorkDir dir;
    dir.WriteFile("Data/svg/a.svg", "<svg/>");
    dir.WriteFile("Data/svg/b.svg", "<svg/>");
    AttribDesc* pShape = p->Attrib("Shape");
    p->_eState = State_DemoStoped;
    ImVec2 button;
    bool bFirst = true;
    auto row = [&]
    {
        ImVec2 c;
        DrawRow(pShape, p, &c);
        if (bFirst) button = c; // before a browser is drawn the last item is the button
        bFirst = false;
    };
    ui.Frame(row);
    ui.Click(button, row);
    ASSERT_NE(pShape->_pFileBrowser, nullptr);
    EXPECT_EQ(pShape->_pFileBrowser->_sFileName, "a.svg"); // starts at the current path
    ui.Frame(row);
    ui.Click(rvTest::EditorUI::LastButtonOf("file selection"), row); // "Cancel"
    EXPECT_EQ(pShape->_pFileBrowser, nullptr);
    EXPECT_EQ(p->_sShape, "Data/svg/a.svg");
    EXPECT_TRUE(p->_apChanged.empty());
    EXPECT_FALSE(p->_bReInit);

    ui.Click(button, row);
    ASSERT_NE(pShape->_pFileBrowser, nullptr);
    ui.Frame(row);
    rvTest::EditorUI::Type("b");
    ui.Frame(row);
    ui.Press(257, row);
    EXPECT_EQ(pShape->_pFileBrowser, nullptr);
    EXPECT_EQ(p->_sShape, "Data/svg/b.svg");
    ASSERT_EQ(p->_apChanged.size(), 1u);
    EXPECT_EQ(p->_apChanged[0], pShape);
    EXPECT_TRUE(p->_bReInit);
}

namespace
{
int s_nKeyPresses = 0;
void CountKey(fxBase*)
{
    ++s_nKeyPresses;
}
} // namespace

TEST_F(EditorFixture, ButtonRowRunsShortcutsOnceAndPanelKeepsTheLayoutBalanced)
{
    p->_pfnCreateKey = &CountKey;
    s_nKeyPresses = 0;
    auto panel = [&]
    {
        fxBase::DrawButtons(p, p->_pDescriptor);
        ImGui::NewLine();
        fxBase::DrawProperties(p, p->_pDescriptor);
    };
    ui.Frame(panel);
    ImGuiIO& io = ImGui::GetIO();
    io.KeysDown[int('K')] = true;
    ui.Frame(panel);
    ui.Frame(panel); // held: not again
    io.KeysDown[int('K')] = false;
    ui.Frame(panel);
    EXPECT_EQ(s_nKeyPresses, 1);

    // While a text field is being typed into, "K" is a letter.
    std::string sText;
    bool bFocus = true;
    auto typing = [&]
    {
        if (bFocus) ImGui::SetKeyboardFocusHere();
        bFocus = false;
        ImGui::InputText("##text", &sText);
        panel();
    };
    ui.Frame(typing);
    ui.Frame(typing);
    ui.Press('K', typing);
    EXPECT_EQ(s_nKeyPresses, 1);

    // The panel leaves the ID stack and the columns as it found them, with the "Look" group
    // closed (its rows skipped).
    int nIdsBefore = 0, nIdsAfter = 0, nColumns = 0;
    auto measured = [&]
    {
        nIdsBefore = ImGui::GetCurrentWindow()->IDStack.Size;
        panel();
        nIdsAfter = ImGui::GetCurrentWindow()->IDStack.Size;
        nColumns = ImGui::GetColumnsCount();
    };
    ui.Frame(measured);
    EXPECT_EQ(nIdsAfter, nIdsBefore);
    EXPECT_EQ(nColumns, 1);
}

namespace
{
// The host window's draw list holds a vertex of that colour.
bool DrawnWithColour(const ImVec4& colour)
{
    const ImU32 c = ImGui::ColorConvertFloat4ToU32(colour);
    const ImDrawList* pList = ImGui::GetWindowDrawList();
    for (const ImDrawVert& v : pList->VtxBuffer)
        if (v.col == c) return true;
    return false;
}
} // namespace

TEST_F(EditorFixture, KeyButtonIsRedOnlyExactlyOnAKey)
{
    AttribDesc* pLevel = p->Attrib("Look/Level");
    auto* pKeys = dynamic_cast<KeyFrameDriver*>(p->SetDriver(pLevel, NoneDriver::DRIVER_KEYFRAME));
    ASSERT_NE(pKeys, nullptr);
    pKeys->AddKey(1.0f, 0.25f);
    const ImVec4 red(1.0f, 0.2f, 0.2f, 0.8f);
    struct Case
    {
        float fTime;
        bool bRed;
    } cases[] = {{1.0f, true}, {1.003f, false}, {0.0f, false}};
    for (const Case& c : cases)
    {
        p->_fTime = c.fTime;
        bool bRed = false;
        ui.Frame(
            [&]
            {
                DrawRow(pLevel, p);
                bRed = DrawnWithColour(red);
            });
        EXPECT_EQ(bRed, c.bRed) << c.fTime;
    }
}

TEST_F(EditorFixture, ColourPickerWritesOnlyTheThreeChannels)
{
    AttribDesc* pTint = p->Attrib("Look/Tint");
    ImVec2 swatch;
    auto row = [&] { DrawRow(pTint, p, &swatch); };
    ui.Frame(row);
    ui.Click(swatch, row); // opens the picker
    ui.Frame(row);
    ImGuiWindow* pPicker = ImGui::GetCurrentContext()->OpenPopupStack.back().Window;
    ASSERT_NE(pPicker, nullptr);
    // A click inside the saturation/value square.
    ui.Click(ImVec2(pPicker->DC.CursorStartPos.x + 40.0f, pPicker->DC.CursorStartPos.y + 20.0f), row);
    EXPECT_FALSE(p->_aTint[0] == 0.1f && p->_aTint[1] == 0.2f && p->_aTint[2] == 0.3f);
    EXPECT_EQ(p->_aTint[3], 42.0f);
    ASSERT_FALSE(p->_apChanged.empty());
    EXPECT_EQ(p->_apChanged.back(), pTint);
}
