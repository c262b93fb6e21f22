"""The layer and overview diagram calls: result objects, links and refusals."""

import json

import pytest


@pytest.fixture
def shop(bound, monkeypatch):
    """User → Web → API inside Shop; API → Bank (external)."""
    monkeypatch.setenv("BORVANE_C4_ATOM_EDGES", "0")
    m = bound
    m.upsert_element("user", "person", "User", None, None, None, None, None)
    m.upsert_element("shop", "software_system", "Shop; EU", None, "The shop", None, None, None)
    m.upsert_element("bank", "external", "Bank", None, None, "SWIFT", None, None)
    m.upsert_element("web", "container", "Web", "shop", "SPA", "React", None, None)
    m.upsert_element("api", "container", "API", "shop", None, "Go", None, None)
    m.upsert_element("orders", "component", "Orders", "api", None, None, None, None)
    m.upsert_element("billing", "component", "Billing", "api", None, None, None, None)
    m.upsert_relationship("r1", "user", "web", "browses")
    m.upsert_relationship("r2", "web", "api", "calls")
    m.upsert_relationship("r3", "orders", "bank", None)
    m.upsert_relationship("r4", "billing", "bank", "pays")
    return m


def test_layer_diagram_result(shop):
    result = json.loads(shop.get_layer_diagram("container", "shop", " https://c4.example/docs/ "))
    assert sorted(result) == ["content", "format", "layer", "parent_id", "view_url"]
    assert result["format"] == "mermaid" and result["layer"] == "container" and result["parent_id"] == "shop"
    assert result["view_url"] == "https://c4.example/docs/?layer=container&parent=shop"
    # Relationships are projected onto the layer: two component edges become
    # one container edge; the person's edge has no shown end on this layer.
    content = result["content"]
    assert content.startswith("C4Container\n  title Containers - Shop#59; EU\n")
    assert '  Rel(web, api, "calls")\n' in content
    assert "Rel(user" not in content


def test_layer_diagram_without_parent_and_raw_parent_in_link(shop):
    result = json.loads(shop.get_layer_diagram("component", None, "https://c4.example"))
    assert result["parent_id"] is None
    assert result["view_url"] == "https://c4.example/?layer=component"
    assert result["content"] == (
        'C4Component\n  title Components\n  Container(empty, "Pick a container parent", "n/a", "n/a")\n')
    odd = json.loads(shop.get_layer_diagram("code", "a b&c", "https://c4.example"))
    assert odd["view_url"] == "https://c4.example/?layer=code&parent=a b&c"
    assert odd["content"].endswith("    no code elements yet\n  }\n")


def test_context_layers_and_overview(shop):
    context = json.loads(shop.get_layer_diagram("context", None, "https://c4.example/"))
    overview = json.loads(shop.get_overview_diagram("https://c4.example/"))
    assert sorted(overview) == ["content", "format", "layer", "view_url"]
    assert overview["layer"] == "context" and overview["format"] == "mermaid"
    assert overview["view_url"] == "https://c4.example/?layer=context"
    assert overview["content"] == context["content"]
    assert '  Rel(user, shop, "browses")\n' in overview["content"]
    assert '  Rel(shop, bank, "2\u00d7 uses")\n' in overview["content"]
    landscape = json.loads(shop.get_layer_diagram("landscape", None, "https://c4.example/"))
    assert landscape["content"] == context["content"]


def test_component_layer_keeps_the_external_end(shop):
    content = json.loads(shop.get_layer_diagram("component", "api", "https://c4.example"))["content"]
    assert "    Component(billing, \"Billing\", \"n/a\", \"n/a\")\n" in content
    assert "Rel(" not in content  # the bank is drawn on no component diagram


def test_refusals(shop):
    with pytest.raises(ValueError, match="^invalid c4 layer: Context$"):
        shop.get_layer_diagram("Context", None, "https://c4.example")
    for base, message in [("", "base_url is empty"), ("http://c4.example", "base_url must start with https://"),
                          ("https://c4.example/<x>", "base_url contains forbidden characters"),
                          ("https://c4.example/javascript:x", "base_url scheme not allowed")]:
        with pytest.raises(ValueError, match=f"^{message}$"):
            shop.get_layer_diagram("context", None, base)
        with pytest.raises(ValueError, match=f"^{message}$"):
            shop.get_overview_diagram(base)
    # The base is checked before the layer.
    with pytest.raises(ValueError, match="^base_url is empty$"):
        shop.get_layer_diagram("nope", None, " ")
    with pytest.raises(TypeError):
        shop.get_layer_diagram("context", None)


def test_before_init(run_fresh):
    done = run_fresh(
        "from borvane_c4 import _native as n\n"
        "for call in (lambda: n.get_layer_diagram('context', None, 'https://x.example'),\n"
        "             lambda: n.get_overview_diagram('https://x.example')):\n"
        "    try:\n"
        "        call()\n"
        "    except RuntimeError as e:\n"
        "        print(e)\n")
    assert done.stdout == "call init(data_dir) first\ncall init(data_dir) first\n", done.stderr
