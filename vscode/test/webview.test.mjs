// The webview (the page's own modules over the host's messages) in Debian's Chromium: the
// document opens with the tree, a member lists quelvane-cli's rows, an export goes through the
// host's save dialog with quelvane-cli's bytes (and the object list's text, quelvane-cli
// objects'), Check save file shows its report, and the
// theme's colours are the page's. Screenshots at 1366x768 in light and dark go to --shots.
//   node test/webview.test.mjs --savf DIR --cli quelvane-cli [--shots DIR]
import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { test } from 'node:test';
import { vscode } from './host.mjs';
import { browserPath, gridLines, themes, withWebview } from './webview.mjs';
import { option, usable as usableWith, cliLines as cliOutput } from './harness.mjs';

const savf = option('savf');
const cli = option('cli');
const shots = option('shots');
const real = (name) => path.join(savf, name);
const pages = ['--ebcdic', '37', '--pc', '1252'];
const usable = (t) =>
  usableWith(t, [[browserPath, 'chromium'], [savf, 'the real save files'], [cli, 'the native quelvane-cli']]);
const cliLines = (args) => cliOutput(cli, args);



// The tree's item of a member node "part/object/member".
const itemOf = (node) => `[role=tree] > li${node.split('/').map((at) => ` > ul > li:nth-child(${Number(at) + 1})`).join('')} > span`;

async function openMember(page, file, node) {
  await page.waitForSelector('[role=treeitem]');
  await page.evaluate(() => document.querySelectorAll('[aria-expanded]').forEach((e) => e.setAttribute('aria-expanded', 'true')));
  await page.locator(itemOf(node)).click();
  const expected = cliLines(['show', file, node, ...pages]);
  await page.waitForFunction((title) => document.getElementById('title').textContent === title, expected[0]);
  await page.waitForSelector('[role=gridcell]');
  return expected;
}

test('the document opens with its tree; a member lists the rows quelvane-cli shows', async (t) => {
  if (!usable(t)) return;
  const file = real('CSCH@009.SAVF');
  await withWebview(file, async (page) => {
    await page.waitForSelector('[role=treeitem]');
    assert.equal(await page.textContent('[role=tab] span'), 'CSCH@009.SAVF', 'the tab is named as the document');
    const root = cliLines(['show', file, '/', ...pages]);
    await page.waitForFunction((title) => document.getElementById('title').textContent === title, root[0]);
    const expected = await openMember(page, file, '1/0/0');
    const lines = await gridLines(page);
    assert.deepEqual(lines, expected.slice(2, 2 + lines.length));
    assert.equal(await page.isVisible('#welcome'), false);
    assert.equal(await page.isVisible('#compare'), false, 'Compare with... needs a second file the webview cannot hand over');
  });
});

test('Export a member goes through the host\'s save dialog and writes quelvane-cli\'s bytes', async (t) => {
  if (!usable(t)) return;
  const file = real('CSCH@009.SAVF');
  const out = fs.mkdtempSync(path.join(os.tmpdir(), 'quelvane-webview-'));
  try {
    await withWebview(file, async (page) => {
      await openMember(page, file, '1/0/0');
      await page.selectOption('select[aria-label="The File Type to save :"]', 'xls');
      vscode.answers.save.push(vscode.Uri.file(path.join(out, 'ours.xls')));
      await page.getByRole('button', { name: 'Export a member' }).click();
      await page.waitForFunction(() => /written to/.test(document.getElementById('messages').textContent));
      execFileSync(cli, ['export', file, '1/0/0', '--format', 'xls', '-o', path.join(out, 'cli.xls'), ...pages]);
      assert.ok(fs.readFileSync(path.join(out, 'ours.xls')).equals(fs.readFileSync(path.join(out, 'cli.xls'))));
      vscode.answers.open.push([vscode.Uri.file(out)]);
      await page.getByRole('button', { name: 'Extract all...' }).click();
      await page.waitForFunction(() => /files were written into the folder/.test(document.getElementById('messages').textContent));
      assert.ok(fs.readdirSync(out).length > 3);
      // The object list's text, which the page makes itself, through the same save dialog.
      await page.getByRole('button', { name: 'Object list...' }).click();
      vscode.answers.save.push(vscode.Uri.file(path.join(out, 'objects.txt')));
      await page.getByRole('dialog', { name: /^Object list/ }).getByRole('button', { name: 'Save as text...' }).click();
      for (let waited = 0; !fs.existsSync(path.join(out, 'objects.txt')) && waited < 300; waited += 1) await new Promise((done) => setTimeout(done, 100));
      assert.equal(fs.readFileSync(path.join(out, 'objects.txt'), 'utf8'), execFileSync(cli, ['objects', file, ...pages]).toString());
    });
  } finally {
    fs.rmSync(out, { recursive: true, force: true });
  }
});

test('Check save file shows the report quelvane-cli check prints', async (t) => {
  if (!usable(t)) return;
  const file = real('P4_EKO.SAVF');
  await withWebview(file, async (page) => {
    await page.waitForSelector('[role=treeitem]');
    await page.getByRole('button', { name: 'Check save file' }).click();
    await page.getByRole('dialog', { name: 'Check save file' }).waitFor();
    const report = cliLines(['check', file]);
    assert.equal(await page.textContent('#report-text'), ['P4_EKO.SAVF', ...report.slice(1)].join('\n'));
  });
});

