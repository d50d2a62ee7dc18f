#include "FileBrowser/rvFileBrowser.h"

#include <algorithm>
#include <imgui.h>
#include <imgui_stdlib.h>
#include <system_error>

namespace fs = std::filesystem;

namespace
{
// ASCII case-insensitive comparison, folding to lower case like the C runtime's _stricmp.
int CompareNoCase(const std::string& a, const std::string& b)
{
    const size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i)
    {
        int ca = (unsigned char)a[i], cb = (unsigned char)b[i];
        if (ca >= 'A' && ca <= 'Z') ca += 'a' - 'A';
        if (cb >= 'A' && cb <= 'Z') cb += 'a' - 'A';
        if (ca != cb) return ca - cb;
    }
    return a.size() < b.size() ? -1 : (a.size() > b.size() ? 1 : 0);
}

// The extension from the last dot of the name, dot included; empty without a dot.
std::string LastExtension(const std::string& sName)
{
    const size_t dot = sName.rfind('.');
    return dot == std::string::npos ? std::string() : sName.substr(dot);
}
} // namespace

rvFileBrowser::rvFileBrowser(const char* szTitle, const std::string& sFilter, const std::string& sStartPath)
    : _szTitle(szTitle), _sFilter(sFilter)
{
    fs::path start(sStartPath);
    std::error_code ec;
    if (sStartPath.empty() || !fs::exists(start, ec) || ec)
    {
        ec.clear();
        start = fs::current_path(ec);
        if (ec) start.clear(); // nothing to list
    }
    SetPath(start);
    ImGui::OpenPopup(_szTitle);
}

void rvFileBrowser::SetPath(const fs::path& p)
{
    // p may be an entry of the list that Refresh rebuilds: work on a copy.
    fs::path path = p;
    std::error_code ec;
    _bIsDirectory = fs::is_directory(path, ec);
    if (_bIsDirectory)
    {
        // "Data/fx/" is the directory "Data/fx" (whose parent is "Data", not itself).
        if (path.has_relative_path() && !path.has_filename()) path = path.parent_path();
        _CurrentPath = path;
        _Directory = path;
        _sFileName.clear();
    }
    else
    {
        _sFileName = path.filename().string();
        _CurrentPath = path.parent_path();
        // A bare file name lies in the working directory; an empty directory would list
        // nothing and turn the result into a path at the root.
        if (_CurrentPath.empty()) _CurrentPath = ".";
        _Directory = _CurrentPath;
    }
    Refresh(_Directory);
}

void rvFileBrowser::Refresh(const fs::path& d)
{
    const fs::path dir = d; // d may refer to an entry being cleared
    _aEntries.clear();
    std::error_code ec;
    if (dir.has_parent_path())
    {
        Entry up;
        up._sName = "..";
        up._Path = dir.parent_path();
        up._bDirectory = fs::is_directory(up._Path, ec);
        _aEntries.push_back(up);
    }
    ec.clear();
    fs::directory_iterator it(dir, ec);
    const fs::directory_iterator end;
    for (; !ec && it != end; it.increment(ec))
    {
        const std::string sName = it->path().filename().string();
        std::error_code ecType;
        const bool bDirectory = it->is_directory(ecType);
        if (!bDirectory && LastExtension(sName) != _sFilter) continue;
        Entry e;
        e._sName = sName;
        e._Path = dir / sName;
        e._bDirectory = bDirectory;
        _aEntries.push_back(e);
    }
    std::stable_sort(_aEntries.begin(), _aEntries.end(),
                     [](const Entry& a, const Entry& b)
                     {
                         if (a._bDirectory != b._bDirectory) return a._bDirectory;
                         return CompareNoCase(a._sName, b._sName) < 0;
                     });
}

bool rvFileBrowser::Accept(std::string& sOut)
{
    if (_sFileName.empty()) return false;
    // Only the name counts: directories typed into the box are dropped. A box that names no
    // file ("sub/", "..") accepts nothing.
    fs::path name = fs::path(_sFileName).filename();
    if (name.empty() || name == "." || name == "..") return false;
    name.replace_extension(_sFilter);
    _sFileName = name.string();
    sOut = _Directory.string();
    if (!sOut.empty() && sOut.back() != kSeparator) sOut += kSeparator;
    sOut += _sFileName;
    return true;
}

bool rvFileBrowser::Draw(std::string& sOut)
{
    bool bResult = false;
    bool bOpen = true;
    if (ImGui::BeginPopupModal(_szTitle, &bOpen, ImGuiWindowFlags_NoScrollbar | ImGuiWindowFlags_NoCollapse))
    {
        bool bAccept = false;
        ImGui::TextUnformatted(_Directory.string().c_str());

        if (ImGui::BeginListBox("##FileList", ImVec2(250.0f, 250.0f)))
        {
            // A click rebuilds the list; the rest of it is drawn from the new entries.
            for (size_t i = 0; i < _aEntries.size(); ++i)
            {
                const bool bDirectory = _aEntries[i]._bDirectory;
                const std::string sLabel = bDirectory ? "[" + _aEntries[i]._sName + "]" : _aEntries[i]._sName;
                if (bDirectory) ImGui::PushStyleColor(ImGuiCol_Text, ImVec4(0.9f, 0.7f, 0.0f, 1.0f));
                const ImGuiSelectableFlags flags = _bIsDirectory ? 0 : ImGuiSelectableFlags_AllowDoubleClick;
                const bool bClicked = ImGui::Selectable(sLabel.c_str(), false, flags);
                if (bDirectory) ImGui::PopStyleColor();
                if (bClicked)
                {
                    SetPath(_aEntries[i]._Path);
                    if (ImGui::IsMouseDoubleClicked(0)) bAccept = true;
                }
            }
            ImGui::EndListBox();
        }

        if (_bJustOpened) ImGui::SetKeyboardFocusHere();
        ImGui::PushItemWidth(-1.0f);
        if (ImGui::InputText("##filename", &_sFileName,
                             ImGuiInputTextFlags_EnterReturnsTrue | ImGuiInputTextFlags_AutoSelectAll))
            bAccept = true;
        ImGui::PopItemWidth();

        ImGui::Spacing();
        ImGui::SameLine(ImGui::GetWindowWidth() - 100.0f);
        const bool bNoName = _sFileName.empty();
        if (bNoName)
        {
            const ImVec4 grey(0.3f, 0.3f, 0.3f, 1.0f);
            ImGui::PushStyleColor(ImGuiCol_Button, grey);
            ImGui::PushStyleColor(ImGuiCol_ButtonHovered, grey);
            ImGui::PushStyleColor(ImGuiCol_ButtonActive, grey);
        }
        if (ImGui::Button("Ok") && !bNoName) bAccept = true;
        if (bNoName) ImGui::PopStyleColor(3);

        if (bAccept && Accept(sOut))
        {
            ImGui::CloseCurrentPopup();
            bResult = true;
        }

        ImGui::SameLine();
        if (ImGui::Button("Cancel"))
        {
            sOut.clear();
            // Closed here too: a modal popup left open after its owner deleted the browser
            // would keep blocking every other window.
            ImGui::CloseCurrentPopup();
            bResult = true;
        }
        ImGui::EndPopup();
    }
    _bJustOpened = false;
    return bResult;
}
