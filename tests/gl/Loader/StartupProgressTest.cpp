// The packer's progress table against the reads of a real start-up pass: after loading the
// demo timeline (with nested timelines, one of them refused for including itself) the bar
// is exactly full.
#include "ArchiveFixture.h"
#include "DataPackGuard.h"
#include "../../unit/Sequencer/TestClasses.h"
#include "DefaultBuffer.h"
#include "GLTestContext.h"
#include "Loader/rvLoader.h"
#include "Sequencer/rvSequence.h"

using rvTest::GLTest;

TEST_F(GLTest, ProgressTableMatchesTheStartupReads)
{
    RV_SKIP_IF_DATA_PACK_IN_USE();
    RegisterTestClasses();
    rvTest::TempWorkDir dir;
    const std::string demo = SeqJson({NestedJson("a", "./Data/seq/part.seq", 0, 600),
                                      NestedJson("b", "Data/seq/part.seq", 60, 600), ProbeJson("p", 0, 120)});
    const std::string part =
        SeqJson({NestedJson("loop", "Data/seq/part.seq", 0, 60), ProbeJson("q", 0, 60)}, "\r\n");
    dir.WriteFile("Data/seq/_DemoFull_.seq", demo);
    dir.WriteFile("Data/seq/part.seq", part);
    dir.WriteFile("Data/seq/unused.seq", SeqJson({ProbeJson("u", 0, 60)}));
    const std::string pack = "python3 '" + rvTest::SourcePath("tools/pack-data") + "' --root . --no-assets";
    ASSERT_EQ(std::system(pack.c_str()), 0);

    SetUpDefaultBuffer(_window);
    rvLoader::Begin(_window);
    ASSERT_TRUE(rvLoader::IsArmed());
    // The demo timeline and the nested one twice; its inclusion of itself is never read.
    EXPECT_EQ(rvLoader::_nTotal, int(demo.size() + 2 * part.size()));
    rvSequence seq(false);
    ASSERT_TRUE(seq.LoadSequence("Data/seq/_DemoFull_.seq", true));
    rvLoader::End();
    EXPECT_EQ(rvLoader::_nLoaded, rvLoader::_nTotal);
    EXPECT_FLOAT_EQ(rvLoader::Fraction(), 1.f);
    seq.Clear();
    rvLoader::Release();
    rvSceneDisplay::Shutdown();
}
