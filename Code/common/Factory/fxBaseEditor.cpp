// Editor rows of an effect: the action buttons of its classes and their property rows.
#include "Factory/fxBase.h"

#include "Factory/AttribDesc.h"
#include "Factory/Drivers/DriverFactory.h"
#include "Factory/Drivers/KeyFrameDriver.h"
#include "Factory/Drivers/NoneDriver.h"
#include "Factory/fxDescriptor.h"
#include "Factory/rvJson.h"
#include "rvAssert.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <imgui.h>
#include <new>


// ---------------------------------------------------------------------------------------
// Editor functions: the effect's button row and property panel (rows by the attribute editor).

void fxBase::DrawButtons(fxBase* pEffect, fxDescriptor* pDescriptor)
{
    if (!pEffect || !pDescriptor) return;
    const bool bFocused = ImGui::IsWindowFocused();
    if (pDescriptor->_pParent) DrawButtons(pEffect, pDescriptor->_pParent);
    const ImGuiIO& io = ImGui::GetIO();
    for (AttribDesc* pAttrib : pDescriptor->_apAttribs)
    {
        if (pAttrib->_eType != TYPE_BUTTON) continue;
        bool bPressed = ImGui::Button(pAttrib->_sName.c_str());
        const int nKey = pAttrib->_nShortcutKey;
        // A key typed into a text field (the effect's name, a number) is text, not a shortcut.
        if (!bPressed && nKey != 0 && bFocused && !io.WantTextInput &&
            nKey < IM_ARRAYSIZE(io.KeysDownDuration) && io.KeysDownDuration[nKey] == 0.0f)
            bPressed = true;
        if (bPressed)
        {
            if (AttribButtonFn pfn = pAttrib->GetButton(pEffect)) pfn(pEffect);
        }
        if (!pAttrib->_sTooltip.empty() && ImGui::IsItemHovered())
            ImGui::SetTooltip("%s", pAttrib->_sTooltip.c_str());
        ImGui::SameLine();
    }
}

void fxBase::DrawProperties(fxBase* pEffect, fxDescriptor* pDescriptor)
{
    if (!pEffect || !pDescriptor) return;
    if (pDescriptor->_pParent) DrawProperties(pEffect, pDescriptor->_pParent);
    // Each class level gets an ID scope of its own, so that a derived class may reuse a label
    // of its base ("FadeIn") without the two rows sharing their widgets.
    ImGui::PushID(pDescriptor->_sClassName.c_str());
    if (ImGui::CollapsingHeader(pDescriptor->_sClassName.c_str(), ImGuiTreeNodeFlags_DefaultOpen))
    {
        ImGui::Columns(2);
        const std::string* psGroup = nullptr; // group of the previous row
        bool bGroupOpen = true;               // rows of the current group are shown
        bool bNodePushed = false;             // the current group's tree node is open
        for (AttribDesc* pAttrib : pDescriptor->_apAttribs)
        {
            if (!psGroup || pAttrib->_sGroup != *psGroup)
            {
                if (bNodePushed) ImGui::TreePop();
                bNodePushed = false;
                bGroupOpen = true;
                if (!pAttrib->_sGroup.empty())
                {
                    bGroupOpen = ImGui::TreeNode(pAttrib->_sGroup.c_str());
                    bNodePushed = bGroupOpen;
                    ImGui::NextColumn(); // the group header takes a row of its own
                    ImGui::NextColumn();
                }
                psGroup = &pAttrib->_sGroup;
            }
            if (!bGroupOpen) continue;
            if (pAttrib->_apChildren.empty())
                pAttrib->DrawLeaf(pEffect);
            else
                pAttrib->DrawComposite(pEffect);
        }
        if (bNodePushed) ImGui::TreePop();
        ImGui::Columns(1);
    }
    ImGui::PopID();
}
