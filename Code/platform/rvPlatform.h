#pragma once
// Small stand-ins for the operating-system services the program uses.
#include <cstdint>
#include <string>

namespace rvPlatform
{
// Keeps the program's arguments; called once from main.
void SetCommandLine(int argc, char** argv);
// The whole command line: program path first, then every argument, joined with blanks.
const std::string& GetCommandLine();

// A message box: reported as an error (rvReport), "<caption>: <text>"; never blocks.
void MessageBox(const char* text, const char* caption);
// Opens a web page in the user's browser (xdg-open, detached). Returns false when it could not start.
bool OpenWebPage(const std::string& url);
// A monotonic counter: every call returns a value greater than the one before.
int64_t NextUniqueId();

// The running program's file (/proc/self/exe), and the working directory; empty when unknown.
std::string ExecutablePath();
std::string WorkingDirectory();
// The folder the player reads its data from ("Data/..." paths are relative to it): the working
// directory when it holds the data archive "Data/Morvane-ZQ4.sts" or at least a "Data" folder
// (then a missing archive is named there); else the nearest folder above the executable that
// holds the archive (build/morvane: the repository root); else empty.
std::string FindDataRoot(const std::string& workingDirectory, const std::string& executable);
} // namespace rvPlatform
