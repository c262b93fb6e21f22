"""The WSGI front end, driven with wsgiref's test tools, and the serve command.

Pages come from the native module; what is checked here is the routing, the
query handling, the mapping of the module's failures to statuses, relative
links, the local Mermaid copy, and that no answer ever carries a trace.
"""

import json
import os
import re
import subprocess
import sys
import urllib.error
import urllib.request
from pathlib import Path
from wsgiref.util import setup_testing_defaults
from wsgiref.validate import validator

import pytest

from borvane_c4 import web
from borvane_c4.web import MERMAID_URL_VARIABLE, WebApp
from server_process import child_env, read_address

ROOT = Path(__file__).resolve().parents[2]
PACKAGE_ROOT = ROOT / "python"

PAGES = [
    ("/", ""),
    ("/", "layer=container&parent=shop"),
    ("/", "layer=component&parent=api"),
    ("/", "layer=code&parent=orders"),
    ("/", "layer=context&renderer=wasm"),
    ("/flows", ""),
    ("/flows/checkout", ""),
    ("/adrs", ""),
    ("/adrs/adr-1", ""),
]


class Answer:
    """Status code, headers and text of one response."""

    def __init__(self, status: str, headers: list[tuple[str, str]], body: bytes):
        self.code = int(status.split()[0])
        self.headers = {k.lower(): v for k, v in headers}
        self.body = body
        self.text = body.decode("utf-8")

    def message(self) -> str:
        found = re.search(r'<p class="message">(.*?)</p>', self.text)
        return found.group(1) if found else ""


def call(app, path: str, query: str = "", method: str = "GET") -> Answer:
    """One request through wsgiref's validator, which checks the WSGI contract."""
    environ: dict = {}
    setup_testing_defaults(environ)
    # PATH_INFO holds the raw bytes as Latin-1, as a server puts it there.
    environ.update(PATH_INFO=path.encode("utf-8").decode("latin-1"), QUERY_STRING=query, REQUEST_METHOD=method)
    seen = {}

    def start_response(status, headers, exc_info=None):
        seen.update(status=status, headers=headers)

    result = validator(app)(environ, start_response)
    try:
        body = b"".join(result)
    finally:
        result.close()
    answer = Answer(seen["status"], seen["headers"], body)
    assert "Traceback" not in answer.text and 'File "' not in answer.text
    return answer


@pytest.fixture
def workspace(bound):
    """A small model with one decision and one flow."""
    m = bound
    m.upsert_element("user", "person", "User", None, "Buys things", None, None, None)
    m.upsert_element("shop", "software_system", "Shop", None, None, None, "https://shop.example/docs", None)
    m.upsert_element("api", "container", "API", "shop", None, "Go", None, None)
    m.upsert_element("orders", "component", "Orders", "api", None, None, None, None)
    m.upsert_element("Order", "code", "Order", "orders", None, None, None, None)
    m.upsert_relationship("r1", "user", "shop", "uses")
    m.upsert_adr(json.dumps({
        "id": "adr-1", "title": "Use Go", "status": "proposed", "decided_at": "2026-05-01",
        "context": "c", "decision": "d", "consequences": "q", "related_flows": ["checkout"],
    }), True)
    m.upsert_flow(json.dumps({
        "id": "checkout", "title": "Checkout", "kind": "c4_dynamic", "related_adrs": ["adr-1"],
        "steps": [{"n": 1, "from_id": "user", "to_id": "api", "label": "orders"}],
    }), True)
    return m


@pytest.fixture
def app(workspace):
    return WebApp()


def hrefs(text: str) -> list[str]:
    return re.findall(r'href="([^"]*)"', text)


def test_every_page_is_served_as_html(app):
    for path, query in PAGES:
        answer = call(app, path, query)
        assert answer.code == 200, (path, query, answer.message())
        assert answer.headers["content-type"] == "text/html; charset=utf-8"
        assert answer.headers["cache-control"] == "no-store"
        assert answer.text.startswith("<!doctype html>")
        assert int(answer.headers["content-length"]) == len(answer.body)


def test_view_page_gets_the_query_values_and_defaults(app, workspace):
    assert call(app, "/").text == workspace.render_view_html("context", None, "", "layer", "mermaid")
    answer = call(app, "/", "layer=container&parent=shop&renderer=wasm")
    assert answer.text == workspace.render_view_html("container", "shop", "", "layer", "wasm")


def test_all_layers_view_is_focused_by_focus(app, monkeypatch):
    calls = []

    def fake(layer, parent_id, base_url, mode, renderer):
        calls.append((layer, parent_id, base_url, mode, renderer))
        return "<!doctype html>all"

    monkeypatch.setattr(web._native, "render_view_html", fake)
    assert call(app, "/", "mode=all&focus=api&renderer=wasm").code == 200
    assert call(app, "/", "mode=all").code == 200
    assert calls == [("context", "api", "", "all", "wasm"), ("context", None, "", "all", "mermaid")]


