// The vector display's settings panel in the "Global config" window.
#include "vector_display.h"

#include <imgui.h>

#include <cmath>
#include <cstdlib>
#include <cstring>


void vector_display_settings_panel(vector_display* self)
{
    vector_display_settings& s = self->settings;
    if (!ImGui::TreeNodeEx("Vector Display (Globals)", ImGuiTreeNodeFlags_DefaultOpen)) return;
    ImGui::Checkbox("Dec Camera", &s.decay_camera);
    ImGui::SliderFloat("Dec Steps", &s.decay_steps, 1.f, 32.f, "%.3f");
    ImGui::SliderFloat("Dec Initial", &s.decay_initial, 0.f, 1.f, "%.3f");
    ImGui::SliderFloat("Dec Final", &s.decay_final, 0.f, 1.f, "%.3f");
    ImGui::SliderFloat2("Thk Min/Max", &s.thickness_min, 0.f, 10.f, "%.3f");
    ImGui::SliderFloat("Thk Factor", &s.thickness_factor, 0.f, 2.f, "%.3f");
    ImGui::SliderFloat("Col Intensity", &s.color_intensity, 0.f, 2.f, "%.3f");
    ImGui::SliderFloat("Col Brightness", &s.color_brightness, 0.f, 2.f, "%.3f");
    ImGui::SliderFloat2("Fog Zmin/Zmax", &s.fog_zmin, 0.f, 1000.f, "%.3f");
    ImGui::SliderFloat("Fog Power", &s.fog_power, 1.f, 100.f, "%.3f");
    ImGui::Checkbox("Tri Culling", &s.triangle_culling);
    ImGui::Text("Dots = %d", g_frame_dots);
    ImGui::Text("Lines = %d", g_frame_lines);
    ImGui::Text("Triangles = %d", g_frame_triangles);
    ImGui::Text("Glow passes = %d", self->glow_passes);
    if (ImGui::Button("Reset to default")) vector_display_settings_defaults(&s);
    ImGui::TreePop();
}
