// ForeignClientTest.cpp - the real Tarvenix2 module in a client built on another framework.
//
// Such a client calls the same exports but hands over maps of its own framework. Every export
// is called here with objects of other layouts (another class's virtual table first, a block of
// filler bytes, a block of zeros), as the host's user-interface thread would: none of them may
// change by a byte, nothing may crash, and the player is told once, in a message box. On
// Windows the box is the system's, closed here as soon as it is shown; elsewhere it is the
// framework stand-in's presenter. A map of our own still works afterwards.
#include "platform/CMapStringToString.h"
#include "platform/CString.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#if defined(_WIN32)
#include <windows.h>
#else
#include "platform/MessageBox.h"
#include <dlfcn.h>
#endif

namespace {

using VoidEntry = void (*)();
using MapEntry = void (*)(CMapStringToString&);

/// A map of another framework as far as layout goes: a virtual table of its own first, then
/// fields that no code of ours knows. Calling through it would fail the test.
class OtherFrameworkMap {
public:
    virtual ~OtherFrameworkMap() = default;
    virtual void Serialize() { ADD_FAILURE() << "called through a foreign object"; }
    void* hashTable = reinterpret_cast<void*>(std::uintptr_t{0x5A5A5A5A});
    unsigned hashTableSize = 17;
    int count = 3;
    void* freeList = nullptr;
    std::array<unsigned char, 96> rest{};
};

struct BoxSeen {
    int count = 0;
    std::string caption;
    std::string text;
};
BoxSeen box;

#if defined(_WIN32)
std::string Utf8(const wchar_t* text) {
    const int length = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<std::size_t>(length), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, -1, bytes.data(), length, nullptr, nullptr);
    bytes.resize(bytes.empty() ? 0 : bytes.size() - 1);
    return bytes;
}

std::string WindowText(HWND window) {
    std::vector<wchar_t> text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1);
    GetWindowTextW(window, text.data(), static_cast<int>(text.size()));
    return Utf8(text.data());
}

BOOL CALLBACK AppendText(HWND child, LPARAM texts) {
    reinterpret_cast<std::string*>(texts)->append(WindowText(child));
    return TRUE;
}

HWND lastBox = nullptr;

