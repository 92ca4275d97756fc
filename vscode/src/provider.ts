// The read-only custom editor of save files: one SaveSession per document, answering its
// webview's messages; the webview is the page, talking to this host in place of its worker.
import path from 'node:path';
import * as vscode from 'vscode';
import type { Job } from '../../web/src/jobprotocol';
import { type Core, startCore } from './core';
import { runHostJob } from './hostjobs';
import { webviewHtml } from './html';
import type { HostJob, ToHost, ToWebview } from './messages';
import { SaveSession } from './session';

// The editor of *.savf and *.SAVF, and the same offered for a file of any name through "Reopen
// Editor With..." (save files are often named otherwise, such as *.FILE).
// Where the host keeps the page's Options (its quelvane.* storage keys) between editors.
const OPTIONS_KEY = 'quelvane.options';

export const VIEW_TYPES = ['quelvane.saveFile', 'quelvane.anyFile'];

export class SaveDocument implements vscode.CustomDocument {
  session: SaveSession | null = null;

  constructor(readonly uri: vscode.Uri) {}

  dispose(): void {
    this.session?.close();
    this.session = null;
  }
}

export class SaveFileEditorProvider implements vscode.CustomReadonlyEditorProvider<SaveDocument> {
  readonly dist: string;
  // The Cancel of each job running, by the id of the webview's request; and the jobs cancelled
  // before they had one (while a dialog was open), cancelled as soon as they start.
  private readonly cancels = new Map<number, () => void>();
  private readonly cancelledEarly = new Set<number>();
  // The document of the editor last active: the commands run on it when given no file.
  active: SaveDocument | null = null;

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
    const document = new SaveDocument(uri);
    if (uri.scheme !== 'file') throw new Error(`${uri.toString()}: only files on this machine open here`);
    document.session = new SaveSession(await this.core(), uri.fsPath);
    return document;
  }

  async resolveCustomEditor(document: SaveDocument, panel: vscode.WebviewPanel): Promise<void> {
    const { webview } = panel;
    webview.options = { enableScripts: true, localResourceRoots: [vscode.Uri.joinPath(this.extensionUri, 'dist')] };
    this.active = document;
    panel.onDidChangeViewState(() => {
      if (panel.active) this.active = document;
    });
    panel.onDidDispose(() => {
      if (this.active === document) this.active = null;
    });
    webview.onDidReceiveMessage((message: ToHost) => void this.answer(document, webview, message));
    webview.html = webviewHtml(webview, this.extensionUri, this.dist, this.kept?.get<Record<string, string>>(OPTIONS_KEY) ?? {});
  }

  private async answer(document: SaveDocument, webview: vscode.Webview, message: ToHost): Promise<void> {
    const session = document.session;
    if (session === null) return;
    const post = (sent: ToWebview) => void webview.postMessage(sent);
    if (message.kind === 'ready') {
      post({ kind: 'document', name: path.basename(session.file) });
      return;
    }
    if (!('id' in message)) return;
    if (message.kind === 'cancelJob') {
      const cancel = this.cancels.get(message.id);
      if (cancel) cancel();
      else this.cancelledEarly.add(message.id);
      return;
    }
    if (message.kind === 'job') {
      const { id, pair, job } = message as HostJob;
      const control = {
        onProgress: (done: number, total: number) => post({ id, progress: { done, total } }),
        onCancel: (cancel: () => void) => {
          if (this.cancelledEarly.delete(id)) cancel();
          else this.cancels.set(id, cancel);
        },
      };
      const answer = await runHostJob(this.dist, session.file, pair, job as Job, control);
      this.cancels.delete(id);
      this.cancelledEarly.delete(id);
      post({ id, answer });
      return;
    }
    if (message.kind === 'open' && message.options && typeof message.options === 'object') {
      void this.kept?.update(OPTIONS_KEY, message.options);
    }
    post({ id: message.id, answer: session.answer(message as { kind: string; [field: string]: unknown }) });
  }
}
