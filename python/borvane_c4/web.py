"""A small WSGI front end that serves the module's pages.

The native module only renders: it hands back complete HTML documents for the
view page, the flow pages and the decision pages. This application answers
their addresses, turns the module's failures into plain error pages and, when
asked to, serves a local copy of the Mermaid library so the pages work
without internet.

Links. The pages' links start with a base address. By default the
application makes every link relative to the server root, so the pages work
behind any host name and over plain http on localhost:

* the view page accepts an empty base and writes relative links itself;
* the decision and flow pages insist on an https base, so they are rendered
  with a per-process placeholder base that is removed from the finished
  page (it is random, so no model text can forge it).

With ``public_base`` set (an https address, checked when the application is
made), every page gets absolute links under that address instead.

Only the standard library is used; ``serve`` runs the application on the
threading WSGI server of ``wsgiref``.
"""

from __future__ import annotations

import html
import mimetypes
import os
import re
import secrets
import signal
import socketserver
import sys
import threading
import traceback
import urllib.parse
from collections.abc import Callable, Iterable
from pathlib import Path
from typing import Any
from wsgiref.simple_server import WSGIRequestHandler, WSGIServer, make_server

from borvane_c4 import _native

StartResponse = Callable[..., Any]
Environ = dict[str, Any]

MERMAID_ENTRY = "mermaid.esm.min.mjs"
MERMAID_PREFIX = "/static/mermaid/"
MERMAID_URL_VARIABLE = "BORVANE_C4_MERMAID_URL"

DEFAULT_LAYER = "context"
DEFAULT_RENDERER = "mermaid"
# Mode texts the module reads as the all-layers view (any letter case).
ALL_LAYERS_MODES = ("all", "full", "landscape_all")

# A public base the application accepts: https, a plain host name with an
# optional port, and a path of plain characters. The module writes the base
# into links without escaping, so quotes, blanks, angle brackets, "?" and "#"
# must never reach it.
PUBLIC_BASE_PATTERN = re.compile(r"https://[A-Za-z0-9.-]+(:[0-9]{1,5})?(/[A-Za-z0-9._~%/-]*)?")

# Query values are short texts; anything longer is not a request a page made.
MAX_QUERY_BYTES = 4096

STATUS_TEXT = {
    200: "OK",
    204: "No Content",
    400: "Bad Request",
    404: "Not Found",
    405: "Method Not Allowed",
    500: "Internal Server Error",
    501: "Not Implemented",
    503: "Service Unavailable",
}

STATIC_TYPES = {
    ".mjs": "text/javascript; charset=utf-8",
    ".js": "text/javascript; charset=utf-8",
    ".map": "application/json; charset=utf-8",
    ".css": "text/css; charset=utf-8",
    ".json": "application/json; charset=utf-8",
    ".wasm": "application/wasm",
}


class HttpError(Exception):
    """A request that ends in an error page with this status and message."""

    def __init__(self, status: int, message: str) -> None:
        super().__init__(message)
        self.status = status
        self.message = message


class Response:
    """Status, headers and body of one answer."""

    def __init__(
        self, status: int, body: bytes, content_type: str | None, headers: list[tuple[str, str]] | None = None
    ) -> None:
        self.status = status
        self.body = body
        self.headers = [("Content-Type", content_type)] if content_type else []
        self.headers += headers or []


def check_public_base(base: str) -> str:
    """Returns the base without trailing slashes, or raises ValueError.

    Stricter than the module's own check on purpose: the module writes the
    base into attributes unescaped, so only plain URL characters are let in.
    """
    trimmed = base.strip().rstrip("/")
    if not PUBLIC_BASE_PATTERN.fullmatch(trimmed):
        raise ValueError(
            "public base must be an https:// address with a plain host and path "
            "(letters, digits and - . _ ~ % / only)"
        )
    return trimmed