// The box is a dialog of this thread: read it when it is first activated, then press OK for
// the player. Other windows of the thread, and the same box activated again, do not count.
LRESULT CALLBACK CloseBoxes(int code, WPARAM wParam, LPARAM lParam) {
    wchar_t windowClass[16] = {};
    const auto window = reinterpret_cast<HWND>(wParam);
    if (code == HCBT_ACTIVATE && window != lastBox && GetClassNameW(window, windowClass, 16) > 0 &&
        std::wstring_view(windowClass) == L"#32770") {
        lastBox = window;
        ++box.count;
        box.caption = WindowText(window);
        box.text.clear();
        EnumChildWindows(window, &AppendText, reinterpret_cast<LPARAM>(&box.text));
        PostMessageW(window, WM_COMMAND, IDOK, 0);
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

class Module {
public:
    Module() : library_(LoadLibraryW(L"Tarvenix2.dll")) {
        hook_ = SetWindowsHookExW(WH_CBT, &CloseBoxes, nullptr, GetCurrentThreadId());
    }
    ~Module() {
        UnhookWindowsHookEx(hook_);
        FreeLibrary(library_);
    }
    template <typename Entry> Entry Find(const char* name) const {
        return reinterpret_cast<Entry>(reinterpret_cast<void*>(GetProcAddress(library_, name)));
    }
    bool Loaded() const { return library_ != nullptr; }

private:
    HMODULE library_;
    HHOOK hook_ = nullptr;
};
#else
int RecordBox(const char* text, UINT /*type*/) {
    ++box.count;
    box.caption = "Tarvenix2";
    box.text = text;
    return IDOK;
}

class Module {
public:
    Module() : library_(dlopen(TARVENIX_PLUGIN_MODULE, RTLD_NOW | RTLD_LOCAL)) {
        previous_ = AfxSetMessageBoxPresenter(&RecordBox);
    }
    ~Module() {
        AfxSetMessageBoxPresenter(previous_);
        if (library_ != nullptr) {
            dlclose(library_);
        }
    }
    template <typename Entry> Entry Find(const char* name) const {
        return reinterpret_cast<Entry>(dlsym(library_, name));
    }
    bool Loaded() const { return library_ != nullptr; }

private:
    void* library_;
    MessageBoxPresenter previous_ = nullptr;
};
#endif

/// One object of another layout, with a copy of its bytes as handed over.
struct ForeignObject {
    const char* what;
    void* object;
    std::vector<unsigned char> before;

    ForeignObject(const char* description, void* bytes, std::size_t size)
        : what(description), object(bytes), before(static_cast<unsigned char*>(bytes),
                                                   static_cast<unsigned char*>(bytes) + size) {}
    bool Unchanged() const { return std::memcmp(object, before.data(), before.size()) == 0; }
    CMapStringToString& AsMap() const { return *static_cast<CMapStringToString*>(object); }
};

TEST(ForeignClientTest, EveryExportLeavesAnotherFrameworksObjectsAloneAndTellsThePlayerOnce) {
    const Module module;
    ASSERT_TRUE(module.Loaded());
    const std::vector<const char*> mapExports{"OnInitialize", "OnUserCommand", "OnPlanetChanged", "OnAbout"};
    std::vector<MapEntry> entries;
    for (const char* name : mapExports) {
        entries.push_back(module.Find<MapEntry>(name));
        ASSERT_NE(nullptr, entries.back()) << name;
    }
    const auto onLoad = module.Find<VoidEntry>("OnLoad");
    const auto onClose = module.Find<VoidEntry>("OnClose");
    ASSERT_NE(nullptr, onLoad);
    ASSERT_NE(nullptr, onClose);

    OtherFrameworkMap otherMap;
    otherMap.rest.fill(0xA5);
    alignas(16) std::array<unsigned char, 256> filler{};
    filler.fill(0xCD);
    alignas(16) std::array<unsigned char, 256> zeros{};
    const std::vector<ForeignObject> objects{{"another framework's map", &otherMap, sizeof otherMap},
                                             {"filler bytes", filler.data(), filler.size()},
                                             {"zeros", zeros.data(), zeros.size()}};
    box = {};
    onLoad();
    for (const ForeignObject& object : objects) {
        for (std::size_t i = 0; i < entries.size(); ++i) {
            entries[i](object.AsMap());
            EXPECT_TRUE(object.Unchanged()) << mapExports[i] << " changed " << object.what;
        }
    }
    EXPECT_EQ(1, box.count) << "the player is told once";
    EXPECT_EQ("Tarvenix2", box.caption);
    EXPECT_NE(std::string::npos, box.text.find("runs only under tarvenix-host")) << box.text;

    // The host's own maps are still served: the about answer, and no further box.
    CMapStringToString about;
    entries[3](about);
    CString name;
    EXPECT_TRUE(about.Lookup("Name", name));
    EXPECT_FALSE(name.str().empty());
    EXPECT_EQ(1, box.count);
    onClose();
}

TEST(ForeignClientTest, OurOwnMapsAreRecognisedByTheirFirstWord) {
    CMapStringToString map;
    map["key"] = "value";
    EXPECT_TRUE(AfxIsFrameworkMap(&map));
    OtherFrameworkMap other;
    EXPECT_FALSE(AfxIsFrameworkMap(&other));
    EXPECT_FALSE(AfxIsFrameworkMap(nullptr));
    std::array<unsigned char, sizeof(void*)> copy{};
    std::memcpy(copy.data(), static_cast<const void*>(&map), copy.size());
    EXPECT_TRUE(AfxIsFrameworkMap(copy.data())) << "the first word alone decides";
}

} // namespace
