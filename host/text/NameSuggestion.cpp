// NameSuggestion.cpp - edit distance with swaps, and the unique-prefix shortcut.
#include "text/NameSuggestion.h"

#include <algorithm>
#include <cstddef>

namespace host {
namespace {

std::string_view WithoutDashes(std::string_view name) {
    return name.substr(std::min(name.find_first_not_of('-'), name.size()));
}

/// Optimal string alignment distance: inserts, deletes, changes and swaps of neighbours each cost 1.
std::size_t TypingDistance(std::string_view a, std::string_view b) {
    std::vector<std::vector<std::size_t>> d(a.size() + 1, std::vector<std::size_t>(b.size() + 1));
    for (std::size_t i = 0; i <= a.size(); ++i) {
        d[i][0] = i;
    }
    for (std::size_t j = 0; j <= b.size(); ++j) {
        d[0][j] = j;
    }
    for (std::size_t i = 1; i <= a.size(); ++i) {
        for (std::size_t j = 1; j <= b.size(); ++j) {
            const std::size_t change = a[i - 1] == b[j - 1] ? 0 : 1;
            d[i][j] = std::min({d[i - 1][j] + 1, d[i][j - 1] + 1, d[i - 1][j - 1] + change});
            if (i > 1 && j > 1 && a[i - 1] == b[j - 2] && a[i - 2] == b[j - 1]) {
                d[i][j] = std::min(d[i][j], d[i - 2][j - 2] + 1);
            }
        }
    }
    return d[a.size()][b.size()];
}

} // namespace

std::optional<std::string> SuggestName(std::string_view typed, const std::vector<std::string>& known) {
    const std::string_view word = WithoutDashes(typed);
    if (word.empty()) {
        return std::nullopt;
    }
    std::vector<const std::string*> extending;
    for (const std::string& name : known) {
        if (WithoutDashes(name).starts_with(word)) {
            extending.push_back(&name);
        }
    }
    if (extending.size() == 1 && word.size() >= 3) {
        return *extending.front();
    }
    // One slip in a short word, two in a longer one: more would suggest unrelated names.
    const std::size_t allowed = word.size() <= 4 ? 1 : 2;
    const std::string* best = nullptr;
    std::size_t bestDistance = allowed + 1;
    for (const std::string& name : known) {
        const std::string_view candidate = WithoutDashes(name);
        // The lengths alone rule a name out, before a table of their product is filled:
        // a galaxy file's key may be megabytes long.
        const std::size_t lengthGap = std::max(word.size(), candidate.size()) - std::min(word.size(), candidate.size());
        if (lengthGap > allowed) {
            continue;
        }
        const std::size_t distance = TypingDistance(word, candidate);
        if (distance < bestDistance) {
            best = &name;
            bestDistance = distance;
        }
    }
    return best != nullptr ? std::optional<std::string>(*best) : std::nullopt;
}

} // namespace host
