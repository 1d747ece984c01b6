// GalaxyFile.h - reading and writing galaxy files (JSON), with every check of bad input.
//
// Loading never yields a half-checked galaxy: either a complete, consistent
// Galaxy comes back or a GalaxyError is thrown whose one-line message names
// the file and the offending entry, e.g. "galaxy.json: groups[3]: unknown
// planet 99". Unknown keys are ignored; `owner` is the only field that may be
// absent. Saving writes the same format, so a saved galaxy loads again as it was.
//
// A load streams: the file is read in windows of a chunk or so, and each entry
// is checked and kept as the parser reaches its end, so memory follows the
// galaxy, not the text, wherever (or whether) its lines break. The load's own scanner reads
// plain JSON; anything it does not take, a bad file above all, is read again
// by nlohmann's parser, so every message about bad JSON is nlohmann's own --
// but for a NUL byte after the document, which that parser takes for the end
// of its input and the load refuses in the same words (ParseJsonDocument).
// Only a regular file of at most kMaxGalaxyFileBytes is read; running out of
// memory while loading is reported like any other bad file.
#pragma once

#include "galaxy/Galaxy.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

namespace host {

/// The largest galaxy file the host reads: above the ~296 MB of a generated
/// 1 000 000-planet galaxy with 2 000 000 groups, below what would exhaust a machine
/// (such a galaxy takes about as much memory again as its text).
inline constexpr std::uint64_t kMaxGalaxyFileBytes = 1024ULL * 1024 * 1024;

/// A galaxy file (or text) that is not a valid galaxy: its message names the file first.
class GalaxyFileError : public GalaxyError {
public:
    using GalaxyError::GalaxyError;
};

/// Where a player reads what a galaxy file holds, for the next step after a GalaxyFileError.
inline constexpr const char* kGalaxyFormatPointer =
    "the file's format: docs/galaxy.schema.json, and the README's section \"The galaxy file\"";

/// Told, window by window, how many of the file's bytes have been read and how many it has.
using LoadProgress = std::function<void(std::uint64_t read, std::uint64_t size)>;

/// Reads and checks the galaxy file at `path`; messages name the file as `path` was given.
Galaxy LoadGalaxyFile(const std::filesystem::path& path, const LoadProgress& progress = {});

/// Checks and builds a galaxy from JSON text (throws GalaxyFileError); `sourceName` stands for the file in messages.
Galaxy ParseGalaxyJson(std::string_view jsonText, std::string_view sourceName);

/// The galaxy as JSON text in the file format, groups created by orders included:
/// the top-level fields one per line, each entry of an array on a line of its own.
std::string GalaxyToJson(const Galaxy& galaxy);
/// The same text for content that has not been checked (the generator writes with it).
std::string GalaxyContentToJson(const GalaxyContent& content);

/// Writes GalaxyToJson to `path`, replacing the file only once the text is complete; throws
/// OutputError naming `path` when it cannot, and the file is then left as it was.
void SaveGalaxyFile(const Galaxy& galaxy, const std::filesystem::path& path);

} // namespace host
