// ExportCall.h - one call of a plug-in export, with an exception out of it turned into the plug-in's fault.
#pragma once

#include <exception>
#include <stdexcept>
#include <string>

namespace host {

/// The plug-in broke the host's contract (no menu item, an exception out of an export); exit 1.
class PluginMisbehaved : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

/// Runs one export; an exception out of the plug-in is its fault, not the host's.
template <typename Call>
void CallExport(const char* name, Call&& call) {
    try {
        call();
    } catch (const std::exception& error) {
        throw PluginMisbehaved(std::string("exception out of '") + name + "': " + error.what());
    } catch (...) {
        throw PluginMisbehaved(std::string("exception out of '") + name + "'");
    }
}

} // namespace host