def test_links_are_relative_without_a_public_base(app):
    for path, query in PAGES:
        text = call(app, path, query).text
        assert "borvane-c4.invalid" not in text and app.placeholder not in text
        for href in hrefs(text):
            assert href.startswith("/") and not href.startswith("//") or href.startswith("https://shop.example"), href
    assert "/flows/checkout" in hrefs(call(app, "/flows").text)
    assert "/adrs/adr-1" in hrefs(call(app, "/flows/checkout").text)


def test_links_are_absolute_under_a_public_base(workspace):
    app = WebApp(public_base="https://c4.example/docs/")
    for path, query in [*PAGES, ("/adrs/nope", "")]:
        for href in hrefs(call(app, path, query).text):
            assert href.startswith("https://c4.example/docs/") or href.startswith("https://shop.example"), href


@pytest.mark.parametrize("base", [
    "http://c4.example", "https://c4.example/\"onfocus=\"x()", "https://c4.example/a b", "https://c4.example/?q=1",
    "https://c4.example/#x", "https://user@c4.example", "javascript:alert(1)", "https://c4.example/<b>", "",
])
def test_public_base_must_be_a_plain_https_address(workspace, base):
    with pytest.raises(ValueError):
        WebApp(public_base=base)


@pytest.mark.parametrize("query", [
    "layer=context&layer=container", "layer=%ff", "parent=a%00b", "layer=nope", "layer=context&parent=" + "x" * 5000,
])
def test_bad_queries_are_400(app, query):
    answer = call(app, "/", query)
    assert answer.code == 400, answer.message()
    assert answer.message()


@pytest.mark.parametrize("path", [
    "/flows/nope", "/adrs/nope", "/flows/a/b", "/adrs/..", "/flows/", "/nope", "/wasm/borvane_c4_wasm.js",
    "/wasm/borvane_c4_wasm_bg.wasm", "/static/mermaid/mermaid.esm.min.mjs", "/flows/checkout/x",
])
def test_unknown_addresses_are_404(app, path):
    answer = call(app, path)
    assert answer.code == 404
    assert answer.headers["content-type"] == "text/html; charset=utf-8"
    assert answer.text.startswith("<!doctype html>")


def test_unknown_id_page_names_the_id_escaped(app):
    answer = call(app, "/flows/<b>x</b>")
    assert answer.code == 404
    assert "<b>" not in answer.text and "&lt;b&gt;x&lt;/b&gt;" in answer.message()


def test_a_base_the_module_rejects_is_400(app):
    app.public_base = "http://plain.example"  # past the application's own check on purpose
    for path in ("/", "/flows", "/flows/checkout", "/adrs", "/adrs/adr-1"):
        answer = call(app, path)
        assert answer.code == 400
        assert answer.message() == "base_url must start with https://"


def test_a_view_that_cannot_be_drawn_yet_is_501(app, monkeypatch):
    def not_yet(*_args):
        raise NotImplementedError("render_view_html")

    monkeypatch.setattr(web._native, "render_view_html", not_yet)
    answer = call(app, "/", "mode=all")
    assert answer.code == 501
    assert answer.message() == "this view (all layers) cannot be drawn yet"


@pytest.mark.parametrize("fault", [KeyError("secret-detail"), web._native.PanicException("secret-detail"),
                                   RuntimeError("call init(data_dir) first")])
def test_faults_become_pages_without_a_trace(app, monkeypatch, fault, capsys):
    def broken(*_args):
        raise fault

    monkeypatch.setattr(web._native, "render_flows_html", broken)
    answer = call(app, "/flows")
    assert answer.code in (500, 503)
    assert "secret-detail" not in answer.text


def test_only_get_and_head_are_answered(app):
    answer = call(app, "/flows", method="POST")
    assert answer.code == 405 and answer.headers["allow"] == "GET, HEAD"
    head, get = call(app, "/flows", method="HEAD"), call(app, "/flows")
    assert head.code == 200 and head.body == b""
    assert head.headers["content-length"] == get.headers["content-length"]


def test_favicon_is_empty_not_an_error(app):
    assert call(app, "/favicon.ico").code == 204


