#!/usr/bin/env python3
"""IncludeDirectionFixtureTest.py CHECKER - the direction check run on a small tree of the
product's shape: the clean tree passes, and each planted include or link fails with its message."""
import os
import subprocess
import sys
import tempfile

# A tree with every unit's folder, one allowed include or link each, and the includes the
# checker's exceptions name (so that none of them goes stale).
CLEAN = {
    "platform/CMakeLists.txt": "add_library(TarvenixFramework SHARED CString.cpp)\n",
    "platform/CString.h": "#include <string>\n",
    "platform/CString.cpp": '#include "platform/CString.h"\n',
    "cells/CMakeLists.txt": "target_link_libraries(TarvenixCells PUBLIC TarvenixFramework)\n",
    "cells/Cell.h": '#include "platform/CString.h"\n',
    "context/DispatchContext.h": "#include <cells/Cell.h>\n",
    "relay/PlannerThread.cpp": '#include "context/DispatchContext.h"\n#include "ui/SendProgressDialog.h"\n',
    "relay/DistributeGroupCommand.cpp": '#include "plugin/PluginApp.h"\n#include "plugin/resource.h"\n',
    "ui/SendProgressDialog.h": '#include "relay/RelayLeg.h"\n',
    "ui/SendProgressDialog.cpp": '#include "ui/SendProgressDialog.h"\n#include "plugin/resource.h"\n',
    "plugin/PluginApp.h": '#include "ui/SendProgressDialog.h"\n',
    "plugin/resource.h": "#define IDD_SENDING 129\n",
    "host/CMakeLists.txt": "add_executable(tarvenix-host main.cpp)\n"
                           "target_link_libraries(tarvenix-host PRIVATE TarvenixHostCli)\n",
    "host/main.cpp": '#include "cli/CommandRuns.h"\n',
    "host/text/SafeText.h": "#include <string_view>\n",
    "host/galaxy/CMakeLists.txt": "target_link_libraries(TarvenixHostGalaxy PUBLIC TarvenixHostText)\n",
    "host/galaxy/Galaxy.h": '#include "text/SafeText.h"\n#include <platform/CString.h>\n',
    "host/cli/CMakeLists.txt": "target_link_libraries(TarvenixHostCli\n    PUBLIC TarvenixHostGalaxy)\n",
    "host/cli/CommandRuns.h": '#include "galaxy/Galaxy.h"\n',
    "tests/CMakeLists.txt": "target_link_libraries(SomeTest PRIVATE TarvenixHostCli TarvenixPlugin)\n",
    "tests/host/CMakeLists.txt": "tarvenix_add_test(GalaxyTest galaxy/GalaxyTest.cpp LIBS TarvenixHostGalaxy)\n"
                                 "tarvenix_add_test(HostRunTest HostRunTest.cpp galaxy/GalaxyTest.cpp LIBS TarvenixHostCli)\n",
}

GALAXY = "host/galaxy/Galaxy.h"
UP_TO_CLI = "host/galaxy may not use host/cli"

