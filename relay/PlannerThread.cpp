// PlannerThread.cpp - own planets, reachable planets, equivalent types, fan-out, relaxation,
// emission.
#include "relay/PlannerThread.h"

#include "cells/CellTree.h"
#include "cells/LongSet.h"
#include "context/DispatchContext.h"
#include "platform/Conversions.h"
#include "platform/Window.h"
#include "relay/HostNumbers.h"
#include "relay/RelayLeg.h"
#include "platform/RelayMessages.h"
#include "ui/SendProgressDialog.h"

#include <cstdint>
#include <new>

namespace {

// More planets than any game holds: a larger "List PlanetsNum" count is taken for
// garbage and read as no planets, rather than asked about planet by planet for
// billions of queries.
constexpr std::int32_t kMostPlanets = 1 << 24;
// A range answer's planets are read a batch at a time and then added as one run, rather
// than each read and added in turn: the reading keeps to the small answer map, the adding
// to the set, which in a large game looks ahead along the run. A batch holds a whole
// answer of the usual size.
constexpr std::int32_t kListBatch = 128;

// One planning run. Each phase returns false when a stop check found the flag
// set; the run then ends, and the working state goes with this object.
class RelayPlanner {
public:
    explicit RelayPlanner(DispatchContext& context) : context_(context) {}

    void Run() {
        if (IsStopRequested()) {
            return; // the orders of an earlier run are left as they were
        }
        context_.orders.RemoveAll();
        context_.orders.AddTail("SendGroup");
        if (!FindOwnPlanets() || !FindReachablePlanets() || !FindEquivalentTypes() || !FanOut() ||
            !Relax()) {
            return;
        }
        EmitOrders();
        Post(WM_COMMAND, IDOK); // last act: the window may submit the orders from here on
    }

private:
    bool IsStopRequested() const { return context_.stopRequested.load() != 0; }

    // [worker] The window is read afresh for every post: it may be gone by now.
    void Post(UINT message, WPARAM wParam) const {
        const SendProgressDialog* dialog = context_.progressDialog;
        if (dialog != nullptr) {
            PostMessageA(dialog->GetSafeHwnd(), message, wParam, 0);
        }
    }

    bool IsPlanetNumber(std::int32_t planet) const { return planet >= 1 && planet <= planetCount_; }

    bool FindOwnPlanets() {
        context_.Query("List PlanetsNum", first_);
        planetCount_ = platform::atol(first_["Count"]);
        if (planetCount_ > kMostPlanets) {
            planetCount_ = 0;
        }
        for (std::int32_t p = planetCount_; p >= 1; --p) {
            if (IsStopRequested()) {
                return false;
            }
            command_ = platform::NumberedText("Get Planet #", p);
            context_.Query(command_, first_);
            if (first_["Owner"] == context_.raceName) {
                ownPlanets_.AddKey(p);
            }
        }
        ownPlanets_.Rebalance();
        command_.Format("Get Race %s", context_.raceName.c_str());
        context_.Query(command_, first_);
        // Single precision on purpose: the query shows the float's value (1.37 -> 54.799999).
        driveRange_ = relay::NarrowToFloat(platform::atof(first_["DrivesTech"]) * 40.0);
        return true;
    }

    bool FindReachablePlanets() {
        for (LongSetNode* pos = ownPlanets_.First(); pos != nullptr;) {
            if (IsStopRequested()) {
                return false;
            }
            const std::int32_t p = ownPlanets_.GetKey(pos);
            ownPlanets_.Next(pos);
            context_.Query(relay::RangeQuery(p, p, static_cast<double>(driveRange_)), first_);
            const std::int32_t listed = platform::atol(first_["Count"]);
            const std::int32_t walkable = relay::WalkableEntries(listed, first_);
            for (std::int32_t k = walkable; k >= 1; k -= kListBatch) {
                const std::int32_t read = ReadListedPlanets(k);
                if (!AddReachablePlanets(read)) {
                    return false;
                }
            }
            if (listed == planetCount_) {
                break; // one answer already lists every planet of the game
            }
        }
        context_.reachablePlanets.Rebalance();
        return true;
    }

    // Reads "Planet.k" for up to kListBatch entries from `from` down and keeps the planet
    // numbers among them in listedBatch_, in that order; returns how many it kept. Only
    // planet numbers enter the set: 0 is its "absent" key and no number beyond the game's
    // planets can ever be visited.
    std::int32_t ReadListedPlanets(std::int32_t from) {
        std::int32_t kept = 0;
        for (std::int32_t k = from; k >= 1 && k > from - kListBatch; --k) {
            const std::int32_t v = relay::ReadPlanetEntry(first_[relay::IndexedKey("Planet.", k)]);
            if (IsPlanetNumber(v)) {
                listedBatch_[kept++] = v;
            }
        }
        return kept;
    }

    // Adds the first `count` numbers of listedBatch_ in order, each after a stop check.
    bool AddReachablePlanets(std::int32_t count) {
        return context_.reachablePlanets.AddKeys(listedBatch_, count,
                                                 [this] { return !IsStopRequested(); });
    }

