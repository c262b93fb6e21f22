{{board}}
// ---- WASM stage: the viewer module draws the scene JSON on the canvas ----

const BACKEND_WISH = {{backend_wish}};
// Changes whenever the viewer's interface changes, so no stale copy is used.
const CACHE_BUST = "v=20260718hover3";
const VIEWER_MODULE = "/wasm/borvane_c4_wasm.js?" + CACHE_BUST;
const VIEWER_WASM = "/wasm/borvane_c4_wasm_bg.wasm?" + CACHE_BUST;
const CANVAS_ID = "c4-canvas";
// Room between the fitted scene and the stage's edges.
const FIT_PADDING = 16;
const MIN_STAGE_WIDTH = 280;
const MIN_STAGE_HEIGHT = 200;
// The top bar's height, for a stage that reports no size yet.
const TOP_BAR_HEIGHT = 56;
// How near (in screen pixels) the cursor must come to an edge to hover it.
const EDGE_HIT_PIXELS = 12;

const stage = document.querySelector("main.stage");
const statusBox = document.getElementById("c4-boot-status");

function status(text, isError) {
  if (!statusBox) return;
  statusBox.textContent = text;
  statusBox.classList.toggle("error", Boolean(isError));
  statusBox.hidden = text === "";
}

function readScene() {
  const text = document.getElementById("c4-scene")?.textContent ?? "";
  if (!text.trimStart().startsWith("{")) throw new Error("scene JSON missing or still HTML-escaped");
  return { text, scene: JSON.parse(text) };
}

// The last non-group node whose box holds the scene point, borders included:
// later nodes are drawn on top.
function nodeAt(scene, x, y) {
  const nodes = Array.isArray(scene.nodes) ? scene.nodes : [];
  for (let i = nodes.length - 1; i >= 0; i--) {
    const n = nodes[i];
    if (!n.group && x >= n.x && x <= n.x + n.w && y >= n.y && y <= n.y + n.h) return n;
  }
  return null;
}

async function boot() {
  const viewer = await import(VIEWER_MODULE);
  const { render_scene, preferred_backend, hit_test_edge, hit_test_node } = viewer;
  const { text: sceneText, scene } = readScene();
  const sceneWidth = Math.max(Number(scene.width) || 0, 1);
  const sceneHeight = Math.max(Number(scene.height) || 0, 1);

  status("Initializing WASM…");
  await viewer.default({ module_or_path: VIEWER_WASM });
  const preferred = preferred_backend();
  const backend = BACKEND_WISH === "auto" ? (preferred === "webgpu" ? "webgpu" : "canvas2d") : BACKEND_WISH;

  let hovered = { edge: "", node: "" };
  let frame = 0;

  function drawNow() {
    if (frame) cancelAnimationFrame(frame);
    frame = 0;
    const { scale, tx, ty } = board.camera;
    try {
      render_scene(CANVAS_ID, sceneText, backend, scale, tx, ty, hovered.edge, hovered.node);
      status("");
    } catch (err) {
      console.error("borvane-c4-wasm render_scene failed", err);
      status("WASM render failed: " + err, true);
    }
    board.updateFitLabel();
  }

  function draw() {
    if (!frame) frame = requestAnimationFrame(drawNow);
  }

  function fitScene(camera) {
    const sw = Math.max(stage.clientWidth || window.innerWidth, MIN_STAGE_WIDTH);
    const sh = Math.max(stage.clientHeight || window.innerHeight - TOP_BAR_HEIGHT, MIN_STAGE_HEIGHT);
    camera.fitScale = fitScaleFor((sw - 2 * FIT_PADDING) / sceneWidth, (sh - 2 * FIT_PADDING) / sceneHeight);
    camera.scale = camera.fitScale;
    camera.tx = (sw - sceneWidth * camera.scale) / 2;
    const drawn = sceneHeight * camera.scale;
    camera.ty = drawn <= sh ? (sh - drawn) / 2 : FIT_PADDING;
    return true;
  }

  function toScene(px, py) {
    const { scale, tx, ty } = board.camera;
    return { x: (px - tx) / scale, y: (py - ty) / scale };
  }

  function setHover(edge, node) {
    if (edge === hovered.edge && node === hovered.node) return;
    hovered = { edge, node };
    stage.style.cursor = edge || node ? "pointer" : "";
    draw();
  }

  // An edge (or its note) wins over the node below it.
  function hover(px, py) {
    const p = toScene(px, py);
    const tolerance = EDGE_HIT_PIXELS / board.camera.scale;
    const edge = typeof hit_test_edge === "function" ? hit_test_edge(sceneText, p.x, p.y, tolerance) || "" : "";
    let node = "";
    if (!edge) {
      node = typeof hit_test_node === "function"
        ? hit_test_node(sceneText, p.x, p.y) || ""
        : nodeAt(scene, p.x, p.y)?.id ?? "";
    }
    setHover(edge, node);
  }

  // Only secure outside addresses open, in a new context that cannot reach
  // back into this page.
  function tap(px, py) {
    const p = toScene(px, py);
    const url = nodeAt(scene, p.x, p.y)?.url;
    if (typeof url === "string" && url.startsWith("https://")) window.open(url, "_blank", "noopener,noreferrer");
  }

  const board = createBoard(
    stage,
    { fit: fitScene, draw, drawNow, hover, clearHover: () => setHover("", ""), tap },
    { scale: 1, tx: 40, ty: 40 }
  );
  board.fit();
  board.watchResize();
  console.info("borvane-c4 renderer", { preferred, backend, fit: "ResizeObserver contain" });
}

try {
  await boot();
} catch (err) {
  console.error("borvane-c4-wasm boot failed", err);
  status("WASM failed: " + err + " — open Mermaid fallback below.", true);
}
