// The page's Options, tools and daily use in Debian's Chromium, against quelvane-cli and the
// bridge's own lists: the code pages, the object list, the check report, held saves, several
// files, the tree's keys, copy and find. With --shots DIR it also takes the screenshots.
import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import fs from 'node:fs';
import { createRequire } from 'node:module';
import path from 'node:path';
import { test } from 'node:test';
import {
  cli, cliLines, expandAll, gridLines, openFile, option, pair, real, shownByCli, usable, waitForFirstRow, withPage,
} from './browser.mjs';

// The rows of the Options lists as the module itself gives them.
async function codePages() {
  const bin = path.dirname(path.resolve(option('page')));
  const { startQuelvane } = await import(path.join(bin, 'quelvane.mjs'));
  const module = path.join(bin, 'quelvane-node.js');
  const quelvane = await startQuelvane(createRequire(import.meta.url)(module),
    { wasmBinary: fs.readFileSync(module.replace(/\.js$/, '.wasm')) });
  return quelvane.codePages();
}

const optionTexts = (page, id) => page.$$eval(`#${id} option`, (options) => options.map((o) => o.textContent));
const selectedRow = (page, id) => page.$eval(`#${id}`, (list) => list.selectedIndex);

// The tree item of a path of indices ("1/0/0"), as a locator of its caption.
function treeNode(page, steps) {
  const nth = steps.split('/').filter(Boolean).map((i) => ` > ul > li:nth-child(${Number(i) + 1})`).join('');
  return page.locator(`#tree [role=tree] > li${nth} > span`);
}

// `ccsid`: the page reads records by the pair ('pair', as the tests' stored Options have it) or by
// the fields' stored CCSIDs ('stored', the choice a new user starts with).
async function showNode(page, file, steps, pages = pair, ccsid = 'pair') {
  await expandAll(page);
  await treeNode(page, steps).click();
  const expected = shownByCli(file, steps, pages, ['--ccsid', ccsid]);
  await page.waitForFunction((title) => document.getElementById('title').textContent === title, expected[0]);
  await waitForFirstRow(page, expected[3]);
  return expected;
}

