// The webview's document in the extension host under Node: the page read from the extension's
// files, its script the one that asks this host for everything.
import fs from 'node:fs';
import path from 'node:path';
import type * as vscode from 'vscode';
import { newNonce, pageDocument } from './document';

const NOTE = 'The file is read in place on this machine; nothing is sent anywhere.';

// `options`: the page's Options as the host kept them, handed to the webview before it starts.
export function webviewHtml(webview: vscode.Webview, extensionUri: vscode.Uri, dist: string, options: Record<string, string> = {}): string {
  const asset = (name: string) => webview.asWebviewUri(extensionUri.with({ path: `${extensionUri.path}/dist/${name}` })).toString();
  return pageDocument(fs.readFileSync(path.join(dist, 'page.html'), 'utf8'), {
    nonce: newNonce(), cspSource: webview.cspSource, asset, script: 'webview.js', note: NOTE, options,
  });
}