def find_mermaid_dist(directory: str | os.PathLike[str]) -> Path:
    """The folder that holds Mermaid's ES module build.

    Accepts the dist folder itself or the package folder above it
    (node_modules/mermaid), so either can be passed on the command line.
    """
    root = Path(directory).resolve()
    for candidate in (root, root / "dist"):
        if (candidate / MERMAID_ENTRY).is_file():
            return candidate
    raise ValueError(f"no {MERMAID_ENTRY} in {directory} or its dist folder")


def error_page(status: int, message: str, base: str = "") -> bytes:
    """A small self-contained HTML page for an error status, linking back to the pages under base."""
    title = f"{status} {STATUS_TEXT.get(status, 'Error')}"
    root = html.escape(base)
    text = (
        "<!doctype html>\n<html lang=\"en\">\n<head><meta charset=\"utf-8\"/>"
        "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\"/>"
        f"<title>{html.escape(title)}</title>"
        "<style>body{font-family:system-ui,sans-serif;margin:0;background:#f1f5f9;color:#0f172a}"
        "main{max-width:40rem;margin:3rem auto;padding:1.5rem 1.75rem;background:#fff;"
        "border:1px solid #e2e8f0;border-radius:16px}h1{font-size:1.2rem;margin:0 0 .75rem}"
        "p{color:#334155}nav a{margin-right:1rem;color:#4f46e5;font-weight:600;text-decoration:none}</style>"
        "</head>\n<body><main>"
        f"<h1>{html.escape(title)}</h1><p class=\"message\">{html.escape(message)}</p>"
        f"<nav><a href=\"{root}/?layer=context\">Diagrams</a><a href=\"{root}/flows\">Flows</a>"
        f"<a href=\"{root}/adrs\">ADRs</a></nav></main></body>\n</html>\n"
    )
    return text.encode("utf-8")


def decode_path(environ: Environ) -> str:
    """PATH_INFO as text: WSGI hands it over as Latin-1 of the raw bytes."""
    raw = environ.get("PATH_INFO") or "/"
    try:
        return raw.encode("latin-1").decode("utf-8")
    except UnicodeError:
        raise HttpError(400, "the address is not valid UTF-8") from None


def parse_query(environ: Environ) -> dict[str, str]:
    """The query string as a map; a repeated key or undecodable text is a bad request."""
    query = environ.get("QUERY_STRING") or ""
    if len(query) > MAX_QUERY_BYTES:
        raise HttpError(400, "the query is too long")
    try:
        pairs = urllib.parse.parse_qsl(
            query, keep_blank_values=True, strict_parsing=False, encoding="utf-8", errors="strict"
        )
    except (UnicodeError, ValueError):
        raise HttpError(400, "the query is not valid UTF-8") from None
    values: dict[str, str] = {}
    for key, value in pairs:
        if key in values:
            raise HttpError(400, f"the query key {key} is given more than once")
        if "\x00" in value:
            raise HttpError(400, f"the query key {key} has a NUL character")
        values[key] = value
    return values


def is_all_layers(mode: str) -> bool:
    """Whether the module draws this mode text as the all-layers view."""
    return mode.strip().lower() in ALL_LAYERS_MODES


def module_error(error: ValueError) -> HttpError:
    """Maps the module's ValueError texts to statuses: an unknown id is 404, the rest 400."""
    text = str(error)
    if text.startswith("not found: "):
        return HttpError(404, text)
    return HttpError(400, text)


