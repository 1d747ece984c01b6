// PlannerThreadTest.cpp - whole planner runs against a scripted host: requests, posts, orders,
// stops.
#include "relay/PlannerThread.h"

#include "context/DispatchContext.h"
#include "platform/RecordingWindow.h"
#include "relay/FakeHost.h"
#include "platform/RelayMessages.h"
#include "ui/SendProgressDialog.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <thread>
#include <vector>

namespace {

using Received = ReceivedMessage;

std::vector<std::string> Orders(const DispatchContext& context) {
    std::vector<std::string> orders;
    for (POSITION pos = context.orders.GetHeadPosition(); pos != nullptr;) {
        orders.push_back(context.orders.GetNext(pos).str());
    }
    return orders;
}

// The progress window as the planner sees it: the dialog object with a recording
// window's handle. The handle is taken back before the dialog goes, so the dialog
// never destroys a window that is not its own.
struct RecordedProgressWindow {
    RecordedProgressWindow() { dialog.m_hWnd = window.CreateHandle(); }
    ~RecordedProgressWindow() { dialog.m_hWnd = nullptr; }

    RecordingWindow window;
    SendProgressDialog dialog;
};

// A six-planet game: the race owns planet 1, where group 7 (three Couriers, speed
// 22.36) stands. Planets 2 and 3 are free and in the group's reach; planet 4 holds
// the idle one-ship Courier group 9 (speed 30.00), from which free planet 5 is in reach.
class PlannerThreadTest : public ::testing::Test {
protected:
    void SetUp() override {
        BindToFakeHost(context);
        context.progressDialog = &progress.dialog;

        host.Answer("List PlanetsNum", {{"Count", "6"}});
        host.Answer("Get Planet #1", {{"Num", "1"}, {"Owner", "Vexari"}});
        host.Answer("Get Race Vexari", {{"Name", "Vexari"}, {"DrivesTech", "1.37"}});
        host.Answer(
            "List PlanetsAndRange #1 #1 54.799999",
            PlanetListReply({{1, "0"}, {2, "0.5"}, {3, "1"}, {4, "-0.5"}, {5, "-0.6"}, {6, "2"}}));
        host.Answer("Get ShipType Courier Vexari", Signature("1.00"));
        host.Answer("Get ShipType Hauler Vexari", Signature("2.00"));
        host.Answer("List ShipTypes", ListReply({"Courier", "Hauler"}));
        host.Answer(
            "List PlanetsAndRange #1 #1 22.360000",
            PlanetListReply({{1, "0.000000"}, {2, "0.500000"}, {3, "1.000000"}, {4, "-0.500000"}}));
        host.Answer("List Groups #4 Vexari", ListReply({"9"}));
        host.Answer("Get Group 9", {{"Name", "Courier"}, {"Count", "1"}, {"Speed", "30.00"}});
        host.Answer("List PlanetsAndRange #4 #1 29.999999",
                    PlanetListReply({{1, "3.141593"}, {4, "0.000000"}, {5, "2.000000"}}));
    }

    static FakeHost::Reply Signature(const char* drives) {
        return {{"Drives", drives},
                {"Weapons", "0.00"},
                {"Ammo", "0"},
                {"Cargo", "0.00"},
                {"Shields", "0.00"}};
    }

    std::vector<Received> RunAndPump() {
        PlannerThread(&context);
        PumpPending();
        return window.received;
    }

