// PlannerAnswersFuzzer.cpp - the command and the planner against host answers made from the fuzzer's bytes.
//
// The host here is the real answerer on the demo galaxy, with the fuzzer's
// bytes deciding, request by request, whether the answer is the true one, the
// true one with a few keys overwritten, one made wholly of the bytes (reply
// keys with values drawn from the protocol's words, numbers, designations,
// angles or raw text, then list entries) or an empty one. Once the bytes run
// out every answer is the true one, so a run can go deep into the planner and
// still end. The plug-in built into this program runs its whole command: the
// selection queries on this thread, then the planner on its worker behind the
// progress window, which this harness pumps (and cancels after a number of
// steps the bytes choose). The run must end, ask no more than its cap of
// queries, and submit at most one "Add" of well-formed orders.
#include "fuzz/Failure.h"
#include "fuzz/InProcessPlugin.h"
#include "fuzz/ProtocolWords.h"

#include "galaxy/DemoGalaxy.h"
#include "galaxy/Galaxy.h"
#include "galaxy/GalaxyFile.h"
#include "answer/QueryAnswerer.h"
#include "platform/CMapStringToString.h"
#include "platform/MapEntries.h"
#include "platform/Window.h"
#include "plugin/PluginApp.h"
#include "plugin/PluginInstance.h"
#include "platform/RelayMessages.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

namespace {

// A "Count" the bytes make is a number of at most this many planets or entries (or a text
// that is no such number), and one made-up answer holds at most this many list entries.
constexpr std::int32_t kMostEntries = 64;

// The cap on queries, a hang detector. The true answers alone plan the demo galaxy in 176
// queries. An answer the bytes change can lengthen at most the walk that reads it: the
// entries its map holds (a list of the demo galaxy's 46 planets, or at most 64 made-up
// entries, with their angles and the request's keys: under 256), each of which costs at most
// a group list and the details of every group on one planet (fewer than 32 groups, orders
// included), and a relay hop's own walk: under 256 x 40 = 10240 queries. Every changed
// answer costs at least one byte, so an input of n bytes may ask 2 000 + 10 240 n queries;
// a run past that loops. The fuzzing so far never saw more than 198 queries in one run.
constexpr std::int64_t kQueriesWithoutAnswers = 2000;
constexpr std::int64_t kQueriesPerAnswer = 10240;
// "Count" texts that are not plain counts: signs, blanks, suffixes, and numbers too large
// for 32 bits (read as the largest, which the planner takes for no planets at all).
constexpr std::string_view kOddCounts[] = {"", "x", " 3", "+3", "-0", "3.5", "2147483648", "99999999999",
                                           "-2147483649", "1e308"};
constexpr std::string_view kNames[] = {"Solvani", "Long Courier", "Hearth", "Brisk", "In orbit", "In space",
                                       "Lantern Reach"};

const host::Galaxy& DemoGalaxy() {
    static const host::Galaxy galaxy = host::ParseGalaxyJson(host::DemoGalaxyJson(), host::kDemoGalaxyName);
    return galaxy;
}

class ScriptedHost {
public:
    ScriptedHost(const std::uint8_t* data, std::size_t size)
        : bytes_(data, size), cap_(kQueriesWithoutAnswers + kQueriesPerAnswer * static_cast<std::int64_t>(size)),
          galaxy_(DemoGalaxy()), answerer_(galaxy_) {
        answerer_.SetSelectionId(galaxy_.SelectedGroup().number);
        current_ = this;
    }
    ~ScriptedHost() { current_ = nullptr; }
    ScriptedHost(const ScriptedHost&) = delete;
    ScriptedHost& operator=(const ScriptedHost&) = delete;

    static void Callback(CMapStringToString& request) { current_->Handle(request); }