test('the Options: the desktop lists, one click away, kept, and a new pair re-opens', async (t) => {
  if (!usable(t)) return;
  const pages = await codePages();
  const file = real('CSCH@009.SAVF');
  const row = (list, page) => list.findIndex((entry) => entry.page === page);
  await withPage(async (page) => {
    await page.setInputFiles('#file', file);
    await waitForFirstRow(page, shownByCli(file, '/')[1]);
    const dialog = page.getByRole('dialog', { name: 'Options' });
    assert.equal(await dialog.isVisible(), false, 'the first open does not ask');
    await page.getByRole('button', { name: 'Options' }).click();
    await dialog.waitFor();
    assert.deepEqual(await optionTexts(page, 'options-host'), pages.host.map((r) => r.text));
    assert.deepEqual(await optionTexts(page, 'options-pc'), pages.pc.map((r) => r.text));
    // Nothing stored: the rows of the pair the save's texts suggest (most are tagged 5035).
    assert.equal(await selectedRow(page, 'options-host'), row(pages.host, 939));
    assert.equal(await selectedRow(page, 'options-pc'), row(pages.pc, 932));
    // An EBCDIC row that names a PC page picks its row; one that names none leaves the PC row.
    for (const [at, host] of pages.host.entries()) {
      const before = await selectedRow(page, 'options-pc');
      await page.selectOption('#options-host', { index: at });
      const expected = host.pc === undefined ? before : row(pages.pc, host.pc);
      assert.equal(await selectedRow(page, 'options-pc'), expected, host.text);
    }
    const byCcsid = dialog.getByRole('checkbox', { name: 'Decode text by the CCSIDs stored in the save file', exact: true });
    assert.equal(await byCcsid.isChecked(), true, 'text is read by the stored CCSIDs from the start');
    await page.selectOption('#options-host', { index: row(pages.host, pair.ebcdic) });
    await page.selectOption('#options-pc', { index: row(pages.pc, pair.pc) });
    // The first confirmed pair opens the save again, with a tree of its own.
    const treeBefore = await page.$('[role=tree]');
    await dialog.getByRole('button', { name: 'Confirm' }).click();
    await treeBefore.waitForElementState('hidden');
    await waitForFirstRow(page, shownByCli(file, '/')[1]);
    assert.deepEqual(await page.evaluate(() => [localStorage.getItem('quelvane.ebcdic'), localStorage.getItem('quelvane.pc')]),
      [String(pair.ebcdic), String(pair.pc)]);

    // Confirmed with the choice left on: the member's kanji are read by their stored CCSIDs.
    await showNode(page, file, '1/0/0', pair, 'stored');
    const other = pages.host.find((r) => r.page !== pair.ebcdic && r.pc !== undefined && r.pc !== pair.pc);
    const changed = { ebcdic: other.page, pc: other.pc };
    await page.getByRole('button', { name: 'Options' }).click();
    assert.equal(await selectedRow(page, 'options-host'), row(pages.host, pair.ebcdic), 'the stored row is shown again');
    await page.selectOption('#options-host', { index: row(pages.host, changed.ebcdic) });
    // Read by stored CCSIDs, the member's first row may be the same by either pair: the tree
    // made anew says the save was opened again.
    const treeOfPair = await page.$('[role=tree]');
    await dialog.getByRole('button', { name: 'Confirm' }).click();
    await treeOfPair.waitForElementState('hidden');
    const expected = shownByCli(file, '1/0/0', changed, ['--ccsid', 'stored']);
    await waitForFirstRow(page, expected[3]);
    assert.deepEqual(await gridLines(page, 6), expected.slice(2, 8), 'the member again with the new pair');

    await page.reload();
    await page.setInputFiles('#file', file);
    await waitForFirstRow(page, shownByCli(file, '/', changed)[1]);
    assert.equal(await dialog.isVisible(), false, 'a stored pair opens without asking');
  }, { configured: false });

  await withPage(async (page) => {
    await page.setInputFiles('#file', file);
    await waitForFirstRow(page, shownByCli(file, '/')[1]);
    await page.getByRole('button', { name: 'Options' }).click();
    await page.getByRole('dialog', { name: 'Options' }).getByRole('button', { name: 'Cancel' }).click();
    await page.waitForTimeout(200);
    assert.equal(await page.getByRole('tab').count(), 1, 'a cancelled dialog leaves the save open');
    assert.equal(await page.evaluate(() => localStorage.getItem('quelvane.ebcdic')), null, 'and stores nothing');
  }, { configured: false });

  // Pages stored without their rows (or rows that name other pages) show the rows of the pages.
  await withPage(async (page) => {
    await page.evaluate(() => localStorage.setItem('quelvane.ebcdicRow', '0'));
    await page.getByRole('button', { name: 'Options' }).click();
    await page.getByRole('dialog', { name: 'Options' }).waitFor();
    assert.deepEqual([await selectedRow(page, 'options-host'), await selectedRow(page, 'options-pc')],
      [row(pages.host, pair.ebcdic), row(pages.pc, pair.pc)]);
  });
});

test('the object list: sorted, filtered by name, saved as the text quelvane-cli prints', async (t) => {
  if (!usable(t)) return;
  const name = 'CSCH@009.SAVF';
  const file = real(name);
  const printed = execFileSync(cli, ['objects', file, '--ebcdic', String(pair.ebcdic), '--pc', String(pair.pc)]).toString();
  const lines = printed.replace(/\n$/, '').split('\n');
  const rule = lines.findIndex((line) => /^-+ /.test(line));
  const objects = lines.slice(rule + 1);
  await withPage(async (page) => {
    await openFile(page, name);
    await page.getByRole('button', { name: 'Object list...' }).click();
    const dialog = page.getByRole('dialog', { name: `Object list - ${name}` });
    await dialog.waitFor();
    const headers = await dialog.getByRole('columnheader').allTextContents();
    assert.deepEqual(headers, lines[rule - 1].split(/\s{2,}/));
    const names = () => dialog.locator('[role=row]:not(.head) [role=gridcell]:first-child').allTextContents();
    assert.deepEqual(await names(), objects.map((line) => line.split(' ')[0]));
    assert.equal(await dialog.getByRole('status').textContent(), `${objects.length} of ${objects.length} objects`);

    const saved = async () => {
      const [download] = await Promise.all([page.waitForEvent('download'), dialog.getByRole('button', { name: 'Save as text...' }).click()]);
      return fs.readFileSync(await download.path(), 'utf8');
    };
    assert.equal(await saved(), printed, 'the whole list saves as quelvane-cli prints it');

    const sizes = async () => (await dialog.locator('[role=row]:not(.head) [role=gridcell]:nth-child(5)').allTextContents())
      .map((s) => (s === '' ? -1 : Number(s)));
    const size = dialog.getByRole('columnheader', { name: 'Size' });
    for (const [sort, order] of [['ascending', (a, b) => a - b], ['descending', (a, b) => b - a]]) {
      await size.click();
      assert.equal(await size.getAttribute('aria-sort'), sort);
      const shown = await sizes();
      assert.deepEqual(shown, [...shown].sort(order), sort);
    }

    for (const [typed, pattern] of [['q', /^q/i], ['*SRC', /^.*SRC$/i], ['m*@3', /^m.*@3$/i], ['none', /^none/i]]) {
      await dialog.getByLabel('Name:').fill(typed);
      const shown = await names();
      const wanted = objects.map((line) => line.split(' ')[0]).filter((n) => pattern.test(n));
      assert.deepEqual([...shown].sort(), [...wanted].sort(), typed);
      assert.equal(await dialog.getByRole('status').textContent(), `${wanted.length} of ${objects.length} objects`);
      const text = (await saved()).replace(/\n$/, '').split('\n');
      assert.deepEqual(text.slice(0, rule - 1), lines.slice(0, rule - 1), `${typed}: the header lines`);
      assert.deepEqual(text.slice(rule + 1).map((line) => line.split(' ')[0]), shown, `${typed}: the rows shown, in their order`);
    }
  });
});

