// "Compare with..." in Debian's Chromium, with the mouse: one save of a library open, the other
// chosen through the command's file chooser, compared in a job's worker; the view of what
// differs lists a changed object, opens it, and shows a changed source member's unified diff.
// Cancel leaves the save as it was, and so does closing the view. With --shots DIR it takes a
// screenshot of the view.
//   node test/compare.test.mjs --page quelvane.html --savf DIR [--shots DIR]
import assert from 'node:assert/strict';
import fs from 'node:fs';
import path from 'node:path';
import { test } from 'node:test';
import { browserPath, option, real, savf, withPage } from './browser.mjs';

const OLDER = 'ISPH_ISPHERE_2015-02-08_617fe9.savf';
const NEWER = 'ISPH_ISPHERE_2015-05-06_51507f.savf';

const shots = option('shots');
if (shots) fs.mkdirSync(shots, { recursive: true });

function usable(t) {
  const missing = [browserPath, real(OLDER), real(NEWER)].filter((p) => !savf || !fs.existsSync(p));
  if (missing.length === 0) return true;
  assert.ok(process.env.CI !== 'true', `missing under CI=true: ${missing.join(', ')}`);
  t.skip(`missing: ${missing.join(', ')}`);
  return false;
}

async function openOlder(page) {
  await page.setInputFiles('#file', real(OLDER));
  await page.waitForSelector('#tree [role=treeitem]');
  await page.waitForSelector('#content [role=gridcell]');
}

// Clicks "Compare with..." and chooses the newer save in the file chooser it opens.
async function compareWithNewer(page) {
  const [chooser] = await Promise.all([page.waitForEvent('filechooser'), page.getByRole('button', { name: 'Compare with...' }).click()]);
  await chooser.setFiles(real(NEWER));
}

// The rows of the difference tree in view: their index, level, caption, change and state.
function rowsInView(page) {
  return page.$$eval('#difftree [role=treeitem]', (rows) => rows.map((row) => ({
    id: row.id,
    level: row.getAttribute('aria-level'),
    expanded: row.getAttribute('aria-expanded'),
    caption: row.querySelector('.caption').textContent,
    change: row.querySelector('.change').textContent,
  })));
}

// Opens objects of the tree one after another with their triangles until one holds a source
// member whose lines changed; answers that member's row. Scrolls on with the wheel as needed.
async function findChangedSource(page) {
  const tried = new Set();
  for (let scrolls = 0; scrolls < 200; scrolls += 1) {
    const rows = await rowsInView(page);
    // 75 objects changed and the saves' details: only the rows in view (and a few more) are drawn.
    assert.ok(rows.length >= 20 && rows.length < 76, `${rows.length} rows drawn`);
    const member = rows.find((r) => r.level === '2' && /^changed, \+\d+ -\d+ lines/.test(r.change));
    if (member) return member;
    const next = rows.find((r) => r.expanded === 'false' && !tried.has(r.caption));
    if (next) {
      tried.add(next.caption);
      await page.locator(`#${next.id} > .twisty`).click();
      continue;
    }
    await page.locator('#difftree').hover();
    await page.mouse.wheel(0, 300);
    await page.waitForTimeout(50);
  }
  return assert.fail('no changed source member found in the view');
}

