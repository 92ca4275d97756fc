// Quelvane's core for a web page or Node: a thin layer over the WebAssembly module's C interface.
// Every answer is a plain object; an answer with an `error` holds the core's message. Files are
// read in place through a reader ({ size, read(offset, heap, target, count) }), never copied whole.

const OUT_ROOT = '/quelvane-out';

// A reader over a browser File in a Web Worker, slice by slice.
export function fileReader(file) {
  const sync = new FileReaderSync();
  return {
    size: file.size,
    read(offset, heap, target, count) {
      const bytes = new Uint8Array(sync.readAsArrayBuffer(file.slice(offset, offset + count)));
      heap.set(bytes, target);
      return bytes.length;
    },
  };
}

// A reader over a file on disk under Node (`fs` is node:fs), by positioned reads.
export function nodeFileReader(fs, path) {
  const fd = fs.openSync(path, 'r');
  return {
    size: fs.fstatSync(fd).size,
    read(offset, heap, target, count) {
      return fs.readSync(fd, heap, target, count, offset);
    },
    close() {
      fs.closeSync(fd);
    },
  };
}

// A reader over bytes already in memory.
export function bytesReader(bytes) {
  return {
    size: bytes.length,
    read(offset, heap, target, count) {
      const part = bytes.subarray(offset, Math.min(bytes.length, offset + count));
      heap.set(part, target);
      return part.length;
    },
  };
}

// A sink that keeps each file's writes and hands back its bytes whole when it ends: what the
// answers' `bytes` come from when no sink is given. A sink is { begin() -> token, write(token,
// bytes), end(token, name) -> what onFile is handed, drop(token) }; the bytes written are a view
// into the module's memory, valid during the call only, which a sink copies if it keeps them.
export function gatheringSink() {
  const parts = new Map();
  let next = 1;
  return {
    begin() {
      parts.set(next, []);
      return next++;
    },
    write(token, bytes) {
      parts.get(token).push(bytes.slice());
    },
    end(token, name) {
      const chunks = parts.get(token) ?? [];
      parts.delete(token);
      if (chunks.length === 1) return chunks[0];
      const whole = new Uint8Array(chunks.reduce((sum, chunk) => sum + chunk.length, 0));
      let at = 0;
      for (const chunk of chunks) {
        whole.set(chunk, at);
        at += chunk.length;
      }
      return whole;
    },
    drop(token) {
      parts.delete(token);
    },
  };
}

// A sink under Node (`fs` is node:fs) writing each file as it comes into the folder `parts` (the
// caller's, empty) as a numbered part; `files` lists the ended ones as { name, part }, for the
// caller to move into place once it has checked the names. Nothing of a file stays in memory.
export function nodeFolderSink(fs, parts) {
  const open = new Map();
  const files = [];
  let next = 1;
  const close = (token) => {
    const file = open.get(token);
    open.delete(token);
    fs.closeSync(file.fd);
    return file.part;
  };
  return {
    files,
    begin() {
      const part = `${parts}/${next}.part`;
      open.set(next, { part, fd: fs.openSync(part, 'wx') });
      return next++;
    },
    write(token, bytes) {
      const { fd } = open.get(token);
      for (let done = 0; done < bytes.length;) done += fs.writeSync(fd, bytes, done);
    },
    end(token, name) {
      files.push({ name, part: close(token) });
    },
    drop(token) {
      fs.rmSync(close(token), { force: true });
    },
  };
}

// A node of the library tree by its path of indices, as quelvane-cli takes it: "" or "/" is the
// library, "0" a part, "0/22" an object, "0/22/1" a member. An IFS node is { ifsPath: "/a/b" }.
export function nodeAt(path) {
  const steps = path.split('/').filter((step) => step !== '').map(Number);
  const at = (level) => (level >= 1 ? steps[level - 1] : 0);
  const level = steps.length;
  return { level, index: at(level), parent: at(level - 1), grandparent: at(level - 2) };
}

function removeTree(FS, path) {
  for (const name of FS.readdir(path)) {
    if (name === '.' || name === '..') continue;
    const inner = `${path}/${name}`;
    if (FS.isDir(FS.stat(inner).mode)) removeTree(FS, inner);
    else FS.unlink(inner);
  }
  FS.rmdir(path);
}

class SaveFile {
  constructor(quelvane, handle, answer) {
    this.quelvane = quelvane;
    this.handle = handle;
    this.opened = answer;
  }

  call(name, types, args) {
    return this.quelvane.call(name, ['number', ...types], [this.handle, ...args]);
  }

  tree() {
    return this.call('quelvane_tree', [], []);
  }

  // What the node shows: { outcome, title, summary, columns, rowCount, messages }.
  show(node) {
    const n = node.ifsPath !== undefined ? { level: 0, index: 0, parent: 0, grandparent: 0, ...node } : node;
    return this.call('quelvane_show', ['number', 'number', 'number', 'number', 'string'],
      [n.level, n.index, n.parent, n.grandparent, node.ifsPath ?? '']);
  }

