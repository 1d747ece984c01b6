// TestPlugin.cpp - a scripted stand-in plug-in with the six exports, for testing the host's loader and run.
//
// It speaks the host protocol the way the real plug-in does (same keys, same
// query texts) but plans nothing: it sends each listed planet one ship. What
// it does on a command is chosen by TARVENIX_TEST_PLUGIN_MODE:
//   sync     (default) queries and "Add" on the host's thread, no window
//   window   opens a window; a worker thread queries, posts one step message
//            per planet and waits until each was dispatched, then posts IDOK;
//            IDOK submits, Cancel stops the worker and submits nothing
//   silent   does nothing
//   message  shows a message box, as the plug-in does for a group in flight
// TARVENIX_TEST_PLUGIN_ORDERS="7 #5 1;18 #9 1" replaces the planned orders with
// these, and TARVENIX_TEST_PLUGIN_NO_MENU=1 makes OnInitialize register no menu item.
// Built once as it is and once without OnClose, to test a missing export.
#include "platform/CMapStringToString.h"
#include "platform/MessageBox.h"
#include "platform/RelayMessages.h"
#include "platform/Window.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace {

using Callback = void (*)(CMapStringToString&);

constexpr std::int32_t kMenuItemId = 51507;
constexpr const char* kMenuText = "Distribute Group";

Callback g_callback = nullptr;

std::string Mode() {
    const char* mode = std::getenv("TARVENIX_TEST_PLUGIN_MODE");
    return mode != nullptr ? mode : "sync";
}

/// Sends `text` split at blanks, as the real plug-in does, and returns the reply map's `key`.
std::string Ask(const std::string& text, const char* key, CMapStringToString& reply) {
    reply.RemoveAll();
    reply["GameName"] = "test";
    reply["Turn"] = "1";
    int count = 0;
    std::string token;
    auto store = [&] {
        const std::string name = count == 0 ? "Function" : "Parameter." + std::to_string(count);
        reply[name.c_str()] = token.c_str();
        ++count;
        token.clear();
    };
    for (char ch : text) {
        if (ch == ' ') {
            store();
        } else {
            token += ch;
        }
    }
    if (!token.empty()) {
        store();
        --count;
    }
    reply["Parameters.Count"] = std::to_string(count).c_str();
    if (g_callback != nullptr) {
        g_callback(reply);
    }
    CString value;
    return reply.Lookup(key, value) ? value.str() : std::string();
}

struct Selection {
    std::string group;
    std::string source;
    std::string speed;
    int ships = 0;
};

/// The command's own queries, on the host's thread; false when the group is not in orbit.
bool ReadSelection(const CMapStringToString& command, Selection& selection) {
    CMapStringToString reply;
    CString sid;
    command.Lookup("SID", sid);
    Ask("Selection " + sid.str() + " Owner", "1", reply);
    if (Ask("Selection 51507 Status", "1", reply) != "In orbit") {
        return false;
    }
    selection.group = Ask("Selection 51507 Num", "1", reply);
    selection.source = Ask("Selection 51507 Source", "1", reply);
    selection.speed = Ask("Selection 51507 MinSpeed", "1", reply);
    selection.ships = std::atoi(Ask("Selection 51507 Count", "1", reply).c_str());
    return true;
}

/// The orders of TARVENIX_TEST_PLUGIN_ORDERS, split at ';'; false when it is not set.
bool ScriptedOrders(std::vector<std::string>& orders) {
    const char* script = std::getenv("TARVENIX_TEST_PLUGIN_ORDERS");
    if (script == nullptr) {
        return false;
    }
    std::string order;
    for (const char* at = script;; ++at) {
        if (*at == ';' || *at == '\0') {
            orders.push_back(order);
            order.clear();
        } else {
            order += *at;
        }
        if (*at == '\0') {
            return true;
        }
    }
}

/// One order per listed planet other than the source, as many as there are ships.
std::vector<std::string> PlanOrders(const Selection& selection) {
    std::vector<std::string> orders;
    if (ScriptedOrders(orders)) {
        return orders;
    }
    CMapStringToString reply;
    const std::string& s = selection.source;
    const int listed = std::atoi(Ask("List PlanetsAndRange " + s + " " + s + " " + selection.speed,
                                     "Count", reply).c_str());
    for (int i = 1; i <= listed && static_cast<int>(orders.size()) < selection.ships; ++i) {
        CString planet;
        reply.Lookup(("Planet." + std::to_string(i)).c_str(), planet);
        if (planet.str() != s) {
            orders.push_back(selection.group + " " + planet.str() + " 1");
        }
    }
    return orders;
}

