// Every registered effect class against extreme stored values: each numeric attribute (every
// int, time, enum and float leaf, its class's and its ancestors') is set in turn to 0, -1,
// -1e30, 1e30, NaN, +inf, INT_MIN and INT_MAX, once before Init (a value read from a file) and
// once between frames (a value a driver writes), and the effect is initialised and played for a
// few frames on a small target. The test passes when the process survives every case within
// the table's time and memory budget: a case that stalls or takes memory past the budget ends
// the process naming the case. The classes are spread over a few shards (one test each) so that
// a parallel ctest runs them side by side.
#include "EffectGLTest.h"

#include "Factory/AttribDesc.h"
#include "Factory/Factory.h"
#include "Factory/fxBase.h"
#include "Factory/fxDescriptor.h"
#include "rvSceneDisplay.h"

#include <algorithm>
#include <chrono>
#include <climits>
#include <cmath>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <limits>
#include <mutex>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

namespace
{
const int kW = 96, kH = 54;
const float kStep = 1.f / 30.f;
const int kShards = 8;
// The whole table (every shard one after the other) is given this many seconds, a sanitized build
// four times as many; the classes are not even (the sea alone plays some 150 waves a frame), so a
// shard may take up to a quarter of it. Measured on 8 cores shared with other builds: 120 s in
// all, the slowest shard 34 s (sanitized: 560 s, the slowest shard 257 s).
#if defined(__SANITIZE_ADDRESS__)
const double kTableBudgetSeconds = 4 * 480.0;
#else
const double kTableBudgetSeconds = 480.0;
#endif
const double kShardBudgetSeconds = kTableBudgetSeconds / 4;
// One case (Init and a few frames) that runs longer than this has stalled.
const double kCaseBudgetSeconds = 30.0;
// Resident memory the process may reach at any time (the window, the data archive, the
// largest buffers an effect may make).
const long kMemoryBudgetBytes = 1536L << 20;

const float kInf = std::numeric_limits<float>::infinity();
const float kValues[] = {0.f, -1.f, -1e30f, 1e30f, std::numeric_limits<float>::quiet_NaN(), kInf,
                         float(INT_MIN), float(INT_MAX)};

long ResidentBytes()
{
    long pages = 0, resident = 0;
    FILE* f = std::fopen("/proc/self/statm", "r");
    if (!f) return 0;
    if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2) resident = 0;
    std::fclose(f);
    return resident * sysconf(_SC_PAGESIZE);
}

// Ends the process when the case being run exceeds its time or the memory budget, naming the
// case (a stalled or runaway effect cannot be stopped any other way).
class Watchdog
{
public:
    Watchdog() : _thread([this] { Run(); }) {}
    ~Watchdog()
    {
        {
            std::lock_guard<std::mutex> lock(_mutex);
            _bStop = true;
        }
        _wake.notify_all();
        _thread.join();
    }
    void Begin(const std::string& sCase)
    {
        std::lock_guard<std::mutex> lock(_mutex);
        _sCase = sCase;
        _tStart = std::chrono::steady_clock::now();
    }

private:
    void Run()
    {
        std::unique_lock<std::mutex> lock(_mutex);
        while (!_bStop)
        {
            _wake.wait_for(lock, std::chrono::milliseconds(20));
            const double fSeconds =
                std::chrono::duration<double>(std::chrono::steady_clock::now() - _tStart).count();
            const long nBytes = ResidentBytes();
            if (fSeconds > kCaseBudgetSeconds || nBytes > kMemoryBudgetBytes)
            {
                std::fprintf(stderr, "extreme values: %s: %.1f s, %ld MiB resident: over the budget\n",
                             _sCase.c_str(), fSeconds, nBytes >> 20);
                std::fflush(stderr);
                std::_Exit(3);
            }
        }
    }

    std::mutex _mutex;
    std::condition_variable _wake;
    bool _bStop = false;
    std::string _sCase = "start";
    std::chrono::steady_clock::time_point _tStart = std::chrono::steady_clock::now();
    std::thread _thread;
};

void CollectNumeric(const std::vector<AttribDesc*>& list, std::vector<const AttribDesc*>& out)
{
    for (const AttribDesc* p : list)
    {
        if (p->_eType == TYPE_ARRAY)
        {
            // The count and the first element: the other elements are read the same way.
            std::vector<AttribDesc*> first(p->_apChildren.begin(),
                                           p->_apChildren.begin() + std::min<size_t>(p->_apChildren.size(), 2));
            CollectNumeric(first, out);
        }
        else if (!p->_apChildren.empty())
            CollectNumeric(p->_apChildren, out);
        else if (p->IsInt() || p->IsFloat())
            out.push_back(p);
    }
}

// The numeric leaves of a class, its ancestors' first.
std::vector<const AttribDesc*> NumericAttributes(const fxDescriptor* d)
{
    std::vector<const fxDescriptor*> chain;
    for (; d; d = d->_pParent)
        chain.insert(chain.begin(), d);
    std::vector<const AttribDesc*> out;
    for (const fxDescriptor* c : chain)
        CollectNumeric(c->_apAttribs, out);
    return out;
}

