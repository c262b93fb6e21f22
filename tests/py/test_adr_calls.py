"""Decision writes and reads: files, commits, the status workflow, links."""

import json
import tomllib

import pytest

from conftest import git


def decision(id="adr-1", **fields):
    d = {"id": id, "title": "Use queues", "status": "draft", "decided_at": "2026-05-01",
         "context": "Writes must be serialised.", "decision": "One worker thread.",
         "consequences": "Callers block."}
    d.update(fields)
    return json.dumps(d)


def test_upsert_with_commit(bound, repo, monkeypatch):
    monkeypatch.setenv("BORVANE_C4_PUBLIC_BASE", "https://docs.example.org/c4//")
    (repo / "notes.txt").write_text("not committed")
    result = json.loads(bound.upsert_adr(decision(workspace_id="elsewhere"), True))
    head = git(repo, "rev-parse", "HEAD").strip()
    assert result["commit_id"] == head
    assert result["view_url"] == "https://docs.example.org/c4/adrs/adr-1"
    assert result["decision"]["workspace_id"] == "sidecar"
    assert result["decision"]["git_commit_id"] == head
    assert result["decision"]["path"] == "docs/adr/adr-1.toml"
    assert git(repo, "ls-tree", "-r", "--name-only", "HEAD").split() == ["docs/adr/adr-1.toml"]
    log = git(repo, "log", "-1", "--format=%an|%cn|%s")
    assert log.strip() == "borvane-c4-git|borvane-c4-git|adr: adr-1 Use queues"
    # The file was written before the commit, so it does not carry this commit's id.
    on_disk = tomllib.loads((repo / "docs/adr/adr-1.toml").read_text())
    assert "git_commit_id" not in on_disk and on_disk["workspace_id"] == "sidecar"

    second = json.loads(bound.upsert_adr(decision(), True))
    assert git(repo, "rev-parse", "HEAD~1").strip() == head
    assert second["commit_id"] != head
    without = json.loads(bound.upsert_adr(decision(), False))
    assert without["commit_id"] is None and "git_commit_id" not in without["decision"]
    git(repo, "fsck", "--strict")


def test_direct_and_list_forms(bound):
    bound.upsert_adr(decision("b"), False)
    bound.upsert_adr(decision("A", scope_element_id=None), False)
    direct = bound.get_adr("b")
    assert direct.startswith('{"id":"b","workspace_id":"sidecar","scope_element_id":null,"title":')
    assert direct.endswith('"policy":null,"path":"docs/adr/b.toml"}')
    entries = json.loads(bound.list_adrs("https://x.example/"))
    assert [e["id"] for e in entries] == ["A", "b"]
    assert entries[0]["view_url"] == "https://x.example/adrs/A"
    assert entries[0]["reason"] is None and entries[0]["refs"] == [] and entries[0]["related_flows"] == []
    assert len(entries[0]) == 17
    with pytest.raises(ValueError, match="^base_url must start with https://$"):
        bound.list_adrs("http://x.example")
    with pytest.raises(ValueError, match="^not found: decision nope$"):
        bound.get_adr("nope")


def test_status_workflow(bound):
    with pytest.raises(ValueError, match="agent may only set status draft|proposed, got 'accepted'"):
        bound.upsert_adr(decision(status="accepted"), False)
    bound.upsert_adr(decision(), False)
    accepted = json.loads(bound.set_adr_status("adr-1", "Accepted", commit=False))
    assert list(accepted) == ["commit_id", "decision"]
    assert accepted["decision"]["status"] == "accepted"
    with pytest.raises(ValueError) as err:
        bound.upsert_adr(decision(), False)
    assert str(err.value) == (
        "validation: ADR 'adr-1' is in process status 'accepted'; use set_adr_status to change "
        "status (cannot set 'draft')"
    )
    with pytest.raises(ValueError, match=r"^validation: set_adr_status is for process statuses only"):
        bound.set_adr_status("adr-1", "draft")
    with pytest.raises(ValueError, match="^invalid decision status: maybe$"):
        bound.set_adr_status("adr-1", "MAYBE")
    rejected = json.loads(bound.set_adr_status("adr-1", "rejected", "  too slow  ", commit=False))
    assert rejected["decision"]["reason"] == "too slow"


