// The data packer (tools/pack-data) run on a small Data tree: every entry encrypted,
// readable by the player's reader, and a progress table that counts the start-up reads.
#include "ArchiveFixture.h"
#include "DataPackGuard.h"
#include "Loader/rvLoader.h"
#include "TestSupport.h"

#include <physfs.h>

#include <filesystem>
#include <sstream>

namespace
{
std::string Output(const std::string& cmd)
{
    std::string out;
    FILE* p = popen(cmd.c_str(), "r");
    if (!p) return out;
    char buf[512];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof(buf), p)) > 0)
        out.append(buf, n);
    pclose(p);
    return out;
}

// A demo timeline with a nested one that includes itself (the player refuses that) and
// names two files, a disk file read with forceOS, and a file nothing reads.
struct DataTree
{
    const std::string demo =
        "{ \"Items\" : [ { \"Class\" : \"fxSequence\", \"Properties\" : { \"Name\" : \"part\", "
        "\"Sequence File\" : \"./Data/seq/part.seq\" } },\n"
        "{ \"Class\" : \"fxSVG\", \"Properties\" : { \"File\" : \"Data\\\\svg\\\\a.svg\", \"Name\" : \"x\" } "
        "} ] }\n";
    const std::string part = "{ \"Items\" : [ { \"Class\" : \"fxSequence\", \"Properties\" : { \"Sequence "
                             "File\" : \"Data/seq/part.seq\" } },\r\n"
                             "{ \"Class\" : \"fxImage\", \"Properties\" : { \"Image\" : \"Data/img/b.png\", "
                             "\"Cloud\" : \"Data/pts.data\" } } ] }\r\n";

    explicit DataTree(const rvTest::TempWorkDir& dir)
    {
        dir.WriteFile("Data/seq/_DemoFull_.seq", demo);
        dir.WriteFile("Data/seq/part.seq", part);
        dir.WriteFile("Data/svg/a.svg", std::string(100, 's'));
        dir.WriteFile("Data/img/b.png", std::string(50, 'p'));
        dir.WriteFile("Data/pts.data", std::string(30, 'd'));
        dir.WriteFile("Data/txt/unused.txt", std::string(1000, 'u'));
    }
    // The bytes of the files the timelines name.
    int NamedTotal() const { return static_cast<int>(demo.size() + part.size()) + 100 + 50 + 30; }
};

const std::string kPack = "python3 '" + rvTest::SourcePath("tools/pack-data") + "' --root . --no-assets";

// The progress table's total, read with unzip.
int TableTotal()
{
    const std::string table = Output(
        "unzip -p -P 'Nine grey herons wait beside the river.' Data/Morvane-ZQ4.sts Data/csv/zq4out.csv");
    return rvTest::ProgressTotalOf(table);
}

int Count(const std::string& text, const std::string& what)
{
    int n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        ++n;
    return n;
}
} // namespace

TEST(PackData, EncryptsEveryEntryAndCountsTheStartupReads)
{
    RV_SKIP_IF_DATA_PACK_IN_USE();
    rvTest::TempWorkDir dir;
    const DataTree tree(dir);
    const int expected = tree.NamedTotal();

    const std::string& pack = kPack;
    ASSERT_EQ(std::system(pack.c_str()), 0);
    const std::string archive = "Data/Morvane-ZQ4.sts";
    ASSERT_TRUE(std::filesystem::exists(archive));

    // unzip sees every entry encrypted.
    std::istringstream names(Output("unzip -Z1 " + archive));
    std::vector<std::string> entries;
    for (std::string line; std::getline(names, line);)
        entries.push_back(line);
    ASSERT_EQ(entries.size(), 6u);
    EXPECT_EQ(
        Count(Output("unzip -Z -v " + archive), "file security status:                           encrypted"),
        6);

    // The reader mounts it: without the password suffix nothing opens, with it everything reads.
    rvDataPack* reader = rvDataPack::GetInstance();
    ASSERT_TRUE(reader->IsMounted());
    for (const std::string& name : entries)
    {
        EXPECT_EQ(PHYSFS_openRead(name.c_str()), nullptr) << name;
        std::vector<char> v;
        EXPECT_TRUE(reader->ReadInto(name, v)) << name;
        if (name == "Data/seq/part.seq")
        {
            EXPECT_EQ(std::string(v.begin(), v.end()), tree.part);
        }
    }
    FILE* table = reader->OpenAsFILE("Data/csv/zq4out.csv");
    ASSERT_TRUE(table);
    rvLoader::_nTotal = 0;
    rvLoader::AddTable(table);
    std::fclose(table);
    EXPECT_EQ(rvLoader::_nTotal, expected);
    EXPECT_EQ(TableTotal(), expected);

    // Nothing changed: the archive is left alone. Rebuilt from scratch: the same bytes.
    const auto stamp = std::filesystem::last_write_time(archive);
    const std::string bytes = dir.ReadFile(archive);
    ASSERT_EQ(std::system(pack.c_str()), 0);
    EXPECT_EQ(std::filesystem::last_write_time(archive), stamp);
    std::filesystem::remove(archive);
    ASSERT_EQ(std::system(pack.c_str()), 0);
    EXPECT_EQ(dir.ReadFile(archive), bytes);
}

