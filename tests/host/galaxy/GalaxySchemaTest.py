#!/usr/bin/python3
"""GalaxySchemaTest.py - the galaxy file's JSON Schema and the host's loader judge a table of files alike.

Each file of the table (the demo galaxy, galaxies that `generate` and `plan --out` write, and the
demo galaxy with one fault of each kind a schema can state) is checked by Debian's
python3-jsonschema against docs/galaxy.schema.json and loaded by the real tarvenix-host
(`groups --galaxy FILE`, which loads and checks the file and runs no plug-in). Both must give
the verdict the table expects: valid and loaded, or invalid and refused with exit status 2
naming the expected fault. Faults only the loader can find (a reference to nothing, a name
given twice) are not in the table: a schema cannot state them.
"""

import argparse
import copy
import json
import os
import subprocess
import sys
import tempfile

SKIP = 77


def edited(edit):
    def make(demo):
        document = copy.deepcopy(demo)
        edit(document)
        return document
    return make


def without(entry, key):
    del entry[key]


def renamed(entry, old, new):
    entry[new] = entry.pop(old)


# (what, document from the demo galaxy, expected loader message part or None for valid)
EDITS = [
    ("$schema names the schema", edited(lambda d: d.update({"$schema": "galaxy.schema.json"})), None),
    ("owner left out", edited(lambda d: d["planets"][1].pop("owner", None)), None),
    ("negative coordinate", edited(lambda d: d["planets"][0].update({"x": -5.5})), None),
    ("missing field", edited(lambda d: without(d["planets"][2], "x")), 'planets[2] (planet #3): missing field "x"'),
    ("missing array", edited(lambda d: without(d, "groups")), 'missing field "groups"'),
    ("wrong type", edited(lambda d: d.update({"turn": "42"})), 'field "turn" must be a whole number'),
    ("fraction where a whole number goes", edited(lambda d: d["groups"][0].update({"count": 2.5})),
     'groups[0] (the 1st group): field "count" must be a whole number'),
    ("text where a number goes", edited(lambda d: d["races"][0].update({"drivesTech": "1.25"})),
     'races[0] (the 1st race): field "drivesTech" must be a number'),
    ("unknown key in an entry", edited(lambda d: renamed(d["planets"][3], "name", "nmae")),
     'planets[3] (planet #4): unknown key "nmae"; did you mean "name"?'),
    ("unknown key in the galaxy", edited(lambda d: d.update({"comment": "mine"})), 'unknown key "comment"'),
    ("coordinate out of range", edited(lambda d: d["planets"][0].update({"y": 2e150})),
     'planets[0] (planet #1): field "y" is out of range'),
    ("number beyond 32 bits", edited(lambda d: d.update({"turn": 2 ** 31})), 'field "turn" is out of range'),
    ("negative count", edited(lambda d: d["groups"][1].update({"count": -1})), "groups[1] (the 2nd group): count is negative"),
    ("negative speed", edited(lambda d: d["groups"][1].update({"speed": -0.5})), "groups[1] (the 2nd group): speed is negative"),
    ("group number zero", edited(lambda d: d["groups"][1].update({"number": 0})),
     "groups[1] (the 2nd group): group number 0 is not positive"),
    ("empty planet name", edited(lambda d: d["planets"][4].update({"name": ""})), "planets[4] (planet #5): planet name is empty"),
    ("entry not an object", edited(lambda d: d["races"].append(7)), "must be an object"),
    ("not an object", lambda demo: [demo], "the galaxy must be a JSON object"),
]


def load_verdict(host, path):
    """None when the host loads the file, else its message; any status but 0 or 2 fails the test."""
    run = subprocess.run([host, "groups", "--galaxy", path, "--limit", "1"], capture_output=True, text=True)
    if run.returncode == 0:
        return None
    if run.returncode != 2:
        raise AssertionError(f"{path}: exit status {run.returncode}\n{run.stderr}")
    return run.stderr


def schema_errors(validator, document):
    return [error.message for error in validator.iter_errors(document)]


def written_files(host, plugin, work):
    """Galaxies that the host itself writes: generated ones and a plan's --out."""
    files = []
    for arguments in (["--planets", "1"], ["--planets", "60", "--seed", "3"], ["--planets", "400", "--races", "7"]):
        path = os.path.join(work, "generated-" + "-".join(arguments[1::2]) + ".json")
        subprocess.run([host, "generate", *arguments, "--out", path], check=True, capture_output=True)
        files.append(("generate " + " ".join(arguments), path))
    after = os.path.join(work, "after-plan.json")
    subprocess.run([host, "plan", "--plugin", plugin, "--lang", "en", "--out", after], check=True, capture_output=True)
    files.append(("the demo galaxy as a plan left it (plan --out)", after))
    return files


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--host", required=True)
    parser.add_argument("--plugin", required=True)
    parser.add_argument("--schema", required=True)
    parser.add_argument("--demo", required=True)
    arguments = parser.parse_args()
    try:
        import jsonschema
    except ImportError:
        print("skipped: python3-jsonschema is not installed (scripts/install-deps.sh installs it)")
        return SKIP
    with open(arguments.schema, encoding="utf-8") as file:
        schema = json.load(file)
    jsonschema.Draft202012Validator.check_schema(schema)
    validator = jsonschema.Draft202012Validator(schema)
    with open(arguments.demo, encoding="utf-8") as file:
        demo = json.load(file)

    failures = []
    with tempfile.TemporaryDirectory(prefix="tarvenix-schema-") as work:
        rows = [("the demo galaxy", arguments.demo, None)]
        rows += [(what, path, None) for what, path in written_files(arguments.host, arguments.plugin, work)]
        for i, (what, make, message) in enumerate(EDITS):
            path = os.path.join(work, f"edit-{i}.json")
            with open(path, "w", encoding="utf-8") as file:
                json.dump(make(demo), file, indent=1)
            rows.append((what, path, message))
        for what, path, message in rows:
            with open(path, encoding="utf-8") as file:
                errors = schema_errors(validator, json.load(file))
            refusal = load_verdict(arguments.host, path)
            if message is None and (errors or refusal):
                failures.append(f"{what}: should be valid; schema: {errors}; host: {refusal}")
            elif message is not None and not (errors and refusal and message in refusal):
                failures.append(f"{what}: should be refused ({message}); schema: {errors}; host: {refusal}")
            else:
                print(f"{'valid' if message is None else 'refused'} by both: {what}")
    for failure in failures:
        print("FAIL " + failure)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
