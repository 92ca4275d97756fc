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
  // true), or { error }. A text file is written in the PC page ('pc') or in 'utf-8'.
  exportMember(node, format, { splitter = false, encoding = 'pc', onProgress } = {}) {
    const answer = this.quelvane.withFolder((folder) =>
      this.call('quelvane_export',
        ['number', 'number', 'number', 'number', 'string', 'number', 'string', 'string'],
        [node.level, node.index, node.parent, node.grandparent, format, splitter ? 1 : 0, encoding, folder]),
      { onProgress });
    if (answer.error || answer.outcome !== 'written') return answer;
    const [file] = answer.files;
    return { outcome: answer.outcome, name: file.name, bytes: file.bytes, messages: answer.messages };
  }

  // Every member of the file at `node`: { outcome, files: [{ name, bytes }] }.
  exportBatch(node, format, { splitter = false, encoding = 'pc', onProgress } = {}) {
    return this.quelvane.withFolder((folder) =>
      this.call('quelvane_batch',
        ['number', 'number', 'number', 'number', 'string', 'number', 'string', 'string'],
        [node.level, node.index, node.parent, node.grandparent, format, splitter ? 1 : 0, encoding, folder]),
      { onProgress });
  }

  // Everything out: each file handed to onFile(name, bytes) as it is taken, then { failures, ... }.
  extract({ onFile, onProgress } = {}) {
    return this.quelvane.withFolder((folder) => this.call('quelvane_extract', ['string'], [folder]),
      { onProgress, onFile });
  }

  // The save's source members as a project, as quelvane-cli sources FILE --to DIR writes them:
  // { cancelled, members, failures, notes, files: [{ name, bytes }] } (or onFile(name, bytes) each).
  sourceProject({ onFile, onProgress } = {}) {
    return this.quelvane.withFolder((folder) => this.call('quelvane_sources', ['string'], [folder]),
      { onProgress, onFile });
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

  // Runs `work` with a fresh output folder; the files it lists are taken out (to onFile, or into
  // the answer) and the folder is removed.
  withFolder(work, { onProgress, onFile } = {}) {
    const { FS } = this.module;
    const folder = `${OUT_ROOT}/${this.nextFolder++}`;
    const answer = this.withProgress(() => work(folder), onProgress);
    const taken = [];
    for (const name of answer.files ?? []) {
      const bytes = FS.readFile(`${folder}/${name}`);
      FS.unlink(`${folder}/${name}`);
      if (onFile) onFile(name, bytes);
      else taken.push({ name, bytes });
    }
    if (FS.analyzePath(folder).exists) removeTree(FS, folder);
    return onFile ? answer : { ...answer, files: taken };
  }
}

// Starts the module made by `createModule` (the generated factory).
export async function startQuelvane(createModule, options = {}) {
  return new Quelvane(await createModule(options));
}
