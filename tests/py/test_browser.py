"""The served pages in a real browser: headless Chromium driven by playwright-core.

`python -m borvane_c4 serve` runs on 127.0.0.1 with Mermaid from the local
copy of its npm package; tests/browser/check.mjs opens each page, pokes it and
reports console errors, what was drawn, the board's camera and the panels.
Screenshots land in the test's tmp_path.

Needs Debian's chromium (scripts/install-deps.sh installs it) and node with
npm; the npm packages are installed into tests/browser on first use. Without
them the tests skip and say why.
"""

import functools
import http.server
import importlib.util
import json
import os
import re
import shutil
import subprocess
import sys
import threading
import urllib.error
import urllib.parse
import urllib.request
from pathlib import Path

import pytest

from server_process import child_env, read_address

ROOT = Path(__file__).resolve().parents[2]
BROWSER_DIR = ROOT / "tests" / "browser"
EXAMPLE = ROOT / "examples" / "bookshop"
PACKAGE_ROOT = ROOT / "python"
WIDE_VIEWS = ["view-context", "view-container", "view-component", "view-code"]


# -- tools --------------------------------------------------------------------


def installed_version(package: str) -> str | None:
    manifest = BROWSER_DIR / "node_modules" / package / "package.json"
    return json.loads(manifest.read_text())["version"] if manifest.exists() else None


@pytest.fixture(scope="module")
def browser_tools() -> dict:
    """Paths of chromium and node, with the npm packages in place."""
    chromium = shutil.which("chromium") or ("/usr/bin/chromium" if os.access("/usr/bin/chromium", os.X_OK) else None)
    node, npm = shutil.which("node"), shutil.which("npm")
    if chromium is None:
        pytest.skip("the browser tests need Debian's chromium (apt-get install chromium)")
    if node is None or npm is None:
        pytest.skip("the browser tests need node and npm")
    wanted = json.loads((BROWSER_DIR / "package.json").read_text())["dependencies"]
    if any(installed_version(p) != v for p, v in wanted.items()):
        done = subprocess.run(
            [npm, "install", "--prefix", str(BROWSER_DIR), "--no-audit", "--no-fund", "--no-package-lock"],
            capture_output=True, text=True, timeout=900, check=False)
        if done.returncode != 0 or any(installed_version(p) != v for p, v in wanted.items()):
            pytest.skip("npm install in tests/browser failed: " + done.stderr.strip()[-400:])
    return {"chromium": chromium, "node": node, "mermaid": str(BROWSER_DIR / "node_modules" / "mermaid")}


def serve(docs: Path, mermaid: str):
    """Starts the serve command on a free port; returns the process and its base address."""
    proc = subprocess.Popen(
        [sys.executable, "-m", "borvane_c4", "serve", "--docs", str(docs), "--port", "0",
         "--mermaid-dir", mermaid, "--quiet"],
        stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, env=child_env())
    return proc, read_address(proc).rstrip("/")


def stop(proc: subprocess.Popen) -> None:
    proc.terminate()
    try:
        proc.wait(timeout=20)
    except subprocess.TimeoutExpired:
        proc.kill()
        proc.wait(timeout=20)


def status_of(url: str) -> int:
    try:
        with urllib.request.urlopen(url, timeout=60) as reply:
            return reply.status
    except urllib.error.HTTPError as error:
        return error.code


def run_checks(tools: dict, base: str, out_dir: Path, pages: list[dict], hostile: bool = False) -> dict:
    """Runs check.mjs over the pages; returns its report keyed by page name."""
    config = {"base": base, "outDir": str(out_dir / "screens"), "chromium": tools["chromium"],
              "userDataDir": str(out_dir / "profile"), "hostile": hostile, "pages": pages}
    config_file = out_dir / "check.json"
    config_file.write_text(json.dumps(config))
    done = subprocess.run([tools["node"], str(BROWSER_DIR / "check.mjs"), str(config_file)],
                          capture_output=True, text=True, timeout=420, check=False)
    assert done.returncode == 0, done.stderr[-3000:]
    report = json.loads(done.stdout)
    (out_dir / "report.json").write_text(json.dumps(report, indent=1, ensure_ascii=False))
    report["by_name"] = {p["name"]: p for p in report["pages"]}
    return report


