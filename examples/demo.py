"""Demo: write the example bookshop workspace into a fresh git repository
through the module's functions, then report what the workspace holds.

The repository lives in a temporary directory that is removed at the end.
"""

import json
import os
import subprocess
import sys
import tempfile
import time
from pathlib import Path

from borvane_c4 import _native

EXAMPLE = Path(__file__).resolve().parent / "bookshop"


def git(repo: Path, *args: str) -> str:
    done = subprocess.run(["git", "-C", str(repo), *args], capture_output=True, text=True, check=True)
    return done.stdout


def load_model(example: Path) -> None:
    model = json.loads((example / "model.json").read_text(encoding="utf-8"))
    for e in model["elements"]:
        members = json.dumps(e["members"]) if "members" in e else None
        _native.upsert_element(e["id"], e["kind"], e["name"], e.get("parent_id"), e.get("description"),
                               e.get("technology"), e.get("url"), members)
    for r in model["relationships"]:
        _native.upsert_relationship(r["id"], r["from_id"], r["to_id"], r.get("description"))


def load_decisions(example: Path) -> None:
    token = os.environ.get("BORVANE_C4_PROCESS_TOKEN") or None
    for entry in json.loads((example / "decisions.json").read_text(encoding="utf-8")):
        decision = entry["decision"]
        _native.upsert_adr(json.dumps(decision), True)
        for change in entry["then"]:
            _native.set_adr_status(decision["id"], change["status"], change.get("reason"),
                                   change.get("superseded_by_id"), True, token)


def load_flows(example: Path) -> None:
    for flow in json.loads((example / "flows.json").read_text(encoding="utf-8")):
        _native.upsert_flow(json.dumps(flow), True)


def load_example(repo: Path, data_dir: Path, example: Path = EXAMPLE) -> None:
    """Initialises the module, binds `repo/docs` and writes the example into it."""
    _native.init(str(data_dir))
    _native.bind_docs(str(repo / "docs"))
    load_model(example)
    load_decisions(example)
    load_flows(example)


def report(repo: Path) -> None:
    model = json.loads(_native.get_model())
    print(f"elements:      {len(model['elements'])}")
    print(f"relationships: {len(model['relationships'])}")
    print(f"decisions:     {len(model['decisions'])}")
    print(f"flows:         {len(json.loads(_native.list_flows('https://borvane-c4.example')))}")
    checked = json.loads(_native.validate_workspace())
    print(f"\nvalidate_workspace: ok={checked['ok']}, {len(checked['problems'])} problems")
    for p in checked["problems"]:
        print(f"  [{p['severity']}] {p['code']}: {p['message']}")
    print("\ngit log --oneline:")
    print(git(repo, "log", "--oneline").rstrip())


def main() -> int:
    started = time.perf_counter()
    with tempfile.TemporaryDirectory(prefix="borvane-c4-demo-") as tmp:
        repo = Path(tmp) / "repo"
        repo.mkdir()
        git(repo, "init", "-q", "-b", "main")
        load_example(repo, Path(tmp) / "data")
        report(repo)
    print(f"\ndone in {time.perf_counter() - started:.2f} s")
    return 0


if __name__ == "__main__":
    sys.exit(main())
