// DispatchContext.h - the one context of a Distribute Group run, and the host query channel.
//
// The context holds the host's callback, the game and turn every request
// carries, the race and selected group of the run, the orders under
// construction, the set of planets in reach and the stop flag. It owns its
// texts, its orders list and its set; it does not own the dialog that
// `progressDialog` points at (that dialog owns the context).
//
// [ui thread] Binds and fills the context before a worker exists.
// [worker] While it runs, the only caller of the channel. The only field both
// threads touch is `stopRequested`; no lock is taken.
//
// The group lookups are declared here, as members, and defined beside their
// only user in relay/.
#pragma once

#include "cells/LongSet.h"
#include "platform/CMapStringToString.h"
#include "platform/CString.h"
#include "platform/CStringList.h"

#include <atomic>
#include <cstdint>

class CellTree;
class SendProgressDialog;

/// The host's function: it answers a request by writing into the same map.
using HostCallback = void (*)(CMapStringToString&);

class DispatchContext {
public:
    /// BindHost's results.
    enum BindResult : int { kBound = 0, kNoGameName = 1, kNoTurn = 2, kNoRace = 3 };

    DispatchContext();
    DispatchContext(const DispatchContext&) = delete;
    DispatchContext& operator=(const DispatchContext&) = delete;
    virtual ~DispatchContext();

    /// Clears game, race and selection data; leaves the callback, the stop flag and the dialog.
    void Reset();
    /// Resets, stores `callback` (even null), then reads "GameName", "Turn" and the
    /// selection's owner. Returns a BindResult; the fields read before a failing step keep
    /// their values. Absent keys are added to `hostMap` empty, as reading it inserts them.
    int BindHost(HostCallback callback, CMapStringToString& hostMap);
    /// Sends `commandText`, split at every blank, and leaves the reply in `replyMap`.
    /// Without a callback nothing is sent and `replyMap` is left exactly as it was.
    void Query(const CString& commandText, CMapStringToString& replyMap);
    /// Sends the "Add" request with `orders`; the reply is not read.
    void SubmitOrders();
    /// Sends `functionWord` with `parameters` as whole, unsplit parameters.
    void SendList(const CString& functionWord, const CStringList& parameters,
                  CMapStringToString& requestMap);

    /// A group of the race on `planet` whose type name is in `typeNames`; 0 when none.
    std::int32_t FindGroupOfType(std::int32_t planet, const CellTree& typeNames);
    /// As FindGroupOfType, and the group is idle: no "Source", no "Feet", exactly one ship.
    std::int32_t FindIdleRelayGroup(std::int32_t planet, const CellTree& typeNames);

    CString gameName;                             // "GameName" of every request
    std::int32_t turn = -1;                       // "Turn" of every request
    CString raceName;                             // the owner of the selection
    CString shipTypeName;                         // the selected group's ship type
    std::int32_t groupNumber = -1;                // the selected group
    std::int32_t sourcePlanet = -1;               // where the selected group stands
    std::int32_t minSpeed = -1;                   // the group's speed in hundredths
    std::int32_t shipCount = -1;                  // ships still to send; the fan-out counts it down
    CStringList orders;                           // "SendGroup", then one "%d #%d 1" per send
    SendProgressDialog* progressDialog = nullptr; // window the worker posts to; not owned
    LongSet reachablePlanets;                     // planets within drive range of the race's own
    std::atomic<std::int32_t> stopRequested{0};   // 1 once the user stops; polled by the worker
    HostCallback hostCallback = nullptr;          // null until the first BindHost

private:
    std::int32_t FindGroup(std::int32_t planet, const CellTree& typeNames, bool idleOnly);
};
