// OutputFile.cpp - the temporary beside the target, its buffered writing, and the rename that completes it.
#include "files/OutputFile.h"

#include "files/FileIdentity.h"
#include "files/HiddenFiles.h"

#include <fcntl.h>
#include <sys/stat.h>
#if defined(_WIN32)
#include <io.h>
#include <process.h>
#else
#include <unistd.h>
#endif

#include <algorithm>
#include <cerrno>
#include <system_error>
#include <utility>
#include <vector>

namespace host {
namespace {

/// Large enough that a trace line or a picture's element never costs a system call of its own.
constexpr std::size_t kBufferSize = std::size_t{1} << 16;

#if defined(_WIN32)
int OpenForWriting(const std::filesystem::path& path, int flags) {
    return ::_wopen(path.c_str(), flags | _O_WRONLY | _O_BINARY | _O_NOINHERIT, _S_IREAD | _S_IWRITE);
}
int WriteSome(int fd, const char* data, std::size_t size) {
    return ::_write(fd, data, static_cast<unsigned>(std::min<std::size_t>(size, 1u << 30)));
}
int SyncFile(int fd) { return ::_commit(fd); }
int CloseFile(int fd) { return ::_close(fd); }
constexpr int kCreateNew = _O_CREAT | _O_EXCL;
#else
int OpenForWriting(const std::filesystem::path& path, int flags) {
    return ::open(path.c_str(), flags | O_WRONLY | O_CLOEXEC | O_NOCTTY, 0666);
}
int WriteSome(int fd, const char* data, std::size_t size) {
    return static_cast<int>(::write(fd, data, std::min<std::size_t>(size, 1u << 30)));
}
int SyncFile(int fd) { return ::fsync(fd); }
int CloseFile(int fd) { return ::close(fd); }
constexpr int kCreateNew = O_CREAT | O_EXCL;
#endif

std::error_code LastError() {
    return {errno, std::generic_category()};
}

/// The buffer in front of an open descriptor. The first error of any write is kept; later
/// text is dropped, since the output is lost anyway.
class DescriptorBuffer : public std::streambuf {
public:
    DescriptorBuffer() : buffer_(kBufferSize) { setp(buffer_.data(), buffer_.data() + buffer_.size()); }

protected:
    int_type overflow(int_type ch) override {
        if (!Drain()) {
            return traits_type::eof();
        }
        if (!traits_type::eq_int_type(ch, traits_type::eof())) {
            *pptr() = traits_type::to_char_type(ch);
            pbump(1);
        }
        return traits_type::not_eof(ch);
    }

    std::streamsize xsputn(const char* text, std::streamsize count) override {
        const auto size = static_cast<std::size_t>(count);
        if (size > static_cast<std::size_t>(epptr() - pptr())) {
            if (!Drain()) {
                return 0;
            }
            if (size >= buffer_.size()) {
                return WriteAll(text, size) ? count : 0;
            }
        }
        std::copy(text, text + size, pptr());
        pbump(static_cast<int>(size));
        if (writeThrough_ && !Drain()) {
            return 0;
        }
        return count;
    }

    int sync() override { return Drain() ? 0 : -1; }

    bool Drain() {
        const bool written = WriteAll(pbase(), static_cast<std::size_t>(pptr() - pbase()));
        setp(buffer_.data(), buffer_.data() + buffer_.size());
        return written;
    }

    bool WriteAll(const char* data, std::size_t size) {
        while (!error_ && size > 0) {
            const int written = WriteSome(fd_, data, size);
            if (written < 0 && errno == EINTR) {
                continue;
            }
            if (written <= 0) {
                error_ = written < 0 ? LastError() : std::make_error_code(std::errc::io_error);
                break;
            }
            data += written;
            size -= static_cast<std::size_t>(written);
        }
        return !error_;
    }

    std::vector<char> buffer_;
    int fd_ = -1;
    bool writeThrough_ = false; // a terminal: nothing waits in the buffer
    std::error_code error_;     // the first write error
};

} // namespace

/// The file behind an OutputFile: written through its buffer, and, unless it is a special file
/// written in place, staged beside its target and renamed over it.
class OutputFile::StagedFile : public DescriptorBuffer {
public:
    StagedFile() = default;
    ~StagedFile() override {
        if (owned_) {
            Close();
        }
        if (!temporary_.empty()) {
            std::error_code ignored;
            std::filesystem::remove(temporary_, ignored);
        }
        temporaryListing_.Unlist();
    }
    StagedFile(const StagedFile&) = delete;
    StagedFile& operator=(const StagedFile&) = delete;

