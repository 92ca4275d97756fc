"""Checks a source project written by `quelvane-cli sources` against other readings of the saves.

Usage:
  compare_sources.py lines CLI SAVEFILE PROJECT EXTRACTION
      EXTRACTION holds what `quelvane-cli extract` wrote for SAVEFILE (its catalog.json). Every
      source member the catalog lists is looked up in the project's .quelvane/members.json and its
      file's lines compared with what `quelvane-cli show --json` lists for the member. A member the
      project did not write must be named under notWritten.
  compare_sources.py changes OLD NEW REPOSITORY
      OLD and NEW hold the extractions of two saves of one library; REPOSITORY the project with a
      commit for each. The members added, removed or whose lines differ between the extractions
      must be exactly the member files `git diff HEAD~1 HEAD` names.

Prints one line per difference and a summary; exits with 1 when there is any difference.
"""

import json
import subprocess
import sys

problems = []


def problem(where, text):
    problems.append(f"{where}: {text}")


def source_members(extraction):
    """(file, member) -> (part index, object index, member index, extracted path or None)."""
    with open(f"{extraction}/catalog.json", encoding="utf-8") as handle:
        catalog = json.load(handle)
    found = {}
    for part in catalog["parts"]:
        for index, obj in enumerate(part["objects"]):
            members = obj.get("members", [])
            if not any(member.get("kind") == "source" for member in members):
                continue
            for number, member in enumerate(members):
                path = member.get("path")
                found[(obj["name"], member["name"])] = (part["index"], index, number,
                                                       f"{extraction}/{path}" if path else None)
    return found


def project_members(project, manifest_text=None):
    if manifest_text is None:
        with open(f"{project}/.quelvane/members.json", encoding="utf-8") as handle:
            manifest_text = handle.read()
    manifest = json.loads(manifest_text)
    written = {(m["file"], m["member"]): m["path"] for m in manifest["members"] if "member" in m}
    not_written = {(m["file"], m["member"]) for m in manifest["notWritten"]}
    return written, not_written


def shown_lines(cli, save_file, node):
    result = subprocess.run([cli, "show", "--json", save_file, node], capture_output=True, check=False)
    if result.returncode != 0:
        problem(node, f"show exited with {result.returncode}")
        return None
    listing = json.loads(result.stdout)
    return [row["cells"][2].rstrip(" ") for row in listing["rows"] if not row.get("recordless")]


def file_lines(path):
    with open(path, "rb") as handle:
        text = handle.read().decode("utf-8")
    if text and not text.endswith("\n"):
        problem(path, "the last line does not end in LF")
    return text.split("\n")[:-1]


def compare_lines(cli, save_file, project, extraction):
    written, not_written = project_members(project)
    compared = 0
    for key, (part, index, number, _) in source_members(extraction).items():
        where = "/".join(key)
        if key not in written:
            if key not in not_written:
                problem(where, "neither written nor named as not written")
            continue
        lines = shown_lines(cli, save_file, f"{part}/{index}/{number}")
        if lines is None:
            continue
        if file_lines(f"{project}/{written[key]}") != lines:
            problem(where, "the project's lines differ from the view")
        compared += 1
    return compared


def git(repository, *arguments):
    return subprocess.run(["git", "-C", repository, *arguments], capture_output=True, check=True).stdout


def compare_changes(old, new, repository):
    old_paths, _ = project_members(repository, git(repository, "show", "HEAD~1:.quelvane/members.json").decode())
    new_paths, _ = project_members(repository, git(repository, "show", "HEAD:.quelvane/members.json").decode())
    old_members = source_members(old)
    new_members = source_members(new)
    expected = set()
    for key in set(old_members) | set(new_members):
        before = old_members.get(key)
        after = new_members.get(key)
        if before is None or before[3] is None:
            if after is not None and after[3] is not None:
                expected.add(new_paths.get(key, "/".join(key) + " (not in the project)"))
        elif after is None or after[3] is None:
            expected.add(old_paths.get(key, "/".join(key) + " (not in the project)"))
        elif file_lines(before[3]) != file_lines(after[3]):
            expected.add(new_paths.get(key, "/".join(key) + " (not in the project)"))
            if old_paths.get(key) != new_paths.get(key):
                expected.add(old_paths.get(key))
    listed = git(repository, "diff", "--name-only", "-z", "HEAD~1", "HEAD").decode().split("\0")
    changed = {path for path in listed if path and not path.endswith((".ibmi.json", "iproj.json"))
               and not path.startswith(".quelvane/")}
    for path in sorted(expected - changed):
        problem(path, "changed between the saves, not in the commit")
    for path in sorted(changed - expected):
        problem(path, "in the commit, not changed between the saves")
    return len(expected)


def main():
    if sys.argv[1] == "lines":
        compared = compare_lines(*sys.argv[2:6])
        summary = f"{compared} members compared"
    else:
        compared = compare_changes(*sys.argv[2:5])
        summary = f"{compared} members changed"
    for line in problems:
        print(line)
    print(f"{summary}, {len(problems)} differences")
    sys.exit(1 if problems else 0)


main()
