// The extension host under Node's test runner, with a stand-in `vscode` module: the provider and
// its answers to the webview's messages over the real save files, against the native
// quelvane-cli: the tree, rows, an export, extraction, the check report; the webview's document.
//   node --test test/host.test.mjs -- --savf DIR --cli quelvane-cli   (after node build.mjs)
import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { test } from 'node:test';
import { editorOn, globalState, vscode } from './host.mjs';
import { option, usable as usableWith, cliLines as cliOutput } from './harness.mjs';

const savf = option('savf');
const cli = option('cli');
const real = (name) => path.join(savf, name);
const PAIR = { ebcdic: 37, pc: 1252, byCcsid: false };
const pages = ['--ebcdic', '37', '--pc', '1252'];
const usable = (t) => usableWith(t, [[savf, 'the real save files'], [cli, 'the native quelvane-cli']]);
const cliLines = (args) => cliOutput(cli, args);



function temporary() {
  return fs.mkdtempSync(path.join(os.tmpdir(), 'quelvane-vscode-'));
}

// The tree's captions as quelvane-cli tree prints them below its heading (its details say more,
// such as a member's record count, which the editor's tree leaves to the member's listing).
function treeLines(roots, depth = 0) {
  return roots.flatMap((node) => [
    `${'  '.repeat(depth)}${node.caption}`,
    ...treeLines(node.children, depth + 1),
  ]);
}

// What quelvane-cli show prints for `node`, from the host's answers.
async function shownLines(ask, node) {
  const shown = await ask({ kind: 'show', node });
  assert.equal(shown.error, undefined, shown.error);
  const lines = [shown.title, shown.summary].filter((label) => label !== undefined);
  if (shown.columns.length > 0) lines.push(shown.columns.map((c) => c.caption).join('\t'));
  let { rowCount, listing } = shown;
  while (listing === 'more') ({ rowCount, listing } = await ask({ kind: 'more', slots: 7000 }));
  for (let first = 0; first < rowCount; first += 500) {
    for (const row of (await ask({ kind: 'rows', first, count: 500 })).rows) {
      lines.push((row.recordless ? '-\t' : '') + [row.caption, ...row.cells].join('\t'));
    }
  }
  return lines;
}

const at = (p) => {
  const steps = p.split('/').filter(Boolean).map(Number);
  const step = (level) => (level >= 1 ? steps[level - 1] : 0);
  return { level: steps.length, index: step(steps.length), parent: step(steps.length - 1), grandparent: step(steps.length - 2) };
};

test('the webview document allows only its own script, by nonce, and nothing remote', async () => {
  const { panel, posted } = await editorOn(real('CSCH@009.SAVF'));
  const { html } = panel.webview;
  const policy = html.match(/http-equiv="Content-Security-Policy" content="([^"]*)"/)[1];
  const nonce = policy.match(/'nonce-([^']+)'/)[1];
  assert.match(policy, /default-src 'none'/);
  assert.match(policy, /script-src 'nonce-[^']+' 'wasm-unsafe-eval'/);
  assert.doesNotMatch(policy, /unsafe-inline|https?:\/\/(?!webview\.test)/);
  assert.match(html, new RegExp(`<script nonce="${nonce.replace(/[+/]/g, '\\$&')}" src="https://webview.test/dist/webview.js">`));
  assert.match(html, /<link rel="stylesheet" href="https:\/\/webview.test\/dist\/webview.css">/);
  assert.deepEqual(panel.webview.options.localResourceRoots.map((u) => path.basename(u.fsPath)), ['dist']);
  panel.send({ kind: 'ready' });
  await new Promise((done) => setImmediate(done));
  assert.deepEqual(posted, [{ kind: 'document', name: 'CSCH@009.SAVF' }]);
});

