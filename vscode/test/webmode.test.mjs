// The extension in the browser's extension host (vscode.dev, no Node): its script loads and
// activates with every Node built-in refused, its editor reads the document through the
// workspace's file system and hands the bytes to its webview, whose document allows its worker
// and nothing remote; in Chromium that webview's own worker opens a real save from those bytes
// and lists a member as quelvane-cli shows it, and the Check command shows the check's report;
// an export and Extract all come back to the extension and are written through VS Code's dialogs
// as quelvane-cli writes them, only inside the folder chosen, replacing files only when agreed.
//   node test/webmode.test.mjs --extension DIR --savf DIR --cli quelvane-cli
import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import fs from 'node:fs';
import { createRequire } from 'node:module';
import os from 'node:os';
import path from 'node:path';
import { test } from 'node:test';
import { extensionRoot, globalState, panel, vscode } from './host.mjs';
import { browserPath, gridLines, withWebview } from './webview.mjs';
import { option, usable, cliLines as cliOutput } from './harness.mjs';

const savf = option('savf');
const cli = option('cli');
const real = (name) => path.join(savf, name);
const pages = ['--ebcdic', '37', '--pc', '1252'];
const cliLines = (args) => cliOutput(cli, args);
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
    const { provider } = web.activate({
      extensionUri: vscode.Uri.file(extensionRoot), subscriptions,
      globalState: { get: (key) => globalState.get(key), update: async (key, value) => void globalState.set(key, value) },
    });
    return { provider, subscriptions, asked };
  } finally {
    Module._load = load;
  }
}

const web = activateWithoutNode();



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

function filesUnder(folder) {
  return fs.readdirSync(folder, { recursive: true }).filter((n) => fs.statSync(path.join(folder, n)).isFile()).sort();
}

// An editor whose webview's questions are asked by the test: ask(kind, fields) answers as the host does.
async function askingEditorOn(file) {
  const { panel: shown, posted } = await webEditorOn(file);
  let nextId = 1;
  const ask = async (kind, fields = {}) => {
    const id = nextId++;
    shown.send({ ...fields, kind, id });
    for (let waited = 0; waited < 200; waited += 1) {
      const answered = posted.find((message) => message.id === id);
      if (answered) return answered.answer;
      await new Promise((done) => setTimeout(done, 10));
    }
    throw new Error(`no answer to ${kind}`);
  };
  return { ask, close: () => shown.dispose() };
}

test('files handed back are written only inside the folder chosen, replacing only when agreed', async (t) => {
  if (!usable(t, [[savf, 'the real save files']])) return;
  const out = fs.mkdtempSync(path.join(os.tmpdir(), 'quelvane-webmode-'));
  const bytes = new Uint8Array([1, 2, 3]);
  try {
    const { ask, close } = await askingEditorOn(real('P4_EKO.SAVF'));
    assert.equal(await ask('writeFolder', { folder: 1, files: [{ name: 'a.txt', bytes }] }), 'Nothing was written: no folder was chosen.');
    vscode.answers.open.push(undefined);
    assert.equal(await ask('pickFolder'), null, 'a dismissed dialog chooses nothing');
    vscode.answers.open.push([vscode.Uri.file(out)]);
    const chosen = await ask('pickFolder');
    assert.deepEqual(chosen, { name: path.basename(out), folder: 1 });
    for (const name of ['../a.txt', '/etc/a.txt', 'x/../../a.txt', 'x//a.txt', 'x\\..\\a.txt', '']) {
      assert.match(await ask('writeFolder', { folder: 1, files: [{ name: 'ok.txt', bytes }, { name, bytes }] }), /outside the chosen folder/, name);
    }
    assert.deepEqual(filesUnder(out), [], 'nothing is written when one name would lead out');
    assert.equal(await ask('writeFolder', { folder: 1, files: [{ name: 'LIB/FILE/MBR.txt', bytes }] }), null);
    assert.deepEqual(filesUnder(out), [path.join('LIB', 'FILE', 'MBR.txt')]);
    fs.writeFileSync(path.join(out, 'LIB', 'FILE', 'MBR.txt'), 'kept');
    vscode.answers.warning.push(undefined);
    assert.match(await ask('writeFolder', { folder: 1, files: [{ name: 'LIB/FILE/MBR.txt', bytes }] }), /same names/);
    assert.equal(fs.readFileSync(path.join(out, 'LIB', 'FILE', 'MBR.txt'), 'utf8'), 'kept');
    assert.match(vscode.shown.warning.at(-1), /will be replaced/);
    vscode.answers.warning.push('Replace');
    assert.equal(await ask('writeFolder', { folder: 1, files: [{ name: 'LIB/FILE/MBR.txt', bytes }] }), null);
    assert.deepEqual([...fs.readFileSync(path.join(out, 'LIB', 'FILE', 'MBR.txt'))], [1, 2, 3]);
    vscode.answers.save.push(undefined);
    assert.equal(await ask('saveFile', { name: 'x.txt', bytes }), null, 'a dismissed save dialog writes nothing');
    close();
  } finally {
    fs.rmSync(out, { recursive: true, force: true });
  }
});

