// GalaxyJsonReader.cpp - following the parse through the galaxy's fields and arrays, and checking each entry as it ends.
#include "galaxy/GalaxyJsonReader.h"

#include "galaxy/GalaxyFault.h"
#include "text/NameSuggestion.h"
#include "text/SafeText.h"

#include <algorithm>
#include <cassert>
#include <cmath>
#include <limits>
#include <span>
#include <string_view>
#include <utility>
#include <vector>

namespace host {

namespace {

using Kind = JsonFieldValue::Kind;
using ArrayName = GalaxyJsonReader::ArrayName;

/// The fields one kind of entry is built from; an entry may have no other keys.
struct ArrayFormat {
    const char* name;
    std::array<std::string_view, GalaxyJsonReader::kMaxFields> fields;
    std::size_t fieldCount;

    std::span<const std::string_view> Fields() const { return {fields.data(), fieldCount}; }
};

constexpr std::array<ArrayFormat, 4> kArrayFormats = {{
    {"races", {"name", "drivesTech"}, 2},
    {"planets", {"name", "x", "y", "owner"}, 4},
    {"shipTypes", {"race", "name", "drives", "weapons", "ammo", "cargo", "shields"}, 7},
    {"groups", {"number", "race", "type", "planet", "count", "speed", "from", "fleet"}, 8},
}};

/// The galaxy object's own scalar fields, in the order of GalaxyJsonReader::galaxyFields_.
/// "$schema" lets a file name its JSON Schema for an editor; the host reads nothing from it.
constexpr std::array<std::string_view, 4> kGalaxyFields = {"game", "turn", "selection", "$schema"};

// Each field's position in its list above, so that building an entry looks nothing up.
enum GalaxyField : std::size_t { kGame, kTurn, kSelection, kSchema };
enum RaceField : std::size_t { kRaceName, kDrivesTech };
enum PlanetField : std::size_t { kPlanetName, kX, kY, kOwner };
enum ShipTypeField : std::size_t { kTypeRace, kTypeName, kDrives, kWeapons, kAmmo, kCargo, kShields };
enum GroupField : std::size_t { kNumber, kGroupRace, kGroupType, kPlanet, kCount, kSpeed, kFrom, kFleet };

const ArrayFormat& FormatOf(ArrayName array) {
    return kArrayFormats[static_cast<std::size_t>(array)];
}

/// Byte for byte equality, inline: keys are a few letters, too short to be worth a call to memcmp.
bool SameText(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (a[i] != b[i]) {
            return false;
        }
    }
    return true;
}

/// Position of `name` among `fields`, or -1.
int FieldIndex(std::span<const std::string_view> fields, std::string_view name) {
    const auto it = std::find_if(fields.begin(), fields.end(), [name](std::string_view field) { return SameText(field, name); });
    return it == fields.end() ? -1 : static_cast<int>(it - fields.begin());
}

/// Reads the checked values of one object's known fields; every complaint starts with
/// where the object sits. The place is kept as array name and index and spelled out
/// only for a complaint, so reading a few hundred thousand good entries makes no
/// strings for it.
class FieldReader {
public:
    /// The galaxy object itself.
    FieldReader(std::span<const std::string_view> names, std::span<const JsonFieldValue> values)
        : names_(names), values_(values) {}

    /// Entry `index` of the galaxy's array `array`.
    FieldReader(std::span<const std::string_view> names, std::span<const JsonFieldValue> values, const char* array,
                std::size_t index)
        : names_(names), values_(values), array_(array), index_(index) {}

    /// Valid until the next entry is read: what keeps it copies it.
    const std::string& Text(std::size_t field) const {
        const JsonFieldValue& value = Required(field);
        if (value.kind != Kind::Text) {
            Mistyped(field, "a text");
        }
        return value.text;
    }

    std::string_view OptionalText(std::size_t field) const {
        return values_[field].kind == Kind::Absent ? std::string_view() : std::string_view(Text(field));
    }

    /// Whole numbers convert as the JSON library converts them, so every value is the
    /// double it always was, bit for bit.
    double Number(std::size_t field) const {
        const JsonFieldValue& value = Required(field);
        switch (value.kind) {
        case Kind::Integer:
            return static_cast<double>(value.integer);
        case Kind::Unsigned:
            return static_cast<double>(value.unsignedValue);
        case Kind::Float:
            return value.number;
        default:
            Mistyped(field, "a number");
        }
    }

