// Campaign.h - turn after turn of Distribute Group in one load: the commands of each turn, the
// ships landed, the turn number advanced, the coverage counted.
//
// A campaign borrows a PluginLoad and a galaxy. Each turn runs its commands one
// after the other on the same load (the selected group, or with `all` every group
// of the selection's race in orbit with at least two ships, largest first), then
// advances the galaxy: every group in flight lands on its destination and the turn
// number goes up by one, so the next turn's command maps carry it. When Run
// returns, the galaxy is the one the next turn would begin with. The campaign
// counts for one ship type: the selection's, of the selection's race.
#pragma once

#include "answer/RunOutcome.h"
#include "galaxy/Galaxy.h"
#include "session/PluginLoad.h"
#include "session/PluginSession.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

namespace host {

inline constexpr std::int32_t kDefaultCampaignTurns = 10;

struct CampaignSettings {
    std::int32_t turns = kDefaultCampaignTurns;   // at most this many; fewer when a turn sends nothing
    bool all = false;                             // every group of two ships or more, else the selection
    std::optional<std::int32_t> cancelAfterSteps; // every command: press Cancel after this many steps
    std::int32_t cancelOneIn = 0;                 // testing: every n-th command pressed at a random step
    std::uint64_t cancelSeed = 1;                 // the random steps' seed
    std::int64_t minimumCommands = 0;             // testing: start over from the first turn until this many ran
    bool keepEveryTurn = true;                    // false: the result keeps the last turn only (a soak
                                                  // measures the load, not the campaign's growing record)
    std::int32_t answerDelayMs = 0;
    CallTrace* trace = nullptr;                   // every command's calls; lines carry the turn
};

/// One command of a turn: the group selected and what the run came to.
struct CampaignCommand {
    std::int32_t group = 0;
    RunOutcome outcome;

    /// Accepted orders: each moved one ship.
    std::int32_t ShipsSent() const;
    /// Accepted orders given to another group than the selected one: ships relay groups passed on.
    std::int32_t RelaysSent() const;
};

struct CampaignTurn {
    std::int32_t turn = 0;                 // the game's turn number the commands carried
    std::vector<CampaignCommand> commands;
    std::int32_t shipsSent = 0;
    std::int32_t relays = 0;
    std::int32_t newlyCovered = 0;         // planets covered now that were not before the turn
    std::int32_t covered = 0;              // planets holding a ship of the type once the ships landed
    std::int64_t idleShips = 0;            // ships of the type that stayed in orbit this turn
};

struct CampaignResult {
    std::int32_t coveredAtStart = 0;
    std::vector<CampaignTurn> turns;
    bool interrupted = false;              // Ctrl-C: the command under way was cancelled, the campaign ended
    std::int64_t commandsRun = 0;
};

/// Hooks for tests and progress; every member may be left empty.
struct CampaignHooks {
    /// Before each command: the galaxy as it stands and the group about to be selected; may
    /// change the command's settings (its trace, a Cancel).
    std::function<void(const Galaxy&, std::int32_t group, RunSettings&)> beforeCommand;
    std::function<void(const CampaignCommand&, std::int64_t commandsRun)> afterCommand;
    /// Once a turn's ships have landed.
    std::function<void(const CampaignTurn&)> afterTurn;
    /// Replaces the choice of the turn's groups: given the galaxy as the turn begins.
    std::function<std::vector<std::int32_t>(const Galaxy&)> groupsOfTurn;
};

/// Runs the campaign; `galaxy` ends as the next turn would begin. Throws PluginMisbehaved.
CampaignResult RunCampaign(const PluginLoad& load, Galaxy& galaxy, const CampaignSettings& settings,
                           const CampaignHooks& hooks = {});

/// The groups `all` plans in a turn: the selection's race, in orbit, two ships or more, the
/// largest first, then by number.
std::vector<std::int32_t> GroupsWorthACommand(const Galaxy& galaxy);

/// The galaxy as the next turn begins: every group in flight in orbit of its destination, the
/// turn number one higher, the selection kept.
Galaxy NextTurnGalaxy(const Galaxy& galaxy);

/// Planets holding a ship of `race`'s `type` in orbit, ascending.
std::vector<std::int32_t> CoveredPlanets(const Galaxy& galaxy, std::string_view race, std::string_view type);

} // namespace host
