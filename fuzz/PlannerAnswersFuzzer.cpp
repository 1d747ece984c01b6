// PlannerAnswersFuzzer.cpp - the command and the planner against host answers made from the fuzzer's bytes.
//
// A scripted host answers every request of the plug-in with a reply built from
// the next bytes: a few reply keys with values drawn from the protocol's words,
// numbers, designations, angles or raw text, then list entries. Once the bytes
// run out every reply is empty, as a host that knows nothing answers. The
// plug-in built into this program runs its whole command: the selection
// queries on this thread, then the planner on its worker behind the progress
// window, which this harness pumps (and cancels after a number of steps the
// bytes choose). The run must end, ask no more than its cap of queries, and
// submit at most one "Add" of well-formed orders.
#include "fuzz/Failure.h"
#include "fuzz/InProcessPlugin.h"
#include "fuzz/ProtocolWords.h"

#include "platform/CMapStringToString.h"
#include "platform/MapEntries.h"
#include "platform/Window.h"
#include "plugin/PluginApp.h"
#include "plugin/PluginInstance.h"
#include "relay/RelayMessages.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

namespace {

// The answers' size: a "Count" is a number of at most this many planets or entries (or a
// text that is no such number), and one reply holds at most this many list entries.
constexpr std::int32_t kMostEntries = 64;

// The cap on queries, a hang detector. Every reply that is not empty costs at least one
// byte, so an input of n bytes pays for at most n answers. With nothing paid, a run asks a
// fixed handful (the command's eight, the planet count, the race, the type list), and each
// paid answer leads to at most one empty-answered query per entry it lets the plug-in walk:
// a planet to ask about, a group list and a group's details per listed planet, a relay
// leg's next range query. An answer's walk is bounded by the keys its map holds, request
// keys included, well under 256, so a paid answer leads to at most 2 x 256 + 2 queries.
// The cap allows four times that per byte and a thousand more, far above what a galaxy of
// the answers' size needs; a run that exceeds it loops.
constexpr std::int64_t kQueriesWithoutAnswers = 1024;
constexpr std::int64_t kQueriesPerAnswer = 4 * (2 * 256 + 2);
// "Count" texts that are not plain counts: signs, blanks, suffixes, and numbers too large
// for 32 bits (read as the largest, which the planner takes for no planets at all).
constexpr std::string_view kOddCounts[] = {"", "x", " 3", "+3", "-0", "3.5", "2147483648", "99999999999",
                                           "-2147483649", "1e308"};
constexpr std::string_view kNames[] = {"Vexari", "Solvani", "Courier", "Hauler", "Long Courier", "In orbit",
                                       "In space", "Lantern Reach"};

class ScriptedHost {
public:
    ScriptedHost(const std::uint8_t* data, std::size_t size)
        : bytes_(data, size), cap_(kQueriesWithoutAnswers + kQueriesPerAnswer * static_cast<std::int64_t>(size)) {
        current_ = this;
    }
    ~ScriptedHost() { current_ = nullptr; }
    ScriptedHost(const ScriptedHost&) = delete;
    ScriptedHost& operator=(const ScriptedHost&) = delete;

    static void Callback(CMapStringToString& request) { current_->Handle(request); }

    FuzzedDataProvider& Bytes() { return bytes_; }
    int AddRequests() const { return adds_; }

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
        if (bytes_.remaining_bytes() == 0) {
            return;
        }
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
    void CheckAdd(const CMapStringToString& request) {
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
    command["GameName"] = bytes.ConsumeBool() ? fuzz::PickRawText(bytes, 16).c_str() : "Lantern Reach";
    command["Turn"] = fuzz::PickNumber(bytes, -1, 100).c_str();
    command["SID"] = fuzz::PickNumber(bytes, 0, kMostEntries).c_str();
    plugin.onUserCommand(command);
    PumpUntilClosed(cancelAfterSteps);
    plugin.onClose();
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE) != FALSE) {
        DispatchMessageA(&msg);
    }
    return 0;
}