test('the theme\'s variables colour the page, light and dark', async (t) => {
  if (!usable(t)) return;
  const file = real('CSCH@009.SAVF');
  for (const theme of ['light', 'dark']) {
    await withWebview(file, async (page) => {
      await openMember(page, file, '1/2/0');
      const colours = await page.evaluate(() => {
        const of = (selector, property) => getComputedStyle(document.querySelector(selector))[property];
        return { body: of('body', 'backgroundColor'), text: of('body', 'color'), header: of('header', 'backgroundColor'), button: of('#options', 'backgroundColor') };
      });
      const rgb = (hex) => `rgb(${[1, 3, 5].map((at) => parseInt(hex.slice(at, at + 2), 16)).join(', ')})`;
      const { vars } = themes[theme];
      assert.deepEqual(colours, {
        body: rgb(vars['--vscode-editor-background']), text: rgb(vars['--vscode-editor-foreground']),
        header: rgb(vars['--vscode-sideBar-background']), button: rgb(vars['--vscode-button-secondaryBackground']),
      }, theme);
      if (shots) {
        fs.mkdirSync(shots, { recursive: true });
        await page.screenshot({ path: path.join(shots, `vscode-${theme}.png`) });
      }
    }, { theme });
  }
});

async function waitForFirstRow(page, line) {
  await page.waitForFunction((expected) => {
    const row = document.querySelector('#content [role=grid] [role=row]:not(.header)');
    return row !== null && [...row.children].map((c) => c.textContent).join('\t') === expected;
  }, line);
}

test('the Options\' stored-CCSID choice re-opens the save through the host, and the list follows it', async (t) => {
  if (!usable(t)) return;
  const file = real('GURI_demodb.savf');
  const shown = (byCcsid) => cliLines(['show', file, '0/0/0', ...pages, '--ccsid', byCcsid ? 'stored' : 'pair']);
  await withWebview(file, async (page) => {
    await openMember(page, file, '0/0/0');
    assert.deepEqual(await gridLines(page, 6), shown(false).slice(2, 8), 'by the pair while the choice is off');
    await page.getByRole('button', { name: 'Options' }).click();
    const dialog = page.getByRole('dialog', { name: 'Options' });
    await dialog.getByRole('checkbox', { name: 'Decode text by the CCSIDs stored in the save file', exact: true }).check();
    await dialog.getByRole('button', { name: 'Confirm' }).click();
    const byCcsid = shown(true);
    await page.waitForSelector('[role=treeitem]');
    await page.evaluate(() => document.querySelectorAll('[aria-expanded]').forEach((e) => e.setAttribute('aria-expanded', 'true')));
    await page.locator(itemOf('0/0/0')).click();
    await waitForFirstRow(page, byCcsid[3]);
    assert.deepEqual(await gridLines(page, 6), byCcsid.slice(2, 8), 'by stored CCSID once chosen');
  });
  // Another editor, whose webview's storage starts empty, opens by the Options confirmed.
  await withWebview(file, async (page) => {
    await openMember(page, file, '0/0/0');
    await waitForFirstRow(page, shown(true)[3]);
    await page.getByRole('button', { name: 'Options' }).click();
    const choice = page.getByRole('dialog', { name: 'Options' }).getByRole('checkbox', { name: 'Decode text by the CCSIDs stored in the save file', exact: true });
    assert.equal(await choice.isChecked(), true, 'the choice is kept across editors');
  }, { keepOptions: true, pair: {} });
});

test('a save held in a save file of another name opens in a tab of its own', async (t) => {
  if (!usable(t)) return;
  const outer = real('ANSI_ARCHLIB_v2.FILE');
  await withWebview(outer, async (page) => {
    await page.waitForSelector('[role=treeitem]');
    await page.evaluate(() => document.querySelectorAll('[aria-expanded]').forEach((e) => e.setAttribute('aria-expanded', 'true')));
    await page.locator('#tree [role=tree] > li > ul > li:nth-child(1) > ul > li:nth-child(1) > span').click();
    await page.waitForFunction(() => !document.getElementById('held').disabled);
    await page.getByRole('toolbar').getByRole('button', { name: 'Open saved save file' }).click();
    const inner = cliLines(['show', outer, '/', '--inner', '0/0', ...pages]);
    await waitForFirstRow(page, inner[1]);
    assert.equal(await page.getByRole('tab').count(), 2);
    assert.match(await page.getByRole('tab', { selected: true }).textContent(), /^ANSI_ARCHLIB_v2\.FILE > ARCHLIB\(/);
    assert.deepEqual(await gridLines(page), inner.slice(0, 12));
  });
});

test('Cancel in the webview ends the host\'s job, even while its folder dialog is open', async (t) => {
  if (!usable(t)) return;
  const file = real('UZ_zlib123.savf');
  const out = fs.mkdtempSync(path.join(os.tmpdir(), 'quelvane-webview-'));
  try {
    await withWebview(file, async (page) => {
      await page.waitForSelector('[role=treeitem]');
      let answerDialog;
      vscode.answers.open.push(() => new Promise((done) => { answerDialog = () => done([vscode.Uri.file(out)]); }));
      await page.getByRole('button', { name: 'Extract all...' }).click();
      await page.locator('.job').getByRole('button', { name: 'Cancel' }).click();
      await page.waitForFunction(() => /cancelled, nothing was written/.test(document.getElementById('messages').textContent));
      answerDialog();
      await new Promise((done) => setTimeout(done, 1500));
      assert.deepEqual(fs.readdirSync(out), [], 'nothing was written');
      assert.equal(await page.getByRole('button', { name: 'Extract all...' }).isDisabled(), false, 'another job may start');
    });
  } finally {
    fs.rmSync(out, { recursive: true, force: true });
  }
});