class WebApp:
    """The WSGI application. The module must be initialised before it serves.

    public_base: an https address for absolute links, or None for relative ones.
    mermaid_dir: a folder with Mermaid's dist files to serve under /static/mermaid/;
    the process's BORVANE_C4_MERMAID_URL is pointed at it, since the module reads
    that variable whenever it builds a page.
    """

    def __init__(self, public_base: str | None = None, mermaid_dir: str | os.PathLike[str] | None = None) -> None:
        self.public_base = check_public_base(public_base) if public_base is not None else None
        # Placeholder for the pages that need an https base; stripped again
        # after rendering so their links become relative.
        self.placeholder = f"https://{secrets.token_hex(12)}.borvane-c4.invalid"
        self.mermaid_dist: Path | None = None
        if mermaid_dir is not None:
            self.mermaid_dist = find_mermaid_dist(mermaid_dir)
            os.environ[MERMAID_URL_VARIABLE] = self.mermaid_url()

    def mermaid_url(self) -> str:
        """Address of the local Mermaid module as the pages must import it."""
        prefix = urllib.parse.urlsplit(self.public_base).path.rstrip("/") if self.public_base else ""
        return prefix + MERMAID_PREFIX + MERMAID_ENTRY

    # -- WSGI ---------------------------------------------------------------

    def __call__(self, environ: Environ, start_response: StartResponse) -> Iterable[bytes]:
        method = environ.get("REQUEST_METHOD", "GET")
        try:
            if method not in ("GET", "HEAD"):
                raise HttpError(405, f"method {method} is not allowed; use GET or HEAD")
            response = self.route(decode_path(environ), environ)
        except HttpError as error:
            response = self.error_response(error.status, error.message)
        except RuntimeError as error:
            # The module raises it before init; the server sets that up first.
            self.log_fault(environ)
            response = self.error_response(503, f"the workspace is not ready: {error}")
        except (Exception, _native.PanicException):  # noqa: BLE001 - every fault becomes a page, never a trace
            self.log_fault(environ)
            response = self.error_response(500, "the page could not be built")
        headers = [*response.headers, ("Content-Length", str(len(response.body)))]
        if response.status == 405:
            headers.append(("Allow", "GET, HEAD"))
        start_response(f"{response.status} {STATUS_TEXT.get(response.status, 'Error')}", headers)
        return [b""] if method == "HEAD" else [response.body]

    def route(self, path: str, environ: Environ) -> Response:
        """Chooses the page for a path."""
        if path == "/":
            return self.page(self.view_page(parse_query(environ)))
        if path == "/flows":
            return self.page(self.linked_page(_native.render_flows_html))
        if path.startswith("/flows/"):
            return self.page(self.linked_page(_native.render_flow_html, path[len("/flows/"):]))
        if path == "/adrs":
            return self.page(self.linked_page(_native.render_adrs_html))
        if path.startswith("/adrs/"):
            return self.page(self.linked_page(_native.render_adr_html, path[len("/adrs/"):]))
        if path == "/wasm" or path.startswith("/wasm/"):
            raise HttpError(404, "no WASM viewer is served here; use the Mermaid renderer")
        if path.startswith(MERMAID_PREFIX):
            return self.mermaid_file(path[len(MERMAID_PREFIX):])
        if path == "/favicon.ico":
            return Response(204, b"", None)
        raise HttpError(404, f"no page at {path}")

    # -- pages --------------------------------------------------------------

    def view_page(self, query: dict[str, str]) -> str:
        """The view page; the all-layers view is focused by `focus` (or `parent`)."""
        layer = query.get("layer") or DEFAULT_LAYER
        mode = query.get("mode") or "layer"
        renderer = query.get("renderer") or DEFAULT_RENDERER
        parent = query.get("parent") or None
        if is_all_layers(mode):
            parent = query.get("focus") or parent
        try:
            return _native.render_view_html(layer, parent, self.public_base or "", mode, renderer)
        except ValueError as error:
            raise module_error(error) from None
        except NotImplementedError:
            raise HttpError(501, f"this view ({self.describe_view(layer, mode)}) cannot be drawn yet") from None

    def linked_page(self, render: Callable[..., str], *ids: str) -> str:
        """A decision or flow page, with relative links unless a public base is set."""
        base = self.public_base or self.placeholder
        try:
            page = render(*ids, base)
        except ValueError as error:
            raise module_error(error) from None
        except NotImplementedError:
            raise HttpError(501, "this page cannot be built yet") from None
        return page if self.public_base else page.replace(self.placeholder, "")

    @staticmethod
    def describe_view(layer: str, mode: str) -> str:
        """A short name of the requested view for error texts."""
        return "all layers" if is_all_layers(mode) else f"layer {layer}"

    @staticmethod
    def page(text: str) -> Response:
        """A rendered page; never cached, since the model changes under it."""
        return Response(
            200,
            text.encode("utf-8"),
            "text/html; charset=utf-8",
            [("Cache-Control", "no-store"), ("X-Content-Type-Options", "nosniff"), ("Referrer-Policy", "no-referrer")],
        )

    def error_response(self, status: int, message: str) -> Response:
        return Response(
            status,
            error_page(status, message, self.public_base or ""),
            "text/html; charset=utf-8",
            [("Cache-Control", "no-store"), ("X-Content-Type-Options", "nosniff")],
        )

    # -- static files -------------------------------------------------------

    def mermaid_file(self, relative: str) -> Response:
        """A file of the local Mermaid copy; nothing outside its folder is reachable."""
        if self.mermaid_dist is None:
            raise HttpError(404, "no local Mermaid copy is configured")
        parts = relative.split("/")
        if not relative or any(p in ("", ".", "..") or "\\" in p or "\x00" in p for p in parts):
            raise HttpError(404, f"no file {relative}")
        target = (self.mermaid_dist / Path(*parts)).resolve()
        if not target.is_relative_to(self.mermaid_dist) or not target.is_file():
            raise HttpError(404, f"no file {relative}")
        content_type = STATIC_TYPES.get(target.suffix) or mimetypes.guess_type(target.name)[0] or "application/octet-stream"
        return Response(
            200,
            target.read_bytes(),
            content_type,
            [("Cache-Control", "public, max-age=3600"), ("X-Content-Type-Options", "nosniff")],
        )

    @staticmethod
    def log_fault(environ: Environ) -> None:
        """Writes the trace to the server's error stream, not to the client."""
        stream = environ.get("wsgi.errors") or sys.stderr
        stream.write(traceback.format_exc())
        stream.flush()


