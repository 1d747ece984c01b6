// DemoGalaxy.h - the built-in demo galaxy, compiled in from host/galaxy/demo/DemoGalaxy.json.
//
// Hand-made to show a relay dispatch well: the selected group of ten ships
// reaches five free planets directly, three are covered already (a larger
// group, a group in flight, a fleet), and the rest go on through idle one-ship
// groups, one chain of two relays and one of one. The text is the file's,
// unchanged, so it loads through the same checks as any galaxy file.
#pragma once

#include <string_view>

namespace host {

/// How messages name the built-in galaxy where they would name a file.
inline constexpr std::string_view kDemoGalaxyName = "built-in demo galaxy";

/// The demo galaxy's JSON text.
std::string_view DemoGalaxyJson();

} // namespace host
