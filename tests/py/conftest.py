"""Fixtures shared by the Python tests of the native module."""

import os
import subprocess
import sys
from pathlib import Path

import pytest

# The shared page checker asserts; let pytest explain its failures as it does
# for assertions in the test files.
pytest.register_assert_rewrite("html_check")

# The directory that holds the package `borvane_c4` (with the built module).
PACKAGE_ROOT = Path(__file__).resolve().parents[2] / "python"

# Variables the module reads; a test that wants one sets it itself.
MODULE_ENV_VARS = (
    "BORVANE_C4_DOCS",
    "BORVANE_C4_PROCESS_TOKEN",
    "BORVANE_C4_PUBLIC_BASE",
    "BORVANE_C4_ADR_PROSE_MAX",
    "BORVANE_C4_ATOM_EDGES",
    "BORVANE_C4_MERMAID_URL",
)


@pytest.fixture
def native(monkeypatch):
    """The module, with none of its environment variables set."""
    for name in MODULE_ENV_VARS:
        monkeypatch.delenv(name, raising=False)
    from borvane_c4 import _native

    return _native


@pytest.fixture
def initialized(native, tmp_path):
    """The module after `init` on a fresh data directory."""
    assert native.init(str(tmp_path / "data")) is None
    return native


@pytest.fixture
def run_fresh():
    """Runs Python code in a new interpreter that has never called `init`.

    Returns the finished process; its output is text.
    """

    def run(code):
        env = {k: v for k, v in os.environ.items() if k not in MODULE_ENV_VARS}
        env["PYTHONPATH"] = str(PACKAGE_ROOT)
        return subprocess.run(
            [sys.executable, "-c", code],
            env=env,
            capture_output=True,
            text=True,
            timeout=120,
            check=False,
        )

    return run


def git(repo, *args):
    """Runs the git client in `repo` and returns its standard output."""
    env = dict(os.environ, GIT_CONFIG_NOSYSTEM="1", HOME=str(repo.parent))
    done = subprocess.run(
        ["git", "-C", str(repo), *args], env=env, capture_output=True, text=True, check=True
    )
    return done.stdout


@pytest.fixture
def repo(tmp_path):
    """A fresh git repository with an unborn main branch."""
    path = tmp_path / "repo"
    path.mkdir()
    git(path, "init", "-q", "-b", "main")
    return path


@pytest.fixture
def bound(initialized, repo):
    """The module bound to `docs/` of a fresh git repository."""
    initialized.bind_docs(str(repo / "docs"))
    return initialized
