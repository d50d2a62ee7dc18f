#pragma once
// The editor's modal file chooser: a popup listing the sub-directories of one directory and
// its files of one extension, with a file-name box and "Ok" / "Cancel". It touches no file;
// it only returns a path.
//
// A caller creates it when its button is pressed (the constructor opens the popup, in the
// ImGui window and ID scope current at that point), calls Draw every frame from the same
// place, and deletes it on the frame Draw returns true. An empty result means cancelled.
#include <filesystem>
#include <string>
#include <vector>

class rvFileBrowser
{
public:
    struct Entry
    {
        std::string _sName;          // the name shown (".." for the parent)
        std::filesystem::path _Path; // the directory listed joined with the name
        bool _bDirectory = false;    // taken when the listing is built
    };

    // szTitle is the popup's title and ImGui identifier; it is not copied (pass a literal).
    // sFilter is the extension listed files must have, dot included (".fx"), case included.
    // A start path that is empty or does not exist starts in the working directory; a start
    // path naming a file opens its directory with the name in the box.
    rvFileBrowser(const char* szTitle, const std::string& sFilter, const std::string& sStartPath);
    ~rvFileBrowser() = default;
    rvFileBrowser(const rvFileBrowser&) = delete;
    rvFileBrowser& operator=(const rvFileBrowser&) = delete;

    // Once per frame. True when a file was accepted (sOut = directory + separator + name) or
    // "Cancel" was pressed (sOut empty); false otherwise, also after the popup was closed
    // with its title-bar button.
    bool Draw(std::string& sOut);

    // Chooses a directory (entered and listed) or a file (its directory listed, its name put
    // into the box).
    void SetPath(const std::filesystem::path& path);
    // Rebuilds the entries from the directory d.
    void Refresh(const std::filesystem::path& d);

    // Separator put between the directory and the chosen name in a result.
    static constexpr char kSeparator = '/';

    const char* _szTitle;
    std::string _sFilter;
    std::filesystem::path _CurrentPath;
    std::filesystem::path _Directory;
    std::string _sFileName;
    bool _bIsDirectory = true;
    std::vector<Entry> _aEntries;
    bool _bJustOpened = true;

private:
    bool Accept(std::string& sOut);
};
