"""The view page call: renderer choice, navigation, panels, the embedded scene and base addresses."""

import json
import re

import pytest

from html_check import parse_page

BASE = "https://c4.example/docs"

# Model text that would become markup, close an attribute or start an entity
# if the page wrote it unescaped.
EVIL = '<evil onmouseover="x()">&amp; \'q\'</evil>'
# A name that, written raw into a script element, would keep the real
# </script> from closing it.
SCRIPT_BREAKER = "</script><!--<script>"

SEP = '<span class="sep">/</span>'


def hrefs(page):
    """The raw href values, as written (html.parser would decode "&para" in "&parent")."""
    return re.findall(r'href="([^"]*)"', page)


def crumbs(page):
    return re.search(r'<nav class="crumbs">.*?</nav>', page).group(0)


def scene_text(page):
    return re.search(r'<script type="application/json" id="c4-scene">(.*?)</script>', page, re.S).group(1)


@pytest.fixture
def model(bound):
    m = bound
    m.upsert_element("user", "person", EVIL, None, None, None, "https://u.example/?a=1&b=2", None)
    m.upsert_element("shop", "software_system", "Shop", None, None, None, "https://shop.example", None)
    m.upsert_element("bank", "external", "Bank", None, None, None, "javascript:alert(1)", None)
    m.upsert_element("odd", "software_system", SCRIPT_BREAKER, None, None, None, "HTTPS://odd.example", None)
    m.upsert_element("web", "container", EVIL, "shop", None, None, "https://web.example", None)
    m.upsert_element("api", "component", "API", "web", None, None, None, None)
    m.upsert_element("k", "code", "Klass", "api", None, None, "https://k.example", None)
    return m


def view(m, layer="context", parent=None, base=BASE, mode="layer", renderer="mermaid"):
    return m.render_view_html(layer, parent, base, mode, renderer)


@pytest.mark.parametrize("renderer, wasm, label, wish", [
    ("webgpu", True, "WASM", "webgpu"),
    ("auto", True, "WASM", "auto"),
    ("canvas2d", True, "WASM", "canvas2d"),
    ("wasm", True, "WASM", "canvas2d"),
    ("WASM", False, "Mermaid", None),
    ("mermaid", False, "Mermaid", None),
    ("", False, "Mermaid", None),
    ("svg", False, "Mermaid", None),
])
def test_renderer_table(model, renderer, wasm, label, wish):
    page = view(model, "container", "shop", renderer=renderer)
    assert f'<div class="meta">render <strong>{label}</strong></div>' in page
    assert f'<span class="renderer-label">Render <strong>{label}</strong></span>' in page
    assert ('<canvas id="c4-canvas"' in page) == wasm
    assert ('<pre class="mermaid">' in page) == (not wasm)
    active = "wasm" if wasm else "mermaid"
    assert f'<a class="tab active" href="{BASE}/?layer=container&parent=shop&amp;renderer={active}"' in page
    if wish:
        assert f'const BACKEND_WISH = "{wish}";' in page
    # Drill links always name the renderer by its URL word.
    assert f'href="{BASE}/?layer=context&renderer={"wasm" if wasm else "mermaid"}"' in page


@pytest.mark.parametrize("layer, parent, expected", [
    ("context", None, ""),
    ("landscape", None, ""),
    ("adr", None, ""),
    ("container", "shop", SEP + '<span class="here">Container</span> <code>Shop</code>'),
    ("container", "ghost", SEP + '<span class="here">Container</span> <code>ghost</code>'),
    ("component", "web",
     SEP + f'<a href="{BASE}/?layer=container&parent=shop">Container</a>'
     + SEP + '<span class="here">Component</span> <code>&lt;evil onmouseover=&quot;x()&quot;&gt;&amp;amp; \'q\'&lt;/evil&gt;</code>'),
    ("code", "k",
     SEP + f'<a href="{BASE}/?layer=container&parent=web">Container</a>'
     + SEP + f'<a href="{BASE}/?layer=component&parent=api">Component</a>'
     + SEP + '<span class="here">Code</span> <code>Klass</code>'),
    ("code", "api",
     SEP + f'<a href="{BASE}/?layer=container&parent=shop">Container</a>'
     + SEP + f'<a href="{BASE}/?layer=component&parent=web">Component</a>'
     + SEP + '<span class="here">Code</span> <code>API</code>'),
    ("code", None, SEP + '<span class="here">Code</span>'),
])
def test_breadcrumbs_of_every_layer(model, layer, parent, expected):
    page = view(model, layer, parent)
    assert crumbs(page) == f'<nav class="crumbs"><a href="{BASE}/?layer=context">Context</a>{expected}</nav>'


