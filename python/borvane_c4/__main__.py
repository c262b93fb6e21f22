"""Command line: ``python -m borvane_c4 serve`` serves the pages of a docs directory.

    python -m borvane_c4 serve [--docs DIR] [--host 127.0.0.1] [--port 8000]
                               [--public-base URL] [--mermaid-dir DIR] [--data-dir DIR] [--quiet]

Without --docs the module binds BORVANE_C4_DOCS when that is set, and serves
an empty workspace otherwise. The module's data directory is --data-dir, or a
fresh temporary one that is removed on exit.
"""

from __future__ import annotations

import argparse
import sys
import tempfile
from collections.abc import Sequence
from pathlib import Path

from borvane_c4 import _native
from borvane_c4.web import WebApp, check_public_base, find_mermaid_dist, serve


def parse_args(argv: Sequence[str] | None) -> argparse.Namespace:
    parser = argparse.ArgumentParser(prog="python -m borvane_c4", description="borvane-c4 tools")
    commands = parser.add_subparsers(dest="command", required=True)
    cmd = commands.add_parser("serve", help="serve the view, flow and decision pages over http")
    cmd.add_argument("--docs", help="docs directory to bind (its parent is the git repository)")
    cmd.add_argument("--host", default="127.0.0.1", help="address to listen on (default 127.0.0.1)")
    cmd.add_argument("--port", type=int, default=8000, help="port to listen on, 0 for any free one (default 8000)")
    cmd.add_argument("--public-base", help="https address for absolute links (default: relative links)")
    cmd.add_argument("--mermaid-dir", help="Mermaid's dist folder (or node_modules/mermaid) to serve for offline use")
    cmd.add_argument("--data-dir", help="the module's data directory (default: a temporary one)")
    cmd.add_argument("--quiet", action="store_true", help="do not log requests")
    return parser.parse_args(argv)


def check_options(args: argparse.Namespace) -> str | None:
    """An error text for options that cannot work, found before anything starts."""
    if not 0 <= args.port <= 65535:
        return f"--port {args.port} is out of range"
    try:
        if args.public_base is not None:
            check_public_base(args.public_base)
        if args.mermaid_dir is not None:
            find_mermaid_dist(args.mermaid_dir)
    except ValueError as error:
        return str(error)
    return None


def run_serve(args: argparse.Namespace) -> int:
    """Initialises the module, binds the docs and serves until interrupted."""
    problem = check_options(args)
    if problem:
        print(f"borvane_c4 serve: {problem}", file=sys.stderr)
        return 2
    with tempfile.TemporaryDirectory(prefix="borvane-c4-serve-") as scratch:
        data_dir = Path(args.data_dir) if args.data_dir else Path(scratch) / "data"
        try:
            _native.init(str(data_dir))
            if args.docs:
                _native.bind_docs(str(Path(args.docs).resolve()))
            app = WebApp(public_base=args.public_base, mermaid_dir=args.mermaid_dir)
            serve(app, args.host, args.port, quiet=args.quiet)
        except (ValueError, OSError) as error:
            print(f"borvane_c4 serve: {error}", file=sys.stderr)
            return 1
    return 0


def main(argv: Sequence[str] | None = None) -> int:
    args = parse_args(argv)
    if args.command == "serve":
        return run_serve(args)
    return 2


if __name__ == "__main__":
    sys.exit(main())