test('the tree and the rows are quelvane-cli\'s, for every kind of save', async (t) => {
  if (!usable(t)) return;
  for (const [name, members] of [['CSCH@009.SAVF', 6], ['GURI_demodb.savf', 3], ['NOX_release_2022-07-07.savf', 3], ['P4_EKO.SAVF', 2]]) {
    const { ask, close } = await editorOn(real(name));
    const opened = await ask({ kind: 'open', ...PAIR });
    assert.equal(opened.outcome, 'opened', `${name}: ${opened.error}`);
    const tree = cliLines(['tree', real(name), ...pages]);
    const library = tree.findIndex((line) => !line.startsWith(' ') && opened.tree.roots[0].caption === line.split('\t')[0]);
    assert.deepEqual(treeLines(opened.tree.roots), tree.slice(library).map((line) => line.split('\t')[0]), name);
    assert.deepEqual(await shownLines(ask, at('/')), cliLines(['show', real(name), '/', ...pages]), `${name} /`);
    const [lib] = opened.tree.roots;
    const paths = lib.children.flatMap((part, p) => part.children.flatMap((object, o) => object.children.map((_, m) => `${p}/${o}/${m}`)));
    for (const node of paths.slice(0, members)) {
      assert.deepEqual(await shownLines(ask, at(node)), cliLines(['show', real(name), node, ...pages]), `${name} ${node}`);
    }
    close();
  }
});

test('the file is read in place, by positioned reads of parts of it, never whole', async (t) => {
  if (!usable(t)) return;
  const file = real('UZ_zlib123.savf');
  const size = fs.statSync(file).size;
  const { readSync, readFileSync } = fs;
  let largest = 0;
  let positioned = true;
  let whole = false;
  fs.readSync = (...args) => {
    const got = readSync(...args);
    largest = Math.max(largest, got);
    positioned &&= typeof args[4] === 'number';
    return got;
  };
  fs.readFileSync = (name, ...rest) => {
    whole ||= path.resolve(String(name)) === path.resolve(file);
    return readFileSync(name, ...rest);
  };
  try {
    const { ask, close } = await editorOn(file);
    assert.equal((await ask({ kind: 'open', ...PAIR })).outcome, 'opened');
    assert.ok((await ask({ kind: 'check' })).lines.length > 0);
    // A pass through the file reads it in windows that grow to at most 8 MiB, never all of it at once.
    assert.ok(largest > 0 && largest < size && largest <= 8 * 1048576, `the largest read is ${largest} of ${size} bytes`);
    assert.ok(positioned, 'every read names its offset');
    assert.ok(!whole, 'the file is never read whole');
    close();
  } finally {
    fs.readSync = readSync;
    fs.readFileSync = readFileSync;
  }
});

test('a member exported through the save dialog is the bytes quelvane-cli export writes', async (t) => {
  if (!usable(t)) return;
  const out = temporary();
  try {
    const { ask } = await editorOn(real('CSCH@009.SAVF'));
    await ask({ kind: 'open', ...PAIR });
    for (const format of ['txt', 'doc', 'xls']) {
      let suggested = '';
      vscode.answers.save.push((options) => {
        suggested = path.basename(options.defaultUri.fsPath);
        return vscode.Uri.file(path.join(out, `ours.${format}`));
      });
      const job = { what: 'export', node: at('1/0/0'), format, splitter: true, encoding: 'pc' };
      const answer = await ask({ kind: 'job', pair: PAIR, job });
      assert.equal(answer.outcome, 'written', answer.error);
      assert.match(suggested, new RegExp(`_.*\\.${format}$`), suggested);
      execFileSync(cli, ['export', real('CSCH@009.SAVF'), '1/0/0', '--format', format, '--splitter', '-o', path.join(out, `cli.${format}`), ...pages]);
      assert.ok(fs.readFileSync(path.join(out, `ours.${format}`)).equals(fs.readFileSync(path.join(out, `cli.${format}`))), format);
    }
    vscode.answers.save.push(undefined);
    const dismissed = await ask({ kind: 'job', pair: PAIR, job: { what: 'export', node: at('1/0/0'), format: 'txt', splitter: false, encoding: 'pc' } });
    assert.equal(dismissed.outcome, 'cancelled', 'a dismissed save dialog writes nothing');
  } finally {
    fs.rmSync(out, { recursive: true, force: true });
  }
});

function filesUnder(folder) {
  return fs.readdirSync(folder, { recursive: true }).filter((n) => fs.statSync(path.join(folder, n)).isFile()).sort();
}