def all_layers_page(base: str, query: str, name: str) -> dict:
    """The all-layers view is drawn once the nested layout exists; until then it is a 501 page."""
    code = status_of(base + "/?" + query)
    assert code in (200, 501), code
    return {"name": name, "path": "/?" + query, "kind": "mermaid-view" if code == 200 else "plain", "expect": code}


def camera(transform: str) -> list[float]:
    """The numbers of a "translate(Xpx, Ypx) scale(S)" transform."""
    return [float(n) for n in re.findall(r"-?[0-9.]+(?:e-?[0-9]+)?", transform)]


def assert_clean(page: dict, expect: int = 200) -> None:
    """No failure, console error or failed request, apart from an expected error status of the page itself."""
    assert "failure" not in page, page
    assert page["status"] == expect, page
    own = f"the server responded with a status of {expect}"
    assert [e for e in page["consoleErrors"] if expect == 200 or own not in e] == [], page
    assert page["pageErrors"] == [], page
    assert [r for r in page["badResponses"] if not r.startswith(f"{expect} ") or page["path"] not in r] == [], page
    assert Path(page["screenshot"]).stat().st_size > 0


# -- the example workspace ------------------------------------------------------


@pytest.fixture
def bookshop(tmp_path, monkeypatch):
    """The example bookshop written into a fresh git repository, as the demo does."""
    for name in list(os.environ):
        if name.startswith("BORVANE_C4_"):
            monkeypatch.delenv(name)
    found = importlib.util.spec_from_file_location("borvane_demo", ROOT / "examples" / "demo.py")
    demo = importlib.util.module_from_spec(found)
    found.loader.exec_module(demo)
    repo = tmp_path / "repo"
    repo.mkdir()
    demo.git(repo, "init", "-q", "-b", "main")
    demo.load_example(repo, tmp_path / "data", EXAMPLE)
    return repo / "docs"


