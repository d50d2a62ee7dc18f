// The data file reader. PhysicsFS mounts the archive once per process, so every
// scenario that mounts is its own TEST (ctest runs each TEST in its own process).
#include "ArchiveFixture.h"
#include "DataPackGuard.h"
#include "Loader/rvDataPack.h"

#include <physfs.h>
#include <sys/resource.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <cstring>
#include <memory>

namespace
{
std::string AsString(const uint8_t* p, int n)
{
    return std::string(reinterpret_cast<const char*>(p), static_cast<size_t>(n));
}

std::string ReadStream(FILE* f)
{
    std::string s;
    char buf[256];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof(buf), f)) > 0)
        s.append(buf, n);
    return s;
}

// Text that zip deflates (the readers get encrypted, compressed entries).
std::string LongText()
{
    std::string s;
    for (int i = 0; i < 200; ++i)
        s += "line " + std::to_string(i) + " of a compressible text\n";
    return s;
}
// Sets the uncompressed size the archive records for one entry, in its local header and in the
// central directory (as a hostile archive would).
void SetDeclaredSize(std::string& zip, const std::string& name, uint32_t size)
{
    struct
    {
        std::string sig;
        size_t nameLength, name, uncompressed;
    } const headers[] = {{std::string("PK\x03\x04", 4), 26, 30, 22}, {std::string("PK\x01\x02", 4), 28, 46, 24}};
    for (const auto& h : headers)
    {
        bool found = false;
        for (size_t at = zip.find(h.sig); at != std::string::npos && !found; at = zip.find(h.sig, at + 1))
        {
            uint16_t n = 0;
            std::memcpy(&n, &zip[at + h.nameLength], 2);
            if (zip.compare(at + h.name, n, name) != 0) continue;
            std::memcpy(&zip[at + h.uncompressed], &size, 4);
            found = true;
        }
        ASSERT_TRUE(found) << name;
    }
}

// The most memory this process has held so far, in bytes.
int64_t PeakBytes()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return int64_t(usage.ru_maxrss) * 1024;
}

// Reads an entry that declares 1.58 GB but holds a few bytes, in every way the reader offers:
// each read fails, and none of them holds the declared size in memory first.
void ExpectLyingEntryFailsCheaply(const char* path)
{
    rvDataPack* pack = rvDataPack::GetInstance();
    ASSERT_TRUE(pack->IsMounted());
    ASSERT_EQ(PHYSFS_exists(path), 1);
    const int64_t before = PeakBytes();
    int size = -1;
    std::unique_ptr<uint8_t[]> bytes(pack->ReadAll(path, size));
    EXPECT_FALSE(bytes);
    EXPECT_EQ(size, 0);
    std::vector<char> v = {'x'};
    EXPECT_FALSE(pack->ReadInto(path, v));
    EXPECT_EQ(v, std::vector<char>{'x'});
    EXPECT_EQ(pack->OpenAsFILE(path), nullptr);
    EXPECT_LT(PeakBytes() - before, int64_t(64) << 20);
}

constexpr uint32_t kLyingSize = 1580000000u;
} // namespace

TEST(DataPack, NormalizePathDropsOneLeadingDotAndTurnsBackslashes)
{
    RV_SKIP_IF_DATA_PACK_IN_USE();
    const std::pair<std::string, std::string> cases[] = {
        {"./Data/seq/a.seq", "/Data/seq/a.seq"},
        {".\\Data\\seq\\a.seq", "/Data/seq/a.seq"},
        {"Data\\Font\\a.ttf", "Data/Font/a.ttf"},
        {"Data/Font/a.ttf", "Data/Font/a.ttf"},
        {"../x", "./x"},
        {".", ""},
        {"", ""},
    };
    for (const auto& [in, want] : cases)
    {
        std::string p = in;
        rvDataPack::NormalizePath(p);
        EXPECT_EQ(p, want) << "input: " << in;
    }
}

