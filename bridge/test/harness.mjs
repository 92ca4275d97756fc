// What the bridge's tests under Node share: their command-line options and the module they load.
import fs from 'node:fs';
import { createRequire } from 'node:module';
import path from 'node:path';
import { fileURLToPath } from 'node:url';

const here = path.dirname(fileURLToPath(import.meta.url));
export const bridge = await import(path.join(here, '..', 'quelvane.mjs'));

// The value after --NAME on the test's command line, or ''.
export function option(name) {
  const at = process.argv.indexOf(`--${name}`);
  return at >= 0 && at + 1 < process.argv.length ? process.argv[at + 1] : '';
}

// The module named by --module, started. Node's fetch cannot load the .wasm by path: the bytes
// are handed over, compiled once per process by their path.
export function startModule() {
  const module = path.resolve(option('module'));
  const wasm = module.replace(/\.js$/, '.wasm');
  return bridge.startQuelvane(createRequire(import.meta.url)(module), {
    wasmBinary: fs.readFileSync(wasm), wasmKey: wasm,
  });
}
