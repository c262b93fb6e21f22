// Runs Mermaid's own parser over diagram texts.
//
// Input: a JSON array of diagram texts on standard input, or, when file
// names are given as arguments, the contents of each file.
// Output: a JSON array on standard output with one entry per text, in input
// order: {"ok": true, "type": "<diagram type>"} or {"ok": false, "error": "..."}.
// The exit code is 0 when every text parsed, 1 when one did not, 2 on a
// usage or setup error.
import { readFileSync } from 'node:fs';
import { JSDOM } from 'jsdom';

// Mermaid sanitises with DOMPurify, which needs a window; under Node the
// parser only works once a DOM exists, so install jsdom's before loading it.
const dom = new JSDOM('<!doctype html><html><body></body></html>');
globalThis.window = dom.window;
globalThis.document = dom.window.document;

const { default: mermaid } = await import('mermaid');
mermaid.initialize({ startOnLoad: false, securityLevel: 'strict' });

function readTexts() {
  const files = process.argv.slice(2);
  if (files.length > 0) return files.map((f) => readFileSync(f, 'utf8'));
  const texts = JSON.parse(readFileSync(0, 'utf8'));
  if (!Array.isArray(texts) || texts.some((t) => typeof t !== 'string')) {
    throw new Error('standard input must be a JSON array of strings');
  }
  return texts;
}

async function parseOne(text) {
  try {
    const result = await mermaid.parse(text);
    return { ok: true, type: result.diagramType };
  } catch (e) {
    return { ok: false, error: String(e && e.message ? e.message : e) };
  }
}

let texts;
try {
  texts = readTexts();
} catch (e) {
  process.stderr.write(`parse.mjs: ${e.message}\n`);
  process.exit(2);
}
const results = [];
for (const text of texts) results.push(await parseOne(text));
// Leave through the write callback: exiting at once would cut off a long
// answer still queued for a pipe.
process.stdout.write(JSON.stringify(results) + '\n', () => {
  process.exit(results.every((r) => r.ok) ? 0 : 1);
});
