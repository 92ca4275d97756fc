// The extension host as VS Code runs it, with the stand-in `vscode` module: the extension's
// built script activated, an editor resolved on a webview panel whose messages a test sends.
import { createRequire } from 'node:module';
import path from 'node:path';
import { fileURLToPath } from 'node:url';

const here = path.dirname(fileURLToPath(import.meta.url));
const require = createRequire(import.meta.url);
const Module = require('node:module');
const standInPath = path.join(here, 'vscode-standin.cjs');
const resolve = Module._resolveFilename;
Module._resolveFilename = function resolved(request, ...rest) {
  return request === 'vscode' ? standInPath : resolve.call(this, request, ...rest);
};

export const vscode = require(standInPath);
// The extension as build.mjs laid it out (--extension), else as built in place.
const at = process.argv.indexOf('--extension');
export const extensionRoot = path.resolve(at >= 0 ? process.argv[at + 1] : path.join(here, '..'));
const extension = require(path.join(extensionRoot, 'dist', 'extension.js'));
// The extension's global state, kept in memory for the run.
export const globalState = new Map();
extension.activate({
  extensionUri: vscode.Uri.file(extensionRoot),
  subscriptions: [],
  globalState: { get: (key) => globalState.get(key), update: async (key, value) => void globalState.set(key, value) },
});
export const provider = vscode.standIn.providers.get('quelvane.saveFile');

// A webview panel whose posts go to `onPost`; `send` is the webview's postMessage.
export function panel(onPost, cspSource = 'https://webview.test') {
  const received = new vscode.EventEmitter();
  const disposed = new vscode.EventEmitter();
  const webview = {
    options: {},
    html: '',
    cspSource,
    asWebviewUri: (uri) => ({ toString: () => `${cspSource}/${path.relative(extensionRoot, uri.fsPath).split(path.sep).join('/')}` }),
    onDidReceiveMessage: received.event,
    postMessage: async (message) => {
      onPost(message);
      return true;
    },
  };
  return {
    webview,
    active: true,
    onDidChangeViewState: () => ({ dispose() {} }),
    onDidDispose: disposed.event,
    dispose: () => disposed.fire(),
    send: (message) => received.fire(message),
  };
}

// An editor on `file`: ask(request) answers as the host answers the webview; lastId() is the id
// of the request asked last.
export async function editorOn(file) {
  const waiting = new Map();
  const posted = [];
  const shown = panel((message) => {
    posted.push(message);
    if (message.id !== undefined && message.answer !== undefined) waiting.get(message.id)?.(message.answer);
  });
  const document = await provider.openCustomDocument(vscode.Uri.file(file));
  await provider.resolveCustomEditor(document, shown);
  let nextId = 1;
  const ask = (request) => new Promise((done) => {
    const id = nextId++;
    waiting.set(id, done);
    shown.send({ ...request, id });
  });
  return { document, panel: shown, posted, ask, lastId: () => nextId - 1, close: () => shown.dispose() };
}
