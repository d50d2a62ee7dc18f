// Source handling of the program classes: header expansion and source constants. No GL needed.
#include <gtest/gtest.h>

#include <string>

#include "rvShaderProgram.h"

namespace
{
const char* const kPrologue = "#version 430\n#define MORVANE\n";
const char* const kCommonUniforms = "uniform float iTime;\nuniform vec2 iResolution;\n";

std::string Expand(rvProgram& p, const char* source)
{
    std::string out;
    EXPECT_TRUE(p.ExpandHeader(source, out));
    return out;
}
} // namespace

TEST(ShaderProgramSource, HeaderTokenMustOpenTheText)
{
    rvProgram p;
    for (const char* bad :
         {" SHADER_HEADER\nvoid main(){}", "\nSHADER_HEADER\n", "SHADER_HEADE", "", "#version 430\n"})
    {
        std::string out = "untouched";
        EXPECT_FALSE(p.ExpandHeader(bad, out)) << "source: [" << bad << "]";
    }
    EXPECT_EQ(Expand(p, "SHADER_HEADER\nvoid main(){}\n"),
              std::string(kPrologue) + kCommonUniforms + "\nvoid main(){}\n");
}

TEST(ShaderProgramSource, ConstantsAreListedNewestFirstAndReplaceTheirOldLine)
{
    rvProgram p;
    int a = 0, b = 0;
    p.SetConstant("A", &a, 1);
    p.SetConstant("B", &b, 2);
    EXPECT_EQ(Expand(p, "SHADER_HEADER body"),
              std::string(kPrologue) + "const int B = 2;\nconst int A = 1;\n" + kCommonUniforms + " body");

    p._bRebuild = false;
    p.SetConstant("A", &a, 3);
    EXPECT_EQ(a, 3);
    EXPECT_TRUE(p._bRebuild);
    ASSERT_EQ(p._aSourceConstants.size(), 2u);
    EXPECT_EQ(p._aSourceConstants[0], "const int B = 2;\n");
    EXPECT_EQ(p._aSourceConstants[1], "const int A = 3;\n");

    // The same value again changes nothing.
    p._bRebuild = false;
    p.SetConstant("A", &a, 3);
    EXPECT_FALSE(p._bRebuild);
    EXPECT_EQ(p._aSourceConstants.size(), 2u);
}

TEST(ShaderProgramSource, ConstantWhoseNameStartsAnotherKeepsTheOther)
{
    rvProgram p;
    int a = 0, ab = 0;
    p.SetConstant("AB", ab, 5);
    p.SetConstant("A", a, 1);
    p.SetConstant("A", a, 2);
    ASSERT_EQ(p._aSourceConstants.size(), 2u);
    EXPECT_EQ(p._aSourceConstants[0], "const int AB = 5;\n");
    EXPECT_EQ(p._aSourceConstants[1], "const int A = 2;\n");
}

TEST(ShaderProgramSource, LeadingExtensionLinesGoBeforeEveryDeclaration)
{
    rvProgram p;
    std::string out =
        Expand(p, "SHADER_HEADER\n#extension GL_ARB_shading_language_include : enable\nvoid main(){}\n");
    EXPECT_EQ(
        out,
        std::string("#version 430\n#extension GL_ARB_shading_language_include : enable\n#define MORVANE\n") +
            kCommonUniforms + "void main(){}\n");
}

TEST(ShaderProgramSource, AttributeNamesMustBeAddedInIndexOrder)
{
    rvProgram p;
    p.AddAttribLocation("inPosition", 0);
    p.AddAttribLocation("inColor", 1);
    EXPECT_EQ(p._attriblocation.size(), 2u);
    EXPECT_DEATH(p.AddAttribLocation("inFlags", 3), "i == _attriblocation.size\\(\\)");
}

TEST(ShaderProgramSource, OneProgramInUseAtATime)
{
    // The checks come before any GL call, so no context is needed to reach them.
    rvProgram2D a, b;
    rvProgram::_currentProgramUsed = &a;
    int cached = 0;
    EXPECT_DEATH(b.Use(), "_currentProgramUsed==nullptr");
    EXPECT_DEATH(b.SetConstant("X", &cached, 1), "_currentProgramUsed == nullptr");
    EXPECT_DEATH(b.DrawQuad(0, 0.5f, 0.5f, 1.f, 1.f), "_currentProgramUsed == this");
    rvProgram::_currentProgramUsed = nullptr;
}

TEST(ShaderProgramSource, AlphaAndDepthViewersRefuseAPlainUse)
{
    rvTexAlphaProgram2D alpha;
    rvTexDepthProgram2D depth;
    EXPECT_DEATH(alpha.Use(), "false");
    EXPECT_DEATH(depth.Use(), "false");
}