# name, files appended to (path: text), the messages expected, one a fault.
PLANTED = [
    ("quoted upward include", {GALAXY: '#include "cli/CommandRuns.h"\n'},
     [f'{GALAXY}:3: includes "cli/CommandRuns.h": {UP_TO_CLI}']),
    ("angle-bracket room include", {GALAXY: "#include <cli/CommandRuns.h>\n"},
     [f"{GALAXY}:3: includes <cli/CommandRuns.h>: {UP_TO_CLI}"]),
    ("angle-bracket layer include", {"platform/CString.h": "#include <cells/Cell.h>\n"},
     ["platform/CString.h:2: includes <cells/Cell.h>: platform may not use cells"]),
    ("angle-bracket include of a header not in the tree", {"context/DispatchContext.h": "#include <relay/Gone.h>\n"},
     ["context/DispatchContext.h:2: includes <relay/Gone.h>: context may not use relay"]),
    ("upward include with the permitting link",
     {GALAXY: '#include "cli/CommandRuns.h"\n',
      "host/galaxy/CMakeLists.txt": "target_link_libraries(TarvenixHostGalaxy PUBLIC TarvenixHostCli)\n"},
     [f'{GALAXY}:3: includes "cli/CommandRuns.h": {UP_TO_CLI}',
      f"host/galaxy/CMakeLists.txt:2: TarvenixHostGalaxy links TarvenixHostCli: {UP_TO_CLI}"]),
    ("upward include with the upper target named in a CMake comment",
     {GALAXY: "#include <cli/CommandRuns.h>\n",
      "host/galaxy/CMakeLists.txt": "# galaxy: used by TarvenixHostCli\n#[[ TarvenixHostCli ]]\n"},
     [f"{GALAXY}:3: includes <cli/CommandRuns.h>: {UP_TO_CLI}"]),
    ("upward link without an include",
     {"cells/CMakeLists.txt": "target_link_libraries(TarvenixCells PRIVATE $<$<BOOL:ON>:TarvenixRelay>)\n"},
     ["cells/CMakeLists.txt:2: TarvenixCells links TarvenixRelay: cells may not use relay"]),
    ("upward link written outside the unit's folder",
     {"tests/CMakeLists.txt": "target_link_libraries(TarvenixHostText PUBLIC TarvenixHostFiles)\n"},
     ["tests/CMakeLists.txt:2: TarvenixHostText links TarvenixHostFiles: host/text may not use host/files"]),
    ("room's test linking a room above it",
     {"tests/host/CMakeLists.txt": "tarvenix_add_test(GalaxyFileTest galaxy/GalaxyFileTest.cpp\n"
                                   "                  LIBS TarvenixHostCli nlohmann_json::nlohmann_json)\n"},
     [f"tests/host/CMakeLists.txt:3: test GalaxyFileTest links TarvenixHostCli: {UP_TO_CLI}"]),
    ("host include of plug-in code", {GALAXY: '#include "cells/Cell.h"\n'},
     [f'{GALAXY}:3: includes "cells/Cell.h": host/galaxy may not use cells']),
    ("plug-in include of the host", {"relay/PlannerThread.cpp": "#include <host/galaxy/Galaxy.h>\n"},
     ["relay/PlannerThread.cpp:3: includes <host/galaxy/Galaxy.h>: relay may not use host/galaxy"]),
    ("relative upward include", {GALAXY: '#include "../cli/CommandRuns.h"\n'},
     [f'{GALAXY}:3: includes "../cli/CommandRuns.h": {UP_TO_CLI}']),
    ("computed include", {GALAXY: "#  include TARVENIX_HEADER\n"},
     [f"{GALAXY}:3: '#include TARVENIX_HEADER' is not a plain name"]),
    ("folder missing from the table", {"host/extra/Extra.h": "#include <string>\n"},
     ["host/extra/Extra.h: lies in a folder that the unit table does not name"]),
    ("exception taken to another file", {"relay/RelayLeg.cpp": '#include "plugin/PluginApp.h"\n'},
     ['relay/RelayLeg.cpp:1: includes "plugin/PluginApp.h": relay may not use plugin']),
    ("exception left behind", {"ui/SendProgressDialog.cpp": None},
     ['ui/SendProgressDialog.cpp: an exception for "plugin/resource.h", which the file no longer includes']),
]


def write_tree(root, additions):
    for path, text in {**CLEAN, **additions}.items():
        file = os.path.join(root, path)
        os.makedirs(os.path.dirname(file), exist_ok=True)
        if text is None:
            text = ""  # emptied: the file keeps none of its includes
        elif path in CLEAN and path in additions:
            text = CLEAN[path] + text
        with open(file, "w", encoding="utf-8") as out:
            out.write(text)


def run(checker, additions):
    with tempfile.TemporaryDirectory() as root:
        write_tree(root, additions)
        result = subprocess.run([sys.executable, checker, root], capture_output=True, text=True, check=False)
        return result.returncode, result.stdout + result.stderr


def main():
    checker = sys.argv[1]
    failures = []
    status, output = run(checker, {})
    if status != 0:
        failures.append(f"the clean tree failed:\n{output}")
    for name, additions, messages in PLANTED:
        status, output = run(checker, additions)
        missing = [message for message in messages if message not in output]
        summary = f"check-includes: {len(messages)} include(s) or link(s) against the direction"
        if status != 1 or missing or summary not in output:
            failures.append(f"{name}: status {status}, missing {missing}, output:\n{output}")
    for failure in failures:
        print(f"FAILED {failure}")
    print(f"{len(PLANTED) + 1 - len(failures)} of {len(PLANTED) + 1} trees judged as expected")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
