// The core for the extension host: the Node build of the WebAssembly module, started once and
// shared by every editor. Files are read in place through positioned reads, never whole.
import fs from 'node:fs';
import path from 'node:path';
import { nodeFileReader, startQuelvane } from '../../bridge/quelvane.mjs';

// eslint-disable-next-line @typescript-eslint/no-explicit-any
export type Core = any;
// eslint-disable-next-line @typescript-eslint/no-explicit-any
export type CoreSave = any;

export interface Pair {
  ebcdic: number;
  pc: number;
  byCcsid: boolean;
}

const started = new Map<string, Promise<Core>>();

// The module in `folder` (quelvane-node.js and its .wasm): Node's fetch cannot load the .wasm by
// path, so its bytes are handed over. `compiled` (the host's core.wasmModule, handed to a job's
// worker thread) is instantiated without compiling the module again.
export function startCore(folder: string, compiled?: WebAssembly.Module): Promise<Core> {
  let core = started.get(folder);
  if (!core) {
    const factory = require(path.join(folder, 'quelvane-node.js'));
    const wasm = path.join(folder, 'quelvane-node.wasm');
    core = startQuelvane(factory, compiled ? { wasmModule: compiled } : { wasmBinary: fs.readFileSync(wasm), wasmKey: wasm });
    started.set(folder, core);
  }
  return core;
}

// Opens the save file at `file` by `pair` (or the pair its texts suggest): a save, or the
// answer saying why not. The reader is closed with the save.
export function openSave(core: Core, file: string, pair: Pair | { suggest: true; byCcsid: boolean }): CoreSave {
  const reader = nodeFileReader(fs, file);
  const opened = core.open(reader, { ...pair, name: path.basename(file) });
  if (typeof opened.tree !== 'function') {
    reader.close();
    return opened;
  }
  const close = opened.close.bind(opened);
  opened.close = () => {
    close();
    reader.close();
  };
  return opened;
}

export function isSave(opened: CoreSave): boolean {
  return typeof opened.tree === 'function';
}
