// PlanScene.cpp - sorting a run's orders into arrows and chains, giving planets their roles, framing the plan.
#include "views/PlanScene.h"

#include "text/NumberText.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <optional>

namespace host {
namespace {

constexpr std::size_t kNone = std::numeric_limits<std::size_t>::max(); // a relay order already in a chain
constexpr double kFrameMargin = 0.08;      // of the frame's longer side, so edge planets keep their labels
constexpr double kWholeFrameShare = 0.45;  // a frame over this share of the galaxy's area shows the whole
constexpr int kNotePlaces = 3;             // distances and speeds in a marked planet's note, as the report gives them

PlanBox BoxAround(const std::vector<Planet>& planets) {
    if (planets.empty()) {
        return {};
    }
    PlanBox box{planets.front().x, planets.front().y, planets.front().x, planets.front().y};
    for (const Planet& planet : planets) {
        box.minX = std::min(box.minX, planet.x);
        box.maxX = std::max(box.maxX, planet.x);
        box.minY = std::min(box.minY, planet.y);
        box.maxY = std::max(box.maxY, planet.y);
    }
    return box;
}

/// Widens a box to a usable span on each side and adds the margin; a box of one point stays drawable.
PlanBox WithMargin(PlanBox box, double margin) {
    const double side = std::max({box.Width(), box.Height(), 1.0});
    const double pad = side * margin;
    const double centreX = (box.minX + box.maxX) / 2.0, centreY = (box.minY + box.maxY) / 2.0;
    const double halfX = std::max(box.Width(), side * 0.25) / 2.0 + pad;
    const double halfY = std::max(box.Height(), side * 0.25) / 2.0 + pad;
    return {centreX - halfX, centreY - halfY, centreX + halfX, centreY + halfY};
}

void Include(PlanBox& box, double x, double y) {
    box.minX = std::min(box.minX, x);
    box.maxX = std::max(box.maxX, x);
    box.minY = std::min(box.minY, y);
    box.maxY = std::max(box.maxY, y);
}

bool Finite(const PlanBox& box) {
    return std::isfinite(box.minX) && std::isfinite(box.minY) && std::isfinite(box.maxX) &&
           std::isfinite(box.maxY) && std::isfinite(box.Width()) && std::isfinite(box.Height());
}

} // namespace

const char* RoleLabel(PlanetRole role) {
    switch (role) {
    case PlanetRole::Source: return "Source of the group";
    case PlanetRole::Relay: return "Relay planet (a ship sent on)";
    case PlanetRole::Target: return "Reached by a ship";
    case PlanetRole::Refused: return "Aimed at, refused";
    case PlanetRole::InReach: return "In reach, no ship sent";
    case PlanetRole::Own: return "Own planet, not in the plan";
    case PlanetRole::Other: break;
    }
    return "Other planet";
}

const char* RoleKey(PlanetRole role) {
    switch (role) {
    case PlanetRole::Source: return "source";
    case PlanetRole::Relay: return "relay";
    case PlanetRole::Target: return "target";
    case PlanetRole::Refused: return "refused";
    case PlanetRole::InReach: return "in-reach";
    case PlanetRole::Own: return "own";
    case PlanetRole::Other: break;
    }
    return "other";
}

RoleStyle StyleOfRole(PlanetRole role) {
    switch (role) {
    case PlanetRole::Source: return {"#ffd166", "#fff3c4", 7.0};
    case PlanetRole::Relay: return {"#f4a261", "#ffe0c2", 5.5};
    case PlanetRole::Target: return {"#8ecae6", "#e3f4fb", 4.5};
    case PlanetRole::Refused: return {"#ef476f", "#ffc2d0", 4.5};
    case PlanetRole::InReach: return {"#3d5a80", "#6f8fb8", 2.5};
    case PlanetRole::Own: return {"#2a9d8f", "#52c2b4", 2.5};
    case PlanetRole::Other: break;
    }
    return {"#343c50", "#4a5570", 2.0};
}

const char* MarkLabel(ReviewMark mark) {
    return mark == ReviewMark::Left ? "Left in direct reach" : "A best plan adds";
}

const char* MarkKey(ReviewMark mark) { return mark == ReviewMark::Left ? "left" : "best-extra"; }

const char* MarkColour(ReviewMark mark) { return mark == ReviewMark::Left ? "#ffb703" : "#06d6a0"; }

PlanScene::PlanScene(const Galaxy& galaxy, std::int32_t selectedGroup, const RunOutcome& outcome,
                     const PlanReview* review)
    : galaxy_(galaxy), outcome_(outcome), review_(review), roles_(galaxy.Planets().size(), PlanetRole::Other) {
    if (const Group* selected = galaxy.FindGroup(selectedGroup); selected != nullptr) {
        selected_ = *selected;
        const std::int32_t at = selected->InOrbit() ? selected->planet : selected->from;
        source_ = galaxy.HasPlanet(at) ? at : 0;
    }
    SortOrdersIntoArrows();
    AssignRoles();
    IndexTheReview();
    FrameThePlan();
}

std::size_t PlanScene::CountArrows(bool refused, bool inChain) const {
    return static_cast<std::size_t>(std::count_if(arrows_.begin(), arrows_.end(), [&](const PlanArrow& arrow) {
        return arrow.refused == refused && (refused || (arrow.chain >= 0) == inChain);
    }));
}

void PlanScene::SortOrdersIntoArrows() {
    const std::vector<OrderResult>& orders = outcome_.orders;
    std::vector<std::size_t> relayed; // accepted orders of relay groups not yet in a chain
    std::vector<std::int32_t> relayPlanets;
    for (std::size_t i = 0; i < orders.size(); ++i) {
        if (orders[i].accepted && orders[i].group != selected_.number) {
            relayed.push_back(i);
            relayPlanets.push_back(orders[i].origin);
        }
    }
    relaySends_ = relayed.size();
    for (std::size_t i = 0; i < orders.size(); ++i) {
        const OrderResult& order = orders[i];
        if (!order.accepted || order.group != selected_.number) {
            continue;
        }
        if (std::find(relayPlanets.begin(), relayPlanets.end(), order.destination) == relayPlanets.end()) {
            arrows_.push_back({order.origin, order.destination, -1, false, i});
        } else {
            FollowChain(order, i, relayed);
        }
    }
    // Relay sends that no send of the selection led to still form chains of their own.
    for (std::size_t index : relayed) {
        if (index != kNone) {
            FollowChain(orders[index], index, relayed);
        }
    }
    for (std::size_t i = 0; i < orders.size(); ++i) {
        const OrderResult& order = orders[i];
        const Group* group = order.accepted ? nullptr : galaxy_.FindGroup(order.group);
        if (group == nullptr || !galaxy_.HasPlanet(order.destination)) {
            continue; // accepted, or nothing to draw it between
        }
        const std::int32_t from = group->InOrbit() ? group->planet : group->from;
        if (galaxy_.HasPlanet(from)) {
            arrows_.push_back({from, order.destination, -1, true, i});
        }
    }
}

void PlanScene::FollowChain(const OrderResult& start, std::size_t startIndex, std::vector<std::size_t>& relayed) {
    const int chain = chainCount_++;
    arrows_.push_back({start.origin, start.destination, chain, false, startIndex});
    std::replace(relayed.begin(), relayed.end(), startIndex, kNone);
    // Follow the ship on: each relay hands on from the planet the previous hop reached.
    std::int32_t at = start.destination;
    for (bool extended = true; extended;) {
        extended = false;
        for (std::size_t& next : relayed) {
            if (next != kNone && outcome_.orders[next].origin == at) {
                const OrderResult& hop = outcome_.orders[next];
                arrows_.push_back({hop.origin, hop.destination, chain, false, next});
                at = hop.destination;
                next = kNone; // each relay order belongs to one chain
                extended = true;
                break;
            }
        }
    }
}

void PlanScene::AssignRoles() {
    const auto raise = [this](std::int32_t planet, PlanetRole role) {
        if (galaxy_.HasPlanet(planet)) {
            PlanetRole& current = roles_[static_cast<std::size_t>(planet - 1)];
            current = std::min(current, role);
        }
    };
    for (std::int32_t number = 1; number <= galaxy_.PlanetCount(); ++number) {
        if (!selected_.race.empty() && galaxy_.PlanetAt(number).owner == selected_.race) {
            raise(number, PlanetRole::Own);
        }
    }
    if (source_ != 0) {
        std::vector<std::int32_t> near;
        galaxy_.PlanetsWithinRange(source_, selected_.speed, near);
        for (std::int32_t planet : near) {
            raise(planet, PlanetRole::InReach);
        }
        raise(source_, PlanetRole::Source);
    }
    for (const PlanArrow& arrow : arrows_) {
        if (arrow.refused) {
            raise(arrow.to, PlanetRole::Refused);
        } else {
            raise(arrow.to, PlanetRole::Target);
            raise(arrow.from, arrow.from == source_ ? PlanetRole::Source : PlanetRole::Relay);
        }
    }
    for (PlanetRole role : {PlanetRole::Source, PlanetRole::Relay, PlanetRole::Target, PlanetRole::Refused}) {
        for (std::int32_t number = 1; number <= galaxy_.PlanetCount(); ++number) {
            if (RoleOf(number) == role) {
                participants_.push_back(number);
            }
        }
    }
}

void PlanScene::IndexTheReview() {
    if (review_ == nullptr) {
        return;
    }
    for (const LeftPlanet& left : review_->left) {
        if (galaxy_.HasPlanet(left.planet)) {
            left_.emplace(left.planet, &left);
            marked_.push_back(left.planet);
        }
    }
    for (const DispatchRoute& route : review_->bestExtra) {
        if (galaxy_.HasPlanet(route.planet)) {
            bestExtra_.emplace(route.planet, &route);
            marked_.push_back(route.planet);
        }
    }
    std::sort(marked_.begin(), marked_.end());
    marked_.erase(std::unique(marked_.begin(), marked_.end()), marked_.end());
}

bool PlanScene::HasMark(std::int32_t planet, ReviewMark mark) const {
    return mark == ReviewMark::Left ? left_.contains(planet) : bestExtra_.contains(planet);
}

std::size_t PlanScene::CountMarks(ReviewMark mark) const {
    return mark == ReviewMark::Left ? left_.size() : bestExtra_.size();
}

std::vector<std::string> PlanScene::MarkNotes(std::int32_t planet) const {
    std::vector<std::string> notes;
    if (const auto left = left_.find(planet); left != left_.end()) {
        const std::string& reason = left->second->reason;
        std::string why;
        if (reason == "speed_rounding") {
            why = "beyond the range the plug-in planned with (" + FixedText(review_->plannedRange, kNotePlaces) +
                  "), within the group's speed (" + FixedText(review_->speed, kNotePlaces) + ")";
        } else if (reason == "ship_refused") {
            why = "the host refused an order of the plan, so a ship went nowhere";
        } else if (reason == "no_ship_left") {
            why = "every ship of the group was sent elsewhere";
        } else {
            why = "not planned, though ships stayed home";
        }
        notes.push_back("Left in direct reach at " + FixedText(left->second->distance, kNotePlaces) + ": " + why +
                        " (" + reason + ")");
    }
    if (const auto extra = bestExtra_.find(planet); extra != bestExtra_.end()) {
        std::string via;
        for (const std::int32_t relay : extra->second->via) {
            via.append(via.empty() ? " via #" : ", #").append(std::to_string(relay));
            if (galaxy_.HasPlanet(relay)) {
                via += " " + galaxy_.PlanetAt(relay).name;
            }
        }
        notes.push_back("A best plan covers it" + (via.empty() ? std::string(" directly") : via));
    }
    return notes;
}

void PlanScene::FrameThePlan() {
    whole_ = WithMargin(BoxAround(galaxy_.Planets()), 0.03);
    if (participants_.empty()) {
        frame_ = whole_;
        return;
    }
    const Planet& first = galaxy_.PlanetAt(participants_.front());
    PlanBox box{first.x, first.y, first.x, first.y};
    for (const std::vector<std::int32_t>* planets : {&participants_, &marked_}) {
        for (std::int32_t planet : *planets) {
            Include(box, galaxy_.PlanetAt(planet).x, galaxy_.PlanetAt(planet).y);
        }
    }
    if (source_ != 0 && std::isfinite(selected_.speed) && selected_.speed > 0.0) {
        const Planet& source = galaxy_.PlanetAt(source_);
        Include(box, source.x - selected_.speed, source.y - selected_.speed);
        Include(box, source.x + selected_.speed, source.y + selected_.speed);
    }
    frame_ = WithMargin(box, kFrameMargin);
    if (!Finite(frame_) || !Finite(whole_)) {
        frame_ = whole_;
        return;
    }
    const double share = (frame_.Width() * frame_.Height()) / (whole_.Width() * whole_.Height());
    framePart_ = std::isfinite(share) && share < kWholeFrameShare;
    if (!framePart_) {
        frame_ = whole_;
    }
}

std::string PlanScene::EndingNote() const {
    if (outcome_.messageBox) {
        return "No plan: the plug-in showed a message: \"" + *outcome_.messageBox + "\"";
    }
    if (outcome_.Cancelled()) {
        return "Cancelled: the plan was stopped before any order was sent";
    }
    if (outcome_.orders.empty()) {
        return "The plan holds no orders";
    }
    return "";
}

std::string PlanScene::SendsSummary() const {
    const std::size_t direct = CountArrows(false, false), chained = CountArrows(false, true);
    std::string text = CountOf(direct + chained, "ship sent", "ships sent");
    if (chainCount_ == 0) {
        text += direct > 0 ? ", all direct" : "";
    } else {
        text += ": " + std::to_string(direct) + " direct, " + std::to_string(chained) + " in " +
                CountOf(static_cast<std::size_t>(chainCount_), "relay chain", "relay chains") + " (" +
                std::to_string(relaySends_) + " of them sent on by relay groups)";
    }
    if (const std::size_t refused = CountArrows(true, false); refused > 0) {
        text += ", " + CountOf(refused, "order", "orders") + " refused";
    }
    return text;
}

std::vector<PlacedLabel> PlaceLabels(const std::vector<LabelRequest>& requests, const PlanBox& area) {
    // Right, left, above, below, then the four corners: the first spots read best.
    static constexpr std::array<std::array<double, 2>, 8> kSpots = {
        {{1, 0}, {-1, 0}, {0, -1}, {0, 1}, {1, -1}, {-1, -1}, {1, 1}, {-1, 1}}};
    std::vector<PlanBox> markers;
    markers.reserve(requests.size());
    for (const LabelRequest& request : requests) {
        markers.push_back({request.x - request.clearance, request.y - request.clearance,
                           request.x + request.clearance, request.y + request.clearance});
    }
    std::vector<PlacedLabel> placed;
    for (std::size_t i = 0; i < requests.size(); ++i) {
        const LabelRequest& request = requests[i];
        const double gap = request.clearance + 2.0;
        std::optional<PlanBox> fallback;
        for (const auto& [dx, dy] : kSpots) {
            const double left = dx > 0 ? request.x + gap : dx < 0 ? request.x - gap - request.width
                                                                 : request.x - request.width / 2.0;
            const double top = dy > 0 ? request.y + gap : dy < 0 ? request.y - gap - request.height
                                                                : request.y - request.height / 2.0;
            const PlanBox box{left, top, left + request.width, top + request.height};
            if (box.minX < area.minX || box.maxX > area.maxX || box.minY < area.minY || box.maxY > area.maxY) {
                continue;
            }
            fallback = fallback.value_or(box);
            const auto hits = [&box](const PlanBox& other) { return box.Overlaps(other); };
            if (std::none_of(placed.begin(), placed.end(), [&](const PlacedLabel& p) { return hits(p.box); }) &&
                std::none_of(markers.begin(), markers.end(), hits)) {
                fallback.reset();
                placed.push_back({i, box});
                break;
            }
        }
        if (request.required && fallback) {
            placed.push_back({i, *fallback});
        }
    }
    return placed;
}

double EstimatedTextWidth(std::string_view text, double fontSize) {
    std::size_t characters = 0;
    for (char ch : text) {
        characters += (static_cast<unsigned char>(ch) & 0xC0) != 0x80 ? 1 : 0; // skip continuation bytes
    }
    return static_cast<double>(characters) * fontSize * 0.6;
}

std::string CountOf(std::size_t count, std::string_view singular, std::string_view plural) {
    return std::to_string(count) + ' ' + std::string(count == 1 ? singular : plural);
}

} // namespace host
