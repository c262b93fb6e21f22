"""Benchmarks of the Python-facing calls that touch files and git.

Prints a table: binding a large docs tree, decision writes with and without a
commit, and one model.toml rewrite, next to a plain unsynced write of the same
bytes (what flushing to stable storage costs).
"""

import json
import statistics
import subprocess
import sys
import tempfile
import time
from pathlib import Path

from borvane_c4 import _native

ELEMENTS, DECISIONS, FLOWS, REPEAT = 2000, 300, 100, 50


def timed(fn):
    start = time.perf_counter()
    fn()
    return time.perf_counter() - start


def median_ms(fn, repeat=REPEAT):
    return statistics.median(timed(fn) for _ in range(repeat)) * 1000


def decision(i, **extra):
    d = {"id": f"adr-{i:04d}", "title": f"Decision {i}", "status": "proposed", "decided_at": "2026-01-01",
         "context": "Context " * 40, "decision": "Decision " * 40, "consequences": "Consequences " * 40}
    d.update(extra)
    return json.dumps(d)


def build_workspace(docs: Path):
    """Writes a docs tree of ELEMENTS elements, DECISIONS decisions and FLOWS flows."""
    _native.bind_docs(str(docs))
    systems = ELEMENTS // 20
    for s in range(systems):
        _native.upsert_element(f"sys{s}", "software_system", f"System {s}", None, "A system", None, None, None)
    for i in range(ELEMENTS - systems):
        _native.upsert_element(f"c{i}", "container", f"Container {i}", f"sys{i % systems}", "A container",
                               "Go", None, None)
    for i in range(DECISIONS):
        _native.upsert_adr(decision(i), False)
    for i in range(FLOWS):
        steps = [{"n": n, "from_id": f"sys{n}", "to_id": f"sys{n + 1}"} for n in range(5)]
        _native.upsert_flow(json.dumps({"id": f"flow{i}", "title": f"Flow {i}", "kind": "c4_dynamic",
                                        "steps": steps}), False)


def main() -> int:
    rows = []
    with tempfile.TemporaryDirectory(prefix="borvane-c4-bench-") as tmp:
        repo = Path(tmp) / "repo"
        repo.mkdir()
        subprocess.run(["git", "init", "-q", "-b", "main", str(repo)], check=True)
        _native.init(str(Path(tmp) / "data"))
        docs = repo / "docs"
        build_workspace(docs)
        rows.append(("bind docs (2,000 elements, 300 decisions, 100 flows)",
                     timed(lambda: _native.bind_docs(str(docs))) * 1000))
        rows.append(("decision write, no commit (median of 50)",
                     median_ms(lambda: _native.upsert_adr(decision(9999), False))))
        rows.append(("decision write with commit (median of 50)",
                     median_ms(lambda: _native.upsert_adr(decision(9999), True))))
        rows.append(("model.toml rewrite at 2,000 elements (element write, median of 50)",
                     median_ms(lambda: _native.upsert_element("sys0", "software_system", "System 0", None,
                                                              "A system", None, None, None))))
        content = (docs / "model.toml").read_bytes()
        plain = Path(tmp) / "plain.toml"
        rows.append(("  same bytes written plainly, no fsync (median of 50)",
                     median_ms(lambda: plain.write_bytes(content))))
    width = max(len(name) for name, _ in rows)
    print(f"{'benchmark'.ljust(width)}  {'ms':>10}")
    for name, ms in rows:
        print(f"{name.ljust(width)}  {ms:10.2f}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
