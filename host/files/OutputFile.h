// OutputFile.h - an output file written whole or not at all, and standard output with its write errors.
//
// An OutputFile is made before the run it records, so that a target that
// cannot be written is bad input found before anything runs; but the target
// itself is not opened then. The text goes to a temporary file in the
// target's folder, and only Replace, after Finish has flushed, synced and
// closed it without an error, renames it over the target. An OutputFile
// destroyed before that removes its temporary and leaves the target as it
// was. On Linux the temporary has no name until Finish; elsewhere, and after
// Finish, it is a hidden file beside the target (see HiddenFiles.h for how it
// goes when a signal or a kill ends the run). A target name longer than the
// folder takes is refused at once; a hidden name that would pass that limit is
// shortened.
//
// The outputs of one run are replaced together (ReplaceTogether): each
// target's previous file is kept under a hidden name beside it until every
// rename has succeeded, so that when one fails, those already replaced are
// put back as they were.
//
// A target that exists and is not a regular file (a device such as
// /dev/null or /dev/full, a pipe) cannot be replaced: it is opened at once
// and written directly, and its write errors are reported all the same.
// A symbolic link is followed, and the file it names is replaced. Standard
// output goes through the same buffer, so that its write errors are seen too.
#pragma once

#include <cstddef>
#include <filesystem>
#include <memory>
#include <ostream>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <system_error>

namespace host {

/// An output that could not be written; the message names the file, e.g.
/// "cannot write picture file 'plan.svg': No space left on device". Exit status 2.
class OutputError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class OutputFile {
public:
    /// `what` names the output in messages ("trace file"). Throws OutputError when the
    /// target is a folder or its folder does not take a new file.
    OutputFile(const std::filesystem::path& target, std::string what);
    /// Writes into the open `descriptor` (standard output), which it never closes;
    /// `what` names it in messages ("standard output").
    OutputFile(int descriptor, std::string what);
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    /// The buffered stream the text goes to; a write error is kept for Finish to report.
    std::ostream& Stream() { return stream_; }
    void Write(std::string_view text) { stream_.write(text.data(), static_cast<std::streamsize>(text.size())); }

    /// Writes out the buffer, syncs and closes; throws OutputError for any error on the way,
    /// the first write error included.
    void Finish();
    /// Puts the finished text in the target's place. Throws OutputError.
    void Replace();
    /// Puts the finished texts of `files` in their targets' places, all or none: when a rename
    /// fails, the targets already replaced get their previous files back, and the OutputError
    /// names the file that failed (and any that could not be put back, with where its previous
    /// file is kept). When all are in place but a previous file cannot be removed, the
    /// OutputError says where it stays.
    static void ReplaceTogether(std::span<OutputFile* const> files);

private:
    class StagedFile;

    /// The output as messages name it: "picture file 'plan.svg'".
    std::string Name() const;
    /// Throws OutputError when the target's own name is longer than its folder takes: found
    /// before the run, not at the rename after it.
    void RefuseNameTooLong(const std::filesystem::path& target) const;
    [[noreturn]] void Fail(const std::error_code& error, const std::string& aftermath = {}) const;

    std::filesystem::path target_;  // as the user named it, for messages
    std::string what_;
    std::unique_ptr<StagedFile> file_;
    std::ostream stream_;
};

/// Opens each of the standard descriptors 0, 1 and 2 that is closed on the null device, so that
/// no file the host opens later, an output's temporary above all, gets one of their numbers and
/// with it text meant for the terminal. Call first thing; false when the null device cannot be
/// opened. On Windows the C runtime holds those numbers for the streams itself.
bool OpenClosedStandardDescriptors();

/// Writes `text` as the whole of `target`: prepared, finished and replaced in one go.
void WriteOutputFile(const std::filesystem::path& target, std::string what, std::string_view text);

} // namespace host
