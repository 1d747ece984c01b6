// PluginSessionTest.cpp - a run of the scripted test module in process: faults in the host's own
// answering are counted in the run's outcome, and the run goes on.
#include "session/PluginSession.h"

#include "galaxy/DemoGalaxy.h"
#include "galaxy/GalaxyFile.h"
#include "session/CallTrace.h"
#include "session/PluginLoad.h"
#include "session/PluginModule.h"

#include <gtest/gtest.h>

#include <ios>
#include <ostream>
#include <streambuf>

namespace {

/// A stream buffer that takes nothing: a trace written into it fails at its first line.
class RefusingBuffer : public std::streambuf {
protected:
    int_type overflow(int_type) override { return traits_type::eof(); }
    std::streamsize xsputn(const char*, std::streamsize) override { return 0; }
};

host::RunOutcome RunTestModule(host::CallTrace* trace) {
    host::PluginLoad load(host::PluginModule::Load(TARVENIX_TEST_PLUGIN));
    host::Galaxy galaxy = host::ParseGalaxyJson(host::DemoGalaxyJson(), host::kDemoGalaxyName);
    host::RunSettings settings;
    settings.trace = trace;
    host::PluginSession session(load, galaxy, settings);
    return session.RunCommand();
}

TEST(PluginSessionTest, AnsweringFaultsAreCountedAndTheRunGoesOn) {
    const host::RunOutcome clean = RunTestModule(nullptr);
    ASSERT_GT(clean.queries, 0);
    EXPECT_EQ(clean.answerFaults, 0);

    // A trace line that cannot be written throws inside the callback, after the answer.
    RefusingBuffer refusing;
    std::ostream refusingStream(&refusing);
    refusingStream.exceptions(std::ios::badbit);
    host::CallTrace failingTrace(refusingStream);
    const host::RunOutcome faulted = RunTestModule(&failingTrace);

    EXPECT_EQ(faulted.answerFaults, faulted.queries + faulted.addRequests);
    EXPECT_EQ(faulted.queries, clean.queries);
    ASSERT_EQ(faulted.orders.size(), clean.orders.size());
    EXPECT_TRUE(faulted.EndedAsMeant());
}

} // namespace
