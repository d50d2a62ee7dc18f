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
} // namespace rvPlatform