    // The five values that make two ship types equivalent, as text, joined by "_".
    static CString TypeSignature(CMapStringToString& shipType) {
        CString signature = shipType["Drives"];
        for (const char* key : {"Weapons", "Ammo", "Cargo", "Shields"}) {
            signature += '_';
            signature += shipType[key];
        }
        return signature;
    }

    bool FindEquivalentTypes() {
        command_.Format("Get ShipType %s %s", context_.shipTypeName.c_str(),
                        context_.raceName.c_str());
        context_.Query(command_, first_);
        const CString typeSignature = TypeSignature(first_);

        // The type list stays in the first map while each type is asked about in the second.
        context_.Query("List ShipTypes", first_);
        const std::int32_t types = relay::WalkableEntries(platform::atol(first_["Count"]), first_);
        for (std::int32_t t = types; t >= 1; --t) {
            if (IsStopRequested()) {
                return false;
            }
            const CString name = first_[relay::EntryKey(t)];
            command_.Format("Get ShipType %s %s", name.c_str(), context_.raceName.c_str());
            context_.Query(command_, second_);
            if (TypeSignature(second_) == typeSignature) {
                equivalentTypes_.InsertString(name);
            }
        }
        equivalentTypes_.Rebalance();
        return true;
    }

    bool FanOut() {
        const std::int32_t source = context_.sourcePlanet;
        context_.Query(
            relay::RangeQuery(source, source, relay::HundredthsAsDecimal(context_.minSpeed)),
            first_);
        const std::int32_t listed = relay::WalkableEntries(platform::atol(first_["Count"]), first_);
        if (source > 0) {
            visitedPlanets_.AddKey(source);
        }
        // One first leg per ship, keyed by the direction of one listed planet. A count
        // below 0 is no ship to send either.
        for (std::int32_t k = listed; k >= 1 && context_.shipCount > 0; --k) {
            if (IsStopRequested()) {
                return false;
            }
            const std::int32_t key =
                relay::NormalisedAngleKey(platform::atof(first_[relay::IndexedKey("Angle.", k)]));
            auto* leg = new (std::nothrow)
                RelayLeg(source, source, key, context_.groupNumber, context_.minSpeed, 0, nullptr);
            if (leg == nullptr) {
                break; // out of memory: plan with the ships that have legs
            }
            if (legs_.InsertCell(leg) == nullptr) {
                delete leg;
                break;
            }
            --context_.shipCount;
        }
        legs_.Rebalance();
        Post(WM_RELAY_RANGE, static_cast<WPARAM>(legs_.GetCount()));
        return true;
    }

    // Extends every chain by one hop per pass until a pass changes nothing. Each
    // changing pass drops a chain for good or takes a further planet into one.
    bool Relax() {
        bool changed = true;
        while (changed) {
            changed = false;
            for (CellTreeNode* pos = legs_.First(); pos != nullptr;) {
                if (IsStopRequested()) {
                    return false;
                }
                auto* leg = static_cast<RelayLeg*>(legs_.GetCell(pos));
                const std::int32_t result =
                    leg->Extend(context_, equivalentTypes_, visitedPlanets_);
                if (result == RelayLeg::kNoHop) {
                    leg->Rollback(visitedPlanets_);
                    CellTreeNode* dropped = pos;
                    legs_.Next(pos);
                    legs_.Remove(' ', dropped); // deletes the leg and its chain
                } else {
                    legs_.Next(pos);
                }
                changed = changed || result != RelayLeg::kEndsAtDestination;
                Post(WM_RELAY_STEP, 0);
            }
            Post(WM_RELAY_RANGE, static_cast<WPARAM>(legs_.GetCount()));
        }
        return true;
    }

    void EmitOrders() {
        for (CellTreeNode* pos = legs_.First(); pos != nullptr; legs_.Next(pos)) {
            static_cast<const RelayLeg*>(legs_.GetCell(pos))->EmitOrders(context_);
        }
    }

    DispatchContext& context_;
    CMapStringToString first_{10};  // the current answer; a list stays here while walked
    CMapStringToString second_{10}; // each ship type's answer during the type walk
    CString command_;
    std::int32_t planetCount_ = 0; // "List PlanetsNum": planets are numbered 1..planetCount_
    LongSet ownPlanets_;
    LongSet visitedPlanets_;   // the source and every planet a hop has taken
    CellTree equivalentTypes_; // CCellString names of the types equivalent to the group's
    CellTree legs_;            // first legs by angle key; owns them and their chains
    std::int32_t listedBatch_[kListBatch] = {}; // planet numbers read from a range answer
    float driveRange_ = 0.0f;  // the race's drive technology times 40, in single precision
};

} // namespace

DWORD WINAPI PlannerThread(LPVOID parameter) {
    if (parameter == nullptr) {
        return 0;
    }
    RelayPlanner planner(*static_cast<DispatchContext*>(parameter));
    planner.Run();
    return 0;
}
