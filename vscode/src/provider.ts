// The read-only custom editor of save files: each editor's webview is the page, talking to this
// host in place of its worker through an EditorChannel of its own.
import path from 'node:path';
import * as vscode from 'vscode';
import { EditorChannel } from './channel';
import { type Core, startCore } from './core';
import { webviewHtml } from './html';
import type { ToHost } from './messages';
import { SaveSession } from './session';

// The editor of *.savf and *.SAVF, and the same offered for a file of any name through "Reopen
// Editor With..." (save files are often named otherwise, such as *.FILE).
// Where the host keeps the page's Options (its quelvane.* storage keys) between editors.
const OPTIONS_KEY = 'quelvane.options';

export const VIEW_TYPES = ['quelvane.saveFile', 'quelvane.anyFile'];

export class SaveDocument implements vscode.CustomDocument {
  constructor(readonly uri: vscode.Uri) {}

  dispose(): void {}
}

export class SaveFileEditorProvider implements vscode.CustomReadonlyEditorProvider<SaveDocument> {
  readonly dist: string;
  // The session of the editor last active: the commands run on its save when given no file.
  active: SaveSession | null = null;

  constructor(
    private readonly extensionUri: vscode.Uri,
    private readonly kept?: vscode.Memento,
  ) {
    this.dist = path.join(extensionUri.fsPath, 'dist');
  }

  core(): Promise<Core> {
    return startCore(this.dist);
  }

  async openCustomDocument(uri: vscode.Uri): Promise<SaveDocument> {
    if (uri.scheme !== 'file') throw new Error(`${uri.toString()}: only files on this machine open here`);
    return new SaveDocument(uri);
  }

  async resolveCustomEditor(document: SaveDocument, panel: vscode.WebviewPanel): Promise<void> {
    const { webview } = panel;
    webview.options = { enableScripts: true, localResourceRoots: [vscode.Uri.joinPath(this.extensionUri, 'dist')] };
    const session = new SaveSession(await this.core(), document.uri.fsPath);
    const channel = new EditorChannel(session, webview, this.dist, (options) => void this.kept?.update(OPTIONS_KEY, options));
    this.active = session;
    panel.onDidChangeViewState(() => {
      if (panel.active) this.active = session;
    });
    panel.onDidDispose(() => {
      if (this.active === session) this.active = null;
      channel.close();
    });
    webview.onDidReceiveMessage((message: ToHost) => void channel.answer(message));
    webview.html = webviewHtml(webview, this.extensionUri, this.dist, this.kept?.get<Record<string, string>>(OPTIONS_KEY) ?? {});
  }
}