    FuzzedDataProvider& Bytes() { return bytes_; }
    const host::Galaxy& TheGalaxy() const { return galaxy_; }

private:
    void Handle(CMapStringToString& request) {
        CString function;
        request.Lookup("Function", function);
        if (function == "Add") {
            CheckAdd(request);
            return;
        }
        if (++queries_ > cap_) {
            fuzz::Fail("more than " + std::to_string(cap_) + " queries; the last: " +
                       platform_test::RequestText(platform_test::Entries(request)));
        }
        switch (bytes_.remaining_bytes() == 0 ? 0 : bytes_.ConsumeIntegralInRange(0, 3)) {
        case 0: answerer_.Answer(request); break;
        case 1:
            answerer_.Answer(request);
            ChangeSomeKeys(request);
            break;
        case 2: MakeUpAnswer(request); break;
        default: break; // an empty reply, as for a request the host does not know
        }
    }

    void ChangeSomeKeys(CMapStringToString& request) {
        const int changes = bytes_.ConsumeIntegralInRange(1, 3);
        for (int c = 0; c < changes; ++c) {
            std::string key;
            switch (bytes_.ConsumeIntegralInRange(0, 3)) {
            case 0: key = fuzz::PickWord(bytes_, fuzz::kReplyKeys); break;
            case 1: key = "Planet." + fuzz::PickNumber(bytes_, 0, kMostEntries); break;
            case 2: key = "Angle." + fuzz::PickNumber(bytes_, 0, kMostEntries); break;
            default: key = fuzz::PickNumber(bytes_, 0, kMostEntries); break;
            }
            request.SetAt(key.c_str(), (key == "Count" ? PickCount() : PickValue()).c_str());
        }
    }

    void MakeUpAnswer(CMapStringToString& request) {
        const int keys = bytes_.ConsumeIntegralInRange(0, 4);
        for (int k = 0; k < keys; ++k) {
            const std::string key = fuzz::PickWord(bytes_, fuzz::kReplyKeys);
            request.SetAt(key.c_str(), (key == "Count" ? PickCount() : PickValue()).c_str());
        }
        const std::int32_t entries = bytes_.ConsumeIntegralInRange(0, kMostEntries);
        for (std::int32_t i = 1; i <= entries && bytes_.remaining_bytes() > 0; ++i) {
            const std::string index = std::to_string(i);
            request.SetAt(index.c_str(), PickValue().c_str());
            request.SetAt(("Planet." + index).c_str(), ("#" + fuzz::PickNumber(bytes_, -1, kMostEntries)).c_str());
            request.SetAt(("Angle." + index).c_str(), PickAngle().c_str());
        }
    }

    /// The one "Add" of a run: "SendGroup", then orders "G #P 1" as the planner writes them.
    void CheckAdd(CMapStringToString& request) {
        if (++adds_ > 1) {
            fuzz::Fail("a second 'Add' in one command");
        }
        const platform_test::MapEntries entries = platform_test::Entries(request);
        if (entries.at("Parameter.1") != "SendGroup") {
            fuzz::Fail("an 'Add' without 'SendGroup'");
        }
        const int count = std::stoi(entries.at("Parameters.Count"));
        for (int k = 2; k <= count; ++k) {
            const std::string& order = entries.at("Parameter." + std::to_string(k));
            int group = 0;
            int planet = 0;
            int length = 0;
            if (std::sscanf(order.c_str(), "%d #%d 1%n", &group, &planet, &length) != 2 ||
                static_cast<std::size_t>(length) != order.size() || planet < 1) {
                fuzz::Fail("a malformed order: '" + order + "'");
            }
        }
        answerer_.Answer(request);
    }

    std::string PickCount() {
        if (bytes_.ConsumeBool()) {
            return fuzz::PickNumber(bytes_, -2, kMostEntries);
        }
        return fuzz::PickWord(bytes_, kOddCounts);
    }

    std::string PickAngle() {
        char text[32];
        std::snprintf(text, sizeof text, "%.6f", bytes_.ConsumeIntegralInRange(-7000, 7000) / 1000.0);
        return text;
    }

