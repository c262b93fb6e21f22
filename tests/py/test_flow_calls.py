"""Flow writes, reads and deletions, with their files and commits."""

import json

import pytest

from conftest import git


def dynamic(id="checkout", **fields):
    f = {"id": id, "title": "Checkout", "kind": "c4_dynamic",
         "steps": [{"n": 1, "from_id": "user", "to_id": "shop", "label": "buys"}]}
    f.update(fields)
    return json.dumps(f)


@pytest.fixture
def shop(bound):
    bound.upsert_element("user", "person", "User", None, None, None, None, None)
    bound.upsert_element("shop", "software_system", "Shop", None, None, None, None, None)
    return bound


def test_upsert_list_get(shop, repo):
    result = json.loads(shop.upsert_flow(dynamic(), True))
    assert result["commit_id"] == git(repo, "rev-parse", "HEAD").strip()
    assert result["view_url"] == "https://borvane-c4.example/flows/checkout"
    assert git(repo, "log", "-1", "--format=%s").strip() == "flow: checkout Checkout"
    assert shop.get_flow("checkout").startswith('{"id":"checkout","workspace_id":"sidecar","title":"Checkout",'
                                                '"kind":"c4_dynamic","steps":[')
    assert json.loads(shop.upsert_flow(dynamic(), False))["commit_id"] is None
    [entry] = json.loads(shop.list_flows("https://x.example"))
    assert entry == {"epoch": None, "git_commit_id": None, "id": "checkout", "kind": "c4_dynamic",
                     "path": "docs/flows/checkout.toml", "related_adrs": [], "scope_element_id": None,
                     "title": "Checkout", "usage_key": None, "view_url": "https://x.example/flows/checkout"}


def test_refusals(shop):
    with pytest.raises(ValueError, match="^validation: flow step references missing element 'ghost'$"):
        shop.upsert_flow(dynamic(steps=[{"n": 1, "from_id": "user", "to_id": "ghost"}]), False)
    with pytest.raises(ValueError, match=r"^unknown field `colour`"):
        shop.upsert_flow(dynamic(colour="red"), False)
    with pytest.raises(ValueError, match="^not found: flow nope$"):
        shop.delete_flow("nope", False)


def test_unbound_flow_write_fails(initialized):
    with pytest.raises(ValueError, match="no docs bind"):
        initialized.upsert_element("a", "person", "A", None, None, None, None, None)
    with pytest.raises(ValueError) as err:
        initialized.upsert_flow(dynamic(steps=[{"n": 1, "from_id": "a", "to_id": "a"}]), False)
    assert str(err.value) == "validation: workspace sidecar has no bound worktree (checkout required for Flow)"


def test_delete_with_commit_records_the_removal(shop, repo):
    shop.upsert_flow(dynamic(), True)
    before = git(repo, "rev-parse", "HEAD").strip()
    assert shop.delete_flow("checkout", True) == '{"deleted":"checkout"}'
    assert not (repo / "docs/flows/checkout.toml").exists()
    assert git(repo, "rev-parse", "HEAD~1").strip() == before
    assert git(repo, "log", "-1", "--format=%s").strip() == "flow: delete checkout"
    assert "docs/flows/checkout.toml" not in git(repo, "ls-tree", "-r", "--name-only", "HEAD")
    assert json.loads(shop.list_flows("https://x.example")) == []
    git(repo, "fsck", "--strict")


def test_delete_never_touches_a_planted_path(shop, repo):
    victim = repo / "victim.txt"
    victim.write_text("keep me")
    flows = repo / "docs" / "flows"
    (flows / "evil.toml").write_text(
        'id = "evil"\ntitle = "E"\nkind = "sequence"\nbody = "sequenceDiagram"\npath = "../victim.txt"\n'
    )
    shop.bind_docs(str(repo / "docs"))
    shop.delete_flow("evil", True)
    assert victim.read_text() == "keep me"
