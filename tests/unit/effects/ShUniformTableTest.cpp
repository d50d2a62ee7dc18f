// The uniform table of the sh classes: members with their defaults and the GLSL declarations of
// both halves of a source, without a GL context.
#include <gtest/gtest.h>

#include <string>

#include "effects/fxStarField/shStarField.h"
#include "effects/shUniformTable.h"

TEST(ShUniformTable, FloatLiteralsReadBackExactlyAndAreGlslFloats)
{
    struct Case
    {
        float f;
        const char* text;
    } cases[] = {{1.0f, "1.0"},   {0.0f, "0.0"},     {-0.75f, "-0.75"},    {2.04f, "2.04"},
                 {0.1f, "0.1"},   {100.0f, "100.0"}, {1e-7f, "0.0000001"}, {123456789.0f, "1.2345679e+08"},
                 {0.35f, "0.35"}, {-0.4f, "-0.4"}};
    for (const Case& c : cases)
        EXPECT_EQ(shUniformDeclarations::FloatLiteral(c.f), c.text) << c.f;
}

TEST(ShUniformTable, MembersDeclarationsAndStandAloneValuesComeFromOneLine)
{
    shStarField program;
    EXPECT_EQ(program._location3f_COLOR_MUL, -1);
    EXPECT_EQ(program._vColorMul, glm::vec3(0.8f, -0.4f, 0.5f)); // the program's default
    EXPECT_EQ(program._nFractalIter1, 100);

    shUniformDeclarations declarations;
    shStarField::DeclareUniforms(declarations);
    const std::string block = declarations.Block();
    const size_t ifdef = block.find("#ifdef MORVANE\n"), els = block.find("#else\n"),
                 endif = block.find("#endif\n");
    ASSERT_EQ(ifdef, 0u);
    ASSERT_NE(els, std::string::npos);
    ASSERT_NE(endif, std::string::npos);
    const std::string program_half = block.substr(0, els), alone = block.substr(els, endif - els);
    EXPECT_NE(program_half.find("uniform float MAIN_FADE;\n"), std::string::npos);
    EXPECT_NE(program_half.find("uniform int FRACTAL_ITER1;\n"), std::string::npos);
    EXPECT_NE(program_half.find("uniform vec4 SPIRAL_COLOR;\n"), std::string::npos);
    // Stand-alone values: the default, or the line's own where it has one.
    EXPECT_NE(alone.find("float MAIN_SPEED = 60.0;\n"), std::string::npos);
    EXPECT_NE(alone.find("int FRACTAL_ITER1 = 100;\n"), std::string::npos);
    EXPECT_NE(alone.find("vec3 COLOR_MUL = vec3(0.8, -0.5, 0.5);\n"), std::string::npos);
    EXPECT_NE(alone.find("vec2 SPIRAL_SIZE = vec2(1.5, 1.1);\n"), std::string::npos);

    shUniformList list;
    program.ListUniforms(list);
    ASSERT_EQ(list.Count(), 24);
    EXPECT_STREQ(list[0].pszName, "MAIN_FADE");
    EXPECT_STREQ(list[0].pszCheck, "_location1f_MAIN_FADE>=0");
    EXPECT_EQ(list[0].pLocation, &program._location1f_MAIN_FADE);
    EXPECT_EQ(list[0].pValue, &program._fFade);
}

TEST(ShUniformTable, SamplersAreDeclaredForTheProgramOnlyAndTheMarkerIsAWholeLine)
{
    shUniformDeclarations d;
    d.Add("iChannel0", SH_SAMPLER, 0);
    d.Add("AMOUNT", SH_OPTIONAL, 0.5f);
    EXPECT_EQ(d.Block(), "#ifdef MORVANE\nuniform sampler2D iChannel0;\nuniform float AMOUNT;\n"
                         "#else\nfloat AMOUNT = 0.5;\n#endif\n");
    EXPECT_EQ(d.Expand("SHADER_HEADER\nSHADER_UNIFORMS\nvoid main() {}\n"),
              "SHADER_HEADER\n" + d.Block() + "void main() {}\n");
    // A full-screen fragment source gets both halves with their entry points.
    const std::string full = d.Expand("SHADER_HEADER\nSHADER_FULL_SCREEN\nSHADER_MAIN { }\n");
    EXPECT_EQ(full, "SHADER_HEADER\n#ifdef MORVANE\n#define SHADER_MAIN void main()\nin vec2 fragCoord;\n"
                    "out vec4 fragColor;\nuniform sampler2D iChannel0;\nuniform float AMOUNT;\n#else\n"
                    "#define SHADER_MAIN void mainImage( out vec4 fragColor, in vec2 fragCoord )\n"
                    "float AMOUNT = 0.5;\n#endif\nSHADER_MAIN { }\n");
    // Not a line of its own: left alone.
    const char* pszInline = "SHADER_HEADER\n// SHADER_UNIFORMS\nvoid main() {}\n";
    EXPECT_EQ(d.Expand(pszInline), pszInline);
}