    double Coordinate(std::size_t field) const {
        const double value = Number(field);
        if (std::fabs(value) > kMaxCoordinate) {
            OutOfRange(field);
        }
        return value;
    }

    std::int32_t WholeNumber(std::size_t field) const {
        const JsonFieldValue& value = Required(field);
        if (value.kind == Kind::Unsigned) {
            if (value.unsignedValue > static_cast<std::uint64_t>(std::numeric_limits<std::int32_t>::max())) {
                OutOfRange(field);
            }
            return static_cast<std::int32_t>(value.unsignedValue);
        }
        if (value.kind != Kind::Integer) {
            Mistyped(field, "a whole number");
        }
        if (value.integer < std::numeric_limits<std::int32_t>::min() ||
            value.integer > std::numeric_limits<std::int32_t>::max()) {
            OutOfRange(field);
        }
        return static_cast<std::int32_t>(value.integer);
    }

    /// A galaxy array's key: present and holding an array.
    void RequireArray(const char* field, bool given, bool isArray) const {
        if (!given) {
            Missing(field);
        }
        if (!isArray) {
            RefuseGalaxy(Where(), "field \"", field, "\" must be an array");
        }
    }

private:
    const JsonFieldValue& Required(std::size_t field) const {
        const JsonFieldValue& value = values_[field];
        if (value.kind == Kind::Absent) {
            Missing(names_[field]);
        }
        return value;
    }

    [[noreturn]] void Missing(std::string_view field) const { RefuseGalaxy(Where(), "missing field \"", field, "\""); }

    [[noreturn]] void Mistyped(std::size_t field, const char* expected) const {
        RefuseGalaxy(Where(), "field \"", names_[field], "\" must be ", expected);
    }

    [[noreturn]] void OutOfRange(std::size_t field) const {
        RefuseGalaxy(Where(), "field \"", names_[field], "\" is out of range");
    }

    /// "planets[3]: " for an entry, nothing for the galaxy object.
    std::string Where() const {
        return array_ == nullptr ? std::string() : EntryPlace(array_, index_);
    }

    std::span<const std::string_view> names_;
    std::span<const JsonFieldValue> values_;
    const char* array_ = nullptr;
    std::size_t index_ = 0;
};

/// A key as a message shows it, before quoting: the first 40 bytes of a longer one, cut
/// where a character starts, are enough to find it in the file.
std::string ShownKey(std::string_view key) {
    constexpr std::size_t kShown = 40;
    if (key.size() <= kShown) {
        return std::string(key);
    }
    std::size_t cut = kShown;
    while (cut > 0 && (static_cast<unsigned char>(key[cut]) & 0xC0U) == 0x80U) {
        --cut; // a UTF-8 continuation byte: the character began earlier
    }
    return std::string(key.substr(0, cut)) + "...";
}

/// `where` unknown key "ownr"; did you mean "owner"?
std::string UnknownKeyMessage(const std::string& where, std::string_view key, const std::vector<std::string>& known) {
    std::string message = where + "unknown key " + Quoted(ShownKey(key));
    if (const std::optional<std::string> meant = SuggestName(key, known)) {
        message += "; did you mean \"" + *meant + "\"?";
    }
    return message;
}

/// nlohmann's messages open with an exception tag that means nothing to a player.
std::string WithoutExceptionTag(const char* message) {
    std::string text = message;
    if (!text.empty() && text.front() == '[') {
        const std::size_t close = text.find("] ");
        if (close != std::string::npos) {
            text.erase(0, close + 2);
        }
    }
    return text;
}

} // namespace

bool GalaxyJsonReader::null() {
    return Scalar([](JsonFieldValue& field) { field.kind = Kind::Other; });
}

bool GalaxyJsonReader::boolean(bool) {
    return Scalar([](JsonFieldValue& field) { field.kind = Kind::Other; });
}

bool GalaxyJsonReader::number_integer(Json::number_integer_t value) {
    return Scalar([value](JsonFieldValue& field) {
        field.kind = Kind::Integer;
        field.integer = value;
    });
}

bool GalaxyJsonReader::number_unsigned(Json::number_unsigned_t value) {
    return Scalar([value](JsonFieldValue& field) {
        field.kind = Kind::Unsigned;
        field.unsignedValue = value;
    });
}

