// PluginModuleTest.cpp - loading modules by path: all six exports resolved, clear errors otherwise.
#include "session/PluginModule.h"

#include "platform/CMapStringToString.h"

#include "host/HostProcess.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace {

using host::PluginLoadError;
using host::PluginModule;

TEST(PluginModuleTest, ResolvesAllSixExports) {
    const PluginModule module = PluginModule::Load(TARVENIX_TEST_PLUGIN);
    const host::PluginExports& exports = module.Exports();
    EXPECT_NE(exports.onLoad, nullptr);
    EXPECT_NE(exports.onInitialize, nullptr);
    EXPECT_NE(exports.onUserCommand, nullptr);
    EXPECT_NE(exports.onPlanetChanged, nullptr);
    EXPECT_NE(exports.onAbout, nullptr);
    EXPECT_NE(exports.onClose, nullptr);
    EXPECT_EQ(module.FileName(), std::filesystem::path(TARVENIX_TEST_PLUGIN).filename().string());

    CMapStringToString about;
    exports.onAbout(about);
    EXPECT_EQ(about["Name"], "Test Plug-in");
}

TEST(PluginModuleTest, MissingExportError) {
    try {
        PluginModule::Load(TARVENIX_TEST_PLUGIN_WITHOUT_CLOSE);
        FAIL() << "a module without OnClose loaded";
    } catch (const PluginLoadError& error) {
        EXPECT_EQ(std::string(error.what()), "cannot resolve 'OnClose' in 'TestPluginWithoutClose.so'");
    }
}

TEST(PluginModuleTest, MissingModuleError) {
    try {
        PluginModule::Load("/nonexistent/folder/Tarvenix2.so");
        FAIL() << "a missing module loaded";
    } catch (const PluginLoadError& error) {
        EXPECT_EQ(std::string(error.what()).rfind("cannot load '/nonexistent/folder/Tarvenix2.so': ", 0), 0u)
            << error.what();
    }
}

TEST(PluginModuleTest, FileThatIsNotALibraryError) {
    const host_test::TestFolder folder;
    const std::filesystem::path notALibrary = folder / "not-a-library.so";
    {
        std::FILE* file = std::fopen(notALibrary.c_str(), "w");
        ASSERT_NE(file, nullptr);
        std::fputs("not code", file);
        std::fclose(file);
    }
    EXPECT_THROW(PluginModule::Load(notALibrary), PluginLoadError);
}

} // namespace
