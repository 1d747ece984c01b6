// DispatchContext.cpp - reset, binding to the host's game, and the two request encodings.
#include "context/DispatchContext.h"

#include "platform/Conversions.h"

#include <cstdint>
#include <string_view>

namespace {

// Stores one token of a query text: the first under "Function", the rest numbered from 1.
void StoreToken(CMapStringToString& map, int index, std::string_view token) {
    if (index == 0) {
        map["Function"] = CString(token);
        return;
    }
    map[platform::NumberedText("Parameter.", index)] = CString(token);
}

} // namespace

DispatchContext::DispatchContext() = default;

DispatchContext::~DispatchContext() = default;

void DispatchContext::Reset() {
    gameName.Empty();
    turn = -1;
    raceName.Empty();
    shipTypeName.Empty();
    groupNumber = -1;
    sourcePlanet = -1;
    minSpeed = -1;
    shipCount = -1;
    reachablePlanets.RemoveAll();
    orders.RemoveAll();
}

int DispatchContext::BindHost(HostCallback callback, CMapStringToString& hostMap) {
    Reset();
    hostCallback = callback;
    gameName = hostMap["GameName"];
    if (gameName.IsEmpty()) {
        return kNoGameName;
    }
    // 0 stands for every unusable text here: absent, empty, not a number, or "0".
    turn = platform::atol(hostMap["Turn"]);
    if (turn == 0) {
        return kNoTurn;
    }
    CString query;
    query.Format("Selection %d Owner", platform::atol(hostMap["SID"]));
    CMapStringToString reply(10);
    Query(query, reply);
    raceName = reply["1"];
    return raceName.IsEmpty() ? kNoRace : kBound;
}

void DispatchContext::Query(const CString& commandText, CMapStringToString& replyMap) {
    if (hostCallback == nullptr) {
        return;
    }
    replyMap.RemoveAll();
    replyMap["GameName"] = gameName;
    replyMap["Turn"] = platform::NumberedText({}, turn);

    // Only the blank separates: no quoting, and empty tokens between blanks are sent empty.
    // Each blank starts a parameter, so the count is the number of blanks; an empty last
    // parameter is counted but not stored.
    const std::string_view text = commandText.view();
    int count = 0;
    std::size_t start = 0;
    for (std::size_t blank = text.find(' '); blank != std::string_view::npos;
         blank = text.find(' ', start)) {
        StoreToken(replyMap, count, text.substr(start, blank - start));
        ++count;
        start = blank + 1;
    }
    if (start < text.size()) {
        StoreToken(replyMap, count, text.substr(start));
    }
    replyMap["Parameters.Count"] = platform::NumberedText({}, count);
    hostCallback(replyMap);
}

void DispatchContext::SubmitOrders() {
    CMapStringToString request(10);
    SendList("Add", orders, request);
}

void DispatchContext::SendList(const CString& functionWord, const CStringList& parameters,
                               CMapStringToString& requestMap) {
    if (hostCallback == nullptr) {
        return;
    }
    requestMap.RemoveAll();
    requestMap["GameName"] = gameName;
    // The 32-bit turn in its unsigned form, as "%lu" writes it: the same digits as "%d"
    // for any real turn.
    requestMap["Turn"] = platform::NumberedText({}, static_cast<std::uint32_t>(turn));
    requestMap["Function"] = functionWord;
    requestMap["Parameters.Count"] = platform::NumberedText({}, parameters.GetCount());
    std::int64_t index = 1;
    for (POSITION pos = parameters.GetHeadPosition(); pos != nullptr; ++index) {
        requestMap[platform::NumberedText("Parameter.", index)] = parameters.GetNext(pos);
    }
    hostCallback(requestMap);
}
