"""The flow diagram, link map and decision/flow page calls."""

import json

import pytest

import html_check

BASE = "https://c4.example/docs"

# Model text that would become markup, close an attribute or start an entity
# if any page wrote it unescaped.
EVIL = '<evil onmouseover="x()">&amp; \'q\'</evil>'


def parse_page(page):
    """The page after the strict check, with every link absolute and every
    link into BASE joined with exactly one "/"."""
    parser = html_check.parse_page(page)
    for href in parser.hrefs:
        assert href.startswith("https://"), href
        if href.startswith(BASE):
            assert href[len(BASE)] == "/" and href[len(BASE) + 1] != "/", href
    return parser


@pytest.fixture
def model(bound):
    m = bound
    m.upsert_element("user", "person", EVIL, None, None, None, None, None)
    m.upsert_element("shop", "software_system", "Shop", None, None, None, None, None)
    m.upsert_element("web", "container", "Web", "shop", None, None, None, None)
    m.upsert_element("api", "component", "API", "web", None, None, None, None)
    m.upsert_adr(json.dumps({
        "id": "adr-1", "title": EVIL, "status": "proposed", "decided_at": "2026-05-01",
        "context": EVIL, "decision": EVIL, "consequences": EVIL,
        "related_flows": ["checkout"],
        "refs": [{"url": "https://ref.example/a?b=1&c=2", "title": EVIL}],
        "policy": {"mode": "audit", "forbid": [{"from_kind": "person", "to_kind": "code", "code": "no_code",
                                                "severity": "error", "message": EVIL}]},
    }), False)
    m.upsert_flow(json.dumps({
        "id": "checkout", "title": EVIL, "kind": "c4_dynamic", "usage_key": EVIL, "related_adrs": ["adr-1"],
        "steps": [{"n": 2, "from_id": "web", "to_id": "api", "label": "hi;note over user: X"},
                  {"n": 1, "from_id": "user", "to_id": "web"}],
        "refs": [{"url": "https://ref.example/b"}],
    }), False)
    m.upsert_flow(json.dumps({
        "id": "seq", "title": "Sequence", "kind": "sequence",
        "body": "sequenceDiagram\n  a->>b: </pre><script>alert(1)</script> & done\n",
    }), False)
    return m


def page_calls(m):
    """Every call that takes a base address, with that address as last argument."""
    return [
        lambda base: m.get_flow_diagram("checkout", base),
        lambda base: m.get_view_links(base),
        lambda base: m.render_adrs_html(base),
        lambda base: m.render_adr_html("adr-1", base),
        lambda base: m.render_flows_html(base),
        lambda base: m.render_flow_html("checkout", base),
    ]


def test_flow_diagram_result(model):
    text = model.get_flow_diagram("checkout", BASE + "//")
    result = json.loads(text)
    assert list(result) == ["content", "flow", "format", "view_url"]
    assert result["format"] == "mermaid"
    assert result["view_url"] == BASE + "/flows/checkout"
    assert result["flow"] == json.loads(model.get_flow("checkout"))
    assert result["content"] == (
        "sequenceDiagram\n"
        "  participant web as Web\n"
        "  participant api as API\n"
        "  participant user as <evil onmouseover='x()'>&amp#59; 'q'</evil>\n"
        "  user->>web: uses\n"
        "  web->>api: hi#59;note over user#58; X\n"
    )
    body = json.loads(model.get_flow_diagram("seq", BASE))["content"]
    assert body == "sequenceDiagram\n  a->>b: </pre><script>alert(1)</script> & done\n"


def test_view_links_result(model):
    text = model.get_view_links(" " + BASE + "/ ")
    links = json.loads(text)
    assert list(links) == sorted(links) == [
        "adrs", "adrs_url", "base_url", "components", "containers", "context_url", "flows", "flows_url",
        "systems", "view_url"]
    assert links["base_url"] == BASE and links["view_url"] == BASE + "/"
    assert links["flows"] == [
        {"id": "checkout", "kind": "c4_dynamic", "title": EVIL, "view_url": BASE + "/flows/checkout"},
        {"id": "seq", "kind": "sequence", "title": "Sequence", "view_url": BASE + "/flows/seq"},
    ]
    assert links["adrs"] == [{"id": "adr-1", "status": "proposed", "title": EVIL, "view_url": BASE + "/adrs/adr-1"}]
    assert links["systems"] == [{"container_url": BASE + "/?layer=container&parent=shop", "id": "shop", "name": "Shop"}]
    assert links["containers"] == [{"component_url": BASE + "/?layer=component&parent=web", "id": "web",
                                    "name": "Web", "parent_id": "shop"}]
    assert links["components"] == [{"code_url": BASE + "/?layer=code&parent=api", "id": "api", "name": "API",
                                     "parent_id": "web"}]


