// ControlWordTest.cpp - the real Tarvenix2.dll loaded by a process that set the x87 unit its own way.
//
// A game client is not ours: it may run the x87 unit at 24-bit precision (as programs that drive
// Direct3D often do), at 64 bits, or round another way. For each such setting the test sets the
// control word through the runtime (_controlfp) before it loads the plug-in, plans each galaxy
// of TARVENIX_LINUX_TRACES (a folder of NAME.json galaxies and the Linux host's NAME.trace.jsonl
// of each) through the host's own session with every export wrapped, and checks that:
//   - the requests and answers are the Linux host's, byte for byte;
//   - after every export the x87 control word and the SSE control register are as the program
//     left them (the plug-in computes under its own settings and gives the caller's back).
#include "session/CallTrace.h"
#include "galaxy/Galaxy.h"
#include "galaxy/GalaxyFile.h"
#include "session/PluginModule.h"
#include "session/PluginSession.h"

#include <gtest/gtest.h>

#include <float.h>
#include <windows.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

namespace {

/// The x87 control word and the control bits of SSE's MXCSR; its six exception flags are
/// status that any arithmetic of the program sets, the test's own included.
struct FloatingPointWords {
    std::uint16_t x87 = 0;
    std::uint32_t sse = 0;

    static FloatingPointWords Current() {
        FloatingPointWords words;
        __asm__ volatile("fnstcw %0" : "=m"(words.x87));
        __asm__ volatile("stmxcsr %0" : "=m"(words.sse));
        words.sse &= ~std::uint32_t{0x3F};
        return words;
    }
    bool operator==(const FloatingPointWords&) const = default;
};

/// The runtime's _controlfp may set the x87 unit alone: SSE gets the same rounding here.
void RoundSseAsX87() {
    std::uint16_t x87 = 0;
    std::uint32_t sse = 0;
    __asm__ volatile("fnstcw %0" : "=m"(x87));
    __asm__ volatile("stmxcsr %0" : "=m"(sse));
    // Both units code the rounding alike: nearest, down, up, toward zero.
    sse = (sse & ~std::uint32_t{0x6000}) | (std::uint32_t{x87 >> 10 & 3u} << 13);
    __asm__ volatile("ldmxcsr %0" : : "m"(sse));
}

// The exports as loaded, and what each wrapped call found on its way back.
const host::PluginExports* loaded = nullptr;
FloatingPointWords expected;
std::vector<std::string> changedBy;

void CheckAfter(const char* name) {
    if (!(FloatingPointWords::Current() == expected)) {
        changedBy.emplace_back(name);
    }
}

template <auto Entry>
void CheckedVoid() {
    (loaded->*Entry)();
    CheckAfter("a call without a map");
}

template <auto Entry>
void CheckedMap(CMapStringToString& map) {
    (loaded->*Entry)(map);
    CheckAfter("a call with a map");
}

const host::PluginExports checkedExports{
    &CheckedVoid<&host::PluginExports::onLoad>,         &CheckedMap<&host::PluginExports::onInitialize>,
    &CheckedMap<&host::PluginExports::onUserCommand>,   &CheckedMap<&host::PluginExports::onPlanetChanged>,
    &CheckedMap<&host::PluginExports::onAbout>,         &CheckedVoid<&host::PluginExports::onClose>,
};

std::filesystem::path PluginBesideTheTest() {
    std::vector<wchar_t> buffer(4096);
    const DWORD length = GetModuleFileNameW(nullptr, buffer.data(), 4096);
    return std::filesystem::path(std::wstring(buffer.data(), length)).parent_path() / "Tarvenix2.dll";
}

std::filesystem::path TraceFolder() {
    std::vector<wchar_t> buffer(4096);
    const DWORD length = GetEnvironmentVariableW(L"TARVENIX_LINUX_TRACES", buffer.data(), 4096);
    return length == 0 || length >= 4096 ? std::filesystem::path{} : std::filesystem::path(buffer.data());
}

std::string FileText(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

/// Plans `galaxyFile` with the plug-in beside the test, every export checked; the trace.
std::string PlannedTrace(const std::filesystem::path& galaxyFile) {
    host::Galaxy galaxy = host::LoadGalaxyFile(galaxyFile);
    const host::PluginModule module = host::PluginModule::Load(PluginBesideTheTest());
    loaded = &module.Exports();
    std::ostringstream out;
    host::CallTrace trace(out);
    host::RunSettings settings;
    settings.trace = &trace;
    host::PluginLoad load(checkedExports);
    host::PluginSession session(load, galaxy, settings);
    const host::RunOutcome outcome = session.RunCommand();
    load.Close();
    EXPECT_GT(outcome.addRequests, 0) << galaxyFile.string() << ": the plan did not complete";
    loaded = nullptr;
    return out.str();
}

struct Setting {
    const char* name;
    unsigned int control; // _controlfp's bits
    unsigned int mask;
};

class ControlWordTest : public ::testing::TestWithParam<Setting> {};

TEST_P(ControlWordTest, PlansAsOnLinuxAndGivesTheCallersSettingsBack) {
    const std::filesystem::path folder = TraceFolder();
    if (folder.empty()) {
        GTEST_SKIP() << "TARVENIX_LINUX_TRACES names no folder of galaxies and Linux traces";
    }
    std::vector<std::filesystem::path> galaxies;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        if (entry.path().extension() == ".json" && !entry.path().stem().has_extension()) { // not NAME.report.json
            galaxies.push_back(entry.path());
        }
    }
    ASSERT_FALSE(galaxies.empty()) << "no galaxy in " << folder.string();

    const unsigned int before = _controlfp(0, 0);
    const FloatingPointWords beforeWords = FloatingPointWords::Current();
    _controlfp(GetParam().control, GetParam().mask);
    RoundSseAsX87();
    expected = FloatingPointWords::Current();
    changedBy.clear();
    for (const std::filesystem::path& galaxy : galaxies) {
        std::filesystem::path linuxTrace = galaxy;
        linuxTrace.replace_extension(".trace.jsonl");
        const std::string planned = PlannedTrace(galaxy);
        EXPECT_TRUE(planned == FileText(linuxTrace)) << galaxy.filename().string() << ": the trace differs from Linux";
    }
    const FloatingPointWords after = FloatingPointWords::Current();
    _controlfp(before, _MCW_PC | _MCW_RC);
    RoundSseAsX87();
    ASSERT_TRUE(FloatingPointWords::Current() == beforeWords);
    EXPECT_TRUE(changedBy.empty()) << changedBy.size() << " exports changed the settings, first " << changedBy.front();
    EXPECT_TRUE(after == expected) << "the settings changed over the run";
}

INSTANTIATE_TEST_SUITE_P(
    Precisions, ControlWordTest,
    ::testing::Values(Setting{"Bits24", _PC_24 | _RC_NEAR, _MCW_PC | _MCW_RC},
                      Setting{"Bits53", _PC_53 | _RC_NEAR, _MCW_PC | _MCW_RC},
                      Setting{"Bits64", _PC_64 | _RC_NEAR, _MCW_PC | _MCW_RC},
                      // Directed rounding: the exports hold rounding to nearest as well.
                      Setting{"Bits64TowardZero", _PC_64 | _RC_CHOP, _MCW_PC | _MCW_RC},
                      Setting{"Bits24Upward", _PC_24 | _RC_UP, _MCW_PC | _MCW_RC}),
    [](const ::testing::TestParamInfo<Setting>& setting) { return std::string(setting.param.name); });

} // namespace