// A recording of a real loading pass counts what the player read, at the files' current
// sizes, while the timelines stay as they were recorded; then the named files count again.
TEST(PackData, RecordedReadsMakeTheTableWhileTheTimelinesMatch)
{
    RV_SKIP_IF_DATA_PACK_IN_USE();
    rvTest::TempWorkDir dir;
    const DataTree tree(dir);
    std::string digest = Output(kPack + " --timeline-digest");
    digest.erase(digest.find_last_not_of("\n") + 1);
    ASSERT_EQ(digest.size(), 64u);
    dir.WriteFile("Data/csv/startup-reads.csv", "# timelines " + digest +
                                                    "\n./Data/seq/_DemoFull_.seq;1;archive\n"
                                                    "Data\\svg\\a.svg;1;archive\n"
                                                    "Data/pts.data;1;disk\n"
                                                    "Data/txt/gone.txt;7;archive\n");
    ASSERT_EQ(std::system(kPack.c_str()), 0);
    EXPECT_EQ(TableTotal(), static_cast<int>(tree.demo.size()) + 100 + 30);
    EXPECT_EQ(Output("unzip -Z1 Data/Morvane-ZQ4.sts").find("startup-reads"), std::string::npos);

    dir.WriteFile("Data/seq/part.seq", tree.part + " ");
    ASSERT_EQ(std::system(kPack.c_str()), 0);
    EXPECT_EQ(TableTotal(), tree.NamedTotal() + 1);
}

// Classes that read a fixed file at Init count it without naming it: the atlas text and the
// ocean once per effect, the basic scene's font once (the font manager keeps it), a missing font
// not at all.
TEST(PackData, FixedFilesOfAClassCountAsItsEffectsReadThem)
{
    RV_SKIP_IF_DATA_PACK_IN_USE();
    rvTest::TempWorkDir dir;
    const std::string demo =
        "{ \"Items\" : [ { \"Class\" : \"fxTextStash\", \"Properties\" : { \"Name\" : \"a\" } },\n"
        "{ \"Class\" : \"fxTextStash\", \"Properties\" : { \"Name\" : \"b\" } },\n"
        "{ \"Class\" : \"fxBasicScene\", \"Properties\" : { \"Name\" : \"c\" } },\n"
        "{ \"Class\" : \"fxBasicScene\", \"Properties\" : { \"Name\" : \"d\" } },\n"
        "{ \"Class\" : \"fxOcean\", \"Properties\" : { \"Name\" : \"e\" } } ] }\n";
    dir.WriteFile("Data/seq/_DemoFull_.seq", demo);
    dir.WriteFile("Data/Font/DroidSerif-Regular.ttf", std::string(300, 'f'));
    dir.WriteFile("Data/img/Shadertoy/Pebbles512.png", std::string(40, 'p'));
    ASSERT_EQ(std::system(kPack.c_str()), 0);
    EXPECT_EQ(TableTotal(), static_cast<int>(demo.size()) + 2 * 300 + 40);
    dir.WriteFile("Data/Font/Rudovadov.ttf", std::string(70, 'r'));
    ASSERT_EQ(std::system(kPack.c_str()), 0);
    EXPECT_EQ(TableTotal(), static_cast<int>(demo.size()) + 2 * 300 + 40 + 70);
}

// The model effects count the files they read by a fixed name: the runner from the disk for each
// figure effect, the depth image from the archive, the OBJ scene's material library beside it and
// its camera file from the disk; a model missing from the disk counts nothing.
TEST(PackData, ModelEffectsCountTheirFixedAndNamedFiles)
{
    RV_SKIP_IF_DATA_PACK_IN_USE();
    rvTest::TempWorkDir dir;
    const std::string demo =
        "{ \"Items\" : [ { \"Class\" : \"fxAnimation\", \"Properties\" : { \"Name\" : \"a\" } },\n"
        "{ \"Class\" : \"fxStencilTest\", \"Properties\" : { \"Name\" : \"b\" } },\n"
        "{ \"Class\" : \"fxDepthLine\", \"Properties\" : { \"Name\" : \"c\" } },\n"
        "{ \"Class\" : \"fxObjLoader\", \"Properties\" : { \"Name\" : \"d\", \"OBJ\" : "
        "\"./Data/meshes/3vEdizScene.obj\" } } ] }\n";
    const std::string obj = "mtllib 3vEdizScene.mtl\nv 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n";
    dir.WriteFile("Data/seq/_DemoFull_.seq", demo);
    dir.WriteFile("Data/meshes/3vEdizScene.obj", obj);
    dir.WriteFile("Data/meshes/3vEdizScene.mtl", std::string(40, 'm'));
    dir.WriteFile("Data/depth.data", std::string(500, 'd'));
    dir.WriteFile("Data/meshes/3vEdizCamera.gltf", std::string(90, 'c'));
    ASSERT_EQ(std::system(kPack.c_str()), 0);
    const int named = static_cast<int>(demo.size() + obj.size()) + 40 + 500 + 90;
    EXPECT_EQ(TableTotal(), named);
    dir.WriteFile("Data/meshes/RunningMan.glb", std::string(1000, 'g'));
    ASSERT_EQ(std::system(kPack.c_str()), 0);
    EXPECT_EQ(TableTotal(), named + 2 * 1000);
}