    /// Opens an existing special file to write into it in place.
    std::error_code OpenInPlace(const std::filesystem::path& target) {
#if defined(_WIN32)
        fd_ = OpenForWriting(target, 0);
#else
        // Without O_NONBLOCK a pipe that nobody reads would block the open for ever.
        fd_ = OpenForWriting(target, O_NONBLOCK);
        if (fd_ >= 0) {
            ::fcntl(fd_, F_SETFL, ::fcntl(fd_, F_GETFL) & ~O_NONBLOCK);
        }
#endif
        inPlace_ = true;
        return fd_ < 0 ? LastError() : std::error_code();
    }

    /// Writes into `fd` as it stands, without closing it; a terminal gets every write at once.
    void Adopt(int fd) {
        fd_ = fd;
        inPlace_ = true;
        owned_ = false;
#if defined(_WIN32)
        writeThrough_ = ::_isatty(fd) != 0;
#else
        writeThrough_ = ::isatty(fd) != 0;
#endif
    }

    /// Creates the temporary that will become `location`.
    std::error_code OpenTemporary(const std::filesystem::path& location) {
        location_ = location;
        nameLimit_ = FileNameLimit(location);
#if defined(O_TMPFILE)
        // An unnamed file vanishes with the process however it ends; it is given a name in Finish.
        fd_ = OpenForWriting(location.parent_path(), O_TMPFILE);
        if (fd_ >= 0) {
            return {};
        }
        if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL) {
            return LastError();
        }
#endif
        for (int attempt = 0; attempt < 100; ++attempt) {
            const std::filesystem::path name = HiddenName(location, attempt, ".tmp", nameLimit_);
            temporaryListing_.List(name); // before it exists, so that it is never there unlisted
            fd_ = OpenForWriting(name, kCreateNew);
            if (fd_ >= 0) {
                temporary_ = name;
                return {};
            }
            temporaryListing_.Unlist();
            if (errno != EEXIST) {
                break;
            }
        }
        return LastError();
    }

    /// Writes out the buffer and, for a temporary, makes its content durable and gives it
    /// its name beside the target; then closes the file.
    std::error_code Finish() {
        if (pubsync() != 0) {
            return error_;
        }
        if (!owned_) {
            return {};
        }
        if (!inPlace_) {
            if (SyncFile(fd_) != 0) {
                return LastError();
            }
            KeepModeOfTarget();
            if (const std::error_code error = NameTemporary()) {
                return error;
            }
        }
        return CloseFile(std::exchange(fd_, -1)) != 0 ? LastError() : std::error_code();
    }

    /// Renames the finished temporary over the target. The target's previous file stays under
    /// a hidden name until DropPrevious, so that Restore can put it back.
    std::error_code Replace() {
        if (inPlace_) {
            return {};
        }
        if (const std::error_code error = KeepPrevious()) {
            return error;
        }
        std::error_code error;
        std::filesystem::rename(temporary_, location_, error);
        if (error) {
            ReleasePrevious(); // the target itself is as it was
            return error;
        }
        temporary_.clear();
        temporaryListing_.Unlist();
        previousListing_.MarkReplaced();
        replaced_ = true;
        SyncFolder();
        return {};
    }

    /// Undoes Replace: the target's previous file back in its place, or no file where there was none.
    std::error_code Restore() {
        if (!replaced_) {
            return {};
        }
        std::error_code error;
        if (previous_.empty()) {
            std::filesystem::remove(location_, error);
        } else {
            std::filesystem::rename(previous_, location_, error);
        }
        if (!error) {
            previous_.clear();
            previousListing_.Unlist();
            replaced_ = false;
            SyncFolder();
        }
        return error;
    }

