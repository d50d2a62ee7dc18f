#include "rvMessage.h"

#include <cstdio>
#include <string>

const char* rvMessagePrefix(rvMessageKind kind)
{
    return kind == rvMessageKind::Error ? "morvane: error: " : "morvane: warning: ";
}

void rvReportV(rvMessageKind kind, const char* format, va_list args)
{
    // Formatted first, so that the line goes out in one write even from several threads.
    std::string line = rvMessagePrefix(kind);
    if (format)
    {
        va_list copy;
        va_copy(copy, args);
        const int n = std::vsnprintf(nullptr, 0, format, copy);
        va_end(copy);
        if (n > 0)
        {
            std::string text(size_t(n) + 1, '\0');
            std::vsnprintf(text.data(), text.size(), format, args);
            text.resize(size_t(n));
            line += text;
        }
    }
    if (line.back() != '\n') line += '\n';
    std::fputs(line.c_str(), stderr);
    std::fflush(stderr);
}

void rvReport(rvMessageKind kind, const char* format, ...)
{
    va_list args;
    va_start(args, format);
    rvReportV(kind, format, args);
    va_end(args);
}