  // Lists more of a member shown with `listing: 'more'`: { rowCount, listing, messages }.
  more(slots) {
    return this.call('quelvane_more', ['number'], [slots]);
  }

  // The stored data of the object at `node` as hex-dump lines, listed in place of what it shows:
  // { title, summary, columns, rowCount, messages }, its lines through rows().
  bytes(node) {
    return this.call('quelvane_bytes', ['number', 'number'], [node.parent, node.index]);
  }

  rows(first, count) {
    return this.call('quelvane_rows', ['number', 'number'], [first, count]);
  }

  objects() {
    return this.call('quelvane_objects', [], []);
  }

  // The object list's text over the rows at `order` (indices into objects().rows), as saved.
  objectText(order) {
    return this.call('quelvane_object_text', ['string'], [order.join(',')]);
  }

  check() {
    return this.call('quelvane_check', [], []);
  }

  // The member at `node` as 'txt', 'doc' or 'xls', named as the desktop's export dialog suggests:
  // { outcome: 'written', name, bytes, messages }, { outcome: 'cancelled' } (onProgress answered
  // true), or { error }. A text file is written in the PC page ('pc') or in 'utf-8'. With a
  // `sink` the bytes go there as they are written, and the answer names the file only; so with
  // the other jobs, whose answer's files are then names.
  exportMember(node, format, { splitter = false, encoding = 'pc', onProgress, sink } = {}) {
    const answer = this.quelvane.withFolder((folder) =>
      this.call('quelvane_export',
        ['number', 'number', 'number', 'number', 'string', 'number', 'string', 'string'],
        [node.level, node.index, node.parent, node.grandparent, format, splitter ? 1 : 0, encoding, folder]),
      { onProgress, sink });
    if (answer.error || answer.outcome !== 'written') return answer;
    const [file] = answer.files;
    if (sink) return { outcome: answer.outcome, name: file, messages: answer.messages };
    return { outcome: answer.outcome, name: file.name, bytes: file.bytes, messages: answer.messages };
  }

  // Every member of the file at `node`: { outcome, files: [{ name, bytes }] }.
  exportBatch(node, format, { splitter = false, encoding = 'pc', onProgress, sink } = {}) {
    return this.quelvane.withFolder((folder) =>
      this.call('quelvane_batch',
        ['number', 'number', 'number', 'number', 'string', 'number', 'string', 'string'],
        [node.level, node.index, node.parent, node.grandparent, format, splitter ? 1 : 0, encoding, folder]),
      { onProgress, sink });
  }

  // Everything out: each file handed to onFile(name, bytes) as it is taken, then { failures, ... }.
  extract({ onFile, onProgress, sink } = {}) {
    return this.quelvane.withFolder((folder) => this.call('quelvane_extract', ['string'], [folder]),
      { onProgress, onFile, sink });
  }

  // The save's source members as a project, as quelvane-cli sources FILE --to DIR writes them:
  // { cancelled, members, failures, notes, files: [{ name, bytes }] } (or onFile(name, bytes) each).
  sourceProject({ onFile, onProgress, sink } = {}) {
    return this.quelvane.withFolder((folder) => this.call('quelvane_sources', ['string'], [folder]),
      { onProgress, onFile, sink });
  }

  // This save against `after` (another SaveFile of the same module), as quelvane-cli compare
  // --json answers: { same, summary, save, objects: [{ change, node, changes, members, ... }], ... }.
  // onProgress(done, total) hears the objects of `after` compared.
  compareWith(after, { withDates = false, onProgress } = {}) {
    return this.quelvane.withProgress(
      () => this.call('quelvane_compare', ['number', 'number'], [after.handle, withDates ? 1 : 0]), onProgress);
  }

  // The save held by the save-file object at `node` (an object node), as a SaveFile of its own.
  openHeld(node) {
    const answer = this.call('quelvane_open_held', ['number', 'number'], [node.parent, node.index]);
    if (answer.handle && answer.outcome !== 'opened') {
      this.quelvane.module.ccall('quelvane_close', null, ['number'], [answer.handle]);
      return answer;
    }
    return answer.handle ? new SaveFile(this.quelvane, answer.handle, answer) : answer;
  }

  close() {
    this.quelvane.module.ccall('quelvane_close', null, ['number'], [this.handle]);
  }
}

export class Quelvane {
  constructor(module) {
    this.module = module;
    this.readers = new Map();
    this.nextFile = 1;
    this.nextFolder = 1;
    // A reader that fails answers -1: an exception must not unwind through the module.
    module.quelvaneRead = (file, offset, heap, target, count) => {
      const reader = this.readers.get(file);
      try {
        return reader ? reader.read(offset, heap, target, count) : -1;
      } catch {
        return -1;
      }
    };
  }

  call(name, types, args) {
    return JSON.parse(this.module.ccall(name, 'string', types, args));
  }

