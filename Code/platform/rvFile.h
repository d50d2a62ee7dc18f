#pragma once
// Saving a file without ever destroying the one already there: the bytes go to a temporary
// file beside the target ("<path>.saving"), every write and the close are checked, and only
// then is the temporary file renamed over the target. On any failure the temporary file is
// removed, the target keeps its old bytes, the cause is reported on stderr and false returned.
#include <string>

bool rvSaveFile(const std::string& path, const std::string& bytes);
