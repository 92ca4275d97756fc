// The extension in the browser's extension host (vscode.dev, no Node): its script loads and
// activates with every Node built-in refused, its editor reads the document through the
// workspace's file system and hands the bytes to its webview, whose document allows its worker
// and nothing remote; in Chromium that webview's own worker opens a real save from those bytes
// and lists a member as quelvane-cli shows it, and the Check command shows the check's report.
//   node test/webmode.test.mjs --extension DIR --savf DIR --cli quelvane-cli
import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import fs from 'node:fs';
import { createRequire } from 'node:module';
import path from 'node:path';
import { test } from 'node:test';
import { extensionRoot, panel, vscode } from './host.mjs';
import { browserPath, gridLines, withWebview } from './webview.mjs';

const option = (name) => {
  const at = process.argv.indexOf(`--${name}`);
  return at >= 0 ? process.argv[at + 1] : '';
};
const savf = option('savf');
const cli = option('cli');
const real = (name) => path.join(savf, name);
const pages = ['--ebcdic', '37', '--pc', '1252'];
const require = createRequire(import.meta.url);
const Module = require('node:module');
const script = path.join(extensionRoot, 'dist', 'web.js');

// The web script loaded and activated while every module but `vscode` is refused, as in a
// browser's extension host.
function activateWithoutNode() {
  const load = Module._load;
  const asked = [];
  Module._load = function loaded(request, ...rest) {
    asked.push(request);
    if (request !== 'vscode' && path.resolve(request) !== script) throw new Error(`the web script asked for ${request}`);
    return load.call(this, request, ...rest);
  };
  try {
    const web = require(script);
    const subscriptions = [];
    const { provider } = web.activate({ extensionUri: vscode.Uri.file(extensionRoot), subscriptions, globalState: { get() {}, async update() {} } });
    return { provider, subscriptions, asked };
  } finally {
    Module._load = load;
  }
}

const web = activateWithoutNode();

function usable(t, needs) {
  const missing = needs.filter(([p]) => !p || !fs.existsSync(p));
  if (missing.length === 0) return true;
  assert.ok(process.env.CI !== 'true', `missing under CI=true: ${missing.map(([, w]) => w).join(', ')}`);
  t.skip(`missing: ${missing.map(([, w]) => w).join(', ')}`);
  return false;
}

function cliLines(args) {
  let out;
  try {
    out = execFileSync(cli, args, { maxBuffer: 1 << 28 });
  } catch (failure) {
    out = failure.stdout;
  }
  return out.toString().replace(/\n$/, '').split('\n');
}

// An editor of the web provider on `file`, its posts kept.
async function webEditorOn(file) {
  const posted = [];
  const shown = panel((message) => posted.push(message));
  const document = await web.provider.openCustomDocument(vscode.Uri.file(file));
  await web.provider.resolveCustomEditor(document, shown);
  return { document, panel: shown, posted };
}

const settle = () => new Promise((done) => setImmediate(done));