test('Extract all writes quelvane-cli extract\'s files into the chosen folder, replacing only when agreed', async (t) => {
  if (!usable(t)) return;
  for (const name of ['CSCH@009.SAVF', 'UZ_wcount25i.savf']) {
    const ours = temporary();
    const theirs = temporary();
    try {
      execFileSync(cli, ['extract', real(name), '--to', theirs, '--quiet', ...pages]);
      const { ask } = await editorOn(real(name));
      await ask({ kind: 'open', ...PAIR });
      vscode.answers.open.push([vscode.Uri.file(ours)]);
      const answer = await ask({ kind: 'job', pair: PAIR, job: { what: 'extract', delivery: 'zip' } });
      assert.equal(answer.outcome, 'written', answer.error);
      assert.deepEqual(answer.files, [], 'nothing goes back to the webview');
      const expected = filesUnder(theirs);
      assert.deepEqual(filesUnder(ours), expected, name);
      for (const n of expected) assert.ok(fs.readFileSync(path.join(ours, n)).equals(fs.readFileSync(path.join(theirs, n))), `${name}: ${n}`);
      // Again into the same folder: the user is asked, and declining leaves every file as it was.
      const marked = path.join(ours, expected[0]);
      fs.writeFileSync(marked, 'kept');
      vscode.answers.open.push([vscode.Uri.file(ours)]);
      vscode.answers.warning.push(undefined);
      const declined = await ask({ kind: 'job', pair: PAIR, job: { what: 'extract', delivery: 'zip' } });
      assert.equal(declined.outcome, 'cancelled');
      assert.equal(fs.readFileSync(marked, 'utf8'), 'kept');
      assert.match(vscode.shown.warning.at(-1), /will be replaced/);
      vscode.answers.open.push([vscode.Uri.file(ours)]);
      vscode.answers.warning.push('Replace');
      assert.equal((await ask({ kind: 'job', pair: PAIR, job: { what: 'extract', delivery: 'zip' } })).outcome, 'written');
      assert.ok(fs.readFileSync(marked).equals(fs.readFileSync(path.join(theirs, expected[0]))));
    } finally {
      fs.rmSync(ours, { recursive: true, force: true });
      fs.rmSync(theirs, { recursive: true, force: true });
    }
  }
});

test('the commands: Check save file shows quelvane-cli check\'s report; Extract all on an explorer file', async (t) => {
  if (!usable(t)) return;
  const file = real('P4_EKO.SAVF');
  await vscode.commands.executeCommand('quelvane.checkSaveFile', vscode.Uri.file(file));
  const report = vscode.shown.documents.at(-1).getText().trimEnd().split('\n');
  const native = cliLines(['check', file]);
  assert.equal(report[0], 'Check save file');
  assert.deepEqual(report.slice(report.length - native.length + 1), native.slice(1));
  const out = temporary();
  try {
    vscode.answers.open.push([vscode.Uri.file(out)]);
    await vscode.commands.executeCommand('quelvane.extractAll', vscode.Uri.file(real('CSCH@009.SAVF')));
    assert.ok(filesUnder(out).length > 3, 'files were extracted');
    assert.match(vscode.shown.info.at(-1), /files were written into the folder/);
  } finally {
    fs.rmSync(out, { recursive: true, force: true });
  }
});

test('Save sources as project on an explorer file writes what quelvane-cli sources writes', async (t) => {
  if (!usable(t)) return;
  const file = real('ISPH_ISPHERE_2015-02-08_617fe9.savf');
  const ours = temporary();
  const theirs = temporary();
  try {
    execFileSync(cli, ['sources', file, '--to', theirs]);
    vscode.answers.open.push([vscode.Uri.file(ours)]);
    await vscode.commands.executeCommand('quelvane.saveSourcesAsProject', vscode.Uri.file(file));
    const expected = filesUnder(theirs);
    assert.ok(expected.some((name) => name.endsWith('.ibmi.json')), 'the CLI wrote a project');
    assert.deepEqual(filesUnder(ours), expected);
    for (const name of expected) {
      assert.ok(fs.readFileSync(path.join(ours, name)).equals(fs.readFileSync(path.join(theirs, name))), name);
    }
    assert.match(vscode.shown.info.at(-1), /source members in \d+ files|files were written into the folder/);
  } finally {
    fs.rmSync(ours, { recursive: true, force: true });
    fs.rmSync(theirs, { recursive: true, force: true });
  }
});

test('a file that is not a save file says why in the editor', async (t) => {
  if (!usable(t)) return;
  const { ask } = await editorOn(real('MANIFEST.tsv'));
  const opened = await ask({ kind: 'open', ...PAIR });
  assert.notEqual(opened.outcome, 'opened');
  assert.ok((opened.messages ?? []).length > 0 || opened.error);
  assert.match((await ask({ kind: 'rows', first: 0, count: 5 })).error, /no save file is open/);
});

