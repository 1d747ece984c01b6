// FakeHost.h - a scripted host for the channel, lookup, leg and planner tests.
//
// Its callback records every request map in order and answers from a table
// keyed by the request's text (the function word and its parameters joined by
// blanks); a request without an entry gets an empty reply, as the real host
// gives for what it does not know. One FakeHost is current at a time: the
// callback is a plain function and reaches the host through that pointer.
// A hook can run before each answer, so a test can raise the stop flag at an
// exact point of a run.
#pragma once

#include "context/DispatchContext.h"
#include "platform/CMapStringToString.h"
#include "platform/MapEntries.h"

#include <cassert>
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

class FakeHost {
public:
    using Reply = std::vector<std::pair<std::string, std::string>>;
    using Request = platform_test::MapEntries;

    FakeHost() {
        assert(current_ == nullptr && "one FakeHost at a time");
        current_ = this;
    }
    ~FakeHost() { current_ = nullptr; }
    FakeHost(const FakeHost&) = delete;
    FakeHost& operator=(const FakeHost&) = delete;

    /// The HostCallback to hand to the context.
    static void Callback(CMapStringToString& request) { current_->Handle(request); }

    void Answer(const std::string& requestText, Reply reply) {
        answers_[requestText] = std::move(reply);
    }

    /// Every request text received so far, in order.
    std::vector<std::string> Texts() const {
        std::vector<std::string> texts;
        for (const Request& request : requests) {
            texts.push_back(platform_test::RequestText(request));
        }
        return texts;
    }

    std::vector<Request> requests;
    std::function<void(const std::string& text)> beforeAnswer; // optional

private:
    void Handle(CMapStringToString& map) {
        requests.push_back(platform_test::Entries(map));
        const std::string text = platform_test::RequestText(requests.back());
        if (beforeAnswer) {
            beforeAnswer(text);
        }
        const auto found = answers_.find(text);
        if (found == answers_.end()) {
            return;
        }
        for (const auto& [answerKey, answerValue] : found->second) {
            map.SetAt(answerKey.c_str(), answerValue.c_str());
        }
    }

    std::map<std::string, Reply> answers_;
    static inline FakeHost* current_ = nullptr;
};

/// A list answer: "Count" and the entries under "1", "2", ...
inline FakeHost::Reply ListReply(const std::vector<std::string>& entries) {
    FakeHost::Reply reply{{"Count", std::to_string(entries.size())}};
    for (std::size_t i = 0; i < entries.size(); ++i) {
        reply.emplace_back(std::to_string(i + 1), entries[i]);
    }
    return reply;
}

/// A planet list answer: "Count", "Planet.i" = "#planet" and "Angle.i" = the angle text.
inline FakeHost::Reply PlanetListReply(const std::vector<std::pair<int, std::string>>& planets) {
    FakeHost::Reply reply{{"Count", std::to_string(planets.size())}};
    for (std::size_t i = 0; i < planets.size(); ++i) {
        const std::string index = std::to_string(i + 1);
        std::string planet = "#";
        planet += std::to_string(planets[i].first);
        reply.emplace_back("Planet." + index, planet);
        reply.emplace_back("Angle." + index, planets[i].second);
    }
    return reply;
}

/// Binds `context` to the current fake host as BindHost would for game "Demo", turn 42,
/// race "Vexari", and selects group 7 of Couriers on planet 1 with `ships` ships of
/// speed `minSpeed` hundredths.
inline void BindToFakeHost(DispatchContext& context, std::int32_t minSpeed = 2236,
                           std::int32_t ships = 3) {
    context.hostCallback = FakeHost::Callback;
    context.gameName = "Demo";
    context.turn = 42;
    context.raceName = "Vexari";
    context.shipTypeName = "Courier";
    context.groupNumber = 7;
    context.sourcePlanet = 1;
    context.minSpeed = minSpeed;
    context.shipCount = ships;
}
