// Campaign.cpp - the turns of a campaign: the commands on one load, the landing, the counts.
#include "campaign/Campaign.h"

#include "session/CallTrace.h"

#include <algorithm>
#include <iterator>
#include <string>
#include <utility>

namespace host {
namespace {

/// The random steps of the cancelled commands: a fixed generator, so that a seed gives the same
/// steps on every system (the standard distributions may differ between libraries).
class CancelSchedule {
public:
    explicit CancelSchedule(const CampaignSettings& settings) : settings_(settings), state_(settings.cancelSeed) {}

    /// The Cancel of command number `index` (from 0), if it gets one.
    std::optional<std::int32_t> StepsFor(std::int64_t index) {
        if (settings_.cancelOneIn > 0 && index % settings_.cancelOneIn == settings_.cancelOneIn - 1) {
            return static_cast<std::int32_t>(Next() % kStepsDrawnFrom);
        }
        return settings_.cancelAfterSteps;
    }

private:
    // Early enough that most plans are still under way, as a player's click would come.
    static constexpr std::uint64_t kStepsDrawnFrom = 64;

    std::uint64_t Next() {
        // splitmix64
        std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ULL);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
        return z ^ (z >> 31);
    }

    const CampaignSettings& settings_;
    std::uint64_t state_;
};

std::int64_t ShipsInOrbit(const Galaxy& galaxy, std::string_view race, std::string_view type) {
    std::int64_t ships = 0;
    for (const Group& group : galaxy.Groups()) {
        if (group.InOrbit() && group.race == race && group.type == type) {
            ships += group.count;
        }
    }
    return ships;
}

std::int32_t NewlyCovered(const std::vector<std::int32_t>& before, const std::vector<std::int32_t>& after) {
    std::vector<std::int32_t> added;
    std::set_difference(after.begin(), after.end(), before.begin(), before.end(), std::back_inserter(added));
    return static_cast<std::int32_t>(added.size());
}

/// The campaign's state from turn to turn.
class CampaignRun {
public:
    CampaignRun(const PluginLoad& load, Galaxy& galaxy, const CampaignSettings& settings, const CampaignHooks& hooks)
        : load_(load), galaxy_(galaxy), settings_(settings), hooks_(hooks), schedule_(settings),
          race_(galaxy.SelectedGroup().race.View()), type_(galaxy.SelectedGroup().type.View()) {}

    CampaignResult Run() {
        InterruptGuard interrupt; // held across the commands: a press between two is kept
        const Galaxy start = galaxy_;
        std::vector<std::int32_t> covered = CoveredPlanets(galaxy_, race_, type_);
        result_.coveredAtStart = static_cast<std::int32_t>(covered.size());
        for (;;) {
            for (std::int32_t i = 0; i < settings_.turns && !result_.interrupted; ++i) {
                if (!RunTurn(covered)) {
                    break;
                }
            }
            if (result_.interrupted || result_.commandsRun >= settings_.minimumCommands) {
                return std::move(result_);
            }
            galaxy_ = start; // testing: over again in the same load
            covered = CoveredPlanets(galaxy_, race_, type_);
        }
    }

private:
    /// One turn and its landing; false when the campaign ends after it.
    bool RunTurn(std::vector<std::int32_t>& covered) {
        CampaignTurn turn;
        turn.turn = galaxy_.Turn();
        const std::vector<std::int32_t> groups =
            hooks_.groupsOfTurn ? hooks_.groupsOfTurn(galaxy_) : settings_.all ? GroupsWorthACommand(galaxy_)
                                                                              : std::vector{galaxy_.SelectedGroup().number};
        bool scheduledCancel = false;
        for (const std::int32_t group : groups) {
            if (InterruptGuard::Pressed()) {
                result_.interrupted = true;
                break;
            }
            const std::optional<std::int32_t> cancel = schedule_.StepsFor(result_.commandsRun);
            scheduledCancel = scheduledCancel || cancel.has_value();
            turn.commands.push_back(RunCommand(turn.turn, group, cancel));
            turn.shipsSent += turn.commands.back().ShipsSent();
            turn.relays += turn.commands.back().RelaysSent();
            result_.interrupted = InterruptGuard::Pressed();
        }
        turn.idleShips = ShipsInOrbit(galaxy_, race_, type_);
        galaxy_ = NextTurnGalaxy(galaxy_);
        std::vector<std::int32_t> now = CoveredPlanets(galaxy_, race_, type_);
        turn.newlyCovered = NewlyCovered(covered, now);
        turn.covered = static_cast<std::int32_t>(now.size());
        covered = std::move(now);
        const bool sentNothing = turn.shipsSent == 0 && !scheduledCancel;
        if (hooks_.afterTurn) {
            hooks_.afterTurn(turn);
        }
        if (!settings_.keepEveryTurn) {
            result_.turns.clear();
        }
        result_.turns.push_back(std::move(turn));
        return !sentNothing && !result_.interrupted;
    }

