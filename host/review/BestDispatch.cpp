// BestDispatch.cpp - unit-capacity maximum flow over a lazily discovered planet graph.
#include "review/BestDispatch.h"

#include <algorithm>
#include <deque>
#include <unordered_map>

namespace host {
namespace {

constexpr std::int32_t kNone = -1;
constexpr std::int32_t kSourceNode = 0;

/// Every planet but the source passes at most one ship, so a node is split in an entry and an
/// exit side; a search state is one side of one node.
enum Side : std::int32_t { kIn = 0, kOut = 1 };

class FlowSearch {
public:
    FlowSearch(DispatchRules& rules, std::int64_t workLimit) : rules_(rules), workLimit_(workLimit) {
        nodes_.push_back(MakeNode(rules.Source(), rules.Speed(), false));
        index_.emplace(rules.Source(), kSourceNode);
    }

    /// Keeps `route` when every hop follows the rules and no planet of it is taken yet.
    void Seed(const DispatchRoute& route) {
        std::vector<std::int32_t> path{kSourceNode};
        for (const std::int32_t planet : route.via) {
            path.push_back(NodeOf(planet));
        }
        path.push_back(NodeOf(route.planet));
        for (std::size_t i = 1; i < path.size(); ++i) {
            const bool last = i + 1 == path.size();
            if (path[i] == kNone || path[i] == kSourceNode || nodes_[path[i]].relay == last || nodes_[path[i]].pred != kNone ||
                !Reaches(path[i - 1], path[i])) {
                return;
            }
        }
        std::vector<std::int32_t> distinct = path;
        std::sort(distinct.begin(), distinct.end());
        if (shipsSent_ >= rules_.ShipsBefore() || std::adjacent_find(distinct.begin(), distinct.end()) != distinct.end()) {
            return;
        }
        for (std::size_t i = 1; i < path.size(); ++i) {
            Link(path[i - 1], path[i]);
        }
        ++shipsSent_;
    }

    /// Augments until the ships run out, no path is left, or the work limit is reached.
    void Maximize() {
        while (shipsSent_ < rules_.ShipsBefore() && !bounded_) {
            if (!Augment()) {
                return;
            }
            ++shipsSent_;
        }
    }

    BestDispatch Result() const {
        BestDispatch best;
        best.bounded = bounded_;
        best.work = work_;
        for (std::size_t node = 1; node < nodes_.size(); ++node) {
            if (nodes_[node].relay || nodes_[node].pred == kNone) {
                continue;
            }
            DispatchRoute route;
            route.planet = nodes_[node].planet;
            for (std::int32_t hop = nodes_[node].pred; hop != kSourceNode && hop != kNone; hop = nodes_[hop].pred) {
                route.via.insert(route.via.begin(), nodes_[hop].planet);
            }
            best.routes.push_back(std::move(route));
        }
        std::sort(best.routes.begin(), best.routes.end(),
                  [](const DispatchRoute& a, const DispatchRoute& b) { return a.planet < b.planet; });
        return best;
    }

private:
    struct Node {
        std::int32_t planet = 0;
        double speed = 0.0;        // the exit's reach: the group's speed, or the relay's fastest
        bool relay = false;           // passes a ship on; otherwise a Destination (or the source)
        std::int32_t pred = kNone; // the node whose ship enters, when one does
        std::int32_t succ = kNone; // a relay: the node it passes its ship to
        bool listed = false;
        std::vector<std::int32_t> next; // nodes within reach of the exit, once listed
    };

    static Node MakeNode(std::int32_t planet, double speed, bool relay) {
        Node node;
        node.planet = planet;
        node.speed = speed;
        node.relay = relay;
        return node;
    }

    /// The node of a Destination or Relay planet, made on first use; kNone for any other planet.
    std::int32_t NodeOf(std::int32_t planet) {
        if (const auto found = index_.find(planet); found != index_.end()) {
            return found->second;
        }
        const PlanetKind kind = rules_.KindOf(planet);
        if (kind != PlanetKind::Destination && kind != PlanetKind::Relay) {
            return kNone;
        }
        const bool relay = kind == PlanetKind::Relay;
        nodes_.push_back(MakeNode(planet, relay ? rules_.RelaySpeed(planet) : 0.0, relay));
        const auto node = static_cast<std::int32_t>(nodes_.size() - 1);
        index_.emplace(planet, node);
        return node;
    }

