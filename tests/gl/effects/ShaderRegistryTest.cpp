// Every effect program ("sh" class) builds on this GL implementation with each asserted uniform
// active, and the common pattern of the sh classes (switches, asserted and optional uniforms, the
// shared full-screen vertex source) behaves as its users rely on.
#include "GLTestContext.h"
#include "TestSupport.h"

#include <filesystem>
#include <fstream>
#include <memory>
#include <regex>
#include <set>
#include <sstream>
#include <string>

#include "effects/shEffectProgram.h"
#include "shRegistry.h"
#include "effects/shUniformList.h"
#include "Factory/fxBase.h"
#include "Sequencer/rvSequence.h"
#include "rvShaderProgram.h"

using rvTest::GLTest;
using rvTest::RenderTarget;

TEST_F(GLTest, EveryShProgramBuildsWithItsAssertedUniformsActive)
{
    RenderTarget target(32, 32);
    target.Bind();
    ASSERT_FALSE(shRegistry::All().empty());
    for (const shRegistryRow& row : shRegistry::All())
    {
        SCOPED_TRACE(row.pszClassName);
        std::unique_ptr<rvProgram> program(row.pfnCreate());
        row.pfnPrepare(program.get());
        EXPECT_TRUE(program->Build());
        ASSERT_TRUE(program->IsBuilt());

        shUniformList list;
        row.pfnListUniforms(program.get(), list);
        std::set<std::string> names;
        for (int i = 0; i < list.Count(); ++i)
        {
            const shUniform& u = list[i];
            EXPECT_TRUE(names.insert(u.pszName).second) << u.pszName << " listed twice";
            EXPECT_EQ(*u.pLocation, glGetUniformLocation(program->programID, u.pszName)) << u.pszName;
            if (!u.bOptional)
            {
                EXPECT_GE(*u.pLocation, 0) << u.pszName << " is asserted at Use but the compiler dropped it";
            }
        }
    }
}

TEST(ShRegistry, EveryShClassInTheSourcesHasARow)
{
    // "struct shName : rvProgram2D" and the like, in every header under Code/, wherever the
    // class lives (effect folders, shared programs in Code/common).
    const std::regex declaration(R"((?:struct|class)\s+(sh\w+)\s*(?:final\s*)?:\s*(?:public\s+)?(\w+))");
    const std::filesystem::path root = rvTest::SourcePath("Code");
    int found = 0;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(root))
    {
        if (!entry.is_regular_file() || entry.path().extension() != ".h") continue;
        std::ifstream in(entry.path());
        std::stringstream text;
        text << in.rdbuf();
        const std::string source = text.str();
        for (std::sregex_iterator it(source.begin(), source.end(), declaration), end; it != end; ++it)
        {
            const std::string cls = (*it)[1], base = (*it)[2];
            if (base.find("Program") == std::string::npos && base.rfind("sh", 0) != 0) continue;
            ++found;
            EXPECT_NE(shRegistry::Find(cls.c_str()), nullptr)
                << cls << " (" << entry.path().string() << ") needs a row in tests/support/shRegistry.cpp";
        }
    }
    EXPECT_GE(found, 1);
    EXPECT_EQ(shRegistry::Find("shNoSuchProgram"), nullptr);
}

namespace
{
// A small program in the sh pattern: one switch, one asserted and one optional uniform.
// The fragment writes COLOR in mode 1, iTime / 10 in red in mode 3, green (plus COLOR.b in red)
// otherwise, and fragCoord / iResolution in blue.
struct shProbe : rvProgram2D
{
    bool Build() override
    {
        ++_nBuilds;
        if (!_pVertexSource) _pVertexSource = shEffectProgram::FullScreenVertexSource;
        if (!_pFragmentSource) _pFragmentSource = kFragment;
        const bool bOk = rvProgram2D::Build();
        shUniformList list;
        ListUniforms(list);
        list.Lookup(programID);
        return bOk;
    }
    void Use() override
    {
        ApplySwitches();
        rvProgram2D::Use();
        shUniformList list;
        ListUniforms(list);
        list.Upload(__FILE__, __LINE__);
    }
    void ApplySwitches() override { SetConstant("PROBE_MODE", _nModeBuilt, _nMode); }
    void ListUniforms(shUniformList& list)
    {
        SH_UNIFORM(list, 4f, COLOR, _vColor);
        if (_bStrictUnused)
            SH_UNIFORM(list, 1f, UNUSED, _fUnused);
        else
            SH_UNIFORM_OPTIONAL(list, 1f, UNUSED, _fUnused);
    }

    static constexpr const char* kFragment =
        "SHADER_HEADER\n"
        "#ifdef MORVANE\n"
        "#define SHADER_MAIN void main()\n"
        "in vec2 fragCoord;\n"
        "out vec4 fragColor;\n"
        "uniform vec4 COLOR;\n"
        "uniform float UNUSED;\n"
        "#else\n"
        "#define SHADER_MAIN void mainImage( out vec4 fragColor, in vec2 fragCoord )\n"
        "vec4 COLOR = vec4(1.0, 0.0, 0.0, 1.0);\n"
        "float UNUSED = 0.0;\n"
        "#endif\n"
        "SHADER_MAIN\n"
        "{\n"
        "    vec4 c = PROBE_MODE == 1 ? COLOR : vec4(COLOR.b, 1.0, 0.0, 1.0);\n"
        "    if (PROBE_MODE == 3) c = vec4(iTime / 10.0, COLOR.b, 0.0, 1.0);\n"
        "    fragColor = vec4(c.rg, fragCoord.x / iResolution.x, 1.0);\n"
        "}\n";