def test_pages_work_in_a_real_browser(browser_tools, bookshop, tmp_path):
    proc, base = serve(bookshop, browser_tools["mermaid"])
    try:
        decisions = [entry["decision"]["id"] for entry in json.loads((EXAMPLE / "decisions.json").read_text())]
        flows = [flow["id"] for flow in json.loads((EXAMPLE / "flows.json").read_text())]
        pages = [
            {"name": "view-context", "path": "/?layer=context", "kind": "mermaid-view", "zoom": True},
            {"name": "view-container", "path": "/?layer=container&parent=bookshop", "kind": "mermaid-view"},
            {"name": "view-component", "path": "/?layer=component&parent=shop-api", "kind": "mermaid-view"},
            {"name": "view-code", "path": "/?layer=code&parent=orders", "kind": "mermaid-view", "zoom": True},
            {"name": "view-narrow", "path": "/?layer=container&parent=bookshop", "kind": "mermaid-view",
             "viewport": {"width": 390, "height": 844}, "zoom": True},
            {"name": "view-wasm", "path": "/?layer=context&renderer=wasm", "kind": "wasm-view"},
            all_layers_page(base, "mode=all&renderer=mermaid", "view-all"),
            {"name": "flows", "path": "/flows", "kind": "plain"},
            *({"name": f"flow-{f}", "path": f"/flows/{f}", "kind": "flow"} for f in flows),
            {"name": "adrs", "path": "/adrs", "kind": "plain"},
            *({"name": f"adr-{d}", "path": f"/adrs/{d}", "kind": "plain"} for d in decisions),
        ]
        report = run_checks(browser_tools, base, tmp_path, pages)
    finally:
        stop(proc)
    seen = report["by_name"]
    assert report["alarms"] == []

    for page in pages:
        result = seen[page["name"]]
        if page["kind"] != "wasm-view":
            assert_clean(result, page.get("expect", 200))

    for name in [*WIDE_VIEWS, "view-narrow"] + (["view-all"] if seen["view-all"]["status"] == 200 else []):
        view = seen[name]
        assert view["svgDrawn"] and view["diagram"] not in (None, "error"), view
        assert view["before"]["label"] == "Fit", view
        assert view["before"]["transform"].startswith("translate("), view

    for name in ("view-context", "view-code", "view-narrow"):
        view = seen[name]
        assert view["zoomedIn"]["transform"] != view["before"]["transform"], view
        assert view["zoomedIn"]["label"] == "120%", view
        assert view["zoomedOut"]["label"] == "83%", view
        assert view["reset"]["label"] == "Fit", view
        assert camera(view["reset"]["transform"]) == pytest.approx(camera(view["before"]["transform"]), abs=0.01), view

    wide = seen["view-context"]["panels"]
    assert wide["c4-legend"] is True and wide["c4-drills"] is True and wide["c4-sources"] is False, wide
    assert seen["view-container"]["panels"]["c4-drill-up"] is True
    assert set(seen["view-narrow"]["panels"].values()) <= {False, None}, seen["view-narrow"]["panels"]

    wasm = seen["view-wasm"]
    assert wasm["status"] == 200 and "failure" not in wasm, wasm
    assert wasm["pageErrors"] == [], wasm
    assert re.fullmatch(r"WASM failed: .+ — open Mermaid fallback below\.", wasm["bootStatus"] or ""), wasm
    assert "error" in wasm["statusClass"].split() and wasm["statusVisible"], wasm
    assert wasm["fallbackHref"] == "/?mode=all&renderer=mermaid" and wasm["fallbackText"] == "Mermaid", wasm
    assert wasm["fallbackVisible"], wasm
    assert all("/wasm/" in r for r in wasm["badResponses"]), wasm

    for f in flows:
        flow = seen[f"flow-{f}"]
        assert flow["svgDrawn"] and flow["diagram"] not in (None, "error") and flow["renderError"] is None, flow


# -- hostile model text -----------------------------------------------------------

# Every payload sets the flag or calls alert; the browser side traps both.
IMG = '<img src=x onerror="window.__pwned=1;alert(1)">'
COMMENT = "<!--<script>window.__pwned=1;alert(2)</script>"
ATTR = '"onfocus="window.__pwned=1;alert(3)" autofocus="'
SINGLE = "'onmouseover='window.__pwned=1;alert(4)' x='"
CLICK = "uses\rclick A call alert(5)"
JSLINK = 'click A "javascript:window.__pwned=1;alert(6)"'
END = "</script><script>window.__pwned=1;alert(7)</script>"
EVIL_ID = '"><svg onload=alert(8)>'
EVIL_CONTAINER = "</script><script>alert(9)</script>"
EVIL_URL = 'https://evil.example/"onmouseover="window.__pwned=1;alert(10)'
HOSTILE_FLOWS = ("dyn-evil", "seq-evil", "state-evil", "broken-evil")

# Mermaid ends a sequence statement at ";", so this one does without.
SEQ_IMG = '<img src=x onerror="window.__pwned=1">'
SEQUENCE_BODY = "\n".join([
    "sequenceDiagram",
    f"  participant A as {SEQ_IMG}",
    "  participant B as Evil",
    "  link A: Open @ javascript:window.__pwned=1",
    '  links B: {"Open": "javascript:alert(12)"}',
    f"  Note over A: {SEQ_IMG}",
    "  A->>B: #lt;img src=x onerror=alert(13)#gt; uses",
    "  B-->>A: uses click A call alert(5)",
])
STATE_BODY = "\n".join([
    "stateDiagram-v2",
    "  [*] --> S1",
    f"  S1: {IMG}",
    f"  state \"{COMMENT}\" as S2",
    "  S1 --> S2: #lt;script#gt;alert(14)#lt;/script#gt;",
    '  click S1 href "javascript:window.__pwned=1;alert(15)"',
    '  click S2 "javascript:alert(16)" "tip"',
])


