// The webview in Debian's Chromium as VS Code shows it: the host's document served from a
// webview origin, acquireVsCodeApi stood in by a bridge to the extension host under Node (the
// built extension with the stand-in `vscode` module), and the theme's variables set on the root
// as VS Code sets them. No request may leave the webview's own files.
import assert from 'node:assert/strict';
import fs from 'node:fs';
import path from 'node:path';
import { chromium } from 'playwright-core';
import { extensionRoot, globalState, panel, provider, vscode } from './host.mjs';

export const browserPath = '/usr/bin/chromium';
const ORIGIN = 'https://webview.test';

// A few of the variables of VS Code's Light+ and Dark+ themes, as the webview's root gets them.
export const themes = {
  light: {
    class: 'vscode-light',
    vars: {
      '--vscode-font-family': 'system-ui, sans-serif', '--vscode-font-size': '13px', '--vscode-editor-font-family': 'monospace',
      '--vscode-editor-foreground': '#3b3b3b', '--vscode-editor-background': '#ffffff', '--vscode-descriptionForeground': '#717171',
      '--vscode-panel-border': '#e5e5e5', '--vscode-sideBar-background': '#f8f8f8', '--vscode-focusBorder': '#005fb8',
      '--vscode-list-inactiveSelectionBackground': '#e4e6f1', '--vscode-list-activeSelectionBackground': '#e8e8e8',
      '--vscode-list-activeSelectionForeground': '#000000', '--vscode-errorForeground': '#f85149',
      '--vscode-button-secondaryForeground': '#3b3b3b', '--vscode-button-secondaryBackground': '#e5e5e5',
      '--vscode-button-secondaryHoverBackground': '#cccccc', '--vscode-input-foreground': '#3b3b3b',
      '--vscode-input-background': '#ffffff', '--vscode-input-border': '#cecece',
    },
  },
  dark: {
    class: 'vscode-dark',
    vars: {
      '--vscode-font-family': 'system-ui, sans-serif', '--vscode-font-size': '13px', '--vscode-editor-font-family': 'monospace',
      '--vscode-editor-foreground': '#cccccc', '--vscode-editor-background': '#1f1f1f', '--vscode-descriptionForeground': '#9d9d9d',
      '--vscode-panel-border': '#2b2b2b', '--vscode-sideBar-background': '#181818', '--vscode-focusBorder': '#0078d4',
      '--vscode-list-inactiveSelectionBackground': '#37373d', '--vscode-list-activeSelectionBackground': '#04395e',
      '--vscode-list-activeSelectionForeground': '#ffffff', '--vscode-errorForeground': '#f85149',
      '--vscode-button-secondaryForeground': '#cccccc', '--vscode-button-secondaryBackground': '#313131',
      '--vscode-button-secondaryHoverBackground': '#3c3c3c', '--vscode-input-foreground': '#cccccc',
      '--vscode-input-background': '#313131', '--vscode-input-border': '#3c3c3c',
    },
  },
};

const TYPES = { '.js': 'text/javascript', '.css': 'text/css', '.html': 'text/html' };

// Opens `file` in an editor whose webview is a Chromium page; `work(page)` drives it. The host
// forgets the Options it kept from the editors before unless told `keepOptions`. `editor`: the
// provider that resolves the editor (the Node host's unless told another).
export async function withWebview(file, work, { theme = 'light', pair = { ebcdic: 37, pc: 1252 }, keepOptions = false, editor = provider } = {}) {
  if (!keepOptions) globalState.clear();
  const browser = await chromium.launch({
    executablePath: browserPath,
    args: ['--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
      '--disable-background-networking', '--disable-component-update', '--disable-sync'],
  });
  let shown;
  try {
    const context = await browser.newContext({ viewport: { width: 1366, height: 768 } });
    const page = await context.newPage();
    const requests = [];
    page.on('request', (request) => requests.push(request.url()));
    // An answer the host sends after the case has closed its page is dropped, as VS Code drops a
    // message to a disposed webview; any other failure to deliver one fails the run.
    const deliver = (message) => page.evaluate((m) => window.dispatchEvent(new MessageEvent('message', { data: m })), message)
      .catch((error) => {
        if (page.isClosed()) return;
        console.error(error);
        process.exitCode = 1;
      });
    shown = panel((message) => void deliver(message), ORIGIN);
    await page.exposeFunction('quelvaneToHost', (message) => shown.send(message));
    await page.addInitScript(({ chosen, stored }) => {
      window.acquireVsCodeApi = () => ({ postMessage: (message) => window.quelvaneToHost(message), getState: () => undefined, setState() {} });
      if (stored.ebcdic !== undefined) {
        localStorage.setItem('quelvane.ebcdic', String(stored.ebcdic));
        localStorage.setItem('quelvane.pc', String(stored.pc));
        localStorage.setItem('quelvane.byCcsid', '0');
      }
      document.addEventListener('DOMContentLoaded', () => {
        for (const [name, value] of Object.entries(chosen.vars)) document.documentElement.style.setProperty(name, value);
        document.body.classList.add(chosen.class);
      });
    }, { chosen: themes[theme], stored: pair });
    await editor.resolveCustomEditor(await editor.openCustomDocument(vscode.Uri.file(file)), shown);
    await page.route(`${ORIGIN}/**`, (route) => {
      const wanted = new URL(route.request().url()).pathname;
      if (wanted === '/') return route.fulfill({ contentType: 'text/html', body: shown.webview.html });
      const local = path.join(extensionRoot, ...wanted.split('/').filter(Boolean));
      return route.fulfill({ contentType: TYPES[path.extname(local)] ?? 'application/octet-stream', body: fs.readFileSync(local) });
    });
    await page.goto(`${ORIGIN}/`);
    await work(page);
    assert.deepEqual(requests.filter((url) => url !== `${ORIGIN}/` && !url.startsWith(`${ORIGIN}/dist/`)), [], 'no request leaves the webview');
  } finally {
    shown?.dispose();
    await browser.close();
  }
}

export async function gridLines(page, count = 12) {
  return page.$$eval('#content [role=grid] [role=row]', (rows, n) =>
    rows.slice(0, n).map((row) => [...row.children].map((c) => c.textContent).join('\t')), count);
}
