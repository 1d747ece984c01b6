// InProcessPlugin.h - the plug-in's six exports linked into a harness, reached as the host reaches a module's.
//
// The harnesses run the plug-in in their own process, so that the fuzzer sees
// its code and every sanitizer watches it: the exports, the application object
// and its module state are built into the harness instead of a loaded library.
// There is one application object per process, as there is one per loaded
// module; the host's session drives it the same way either way.
#pragma once

#include "session/PluginModule.h"

namespace fuzz {

/// The exports of the plug-in built into this program; valid for the program's life.
const host::PluginExports& InProcessPluginExports();

/// A message box presenter that answers OK and keeps the text out of the fuzzer's output;
/// a host's session installs its own over it while it runs.
void AnswerMessageBoxesQuietly();

} // namespace fuzz
