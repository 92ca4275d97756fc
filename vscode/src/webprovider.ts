// The custom editor where the extension host is the browser's (vscode.dev): no Node, so the core
// runs in the webview, in the page's own worker, over the document's bytes. The host reads them
// through the workspace's file system and hands them over once the page is ready.
import * as vscode from 'vscode';
import { newNonce, pageDocument } from './document';
import { HostFolders, type NamedBytes, saveAs } from './webwriting';

const NOTE = 'The file is read in this editor only; nothing is sent anywhere.';

// Where the host keeps the page's Options between editors, as on the desktop.
const OPTIONS_KEY = 'quelvane.options';

// What the webview asks: the document once ready; a file to save, a folder, files to write into it.
type Asked = { kind?: string; id?: number; [field: string]: unknown };

export class BytesDocument implements vscode.CustomDocument {
  constructor(
    readonly uri: vscode.Uri,
    readonly bytes: Uint8Array,
  ) {}

  get name(): string {
    return this.uri.path.replace(/^.*\//, '');
  }

  dispose(): void {}
}

// One editor's webview: what the host asks of its page (a button pressed once the save is open).
export class WebEditor {
  constructor(
    readonly document: BytesDocument,
    private readonly webview: vscode.Webview,
  ) {}

  press(caption: string): void {
    void this.webview.postMessage({ kind: 'press', caption });
  }
}

export class BytesEditorProvider implements vscode.CustomReadonlyEditorProvider<BytesDocument> {
  // The editor last active: the commands run on its save when given no file.
  active: WebEditor | null = null;
  private readonly opening = new Map<string, (editor: WebEditor) => void>();

  constructor(
    private readonly extensionUri: vscode.Uri,
    private readonly kept?: vscode.Memento,
  ) {}

  async openCustomDocument(uri: vscode.Uri): Promise<BytesDocument> {
    return new BytesDocument(uri, await vscode.workspace.fs.readFile(uri));
  }

  // The editor on `uri` once it is resolved, when it is being opened now.
  resolvedFor(uri: vscode.Uri): Promise<WebEditor> {
    return new Promise((done) => this.opening.set(uri.toString(), done));
  }

  async resolveCustomEditor(document: BytesDocument, panel: vscode.WebviewPanel): Promise<void> {
    const { webview } = panel;
    const dist = vscode.Uri.joinPath(this.extensionUri, 'dist');
    webview.options = { enableScripts: true, localResourceRoots: [dist] };
    const editor = new WebEditor(document, webview);
    this.active = editor;
    panel.onDidChangeViewState(() => {
      if (panel.active) this.active = editor;
    });
    panel.onDidDispose(() => {
      if (this.active === editor) this.active = null;
    });
    const near = vscode.Uri.joinPath(document.uri, '..');
    const folders = new HostFolders(near);
    const answer = async (message: Asked): Promise<unknown> => {
      if (message.kind === 'saveFile') return saveAs(near, { name: String(message.name), bytes: message.bytes as Uint8Array });
      if (message.kind === 'pickFolder') return folders.pick();
      if (message.kind === 'writeFolder') return folders.write(Number(message.folder), (message.files ?? []) as NamedBytes[]);
      return undefined;
    };
    webview.onDidReceiveMessage(async (message: Asked) => {
      if (message.kind === 'ready') void webview.postMessage({ kind: 'document', name: document.name, bytes: document.bytes });
      else if (message.kind === 'options' && message.options && typeof message.options === 'object') void this.kept?.update(OPTIONS_KEY, message.options);
      else if (typeof message.id === 'number') void webview.postMessage({ id: message.id, answer: await answer(message) });
    });
    const page = new TextDecoder().decode(await vscode.workspace.fs.readFile(vscode.Uri.joinPath(dist, 'page.html')));
    const asset = (name: string) => webview.asWebviewUri(vscode.Uri.joinPath(dist, name)).toString();
    webview.html = pageDocument(page, {
      nonce: newNonce(), cspSource: webview.cspSource, asset, script: 'webview-web.js', note: NOTE,
      options: this.kept?.get<Record<string, string>>(OPTIONS_KEY) ?? {}, worker: true,
    });
    const waiting = this.opening.get(document.uri.toString());
    this.opening.delete(document.uri.toString());
    waiting?.(editor);
  }
}
