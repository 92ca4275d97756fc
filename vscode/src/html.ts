// The webview's document: the page's own markup, its style and script from the extension's
// files, a Content-Security-Policy allowing only those (a nonce for the script) and nothing remote.
import crypto from 'node:crypto';
import fs from 'node:fs';
import path from 'node:path';
import type * as vscode from 'vscode';

const NOTE = 'The file is read in place on this machine; nothing is sent anywhere.';

const escaped = (text: string) => text.replace(/&/g, '&amp;').replace(/"/g, '&quot;').replace(/</g, '&lt;').replace(/>/g, '&gt;');

// `options`: the page's Options as the host kept them, handed to the webview before it starts.
export function webviewHtml(webview: vscode.Webview, extensionUri: vscode.Uri, dist: string, options: Record<string, string> = {}): string {
  const nonce = crypto.randomBytes(18).toString('base64');
  const asset = (name: string) => webview.asWebviewUri(extensionUri.with({ path: `${extensionUri.path}/dist/${name}` })).toString();
  const policy = [
    "default-src 'none'",
    `img-src ${webview.cspSource} data:`,
    `style-src ${webview.cspSource}`,
    `font-src ${webview.cspSource}`,
    `script-src 'nonce-${nonce}' 'wasm-unsafe-eval'`,
  ].join('; ');
  return fs.readFileSync(path.join(dist, 'page.html'), 'utf8')
    .replace(/<meta http-equiv="Content-Security-Policy"[^>]*>/, () =>
      `<meta http-equiv="Content-Security-Policy" content="${policy}">\n<meta name="quelvane-options" content="${escaped(JSON.stringify(options))}">`)
    .replace(/<style>\/\*STYLE\*\/<\/style>/, () => `<link rel="stylesheet" href="${asset('webview.css')}">`)
    .replace(/<script>\/\*SCRIPT\*\/<\/script>/, () => `<script nonce="${nonce}" src="${asset('webview.js')}"></script>`)
    .replace(/<span class="note">[^<]*<\/span>/, () => `<span class="note">${NOTE}</span>`);
}