TEST(DataPackMount, SpellingsOfAPathReadTheSameEntry)
{
    RV_SKIP_IF_DATA_PACK_IN_USE();
    rvTest::TempWorkDir dir;
    ASSERT_TRUE(rvTest::BuildArchive(dir, {{"Data/Font/a.ttf", "font bytes"}}));
    rvDataPack* pack = rvDataPack::GetInstance();
    ASSERT_TRUE(pack->IsMounted());
    EXPECT_EQ(pack, rvDataPack::GetInstance());

    for (const char* path :
         {"./Data/Font/a.ttf", "Data\\Font\\a.ttf", "Data/Font/a.ttf", ".\\Data\\Font\\a.ttf"})
    {
        int size = -1;
        std::unique_ptr<uint8_t[]> bytes(pack->ReadAll(path, size));
        ASSERT_TRUE(bytes) << path;
        EXPECT_EQ(AsString(bytes.get(), size), "font bytes") << path;
    }
    for (const char* path : {"", ".", "../Data/Font/a.ttf", "Data/Font/b.ttf", "Data/Font"})
    {
        int size = -1;
        std::unique_ptr<uint8_t[]> bytes(pack->ReadAll(path, size));
        EXPECT_FALSE(bytes) << path;
        EXPECT_EQ(size, 0) << path;
    }
}

TEST(DataPackMount, EncryptedEntriesNeedThePasswordSuffix)
{
    RV_SKIP_IF_DATA_PACK_IN_USE();
    rvTest::TempWorkDir dir;
    const std::string text = LongText();
    ASSERT_TRUE(rvTest::BuildArchive(dir, {{"Data/txt/a.txt", text}, {"Data/txt/empty.txt", ""}}));
    rvDataPack* pack = rvDataPack::GetInstance();
    ASSERT_TRUE(pack->IsMounted());
    EXPECT_EQ(pack->_sPassword, rvTest::kArchivePassword);

    // Without the suffix PhysicsFS refuses the encrypted entry; with it, it decrypts.
    EXPECT_EQ(PHYSFS_openRead("Data/txt/a.txt"), nullptr);
    std::vector<char> v;
    ASSERT_TRUE(pack->ReadInto("Data/txt/a.txt", v));
    EXPECT_EQ(std::string(v.begin(), v.end()), text);

    FILE* f = pack->OpenAsFILE("./Data/txt/a.txt");
    ASSERT_TRUE(f);
    EXPECT_EQ(ReadStream(f), text);
    std::fclose(f);

    // An empty entry is an empty array and an empty stream, not a failure.
    int size = -1;
    std::unique_ptr<uint8_t[]> bytes(pack->ReadAll("Data/txt/empty.txt", size));
    EXPECT_TRUE(bytes);
    EXPECT_EQ(size, 0);
    f = pack->OpenAsFILE("Data/txt/empty.txt");
    ASSERT_TRUE(f);
    EXPECT_EQ(ReadStream(f), "");
    std::fclose(f);
}

TEST(DataPackMount, WrongPasswordFailsCleanly)
{
    RV_SKIP_IF_DATA_PACK_IN_USE();
    rvTest::TempWorkDir dir;
    ASSERT_TRUE(rvTest::BuildArchive(dir, {{"Data/txt/a.txt", LongText()}}, "not the password"));
    rvDataPack* pack = rvDataPack::GetInstance();
    ASSERT_TRUE(pack->IsMounted());

    int size = -1;
    std::unique_ptr<uint8_t[]> bytes(pack->ReadAll("Data/txt/a.txt", size));
    EXPECT_FALSE(bytes);
    EXPECT_EQ(size, 0);
    std::vector<uint8_t> v = {1, 2, 3};
    EXPECT_FALSE(pack->ReadInto("Data/txt/a.txt", v));
    EXPECT_EQ(v, (std::vector<uint8_t>{1, 2, 3}));
    EXPECT_EQ(pack->OpenAsFILE("Data/txt/a.txt"), nullptr);
}