void SubmitOrders(const std::vector<std::string>& orders) {
    CMapStringToString request;
    request["GameName"] = "test";
    request["Turn"] = "1";
    request["Function"] = "Add";
    request["Parameters.Count"] = std::to_string(orders.size() + 1).c_str();
    request["Parameter.1"] = "SendGroup";
    for (std::size_t i = 0; i < orders.size(); ++i) {
        request[("Parameter." + std::to_string(i + 2)).c_str()] = orders[i].c_str();
    }
    if (g_callback != nullptr) {
        g_callback(request);
    }
}

/// The progress window of the "window" mode: owns the worker that plans behind it.
class ProgressWindow : public WindowModel {
public:
    bool Open(const Selection& selection) {
        window_ = CreateHandle();
        if (window_ == nullptr) {
            return false;
        }
        selection_ = selection;
        orders_.clear();
        stop_ = false;
        acknowledged_ = 0;
        worker_ = std::thread([this] { Work(); });
        return true;
    }

    bool IsOpen() const { return GetHandle() != nullptr; }

    /// Stops the worker as Cancel does and closes the window; OnClose's way out.
    void Close() {
        stop_ = true;
        Acknowledge();
        if (worker_.joinable()) {
            worker_.join();
        }
        if (GetHandle() != nullptr) {
            DestroyWindow(GetHandle());
        }
    }

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == WM_RELAY_STEP) {
            Acknowledge();
            return 0;
        }
        if (message == WM_COMMAND && wParam == static_cast<WPARAM>(IDOK)) {
            worker_.join();
            SubmitOrders(orders_);
            DestroyWindow(GetHandle());
            return 0;
        }
        if (message == WM_COMMAND && wParam == static_cast<WPARAM>(IDCANCEL)) {
            Close();
            return 0;
        }
        return WindowModel::WindowProc(message, wParam, lParam);
    }

private:
    void Acknowledge() {
        std::lock_guard lock(mutex_);
        ++acknowledged_;
        dispatched_.notify_all();
    }

    // [worker] One step per planned order, each waited for, so that a Cancel
    // pressed after step N always arrives before the plan is complete.
    void Work() {
        orders_ = PlanOrders(selection_);
        for (std::size_t step = 1; step <= orders_.size(); ++step) {
            if (stop_) {
                return;
            }
            PostMessageA(window_, WM_RELAY_STEP, 0, 0);
            std::unique_lock lock(mutex_);
            dispatched_.wait(lock, [&] { return acknowledged_ >= step || stop_; });
        }
        if (!stop_) {
            PostMessageA(window_, WM_COMMAND, static_cast<WPARAM>(IDOK), 0);
        }
    }

    Selection selection_;
    HWND window_ = nullptr;           // the worker's copy: it posts, the owner thread destroys
    std::vector<std::string> orders_; // written by the worker, read after it ended
    std::thread worker_;
    std::atomic<bool> stop_{false};
    std::mutex mutex_;
    std::condition_variable dispatched_;
    std::size_t acknowledged_ = 0; // step messages the window has seen
};

ProgressWindow g_window;

} // namespace

extern "C" {

__attribute__((visibility("default"))) void OnLoad() {}

__attribute__((visibility("default"))) void OnInitialize(CMapStringToString& settings) {
    CString address;
    if (settings.Lookup("DataManager", address)) {
        g_callback = reinterpret_cast<Callback>(std::strtoll(address.c_str(), nullptr, 10));
    }
    const char* noMenu = std::getenv("TARVENIX_TEST_PLUGIN_NO_MENU");
    if (noMenu == nullptr || std::strcmp(noMenu, "1") != 0) {
        settings[("MenuItem:" + std::to_string(kMenuItemId)).c_str()] = kMenuText;
    }
}

__attribute__((visibility("default"))) void OnUserCommand(CMapStringToString& command) {
    CString text;
    if (!command.Lookup("Command", text) || text.str() != kMenuText || g_window.IsOpen()) {
        return;
    }
    const std::string mode = Mode();
    Selection selection;
    if (mode == "silent" || !ReadSelection(command, selection)) {
        return;
    }
    if (mode == "message") {
        AfxMessageBox("Group is not on planet!!!");
        return;
    }
    if (mode == "window") {
        g_window.Open(selection);
        return;
    }
    SubmitOrders(PlanOrders(selection));
}

__attribute__((visibility("default"))) void OnPlanetChanged(CMapStringToString&) {}

__attribute__((visibility("default"))) void OnAbout(CMapStringToString& about) {
    about["Name"] = "Test Plug-in";
    about["Author"] = "the Tarvenix tests";
    about["Version"] = "v0.1";
    about["Date"] = "01/01/26";
    about["Description"] = "     scripted stand-in";
    // Not an about key of the real plug-in: shows which language the host chose.
    const char* language = std::getenv("LC_ALL");
    about["Language"] = language != nullptr ? language : "";
}

#if !defined(TARVENIX_TEST_PLUGIN_WITHOUT_ONCLOSE)
__attribute__((visibility("default"))) void OnClose() {
    if (g_window.IsOpen()) {
        g_window.Close();
    }
}
#endif
}