test('Compare with... shows the objects that changed and a member\'s unified diff', async (t) => {
  if (!usable(t)) return;
  await withPage(async (page) => {
    await openOlder(page);
    await compareWithNewer(page);
    await page.waitForSelector('#comparison:not([hidden])', { timeout: 120000 });
    assert.equal(await page.locator('main').isVisible(), false, 'the view takes the save\'s place');
    const title = await page.textContent('#comparison-title');
    assert.ok(title.includes(OLDER) && title.includes(NEWER), title);
    assert.match(await page.textContent('#comparison-head'), /\d+ objects? changed, \d+ added, \d+ removed; \d+ source members? changed/);

    const rows = await rowsInView(page);
    // 75 objects changed and the saves' details: only the rows in view (and a few more) are drawn.
    assert.ok(rows.length >= 20 && rows.length < 76, `${rows.length} rows drawn`);
    assert.match(rows[0].change, /^changed, saved "2015-02-08 13:35:28" -> "2015-05-06 11:07:27"/, 'the saves\' details first');
    const changed = rows.find((r) => r.level === '1' && r.caption.startsWith('ISPHERE/') && r.change.startsWith('changed'));
    assert.ok(changed, 'a changed object is listed');
    await page.locator(`#${changed.id} > .caption`).click();
    await page.waitForFunction((caption) => document.getElementById('diffdetail-title').textContent.startsWith(caption), changed.caption);
    const objectLines = await page.$$eval('#diffdetail .diffline', (lines) => lines.map((l) => l.textContent));
    assert.ok(objectLines[0].startsWith(`${changed.caption} changed`), objectLines[0]);

    const member = await findChangedSource(page);
    await page.locator(`#${member.id} > .caption`).click();
    await page.waitForSelector('#diffdetail .diffline.hunk');
    const lines = await page.$$eval('#diffdetail .diffline', (rows) => rows.map((r) => ({ text: r.textContent, mark: r.className })));
    assert.ok(lines[0].text.startsWith(`member ${member.caption} changed`), lines[0].text);
    assert.match(lines.find((l) => l.mark.includes('hunk')).text, /^@@ -\d+(,\d+)? \+\d+(,\d+)? @@$/);
    assert.ok(lines.some((l) => /plus|minus/.test(l.mark) && /^[+-]/.test(l.text)), 'a line added or removed is marked');
    if (shots) await page.screenshot({ path: path.join(shots, 'page-compare.png') });

    // Side by side: each line removed stands on the left with its number, each added on the right.
    await page.getByRole('button', { name: 'Side by side' }).click();
    await page.waitForSelector('#diffdetail .diffline.side');
    const sides = await page.$$eval('#diffdetail .diffline.side', (rows) => rows.map((r) => [...r.children].map((c) => [c.textContent, c.className])));
    const unified = lines.map((l) => l.text);
    const [hunkStart] = unified.find((l) => l.startsWith('@@')).match(/\d+/);
    assert.deepEqual(sides[0].map(([text]) => text)[0], String(Number(hunkStart)), 'the first row is numbered as its hunk starts');
    const removedLeft = sides.find(([, left]) => left[1].includes('minus'));
    assert.ok(removedLeft && unified.includes(`-${removedLeft[1][0]}`), 'a line removed stands on the left');
    const addedRight = sides.find(([, , , right]) => right[1].includes('plus'));
    assert.ok(addedRight && unified.includes(`+${addedRight[3][0]}`), 'a line added stands on the right');
    if (shots) await page.screenshot({ path: path.join(shots, 'page-compare-side.png') });
    await page.getByRole('button', { name: 'Side by side' }).click();
    await page.waitForSelector('#diffdetail .diffline.side', { state: 'detached' });

    await page.getByRole('button', { name: 'Close comparison' }).click();
    assert.equal(await page.locator('#comparison').isVisible(), false);
    assert.ok(await page.locator('#tree [role=treeitem]').first().isVisible(), 'the save is back');
    assert.ok(await page.locator('#content [role=gridcell]').first().isVisible(), 'its list too');
  });
});

// JTT_ddmtestsav is stored uncompressed: bytes flipped in place change a data member's records.
function flippedDdmTest() {
  const flipped = fs.readFileSync(real('JTT_ddmtestsav.savf'));
  const at = Math.floor((flipped.length * 0.4) / 528) * 528 + 300;
  for (let i = at; i < at + 8; i += 1) flipped[i] ^= 0x01;
  return flipped;
}