    std::string PickValue() {
        switch (bytes_.ConsumeIntegralInRange(0, 5)) {
        case 0: return fuzz::PickNumber(bytes_, -2, kMostEntries);
        case 1: return "#" + fuzz::PickNumber(bytes_, -1, kMostEntries);
        case 2: {
            char text[32];
            std::snprintf(text, sizeof text, "%.2f", bytes_.ConsumeIntegralInRange(-1000, 100000) / 100.0);
            return text;
        }
        case 3: return fuzz::PickWord(bytes_, kNames);
        case 4: return fuzz::PickWord(bytes_, fuzz::kProtocolWords);
        default: return fuzz::PickRawText(bytes_, 24);
        }
    }

    FuzzedDataProvider bytes_;
    const std::int64_t cap_;
    std::atomic<std::int64_t> queries_{0};
    int adds_ = 0;
    host::Galaxy galaxy_; // the demo galaxy afresh for every input, as "Add" changes it
    host::QueryAnswerer answerer_;
    static inline ScriptedHost* current_ = nullptr;
};

/// OnInitialize as the host calls it; the registered menu text, which the command must carry.
std::string InitializePlugin() {
    CMapStringToString settings;
    settings["MainFrame"] = "0";
    settings["DataManager"] = std::to_string(reinterpret_cast<std::intptr_t>(&ScriptedHost::Callback)).c_str();
    settings["EventMask"] = "0";
    settings["MainFramePtr"] = "0";
    fuzz::InProcessPluginExports().onInitialize(settings);
    for (const auto& [key, text] : platform_test::Entries(settings)) {
        if (key.starts_with("MenuItem:")) {
            return text;
        }
    }
    fuzz::Fail("the plug-in registered no menu item");
}

/// Dispatches this thread's messages until the progress window is gone, pressing its Cancel
/// once `cancelAfterSteps` step messages have been dispatched.
void PumpUntilClosed(std::int32_t cancelAfterSteps) {
    const HWND window = ThePluginApp().dialog.GetSafeHwnd();
    std::int32_t steps = 0;
    bool cancelled = false;
    while (IsWindow(window) != FALSE) {
        if (!cancelled && steps >= cancelAfterSteps) {
            PostMessageA(window, WM_COMMAND, static_cast<WPARAM>(IDCANCEL), 0);
            cancelled = true;
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE) != FALSE) {
            steps += msg.hwnd == window && msg.message == WM_RELAY_STEP ? 1 : 0;
            DispatchMessageA(&msg);
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const bool quiet = (fuzz::AnswerMessageBoxesQuietly(), true);
    (void)quiet;
    ScriptedHost host(data, size);
    FuzzedDataProvider& bytes = host.Bytes();
    const std::int32_t cancelAfterSteps = bytes.ConsumeBool() ? bytes.ConsumeIntegralInRange(0, 40) : INT32_MAX;

    const host::PluginExports& plugin = fuzz::InProcessPluginExports();
    plugin.onLoad();
    CMapStringToString command;
    command["Command"] = InitializePlugin().c_str();
    // The command as the host makes it for the demo galaxy's selection, or made up.
    const host::Galaxy& galaxy = host.TheGalaxy();
    const bool madeUp = bytes.ConsumeIntegralInRange(0, 7) == 0;
    command["GameName"] = madeUp ? fuzz::PickRawText(bytes, 16).c_str() : galaxy.Game().c_str();
    command["Turn"] = madeUp ? fuzz::PickNumber(bytes, -1, 100).c_str() : std::to_string(galaxy.Turn()).c_str();
    command["SID"] = madeUp ? fuzz::PickNumber(bytes, 0, kMostEntries).c_str()
                            : std::to_string(galaxy.SelectedGroup().number).c_str();
    plugin.onUserCommand(command);
    PumpUntilClosed(cancelAfterSteps);
    plugin.onClose();
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE) != FALSE) {
        DispatchMessageA(&msg);
    }
    return 0;
}