bool GalaxyJsonReader::number_float(Json::number_float_t value, std::string_view) {
    return Scalar([value](JsonFieldValue& field) {
        field.kind = Kind::Float;
        field.number = value;
    });
}

bool GalaxyJsonReader::string(std::string_view value) {
    return Scalar([&value](JsonFieldValue& field) {
        field.kind = Kind::Text;
        field.text.assign(value); // reuses the field's buffer from entry to entry
    });
}

bool GalaxyJsonReader::binary(Json::binary_t&) {
    return true; // JSON text has no binary values
}

bool GalaxyJsonReader::start_object(std::size_t) {
    if (MovesSkipDepth(1)) {
        return true;
    }
    switch (level_) {
    case Level::Document:
        galaxyIsObject_ = true;
        level_ = Level::Galaxy;
        return true;
    case Level::Array:
        level_ = Level::Entry;
        for (JsonFieldValue& field : entryFields_) {
            field.kind = Kind::Absent;
            field.keyNumber = 0;
        }
        entryField_ = -1;
        unknownEntryKey_.reset();
        return true;
    default:
        return SkipFieldValue();
    }
}

bool GalaxyJsonReader::start_array(std::size_t) {
    if (MovesSkipDepth(1)) {
        return true;
    }
    switch (level_) {
    case Level::Document:
        level_ = Level::Done;
        return Skip();
    case Level::Array:
        EntryIsNotAnObject();
        return Skip();
    case Level::Galaxy:
        if (keyArray_) {
            array_ = *keyArray_;
            RestartArray(array_, true);
            level_ = Level::Array;
            return true;
        }
        [[fallthrough]];
    default:
        return SkipFieldValue();
    }
}

bool GalaxyJsonReader::end_object() {
    if (MovesSkipDepth(-1)) {
        return true;
    }
    if (level_ == Level::Entry) {
        FinishEntry();
        level_ = Level::Array;
    } else {
        level_ = Level::Done;
    }
    return true;
}

bool GalaxyJsonReader::end_array() {
    if (MovesSkipDepth(-1)) {
        return true;
    }
    level_ = Level::Galaxy;
    return true;
}

bool GalaxyJsonReader::key(std::string_view name) {
    ++keysRead_; // every key counts, so that a second reading can find one by its number
    if (skipDepth_ > 0) {
        return true;
    }
    if (level_ == Level::Entry) {
        // Files list an entry's fields in the usual order: the one after the last is tried first.
        const ArrayFormat& format = FormatOf(array_);
        const auto expected = static_cast<std::size_t>(entryField_ + 1);
        const bool asExpected = expected < format.fieldCount && SameText(format.fields[expected], name);
        entryField_ = asExpected ? static_cast<int>(expected) : FieldIndex(format.Fields(), name);
        if (entryField_ < 0) {
            NoteUnknownKey(name);
        } else {
            NoteKey(entryFields_[static_cast<std::size_t>(entryField_)].keyNumber, name);
        }
        return true;
    }
    // The galaxy object: one of its scalar fields, one of its arrays, or a key the format does not have.
    galaxyField_ = nullptr;
    keyArray_.reset();
    const int field = FieldIndex(kGalaxyFields, name);
    if (field >= 0) {
        galaxyField_ = &galaxyFields_[static_cast<std::size_t>(field)];
        NoteKey(galaxyField_->keyNumber, name);
        return true;
    }
    for (std::size_t a = 0; a < kArrayFormats.size(); ++a) {
        if (name == kArrayFormats[a].name) {
            keyArray_ = static_cast<ArrayName>(a);
            NoteKey(arrays_[a].keyNumber, name);
        }
    }
    if (!keyArray_) {
        NoteUnknownKey(name);
    }
    return true;
}

void GalaxyJsonReader::NoteKey(std::uint64_t& keyNumber, std::string_view name) {
    if (keyNumber != 0 && !repeatedKey_) {
        // Where the object sits is spelled out now: this happens once a document at most.
        const std::string place = level_ == Level::Entry
                                      ? EntryPlace(FormatOf(array_).name, arrays_[static_cast<std::size_t>(array_)].nextIndex)
                                      : std::string("the galaxy object: ");
        repeatedKey_ = RepeatedKey{place + "key " + Quoted(ShownKey(name)), keyNumber, keysRead_};
    }
    keyNumber = keysRead_;
}

