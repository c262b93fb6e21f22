"""Hostile texts in every argument: an error or a correct record, never a
crash or an unreadable file."""

import json

import pytest

HOSTILE = [
    "",
    "x" * (3 * 1024 * 1024),
    "nul\x00inside",
    "quotes \" ' and back\\slash\\",
    "</script><script>alert(1)</script>",
    "line\nfeed\r\nand\rcr",
    "ünïcødé ✓ 漢字 🚀",
    "'''",
]


@pytest.mark.parametrize("text", HOSTILE, ids=range(len(HOSTILE)))
def test_hostile_texts_round_trip_through_the_files(bound, repo, text, tmp_path, monkeypatch):
    monkeypatch.chdir(tmp_path)  # bind_docs(text) takes a relative path as one
    bound.upsert_element("shop", "software_system", "Shop", None, None, None, None, None)
    results = []
    for call in (
        lambda: bound.upsert_element("e", "person", text, None, text, text, text, None),
        lambda: bound.upsert_element(text, "person", "N", None, None, None, None, None),
        lambda: bound.upsert_relationship("r", "e", "shop", text),
        lambda: bound.upsert_adr(json.dumps({
            "id": "adr-1", "title": text[:200], "status": "draft", "decided_at": "2026-01-01",
            "context": text or "c", "decision": "d", "consequences": "e", "related_flows": [text]}), False),
        lambda: bound.upsert_flow(json.dumps({
            "id": "f", "title": text[:200] or "t", "kind": "sequence",
            "body": "sequenceDiagram\n" + text}), False),
        lambda: bound.upsert_adr(text, False),
        lambda: bound.upsert_flow(text, False),
        lambda: bound.upsert_element("c", "code", "C", None, None, None, None, text),
        lambda: bound.bind_docs(text),
    ):
        try:
            results.append(call())
        except ValueError:
            results.append(None)
    bound.bind_docs(str(repo / "docs"))  # restore the binding after the bind_docs attempt
    before = json.loads(bound.get_model())
    flows = bound.list_flows("https://x.example")
    # Every file still reads: binding again gives the same workspace.
    bound.bind_docs(str(repo / "docs"))
    assert json.loads(bound.get_model()) == before
    assert bound.list_flows("https://x.example") == flows


def test_docs_dir_with_nul_is_refused(initialized, tmp_path):
    with pytest.raises(ValueError, match="^docs_dir contains a NUL character$"):
        initialized.bind_docs(str(tmp_path / "docs") + "\x00x")
    assert not (tmp_path / "docs").exists()


def test_record_too_large_to_read_back_is_not_written(bound, repo):
    bound.upsert_element("a", "person", "A", None, None, None, None, None)
    label = "x" * 300_000
    steps = [{"n": n, "from_id": "a", "to_id": "a", "label": label} for n in range(60)]
    with pytest.raises(ValueError, match=r"file larger than 16 MiB \(not written\)$"):
        bound.upsert_flow(json.dumps({"id": "big", "title": "Big", "kind": "c4_dynamic", "steps": steps}), False)
    assert not (repo / "docs" / "flows" / "big.toml").exists()
    bound.bind_docs(str(repo / "docs"))