def hostile_workspace(m) -> None:
    """Names, descriptions, labels, urls, ids and flow bodies that carry payloads."""
    def element(eid, kind, name, parent=None, description=None, technology=None, url=None, members=None):
        m.upsert_element(eid, kind, name, parent, description, technology, url, json.dumps(members) if members else None)

    element("user", "person", IMG, description=COMMENT)
    element(EVIL_ID, "person", ATTR, description=SINGLE)
    element("shop", "software_system", END, description=CLICK, technology=JSLINK, url=EVIL_URL)
    element("ext", "external", JSLINK, description=IMG, url="https://evil.example/<script>alert(17)</script>")
    element("web", "container", SINGLE, "shop", CLICK + "\nclick web call alert(18)", IMG, EVIL_URL)
    element(EVIL_CONTAINER, "container", COMMENT, "shop", END, ATTR)
    element("comp", "component", CLICK, "web", END, IMG, EVIL_URL)
    element("Cls", "code", IMG, "comp", JSLINK, None, None,
            [{"kind": "field", "visibility": "+", "name": "x", "type": IMG},
             {"kind": "method", "visibility": "-", "name": "run", "params": [{"name": "a", "type": END}],
              "return_type": ATTR}])
    m.upsert_relationship("r1", "user", "shop", CLICK)
    m.upsert_relationship("r2", "shop", "ext", JSLINK)
    m.upsert_relationship("r3", "web", EVIL_CONTAINER, IMG)
    m.upsert_relationship("r4", EVIL_ID, "web", END)
    m.upsert_adr(json.dumps({
        "id": "adr-evil", "title": IMG, "status": "proposed", "decided_at": "2026-05-01", "scope_element_id": "shop",
        "context": COMMENT, "decision": END, "consequences": SINGLE, "related_flows": ["seq-evil"],
        "refs": [{"url": EVIL_URL, "title": IMG}],
    }), True)
    m.upsert_flow(json.dumps({
        "id": "dyn-evil", "title": IMG, "kind": "c4_dynamic", "usage_key": ATTR, "related_adrs": ["adr-evil"],
        "steps": [{"n": 1, "from_id": "user", "to_id": EVIL_ID, "label": CLICK},
                  {"n": 2, "from_id": EVIL_ID, "to_id": "comp", "label": JSLINK},
                  {"n": 3, "from_id": "comp", "to_id": "Cls", "label": END}],
        "refs": [{"url": EVIL_URL, "title": COMMENT}],
    }), True)
    m.upsert_flow(json.dumps({"id": "seq-evil", "title": END, "kind": "sequence", "body": SEQUENCE_BODY}), True)
    # A line break inside a label starts a statement Mermaid cannot parse: the page shows the error.
    m.upsert_flow(json.dumps({"id": "broken-evil", "title": ATTR, "kind": "state",
                              "body": f"stateDiagram-v2\n  S1 --> S2: {CLICK}\n  S2: {IMG}"}), True)
    m.upsert_flow(json.dumps({"id": "state-evil", "title": COMMENT, "kind": "state", "body": STATE_BODY,
                              "anchors": [{"alias": "S1", "element_id": EVIL_ID}]}), True)