test('Check save file shows the damage report quelvane-cli check prints', async (t) => {
  if (!usable(t)) return;
  await withPage(async (page) => {
    for (const name of ['CSCH@009.SAVF', 'P4_EKO.SAVF']) {
      const file = await openFile(page, name);
      await page.getByRole('button', { name: 'Check save file' }).click();
      const dialog = page.getByRole('dialog', { name: 'Check save file' });
      await dialog.waitFor();
      const report = cliLines(['check', file]);
      assert.equal(await page.textContent('#report-text'), [name, ...report.slice(1)].join('\n'), name);
      await dialog.getByRole('button', { name: 'OK' }).click();
    }
  });
});

test('a saved save file opens in a tab of its own; several files and a dropped one each get a tab', async (t) => {
  if (!usable(t)) return;
  const outer = real('ANSI_ARCHLIB_v2.FILE');
  await withPage(async (page) => {
    await openFile(page, 'ANSI_ARCHLIB_v2.FILE');
    const held = page.getByRole('toolbar').getByRole('button', { name: 'Open saved save file' });
    assert.equal(await held.isDisabled(), true, 'only an object can hold a save');
    await expandAll(page);
    // An object that holds no save says so, and no tab opens for it.
    await treeNode(page, '1/0').click();
    await page.waitForFunction(() => !document.getElementById('held').disabled);
    await held.click();
    await page.waitForFunction(() => document.getElementById('messages').textContent === 'PF1 is not a save file');
    assert.equal(await page.getByRole('tab').count(), 1);
    await treeNode(page, '0/0').click();
    await page.waitForFunction(() => document.getElementById('messages').textContent === '');
    await held.click();
    const inner = shownByCli(outer, '/', pair, ['--inner', '0/0']);
    await waitForFirstRow(page, inner[1]);
    assert.equal(await page.getByRole('tab').count(), 2);
    assert.match(await page.getByRole('tab', { selected: true }).textContent(), /^ANSI_ARCHLIB_v2\.FILE > ARCHLIB\(/);
    assert.deepEqual(await gridLines(page), inner.slice(0, 12));

    const both = ['CSCH@009.SAVF', 'UZ_wcount25i.savf'].map(real);
    await page.setInputFiles('#file', both);
    await waitForFirstRow(page, shownByCli(both[1], '/')[1]);
    assert.equal(await page.getByRole('tab').count(), 4);
    await page.getByRole('tab', { name: 'CSCH@009.SAVF' }).click();
    await waitForFirstRow(page, shownByCli(both[0], '/')[1]);
    // A tab shows again the node it showed last.
    await page.getByRole('tab').first().click();
    const object = shownByCli(outer, '0/0');
    await page.waitForFunction(([title, summary]) => document.getElementById('title').textContent === title
      && document.getElementById('summary').textContent === summary, object.slice(0, 2));

    const dropped = real('GURI_demodb.savf');
    const bytes = [...fs.readFileSync(dropped)];
    await page.evaluate(({ data, name }) => {
      const transfer = new DataTransfer();
      transfer.items.add(new File([new Uint8Array(data)], name));
      for (const type of ['dragover', 'drop']) {
        document.body.dispatchEvent(new DragEvent(type, { dataTransfer: transfer, bubbles: true, cancelable: true }));
      }
    }, { data: bytes, name: 'GURI_demodb.savf' });
    await waitForFirstRow(page, shownByCli(dropped, '/')[1]);
    assert.equal(await page.getByRole('tab', { selected: true }).textContent(), 'GURI_demodb.savf×');

    await page.getByRole('button', { name: 'Close GURI_demodb.savf' }).click();
    assert.equal(await page.getByRole('tab').count(), 4);

    // A new pair opens the held save again through the save that holds it: a member of it shows
    // as quelvane-cli shows it with that pair (one that changes its text).
    await page.getByRole('tab', { name: /^ANSI_ARCHLIB_v2\.FILE > / }).click();
    await waitForFirstRow(page, inner[1]);
    await expandAll(page);
    await treeNode(page, '1/0/0').click();
    const member = (pages) => shownByCli(outer, '1/0/0', pages, ['--inner', '0/0']);
    const before = member(pair);
    await waitForFirstRow(page, before[3]);
    const pages = await codePages();
    const other = pages.host.findIndex((r) => r.pc !== undefined
      && member({ ebcdic: r.page, pc: r.pc }).join('\n') !== before.join('\n'));
    assert.ok(other >= 0, 'a pair that changes the member');
    const { page: ebcdic, pc } = pages.host[other];
    await page.getByRole('button', { name: 'Options' }).click();
    await page.selectOption('#options-host', { index: other });
    await page.getByRole('button', { name: 'Confirm' }).click();
    const again = member({ ebcdic, pc });
    await waitForFirstRow(page, again[3]);
    assert.deepEqual(await gridLines(page, 8), again.slice(2, 10));
  });
});

test('the tree\'s keys, copy of selected rows and find within the list', async (t) => {
  if (!usable(t)) return;
  await withPage(async (page) => {
    const file = await openFile(page, 'CSCH@009.SAVF');
    const focused = () => page.evaluate(() => document.activeElement.getAttribute('aria-label'));
    const tree = await page.$$eval('#tree [role=tree] > li > ul > li', (items) => items.map((i) => i.getAttribute('aria-label')));
    const root = await page.getAttribute('#tree [role=tree] > li', 'aria-label');
    await page.focus('#tree [role=tree] > li');
    const steps = [
      ['ArrowDown', tree[0]], ['End', tree.at(-1)], ['Home', root], ['ArrowDown', tree[0]],
      ['ArrowRight', tree[0], 'true'], ['ArrowLeft', tree[0], 'false'], ['ArrowLeft', root],
      ['p', tree[0]], ['p', tree[1]], ['ArrowUp', tree[0]],
    ];
    for (const [key, name, expanded] of steps) {
      await page.keyboard.press(key);
      assert.equal(await focused(), name, key);
      if (expanded) assert.equal(await page.evaluate(() => document.activeElement.getAttribute('aria-expanded')), expanded, key);
    }
    await page.keyboard.press('ArrowRight');
    await page.keyboard.press('ArrowRight');
    const object = await focused();
    assert.ok(object !== tree[0], 'ArrowRight on an open item goes to its first child');
    await page.keyboard.press('Enter');
    await page.waitForFunction(() => document.querySelector('#tree [aria-selected=true]') !== null);

    const shown = await showNode(page, file, '1/0/0');
    const rows = page.locator('#content [role=row]:not(.header)');
    await rows.nth(0).click();
    await rows.nth(2).click({ modifiers: ['Shift'] });
    await rows.nth(4).click({ modifiers: ['Control'] });
    await page.keyboard.press('Control+c');
    const copied = await page.evaluate(() => navigator.clipboard.readText());
    assert.equal(copied, `${[...shown.slice(2, 6), shown[7]].join('\n')}\n`);

    // From the row after the one selected last (the fifth), past the end to the top.
    const records = shown.slice(3);
    const target = records.at(-1).split('\t')[1].trim();
    const order = [...records.keys()].map((i) => (i + 5) % records.length);
    const hits = order.filter((i) => records[i].toLowerCase().includes(target.toLowerCase()));
    await page.fill('#find-text', target);
    for (const hit of [...hits, hits[0]]) {
      await page.press('#find-text', 'Enter');
      await page.waitForFunction((row) => document.querySelector(`#content [role=row][data-row="${row}"][aria-selected=true]`) !== null, hit);
    }
    // The list's own keys move the selection; Shift keeps the rows from the anchor.
    const selected = () => page.$$eval('#content [role=row][aria-selected=true]', (rows) => rows.map((r) => Number(r.dataset.row)));
    const last = records.length - 1;
    await page.focus('#content [role=grid]');
    for (const [key, rowsSelected] of [
      ['Home', [0]], ['ArrowDown', [1]], ['End', [last]], ['ArrowUp', [last - 1]], ['PageUp', [0]],
      ['Shift+End', [...records.keys()]], ['Control+a', [...records.keys()]],
    ]) {
      await page.keyboard.press(key);
      await page.waitForFunction((n) => document.querySelectorAll('#content [role=row][aria-selected=true]').length === n, rowsSelected.length);
      assert.deepEqual(await selected(), rowsSelected, key);
    }
    await page.keyboard.press('Control+c');
    assert.equal(await page.evaluate(() => navigator.clipboard.readText()), `${shown.slice(2).join('\n')}\n`, 'every row copied');

    await page.focus('#content [role=grid]');
    await page.keyboard.press('Control+f');
    assert.equal(await page.evaluate(() => document.activeElement.id), 'find-text', 'Ctrl+F in the list goes to its find');
    await page.fill('#find-text', 'no such text anywhere');
    await page.press('#find-text', 'Enter');
    await page.waitForFunction(() => document.getElementById('find-state').textContent === 'Not found');
  });
});

test('the main states at 1366×768, light and dark, without the list moving', async (t) => {
  if (!usable(t)) return;
  const shots = option('shots');
  const shoot = async (page, name) => {
    if (shots) await page.screenshot({ path: path.join(shots, `${name}.png`) });
  };
  if (shots) fs.mkdirSync(shots, { recursive: true });
  for (const colorScheme of ['light', 'dark']) {
    await withPage(async (page) => {
      const tops = new Map();
      const top = async (what) => tops.set(what, (await page.locator('#content').boundingBox()).y);
      const file = await openFile(page, 'CSCH@009.SAVF');
      await top('a clean save');
      await shoot(page, `${colorScheme}-opened`);
      await showNode(page, file, '1/0/0');
      await top('records');
      await shoot(page, `${colorScheme}-records`);
      if (colorScheme === 'dark') return;
      await page.getByRole('button', { name: 'Object list...' }).click();
      await page.getByRole('dialog', { name: /^Object list/ }).waitFor();
      await shoot(page, 'object-list');
      await page.getByRole('button', { name: 'Close', exact: true }).click();
      await openFile(page, 'P4_EKO.SAVF');
      await top('a damaged save');
      await page.getByRole('button', { name: 'Check save file' }).click();
      await page.getByRole('dialog', { name: 'Check save file' }).waitFor();
      await shoot(page, 'check-report');
      await page.getByRole('button', { name: 'OK' }).click();
      await openFile(page, 'UZ_wcount25i.savf');
      await expandAll(page);
      await page.locator('#tree [role=treeitem] > span').nth(3).click();
      await page.waitForSelector('#content [role=gridcell]');
      await shoot(page, 'ifs-tree');
      await page.setInputFiles('#file', real('MANIFEST.tsv'));
      await page.waitForFunction(() => document.getElementById('messages').textContent.length > 0);
      await top('an error');
      await shoot(page, 'error');
      await page.getByRole('button', { name: 'Options' }).click();
      await shoot(page, 'options');
      assert.equal(new Set(tops.values()).size, 1, `the list stays where it is: ${JSON.stringify([...tops])}`);
      // The splitter sets the tree's width by keys and by drag, and the page keeps it.
      await page.keyboard.press('Escape');
      const width = async () => (await page.locator('#tree').boundingBox()).width;
      const before = await width();
      await page.focus('#splitter');
      await page.keyboard.press('ArrowRight');
      assert.equal(await width(), before + 16);
      const bar = await page.locator('#splitter').boundingBox();
      await page.mouse.move(bar.x + 2, bar.y + 100);
      await page.mouse.down();
      await page.mouse.move(bar.x + 202, bar.y + 100, { steps: 4 });
      await page.mouse.up();
      assert.ok(Math.abs((await width()) - (before + 216)) <= 2, `dragged to ${await width()}`);
      await page.reload();
      assert.ok(Math.abs((await width()) - (before + 216)) <= 2, 'the width is kept');
    }, { colorScheme });
  }
});
