// Makes quelvane.html: the page's script, its worker (the Emscripten module and the worker's
// script, started from a Blob) and the WebAssembly module inlined as base64, so the page opens
// from disk or any static server and fetches nothing.
//   node build.mjs --module DIR_WITH_quelvane-web.js --out quelvane.html
import { build } from 'esbuild';
import fs from 'node:fs';
import path from 'node:path';
import { fileURLToPath } from 'node:url';

const here = path.dirname(fileURLToPath(import.meta.url));
const option = (name) => process.argv[process.argv.indexOf(`--${name}`) + 1];
const moduleDir = option('module');
const out = option('out');

async function bundle(entry, define) {
  const result = await build({
    entryPoints: [path.join(here, 'src', entry)], bundle: true, format: 'iife', write: false,
    minify: true, target: 'es2020', define,
  });
  return result.outputFiles[0].text;
}

const wasm = fs.readFileSync(path.join(moduleDir, 'quelvane-web.wasm')).toString('base64');
const glue = fs.readFileSync(path.join(moduleDir, 'quelvane-web.js'), 'utf8');
const worker = `${glue}\n${await bundle('worker.ts', { QUELVANE_WASM: JSON.stringify(wasm) })}`;
// Inside the page's one script element no text may close it.
const script = (await bundle('main.ts', { QUELVANE_WORKER: JSON.stringify(worker) })).replaceAll('</', '<\\/');
const page = fs.readFileSync(path.join(here, 'page.html'), 'utf8')
  .replace('/*STYLE*/', () => fs.readFileSync(path.join(here, 'style.css'), 'utf8'))
  .replace('/*SCRIPT*/', () => script);
fs.writeFileSync(out, page);