def test_hostile_model_text_runs_no_script(browser_tools, bound, repo, tmp_path, monkeypatch):
    monkeypatch.setenv("BORVANE_C4_ATOM_EDGES", "0")  # container to container edges, as older models have
    hostile_workspace(bound)
    q = urllib.parse.quote
    proc, base = serve(repo / "docs", browser_tools["mermaid"])
    try:
        views = [
            ("view-context", "/?layer=context"),
            ("view-container", "/?layer=container&parent=shop"),
            ("view-component", "/?layer=component&parent=web"),
            ("view-component-evil-parent", "/?layer=component&parent=" + q(EVIL_CONTAINER, safe="")),
            ("view-code", "/?layer=code&parent=comp"),
            ("view-evil-query", "/?layer=context&parent=" + q(IMG, safe="") + "&renderer=" + q(ATTR, safe="")),
        ]
        pages = [
            *({"name": n, "path": p, "kind": "mermaid-view", "zoom": n == "view-context"} for n, p in views),
            {"name": "view-wasm", "path": "/?layer=container&parent=shop&renderer=wasm", "kind": "wasm-view"},
            all_layers_page(base, "mode=all&renderer=mermaid&focus=" + q(IMG, safe=""), "view-all"),
            {"name": "flows", "path": "/flows", "kind": "plain"},
            *({"name": f"flow-{f}", "path": f"/flows/{f}", "kind": "flow"} for f in HOSTILE_FLOWS),
            {"name": "adrs", "path": "/adrs", "kind": "plain"},
            {"name": "adr-evil", "path": "/adrs/adr-evil", "kind": "plain"},
            {"name": "flow-unknown", "path": "/flows/" + q(IMG, safe=""), "kind": "plain", "expect": 404},
        ]
        report = run_checks(browser_tools, base, tmp_path, pages, hostile=True)
    finally:
        stop(proc)
    seen = report["by_name"]
    assert report["alarms"] == [], report["alarms"]
    for page in pages:
        result = seen[page["name"]]
        assert "failure" not in result, result
        assert result["status"] == page.get("expect", 200), result
        assert result["dialogs"] == [] and result["suspicious"] == [], result
        assert result["pageErrors"] == [], result
    for name, _ in views:
        assert seen[name]["svgDrawn"] and seen[name]["diagram"] not in (None, "error"), seen[name]
    assert seen["view-context"]["zoomedIn"]["label"] == "120%"
    assert seen["view-wasm"]["bootStatus"].startswith("WASM failed: ")
    for f in ("dyn-evil", "seq-evil", "state-evil"):
        flow = seen[f"flow-{f}"]
        assert flow["svgDrawn"] and flow["diagram"] not in (None, "error") and flow["renderError"] is None, flow
    assert seen["flow-broken-evil"]["renderError"].startswith("Mermaid render failed: "), seen["flow-broken-evil"]


def test_a_hostile_public_base_is_refused(browser_tools, tmp_path):
    done = subprocess.run(
        [sys.executable, "-m", "borvane_c4", "serve", "--port", "0", "--public-base", EVIL_URL],
        capture_output=True, text=True, env=child_env(), timeout=60, check=False)
    assert done.returncode == 2 and "public base" in done.stderr


def test_the_harness_notices_a_payload_that_runs(browser_tools, tmp_path):
    """The hostile checks are only worth something if a payload that runs is seen."""
    site = tmp_path / "site"
    site.mkdir()
    (site / "canary.html").write_text(
        "<!doctype html><title>canary</title>"
        '<img src="missing.png" onerror="window.__pwned=1">'
        '<a href="#" onmouseover="alert(2)">hover me</a>'
        "<script>alert(3)</script>")
    handler_quiet = type("Quiet", (http.server.SimpleHTTPRequestHandler,), {"log_message": lambda *a: None})
    server = http.server.ThreadingHTTPServer(
        ("127.0.0.1", 0), functools.partial(handler_quiet, directory=str(site)))
    thread = threading.Thread(target=server.serve_forever, kwargs={"poll_interval": 0.2}, daemon=True)
    thread.start()
    try:
        base = f"http://127.0.0.1:{server.server_address[1]}"
        report = run_checks(browser_tools, base, tmp_path, [{"name": "canary", "path": "/canary.html", "kind": "plain"}],
                            hostile=True)
    finally:
        server.shutdown()
        server.server_close()
    alarms = " ".join(report["alarms"])
    assert "__pwned=1" in alarms and "alert(2)" in alarms and "alert(3)" in alarms, report["alarms"]
    assert report["by_name"]["canary"]["suspicious"], report