def test_process_token(native, run_fresh, monkeypatch, tmp_path):
    done = run_fresh(
        "import os\n"
        "os.environ['BORVANE_C4_PROCESS_TOKEN'] = 's3cret'\n"
        "from borvane_c4 import _native\n"
        "try:\n"
        "    _native.set_adr_status('a', 'accepted')\n"
        "except PermissionError as e:\n"
        "    print(e)\n"
    )
    assert done.stdout.strip() == "set_adr_status requires process token (BORVANE_C4_PROCESS_TOKEN)"
    native.init(str(tmp_path / "d"))
    monkeypatch.setenv("BORVANE_C4_PROCESS_TOKEN", "s3cret")
    for token in (None, "s3cre", "s3cret!", "S3CRET"):
        with pytest.raises(PermissionError):
            native.set_adr_status("a", "accepted", process_token=token)
    with pytest.raises(ValueError, match="^not found: decision a$"):
        native.set_adr_status("a", "accepted", process_token="s3cret")
    monkeypatch.setenv("BORVANE_C4_PROCESS_TOKEN", "")
    with pytest.raises(ValueError, match="^not found: decision a$"):
        native.set_adr_status("a", "accepted")


def test_process_token_that_is_not_utf8_refuses(run_fresh):
    done = run_fresh(
        "import os\n"
        "os.environb[b'BORVANE_C4_PROCESS_TOKEN'] = b'\\xff'\n"
        "from borvane_c4 import _native\n"
        "for token in (None, '', '\\xff', '\\ufffd'):\n"
        "    try:\n"
        "        _native.set_adr_status('a', 'accepted', process_token=token)\n"
        "    except PermissionError as e:\n"
        "        print('refused')\n"
        "    except Exception as e:\n"
        "        print(type(e).__name__, e)\n"
    )
    assert done.stdout.split() == ["refused"] * 4


NASTY = [
    "line\nfeed", "lone\rcr", "crlf\r\nend", "form\ffeed", "del\x7f", "nul\x00", "has ''' quotes",
    "trailing backslash\\", "ends with quote'", "ends with two ''", "ünïcødé ✓", 'say "hi"', "\ttab",
]


@pytest.mark.parametrize("text", NASTY)
def test_decision_texts_read_back_exactly(bound, repo, text):
    bound.upsert_adr(decision(title=text[:200], context=text, decision=text + "\n",
                              related_flows=[text]), False)
    on_disk = tomllib.loads((repo / "docs/adr/adr-1.toml").read_text(encoding="utf-8"))
    assert (on_disk["title"], on_disk["context"], on_disk["decision"], on_disk["related_flows"]) == (
        text[:200], text, text + "\n", [text])
    # And our own reader agrees when the directory is bound again.
    bound.bind_docs(str(repo / "docs"))
    assert json.loads(bound.get_adr("adr-1"))["context"] == text


def test_unloaded_file_with_process_status_is_not_overwritten(bound, repo):
    path = repo / "docs/adr/adr-9.toml"
    bound.upsert_adr(decision("adr-9"), False)
    bound.set_adr_status("adr-9", "accepted", commit=False)
    text = path.read_text()
    bound.init(str(repo.parent / "fresh"))  # new state: nothing loaded, no binding
    bound.bind_docs(str(repo / "notes"))  # another docs dir of the same repository
    with pytest.raises(ValueError, match="in process status 'accepted'"):
        bound.upsert_adr(decision("adr-9"), False)
    assert path.read_text() == text


def test_commit_keeps_the_parent_tree_and_only_adds_the_record(bound, repo):
    (repo / "README.md").write_text("hello\n")
    git(repo, "add", "README.md")
    git(repo, "-c", "user.name=t", "-c", "user.email=t@example.com", "commit", "-q", "-m", "seed")
    (repo / "README.md").write_text("changed but not staged\n")
    (repo / "scratch.txt").write_text("untracked\n")
    result = json.loads(bound.upsert_adr(decision("x1"), True))
    assert git(repo, "rev-parse", "HEAD~1").strip() == git(repo, "rev-parse", "HEAD^{/seed}").strip()
    assert git(repo, "ls-tree", "-r", "--name-only", result["commit_id"]).split() == [
        "README.md", "docs/adr/x1.toml"]
    assert git(repo, "show", f"{result['commit_id']}:README.md") == "hello\n"
    assert git(repo, "show", "-s", "--format=%ae|%ce", "HEAD").strip().count("@") == 2