TEST(DataPackMount, MissingEntryLeavesTheVectorUntouched)
{
    RV_SKIP_IF_DATA_PACK_IN_USE();
    rvTest::TempWorkDir dir;
    ASSERT_TRUE(rvTest::BuildArchive(dir, {{"Data/txt/a.txt", "abc"}}));
    rvDataPack* pack = rvDataPack::GetInstance();
    std::vector<uint8_t> v = {9, 8, 7};
    EXPECT_FALSE(pack->ReadInto("Data/txt/missing.txt", v));
    EXPECT_EQ(v, (std::vector<uint8_t>{9, 8, 7}));
    std::vector<char> c = {'x'};
    EXPECT_FALSE(pack->ReadInto("", c));
    EXPECT_EQ(c, std::vector<char>{'x'});
    EXPECT_EQ(pack->OpenAsFILE("Data/txt/missing.txt"), nullptr);
}

TEST(DataPackMount, ForceOSReadsTheDiskAndNeverFallsBack)
{
    RV_SKIP_IF_DATA_PACK_IN_USE();
    rvTest::TempWorkDir dir;
    ASSERT_TRUE(rvTest::BuildArchive(dir, {{"Data/only-in-archive.txt", "archive"}}));
    dir.WriteFile("Data/x.data", "disk bytes");
    rvDataPack* pack = rvDataPack::GetInstance();
    ASSERT_TRUE(pack->IsMounted());

    int size = -1;
    std::unique_ptr<uint8_t[]> bytes(pack->ReadAll("./Data/x.data", size, true));
    ASSERT_TRUE(bytes);
    EXPECT_EQ(AsString(bytes.get(), size), "disk bytes");

    // The disk path is used exactly as given: no normalisation.
    bytes.reset(pack->ReadAll(".\\Data\\x.data", size, true));
    EXPECT_FALSE(bytes);
    EXPECT_EQ(size, 0);
    // A disk file is never found through the archive, an archive entry never on the disk.
    bytes.reset(pack->ReadAll("Data/x.data", size, false));
    EXPECT_FALSE(bytes);
    std::vector<uint8_t> v = {1};
    EXPECT_FALSE(pack->ReadInto("Data/only-in-archive.txt", v, true));
    EXPECT_EQ(v, std::vector<uint8_t>{1});
    EXPECT_TRUE(pack->ReadInto("Data/only-in-archive.txt", v, false));
    EXPECT_EQ(std::string(v.begin(), v.end()), "archive");
}

TEST(DataPackMount, NoArchiveReadsNothingButTheDiskStillWorks)
{
    RV_SKIP_IF_DATA_PACK_IN_USE();
    rvTest::TempWorkDir dir;
    dir.WriteFile("Data/x.data", "disk");
    rvDataPack* pack = rvDataPack::GetInstance();
    EXPECT_FALSE(pack->IsMounted());
    EXPECT_TRUE(pack->_sPassword.empty());
    std::vector<uint8_t> v = {5};
    EXPECT_FALSE(pack->ReadInto("Data/x.data", v));
    EXPECT_EQ(v, std::vector<uint8_t>{5});
    EXPECT_TRUE(pack->ReadInto("Data/x.data", v, true));
    EXPECT_EQ(v.size(), 4u);
    // The mount is not tried again once the archive appears.
    ASSERT_TRUE(rvTest::BuildArchive(dir, {{"Data/a.txt", "a"}}));
    EXPECT_FALSE(rvDataPack::GetInstance()->ReadInto("Data/a.txt", v));
}