    CampaignCommand RunCommand(std::int32_t turn, std::int32_t group, std::optional<std::int32_t> cancel) {
        galaxy_.SelectGroup(group);
        RunSettings run;
        run.answerDelayMs = settings_.answerDelayMs;
        run.cancelAfterSteps = cancel;
        run.trace = settings_.trace;
        if (settings_.trace != nullptr) {
            settings_.trace->SetTurn(turn);
        }
        if (hooks_.beforeCommand) {
            hooks_.beforeCommand(galaxy_, group, run);
        }
        CampaignCommand command;
        command.group = group;
        PluginSession session(load_, galaxy_, run);
        command.outcome = session.RunCommand();
        ++result_.commandsRun;
        if (hooks_.afterCommand) {
            hooks_.afterCommand(command, result_.commandsRun);
        }
        return command;
    }

    const PluginLoad& load_;
    Galaxy& galaxy_;
    const CampaignSettings& settings_;
    const CampaignHooks& hooks_;
    CancelSchedule schedule_;
    std::string race_;
    std::string type_;
    CampaignResult result_;
};

} // namespace

std::int32_t CampaignCommand::ShipsSent() const {
    return static_cast<std::int32_t>(std::count_if(outcome.orders.begin(), outcome.orders.end(),
                                                   [](const OrderResult& order) { return order.accepted; }));
}

std::int32_t CampaignCommand::RelaysSent() const {
    return static_cast<std::int32_t>(std::count_if(outcome.orders.begin(), outcome.orders.end(), [this](const OrderResult& order) {
        return order.accepted && order.group != group;
    }));
}

CampaignResult RunCampaign(const PluginLoad& load, Galaxy& galaxy, const CampaignSettings& settings,
                           const CampaignHooks& hooks) {
    return CampaignRun(load, galaxy, settings, hooks).Run();
}

std::vector<std::int32_t> GroupsWorthACommand(const Galaxy& galaxy) {
    const std::string_view race = galaxy.SelectedGroup().race.View();
    std::vector<const Group*> chosen;
    for (const Group& group : galaxy.Groups()) {
        if (group.InOrbit() && group.count >= 2 && group.race == race) {
            chosen.push_back(&group);
        }
    }
    std::sort(chosen.begin(), chosen.end(), [](const Group* a, const Group* b) {
        return a->count != b->count ? a->count > b->count : a->number < b->number;
    });
    std::vector<std::int32_t> numbers;
    numbers.reserve(chosen.size());
    for (const Group* group : chosen) {
        numbers.push_back(group->number);
    }
    return numbers;
}

Galaxy NextTurnGalaxy(const Galaxy& galaxy) {
    GalaxyContent content = galaxy.Content();
    for (Group& group : content.groups) {
        group.from = 0; // one turn's flight: every group in flight has arrived
    }
    ++content.turn;
    return Galaxy(std::move(content));
}

std::vector<std::int32_t> CoveredPlanets(const Galaxy& galaxy, std::string_view race, std::string_view type) {
    std::vector<std::int32_t> planets;
    for (const Group& group : galaxy.Groups()) {
        if (group.InOrbit() && group.count > 0 && group.race == race && group.type == type) {
            planets.push_back(group.planet);
        }
    }
    std::sort(planets.begin(), planets.end());
    planets.erase(std::unique(planets.begin(), planets.end()), planets.end());
    return planets;
}

} // namespace host
