// GalaxyFault.cpp - an entry's place as messages show it.
#include "galaxy/GalaxyFault.h"

namespace host {

namespace {

/// "1st", "2nd", "3rd", "4th", ..., "11th", ..., "21st".
std::string Ordinal(std::size_t number) {
    const std::size_t lastTwo = number % 100;
    const std::size_t last = number % 10;
    const char* suffix = "th";
    if (lastTwo < 11 || lastTwo > 13) {
        suffix = last == 1 ? "st" : last == 2 ? "nd" : last == 3 ? "rd" : "th";
    }
    return std::to_string(number) + suffix;
}

/// What one entry of `array` is to a player. Planets are numbered in file order, so a planet's
/// place is its number; a group's number is its own field, so its place is only a count.
std::string EntryAsPlayerCountsIt(std::string_view array, std::size_t index) {
    if (array == "planets") {
        return "planet #" + std::to_string(index + 1);
    }
    const char* kind = array == "races" ? " race" : array == "shipTypes" ? " ship type" : " group";
    return "the " + Ordinal(index + 1) + kind;
}

} // namespace

std::string EntryPlace(std::string_view array, std::size_t index) {
    std::string where(array);
    where += '[';
    where += std::to_string(index);
    where += "] (";
    where += EntryAsPlayerCountsIt(array, index);
    where += "): ";
    return where;
}

} // namespace host
