import mermaid from "{{mermaid_url}}";

{{board}}
// ---- Mermaid stage: the drawing is an svg inside the transformed board world ----

// Room left around the drawing's bounding box inside its own svg.
const SVG_MARGIN = 12;
// Room between the fitted drawing and the stage's edges.
const FIT_PADDING = 24;
const MIN_FIT_AREA = 200;

const CODE_THEME = {{code_theme}};
const DIAGRAM_THEME_VARIABLES = {
  darkMode: false,
  background: '#f8fafc',
  primaryColor: '#1168BD',
  primaryTextColor: '#ffffff',
  primaryBorderColor: '#0B4884',
  secondaryColor: '#23A2D9',
  secondaryTextColor: '#ffffff',
  tertiaryColor: '#e2e8f0',
  tertiaryTextColor: '#334155',
  lineColor: '#94a3b8',
  textColor: '#334155',
  fontSize: '15px'
};
const CODE_THEME_VARIABLES = {
  darkMode: false,
  background: '#f8fafc',
  primaryColor: '#eef2ff',
  primaryTextColor: '#1e1b4b',
  primaryBorderColor: '#4f46e5',
  secondaryColor: '#ecfdf5',
  secondaryTextColor: '#065f46',
  tertiaryColor: '#f8fafc',
  tertiaryTextColor: '#334155',
  lineColor: '#64748b',
  textColor: '#0f172a',
  mainBkg: '#eef2ff',
  classText: '#1e1b4b',
  noteBkgColor: '#fffbeb',
  noteTextColor: '#78350f',
  noteBorderColor: '#d97706',
  fontSize: '16px',
  fontFamily: 'ui-sans-serif, system-ui, sans-serif'
};

const stage = document.querySelector("main.stage");
const world = document.getElementById("board-world");
const drawing = { width: 1, height: 1 };

// Gives the svg a box that hugs the drawing and a fixed pixel size, so that
// the board's transform alone decides how large it appears.
function normaliseSvg(svg) {
  const box = svg.getBBox();
  const w = Math.max(box.width + 2 * SVG_MARGIN, 1);
  const h = Math.max(box.height + 2 * SVG_MARGIN, 1);
  svg.setAttribute("viewBox", `${box.x - SVG_MARGIN} ${box.y - SVG_MARGIN} ${w} ${h}`);
  svg.removeAttribute("style");
  svg.setAttribute("width", String(w));
  svg.setAttribute("height", String(h));
  svg.setAttribute("style", `width:${w}px;height:${h}px;max-width:none;display:block`);
  drawing.width = w;
  drawing.height = h;
}

function fitDrawing(camera) {
  const svg = world.querySelector("svg");
  if (!svg) return false;
  world.style.transform = "none";
  normaliseSvg(svg);
  const sw = Math.max(stage.clientWidth - 2 * FIT_PADDING, MIN_FIT_AREA);
  const sh = Math.max(stage.clientHeight - 2 * FIT_PADDING, MIN_FIT_AREA);
  camera.fitScale = fitScaleFor(sw / Math.max(drawing.width, 1), sh / Math.max(drawing.height, 1));
  camera.scale = camera.fitScale;
  camera.tx = (stage.clientWidth - drawing.width * camera.scale) / 2;
  const drawn = drawing.height * camera.scale;
  camera.ty = drawn <= stage.clientHeight ? (stage.clientHeight - drawn) / 2 : FIT_PADDING;
  return true;
}

function applyCamera() {
  const { scale, tx, ty } = board.camera;
  world.style.transform = `translate(${tx}px, ${ty}px) scale(${scale})`;
  board.updateFitLabel();
}

// 'strict' keeps Mermaid's label sanitising on and ignores click callbacks:
// element names are user text and must not run script in this page.
mermaid.initialize({
  startOnLoad: false,
  securityLevel: 'strict',
  theme: 'base',
  themeVariables: CODE_THEME ? CODE_THEME_VARIABLES : DIAGRAM_THEME_VARIABLES
});
try {
  await mermaid.run({ querySelector: ".mermaid" });
} catch (err) {
  // Mermaid draws its own error message in place of the diagram.
  console.error("borvane-c4 mermaid render failed", err);
}

const board = createBoard(stage, { fit: fitDrawing, draw: applyCamera });
board.fit();
board.watchResize();
console.info("borvane-c4 mermaid fit", {
  mode: "ResizeObserver contain",
  scale: board.camera.scale,
  width: drawing.width,
  height: drawing.height
});