test('a data member shows its changed-record counts and its first changed records', async (t) => {
  if (!usable(t) || !fs.existsSync(real('JTT_ddmtestsav.savf'))) return;
  await withPage(async (page) => {
    await page.setInputFiles('#file', real('JTT_ddmtestsav.savf'));
    await page.waitForSelector('#tree [role=treeitem]');
    const [chooser] = await Promise.all([page.waitForEvent('filechooser'), page.getByRole('button', { name: 'Compare with...' }).click()]);
    await chooser.setFiles({ name: 'flipped.savf', mimeType: 'application/octet-stream', buffer: flippedDdmTest() });
    await page.waitForSelector('#comparison:not([hidden])', { timeout: 120000 });
    const [object] = (await rowsInView(page)).filter((r) => r.level === '1');
    assert.match(object.caption, /\/FIELDS2\(/);
    await page.locator(`#${object.id} > .twisty`).click();
    const member = (await rowsInView(page)).find((r) => r.level === '2');
    assert.equal(member.change, 'changed, records: 0 added, 1 removed, 1 changed');
    await page.locator(`#${member.id} > .caption`).click();
    await page.waitForFunction(() => document.getElementById('diffdetail-title').textContent.startsWith('FIELDS2'));
    const lines = await page.$$eval('#diffdetail .diffline', (rows) => rows.map((r) => r.textContent));
    assert.deepEqual(lines.slice(1, 3), ['  records: 0 added, 1 removed, 1 changed', '  record 12:']);
    // The flipped bytes end in one that is no character of the page: only the start is held.
    assert.match(lines[3], /^ {4}FIELD2: "Fld2___6B" -> "Fld2_%%7C/);
    assert.equal(lines.length, 4);
  });
});

test('a saved save file opened in a tab compares too, named as quelvane-cli compare names it', async (t) => {
  const outer = 'ANSI_ARCHLIB_v2.FILE';
  if (!usable(t) || !fs.existsSync(real(outer))) return;
  await withPage(async (page) => {
    await page.setInputFiles('#file', real(outer));
    await page.waitForSelector('#tree [role=treeitem]');
    await page.evaluate(() => document.querySelectorAll('#tree [aria-expanded]').forEach((e) => e.setAttribute('aria-expanded', 'true')));
    await page.locator('#tree [role=tree] > li > ul > li:nth-child(1) > ul > li:nth-child(1) > span').click();
    await page.waitForFunction(() => !document.getElementById('held').disabled);
    await page.getByRole('toolbar', { name: 'Tools' }).getByRole('button', { name: 'Open saved save file' }).click();
    await page.getByRole('tab', { name: /^ANSI_ARCHLIB_v2\.FILE > ARCHLIB\(/ }).waitFor();
    await page.waitForSelector('#content [role=gridcell]');
    assert.equal(await page.getByRole('button', { name: 'Export PF members in batch' }).isDisabled(), true);
    const [chooser] = await Promise.all([page.waitForEvent('filechooser'), page.getByRole('button', { name: 'Compare with...' }).click()]);
    await chooser.setFiles(real(outer));
    await page.waitForSelector('#comparison:not([hidden])', { timeout: 120000 });
    assert.equal(await page.textContent('#comparison-title'), `Compare: ${outer} (0/0) -> ${outer}`);
    assert.ok((await rowsInView(page)).length > 0, 'the held save and the one holding it differ');
  });
});

test('Compare with... cancelled leaves the save on display, and a file not a save is said', async (t) => {
  if (!usable(t)) return;
  await withPage(async (page) => {
    await openOlder(page);
    await compareWithNewer(page);
    await page.locator('header .job').getByRole('button', { name: 'Cancel' }).click({ timeout: 5000 });
    await page.waitForFunction(() => /cancelled/.test(document.getElementById('messages').textContent));
    assert.equal(await page.locator('#comparison').isVisible(), false);
    assert.ok(await page.locator('main').isVisible());
    assert.equal(await page.getByRole('button', { name: 'Compare with...' }).isEnabled(), true);

    const [chooser] = await Promise.all([page.waitForEvent('filechooser'), page.getByRole('button', { name: 'Compare with...' }).click()]);
    await chooser.setFiles(path.join(savf, 'MANIFEST.tsv'));
    await page.waitForFunction(() => /cannot be read as a save file/.test(document.getElementById('messages').textContent), null, { timeout: 60000 });
    assert.equal(await page.locator('#comparison').isVisible(), false);
  });
});

test('the difference tree follows the keys, and Escape returns to the save', async (t) => {
  if (!usable(t)) return;
  await withPage(async (page) => {
    await openOlder(page);
    await compareWithNewer(page);
    await page.waitForSelector('#comparison:not([hidden])', { timeout: 120000 });
    await page.locator('#difftree').focus();
    await page.keyboard.press('Home');
    await page.keyboard.press('ArrowDown');
    const selected = await page.getAttribute('#difftree', 'aria-activedescendant');
    assert.equal(selected, 'diff-row-1');
    assert.equal(await page.getAttribute('#diff-row-1', 'aria-selected'), 'true');
    await page.keyboard.press('Escape');
    assert.equal(await page.locator('#comparison').isVisible(), false);
    assert.ok(await page.locator('main').isVisible());
  });
});
