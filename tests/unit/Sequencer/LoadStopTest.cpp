// A load stopped when asked (rvStop): a signal, or the loading pass's check of the window,
// seen between two effect Inits.
#include "Factory/rvJson.h"
#include "Sequencer/rvSequence.h"
#include "TestClasses.h"
#include "rvStop.h"

#include <gtest/gtest.h>

#include <csignal>
#include <sstream>

namespace
{
Json::Value FiveProbes()
{
    std::vector<std::string> items;
    for (int i = 0; i < 5; ++i)
        items.push_back(ProbeJson("p" + std::to_string(i), 0, 60));
    std::istringstream text(SeqJson(items));
    Json::Value root;
    EXPECT_TRUE(rvJson::Parse(text, &root));
    return root;
}

// The Inits each probe of the timeline ran, in list order.
std::vector<int> Inits(const rvSequence& seq)
{
    std::vector<int> inits;
    for (fxBase* fx : seq._apEffects)
        inits.push_back(static_cast<fxProbe*>(fx)->Count("Init"));
    return inits;
}

int s_nChecks = 0;
int s_nStopAt = 0;
bool StopAtTheNthCheck()
{
    return ++s_nChecks >= s_nStopAt;
}
} // namespace

TEST(LoadStop, TheLoadingCheckStopsTheLoadBetweenTwoInits)
{
    RegisterTestClasses();
    const Json::Value root = FiveProbes();
    struct Case
    {
        int stopAt; // the check that says stop, 1 = the first
        std::vector<int> inits;
    } cases[] = {
        {1, {0, 0, 0, 0, 0}},
        {3, {1, 1, 0, 0, 0}},
        {99, {1, 1, 1, 1, 1}}, // never: every effect is initialised
    };
    for (const Case& c : cases)
    {
        rvStop::Reset();
        s_nChecks = 0;
        s_nStopAt = c.stopAt;
        rvStop::pfnLoadingCheck = &StopAtTheNthCheck;
        rvSequence seq(false);
        seq.LoadItems(root, true);
        EXPECT_EQ(Inits(seq), c.inits) << "stop at check " << c.stopAt;
        // Once it said stop, it is not asked again: the stop holds for the rest of the load.
        EXPECT_EQ(s_nChecks, std::min(c.stopAt, 5)) << "stop at check " << c.stopAt;
        EXPECT_EQ(rvStop::Requested(), c.stopAt <= 5);
        rvStop::pfnLoadingCheck = nullptr;
        seq.Clear(); // drives down only what was started
    }
    rvStop::Reset();
}

TEST(LoadStop, SigtermIsNotedAndStopsTheLoad)
{
    RegisterTestClasses();
    const Json::Value root = FiveProbes();
    rvStop::Reset();
    rvStop::InstallSignalHandlers();
    EXPECT_EQ(rvStop::Signal(), 0);
    std::raise(SIGTERM); // noted, not fatal
    EXPECT_EQ(rvStop::Signal(), SIGTERM);
    std::raise(SIGINT); // the first signal is the one kept
    EXPECT_EQ(rvStop::Signal(), SIGTERM);
    EXPECT_EQ(rvStop::ExitStatusForSignal(rvStop::Signal()), 143);
    EXPECT_EQ(rvStop::ExitStatusForSignal(SIGINT), 130);
    rvSequence seq(false);
    seq.LoadItems(root, true);
    EXPECT_EQ(Inits(seq), std::vector<int>(5, 0));
    seq.Clear();
    // A second signal of a kind gets the default action again (here: set back by hand).
    struct sigaction now = {};
    sigaction(SIGTERM, nullptr, &now);
    EXPECT_EQ(now.sa_handler, SIG_DFL);
    std::signal(SIGINT, SIG_DFL);
    rvStop::Reset();
}
