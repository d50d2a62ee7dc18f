#pragma once
// The one assertion of the system. It stays active in every build type: a failed
// check prints the expression, the source file and the line to stderr and ends
// the process.

namespace rvPlatform
{
[[noreturn]] void AssertFailed(const char* expr, const char* file, int line);
}

#define rvAssert(expr) ((expr) ? (void)0 : ::rvPlatform::AssertFailed(#expr, __FILE__, __LINE__))
