"""Holds quelvane-cli compare of two saves against an independent reading of both.

Usage: check_compare.py CLI BEFORE AFTER WORK

Each save is extracted (catalog.json and one file per source member, as extract writes them).
The objects added and removed must be those whose library, name and type only one catalog
holds; every object both hold whose catalog facts differ must be reported changed; and for
every source member both hold, the lines diff --minimal adds and removes between the two
extracted files must be the lines the comparison adds and removes (a member with no such lines
must not be listed with any). diff without --minimal may settle for a longer script (its
heuristics for lines that occur often); the comparison's script is always a shortest one. Prints every disagreement and exits 1 when there is one.
"""

import json
import os
import subprocess
import sys

FACTS = ("attribute", "text", "owner", "created", "creator", "release", "sourceFile", "sourceMember",
         "sourceLibrary", "sourceChanged")


def extract(cli, save, folder):
    subprocess.run([cli, "extract", save, "--to", folder, "--quiet"], check=False,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    with open(os.path.join(folder, "catalog.json"), encoding="utf-8") as handle:
        return json.load(handle)


def objects(catalog):
    found = {}
    for part in catalog.get("parts", []):
        for obj in part.get("objects", []):
            found[(part["library"], obj["name"], obj["typeText"])] = obj
    return found


def source_files(catalog, folder):
    files = {}
    for key, obj in objects(catalog).items():
        for member in obj.get("members", []):
            if member.get("kind") == "source" and member.get("path"):
                files[key + (member["name"],)] = os.path.join(folder, member["path"])
    return files


def diff_lines(before, after):
    run = subprocess.run(["diff", "--minimal", before, after], stdout=subprocess.PIPE, check=False)
    lines = run.stdout.decode("utf-8", "replace").splitlines()
    return (sorted(line[2:] for line in lines if line.startswith("> ")),
            sorted(line[2:] for line in lines if line.startswith("< ")))


def compared_lines(member):
    lines = [line for hunk in member["lines"]["hunks"] for line in hunk["lines"]]
    return (sorted(line[1:] for line in lines if line.startswith("+")),
            sorted(line[1:] for line in lines if line.startswith("-")))


def main():
    cli, before, after, work = sys.argv[1:5]
    old_catalog = extract(cli, before, os.path.join(work, "before"))
    new_catalog = extract(cli, after, os.path.join(work, "after"))
    run = subprocess.run([cli, "compare", before, after, "--json"], stdout=subprocess.PIPE, check=False)
    comparison = json.loads(run.stdout)
    problems = []
    if run.returncode != (0 if comparison["same"] else 1):
        problems.append("exit status %d" % run.returncode)

    reported = {(o["library"], o["name"], o["type"]): o for o in comparison["objects"]}
    old, new = objects(old_catalog), objects(new_catalog)
    for key in new.keys() - old.keys():
        if reported.get(key, {}).get("change") != "added":
            problems.append("not reported added: %s" % (key,))
    for key in old.keys() - new.keys():
        if reported.get(key, {}).get("change") != "removed":
            problems.append("not reported removed: %s" % (key,))
    for key in old.keys() & new.keys():
        differing = [fact for fact in FACTS if old[key].get(fact) != new[key].get(fact)]
        if differing and reported.get(key, {}).get("change") != "changed":
            problems.append("not reported changed: %s (%s)" % (key, ", ".join(differing)))
    for key, obj in reported.items():
        if obj["change"] == "added" and key not in new.keys() - old.keys():
            problems.append("reported added wrongly: %s" % (key,))
        if obj["change"] == "removed" and key not in old.keys() - new.keys():
            problems.append("reported removed wrongly: %s" % (key,))

    counted = {}
    for key, obj in reported.items():
        for member in obj["members"]:
            if member["source"] and member["change"] == "changed":
                counted[key + (member["name"],)] = compared_lines(member)
    old_files = source_files(old_catalog, os.path.join(work, "before"))
    new_files = source_files(new_catalog, os.path.join(work, "after"))
    changed_members = 0
    for key in old_files.keys() & new_files.keys():
        expected = diff_lines(old_files[key], new_files[key])
        if expected != ([], []):
            changed_members += 1
        found = counted.get(key, ([], []))
        if found != expected:
            problems.append("member %s: diff says +%d -%d, compare +%d -%d" %
                            (key, len(expected[0]), len(expected[1]), len(found[0]), len(found[1])))
    for problem in problems:
        print(problem)
    print("%d objects reported, %d source members changed" % (len(reported), changed_members))
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
