"""Binding a docs directory: layout, legacy files, reloading, failures."""

import json
import os

import pytest


def model(native):
    return json.loads(native.get_model())


def test_empty_directory(initialized, repo):
    docs = repo / "docs"
    text = initialized.bind_docs(str(docs))
    assert text == json.dumps({"docs": str(docs.resolve()), "rewrote_adr_json": 0, "rewrote_flow_json": 0},
                              separators=(",", ":"))
    assert (docs / "adr").is_dir() and (docs / "flows").is_dir()


def test_legacy_json_and_ignored_files(initialized, repo):
    adr = repo / "docs" / "adr"
    adr.mkdir(parents=True)
    (adr / "old.json").write_text(json.dumps({
        "id": "x1", "title": "T", "status": "proposed", "decided_at": "2024-01-01",
        "context": "c", "decision": "d", "consequences": "e"}))
    (adr / "readme.md").write_text("# notes")
    (adr / "y.toml.tmp").write_text("garbage")
    os.mkfifo(adr / "fifo.toml")
    result = json.loads(initialized.bind_docs(str(repo / "docs")))
    assert result["rewrote_adr_json"] == 1
    assert (adr / "old.toml").exists() and not (adr / "old.json").exists()
    assert [d["id"] for d in model(initialized)["decisions"]] == ["x1"]


def test_bad_decision_keeps_the_model_loaded(initialized, repo):
    docs = repo / "docs"
    (docs / "adr").mkdir(parents=True)
    (docs / "model.toml").write_text('[[elements]]\nid = "u"\nworkspace_id = "w"\nkind = "person"\nname = "U"\n')
    (docs / "adr" / "bad.toml").write_text(
        'id = "bad"\ntitle = "T"\nstatus = "Accepted"\ndecided_at = "2024-01-01"\n'
        'context = "c"\ndecision = "d"\nconsequences = "e"\n')
    with pytest.raises(ValueError, match="unknown variant `Accepted`"):
        initialized.bind_docs(str(docs))
    assert [e["id"] for e in model(initialized)["elements"]] == ["u"]
    # The binding stays: model writes land in the file.
    initialized.upsert_element("v", "person", "V", None, None, None, None, None)
    assert 'id = "v"' in (docs / "model.toml").read_text()


@pytest.mark.parametrize("content", [
    'workspace_id = "sidecar"\n[[elements]\n',
    '[[relationships]]\nid = "r"\nworkspace_id = "s"\nfrom_id = "a"\nto_id = "b"\n',
])
def test_bad_model_file_changes_nothing(initialized, repo, tmp_path, content):
    good = repo / "docs"
    initialized.bind_docs(str(good))
    initialized.upsert_element("keep", "person", "Keep", None, None, None, None, None)
    before = (good / "model.toml").read_text()
    other = tmp_path / "other" / "docs"
    other.mkdir(parents=True)
    (other / "model.toml").write_text(content)
    with pytest.raises(ValueError):
        initialized.bind_docs(str(other))
    # Still bound to the first directory, with its model, and a write there
    # rewrites its file rather than the broken one.
    initialized.upsert_element("more", "person", "More", None, None, None, None, None)
    assert [e["id"] for e in model(initialized)["elements"]] == ["keep", "more"]
    assert (other / "model.toml").read_text() == content
    assert (good / "model.toml").read_text() != before


def test_notes_directory_writes_under_sibling_docs(initialized, repo):
    notes = repo / "notes"
    initialized.bind_docs(str(notes))
    initialized.upsert_adr(json.dumps({
        "id": "n1", "title": "T", "status": "draft", "decided_at": "2024-01-01",
        "context": "c", "decision": "d", "consequences": "e"}), False)
    assert (repo / "docs" / "adr" / "n1.toml").exists()
    assert not (notes / "adr" / "n1.toml").exists()


def test_rebinding_replaces_the_workspace(initialized, tmp_path):
    a, b = tmp_path / "a" / "docs", tmp_path / "b" / "docs"
    initialized.bind_docs(str(a))
    initialized.upsert_element("only-a", "person", "A", None, None, None, None, None)
    initialized.bind_docs(str(b))
    assert model(initialized)["elements"] == []
    initialized.bind_docs(str(a))
    assert [e["id"] for e in model(initialized)["elements"]] == ["only-a"]


@pytest.mark.parametrize("docs_dir, message", [
    ("   ", "docs_dir is empty"),
    ("C:\\docs", "docs_dir looks like a Windows path (C:\\docs). Inside WSL/Linux use a Unix path "
                 "(e.g. /tmp/\u2026/docs or /mnt/c/Users/\u2026/docs), not C:\\\u2026"),
])
def test_invalid_paths(initialized, docs_dir, message):
    with pytest.raises(ValueError) as err:
        initialized.bind_docs(docs_dir)
    assert str(err.value) == message


def test_path_below_a_regular_file(initialized, tmp_path):
    (tmp_path / "file").write_text("x")
    with pytest.raises(ValueError):
        initialized.bind_docs(str(tmp_path / "file" / "docs"))


def test_binding_from_init(native, repo, tmp_path, monkeypatch):
    docs = repo / "docs"
    docs.mkdir()
    (docs / "model.toml").write_text('[[elements]]\nid = "u"\nworkspace_id = "x"\nkind = "person"\nname = "U"\n')
    monkeypatch.setenv("BORVANE_C4_DOCS", str(docs))
    assert native.init(str(tmp_path / "d")) is None
    assert [(e["id"], e["workspace_id"]) for e in model(native)["elements"]] == [("u", "sidecar")]
    monkeypatch.setenv("BORVANE_C4_DOCS", "")
    with pytest.raises(ValueError, match="^docs_dir is empty$"):
        native.init(str(tmp_path / "d"))
    assert model(native)["elements"] == []  # the new state is installed all the same