// The object list's "Save as text..." through the host's save dialog: quelvane-cli objects' text.
async function objectListSaved(page, file, target) {
  await page.getByRole('button', { name: 'Object list...' }).click();
  const dialog = page.getByRole('dialog', { name: /^Object list/ });
  vscode.answers.save.push(vscode.Uri.file(target));
  await dialog.getByRole('button', { name: 'Save as text...' }).click();
  for (let waited = 0; !fs.existsSync(target) && waited < 300; waited += 1) await new Promise((done) => setTimeout(done, 100));
  assert.equal(fs.readFileSync(target, 'utf8'), execFileSync(cli, ['objects', file, ...pages]).toString());
}

test('in Chromium an export, Extract all and the object list go back to the extension and are quelvane-cli\'s files', async (t) => {
  if (!usable(t, [[browserPath, 'chromium'], [savf, 'the real save files'], [cli, 'the native quelvane-cli']])) return;
  const file = real('CSCH@009.SAVF');
  const out = fs.mkdtempSync(path.join(os.tmpdir(), 'quelvane-webmode-'));
  const ours = path.join(out, 'ours');
  const theirs = path.join(out, 'theirs');
  try {
    await withWebview(file, async (page) => {
      await page.waitForSelector('[role=treeitem]');
      await page.evaluate(() => document.querySelectorAll('[aria-expanded]').forEach((e) => e.setAttribute('aria-expanded', 'true')));
      await page.locator('[role=tree] > li > ul > li:nth-child(2) > ul > li:nth-child(1) > ul > li:nth-child(1) > span').click();
      await page.waitForFunction(() => !document.querySelector('.exports button').disabled);
      await page.selectOption('select[aria-label="The File Type to save :"]', 'xls');
      vscode.answers.save.push(vscode.Uri.file(path.join(out, 'ours.xls')));
      await page.getByRole('button', { name: 'Export a member' }).click();
      for (let waited = 0; !fs.existsSync(path.join(out, 'ours.xls')) && waited < 300; waited += 1) await new Promise((done) => setTimeout(done, 100));
      execFileSync(cli, ['export', file, '1/0/0', '--format', 'xls', '-o', path.join(out, 'cli.xls'), ...pages]);
      assert.ok(fs.readFileSync(path.join(out, 'ours.xls')).equals(fs.readFileSync(path.join(out, 'cli.xls'))), 'the export\'s bytes');
      fs.mkdirSync(ours);
      await page.getByRole('checkbox', { name: 'Into a folder' }).check();
      vscode.answers.open.push([vscode.Uri.file(ours)]);
      await page.getByRole('button', { name: 'Extract all...' }).click();
      await page.waitForFunction(() => /files were written into the folder ours/.test(document.getElementById('messages').textContent), null, { timeout: 120000 });
      execFileSync(cli, ['extract', file, '--to', theirs, '--quiet', ...pages]);
      const expected = filesUnder(theirs);
      assert.ok(expected.length > 3, 'quelvane-cli extract wrote the save\'s files');
      assert.deepEqual(filesUnder(ours), expected);
      for (const n of expected) assert.ok(fs.readFileSync(path.join(ours, n)).equals(fs.readFileSync(path.join(theirs, n))), n);
      await objectListSaved(page, file, path.join(out, 'objects.txt'));
    }, { editor: web.provider });
  } finally {
    fs.rmSync(out, { recursive: true, force: true });
  }
});

test('in Chromium the Options confirmed in one editor are those of the next', async (t) => {
  if (!usable(t, [[browserPath, 'chromium'], [savf, 'the real save files']])) return;
  const file = real('GURI_demodb.savf');
  const choice = (page) => page.getByRole('dialog', { name: 'Options' })
    .getByRole('checkbox', { name: 'Decode text by the CCSIDs stored in the save file', exact: true });
  await withWebview(file, async (page) => {
    await page.waitForSelector('[role=treeitem]');
    await page.getByRole('button', { name: 'Options' }).click();
    await choice(page).setChecked(false);
    await page.getByRole('dialog', { name: 'Options' }).getByRole('button', { name: 'Confirm' }).click();
    await page.waitForSelector('[role=treeitem]');
    await new Promise((done) => setTimeout(done, 200));
  }, { editor: web.provider });
  assert.equal(globalState.get('quelvane.options')?.['quelvane.byCcsid'], '0', 'the host kept the Options confirmed');
  await withWebview(file, async (page) => {
    await page.waitForSelector('[role=treeitem]');
    await page.getByRole('button', { name: 'Options' }).click();
    assert.equal(await choice(page).isChecked(), false, 'the choice is kept across editors');
  }, { editor: web.provider, keepOptions: true, pair: {} });
});