void SetValue(const AttribDesc* p, fxBase* e, float v)
{
    if (p->IsFloat())
        p->SetFloat(e, v);
    else
        p->SetInt(e, AttribDesc::RoundToInt(double(v)));
}

// The values an attribute is set to: every one for a float, each distinct int once for an int.
std::vector<float> ValuesFor(const AttribDesc* p)
{
    std::vector<float> values;
    for (float v : kValues)
        if (p->IsFloat() || !(std::isnan(v) || v == kInf || v == -1e30f || v == 1e30f)) values.push_back(v);
    return values;
}

std::string CaseName(const fxDescriptor* d, const AttribDesc* p, float v, const char* pszWhen)
{
    char sValue[32];
    std::snprintf(sValue, sizeof sValue, "%g", double(v));
    return d->_sClassName + " \"" + p->_sName + "\" = " + sValue + " (" + pszWhen + ")";
}

class ExtremeValues : public rvTest::EffectGLTest<kW, kH>, public ::testing::WithParamInterface<int>
{
protected:
    // One frame of dt: the effect started first when it is not (Init, then its start).
    void Frame(fxBase* e)
    {
        rvSceneDisplay::BeginFrame(this->_window);
        if (e->_eState != State_EffectStarted) e->SetState(State_EffectStarted);
        e->_fPendingDelta = kStep;
        e->Update();
        rvSceneDisplay::PresentFrame(false);
        while (glGetError() != GL_NO_ERROR)
        {
        }
    }

    static fxBase* New(fxDescriptor* d)
    {
        fxBase* e = d->_pfnCreate(d);
        e->_nEnd = 60 * 60;
        return e;
    }
    void Delete(fxBase* e)
    {
        e->SetState(State_DemoStoped);
        delete e;
        rvSceneDisplay::SetCurrentBuffer(nullptr, true);
    }

    // Every case of a class: each value stored before Init (an effect of its own, initialised and
    // played for a frame), then each value written into a running effect (as a driver would: a
    // frame, then the attribute's own value again; one effect for each attribute). An exception
    // that leaves an effect fails the test, naming the case.
    int PlayClass(fxDescriptor* d, Watchdog& watchdog)
    {
        int nCases = 0;
        const std::vector<const AttribDesc*> attribs = NumericAttributes(d);
        auto guarded = [&](const std::string& sCase, auto&& play)
        {
            watchdog.Begin(sCase);
            try
            {
                play();
            }
            catch (const std::exception& x)
            {
                ADD_FAILURE() << sCase << ": " << x.what();
            }
            ++nCases;
        };
        for (const AttribDesc* p : attribs)
            for (float v : ValuesFor(p))
            {
                fxBase* e = New(d);
                guarded(CaseName(d, p, v, "stored"), [&] {
                    SetValue(p, e, v);
                    Frame(e);
                });
                Delete(e);
            }
        for (const AttribDesc* p : attribs)
        {
            fxBase* e = New(d);
            watchdog.Begin(d->_sClassName + " (defaults)");
            Frame(e);
            unsigned char own[4];
            std::memcpy(own, p->ValuePtr(e), sizeof own);
            for (float v : ValuesFor(p))
            {
                guarded(CaseName(d, p, v, "driven"), [&] {
                    SetValue(p, e, v);
                    Frame(e);
                });
                std::memcpy(p->ValuePtr(e), own, sizeof own);
            }
            Delete(e);
        }
        return nCases;
    }
};

TEST_P(ExtremeValues, EveryClassSurvivesEveryNumericAttributeAtEachExtreme)
{
    if (!_window) GTEST_SKIP() << "no display";
    if (!Factory::_pInstance) new Factory();
    Factory::_pInstance->RegisterAll();
    const int nShard = GetParam();
    const auto tStart = std::chrono::steady_clock::now();
    int nClasses = 0, nCases = 0;
    {
        Watchdog watchdog;
        for (fxDescriptor* d : Factory::_pInstance->_apDescriptors)
        {
            if (!d->_pfnCreate || d->_nId % kShards != nShard) continue;
            ++nClasses;
            const auto tClass = std::chrono::steady_clock::now();
            const int n = PlayClass(d, watchdog);
            nCases += n;
            std::printf("  %s: %d cases, %.2f s\n", d->_sClassName.c_str(), n,
                        std::chrono::duration<double>(std::chrono::steady_clock::now() - tClass).count());
        }
    }
    const double fSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - tStart).count();
    std::printf("shard %d: %d classes, %d cases, %.1f s\n", nShard, nClasses, nCases, fSeconds);
    EXPECT_GT(nCases, 0);
    EXPECT_LT(fSeconds, kShardBudgetSeconds);
}

INSTANTIATE_TEST_SUITE_P(Shard, ExtremeValues, ::testing::Range(0, kShards));
} // namespace
