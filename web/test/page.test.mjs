// The page in Debian's Chromium, opened from file://: a real save file opened through the file
// input shows the tree and the rows quelvane-cli shows, and no request leaves the page.
//   node test/page.test.mjs --page quelvane.html --savf DIR --cli quelvane-cli
import assert from 'node:assert/strict';
import path from 'node:path';
import { test } from 'node:test';
import { gridLines, savf, shownByCli, usable, withPage } from './browser.mjs';

const kinds = [
  ['ANSI_MYSAVF.FILE', 'stored'], ['CSCH@009.SAVF', 'run-length'], ['GURI_demodb.savf', 'TERSE'],
  ['NOX_release_2022-07-07.savf', 'LZ1'], ['UZ_wcount25i.savf', 'IFS'], ['ANSI_ARCHLIB_v2.FILE', 'nested'],
  ['P4_EKO.SAVF', 'damaged'],
];

test('each kind of save opens from file:// with the summary quelvane-cli shows', async (t) => {
  if (!usable(t)) return;
  await withPage(async (page) => {
    for (const [name, kind] of kinds) {
      const file = path.join(savf, name);
      await page.setInputFiles('#file', file);
      const expected = shownByCli(file, '/');
      await page.waitForFunction((line) => {
        const row = document.querySelector('[role=grid] [role=row]:not(.header)');
        return row !== null && [...row.children].map((c) => c.textContent).join('\t') === line;
      }, expected[1]);
      const lines = await gridLines(page);
      assert.deepEqual(lines, expected.slice(0, lines.length), `${name} (${kind})`);
      const first = await page.getAttribute('[role=tree] > [role=treeitem]', 'aria-label');
      assert.ok(first.length > 0, `${name}: the tree names its library`);
    }
  });
});

test('a member shows the rows quelvane-cli shows', async (t) => {
  if (!usable(t)) return;
  const file = path.join(savf, 'CSCH@009.SAVF');
  await withPage(async (page) => {
    await page.setInputFiles('#file', file);
    await page.waitForSelector('[role=treeitem]');
    const member = page.locator('[role=tree] > li > ul > li:nth-child(2) > ul > li:nth-child(1) > ul > li:nth-child(1) > span');
    await page.evaluate(() => document.querySelectorAll('[aria-expanded]').forEach((e) => e.setAttribute('aria-expanded', 'true')));
    await member.click();
    const expected = shownByCli(file, '1/0/0');
    await page.waitForFunction((title) => document.getElementById('title').textContent === title, expected[0]);
    await page.waitForSelector('[role=gridcell]');
    const lines = await gridLines(page);
    assert.deepEqual(lines, expected.slice(2, 2 + lines.length));
  });
});

test('a file that is not a save file gives the core\'s message', async (t) => {
  if (!usable(t)) return;
  await withPage(async (page) => {
    await page.setInputFiles('#file', path.join(savf, 'CSCH@009.SAVF'));
    await page.waitForSelector('[role=gridcell]');
    await page.setInputFiles('#file', path.join(savf, 'MANIFEST.tsv'));
    await page.waitForFunction(() => document.getElementById('messages').textContent.length > 0);
    assert.equal(await page.locator('[role=treeitem]').count(), 0);
    assert.equal(await page.locator('[role=gridcell]').count(), 0, 'the rows of the save before are gone');
    assert.equal(await page.textContent('#summary'), '');
  });
});

// Every node of one save, clicked in the tree, lists what quelvane-cli show prints for it: the
// tree item's place (part, object, member) is the CLI's node address.
test('every node of a save shows the rows quelvane-cli shows for it', async (t) => {
  if (!usable(t)) return;
  const file = path.join(savf, 'GURI_demodb.savf');
  await withPage(async (page) => {
    await page.setInputFiles('#file', file);
    await page.waitForSelector('[role=treeitem]');
    await page.evaluate(() => document.querySelectorAll('[aria-expanded]').forEach((e) => e.setAttribute('aria-expanded', 'true')));
    const places = await page.$$eval('[role=tree] [role=treeitem]', (items) => items.map((item) => {
      const steps = [];
      for (let at = item; at && at.getAttribute('role') === 'treeitem'; at = at.parentElement.closest('[role=treeitem]')) {
        steps.unshift([...at.parentElement.children].indexOf(at));
      }
      return steps;
    }));
    assert.ok(places.length >= 10, `the tree holds ${places.length} items`);
    for (const [n, steps] of places.entries()) {
      const address = steps.length === 1 ? '/' : steps.slice(1).join('/');
      const expected = shownByCli(file, address);
      await page.locator('[role=tree] [role=treeitem] > span').nth(n).click();
      // Shown once the list's captions and first row are the ones quelvane-cli prints.
      await page.waitForFunction((wanted) => {
        const rows = [...document.querySelectorAll('[role=grid] [role=row]')]
          .map((row) => [...row.children].map((c) => c.textContent).join('\t'));
        const at = rows.length > 0 ? wanted.indexOf(rows[0]) : -1;
        return at >= 0 && (rows.length < 2 || rows[1] === wanted[at + 1]);
      }, expected);
      if (steps.length > 1) assert.equal(await page.textContent('#title'), expected[0], `${address}: the title`);
      const lines = await gridLines(page);
      const at = expected.indexOf(lines[0]);
      assert.ok(at >= 0, `${address}: the list's captions are among the lines quelvane-cli prints`);
      assert.deepEqual(lines, expected.slice(at, at + lines.length), address);
    }
  });
});