    int _location4f_COLOR = -1;
    glm::vec4 _vColor{1.0f, 0.0f, 0.0f, 1.0f};
    int _location1f_UNUSED = -1;
    float _fUnused = 0.0f;
    int _nMode = 1;
    int _nModeBuilt = SH_SWITCH_UNSET;
    bool _bStrictUnused = false;
    int _nBuilds = 0;
};

void DrawOnce(shProbe& p)
{
    p.Use();
    p.Draw(0);
    p.Unuse();
}
} // namespace

TEST_F(GLTest, ShPatternBuildsAtFirstUseAndRebuildsOnlyWhenASwitchChanges)
{
    RenderTarget target(40, 8);
    target.Bind();
    shProbe probe;
    probe._vColor = glm::vec4(0.5f, 0.25f, 0.0f, 1.0f);
    EXPECT_FALSE(probe.IsBuilt());

    DrawOnce(probe); // built inside the first Use, the switch written first
    EXPECT_EQ(probe._nBuilds, 1);
    EXPECT_EQ(probe._nModeBuilt, 1);
    EXPECT_EQ(probe._location1f_UNUSED, -1); // dropped by the compiler: optional, so harmless
    EXPECT_NEAR(target.Pixel(3, 4).r, 128, 1);
    EXPECT_NEAR(target.Pixel(3, 4).g, 64, 1);
    // fragCoord is in pixels of the target: x + 0.5 at pixel x.
    for (int x : {0, 19, 39})
        EXPECT_NEAR(target.Pixel(x, 4).b, (x + 0.5f) / 40.0f * 255.0f, 1.0f) << x;

    DrawOnce(probe); // same switch value: no rebuild
    EXPECT_EQ(probe._nBuilds, 1);

    probe._nMode = 2;
    DrawOnce(probe); // one rebuild, values kept and uploaded again
    EXPECT_EQ(probe._nBuilds, 2);
    EXPECT_EQ(target.Pixel(3, 4).g, 255);
    probe._nMode = 1;
    DrawOnce(probe);
    DrawOnce(probe);
    EXPECT_EQ(probe._nBuilds, 3);
    EXPECT_NEAR(target.Pixel(3, 4).r, 128, 1); // COLOR survived the rebuilds
}

TEST_F(GLTest, ShAssertedUniformThatTheCompilerDroppedStopsUse)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    RenderTarget target(8, 8);
    target.Bind();
    shProbe probe;
    probe._bStrictUnused = true;
    EXPECT_DEATH(probe.Use(), "_location1f_UNUSED>=0.*ShaderRegistryTest");
}

TEST_F(GLTest, ShFadeBlendState)
{
    GLboolean mask[4];
    shEffectProgram::SetFadeBlend(0.5f);
    EXPECT_TRUE(glIsEnabled(GL_BLEND));
    glGetBooleanv(GL_COLOR_WRITEMASK, mask);
    EXPECT_TRUE(mask[0] && mask[1] && mask[2] && mask[3]);
    GLint src = 0, dst = 0;
    glGetIntegerv(GL_BLEND_SRC_RGB, &src);
    glGetIntegerv(GL_BLEND_DST_RGB, &dst);
    EXPECT_EQ(src, GL_SRC_ALPHA);
    EXPECT_EQ(dst, GL_ONE_MINUS_SRC_ALPHA);

    shEffectProgram::SetFadeBlend(1.0f);
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    glGetBooleanv(GL_COLOR_WRITEMASK, mask);
    EXPECT_TRUE(mask[0] && mask[1] && mask[2]);
    EXPECT_FALSE(mask[3]);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
}

TEST_F(GLTest, ShTimelineTimeReplacesTheEffectTimeForBackgrounds)
{
    RenderTarget target(8, 8);
    target.Bind();
    rvSequence sequence(false);
    sequence._fTime = 5.0f;
    fxBase effect(fxBase::GetDescriptor());
    effect._pSequence = &sequence;
    effect._fTime = 1.0f;
    shProbe probe;
    probe._nMode = 3;
    probe._vColor = glm::vec4(0.0f);

    fxBase::_pCurrentEffect = &effect;
    DrawOnce(probe); // iTime is the effect's local time
    EXPECT_NEAR(target.Pixel(4, 4).r, 0.1f * 255.0f, 1.0f);
    probe.Use();
    shEffectProgram::UploadTimelineTime(probe); // the timeline's time instead
    probe.Draw(0);
    probe.Unuse();
    fxBase::_pCurrentEffect = nullptr;
    EXPECT_NEAR(target.Pixel(4, 4).r, 0.5f * 255.0f, 1.0f);
}