    /// Every output of the run is in place: the previous file is no longer needed. An error
    /// leaves it where Previous() says.
    std::error_code DropPrevious() {
        replaced_ = false;
        std::error_code error;
        if (!previous_.empty()) {
            std::filesystem::remove(previous_, error);
            if (!error) {
                previous_.clear();
            }
        }
        previousListing_.Unlist(); // a copy that stays is the user's to keep, not the handler's to remove
        return error;
    }

    /// Where the target's previous file is kept while it is; empty when there is none.
    const std::filesystem::path& Previous() const { return previous_; }

private:
    /// A replaced file keeps its permissions; a new one gets the usual ones for the user.
    void KeepModeOfTarget() const {
#if !defined(_WIN32)
        struct stat existing {};
        if (::stat(location_.c_str(), &existing) == 0) {
            ::fchmod(fd_, existing.st_mode & 07777);
        }
#endif
    }

    /// Gives the target's present file a second, hidden name: a hard link, so that the target
    /// never goes missing, or where the file system has no links, the file itself moved aside.
    /// Only a regular file is kept; anything else the rename will refuse to replace.
    std::error_code KeepPrevious() {
        std::error_code error;
        if (!std::filesystem::is_regular_file(std::filesystem::symlink_status(location_, error))) {
            return {};
        }
        for (int attempt = 0; attempt < 100; ++attempt) {
            const std::filesystem::path name = HiddenName(location_, attempt, ".old", nameLimit_);
            if (std::filesystem::exists(std::filesystem::symlink_status(name, error))) {
                continue;
            }
            previousListing_.List(name, location_);
            std::filesystem::create_hard_link(location_, name, error);
            previousMoved_ = static_cast<bool>(error);
            if (previousMoved_) {
                previousListing_.MarkMovedAside();
                std::filesystem::rename(location_, name, error);
            }
            if (error) {
                previousListing_.Unlist();
            } else {
                previous_ = name;
            }
            return error;
        }
        return std::make_error_code(std::errc::file_exists);
    }

    /// The hidden name of a previous file that was never replaced goes again.
    void ReleasePrevious() {
        if (previous_.empty()) {
            return;
        }
        std::error_code ignored;
        if (previousMoved_) {
            std::filesystem::rename(previous_, location_, ignored);
        } else {
            std::filesystem::remove(previous_, ignored);
        }
        previous_.clear();
        previousListing_.Unlist();
    }

    std::error_code NameTemporary() {
        if (!temporary_.empty()) {
            return {};
        }
#if defined(O_TMPFILE)
        const std::string self = "/proc/self/fd/" + std::to_string(fd_);
        for (int attempt = 0; attempt < 100; ++attempt) {
            const std::filesystem::path name = HiddenName(location_, attempt, ".tmp", nameLimit_);
            temporaryListing_.List(name);
            if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) == 0) {
                temporary_ = name;
                return {};
            }
            temporaryListing_.Unlist();
            if (errno != EEXIST) {
                break;
            }
        }
#endif
        return LastError();
    }

    /// Makes the rename itself survive a crash of the machine; nothing is lost if it cannot.
    void SyncFolder() const {
#if !defined(_WIN32)
        const int folder = ::open(location_.parent_path().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (folder >= 0) {
            ::fsync(folder);
            ::close(folder);
        }
#endif
    }

    void Close() {
        if (fd_ >= 0) {
            CloseFile(std::exchange(fd_, -1));
        }
    }

    bool inPlace_ = false;               // a special file, written directly
    bool owned_ = true;                  // false for a descriptor the process had before
    std::filesystem::path location_;      // the file the temporary replaces
    std::filesystem::path temporary_;     // the temporary's name while it has one
    std::filesystem::path previous_;      // the target's previous file, kept while the run's outputs are replaced
    bool previousMoved_ = false;          // previous_ is the file moved aside, not a second link to it
    bool replaced_ = false;               // the temporary is in the target's place, previous_ not yet dropped
    std::size_t nameLimit_ = 255;         // the longest file name the target's folder takes
    HiddenFile temporaryListing_;         // temporary_, for the signal handler
    HiddenFile previousListing_;          // previous_, likewise
};

