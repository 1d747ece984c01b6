// GalaxyFileFuzzer.cpp - galaxy files from the fuzzer's bytes: load, plan, save and reload, picture.
//
// The bytes are written to a file and loaded with every check the host makes;
// input the host refuses must be refused as bad input (the errors it reports
// with exit status 2), never with anything else. A galaxy that loads is saved
// and must load again equal to itself; then the plug-in built into this
// program plans on it through the host's own session and answers, exactly as
// tarvenix-host runs it; the galaxy the orders left must save and reload
// equal too, and the plan's picture must be a whole document with finite
// numbers only.
#include "fuzz/Failure.h"
#include "fuzz/InProcessPlugin.h"

#include "galaxy/Galaxy.h"
#include "galaxy/GalaxyFile.h"
#include "cli/CommandRuns.h"
#include "views/PlanPicture.h"
#include "session/PluginSession.h"

#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstddef>
#include <cstdint>
#include <exception>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <string_view>
#include <tuple>

namespace {

namespace fs = std::filesystem;

/// A folder of this process's own for the input and saved files, removed when the fuzzer exits.
class ScratchFolder {
public:
    ScratchFolder() : path_(fs::temp_directory_path() / ("tarvenix-fuzz-" + std::to_string(::getpid()))) {
        fs::create_directories(path_);
    }
    ~ScratchFolder() {
        std::error_code ignored;
        fs::remove_all(path_, ignored);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    fs::path operator/(std::string_view name) const { return path_ / name; }

private:
    fs::path path_;
};

const ScratchFolder& Scratch() {
    static const ScratchFolder folder;
    return folder;
}

void WriteBytes(const fs::path& path, const std::uint8_t* data, std::size_t size) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    if (!out.flush()) {
        fuzz::Fail("cannot write the input to " + path.string());
    }
}

/// Loads `path`; nothing when the host refuses it as bad input. Any other failure escapes,
/// and the fuzzer reports it: the host would have ended as if the plug-in had failed.
std::optional<host::Galaxy> LoadIfAccepted(const fs::path& path) {
    try {
        return host::LoadGalaxyFile(path);
    } catch (const std::exception& error) {
        if (host::ExitStatusOf(error) != host::kExitBadInput) {
            throw;
        }
        if (std::string_view(error.what()).find('\n') != std::string_view::npos) {
            fuzz::Fail(std::string("a refusal of more than one line: ") + error.what());
        }
        return std::nullopt;
    }
}

auto Fields(const host::Race& r) { return std::tie(r.name, r.drivesTech); }
auto Fields(const host::Planet& p) { return std::tie(p.name, p.x, p.y, p.owner); }
auto Fields(const host::ShipType& t) {
    return std::tie(t.race, t.name, t.drives, t.weapons, t.ammo, t.cargo, t.shields);
}
auto Fields(const host::Group& g) {
    return std::tie(g.number, g.race, g.type, g.planet, g.count, g.speed, g.from, g.fleet);
}

template <typename Entry>
bool SameEntries(const std::vector<Entry>& a, const std::vector<Entry>& b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [](const Entry& x, const Entry& y) { return Fields(x) == Fields(y); });
}

bool SameContent(const host::GalaxyContent& a, const host::GalaxyContent& b) {
    return a.game == b.game && a.turn == b.turn && a.selection == b.selection && SameEntries(a.races, b.races) &&
           SameEntries(a.planets, b.planets) && SameEntries(a.shipTypes, b.shipTypes) &&
           SameEntries(a.groups, b.groups);
}

/// Saves `galaxy`, which must load again with the very same content.
void CheckSaveAndReload(const host::Galaxy& galaxy, const std::string& when) {
    const fs::path saved = Scratch() / "saved.json";
    host::SaveGalaxyFile(galaxy, saved);
    std::optional<host::Galaxy> reloaded = LoadIfAccepted(saved);
    if (!reloaded) {
        fuzz::Fail("the galaxy saved " + when + " is refused on reload");
    }
    if (!SameContent(galaxy.Content(), reloaded->Content())) {
        fuzz::Fail("the galaxy saved " + when + " reloads different");
    }
}

bool HoldsNonFinite(std::string_view value) {
    std::string lower(value);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return lower.find("nan") != std::string::npos || lower.find("inf") != std::string::npos;
}

/// The picture is one whole SVG document; no attribute (every coordinate is one) holds a
/// NaN or an infinity. Names appear only in text, escaped, so they cannot trip this.
void CheckPicture(const std::string& svg) {
    if (svg.find("<svg") == std::string::npos || !svg.ends_with("</svg>\n")) {
        fuzz::Fail("the picture is not a whole SVG document");
    }
    for (std::size_t open = svg.find("=\""); open != std::string::npos; open = svg.find("=\"", open + 2)) {
        const std::size_t close = svg.find('"', open + 2);
        if (close == std::string::npos) {
            fuzz::Fail("the picture has an unterminated attribute");
        }
        if (HoldsNonFinite(std::string_view(svg).substr(open + 2, close - open - 2))) {
            fuzz::Fail("the picture has a non-finite number: " + svg.substr(open, close - open + 1));
        }
        open = close;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const bool quiet = (fuzz::AnswerMessageBoxesQuietly(), true);
    (void)quiet;
    const fs::path input = Scratch() / "input.json";
    WriteBytes(input, data, size);
    std::optional<host::Galaxy> galaxy = LoadIfAccepted(input);
    if (!galaxy) {
        return 0;
    }
    CheckSaveAndReload(*galaxy, "as loaded");

    const std::int32_t selected = galaxy->SelectedGroup().number;
    host::PluginLoad load(fuzz::InProcessPluginExports());
    host::PluginSession session(load, *galaxy, host::RunSettings{});
    const host::RunOutcome outcome = session.RunCommand();
    load.Close();
    if (!outcome.EndedAsMeant()) {
        fuzz::Fail("the run ended neither planned, cancelled nor with the plug-in's message");
    }
    CheckSaveAndReload(*galaxy, "after the orders");
    CheckPicture(host::DrawPlanSvg(*galaxy, selected, outcome));
    return 0;
}