@pytest.mark.parametrize("layer, parent, renderer, target", [
    ("context", None, "mermaid", None),
    ("context", "shop", "mermaid", None),
    ("container", None, "mermaid", None),
    ("container", "ghost", "mermaid", None),
    ("container", "shop", "mermaid", ("/?layer=context&renderer=mermaid", "context", "Context")),
    ("component", "web", "webgpu", ("/?layer=container&parent=shop&renderer=wasm", "container", "Shop")),
    ("code", "k", "auto", ("/?layer=component&parent=api&renderer=wasm", "component", "API")),
    ("code", "api", "mermaid", ("/?layer=component&parent=web&renderer=mermaid", "component", "&lt;evil")),
])
def test_drill_up(model, layer, parent, renderer, target):
    page = view(model, layer, parent, renderer=renderer)
    panel = re.search(r'<details class="drills drill-up" id="c4-drill-up">.*?</details>', page)
    if target is None:
        assert panel is None
        assert '<a class="toolbar-up"' not in page
        return
    path, kind, name = target
    assert (f'<a class="drill up" href="{BASE}{path}"><span class="kind">{kind}</span>'
            f'<span class="name">{name}') in panel.group(0)
    assert f'<a class="toolbar-up" href="{BASE}{path}" title="Drill up to {name}' in page


def drill_items(page, panel_id):
    panel = re.search(rf'<details class="[^"]*" id="{panel_id}">.*?</details>', page)
    if panel is None:
        return []
    return re.findall(r'<a class="drill" href="([^"]*)".*?<span class="name">(.*?)</span>', panel.group(0))


def test_drill_down_lists(model):
    assert drill_items(view(model), "c4-drills") == [
        (f"{BASE}/?layer=container&parent=odd", "&lt;/script&gt;&lt;!--&lt;script&gt;"),
        (f"{BASE}/?layer=container&parent=shop", "Shop"),
    ]
    assert drill_items(view(model, "container", "shop"), "c4-drills") == [
        (f"{BASE}/?layer=component&parent=web", "&lt;evil onmouseover=&quot;x()&quot;&gt;&amp;amp; 'q'&lt;/evil&gt;"),
    ]
    assert drill_items(view(model, "component", "web"), "c4-drills") == [(f"{BASE}/?layer=code&parent=api", "API")]
    assert drill_items(view(model, "code", "api"), "c4-drills") == []


def test_sources_are_https_links_of_the_shown_elements(model):
    context = drill_items(view(model), "c4-sources")
    # Bank (javascript:) and odd (upper-case scheme) are left out.
    assert [href for href, _ in context] == ["https://shop.example", "https://u.example/?a=1&amp;b=2"]
    assert drill_items(view(model, "container", "shop"), "c4-sources") == [
        ("https://web.example", "&lt;evil onmouseover=&quot;x()&quot;&gt;&amp;amp; 'q'&lt;/evil&gt;")]
    assert drill_items(view(model, "code", "api"), "c4-sources") == [("https://k.example", "Klass")]
    assert drill_items(view(model, "component", "web"), "c4-sources") == []
    page = view(model)
    assert 'target="_blank" rel="noopener noreferrer"' in page
    assert "javascript:" not in page


def test_at_most_forty_sources(bound):
    for i in range(45):
        bound.upsert_element(f"s{i:02}", "software_system", f"S{i}", None, None, None, f"https://s.example/{i}", None)
    page = view(bound)
    sources = drill_items(page, "c4-sources")
    assert [href for href, _ in sources] == [f"https://s.example/{i}" for i in range(40)]
    assert len(drill_items(page, "c4-drills")) == 45


@pytest.mark.parametrize("layer, parent", [("context", None), ("container", "shop"), ("code", "api")])
def test_scene_is_embedded_escaped_and_parses(model, layer, parent):
    page = view(model, layer, parent, renderer="wasm")
    text = scene_text(page)
    assert "</" not in text and "<!--" not in text
    assert json.loads(text) == json.loads(model.get_scene("layer", layer, parent))
    if layer == "context":
        assert "<\\/script>\\u003c!--<script>" in text
        assert SCRIPT_BREAKER in [n["name"] for n in json.loads(text)["nodes"]]
    parsed = parse_page(page)
    kinds = [attrs.get("type") for attrs, _ in parsed.scripts]
    assert kinds == [None, "application/json", "module"]