void GalaxyJsonReader::NoteUnknownKey(std::string_view name) {
    std::optional<std::string>& noted = level_ == Level::Entry ? unknownEntryKey_ : unknownGalaxyKey_;
    if (!noted) {
        noted = std::string(name); // only the first counts; later ones need no copy
    }
}

bool GalaxyJsonReader::parse_error(std::size_t, const std::string&, const nlohmann::detail::exception& error) {
    syntaxError_ = WithoutExceptionTag(error.what());
    return false;
}

void GalaxyJsonReader::WordEditorMistake(const galaxy_json_detail::ReadPosition& position) {
    if (!syntaxError_) {
        return;
    }
    const auto [first, second] = position.firstBytes;
    const std::string line = "line " + std::to_string(position.line) + ": ";
    // 0xFF and 0xFE never begin UTF-8: they are a UTF-16 byte-order mark; without one, ASCII
    // written as UTF-16 has a NUL for its second byte.
    if (first == 0xFF || first == 0xFE || (position.bytesRead >= 2 && first != 0 && second == 0)) {
        syntaxError_ = "the file is UTF-16 text; save it as UTF-8";
    } else if (position.lastMark == 0 && !position.nul &&
               (syntaxError_->find("empty input") != std::string::npos ||
                syntaxError_->find("end of input") != std::string::npos)) {
        syntaxError_ = "the file is empty; a galaxy file is one JSON object";
    } else if (position.lastMark == '/') {
        syntaxError_ = line + "a comment; JSON has none, remove it";
    } else if ((position.lastMark == ']' || position.lastMark == '}') && position.markBefore == ',') {
        syntaxError_ = "line " + std::to_string(position.commaLine) + ": a comma after the last entry before '" +
                       position.lastMark + "'; remove it";
    }
}

void GalaxyJsonReader::NulAfterDocument(std::size_t line, std::size_t column) {
    // Worded as the parser words anything else after the document.
    syntaxError_ = "parse error at line " + std::to_string(line) + ", column " + std::to_string(column) +
                   ": syntax error while parsing value - unexpected NUL byte; expected end of input";
}

bool GalaxyJsonReader::Skip() {
    skipDepth_ = 1;
    return true;
}

bool GalaxyJsonReader::SkipFieldValue() {
    // An object or array where a field wants a scalar: the field holds something else.
    if (JsonFieldValue* field = FieldOfValueNow()) {
        field->kind = Kind::Other;
    }
    return Skip();
}

bool GalaxyJsonReader::MovesSkipDepth(int step) {
    if (skipDepth_ == 0) {
        return false;
    }
    skipDepth_ = step > 0 ? skipDepth_ + 1 : skipDepth_ - 1;
    return true;
}

template <typename Store>
bool GalaxyJsonReader::Scalar(Store store) {
    if (skipDepth_ > 0) {
        return true;
    }
    switch (level_) {
    case Level::Document:
        level_ = Level::Done; // a galaxy that is a single number or text
        break;
    case Level::Array:
        EntryIsNotAnObject();
        break;
    default:
        if (JsonFieldValue* field = FieldOfValueNow()) {
            store(*field);
        }
        break;
    }
    return true;
}

JsonFieldValue* GalaxyJsonReader::FieldOfValueNow() {
    if (level_ == Level::Galaxy && keyArray_) {
        RestartArray(*keyArray_, false); // an array's key holding anything but an array
        return nullptr;
    }
    return FieldOfCurrentKey();
}

JsonFieldValue* GalaxyJsonReader::FieldOfCurrentKey() {
    if (level_ == Level::Entry) {
        return entryField_ < 0 ? nullptr : &entryFields_[static_cast<std::size_t>(entryField_)];
    }
    return level_ == Level::Galaxy ? galaxyField_ : nullptr;
}

void GalaxyJsonReader::RestartArray(ArrayName array, bool isArray) {
    ArrayState& state = arrays_[static_cast<std::size_t>(array)];
    state = ArrayState{true, isArray, 0, std::nullopt, state.keyNumber};
    switch (array) {
    case ArrayName::Races:
        content_.races.clear();
        break;
    case ArrayName::Planets:
        content_.planets.clear();
        break;
    case ArrayName::ShipTypes:
        content_.shipTypes.clear();
        break;
    case ArrayName::Groups:
        content_.groups.clear();
        break;
    }
}