// An entry whose recorded length is longer than what its data inflates to reads short:
// that is a failed read, never a buffer with an uninitialised tail.
TEST(DataPackMount, ShortEntryIsAFailedRead)
{
    RV_SKIP_IF_DATA_PACK_IN_USE();
    rvTest::TempWorkDir dir;
    ASSERT_TRUE(rvTest::BuildArchive(dir, {{"Data/txt/a.txt", LongText()}}));
    std::string zip = dir.ReadFile("Data/Morvane-ZQ4.sts");
    auto bump = [&zip](const std::string& sig, size_t sizeOffset)
    {
        size_t at = zip.find(sig);
        ASSERT_NE(at, std::string::npos);
        uint32_t v;
        std::memcpy(&v, &zip[at + sizeOffset], 4);
        if (v)
        {
            v += 100;
            std::memcpy(&zip[at + sizeOffset], &v, 4);
        }
    };
    bump(std::string("PK\x03\x04", 4), 22); // local header: uncompressed size
    bump(std::string("PK\x01\x02", 4), 24); // central directory: uncompressed size
    dir.WriteFile("Data/Morvane-ZQ4.sts", zip);

    rvDataPack* pack = rvDataPack::GetInstance();
    ASSERT_TRUE(pack->IsMounted());
    ASSERT_EQ(PHYSFS_exists("Data/txt/a.txt"), 1);
    int size = -1;
    std::unique_ptr<uint8_t[]> bytes(pack->ReadAll("Data/txt/a.txt", size));
    EXPECT_FALSE(bytes);
    EXPECT_EQ(size, 0);
    std::vector<uint8_t> v = {1};
    EXPECT_FALSE(pack->ReadInto("Data/txt/a.txt", v));
    EXPECT_EQ(v, std::vector<uint8_t>{1});
    EXPECT_EQ(pack->OpenAsFILE("Data/txt/a.txt"), nullptr);
}

// A tiny archive whose one entry declares far more than the archive could inflate to: refused
// from the declared size alone, before any buffer is made.
TEST(DataPackMount, EntryLongerThanTheArchiveCouldHoldIsRefused)
{
    RV_SKIP_IF_DATA_PACK_IN_USE();
    rvTest::TempWorkDir dir;
    ASSERT_TRUE(rvTest::BuildArchive(dir, {{"Data/a.txt", "abc"}}));
    std::string zip = dir.ReadFile("Data/Morvane-ZQ4.sts");
    ASSERT_LT(zip.size(), 512u);
    SetDeclaredSize(zip, "Data/a.txt", kLyingSize);
    dir.WriteFile("Data/Morvane-ZQ4.sts", zip);
    ExpectLyingEntryFailsCheaply("Data/a.txt");
}

// In an archive large enough that the claim is possible, the read still costs only the bytes that
// arrive; the other entries read whole.
TEST(DataPackMount, EntryThatReadsShortOfAHugeClaimCostsOnlyItsBytes)
{
    RV_SKIP_IF_DATA_PACK_IN_USE();
    rvTest::TempWorkDir dir;
    std::string noise(3u << 20, '\0');
    uint32_t state = 12345;
    for (char& c : noise)
    {
        state = state * 1664525u + 1013904223u;
        c = char(state >> 24);
    }
    ASSERT_TRUE(rvTest::BuildArchive(dir, {{"Data/a.txt", "abc"}, {"Data/noise.bin", noise}}));
    std::string zip = dir.ReadFile("Data/Morvane-ZQ4.sts");
    ASSERT_GT(rvDataPack::MaxEntryBytes(int64_t(zip.size())), int64_t(kLyingSize));
    SetDeclaredSize(zip, "Data/a.txt", kLyingSize);
    dir.WriteFile("Data/Morvane-ZQ4.sts", zip);
    ExpectLyingEntryFailsCheaply("Data/a.txt");
    std::vector<char> v;
    ASSERT_TRUE(rvDataPack::GetInstance()->ReadInto("Data/noise.bin", v));
    EXPECT_TRUE(std::equal(v.begin(), v.end(), noise.begin(), noise.end()));
}
