// CommandRuns.h - each of the host's commands run, from its parsed options to an exit status.
//
// Exit statuses: 0 when the run ended as the plug-in meant (plan completed,
// cancelled, or its message box shown), 2 for bad input, reported before any
// plug-in is loaded, 1 when the plug-in could not be loaded or misbehaved.
// The commands throw BadInput, GalaxyError, PluginLoadError or
// PluginMisbehaved; ExitStatusOf maps each to its status.
#pragma once

#include "cli/CommandLine.h"

#include <exception>
#include <filesystem>
#include <iosfwd>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>

namespace host {

inline constexpr int kExitOk = 0;
inline constexpr int kExitPluginFailed = 1;
inline constexpr int kExitBadInput = 2;

/// Input the host refuses before loading anything: an output file it cannot write, an unknown selection.
class BadInput : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
    /// `nextStep`: what the player can do about it, when the general advice would not help.
    BadInput(const std::string& message, std::string nextStep)
        : std::runtime_error(message), nextStep_(std::move(nextStep)) {}
    const std::string& NextStep() const { return nextStep_; }

private:
    std::string nextStep_;
};

/// "list the groups with: tarvenix-host groups --galaxy FILE", the host named as it was run.
std::string GroupsNextStep(const std::optional<std::filesystem::path>& galaxy);

/// The status for an error that ended a command.
int ExitStatusOf(const std::exception& error);

int RunPlan(const PlanOptions& options, std::ostream& out);
/// Turn after turn in one load; a line per turn and a closing table, or one JSON object.
int RunCampaignCommand(const CampaignOptions& options, std::ostream& out);
/// With --out, closes by naming a group worth planning and the command that plans it.
int RunGenerate(const GenerateOptions& options, std::ostream& out);
/// The selectable groups, largest first, each with the host's estimate of what it could do.
int RunGroups(const GroupsOptions& options, std::ostream& out);
int RunAbout(const AboutOptions& options, std::ostream& out);

/// The Tarvenix2 module that goes with the host: in the host's own folder (a copied folder, or
/// the Windows package), else in the plug-in folder of an installed tree (lib/tarvenix/ beside
/// bin/), else in the build tree's plugin/ folder next to the host's.
std::filesystem::path DefaultPluginPath();

} // namespace host
