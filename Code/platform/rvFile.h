#pragma once
// Saving a file without ever destroying the one already there: the bytes go to a temporary
// file beside the target, of a name no other save uses (two saves of one file at once each
// write their own, and the last rename wins whole), every write and the close are checked, and
// only then is the temporary file renamed over the target. The new file keeps the old one's
// mode; a symbolic link at the path stays a link and the file it leads to is replaced; a
// read-only file is not replaced. On any failure the temporary file is removed, the target
// keeps its old bytes, the cause is reported on stderr and false returned.
#include <string>

bool rvSaveFile(const std::string& path, const std::string& bytes);