OutputFile::OutputFile(const std::filesystem::path& target, std::string what)
    : target_(target), what_(std::move(what)), file_(std::make_unique<StagedFile>()), stream_(nullptr) {
    std::error_code error;
    const std::filesystem::file_status status = std::filesystem::status(target, error);
    if (std::filesystem::is_directory(status)) {
        Fail(std::make_error_code(std::errc::is_a_directory));
    }
    const bool special = std::filesystem::exists(status) && !std::filesystem::is_regular_file(status);
    if (!special) {
        RefuseNameTooLong(target);
        RemoveLeftoversOfEndedRuns(target); // a killed run's hidden files, before this run adds its own
    }
    error = special ? file_->OpenInPlace(target) : file_->OpenTemporary(OutputLocation(target));
    if (error) {
        Fail(error);
    }
    stream_.rdbuf(file_.get());
}

OutputFile::OutputFile(int descriptor, std::string what)
    : what_(std::move(what)), file_(std::make_unique<StagedFile>()), stream_(file_.get()) {
    file_->Adopt(descriptor);
}

OutputFile::~OutputFile() = default;

void OutputFile::Finish() {
    stream_.flush();
    if (const std::error_code error = file_->Finish()) {
        Fail(error);
    }
}

void OutputFile::Replace() {
    OutputFile* const self = this;
    ReplaceTogether({&self, 1});
}

void OutputFile::ReplaceTogether(std::span<OutputFile* const> files) {
    for (std::size_t failed = 0; failed < files.size(); ++failed) {
        const std::error_code error = files[failed]->file_->Replace();
        if (!error) {
            continue;
        }
        // Put back in reverse order; a file that will not go back is named with where its previous text is.
        std::string aftermath;
        for (std::size_t i = failed; i-- > 0;) {
            const std::filesystem::path kept = files[i]->file_->Previous();
            if (const std::error_code restoreError = files[i]->file_->Restore()) {
                aftermath += "; " + files[i]->Name() + " was replaced and cannot be put back (" +
                             restoreError.message() + ")" +
                             (kept.empty() ? std::string() : ", its previous file is kept as '" + kept.string() + "'");
            }
        }
        files[failed]->Fail(error, aftermath);
    }
    // Every target holds its new file; a previous copy that cannot go is said, not left silently.
    std::string kept;
    for (OutputFile* file : files) {
        if (const std::error_code error = file->file_->DropPrevious()) {
            kept += (kept.empty() ? "" : "; ") + file->Name() + "'s previous file stays as '" +
                    file->file_->Previous().string() + "' (" + error.message() + ")";
        }
    }
    if (!kept.empty()) {
        throw OutputError("every output was written, but " + kept + "; remove it by hand");
    }
}

void OutputFile::RefuseNameTooLong(const std::filesystem::path& target) const {
    const std::size_t limit = FileNameLimit(target);
    const std::size_t length = target.filename().u8string().size();
    if (length > limit) {
        throw OutputError("cannot write " + Name() + ": its name is " + std::to_string(length) +
                          " bytes long, and the file system takes names of at most " + std::to_string(limit) +
                          " bytes");
    }
}

std::string OutputFile::Name() const {
    return target_.empty() ? what_ : what_ + " '" + target_.string() + "'";
}

void OutputFile::Fail(const std::error_code& error, const std::string& aftermath) const {
    throw OutputError("cannot write " + Name() + ": " + error.message() + aftermath);
}

bool OpenClosedStandardDescriptors() {
#if defined(_WIN32)
    // Nothing to do: the C runtime keeps descriptors 0 to 2 for the standard streams whether
    // the process was given a handle for them or not, so no file it opens gets their numbers,
    // and a stream without a handle fails its writes, which standard output reports.
    return true;
#else
    for (int standard = 0; standard <= 2; ++standard) {
        if (::fcntl(standard, F_GETFD) != -1 || errno != EBADF) {
            continue;
        }
        // The lowest free number, so `standard` itself; moved there should it not be.
        const int null = ::open("/dev/null", O_RDWR);
        if (null < 0) {
            return false;
        }
        if (null != standard) {
            const bool moved = ::dup2(null, standard) == standard;
            ::close(null);
            if (!moved) {
                return false;
            }
        }
    }
    return true;
#endif
}

void WriteOutputFile(const std::filesystem::path& target, std::string what, std::string_view text) {
    OutputFile file(target, std::move(what));
    file.Write(text);
    file.Finish();
    file.Replace();
}

} // namespace host
