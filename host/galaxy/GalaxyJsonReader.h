// GalaxyJsonReader.h - a galaxy's content built straight from the JSON parser's events, entry by entry.
//
// The reader receives the parse as a stream of events and keeps only the entry
// being read and the entries already built: no parse tree of the document ever
// exists. It judges the document exactly as a complete parsed document would be
// judged, so a bad file gets the same one message wherever its faults sit: a
// syntax error anywhere comes first; then the galaxy object itself, "game",
// "turn", each array in turn (the array, then its entries in order) and
// "selection". A key given twice in one object is a fault that outranks all
// but a syntax error: which of the two values was meant cannot be told, and
// taking either silently would change the galaxy. The reader counts keys as
// they come; the lines of the two are found by a second reading
// (FindKeyLines), since counting lines on every pass would cost every load.
// A key the format does not have is a fault, named with the known key it
// was most likely meant to be; it ranks before every other fault of its object,
// since a misspelt key would otherwise read as a missing field. Until the parse
// ends, a fault is only noted (the first of each array) and reading goes on.
#pragma once

#include "galaxy/Galaxy.h"
#include "json/IgnoredJsonEvents.h"

#include <nlohmann/json.hpp>

#include <array>
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

namespace host {

/// The largest |x| and |y| a galaxy file may give a planet: distances, their squares
/// and the products of two of them then stay finite.
inline constexpr double kMaxCoordinate = 1e150;

/// One value of a known field, as far as the checks need it.
struct JsonFieldValue {
    enum class Kind : std::uint8_t { Absent, Text, Integer, Unsigned, Float, Other };

    Kind kind = Kind::Absent;
    std::string text;           // Kind::Text
    std::int64_t integer = 0;   // Kind::Integer (negative whole numbers)
    std::uint64_t unsignedValue = 0; // Kind::Unsigned (non-negative whole numbers)
    double number = 0.0;        // Kind::Float
    std::uint64_t keyNumber = 0; // which key of the document gave it, counted from 1; 0 when not given
};

namespace galaxy_json_detail {
struct ReadPosition;
} // namespace galaxy_json_detail

/// An event handler for nlohmann::json::sax_parse; afterwards TakeContent gives the result.
class GalaxyJsonReader {
public:
    using Json = nlohmann::json;

    // The parser's events (nlohmann's, or the same ones from ScanJson); each returns true to
    // go on. Only a syntax error stops the parse. Texts are views, valid during the call.
    bool null();
    bool boolean(bool value);
    bool number_integer(Json::number_integer_t value);
    bool number_unsigned(Json::number_unsigned_t value);
    bool number_float(Json::number_float_t value, std::string_view text);
    bool string(std::string_view value);
    bool binary(Json::binary_t& value);
    bool start_object(std::size_t elements);
    bool key(std::string_view name);
    bool end_object();
    bool start_array(std::size_t elements);
    bool end_array();
    bool parse_error(std::size_t position, const std::string& lastToken, const nlohmann::detail::exception& error);

    /// After a syntax error: the usual mistakes of an editor (an empty file, UTF-16 text, a
    /// comment, a comma after the last entry) in plain words, at the line where they are.
    void WordEditorMistake(const galaxy_json_detail::ReadPosition& position);

    /// The document's value was complete when a NUL byte came, at `line` and `column` as
    /// nlohmann's messages count them: a syntax error, since only whitespace may follow it.
    void NulAfterDocument(std::size_t line, std::size_t column);

    /// The numbers (in document order, from 1) of the first key given twice in one object and
    /// of its earlier twin, when the document has one and no syntax error.
    std::optional<std::pair<std::uint64_t, std::uint64_t>> RepeatedKeyNumbers() const;
    /// Throws the repeated key's GalaxyError, with the lines a second reading found for the two keys.
    [[noreturn]] void RefuseRepeatedKey(std::size_t firstLine, std::size_t secondLine) const;

    /// The checked content once the parse has ended. Throws GalaxyError with the first
    /// fault's message (no file name), "malformed JSON: ..." for a syntax error.
    GalaxyContent TakeContent();

