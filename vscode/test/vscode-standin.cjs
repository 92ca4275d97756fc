// A stand-in for the `vscode` module with only the API the extension calls. The dialogs answer
// what a test has queued in `answers`; what the extension shows is kept in `shown`.
const path = require('node:path');
const fs = require('node:fs');

class Uri {
  constructor(scheme, fsPath) {
    this.scheme = scheme;
    this.fsPath = fsPath;
    this.path = fsPath.split(path.sep).join('/');
  }
  static file(p) {
    return new Uri('file', path.resolve(p));
  }
  static joinPath(base, ...parts) {
    return Uri.file(path.join(base.fsPath, ...parts));
  }
  with({ path: p }) {
    return Uri.file(p);
  }
  toString() {
    return `${this.scheme}://${this.path}`;
  }
}

class Emitter {
  constructor() {
    this.listeners = [];
    this.event = (listener) => {
      this.listeners.push(listener);
      return { dispose() {} };
    };
  }
  fire(value) {
    this.listeners.forEach((listen) => listen(value));
  }
}

const answers = { save: [], open: [], warning: [] };
const shown = { info: [], warning: [], error: [], documents: [], progress: [] };
const commands = new Map();
const providers = new Map();

const next = (queue, what) => {
  if (queue.length === 0) throw new Error(`the extension asked for a ${what} the test did not expect`);
  return queue.shift();
};

module.exports = {
  Uri,
  EventEmitter: Emitter,
  ProgressLocation: { SourceControl: 1, Window: 10, Notification: 15 },
  answers,
  shown,
  window: {
    registerCustomEditorProvider(viewType, provider) {
      providers.set(viewType, provider);
      return { dispose() {} };
    },
    async showSaveDialog(options) {
      const chosen = next(answers.save, 'save dialog');
      return typeof chosen === 'function' ? chosen(options) : chosen;
    },
    async showOpenDialog(options) {
      const chosen = next(answers.open, 'folder dialog');
      return typeof chosen === 'function' ? chosen(options) : chosen;
    },
    async showWarningMessage(message, ...rest) {
      shown.warning.push(message);
      return rest.length > 0 && typeof rest[0] === 'object' ? next(answers.warning, 'warning') : undefined;
    },
    async showInformationMessage(message) {
      shown.info.push(message);
    },
    async showErrorMessage(message) {
      shown.error.push(message);
    },
    async withProgress(options, task) {
      shown.progress.push(options.title);
      const cancelled = new Emitter();
      return task({ report() {} }, { isCancellationRequested: false, onCancellationRequested: cancelled.event });
    },
    async showTextDocument(document) {
      shown.documents.push(document);
    },
  },
  workspace: {
    fs: {
      async stat(uri) {
        const found = fs.statSync(uri.fsPath);
        return { type: found.isDirectory() ? 2 : 1, size: found.size };
      },
      async createDirectory(uri) {
        fs.mkdirSync(uri.fsPath, { recursive: true });
      },
      async readFile(uri) {
        return new Uint8Array(fs.readFileSync(uri.fsPath));
      },
      async writeFile(uri, bytes) {
        fs.writeFileSync(uri.fsPath, bytes);
      },
    },
    async openTextDocument({ content }) {
      return { getText: () => content };
    },
  },
  commands: {
    registerCommand(name, run) {
      commands.set(name, run);
      return { dispose() {} };
    },
    executeCommand(name, ...args) {
      return commands.get(name)(...args);
    },
  },
  standIn: { commands, providers },
};
