// Timeline files: loading from the archive, failures that keep the loaded timeline, saving.
// Each TEST mounts its own fixture archive (one mount per process).
#include "ArchiveFixture.h"
#include "DataPackGuard.h"
#include "Sequencer/rvSequence.h"
#include "TestClasses.h"

#include <fstream>

namespace
{
std::map<std::string, std::string> Files()
{
    return {
        {"Data/seq/crlf.seq",
         SeqJson({ProbeJson("one", 0, 60), "{ \"Class\" : \"fxNoSuchClass\", \"Properties\" : {} }",
                  ProbeJson("two", 30, 120), ProbeJson("one", 10, 20)},
                 "\r\n")},
        {"Data/seq/bad.seq", "{ \"Items\" : [ " + ProbeJson("x", 0, 10) + ", { \"Class\" : "},
        {"Data/seq/array.seq", "[ 1, 2 ]"},
        {"Data/seq/empty.seq", ""},
        {"Data/seq/deep.seq", std::string(5000, '[')}, // past the JSON reader's nesting limit
    };
}
} // namespace

TEST(SequenceFile, LoadsCrlfFilesSkipsUnknownClassesAndFailsWithoutChanges)
{
    RV_SKIP_IF_DATA_PACK_IN_USE();
    RegisterTestClasses();
    rvTest::TempWorkDir dir;
    ASSERT_TRUE(rvTest::BuildArchive(dir, Files()));
    rvSequence seq(false);
    seq._fTime = 3.f;

    ASSERT_TRUE(seq.LoadSequence("./Data/seq/crlf.seq", true));
    ASSERT_EQ(seq.ItemCount(), 3);
    EXPECT_STREQ(seq.ItemLabel(0), "one");
    EXPECT_STREQ(seq.ItemLabel(1), "two");
    EXPECT_EQ(seq._apEffects[1]->_nStart, 30);
    EXPECT_EQ(seq.LastFrame(), 120);
    EXPECT_EQ(seq._fTime, 0.f);
    EXPECT_EQ(seq._sFile, "./Data/seq/crlf.seq");
    for (fxBase* fx : seq._apEffects)
    {
        EXPECT_EQ(fx->_eState, State_DemoStarted);
        EXPECT_EQ(fx->_pSequence, &seq);
    }
    EXPECT_EQ(seq.FindEffect("one"), seq._apEffects[0]); // duplicate names: the first one

    // Missing, empty, unparsable or not an object: the loaded timeline and its file name stay.
    const std::vector<fxBase*> before = seq._apEffects;
    for (const char* path : {"Data/seq/missing.seq", "Data/seq/empty.seq", "Data/seq/bad.seq",
                             "Data/seq/array.seq", "Data/seq/deep.seq"})
    {
        EXPECT_FALSE(seq.LoadSequence(path, true)) << path;
        EXPECT_EQ(seq._apEffects, before) << path;
        EXPECT_EQ(seq._sFile, "./Data/seq/crlf.seq") << path;
    }

    // Without reset the effects stay constructed only, and the time is kept.
    seq._fTime = 2.f;
    ASSERT_TRUE(seq.LoadSequence("Data/seq/crlf.seq", false));
    EXPECT_EQ(seq._apEffects[0]->_eState, State_DemoStoped);
    EXPECT_EQ(seq._fTime, 2.f);
    seq.Clear();
}

TEST(SequenceFile, SaveWritesTheItemsInListOrder)
{
    RV_SKIP_IF_DATA_PACK_IN_USE();
    RegisterTestClasses();
    rvTest::TempWorkDir dir;
    ASSERT_TRUE(rvTest::BuildArchive(dir, Files()));
    rvSequence seq(false);
    ASSERT_TRUE(seq.LoadSequence("Data/seq/crlf.seq", true));
    ASSERT_TRUE(seq.SaveSequence("saved.seq"));
    Json::Value root;
    std::ifstream in("saved.seq");
    Json::CharReaderBuilder builder;
    std::string errors;
    ASSERT_TRUE(Json::parseFromStream(builder, in, &root, &errors)) << errors;
    ASSERT_EQ(root["Items"].size(), 3u);
    EXPECT_EQ(root["Items"][0]["Class"].asString(), "fxProbe");
    EXPECT_EQ(root["Items"][1]["Properties"]["Name"].asString(), "two");
    EXPECT_EQ(root["Items"][1]["Properties"]["End"].asInt(), 120);
    EXPECT_FALSE(seq.SaveSequence(dir.Path() + "/no/such/dir/x.seq"));
    seq.Clear();
}
