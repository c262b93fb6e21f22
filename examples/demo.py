"""Demo: write the example bookshop workspace into a fresh git repository
through the module's functions, report what the workspace holds, then serve
its pages on http://127.0.0.1:8000/ until Ctrl-C.

The repository lives in a temporary directory that is removed at the end.

Environment: DEMO_ONCE=1 prints the report and exits without serving (for
scripts); DEMO_HOST and DEMO_PORT choose the address; DEMO_MERMAID_DIR points
at a local copy of Mermaid's dist files (by default a copy that the test
tools installed under tests/ is used when present, otherwise the pages load
Mermaid from its CDN).
"""

import json
import os
import subprocess
import sys
import tempfile
import time
from pathlib import Path

from borvane_c4 import _native
from borvane_c4.web import WebApp, serve

EXAMPLE = Path(__file__).resolve().parent / "bookshop"
PROJECT = Path(__file__).resolve().parent.parent
# Mermaid copies that the project's test tools install with npm.
LOCAL_MERMAID = (PROJECT / "tests" / "browser" / "node_modules" / "mermaid" / "dist",
                 PROJECT / "tests" / "mermaid" / "node_modules" / "mermaid" / "dist")


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


def local_mermaid() -> Path | None:
    """The Mermaid copy to serve: DEMO_MERMAID_DIR, or one the test tools installed."""
    configured = os.environ.get("DEMO_MERMAID_DIR")
    if configured:
        return Path(configured)
    return next((d for d in LOCAL_MERMAID if (d / "mermaid.esm.min.mjs").is_file()), None)


def serve_pages() -> None:
    """Serves the loaded workspace until Ctrl-C."""
    host = os.environ.get("DEMO_HOST") or "127.0.0.1"
    port = int(os.environ.get("DEMO_PORT") or "8000")
    mermaid = local_mermaid()
    app = WebApp(mermaid_dir=mermaid)
    print(f"\nMermaid: {'local copy in ' + str(mermaid) if mermaid else 'public CDN'}")
    print("Pages: / (diagrams), /flows, /adrs. Ctrl-C stops.")
    serve(app, host, port)


def main() -> int:
    started = time.perf_counter()
    once = os.environ.get("DEMO_ONCE", "") not in ("", "0")
    with tempfile.TemporaryDirectory(prefix="borvane-c4-demo-") as tmp:
        repo = Path(tmp) / "repo"
        repo.mkdir()
        git(repo, "init", "-q", "-b", "main")
        load_example(repo, Path(tmp) / "data")
        report(repo)
        print(f"\ndone in {time.perf_counter() - started:.2f} s")
        if not once:
            serve_pages()
    return 0


if __name__ == "__main__":
    sys.exit(main())