    bool Reaches(std::int32_t from, std::int32_t to) const {
        const Node& a = nodes_[from];
        return a.planet != nodes_[to].planet && rules_.GalaxyAfter().Distance(a.planet, nodes_[to].planet) <= a.speed;
    }

    void Link(std::int32_t from, std::int32_t to) {
        nodes_[to].pred = from;
        if (from != kSourceNode) {
            nodes_[from].succ = to;
        }
    }

    const std::vector<std::int32_t>& Next(std::int32_t node) {
        if (!nodes_[node].listed) {
            std::vector<std::int32_t> planets;
            rules_.PlanetsWithin(nodes_[node].planet, nodes_[node].speed, planets);
            work_ += static_cast<std::int64_t>(planets.size());
            std::vector<std::int32_t> next;
            for (const std::int32_t planet : planets) {
                const std::int32_t to = planet != nodes_[node].planet ? NodeOf(planet) : kNone;
                if (to != kNone && to != kSourceNode) {
                    next.push_back(to);
                }
            }
            nodes_[node].next = std::move(next);
            nodes_[node].listed = true;
        }
        return nodes_[node].next;
    }

    /// One shortest augmenting path, found breadth first over the residual graph and applied.
    bool Augment() {
        std::unordered_map<std::int32_t, std::int32_t> parent; // state -> the state it was reached from
        std::deque<std::int32_t> queue;
        const auto visit = [&](std::int32_t state, std::int32_t from) {
            if (parent.emplace(state, from).second) {
                queue.push_back(state);
            }
        };
        visit(State(kSourceNode, kOut), kNone);
        while (!queue.empty()) {
            if (work_ > workLimit_) {
                bounded_ = true;
                return false;
            }
            const std::int32_t state = queue.front();
            queue.pop_front();
            const std::int32_t node = state / 2;
            if (state % 2 == kOut) {
                for (const std::int32_t to : Next(node)) {
                    ++work_;
                    if (nodes_[to].pred != node) {
                        visit(State(to, kIn), state);
                    }
                }
                if (node != kSourceNode && nodes_[node].pred != kNone) {
                    visit(State(node, kIn), state); // take back the ship it passes through
                }
                continue;
            }
            const Node& here = nodes_[node];
            if (here.pred == kNone) {
                if (!here.relay) {
                    Apply(state, parent);
                    return true;
                }
                visit(State(node, kOut), state);
            } else {
                visit(State(here.pred, kOut), state); // the ship that enters here goes elsewhere
            }
        }
        return false;
    }

    /// Applies the path that ends at `end`, from the source on.
    void Apply(std::int32_t end, const std::unordered_map<std::int32_t, std::int32_t>& parent) {
        std::vector<std::int32_t> path;
        for (std::int32_t state = end; state != kNone; state = parent.at(state)) {
            path.push_back(state);
        }
        std::reverse(path.begin(), path.end());
        for (std::size_t i = 1; i < path.size(); ++i) {
            const std::int32_t from = path[i - 1] / 2;
            const std::int32_t to = path[i] / 2;
            const bool fromOut = path[i - 1] % 2 == kOut;
            if (from != to && fromOut) {
                Link(from, to);             // a ship sent along an arc
            } else if (from != to) {
                nodes_[to].succ = kNone;    // `to` no longer sends to `from`, unless a later arc says so
            } else if (fromOut) {
                nodes_[to].pred = kNone;    // the relay no longer passes a ship through
            }
        }
    }

    static std::int32_t State(std::int32_t node, Side side) { return node * 2 + side; }

    DispatchRules& rules_;
    std::int64_t workLimit_;
    std::int64_t work_ = 0;
    bool bounded_ = false;
    std::int32_t shipsSent_ = 0;
    std::vector<Node> nodes_;
    std::unordered_map<std::int32_t, std::int32_t> index_; // planet -> node
};

} // namespace

BestDispatch FindBestDispatch(DispatchRules& rules, const std::vector<DispatchRoute>& seeds, std::int64_t workLimit) {
    FlowSearch search(rules, workLimit);
    for (const DispatchRoute& seed : seeds) {
        search.Seed(seed);
    }
    search.Maximize();
    return search.Result();
}

} // namespace host