    FakeHost host;
    DispatchContext context;
    RecordedProgressWindow progress;
    RecordingWindow& window = progress.window;
};

const Received kStep{WM_RELAY_STEP, 0, 0};
const Received kDone{WM_COMMAND, IDOK, 0};
Received Range(WPARAM legs) {
    return {WM_RELAY_RANGE, legs, 0};
}

TEST_F(PlannerThreadTest, DirectSendsComeBeforeTheRelayedChain) {
    const std::vector<Received> posts = RunAndPump();

    // Legs keyed 500 (planet 2's direction), 1000 (3) and 5782 (4): the first two
    // take planets 2 and 3; the third finds both taken and relays through 4 to 5.
    EXPECT_EQ((std::vector<std::string>{"SendGroup", "7 #2 1", "7 #3 1", "7 #4 1", "9 #5 1"}),
              Orders(context));
    EXPECT_EQ((std::vector<Received>{Range(3), kStep, kStep, kStep, Range(3), kStep, kStep, kStep,
                                     Range(3), kDone}),
              posts);
    EXPECT_EQ(
        (std::vector<std::string>{
            "List PlanetsNum",
            "Get Planet #6",
            "Get Planet #5",
            "Get Planet #4",
            "Get Planet #3",
            "Get Planet #2",
            "Get Planet #1",
            "Get Race Vexari",
            "List PlanetsAndRange #1 #1 54.799999",
            "Get ShipType Courier Vexari",
            "List ShipTypes",
            "Get ShipType Hauler Vexari",
            "Get ShipType Courier Vexari",
            "List PlanetsAndRange #1 #1 22.360000",
            // pass 1, leg 500: planet 2 is free
            "List PlanetsAndRange #1 #1 22.360000",
            "List Groups #2 Vexari",
            // leg 1000: planet 3 is free
            "List PlanetsAndRange #1 #1 22.360000",
            "List Groups #3 Vexari",
            // leg 5782: planet 4 holds a Courier, so no destination; it is a relay
            "List PlanetsAndRange #1 #1 22.360000",
            "List Groups #4 Vexari",
            "Get Group 9",
            "List Groups #4 Vexari",
            "Get Group 9",
            "Get Group 9",
            // pass 2: only the relay hop at 4 asks (3000 hundredths read 29.999999); it ends at 5
            "List PlanetsAndRange #4 #1 29.999999",
            "List Groups #5 Vexari",
        }),
        host.Texts());
    EXPECT_EQ(0, context.shipCount);
    EXPECT_EQ(6, context.reachablePlanets.GetCount());
}

TEST_F(PlannerThreadTest, MoreShipsThanListedPlanetsMakeOneLegPerPlanet) {
    context.shipCount = 10;
    const std::vector<Received> posts = RunAndPump();
    EXPECT_EQ(6, context.shipCount);
    ASSERT_FALSE(posts.empty());
    EXPECT_EQ(Range(4), posts.front());
    EXPECT_EQ(kDone, posts.back());
    // The leg keyed 0 takes planet 2, 500 takes 3, 1000 relays via 4, and 5782 is dropped.
    EXPECT_EQ((std::vector<std::string>{"SendGroup", "7 #2 1", "7 #3 1", "7 #4 1", "9 #5 1"}),
              Orders(context));
}

TEST_F(PlannerThreadTest, NoShipsMeansNoLegsAndTwoEmptyRanges) {
    context.shipCount = 0;
    EXPECT_EQ((std::vector<Received>{Range(0), Range(0), kDone}), RunAndPump());
    EXPECT_EQ(std::vector<std::string>{"SendGroup"}, Orders(context));
}

TEST_F(PlannerThreadTest, NegativeShipCountSendsNothing) {
    context.shipCount = -4;
    EXPECT_EQ((std::vector<Received>{Range(0), Range(0), kDone}), RunAndPump());
    EXPECT_EQ(-4, context.shipCount);
}

TEST_F(PlannerThreadTest, RaceWithoutPlanetsDropsEveryLegAndStillCompletes) {
    host.Answer("Get Planet #1", {{"Num", "1"}, {"Owner", "vexari"}});
    // The first pass drops all three legs, so a second, empty pass ends the relaxation.
    EXPECT_EQ((std::vector<Received>{Range(3), kStep, kStep, kStep, Range(0), Range(0), kDone}),
              RunAndPump());
    EXPECT_EQ(0, context.reachablePlanets.GetCount());
    EXPECT_EQ(std::vector<std::string>{"SendGroup"}, Orders(context));
}

TEST_F(PlannerThreadTest, RangeWalkEndsAtTheFirstAnswerListingEveryPlanet) {
    // The race owns 1, 3 and 5; planet 1's answer lists 3 of 6, planet 3's all 6.
    host.Answer("Get Planet #3", {{"Owner", "Vexari"}});
    host.Answer("Get Planet #5", {{"Owner", "Vexari"}});
    host.Answer("List PlanetsAndRange #1 #1 54.799999", PlanetListReply({{1, "0"}, {2, "1"}}));
    host.Answer("List PlanetsAndRange #3 #3 54.799999",
                PlanetListReply({{1, "0"}, {2, "0"}, {3, "0"}, {4, "0"}, {5, "0"}, {6, "0"}}));
    RunAndPump();
    std::vector<std::string> rangeQueries;
    for (const std::string& text : host.Texts()) {
        if (text.ends_with("54.799999")) {
            rangeQueries.push_back(text);
        }
    }
    EXPECT_EQ((std::vector<std::string>{"List PlanetsAndRange #1 #1 54.799999",
                                        "List PlanetsAndRange #3 #3 54.799999"}),
              rangeQueries);
}

TEST_F(PlannerThreadTest, QueriesCarryTheSinglePrecisionNumbers) {
    struct Row {
        const char* drivesTech;
        std::int32_t minSpeed;
        const char* driveQuery;
        const char* speedQuery;
    };
    const std::vector<Row> rows{
        {"1.37", 2236, "List PlanetsAndRange #1 #1 54.799999",
         "List PlanetsAndRange #1 #1 22.360000"},
        {"1.37", 2237, "List PlanetsAndRange #1 #1 54.799999",
         "List PlanetsAndRange #1 #1 22.369999"},
        {"2.5", 12345, "List PlanetsAndRange #1 #1 100.000000",
         "List PlanetsAndRange #1 #1 123.449997"},
    };
    for (std::size_t i = 0; i < rows.size(); ++i) {
        host.requests.clear();
        host.Answer("Get Race Vexari", {{"DrivesTech", rows[i].drivesTech}});
        context.minSpeed = rows[i].minSpeed;
        context.shipCount = 0;
        PlannerThread(&context);
        const std::vector<std::string> texts = host.Texts();
        EXPECT_NE(texts.end(), std::find(texts.begin(), texts.end(), rows[i].driveQuery))
            << "row " << i;
        EXPECT_EQ(rows[i].speedQuery, texts.back()) << "row " << i;
    }
}

TEST_F(PlannerThreadTest, StopBeforeTheRunLeavesEverythingAsItWas) {
    context.orders.AddTail("from an earlier run");
    context.stopRequested = 1;
    EXPECT_TRUE(RunAndPump().empty());
    EXPECT_TRUE(host.requests.empty());
    EXPECT_EQ(std::vector<std::string>{"from an earlier run"}, Orders(context));
}

TEST_F(PlannerThreadTest, StopAtEachCheckEndsTheRunWithoutCompletion) {
    struct Row {
        const char* raiseAfter;      // the stop flag goes up while this request is answered
        int occurrence;              // ... on its n-th time
        std::size_t requests;        // requests sent in all
        std::vector<Received> posts; // what reached the window
        std::int32_t shipCount;
    };
    const std::vector<Row> rows{
        {"List PlanetsNum", 1, 1, {}, 3},                       // before "Get Planet #6"
        {"Get Race Vexari", 1, 8, {}, 3},                       // before a range query
        {"List PlanetsAndRange #1 #1 54.799999", 1, 9, {}, 3},  // before a planet entry
        {"List ShipTypes", 1, 11, {}, 3},                       // before a type's query
        {"List PlanetsAndRange #1 #1 22.360000", 1, 14, {}, 3}, // before a first leg
        {"List Groups #2 Vexari", 1, 16, {Range(3), kStep}, 0}, // before an Extend
        {"Get Group 9", 3, 24, {Range(3), kStep, kStep, kStep, Range(3)}, 0}, // next pass
        {"List Groups #5 Vexari",
         1,
         26,
         {Range(3), kStep, kStep, kStep, Range(3), kStep, kStep, kStep, Range(3), kDone},
         0}, // too late: completes
    };
    for (std::size_t i = 0; i < rows.size(); ++i) {
        host.requests.clear();
        window.received.clear();
        context.stopRequested = 0;
        context.shipCount = 3;
        context.reachablePlanets.RemoveAll();
        int seen = 0;
        host.beforeAnswer = [&](const std::string& text) {
            if (text == rows[i].raiseAfter && ++seen == rows[i].occurrence) {
                context.stopRequested = 1;
            }
        };
        EXPECT_EQ(rows[i].posts, RunAndPump()) << "row " << i;
        EXPECT_EQ(rows[i].requests, host.requests.size()) << "row " << i;
        EXPECT_EQ(rows[i].shipCount, context.shipCount) << "row " << i;
        const bool completed = !rows[i].posts.empty() && rows[i].posts.back() == kDone;
        if (!completed) {
            EXPECT_EQ(std::vector<std::string>{"SendGroup"}, Orders(context)) << "row " << i;
        }
    }
}

TEST_F(PlannerThreadTest, GarbageAnswersNeitherHangNorReachBeyondThePlanets) {
    // Counts far beyond the entries present, entries that name no planet or one beyond
    // the game's six, text where numbers belong.
    host.Answer("List PlanetsAndRange #1 #1 54.799999", {{"Count", "2147483647"},
                                                         {"Planet.1", "#"},
                                                         {"Planet.2", "#999"},
                                                         {"Planet.3", "#0"},
                                                         {"Planet.4", "#-1"},
                                                         {"Planet.5", "#2"}});
    host.Answer("List ShipTypes", {{"Count", "-3"}, {"1", "Courier"}});
    host.Answer("List PlanetsAndRange #1 #1 22.360000",
                {{"Count", "99999999999"}, {"Angle.1", "lots"}, {"Angle.2", "1e300"}});
    context.shipCount = 1000000;

    const std::vector<Received> posts = RunAndPump();
    ASSERT_FALSE(posts.empty());
    EXPECT_EQ(kDone, posts.back());
    EXPECT_EQ(1, context.reachablePlanets.GetCount()) << "only planet 2 is a planet number";
    EXPECT_LT(host.requests.size(), 200u);
    EXPECT_EQ(std::vector<std::string>{"SendGroup"}, Orders(context));
}

TEST_F(PlannerThreadTest, ImpossiblePlanetCountReadsAsNoPlanets) {
    const std::vector<const char*> counts{"2147483647", "16777217", "-6", "six"};
    for (std::size_t i = 0; i < counts.size(); ++i) {
        host.requests.clear();
        window.received.clear();
        context.shipCount = 3;
        host.Answer("List PlanetsNum", {{"Count", counts[i]}});
        const std::vector<Received> posts = RunAndPump();
        ASSERT_FALSE(posts.empty()) << "row " << i;
        EXPECT_EQ(kDone, posts.back()) << "row " << i;
        EXPECT_LT(host.requests.size(), 30u) << "row " << i;
        EXPECT_EQ(std::vector<std::string>{"SendGroup"}, Orders(context)) << "row " << i;
    }
}

TEST_F(PlannerThreadTest, PostsAreDroppedOnceTheWindowIsGone) {
    DestroyWindow(progress.dialog.m_hWnd);
    window.received.clear(); // WM_DESTROY
    EXPECT_TRUE(RunAndPump().empty());
    context.progressDialog = nullptr;
    context.shipCount = 3;
    EXPECT_TRUE(RunAndPump().empty());
    EXPECT_EQ((std::vector<std::string>{"SendGroup", "7 #2 1", "7 #3 1", "7 #4 1", "9 #5 1"}),
              Orders(context));
}

TEST_F(PlannerThreadTest, NullContextIsRefused) {
    EXPECT_EQ(0u, PlannerThread(nullptr));
}

TEST(PlannerWorkerTest, WorkerPostsToAWindowPumpedByAnotherThread) {
    FakeHost host;
    DispatchContext context;
    BindToFakeHost(context, 1000, 40);
    // Forty planets around the source, all free and all in range.
    std::vector<std::pair<int, std::string>> around;
    for (int p = 1; p <= 40; ++p) {
        around.emplace_back(p, std::to_string(p * 0.15));
    }
    host.Answer("List PlanetsNum", {{"Count", "40"}});
    host.Answer("Get Planet #1", {{"Owner", "Vexari"}});
    host.Answer("Get Race Vexari", {{"DrivesTech", "1"}});
    host.Answer("List PlanetsAndRange #1 #1 40.000000", PlanetListReply(around));
    host.Answer("List PlanetsAndRange #1 #1 10.000000", PlanetListReply(around));

    RecordedProgressWindow progress;
    RecordingWindow& window = progress.window;
    context.progressDialog = &progress.dialog;

    std::thread worker([&context] { PlannerThread(&context); });
    const bool completed = PumpUntil(
        [&window] { return !window.received.empty() && window.received.back() == kDone; });
    worker.join();
    ASSERT_TRUE(completed);
    EXPECT_EQ(Range(40), window.received.front());
    EXPECT_EQ(40, context.orders.GetCount()) << "SendGroup and one order per free planet";
}

} // namespace
