"""Starting the module's server in a child process, for the web and browser tests."""

import os
import re
import select
import subprocess
import time

from conftest import PACKAGE_ROOT


def child_env(**extra: str) -> dict:
    """The environment of a child: none of the module's variables, the package importable."""
    env = {k: v for k, v in os.environ.items() if not k.startswith("BORVANE_C4_")}
    env.update(PYTHONPATH=str(PACKAGE_ROOT), **extra)
    return env


def read_address(proc: subprocess.Popen, timeout: float = 60) -> str:
    """Reads the child's output until its "serving on" line and returns the address
    printed there (ending in "/"); kills the child and fails after `timeout`."""
    deadline, seen = time.monotonic() + timeout, b""
    while time.monotonic() < deadline:
        ready, _, _ = select.select([proc.stdout], [], [], 0.5)
        if ready:
            chunk = os.read(proc.stdout.fileno(), 4096)
            if not chunk:
                break
            seen += chunk
            found = re.search(rb"serving on (http://\S+)", seen)
            if found:
                return found.group(1).decode()
    proc.kill()
    raise AssertionError("the server printed no address: " + seen.decode(errors="replace")[-2000:])
