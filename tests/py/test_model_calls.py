"""Element and relationship writes, the model read and workspace validation."""

import json
import re
import tomllib

import pytest

METHOD = '[{"kind":"method","visibility":"+","name":"save","params":[{"name":"order","type":"Order"}]}]'


def add(native, id, kind, parent=None, members=None, **fields):
    return native.upsert_element(
        id, kind, fields.get("name", id.title()), parent, fields.get("description"),
        fields.get("technology"), fields.get("url"), members
    )


def test_element_round_trip_and_model_file(bound, repo):
    add(bound, "shop", "software_system")
    add(bound, "api", "container", "shop", technology="Go")
    add(bound, "orders", "component", "api")
    text = add(bound, "repo", "code", "orders", METHOD)
    assert text.startswith('{"id":"repo","workspace_id":"sidecar","kind":"code","parent_id":"orders",')
    assert text.endswith(
        '"members":[{"kind":"method","visibility":"+","name":"save","params":[{"name":"order","type":"Order"}]}]}'
    )
    model = bound.get_model()
    assert model.startswith('{"decisions":[],"elements":[')
    [code] = [e for e in json.loads(model)["elements"] if e["id"] == "repo"]
    assert list(code) == ["description", "id", "kind", "members", "name", "parent_id", "technology",
                          "url", "workspace_id"]
    # Every write rewrites model.toml of the bound docs directory.
    stored = tomllib.loads((repo / "docs" / "model.toml").read_text())
    assert [e["id"] for e in stored["elements"]] == ["api", "orders", "repo", "shop"]
    assert stored["elements"][2]["members"][0]["params"] == [{"name": "order", "type": "Order"}]


@pytest.mark.parametrize(
    "kind, parent, members, message",
    [
        ("container", None, None, "C4 baseline: container must not have empty/invalid parent"),
        ("container", "nowhere", None, "C4 baseline: container must not have empty/invalid parent"),
        ("code", None, None, "C4 baseline: code elements must have a component parent"),
        ("contaner", None, None, "invalid element kind: contaner"),
        ("container", "shop", METHOD, "members only allowed for kind=code"),
        ("container", "shop", '[{"kind":"method","visibility":"?","name":"x"}]',
         "validation: member.visibility must be one of + - # ~"),
        ("code", "orders", " ", "members JSON: EOF while parsing a value at line 1 column 1"),
        ("code", "orders", '[{"kind":"method","visibility":"+","name":"x","extra":1}]',
         "members JSON: unknown field `extra`, expected one of `kind`, `visibility`, `name`, `params`, "
         "`return_type`, `type` at line 1 column 53"),
    ],
)
def test_element_write_refusals(bound, kind, parent, members, message):
    add(bound, "shop", "software_system")
    with pytest.raises(ValueError) as err:
        add(bound, "x", kind, parent, members)
    assert str(err.value) == message
    assert "x" not in [e["id"] for e in json.loads(bound.get_model())["elements"]]


def test_person_with_unknown_parent_and_empty_member_lists(bound):
    add(bound, "p", "person", "ghost", "")
    add(bound, "q", "person", None, "[]")
    elements = json.loads(bound.get_model())["elements"]
    assert [(e["id"], e["parent_id"]) for e in elements] == [("p", "ghost"), ("q", None)]
    assert "members" not in elements[0]


def test_writes_before_binding_stay_in_memory(initialized):
    with pytest.raises(ValueError, match=r"^sidecar has no docs bind \(call bind_docs\)$"):
        add(initialized, "p", "person")
    assert [e["id"] for e in json.loads(initialized.get_model())["elements"]] == ["p"]


def test_relationships(bound, monkeypatch):
    add(bound, "user", "person")
    add(bound, "shop", "software_system")
    add(bound, "api", "container", "shop")
    add(bound, "db", "container", "shop")
    rel = json.loads(bound.upsert_relationship("", "user", "shop", "buys"))
    assert re.fullmatch(r"[0-9a-f]{8}-[0-9a-f]{4}-4[0-9a-f]{3}-[89ab][0-9a-f]{3}-[0-9a-f]{12}", rel["id"])
    assert list(rel) == ["id", "workspace_id", "from_id", "to_id", "description", "technology"]
    assert rel["technology"] is None

    with pytest.raises(ValueError) as err:
        bound.upsert_relationship("r2", "api", "db", None)
    assert str(err.value) == (
        "C4 baseline: container \u2192 container is not allowed (V1 atom canon: use "
        "code/external/person/system; BORVANE_C4_ATOM_EDGES=0 for legacy)"
    )
    monkeypatch.setenv("BORVANE_C4_ATOM_EDGES", "0")
    bound.upsert_relationship("r2", "api", "db", None)

    with pytest.raises(ValueError, match="^not found: element ghost$"):
        bound.upsert_relationship("r3", "user", "ghost", None)

    assert bound.delete_relationship("r2") == '{"deleted":"r2"}'
    with pytest.raises(ValueError, match="^not found: relationship r2$"):
        bound.delete_relationship("r2")


def test_decision_policy_blocks_or_audits(bound, repo, monkeypatch):
    add(bound, "user", "person")
    add(bound, "shop", "software_system")
    rule = {"from_kind": "person", "to_kind": "software_system", "code": "no_direct",
            "severity": "error", "message": "Go through the gateway"}
    decision = {"id": "adr-1", "title": "Gateway", "status": "draft", "decided_at": "2026-01-01",
                "context": "c", "decision": "d", "consequences": "e",
                "policy": {"mode": "enforce", "forbid": [rule]}}
    bound.upsert_adr(json.dumps(decision), False)
    bound.upsert_relationship("r0", "user", "shop", None)  # a draft decision does not police
    bound.set_adr_status("adr-1", "accepted", commit=False)
    with pytest.raises(ValueError, match=r"^Go through the gateway \(adr=adr-1\)$"):
        bound.upsert_relationship("r1", "user", "shop", None)
    decision["status"] = "accepted"
    decision["policy"]["mode"] = "audit"
    bound.upsert_adr(json.dumps(decision), False)
    bound.upsert_relationship("r1", "user", "shop", None)


def test_validate_workspace(bound):
    assert json.loads(bound.validate_workspace()) == {
        "ok": False,
        "problems": [{"code": "model.empty", "element_id": None, "layer": "landscape",
                      "message": "LANDSCAPE layer: model has no elements", "severity": "error"}],
    }
    add(bound, "user", "person")
    add(bound, "shop", "software_system", description="Sells")
    bound.upsert_relationship("r", "user", "shop", "")
    text = bound.validate_workspace()
    assert text.startswith('{"ok":true,"problems":[{"code":"element.missing_description"')
    codes = [p["code"] for p in json.loads(text)["problems"]]
    assert codes == ["element.missing_description", "relationship.missing_description"]


def test_second_init_forgets_everything(bound, tmp_path):
    add(bound, "user", "person")
    bound.init(str(tmp_path / "other"))
    assert json.loads(bound.get_model()) == {"decisions": [], "elements": [], "relationships": []}
