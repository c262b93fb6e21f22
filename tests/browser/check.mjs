// Opens served pages in headless Chromium and reports what a person would see.
//
// Usage: node check.mjs CONFIG.json
// CONFIG: {"base": "http://127.0.0.1:PORT", "outDir": "...", "chromium": "/usr/bin/chromium",
//          "userDataDir": "...", "hostile": false,
//          "pages": [{"name": "...", "path": "/...", "kind": "mermaid-view" | "wasm-view" | "flow" | "plain",
//                     "viewport": {"width": 390, "height": 844}, "zoom": true}]}
// Output: one JSON object on standard output, {"pages": [...], "alarms": [...]}, one entry per
// page with its status, console errors, failed responses, a screenshot path and what the
// page's kind lets us look at. The caller decides what is right; this script only fails
// (exit 2) when the browser cannot be driven at all.
import { readFileSync, mkdirSync } from 'node:fs';
import path from 'node:path';
import { chromium } from 'playwright-core';

const config = JSON.parse(readFileSync(process.argv[2], 'utf8'));
const WAIT = 30000;
const SHORT = 5000;
const WIDE = { width: 1280, height: 800 };

// Anything a hostile text manages to run ends up here: alert and friends are
// replaced, and the flag that every payload sets reports itself when set.
const alarms = [];
const GUARD = `(() => {
  const report = (what) => { try { window.__borvaneAlarm(what + ' at ' + location.href); } catch (e) {} };
  for (const name of ['alert', 'confirm', 'prompt', 'print']) {
    window[name] = (m) => { report(name + '(' + String(m) + ')'); };
  }
  Object.defineProperty(window, '__pwned', {
    configurable: false,
    get() { return undefined; },
    set(v) { report('__pwned=' + String(v)); },
  });
})();`;