@pytest.mark.parametrize("base, message", [
    ("", "base_url is empty"),
    (" // ", "base_url is empty"),
    ("http://c4.example", "base_url must start with https://"),
    ("https://", "base_url must start with https://"),
    ("https://a@c4.example", "base_url contains forbidden characters"),
    ("https://c4.example/<javascript:", "base_url contains forbidden characters"),
    ("https://c4.example/DATA:x", "base_url scheme not allowed"),
    ("https://c4.example/?q=JavaScript:1", "base_url scheme not allowed"),
])
def test_base_errors(model, base, message):
    for call in page_calls(model):
        with pytest.raises(ValueError) as err:
            call(base)
        assert str(err.value) == message


def test_base_is_checked_before_the_id(model):
    for call in (model.get_flow_diagram, model.render_adr_html, model.render_flow_html):
        with pytest.raises(ValueError, match="^base_url is empty$"):
            call("nope", "")


@pytest.mark.parametrize("call, message", [
    ("get_flow_diagram", "not found: flow nope"),
    ("render_flow_html", "not found: flow nope"),
    ("render_adr_html", "not found: decision nope"),
])
def test_unknown_ids(model, call, message):
    with pytest.raises(ValueError) as err:
        getattr(model, call)("nope", BASE)
    assert str(err.value) == message


def test_pages_are_well_formed_and_escape_model_text(model):
    pages = {
        "adrs": model.render_adrs_html(BASE + "/"),
        "adr": model.render_adr_html("adr-1", BASE + "/"),
        "flows": model.render_flows_html(BASE + "/"),
        "flow": model.render_flow_html("checkout", BASE + "/"),
        "seq": model.render_flow_html("seq", BASE),
    }
    for name, page in pages.items():
        parsed = parse_page(page)
        assert "<evil" not in page, name
        if name != "seq":
            # Shown as text, exactly as written.
            assert EVIL in "".join(parsed.text), name
    assert "<script>" not in pages["seq"]
    assert "&lt;/pre>&lt;script>alert(1)&lt;/script> &amp; done" in pages["seq"]


def test_page_counts_and_links(model):
    flows = model.render_flows_html(BASE)
    assert '<div class="mono">2 flow(s)</div>' in flows
    assert f'<a class="tab active" href="{BASE}/flows">Flows (2)</a>' in flows
    assert f'<a class="tab" href="{BASE}/adrs">ADRs (1)</a>' in flows
    adrs = model.render_adrs_html(BASE)
    assert '<div class="mono">1 ADR(s)</div>' in adrs
    assert f'<a class="tab active" href="{BASE}/adrs">ADRs (1)</a>' in adrs
    flow = model.render_flow_html("checkout", BASE)
    assert f'href="{BASE}/?layer=container&parent=shop"><span class="kind">container</span>' in flow
    assert f'href="{BASE}/?layer=component&parent=web"><span class="kind">component</span>' in flow
    assert f'href="{BASE}/?layer=context"><span class="kind">person</span>' in flow
    assert f'href="{BASE}/adrs/adr-1"><span class="kind">adr</span>' in flow
    assert "securityLevel: 'strict'" in flow and "loose" not in flow
    adr = model.render_adr_html("adr-1", BASE)
    assert f'<li><a href="{BASE}/flows/checkout"><code>checkout</code></a></li>' in adr


def test_empty_workspace_pages(initialized):
    adrs = initialized.render_adrs_html(BASE)
    assert "No ADRs yet" in adrs and "0 ADR(s)" in adrs
    flows = initialized.render_flows_html(BASE)
    assert "No flows yet" in flows and "0 flow(s)" in flows
    for page in (adrs, flows):
        parse_page(page)
    links = json.loads(initialized.get_view_links(BASE))
    assert links["flows"] == links["adrs"] == links["systems"] == []


@pytest.mark.parametrize("value, expected", [
    (None, "https://cdn.jsdelivr.net/npm/mermaid@11/dist/mermaid.esm.min.mjs"),
    ("/static/mermaid/mermaid.esm.min.mjs", "/static/mermaid/mermaid.esm.min.mjs"),
    ("https://cdn.example.org/mermaid.mjs", "https://cdn.example.org/mermaid.mjs"),
    ('/x.mjs";alert(1);"', "https://cdn.jsdelivr.net/npm/mermaid@11/dist/mermaid.esm.min.mjs"),
    ("//evil.example/m.mjs", "https://cdn.jsdelivr.net/npm/mermaid@11/dist/mermaid.esm.min.mjs"),
    ("http://plain.example/m.mjs", "https://cdn.jsdelivr.net/npm/mermaid@11/dist/mermaid.esm.min.mjs"),
])
def test_mermaid_module_address_can_be_overridden(bound, monkeypatch, value, expected):
    if value is None:
        monkeypatch.delenv("BORVANE_C4_MERMAID_URL", raising=False)
    else:
        monkeypatch.setenv("BORVANE_C4_MERMAID_URL", value)
    bound.upsert_flow(json.dumps({"id": "f", "title": "F", "kind": "sequence",
                                  "body": "sequenceDiagram\n  a->>b: hi"}), False)
    page = bound.render_flow_html("f", "https://x.example")
    assert f'import mermaid from "{expected}";' in page