    /// The fields of an entry: the most any kind of entry has.
    static constexpr std::size_t kMaxFields = 8;
    /// The galaxy's four arrays, in the order they are judged.
    enum class ArrayName : std::uint8_t { Races, Planets, ShipTypes, Groups };

private:
    /// Where the next event lands.
    enum class Level : std::uint8_t { Document, Galaxy, Array, Entry, Done };

    /// One of the galaxy's arrays as last given in the file.
    struct ArrayState {
        bool given = false;   // the key is in the galaxy object
        bool isArray = false; // and holds an array
        std::size_t nextIndex = 0;
        std::optional<std::string> firstFault; // with its entry's place; later entries are not built
        std::uint64_t keyNumber = 0; // the key that gave the array, as JsonFieldValue::keyNumber
    };

    /// The first key given twice in one object.
    struct RepeatedKey {
        std::string what; // the object's place and the key: "groups[3] (the 4th group): key \"count\""
        std::uint64_t firstNumber = 0;
        std::uint64_t secondNumber = 0;
    };

    /// Passes over the value that starts now (an object or array), wherever it sits.
    bool Skip();
    /// Passes over an object or array given for a field, which then holds neither text nor number.
    bool SkipFieldValue();
    /// Inside a value being passed over, an object or array starting (+1) or ending (-1)
    /// only moves the depth; false when no value is being passed over.
    bool MovesSkipDepth(int step);
    /// A scalar value has arrived; `store` fills the field it belongs to.
    template <typename Store>
    bool Scalar(Store store);
    /// Keeps the first key of the current entry, or of the galaxy object, that the format does not have.
    void NoteUnknownKey(std::string_view name);
    /// A known key has come; a second one in the same object is noted as the repeated key.
    /// `keyNumber` is the field's record of the key that gave it.
    void NoteKey(std::uint64_t& keyNumber, std::string_view name);
    /// A value has come for the current key: where a scalar of it goes, or null when nothing
    /// keeps it. For a galaxy array's key, the value is no array: the array restarts as such.
    JsonFieldValue* FieldOfValueNow();
    /// Where a scalar of the current key goes, or null when nothing keeps it; changes nothing.
    JsonFieldValue* FieldOfCurrentKey();
    /// The array's key has come (again): what an earlier one gave no longer counts.
    void RestartArray(ArrayName array, bool isArray);
    /// An array entry that is not an object.
    void EntryIsNotAnObject();
    /// The entry's fields are complete: checks and keeps it, or notes its fault.
    void FinishEntry();
    void NoteFault(ArrayState& array, std::string message);

    Level level_ = Level::Document;
    std::size_t skipDepth_ = 0; // > 0 while inside a value nobody reads
    bool galaxyIsObject_ = false;
    std::optional<std::string> syntaxError_;
    std::uint64_t keysRead_ = 0;            // every key of the document so far, skipped ones included
    std::optional<RepeatedKey> repeatedKey_;

    // The galaxy's own scalar fields and, for the key being read, where its value goes.
    std::array<JsonFieldValue, 4> galaxyFields_; // game, turn, selection, $schema
    JsonFieldValue* galaxyField_ = nullptr;
    std::optional<ArrayName> keyArray_; // the key just read names this array
    ArrayName array_ = ArrayName::Races; // the array being read, at Level::Array and below

    std::array<ArrayState, 4> arrays_;
    std::array<JsonFieldValue, kMaxFields> entryFields_;
    int entryField_ = -1; // index into entryFields_ of the key just read, -1 for an unknown key
    std::optional<std::string> unknownEntryKey_;  // the entry's first key the format does not have
    std::optional<std::string> unknownGalaxyKey_; // the galaxy object's first such key

    GalaxyContent content_;
};

namespace galaxy_json_detail {

/// Where a parse stands, counted as nlohmann counts for its messages, and where the first NUL byte was.
struct ReadPosition {
    std::size_t bytesRead = 0;
    std::size_t line = 1;
    std::size_t lineStart = 0; // bytes read before the current line began
    std::optional<std::pair<std::size_t, std::size_t>> nul; // its line and column
    std::array<unsigned char, 2> firstBytes{}; // to tell a UTF-16 file
    char lastMark = 0;       // the last byte read that is not whitespace
    char markBefore = 0;     // the one before it
    std::size_t commaLine = 0; // the line of the last comma read