@pytest.mark.parametrize("layer, parent, renderer", [
    ("context", None, "mermaid"),
    ("context", None, "wasm"),
    ("container", "shop", "mermaid"),
    ("component", "web", "auto"),
    ("code", "api", "mermaid"),
    ("code", "k", "webgpu"),
    ("adr", None, "mermaid"),
])
def test_page_parses_and_escapes_model_text(model, layer, parent, renderer):
    page = view(model, layer, parent, renderer=renderer)
    parse_page(page)
    assert "<!--" not in page
    # Outside the scene JSON (script data, never markup) all model text is escaped.
    markup = re.sub(r'(id="c4-scene">).*?(</script>)', r"\1\2", page, flags=re.S)
    assert "<evil" not in markup
    for href in hrefs(page):
        assert href.startswith(BASE + "/") or href.startswith("https://"), href
        if href.startswith(BASE):
            assert href[len(BASE) + 1] != "/", href


def test_mermaid_stage_shows_the_layer_diagram(model):
    page = view(model, "container", "shop")
    parsed = parse_page(page)
    diagram = json.loads(model.get_layer_diagram("container", "shop", BASE))["content"]
    assert "".join(parsed.pre) == "\n" + diagram + "\n"
    assert "securityLevel: 'strict'" in page and "loose" not in page
    assert "const CODE_THEME = false;" in page
    assert "const CODE_THEME = true;" in view(model, "code", "api")


@pytest.mark.parametrize("base", ["/", "", "  //  "])
def test_empty_or_slash_base_gives_relative_links(model, base):
    page = view(model, "component", "web", base=base, renderer="wasm")
    parse_page(page)
    links = [h for h in hrefs(page) if not h.startswith("https://")]
    assert links and all(h.startswith("/?") or h in ("/flows", "/adrs") for h in links), links
    assert '<a href="/?layer=context">Context</a>' in page
    assert '<a class="fallback-link" href="/?mode=all&amp;renderer=mermaid&amp;focus=web">' in page


def test_base_keeps_one_slash(model):
    page = view(model, base=BASE + "///")
    assert f'<a href="{BASE}/?layer=context">Context</a>' in page
    assert f'href="{BASE}/flows"' in page and f'href="{BASE}/adrs"' in page
    assert BASE + "//" not in page


@pytest.mark.parametrize("base, message", [
    ("http://c4.example", "base_url must start with https://"),
    ("https://a@c4.example", "base_url contains forbidden characters"),
    ("https://c4.example/<x", "base_url contains forbidden characters"),
    ("https://c4.example/DATA:x", "base_url scheme not allowed"),
])
def test_bad_base(model, base, message):
    # The base is checked before the layer and the mode.
    for layer, mode in (("context", "layer"), ("nope", "layer"), ("nope", "all")):
        with pytest.raises(ValueError) as err:
            view(model, layer, base=base, mode=mode)
        assert str(err.value) == message


@pytest.mark.parametrize("layer", ["nope", "Context", " context", ""])
def test_bad_layer(model, layer):
    with pytest.raises(ValueError) as err:
        view(model, layer)
    assert str(err.value) == f"invalid c4 layer: {layer}"


@pytest.mark.parametrize("mode, layer", [("all", "context"), (" FULL ", "nope"), ("landscape_all", "")])
def test_all_layers_view_is_not_available_yet(model, mode, layer):
    with pytest.raises(NotImplementedError) as err:
        view(model, layer, "web", mode=mode)
    assert str(err.value) == "render_view_html with mode all is not implemented yet"


def test_unknown_modes_show_the_layer(model):
    page = view(model, "container", "shop", mode="nested")
    assert "<title>C4 container</title>" in page


def test_needs_init(run_fresh):
    done = run_fresh(
        "from borvane_c4 import _native as m\n"
        "try:\n    m.render_view_html('context', None, '/', 'layer', 'mermaid')\n"
        "except RuntimeError as e:\n    print(e)\n"
    )
    assert done.stdout.strip() == "call init(data_dir) first"