test('nothing is written outside the chosen folder, through a link in it either', async (t) => {
  if (!usable(t)) return;
  const cases = [
    ['a folder that is a link', (ours, elsewhere) => fs.symlinkSync(elsewhere, path.join(ours, 'CSCH@009'))],
    ['a file that is a link', (ours, elsewhere) => fs.symlinkSync(path.join(elsewhere, 'catalog.json'), path.join(ours, 'catalog.json'))],
  ];
  for (const [what, arrange] of cases) {
    const ours = temporary();
    const elsewhere = temporary();
    try {
      arrange(ours, elsewhere);
      const { ask } = await editorOn(real('CSCH@009.SAVF'));
      await ask({ kind: 'open', ...PAIR });
      vscode.answers.open.push([vscode.Uri.file(ours)]);
      vscode.answers.warning.push('Replace');
      const answer = await ask({ kind: 'job', pair: PAIR, job: { what: 'extract', delivery: 'zip' } });
      assert.equal(answer.outcome, 'failed', what);
      assert.match(answer.error, /outside the chosen folder; nothing was written/, what);
      assert.deepEqual(fs.readdirSync(elsewhere), [], `${what}: nothing went through the link`);
      const written = fs.readdirSync(ours, { recursive: true }).filter((n) => !fs.lstatSync(path.join(ours, n)).isSymbolicLink());
      assert.deepEqual(written, [], `${what}: nothing was written`);
      vscode.answers.warning.length = 0;
    } finally {
      fs.rmSync(ours, { recursive: true, force: true });
      fs.rmSync(elsewhere, { recursive: true, force: true });
    }
  }
});

test('a job runs in a worker thread: its progress is posted, and Cancel ends it with nothing written', async (t) => {
  if (!usable(t)) return;
  const out = temporary();
  try {
    const { ask, panel, posted, lastId } = await editorOn(real('UZ_zlib123.savf'));
    await ask({ kind: 'open', ...PAIR });
    vscode.answers.open.push([vscode.Uri.file(out)]);
    const running = ask({ kind: 'job', pair: PAIR, job: { what: 'extract', delivery: 'zip' } });
    await new Promise((done) => setTimeout(done, 20));
    panel.send({ kind: 'cancelJob', id: lastId() });
    assert.equal((await running).outcome, 'cancelled');
    assert.deepEqual(fs.readdirSync(out), [], 'a cancelled job writes nothing');
    vscode.answers.open.push([vscode.Uri.file(out)]);
    const whole = await ask({ kind: 'job', pair: PAIR, job: { what: 'extract', delivery: 'zip' } });
    assert.equal(whole.outcome, 'written', whole.error);
    assert.ok(posted.some((m) => m.progress !== undefined && m.progress.total > 0), 'progress was posted');
  } finally {
    fs.rmSync(out, { recursive: true, force: true });
  }
});

test('the Options confirmed in one editor come to the next one\'s webview, escaped', async (t) => {
  if (!usable(t)) return;
  const options = { 'quelvane.ebcdic': '273', 'quelvane.pc': '850', 'quelvane.byCcsid': '1', 'quelvane.odd': '"><script>' };
  const first = await editorOn(real('CSCH@009.SAVF'));
  await first.ask({ kind: 'open', ebcdic: 273, pc: 850, byCcsid: true, options });
  const { panel } = await editorOn(real('CSCH@009.SAVF'));
  const carried = panel.webview.html.match(/<meta name="quelvane-options" content="([^"]*)">/)[1];
  assert.doesNotMatch(carried, /[<>"]/);
  const decoded = carried.replace(/&quot;/g, '"').replace(/&lt;/g, '<').replace(/&gt;/g, '>').replace(/&amp;/g, '&');
  assert.deepEqual(JSON.parse(decoded), options);
  globalState.clear();
});

test('two editors on one file keep their saves apart', async (t) => {
  if (!usable(t)) return;
  const file = real('CSCH@009.SAVF');
  const one = await editorOn(file);
  const two = await editorOn(file);
  const first = await one.ask({ kind: 'open', ...PAIR });
  const second = await two.ask({ kind: 'open', ...PAIR });
  assert.deepEqual([first.save, second.save], [1, 1], 'each editor numbers its own saves');
  await one.ask({ kind: 'close', save: first.save });
  assert.match((await one.ask({ kind: 'show', node: at('/') })).error, /no save file is open/);
  assert.equal((await two.ask({ kind: 'show', node: at('/') })).error, undefined, 'the other editor\'s save stays open');
  one.close();
  two.close();
});