function scanSource() {
  // Runs in the page: markup that a payload could only have produced by escaping.
  const found = [];
  for (const el of document.querySelectorAll('*')) {
    for (const attr of el.getAttributeNames()) {
      const value = el.getAttribute(attr) || '';
      if (/^on/i.test(attr)) found.push(`${el.tagName.toLowerCase()}[${attr}]`);
      if (/^\s*(javascript|data|vbscript):/i.test(value) && ['href', 'src', 'xlink:href', 'action', 'formaction'].includes(attr)) {
        found.push(`${el.tagName.toLowerCase()}[${attr}=${value.slice(0, 60)}]`);
      }
    }
    const tag = el.tagName.toLowerCase();
    if (['iframe', 'object', 'embed', 'img', 'base', 'form'].includes(tag)) found.push(tag);
    // Data blocks (the embedded scene JSON) are never run; any other script is.
    const data = tag === 'script' && (el.getAttribute('type') || '').toLowerCase() === 'application/json';
    if (tag === 'script' && !data && /__pwned|alert\(/.test(el.textContent || '')) found.push('script with payload');
    if (data && el.id !== 'c4-scene') found.push('extra data block');
  }
  return found;
}

async function mermaidView(page, entry) {
  const out = {};
  await page.waitForSelector('#board-world svg', { timeout: WAIT });
  out.svgDrawn = true;
  // Mermaid draws its own "syntax error" picture when it cannot parse: that is no diagram.
  out.diagram = await page.evaluate(() => document.querySelector('#board-world svg').getAttribute('aria-roledescription'));
  const state = () => page.evaluate(() => ({
    transform: document.getElementById('board-world').style.transform,
    label: document.querySelector('[data-zoom="reset"]').textContent.trim(),
  }));
  // The first fit may still be settling: wait until the label reads Fit.
  await page.waitForFunction(() => document.querySelector('[data-zoom="reset"]').textContent.trim() === 'Fit',
    null, { timeout: SHORT }).catch(() => {});
  out.before = await state();
  if (entry.zoom) {
    await page.click('[data-zoom="+"]');
    await page.waitForFunction((t) => document.getElementById('board-world').style.transform !== t,
      out.before.transform, { timeout: SHORT }).catch(() => {});
    out.zoomedIn = await state();
    await page.click('[data-zoom="-"]');
    await page.click('[data-zoom="-"]');
    await page.waitForFunction((t) => document.getElementById('board-world').style.transform !== t,
      out.zoomedIn.transform, { timeout: SHORT }).catch(() => {});
    out.zoomedOut = await state();
    await page.click('[data-zoom="reset"]');
    await page.waitForFunction(() => document.querySelector('[data-zoom="reset"]').textContent.trim() === 'Fit',
      null, { timeout: SHORT }).catch(() => {});
    out.reset = await state();
  }
  return out;
}

async function wasmView(page) {
  const out = {};
  await page.waitForFunction(() => {
    const box = document.getElementById('c4-boot-status');
    return box && /^WASM (render )?failed/.test(box.textContent);
  }, null, { timeout: WAIT }).catch(() => {});
  Object.assign(out, await page.evaluate(() => {
    const box = document.getElementById('c4-boot-status');
    const link = document.querySelector('a.fallback-link');
    return {
      bootStatus: box ? box.textContent : null,
      statusClass: box ? box.className : null,
      statusVisible: box ? box.offsetParent !== null || getComputedStyle(box).display !== 'none' : false,
      fallbackHref: link ? link.getAttribute('href') : null,
      fallbackText: link ? link.textContent : null,
      fallbackVisible: link ? link.getBoundingClientRect().width > 0 : false,
    };
  }));
  return out;
}

async function flowPage(page) {
  await page.waitForSelector('pre.mermaid svg, #flow-render-error:not([hidden])', { timeout: WAIT });
  return page.evaluate(() => {
    const error = document.getElementById('flow-render-error');
    return {
      svgDrawn: document.querySelector('pre.mermaid svg') !== null,
      diagram: document.querySelector('pre.mermaid svg')?.getAttribute('aria-roledescription') ?? null,
      renderError: error && !error.hidden ? error.textContent : null,
    };
  });
}

// Hover, focus and click what a person would, so that handlers a payload
// smuggled in get their chance to run.
async function poke(page, base) {
  const targets = await page.$$('a, button, summary, svg g, svg text, code, td, li');
  for (const el of targets.slice(0, 80)) {
    await el.hover({ timeout: 1000, force: true }).catch(() => {});
  }
  for (let i = 0; i < 20; i++) await page.keyboard.press('Tab').catch(() => {});
  const clickable = await page.$$('svg g.node, svg .actor, svg g[id], summary');
  for (const el of clickable.slice(0, 20)) {
    await el.click({ timeout: 1000, force: true, noWaitAfter: true }).catch(() => {});
    if (!page.url().startsWith(base)) await page.goBack({ timeout: WAIT }).catch(() => {});
  }
}

async function panels(page) {
  return page.evaluate(() => Object.fromEntries(['c4-legend', 'c4-drills', 'c4-sources', 'c4-drill-up']
    .map((id) => [id, document.getElementById(id) ? document.getElementById(id).open : null])));
}

async function checkPage(context, entry) {
  const page = await context.newPage();
  const result = { name: entry.name, path: entry.path, kind: entry.kind, consoleErrors: [], pageErrors: [],
    badResponses: [], dialogs: [] };
  page.on('console', (msg) => { if (msg.type() === 'error') result.consoleErrors.push(msg.text()); });
  page.on('pageerror', (err) => result.pageErrors.push(String(err && err.message ? err.message : err)));
  page.on('response', (r) => { if (r.status() >= 400) result.badResponses.push(`${r.status()} ${r.url()}`); });
  page.on('requestfailed', (r) => result.badResponses.push(`failed ${r.url()} ${r.failure() && r.failure().errorText}`));
  page.on('dialog', (d) => { result.dialogs.push(d.message()); d.dismiss().catch(() => {}); });
  page.on('popup', (p) => { result.dialogs.push(`popup ${p.url()}`); p.close().catch(() => {}); });
  await page.setViewportSize(entry.viewport || WIDE);
  try {
    const response = await page.goto(config.base + entry.path, { waitUntil: 'load', timeout: WAIT });
    result.status = response ? response.status() : null;
    result.title = await page.title();
    if (entry.kind === 'mermaid-view') Object.assign(result, await mermaidView(page, entry));
    if (entry.kind === 'wasm-view') Object.assign(result, await wasmView(page));
    if (entry.kind === 'flow') Object.assign(result, await flowPage(page));
    await page.waitForLoadState('networkidle', { timeout: SHORT }).catch(() => {});
    if (entry.kind.endsWith('-view')) result.panels = await panels(page);
    result.screenshot = path.join(config.outDir, `${entry.name}.png`);
    await page.screenshot({ path: result.screenshot, timeout: WAIT });
    if (config.hostile) {
      result.suspicious = await page.evaluate(scanSource);
      await poke(page, config.base);
    }
  } catch (err) {
    result.failure = String(err && err.message ? err.message : err).split('\n')[0];
    await page.screenshot({ path: path.join(config.outDir, `${entry.name}-failed.png`) }).catch(() => {});
  }
  await page.close();
  return result;
}

async function main() {
  mkdirSync(config.outDir, { recursive: true });
  const context = await chromium.launchPersistentContext(config.userDataDir, {
    executablePath: config.chromium,
    headless: true,
    viewport: WIDE,
    timeout: WAIT,
    args: ['--no-sandbox', '--disable-gpu', '--disable-background-networking', '--disable-component-update',
      '--disable-sync', '--no-first-run', '--disable-dev-shm-usage'],
  });
  try {
    context.setDefaultTimeout(WAIT);
    await context.exposeBinding('__borvaneAlarm', (_source, what) => { alarms.push(String(what)); });
    await context.addInitScript(GUARD);
    const pages = [];
    for (const entry of config.pages) pages.push(await checkPage(context, entry));
    process.stdout.write(JSON.stringify({ pages, alarms }));
  } finally {
    await context.close();
  }
}

main().catch((err) => {
  process.stderr.write(`check.mjs: ${err && err.stack ? err.stack : err}\n`);
  process.exit(2);
});