# -- server -------------------------------------------------------------------


class ThreadingWSGIServer(socketserver.ThreadingMixIn, WSGIServer):
    """wsgiref's server with a thread per request; threads never hold up exit."""

    daemon_threads = True
    allow_reuse_address = True


class QuietHandler(WSGIRequestHandler):
    """Logs requests unless the server was asked to be quiet."""

    quiet = False

    def log_message(self, format: str, *args: Any) -> None:  # noqa: A002 - wsgiref's name
        if not self.quiet:
            super().log_message(format, *args)


def make_web_server(app: WebApp, host: str = "127.0.0.1", port: int = 8000, quiet: bool = False) -> WSGIServer:
    """A bound server for the application; port 0 picks a free one."""
    handler = type("Handler", (QuietHandler,), {"quiet": quiet})
    return make_server(host, port, app, server_class=ThreadingWSGIServer, handler_class=handler)


def server_address(server: WSGIServer) -> str:
    """The http address a browser on this machine opens."""
    host, port = server.server_address[:2]
    shown = f"[{host}]" if ":" in str(host) else str(host)
    return f"http://{shown}:{port}/"


def stop_on_terminate(_signum: int, _frame: Any) -> None:
    """SIGTERM ends serving like Ctrl-C, so the caller's clean-up still runs."""
    raise KeyboardInterrupt


def serve(app: WebApp, host: str = "127.0.0.1", port: int = 8000, quiet: bool = False) -> None:
    """Serves until interrupted (Ctrl-C or SIGTERM), printing the address first.

    Binding errors (a port in use) come out as OSError before anything is printed.
    """
    with make_web_server(app, host, port, quiet) as server:
        if threading.current_thread() is threading.main_thread():
            signal.signal(signal.SIGTERM, stop_on_terminate)
        print(f"serving on {server_address(server)}", flush=True)
        try:
            server.serve_forever(poll_interval=0.25)
        except KeyboardInterrupt:
            pass