    /// A byte above blank: kept for telling an editor's usual mistakes after a syntax error.
    void NoteMark(char byte) {
        markBefore = lastMark;
        lastMark = byte;
        if (byte == ',') {
            commaLine = line;
        }
    }

    /// A byte up to '\n' has been read: a line break or a control character.
    void NoteLowByte(char byte) {
        if (byte == '\n') {
            ++line;
            lineStart = bytesRead;
        } else if (byte == '\0' && !nul) {
            nul.emplace(line, bytesRead - lineStart);
        }
    }
};

/// An input iterator that counts the lines and columns of what the parser reads through it.
/// One comparison a byte: on the fallback path every byte of a file goes through it.
template <typename Iterator>
class CountingIterator {
public:
    using iterator_category = std::input_iterator_tag;
    using value_type = char;
    using difference_type = std::ptrdiff_t;
    using reference = const char&;

    CountingIterator(Iterator at, ReadPosition* position) : at_(std::move(at)), position_(position) {}

    reference operator*() const { return *at_; }
    CountingIterator& operator++() {
        const char read = *at_;
        ++at_;
        if (position_->bytesRead < 2) {
            position_->firstBytes[position_->bytesRead] = static_cast<unsigned char>(read);
        }
        ++position_->bytesRead;
        if (static_cast<unsigned char>(read) <= '\n') {
            position_->NoteLowByte(read);
        } else if (read != ' ' && read != '\r') {
            position_->NoteMark(read);
        }
        return *this;
    }
    void operator++(int) { ++*this; }
    bool operator==(const CountingIterator& other) const { return at_ == other.at_; }

private:
    Iterator at_;
    ReadPosition* position_;
};

/// Events of a second reading that note the lines of two keys, found by their numbers.
class KeyLineFinder : public IgnoredJsonEvents {
public:
    KeyLineFinder(const ReadPosition& position, std::uint64_t first, std::uint64_t second)
        : position_(position), wanted_{first, second} {}

    bool key(string_t&) override {
        ++keys_;
        for (std::size_t i = 0; i < 2; ++i) {
            if (keys_ == wanted_[i]) {
                lines_[i] = position_.line; // the parser has just read the key's closing quote
            }
        }
        return keys_ < wanted_[1];
    }
    std::pair<std::size_t, std::size_t> Lines() const { return {lines_[0], lines_[1]}; }

private:
    const ReadPosition& position_;
    std::uint64_t keys_ = 0;
    std::array<std::uint64_t, 2> wanted_;
    std::array<std::size_t, 2> lines_{};
};

} // namespace galaxy_json_detail

/// The lines of the document's keys numbered `first` and `second` (from 1, in document order),
/// read again from [begin, end): 0 for a key the reading did not reach.
template <typename Iterator>
std::pair<std::size_t, std::size_t> FindKeyLines(Iterator begin, Iterator end, std::uint64_t first, std::uint64_t second) {
    using Counting = galaxy_json_detail::CountingIterator<Iterator>;
    galaxy_json_detail::ReadPosition position;
    galaxy_json_detail::KeyLineFinder finder(position, first, second);
    nlohmann::json::sax_parse(Counting(std::move(begin), &position), Counting(std::move(end), &position), &finder);
    return finder.Lines();
}

/// nlohmann's parse of the document in [first, last) into `reader`. Its lexer takes a NUL byte
/// for the end of the input, so a document followed by a NUL and anything at all would pass;
/// here the document ends where JSON says it ends, and a NUL after it is a syntax error at its
/// place, as anything else but whitespace there is. (A NUL anywhere before the document's end
/// is refused by the parse itself.)
template <typename Iterator>
void ParseJsonDocument(Iterator first, Iterator last, GalaxyJsonReader& reader) {
    using Counting = galaxy_json_detail::CountingIterator<Iterator>;
    galaxy_json_detail::ReadPosition position;
    if (!nlohmann::json::sax_parse(Counting(std::move(first), &position), Counting(std::move(last), &position),
                                   &reader)) {
        reader.WordEditorMistake(position);
    } else if (position.nul) {
        reader.NulAfterDocument(position.nul->first, position.nul->second);
    }
}

} // namespace host
