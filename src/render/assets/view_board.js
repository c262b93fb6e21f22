// ---- board: the pan, zoom and pinch camera both stages share ----

// Zoom stays between these multiples of the fit scale.
const ZOOM_MIN_OF_FIT = 0.15;
const ZOOM_MAX_OF_FIT = 8;
// One wheel notch zooms out (scrolling down) or in by these factors.
const WHEEL_OUT = 0.9;
const WHEEL_IN = 1.1;
// One press of "+" or "-".
const BUTTON_STEP = 1.2;
// Two pointers closer than this cannot give a stable pinch ratio.
const PINCH_MIN_DISTANCE = 8;
// A press that travels less than this (|dx| + |dy|, summed) is a click.
const TAP_MAX_TRAVEL = 6;
// A huge drawing still fits at a scale that shows something.
const FIT_SCALE_FLOOR = 0.05;
const NARROW_QUERY = "(max-width: 720px)";

// A narrow screen shows the whole drawing; a wide one fits its width first
// and lets a tall drawing run below the fold.
function fitScaleFor(sx, sy) {
  const narrow = window.matchMedia(NARROW_QUERY).matches;
  return Math.max(narrow ? Math.min(sx, sy) : sx, FIT_SCALE_FLOOR);
}

// The camera over `stage`. Hooks:
//   fit(camera)   sets scale, tx, ty and fitScale; returns false when there
//                 is nothing to fit yet
//   draw()        shows the camera (may wait for the next frame)
//   drawNow()     shows the camera at once (defaults to draw)
//   hover(x, y), clearHover(), tap(x, y)   optional, in stage pixels
function createBoard(stage, hooks, start) {
  const camera = { scale: 1, tx: 0, ty: 0, fitScale: 1, userZoomed: false, ...start };
  const resetButton = document.querySelector('.board-toolbar [data-zoom="reset"]');
  const pointers = new Map();
  let drag = null;   // last position of the one dragging pointer
  let pinch = null;  // distance and scale when the pinch began
  let press = null;  // where the gesture began, how far it moved, whether it pinched
  const drawNow = hooks.drawNow || hooks.draw;

  function updateFitLabel() {
    if (!resetButton) return;
    const atFit = !camera.userZoomed || Math.abs(camera.scale - camera.fitScale) < 0.01;
    resetButton.textContent = atFit ? "Fit" : Math.round((camera.scale / camera.fitScale) * 100) + "%";
  }

  function fit() {
    if (hooks.fit(camera) !== false) camera.userZoomed = false;
    drawNow();
  }

  function zoomAt(x, y, next) {
    const lo = ZOOM_MIN_OF_FIT * camera.fitScale;
    const hi = ZOOM_MAX_OF_FIT * camera.fitScale;
    const scale = Math.min(Math.max(next, lo), hi);
    const k = scale / camera.scale;
    camera.tx = x - (x - camera.tx) * k;
    camera.ty = y - (y - camera.ty) * k;
    camera.scale = scale;
    camera.userZoomed = true;
    hooks.draw();
  }

  function stagePoint(event) {
    const rect = stage.getBoundingClientRect();
    return { x: event.clientX - rect.left, y: event.clientY - rect.top };
  }

  function pinchGeometry() {
    const [a, b] = [...pointers.values()];
    return { distance: Math.hypot(a.x - b.x, a.y - b.y), x: (a.x + b.x) / 2, y: (a.y + b.y) / 2 };
  }

  function startPinch() {
    const g = pinchGeometry();
    if (g.distance <= PINCH_MIN_DISTANCE) return;
    pinch = { distance: g.distance, scale: camera.scale };
    if (press) press.pinched = true;
  }

  function clearHover() {
    if (hooks.clearHover) hooks.clearHover();
  }

  function onPointerDown(event) {
    if (event.pointerType === "mouse" && event.button !== 0) return;
    // The toolbar's own buttons and links keep their clicks.
    if (event.target.closest && event.target.closest(".board-toolbar")) return;
    stage.setPointerCapture(event.pointerId);
    const p = stagePoint(event);
    pointers.set(event.pointerId, p);
    if (pointers.size === 1) {
      press = { x: p.x, y: p.y, travel: 0, pinched: false };
      drag = p;
      stage.classList.add("grabbing");
      return;
    }
    drag = null;
    startPinch();
  }

  function onPointerMove(event) {
    const p = stagePoint(event);
    if (!pointers.has(event.pointerId)) {
      if (event.pointerType === "mouse" && event.buttons === 0 && !drag && hooks.hover) hooks.hover(p.x, p.y);
      return;
    }
    pointers.set(event.pointerId, p);
    if (pointers.size >= 2) {
      if (!pinch) return startPinch();
      const g = pinchGeometry();
      if (g.distance > PINCH_MIN_DISTANCE) zoomAt(g.x, g.y, (pinch.scale * g.distance) / pinch.distance);
      return;
    }
    if (!drag) return;
    const dx = p.x - drag.x;
    const dy = p.y - drag.y;
    drag = p;
    camera.tx += dx;
    camera.ty += dy;
    if (press) press.travel += Math.abs(dx) + Math.abs(dy);
    clearHover();
    hooks.draw();
  }

  function onPointerEnd(event) {
    if (!pointers.has(event.pointerId)) return;
    pointers.delete(event.pointerId);
    if (stage.hasPointerCapture(event.pointerId)) stage.releasePointerCapture(event.pointerId);
    if (pointers.size === 0) {
      const tapped = event.type === "pointerup" && press && !press.pinched && press.travel < TAP_MAX_TRAVEL;
      const at = press;
      stage.classList.remove("grabbing");
      drag = null;
      pinch = null;
      press = null;
      if (tapped && hooks.tap) hooks.tap(at.x, at.y);
      return;
    }
    pinch = null;
    // The pointer left over from a pinch carries on as a drag.
    if (pointers.size === 1) drag = [...pointers.values()][0];
    else startPinch();
  }

  function onWheel(event) {
    event.preventDefault();
    const p = stagePoint(event);
    zoomAt(p.x, p.y, camera.scale * (event.deltaY > 0 ? WHEEL_OUT : WHEEL_IN));
  }

  function onButton(event) {
    const action = event.currentTarget.dataset.zoom;
    const cx = stage.clientWidth / 2;
    const cy = stage.clientHeight / 2;
    if (action === "+") zoomAt(cx, cy, camera.scale * BUTTON_STEP);
    else if (action === "-") zoomAt(cx, cy, camera.scale / BUTTON_STEP);
    else if (action === "reset") fit();
  }

  stage.addEventListener("pointerdown", onPointerDown);
  stage.addEventListener("pointermove", onPointerMove);
  stage.addEventListener("pointerup", onPointerEnd);
  stage.addEventListener("pointercancel", onPointerEnd);
  stage.addEventListener("pointerleave", clearHover);
  stage.addEventListener("wheel", onWheel, { passive: false });
  document.querySelectorAll(".board-toolbar [data-zoom]").forEach((button) => {
    button.addEventListener("click", onButton);
  });

  // Fits again on every size change until the user zooms; then only redraws.
  function watchResize() {
    new ResizeObserver(() => (camera.userZoomed ? hooks.draw() : fit())).observe(stage);
  }

  return { camera, fit, updateFitLabel, watchResize };
}
