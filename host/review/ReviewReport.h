// ReviewReport.h - the plan's review as the report shows it: a short text block after the orders,
// and the `quality` object of the --json report.
#pragma once

#include "galaxy/Galaxy.h"
#include "json/JsonText.h"
#include "review/PlanReview.h"

#include <iosfwd>
#include <optional>

namespace host {

/// The widest line the text block writes, in terminal columns.
inline constexpr std::size_t kReviewColumns = 80;

/// The review block: covered against the best possible, the ships, each planet left with its
/// reason, what a best plan adds, refused orders, relay planets left empty. Writes nothing
/// without a review. `galaxy` for the planets' names.
void WriteReviewText(std::ostream& out, const std::optional<PlanReview>& review, const Galaxy& galaxy);

/// {"covered", "covered_direct", "covered_through_relays", "best_possible", "best_direct",
///  "best_through_relays", "optimal", "bounded", "ships": {...}, "left": [...], "best_extra": [...],
///  "refused": [...], "relays_left_empty": [...]}; null without a review. docs/review.md has each field.
OrderedJson ReviewJson(const std::optional<PlanReview>& review, const Galaxy& galaxy);

} // namespace host
