// Text the program shows is UTF-8 (Dear ImGui draws any other byte above 127 as "?"): every
// ordinary string literal of the program, its escapes decoded, is valid UTF-8.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace
{
bool IsUtf8(const std::string& s)
{
    for (size_t i = 0; i < s.size();)
    {
        const unsigned char c = static_cast<unsigned char>(s[i]);
        const int n = c < 0x80 ? 0 : (c >> 5) == 0x6 ? 1 : (c >> 4) == 0xE ? 2 : (c >> 3) == 0x1E ? 3 : -1;
        if (n < 0 || i + size_t(n) >= s.size() + (n == 0 ? 1 : 0)) return false;
        for (int k = 1; k <= n; ++k)
            if ((static_cast<unsigned char>(s[i + size_t(k)]) >> 6) != 0x2) return false;
        i += size_t(n) + 1;
    }
    return true;
}

int HexValue(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// The bytes of the ordinary literal whose body starts at text[i] (after its quote); i ends past
// the closing quote. \x and octal escapes give their byte, other escapes their character.
std::string LiteralBytes(const std::string& text, size_t& i)
{
    std::string out;
    while (i < text.size() && text[i] != '"' && text[i] != '\n')
    {
        if (text[i] != '\\' || i + 1 >= text.size())
        {
            out += text[i++];
            continue;
        }
        const char e = text[i + 1];
        i += 2;
        if (e == 'x')
        {
            int v = 0;
            while (i < text.size() && HexValue(text[i]) >= 0)
                v = v * 16 + HexValue(text[i++]);
            out += char(v & 0xFF);
        }
        else if (e >= '0' && e <= '7')
        {
            int v = e - '0';
            for (int k = 0; k < 2 && i < text.size() && text[i] >= '0' && text[i] <= '7'; ++k)
                v = v * 8 + (text[i++] - '0');
            out += char(v & 0xFF);
        }
        else
            out += e;
    }
    ++i;
    return out;
}
} // namespace

TEST(SourceText, StringLiteralsAreUtf8)
{
    namespace fs = std::filesystem;
    int nFiles = 0;
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(fs::path(MORVANE_SOURCE_DIR) / "Code"))
    {
        const std::string ext = entry.path().extension().string();
        if (!entry.is_regular_file() || (ext != ".cpp" && ext != ".h" && ext != ".c")) continue;
        std::ifstream f(entry.path(), std::ios::binary);
        const std::string text((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
        ++nFiles;
        for (size_t i = 0; i < text.size();)
        {
            const char c = text[i];
            if (c == '/' && i + 1 < text.size() && text[i + 1] == '/')
                i = text.find('\n', i); // a comment
            else if (c == '/' && i + 1 < text.size() && text[i + 1] == '*')
            {
                i = text.find("*/", i + 2);
                if (i == std::string::npos) break;
                i += 2;
                continue;
            }
            else if (c == '\'')
            {
                // A character literal: a quote inside it starts no string.
                for (++i; i < text.size() && text[i] != '\'' && text[i] != '\n'; ++i)
                    if (text[i] == '\\') ++i;
            }
            else if (c == 'R' && i + 1 < text.size() && text[i + 1] == '"')
            {
                // A raw string runs to its own delimiter; it holds no escapes.
                const size_t open = text.find('(', i);
                if (open == std::string::npos) break;
                const std::string close = ")" + text.substr(i + 2, open - i - 2) + "\"";
                const size_t end = text.find(close, open);
                i = end == std::string::npos ? text.size() : end + close.size();
                continue;
            }
            else if (c == '"')
            {
                ++i;
                const size_t start = i;
                const std::string bytes = LiteralBytes(text, i);
                EXPECT_TRUE(IsUtf8(bytes)) << entry.path().string() << ": \"" << text.substr(start, i - start);
                continue;
            }
            if (i == std::string::npos) break;
            ++i;
        }
    }
    EXPECT_GT(nFiles, 100);
}