void GalaxyJsonReader::EntryIsNotAnObject() {
    ArrayState& array = arrays_[static_cast<std::size_t>(array_)];
    const std::size_t index = array.nextIndex++;
    if (!array.firstFault) {
        NoteFault(array, EntryPlace(FormatOf(array_).name, index) + "must be an object");
    }
}

void GalaxyJsonReader::NoteFault(ArrayState& array, std::string message) {
    array.firstFault = std::move(message);
}

void GalaxyJsonReader::FinishEntry() {
    ArrayState& array = arrays_[static_cast<std::size_t>(array_)];
    const std::size_t index = array.nextIndex++;
    if (array.firstFault) {
        return; // the array is refused already; its later entries need not be kept
    }
    const ArrayFormat& format = FormatOf(array_);
    const FieldReader entry(format.Fields(), std::span(entryFields_.data(), format.fieldCount), format.name, index);
    if (unknownEntryKey_) {
        NoteFault(array, UnknownKeyMessage(EntryPlace(format.name, index),
                                           *unknownEntryKey_, {format.Fields().begin(), format.Fields().end()}));
        return;
    }
    try {
        switch (array_) {
        case ArrayName::Races:
            content_.races.push_back(Race{entry.Text(kRaceName), entry.Number(kDrivesTech)});
            break;
        case ArrayName::Planets:
            content_.planets.push_back(
                Planet{entry.Text(kPlanetName), entry.Coordinate(kX), entry.Coordinate(kY), entry.OptionalText(kOwner)});
            break;
        case ArrayName::ShipTypes:
            content_.shipTypes.push_back(ShipType{entry.Text(kTypeRace), entry.Text(kTypeName), entry.Number(kDrives),
                                                  entry.Number(kWeapons), entry.Number(kAmmo), entry.Number(kCargo),
                                                  entry.Number(kShields)});
            break;
        case ArrayName::Groups:
            content_.groups.push_back(Group{entry.WholeNumber(kNumber), entry.Text(kGroupRace), entry.Text(kGroupType),
                                            entry.WholeNumber(kPlanet), entry.WholeNumber(kCount),
                                            entry.Number(kSpeed), entry.WholeNumber(kFrom), entry.Text(kFleet)});
            break;
        }
    } catch (const GalaxyError& fault) {
        NoteFault(array, fault.what());
    }
}

std::optional<std::pair<std::uint64_t, std::uint64_t>> GalaxyJsonReader::RepeatedKeyNumbers() const {
    if (syntaxError_ || !repeatedKey_) {
        return std::nullopt; // a syntax error outranks every other fault
    }
    return std::pair(repeatedKey_->firstNumber, repeatedKey_->secondNumber);
}

void GalaxyJsonReader::RefuseRepeatedKey(std::size_t firstLine, std::size_t secondLine) const {
    assert(repeatedKey_ && "RefuseRepeatedKey needs a repeated key");
    RefuseGalaxy(repeatedKey_->what, " is given twice, on lines ", std::to_string(firstLine), " and ",
                 std::to_string(secondLine), "; keep one of them");
}

GalaxyContent GalaxyJsonReader::TakeContent() {
    if (syntaxError_) {
        throw GalaxyError("malformed JSON: " + *syntaxError_);
    }
    if (!galaxyIsObject_) {
        throw GalaxyError("the galaxy must be a JSON object");
    }
    if (unknownGalaxyKey_) {
        std::vector<std::string> known(kGalaxyFields.begin(), kGalaxyFields.end());
        for (const ArrayFormat& format : kArrayFormats) {
            known.emplace_back(format.name);
        }
        throw GalaxyError(UnknownKeyMessage("", *unknownGalaxyKey_, known));
    }
    const FieldReader galaxy(kGalaxyFields, galaxyFields_);
    galaxy.OptionalText(kSchema); // checked, as the schema states it, and not kept
    content_.game = galaxy.Text(kGame);
    content_.turn = galaxy.WholeNumber(kTurn);
    for (std::size_t a = 0; a < arrays_.size(); ++a) {
        galaxy.RequireArray(kArrayFormats[a].name, arrays_[a].given, arrays_[a].isArray);
        if (arrays_[a].firstFault) {
            throw GalaxyError(*arrays_[a].firstFault);
        }
    }
    content_.selection = galaxy.WholeNumber(kSelection);
    return std::move(content_);
}

} // namespace host