  // The rows of the Options lists: { host: [{ page, text, pc }], pc: [{ page, text }], ... }.
  codePages() {
    return JSON.parse(this.module.ccall('quelvane_code_pages', 'string', [], []));
  }

  // Opens a save through `reader`; a SaveFile, or the answer saying why not. `byCcsid` reads the
  // records and the exports by the fields' stored CCSIDs, as the desktop's Options choice does.
  // `suggest` reads it by the pair its own texts suggest (else 37/1252) in place of `ebcdic` and
  // `pc`; the answer's `pair` names the pair in force, `suggested` the one its texts suggest.
  open(reader, { ebcdic = 37, pc = 1252, name = '', byCcsid = false, suggest = false } = {}) {
    const file = this.nextFile++;
    this.readers.set(file, reader);
    const answer = this.call('quelvane_open', ['number', 'number', 'number', 'number', 'string', 'number'],
      [file, reader.size, suggest ? 0 : ebcdic, suggest ? 0 : pc, name, byCcsid ? 1 : 0]);
    if (answer.error || answer.outcome !== 'opened') {
      this.module.ccall('quelvane_close', null, ['number'], [answer.handle ?? 0]);
      this.readers.delete(file);
      return answer;
    }
    return new SaveFile(this, answer.handle, answer);
  }

  // Runs `work` with onProgress(done, total) hearing how far it is; its true answer cancels the
  // work where the work can stop, and so does a progress callback that fails.
  withProgress(work, onProgress) {
    this.module.quelvaneProgress = onProgress
      ? (done, total) => {
        try {
          return Boolean(onProgress(done, total));
        } catch {
          return true;
        }
      }
      : null;
    try {
      return work();
    } finally {
      this.module.quelvaneProgress = null;
    }
  }

  // Runs `work` with a fresh output folder whose files are streamed to `sink` as they are written
  // (see gatheringSink for what a sink answers). Each file the answer lists is ended under its
  // name, every other file begun (a temporary one, a cancelled one) dropped, the folder removed.
  withFolder(work, { onProgress, onFile, sink } = {}) {
    const { FS } = this.module;
    const folder = `${OUT_ROOT}/${this.nextFolder++}`;
    const into = sink ?? gatheringSink();
    const output = { root: folder, sink: into, begun: [] };
    const ended = new Set();
    this.module.quelvaneOutput = output;
    try {
      const answer = this.withProgress(() => work(folder), onProgress);
      this.module.quelvaneOutput = null;
      const taken = [];
      for (const name of answer.files ?? []) {
        const { node } = FS.lookupPath(`${folder}/${name}`);
        ended.add(node.quelvaneToken);
        const bytes = into.end(node.quelvaneToken, name);
        if (onFile && !sink) onFile(name, bytes);
        else if (!sink) taken.push({ name, bytes });
      }
      return sink || onFile ? answer : { ...answer, files: taken };
    } finally {
      this.module.quelvaneOutput = null;
      for (const token of output.begun) if (!ended.has(token)) into.drop(token);
      if (FS.analyzePath(folder).exists) removeTree(FS, folder);
    }
  }
}

// Compiled modules, so that starting the same module again (a second save, a job) instantiates
// the one compiled and never compiles it again: by the key the caller names (a path), else by
// the bytes object handed over.
const compiledByKey = new Map();
const compiledByBytes = new WeakMap();
let compiles = 0;

// How many times this process (or worker) has compiled a module.
export function moduleCompiles() {
  return compiles;
}

function compiledModule(bytes, key) {
  const found = key !== undefined ? compiledByKey.get(key) : compiledByBytes.get(bytes);
  if (found) return found;
  compiles += 1;
  const compiled = WebAssembly.compile(bytes);
  if (key !== undefined) compiledByKey.set(key, compiled);
  else compiledByBytes.set(bytes, compiled);
  return compiled;
}

// Starts the module made by `createModule` (the generated factory). With `wasmModule` (a
// compiled WebAssembly.Module, as another worker's quelvane.wasmModule) it is instantiated from
// that; with `wasmBinary` the bytes are compiled once per `wasmKey` (or per bytes object). The
// started Quelvane's wasmModule can be handed to the next start, here or in another worker.
export async function startQuelvane(createModule, options = {}) {
  const { wasmModule: given, wasmBinary, wasmKey, ...rest } = options;
  if (!given && !wasmBinary) return new Quelvane(await createModule(rest));
  const wasmModule = given ?? (await compiledModule(wasmBinary, wasmKey));
  let failed;
  const failure = new Promise((_, reject) => {
    failed = reject;
  });
  const instantiateWasm = (imports, receive) => {
    WebAssembly.instantiate(wasmModule, imports).then((instance) => receive(instance, wasmModule), failed);
    return {};
  };
  const quelvane = new Quelvane(await Promise.race([createModule({ ...rest, instantiateWasm }), failure]));
  quelvane.wasmModule = wasmModule;
  return quelvane;
}
