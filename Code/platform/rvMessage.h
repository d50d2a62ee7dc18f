#pragma once
// Every error and warning the program reports goes through rvReport: one line (or more, for a
// compiler log) on stderr, never stdout, with one prefix scheme:
//
//   morvane: error: <text>
//   morvane: warning: <text>
//
// A text that already ends with a newline gets no second one. Used by the platform stand-ins,
// the engine and the program alike.
#include <cstdarg>

enum class rvMessageKind
{
    Error,
    Warning,
};

// Prefix of a kind: "morvane: error: " or "morvane: warning: ".
const char* rvMessagePrefix(rvMessageKind kind);

// printf-style message of the given kind on stderr, flushed at once.
void rvReport(rvMessageKind kind, const char* format, ...) __attribute__((format(printf, 2, 3)));
// The same with the arguments of a variadic caller.
void rvReportV(rvMessageKind kind, const char* format, va_list args) __attribute__((format(printf, 2, 0)));
