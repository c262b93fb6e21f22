"""The scene call: layer grid JSON as the viewer reads it."""

import json

import pytest


def add(native, id, kind, parent=None, name=None, url=None, description=None):
    native.upsert_element(id, kind, name or id.title(), parent, description, None, url, None)


def test_scene_json_keys_in_record_order(bound):
    add(bound, "user", "person", name="Kundin Jürgen 日本")
    add(bound, "shop", "software_system", url="https://example.org/shop")
    bound.upsert_relationship("r1", "user", "shop", None)
    text = bound.get_scene("layer", None, None)
    assert text.startswith('{"mode":"layer","focus":null,"width":520.0,"height":300.0,"nodes":[')
    assert (
        '{"id":"shop","kind":"software_system","layer":"context","name":"Shop","parent_id":null,'
        '"group":false,"depth":0,"x":40.0,"y":40.0,"w":200.0,"h":88.0,"members":[],"stereotype":null,'
        '"url":"https://example.org/shop"}' in text
    )
    # Without a url the node has no "url" key at all; non-ASCII stays UTF-8.
    assert (
        '{"id":"user","kind":"person","layer":"context","name":"Kundin Jürgen 日本","parent_id":null,'
        '"group":false,"depth":0,"x":280.0,"y":40.0,"w":200.0,"h":88.0,"members":[],"stereotype":null}' in text
    )
    assert text.endswith(
        '"edges":[{"id":"r1","from":"user","to":"shop","label":"uses","points":[],"from_port":"",'
        '"to_port":"","label_x":0.0,"label_y":0.0,"edge_kind":""}],"ports":[]}'
    )
    scene = json.loads(text)
    assert list(scene) == ["mode", "focus", "width", "height", "nodes", "edges", "ports"]
    assert [list(n) for n in scene["nodes"]][1] == [
        "id", "kind", "layer", "name", "parent_id", "group", "depth", "x", "y", "w", "h", "members", "stereotype",
    ]


def test_empty_model_is_the_minimum_drawing(initialized):
    assert initialized.get_scene("", "context", None) == (
        '{"mode":"layer","focus":null,"width":400.0,"height":300.0,"nodes":[],"edges":[],"ports":[]}'
    )


@pytest.mark.parametrize("mode", ["ALL", " all ", "Full", "landscape_all"])
def test_all_layers_mode(initialized, mode):
    scene = json.loads(initialized.get_scene(mode, "container", None))
    assert scene["mode"] == "all"
    assert scene["focus"] is None


def test_focus_filters_the_container_layer(bound):
    add(bound, "S", "software_system")
    add(bound, "T", "software_system")
    add(bound, "api", "container", "S", description="The API")
    add(bound, "db", "container", "T")
    text = bound.get_scene("layer", "container", "S")
    scene = json.loads(text)
    assert scene["focus"] == "S"
    assert [n["id"] for n in scene["nodes"]] == ["api"]
    assert scene["nodes"][0]["parent_id"] == "S"


def test_unknown_layer_text_shows_persons_and_systems(bound):
    add(bound, "p", "person")
    add(bound, "s", "software_system")
    add(bound, "x", "external")
    add(bound, "api", "container", "s")
    scene = json.loads(bound.get_scene("layer", "Container", "nobody"))
    assert [n["id"] for n in scene["nodes"]] == ["p", "s"]
    scene = json.loads(bound.get_scene("layer", "landscape", None))
    assert [n["id"] for n in scene["nodes"]] == ["p", "s", "x"]
    assert scene["nodes"][2]["layer"] == "external"


def test_arguments_are_checked(initialized):
    with pytest.raises(TypeError):
        initialized.get_scene("layer", 3, None)
    scene = json.loads(initialized.get_scene(mode="layer", layer=None, focus="f"))
    assert scene["focus"] == "f"


def test_code_layer_puts_the_interface_in_the_upper_row(bound):
    add(bound, "shop", "software_system")
    add(bound, "api", "container", "shop")
    add(bound, "orders", "component", "api", name="Orders")
    add(bound, "repo", "code", "orders", description="+find_by_id(id: int) Order")
    add(bound, "port", "code", "orders")
    bound.upsert_relationship("r1", "repo", "port", "implements the port")
    scene = json.loads(bound.get_scene("layer", "code", "orders"))
    assert scene["mode"] == "layer"
    assert scene["focus"] == "orders"
    frame = scene["nodes"][0]
    classes = {n["id"]: n for n in scene["nodes"][1:]}
    repo, port = classes["repo"], classes["port"]
    assert (frame["id"], frame["kind"], frame["name"], frame["group"]) == ("orders", "component", "Orders", True)
    assert (frame["x"], frame["y"], frame["parent_id"]) == (0.0, 0.0, "api")
    assert repo["members"] == ["+findById(id: int) Order"]
    assert (repo["stereotype"], port["stereotype"]) == (None, "Interface")
    assert (port["x"], port["y"]) == (48.0, 88.0)
    assert (repo["x"], repo["y"]) == (48.0, 88.0 + port["h"] + 160.0)
    [edge] = scene["edges"]
    assert (edge["label"], edge["edge_kind"]) == ("implements", "implements")
    assert {p["id"] for p in scene["ports"]} == {edge["from_port"], edge["to_port"]}
    assert scene["width"] == max(480.0, frame["w"]) + 48.0


def test_code_layer_placeholders(bound):
    scene = json.loads(bound.get_scene("layer", "code", None))
    assert scene["nodes"][0]["members"] == ["pick a component parent"]
    add(bound, "shop", "software_system")
    scene = json.loads(bound.get_scene("layer", "code", "shop"))
    assert (scene["width"], scene["height"], scene["focus"]) == (420.0, 240.0, None)
    assert scene["nodes"][0]["members"] == ["no code elements yet"]