test('the web script needs nothing of Node and registers the editors and the commands', () => {
  const text = fs.readFileSync(script, 'utf8');
  assert.deepEqual([...new Set([...text.matchAll(/require\(\s*["'`]([^"'`]+)["'`]\s*\)/g)].map((m) => m[1]))], ['vscode']);
  assert.doesNotMatch(text, /["'`]node:/, 'no node: module is named');
  assert.deepEqual([...new Set(web.asked.filter((name) => name !== script))], ['vscode']);
  for (const viewType of ['quelvane.saveFile', 'quelvane.anyFile']) assert.equal(vscode.standIn.providers.get(viewType), web.provider, viewType);
  for (const name of ['quelvane.checkSaveFile', 'quelvane.extractAll', 'quelvane.saveSourcesAsProject']) assert.ok(vscode.standIn.commands.has(name), name);
  const manifest = JSON.parse(fs.readFileSync(path.join(extensionRoot, 'package.json'), 'utf8'));
  assert.equal(manifest.browser, './dist/web.js');
});

test('the editor hands the document\'s bytes to its webview, whose document allows its worker and nothing remote', async (t) => {
  if (!usable(t, [[savf, 'the real save files']])) return;
  const file = real('CSCH@009.SAVF');
  const { document, panel: shown, posted } = await webEditorOn(file);
  assert.ok(Buffer.from(document.bytes).equals(fs.readFileSync(file)));
  const { html } = shown.webview;
  const policy = html.match(/http-equiv="Content-Security-Policy" content="([^"]*)"/)[1];
  const nonce = policy.match(/'nonce-([^']+)'/)[1];
  assert.match(policy, /default-src 'none'/);
  assert.match(policy, /script-src 'nonce-[^']+' 'wasm-unsafe-eval'(;|$)/);
  assert.match(policy, /worker-src blob:(;|$)/);
  assert.doesNotMatch(policy, /unsafe-inline|unsafe-eval'[^;]*unsafe|https?:\/\/(?!webview\.test)/);
  assert.ok(html.includes(`<script nonce="${nonce}" src="https://webview.test/dist/webview-web.js">`));
  assert.deepEqual(shown.webview.options.localResourceRoots.map((u) => path.basename(u.fsPath)), ['dist']);
  shown.send({ kind: 'ready' });
  await settle();
  assert.equal(posted.length, 1);
  assert.equal(posted[0].kind, 'document');
  assert.equal(posted[0].name, 'CSCH@009.SAVF');
  assert.ok(Buffer.from(posted[0].bytes).equals(fs.readFileSync(file)), 'the bytes handed over are the file\'s');
  shown.dispose();
});

test('a command on a file of the explorer opens it in the editor and presses the page\'s button', async (t) => {
  if (!usable(t, [[savf, 'the real save files']])) return;
  const file = real('P4_EKO.SAVF');
  let posted;
  vscode.standIn.commands.set('vscode.openWith', async (uri, viewType) => {
    assert.equal(viewType, 'quelvane.anyFile');
    ({ posted } = await webEditorOn(uri.fsPath));
  });
  try {
    await vscode.commands.executeCommand('quelvane.checkSaveFile', vscode.Uri.file(file));
    await settle();
    assert.deepEqual(posted, [{ kind: 'press', caption: 'Check save file' }]);
    await vscode.commands.executeCommand('quelvane.extractAll');
    await settle();
    assert.deepEqual(posted.at(-1), { kind: 'press', caption: 'Extract all...' }, 'without a file: the editor active');
  } finally {
    vscode.standIn.commands.delete('vscode.openWith');
  }
});

test('in Chromium the webview\'s own worker opens the bytes; a member lists quelvane-cli\'s rows; Check shows its report', async (t) => {
  if (!usable(t, [[browserPath, 'chromium'], [savf, 'the real save files'], [cli, 'the native quelvane-cli']])) return;
  const file = real('CSCH@009.SAVF');
  // The web provider answers the webview's 'ready' alone: the tree and rows come from its worker.
  await withWebview(file, async (page) => {
    await page.waitForSelector('[role=treeitem]');
    assert.equal(await page.textContent('[role=tab] span'), 'CSCH@009.SAVF');
    const root = cliLines(['show', file, '/', ...pages]);
    await page.waitForFunction((title) => document.getElementById('title').textContent === title, root[0]);
    await page.evaluate(() => document.querySelectorAll('[aria-expanded]').forEach((e) => e.setAttribute('aria-expanded', 'true')));
    await page.locator('[role=tree] > li > ul > li:nth-child(2) > ul > li:nth-child(1) > ul > li:nth-child(1) > span').click();
    const expected = cliLines(['show', file, '1/0/0', ...pages]);
    await page.waitForFunction((title) => document.getElementById('title').textContent === title, expected[0]);
    await page.waitForSelector('[role=gridcell]');
    const lines = await gridLines(page);
    assert.ok(lines.length > 3);
    assert.deepEqual(lines, expected.slice(2, 2 + lines.length));
    web.provider.active.press('Check save file');
    await page.getByRole('dialog', { name: 'Check save file' }).waitFor();
    const report = cliLines(['check', file]);
    assert.equal(await page.textContent('#report-text'), ['CSCH@009.SAVF', ...report.slice(1)].join('\n'));
  }, { editor: web.provider });
});