@pytest.fixture
def mermaid_copy(tmp_path, monkeypatch):
    """A fake Mermaid package folder with a dist build, and a file beside it."""
    monkeypatch.setenv(MERMAID_URL_VARIABLE, "unset-by-the-test")  # restored after the test
    dist = tmp_path / "mermaid" / "dist"
    (dist / "chunks").mkdir(parents=True)
    (dist / "mermaid.esm.min.mjs").write_text("export default {};\n")
    (dist / "chunks" / "c4.mjs").write_text("export const c4 = 1;\n")
    (tmp_path / "mermaid" / "secret.txt").write_text("outside")
    (dist / "escape.mjs").symlink_to(tmp_path / "mermaid" / "secret.txt")
    return tmp_path / "mermaid"


def test_local_mermaid_copy_is_served_and_used_by_the_pages(workspace, mermaid_copy):
    app = WebApp(mermaid_dir=mermaid_copy)
    assert os.environ[MERMAID_URL_VARIABLE] == "/static/mermaid/mermaid.esm.min.mjs"
    answer = call(app, "/static/mermaid/chunks/c4.mjs")
    assert answer.code == 200 and answer.text == "export const c4 = 1;\n"
    assert answer.headers["content-type"] == "text/javascript; charset=utf-8"
    for path, query in [("/", ""), ("/flows/checkout", "")]:
        assert "/static/mermaid/mermaid.esm.min.mjs" in call(app, path, query).text
    for path in ("/static/mermaid/../secret.txt", "/static/mermaid/escape.mjs", "/static/mermaid/",
                 "/static/mermaid/chunks//c4.mjs", "/static/mermaid/nope.mjs"):
        assert call(app, path).code == 404, path


def test_local_mermaid_address_follows_the_public_base_path(workspace, mermaid_copy):
    WebApp(public_base="https://c4.example/docs", mermaid_dir=mermaid_copy / "dist")
    assert os.environ[MERMAID_URL_VARIABLE] == "/docs/static/mermaid/mermaid.esm.min.mjs"


def test_a_folder_without_mermaid_is_refused(tmp_path):
    with pytest.raises(ValueError, match="mermaid.esm.min.mjs"):
        WebApp(mermaid_dir=tmp_path)


# -- the serve command and the demo --------------------------------------------


def stop(proc: subprocess.Popen) -> int:
    proc.terminate()
    try:
        return proc.wait(timeout=20)
    except subprocess.TimeoutExpired:
        proc.kill()
        proc.wait(timeout=20)
        raise


def fetch(url: str) -> tuple[int, str]:
    try:
        with urllib.request.urlopen(url, timeout=30) as reply:
            return reply.status, reply.read().decode()
    except urllib.error.HTTPError as error:
        return error.code, error.read().decode()


def test_serve_command_serves_a_docs_directory(workspace, repo):
    proc = subprocess.Popen(
        [sys.executable, "-m", "borvane_c4", "serve", "--docs", str(repo / "docs"), "--port", "0", "--quiet"],
        stdout=subprocess.PIPE, stderr=subprocess.PIPE, env=child_env(),
    )
    try:
        address = read_address(proc)
        assert address.startswith("http://127.0.0.1:")
        status, text = fetch(address + "flows")
        assert status == 200 and "/flows/checkout" in text
        assert fetch(address + "adrs/adr-1")[0] == 200
        assert fetch(address + "?layer=container&parent=shop")[0] == 200
        assert fetch(address + "adrs/nope")[0] == 404
    finally:
        assert stop(proc) == 0


@pytest.mark.parametrize("options, text", [
    (["--public-base", "http://c4.example"], "public base must be an https:// address"),
    (["--mermaid-dir", "."], "no mermaid.esm.min.mjs"),
    (["--port", "70000"], "out of range"),
])
def test_serve_command_refuses_bad_options(options, text):
    done = subprocess.run([sys.executable, "-m", "borvane_c4", "serve", *options], capture_output=True,
                          text=True, env=child_env(), timeout=60, check=False)
    assert done.returncode == 2 and text in done.stderr and "Traceback" not in done.stderr


def test_demo_once_reports_and_exits():
    done = subprocess.run([sys.executable, str(ROOT / "examples" / "demo.py")], capture_output=True, text=True,
                          env=child_env(DEMO_ONCE="1"), timeout=300, check=False)
    assert done.returncode == 0, done.stderr
    assert "validate_workspace: ok=" in done.stdout and "serving on" not in done.stdout


def test_demo_serves_the_example(tmp_path):
    proc = subprocess.Popen([sys.executable, str(ROOT / "examples" / "demo.py")], stdout=subprocess.PIPE,
                            stderr=subprocess.PIPE, env=child_env(DEMO_PORT="0"))
    try:
        address = read_address(proc, timeout=300)
        status, text = fetch(address + "flows")
        assert status == 200 and "/flows/checkout" in text
        assert fetch(address)[0] == 200
    finally:
        assert stop(proc) == 0
