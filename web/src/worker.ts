// The worker that holds the core: the file is read in place slice by slice, never uploaded. The
// module is compiled once, by the browsing worker; a job's worker is handed it compiled.
import { startQuelvane, fileReader, moduleCompiles } from '../../bridge/quelvane.mjs';
import type { JobAnswer, JobRequest } from './jobprotocol';
import { runJob } from './jobrunner';
import type { NodeAddress, Request } from './protocol';

declare const createQuelvane: (options: object) => Promise<unknown>;
declare const QUELVANE_WASM: string;

function wasmBytes(): Uint8Array {
  const text = atob(QUELVANE_WASM);
  const bytes = new Uint8Array(text.length);
  for (let i = 0; i < text.length; i += 1) bytes[i] = text.charCodeAt(i);
  return bytes;
}

// eslint-disable-next-line @typescript-eslint/no-explicit-any
let started: Promise<any> | null = null;

// The core, started on the first request: from the module `compiled` when handed one.
// eslint-disable-next-line @typescript-eslint/no-explicit-any
function start(compiled?: WebAssembly.Module): Promise<any> {
  started ??= startQuelvane(createQuelvane, compiled ? { wasmModule: compiled } : { wasmBinary: wasmBytes() });
  return started;
}
// eslint-disable-next-line @typescript-eslint/no-explicit-any
type SaveFile = any;
const saves = new Map<number, SaveFile>();
let nextSave = 1;
// The save the requests are about: the one of the tab on display.
let save: SaveFile = null;

// Keeps a save that opened (a SaveFile has a tree) under a number of its own and makes it
// current; an answer saying why not leaves `otherwise` current.
function kept(opened: SaveFile, otherwise: SaveFile): Record<string, unknown> {
  if (typeof opened.tree !== 'function') {
    save = otherwise;
    return opened;
  }
  const number = nextSave++;
  saves.set(number, opened);
  save = opened;
  return { ...opened.opened, tree: opened.tree(), save: number };
}

// The tree of the save held at `node`; the save on display stays the one requests are about.
function peekHeld(node: NodeAddress): Record<string, unknown> {
  const held = save.openHeld(node);
  if (typeof held.tree !== 'function') return held;
  try {
    return { tree: held.tree(), messages: held.opened.messages ?? [] };
  } finally {
    held.close();
  }
}

async function answer(request: Request): Promise<Record<string, unknown>> {
  const quelvane = await start();
  if (request.kind === 'module') return { module: quelvane.wasmModule };
  if (request.kind === 'open') {
    const pages = 'suggest' in request ? { suggest: true } : { ebcdic: request.ebcdic, pc: request.pc };
    const options = { ...pages, byCcsid: request.byCcsid, name: request.file.name };
    return kept(quelvane.open(fileReader(request.file), options), null);
  }
  if (request.kind === 'codePages') return quelvane.codePages();
  if (request.kind === 'use') {
    save = saves.get(request.save) ?? null;
    return {};
  }
  if (request.kind === 'close') {
    const closing = saves.get(request.save);
    saves.delete(request.save);
    if (closing === save) save = null;
    closing?.close();
    return {};
  }
  if (save === null) return { error: 'no save file is open' };
  if (request.kind === 'openHeld') return kept(save.openHeld(request.node), save);
  if (request.kind === 'show') return save.show(request.node);
  if (request.kind === 'bytes') return save.bytes(request.node);
  if (request.kind === 'peekHeld') return peekHeld(request.node);
  if (request.kind === 'more') return save.more(request.slots);
  if (request.kind === 'objects') return save.objects();
  if (request.kind === 'objectText') return save.objectText(request.order);
  if (request.kind === 'check') return save.check();
  return save.rows(request.first, request.count);
}

self.onmessage = async (event: MessageEvent<Request | JobRequest>) => {
  const request = event.data;
  if (request.kind === 'job') {
    const quelvane = await start(request.compiled);
    const post = (message: object, transfer: Transferable[] = []) => self.postMessage(message, { transfer });
    post({ id: request.id, compiles: moduleCompiles() });
    let done: JobAnswer;
    try {
      done = runJob(quelvane, request, post);
    } catch (failure) {
      done = { outcome: 'failed', files: [], messages: [], error: String(failure) };
    }
    post({ id: request.id, answer: done });
    return;
  }
  let reply: Record<string, unknown>;
  try {
    reply = await answer(request);
  } catch (failure) {
    reply = { error: String(failure) };
  }
  self.postMessage({ id: request.id, answer: reply });
};
