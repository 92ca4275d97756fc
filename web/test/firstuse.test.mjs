// A first-time user's page in Debian's Chromium, with the mouse first and the keys after: the
// first screen, a save read right without touching the Options, the tree opened by its triangles
// and double-clicks, a name found across the save, the warning of a save read past damage, a
// saved save file's pane and an object the program does not describe. With --shots DIR it also
// takes the screenshots of the first screen, a Japanese save and a damaged one.
//   node test/firstuse.test.mjs --page quelvane.html --savf DIR --cli quelvane-cli [--shots DIR]
import assert from 'node:assert/strict';
import fs from 'node:fs';
import path from 'node:path';
import { test } from 'node:test';
import { cliLines, gridLines, option, real, usable, waitForFirstRow, withPage } from './browser.mjs';

const shots = option('shots');
if (shots) fs.mkdirSync(shots, { recursive: true });
const shot = async (page, name) => {
  if (shots) await page.screenshot({ path: path.join(shots, `${name}.png`) });
};

// The tree item at a path of indices below the library ("0/0": part 0, object 0).
const item = (page, steps) => {
  const nth = steps.split('/').filter(Boolean).map((i) => ` > ul > li:nth-child(${Number(i) + 1})`).join('');
  return page.locator(`#tree [role=tree] > li${nth}`);
};
const caption = (page, steps) => item(page, steps).locator(':scope > span');
const twisty = (page, steps) => item(page, steps).locator(':scope > .twisty');
const expanded = (page, steps) => item(page, steps).getAttribute('aria-expanded');
const waitForTitle = (page, title) =>
  page.waitForFunction((t) => document.getElementById('title').textContent === t, title);

// GURI_demodb's text fields are tagged 5026 and 290 (Japanese): the page reads it by the row of
// that language, the command line by stored CCSID with the same pair.
const GURI = 'GURI_demodb.savf';
const JAPANESE = { ebcdic: 930, pc: 932 };
const NAME = '滝川　厚';

function shownByCli(file, node, pages, extra = []) {
  return cliLines(['show', real(file), node, '--ebcdic', String(pages.ebcdic), '--pc', String(pages.pc), ...extra]);
}

test('the first screen says what to do, and gives way to the save once one is open', async (t) => {
  if (!usable(t)) return;
  await withPage(async (page) => {
    const welcome = page.locator('#welcome');
    assert.ok(await welcome.isVisible());
    const text = await welcome.textContent();
    for (const said of ['Open save file', 'drop one', 'stays in this browser', 'nothing is uploaded', 'tree']) {
      assert.ok(text.includes(said), `the first screen says "${said}"`);
    }
    assert.equal(await page.locator('#warnings').isVisible(), false);
    await shot(page, 'page-first-screen');
    await page.setInputFiles('#file', real('CSCH@009.SAVF'));
    await page.waitForSelector('[role=treeitem]');
    assert.equal(await welcome.isVisible(), false, 'the save takes its place');
    await page.getByRole('tab').getByRole('button').click();
    await welcome.waitFor();
  }, { configured: false });
});

test('with nothing stored a save opens without asking and shows its text by the CCSIDs it stores', async (t) => {
  if (!usable(t)) return;
  const expected = shownByCli(GURI, '0/0/0', JAPANESE, ['--ccsid', 'stored']);
  assert.ok(expected.some((line) => line.includes(NAME)), 'the command line reads the kanji');
  await withPage(async (page) => {
    await page.setInputFiles('#file', real(GURI));
    await page.waitForSelector('[role=treeitem]');
    assert.equal(await page.getByRole('dialog', { name: 'Options' }).isVisible(), false, 'no question first');
    await twisty(page, '0').click();
    await twisty(page, '0/0').click();
    await caption(page, '0/0/0').click();
    await waitForFirstRow(page, expected[3]);
    assert.deepEqual(await gridLines(page, 6), expected.slice(2, 8));
    await page.fill('#find-text', NAME);
    await page.getByRole('button', { name: 'Find next' }).click();
    await page.waitForSelector('#content [role=row][aria-selected=true]');
    assert.ok((await page.textContent('#content [role=row][aria-selected=true]')).includes(NAME));
    assert.equal(await page.textContent('#find-state'), '');
    assert.equal(await page.locator('#warnings').isVisible(), false, 'nothing misread, nothing to warn of');
    await shot(page, 'page-japanese');
    assert.deepEqual(await page.evaluate(() => Object.keys(localStorage).filter((k) => k.startsWith('quelvane.'))), [],
      'nothing stored until the Options are confirmed');

    // The Options show the pair in force and the choice on, one click away.
    await page.getByRole('button', { name: 'Options' }).click();
    const dialog = page.getByRole('dialog', { name: 'Options' });
    const chosen = await page.$eval('#options-host', (list) => list.selectedOptions[0].textContent);
    assert.match(chosen, /^ +930: +930 /);
    assert.match(await page.$eval('#options-pc', (list) => list.selectedOptions[0].textContent), /^ +932: /);
    assert.equal(await dialog.getByRole('checkbox').isChecked(), true);
    await dialog.getByRole('button', { name: 'Cancel' }).click();
  }, { configured: false });
});

test('a stored choice is kept, and a pair that misreads the fields is said while the save is on display', async (t) => {
  if (!usable(t)) return;
  await withPage(async (page) => {
    await page.setInputFiles('#file', real(GURI));
    await page.waitForSelector('[role=treeitem]');
    const warnings = page.locator('#warnings');
    await warnings.waitFor();
    assert.equal(await warnings.textContent(), 'Fields are tagged CCSID 5026 (Japanese); Options can decode by CCSID');
    await twisty(page, '0').click();
    await twisty(page, '0/0').click();
    await caption(page, '0/0/0').click();
    await waitForFirstRow(page, shownByCli(GURI, '0/0/0', { ebcdic: 37, pc: 1252 })[3]);
    assert.ok(await warnings.isVisible(), 'still said beside the records');
  });
});

test('the tree with the mouse: the triangle opens and closes, a double-click opens and shows', async (t) => {
  if (!usable(t)) return;
  await withPage(async (page) => {
    await page.setInputFiles('#file', real(GURI));
    await page.waitForSelector('[role=treeitem]');
    assert.equal(await expanded(page, ''), 'true', 'the library is open');
    assert.equal(await expanded(page, '0'), 'false');
    await twisty(page, '0').click();
    assert.equal(await expanded(page, '0'), 'true', 'a click on the triangle opens');
    assert.equal(await item(page, '0').getAttribute('aria-selected'), 'false', 'and does not choose');
    await twisty(page, '0').click();
    assert.equal(await expanded(page, '0'), 'false', 'a second click closes');

    await caption(page, '0').dblclick();
    assert.equal(await expanded(page, '0'), 'true', 'a double-click on the caption opens');
    assert.equal(await item(page, '0').getAttribute('aria-selected'), 'true', 'and chooses');
    await caption(page, '0/0').dblclick();
    assert.equal(await expanded(page, '0/0'), 'true');
    await waitForTitle(page, shownByCli(GURI, '0/0', { ebcdic: 37, pc: 1252 })[0]);
    await caption(page, '0/0/0').click();
    await waitForTitle(page, shownByCli(GURI, '0/0/0', { ebcdic: 37, pc: 1252 })[0]);

    // The keys go on from where the mouse left the focus.
    await page.keyboard.press('ArrowUp');
    await page.keyboard.press('ArrowLeft');
    assert.equal(await expanded(page, '0/0'), 'false', 'ArrowLeft closes the object');
    await page.keyboard.press('ArrowRight');
    assert.equal(await expanded(page, '0/0'), 'true', 'ArrowRight opens it again');
  });
});

test('find a name: the objects and members matching, one after another, each shown', async (t) => {
  if (!usable(t)) return;
  const pages = { ebcdic: 37, pc: 1252 };
  const cases = [
    ['PERS*', ['0/0', '0/0/0', '0/1', '0/3/0', '0/3/1'], ['PERSON(PF)', 'PERSON ', 'PERSONL1(LF)', 'PERSON ', 'PERSONL1 ']],
    ['pref?ode', ['0/2', '0/2/0', '0/3/2'], ['PREFCODE(PF)', 'PREFCODE ', 'PREFCODE ']],
    ['QDDS', ['0/3'], ['QDDSSRC(PF)']],
  ];
  await withPage(async (page) => {
    await page.setInputFiles('#file', real(GURI));
    await page.waitForSelector('[role=treeitem]');
    const box = page.getByRole('searchbox', { name: 'Find a name:' });
    for (const [typed, nodes, captions] of cases) {
      await box.fill(typed);
      // One round and back to the first.
      for (const [at, node] of [...nodes, nodes[0]].entries()) {
        await box.press('Enter');
        const want = at % nodes.length;
        assert.equal(await page.textContent('#name-state'), `${want + 1} of ${nodes.length}`, `${typed} #${at}`);
        const chosen = page.locator('#tree [aria-selected=true]');
        assert.equal(await chosen.getAttribute('aria-label'), captions[want]);
        assert.ok(await chosen.isVisible(), 'its ancestors are open');
        await waitForTitle(page, shownByCli(GURI, node, pages)[0]);
      }
    }
    await box.fill('NOSUCH*');
    await box.press('Enter');
    assert.equal(await page.textContent('#name-state'), 'No such name');
  });
});

test('a save read past damage says so, naming the check, while it is on display', async (t) => {
  if (!usable(t)) return;
  const note = cliLines(['show', real('P4_EKO.SAVF'), '/']).find((line) => line.startsWith('Read past damage: '));
  assert.ok(note, 'the summary names the damage');
  await withPage(async (page) => {
    await page.setInputFiles('#file', real('P4_EKO.SAVF'));
    const warnings = page.locator('#warnings');
    await warnings.waitFor();
    const said = await warnings.textContent();
    assert.ok(said.includes(note), said);
    assert.ok(said.includes('block-grid check') && said.includes('Check save file'), said);
    await shot(page, 'page-damaged');
    // A clean save whose fields the pair reads: nothing to warn of.
    await page.setInputFiles('#file', real('JTT_ddmtestsav.savf'));
    await page.waitForFunction(() => document.querySelectorAll('[role=tab]').length === 2);
    await warnings.waitFor({ state: 'hidden' });
    await page.getByRole('tab').first().click();
    await warnings.waitFor();
  });
});

test('a saved save file\'s pane says what it holds and opens it; a double-click does too', async (t) => {
  if (!usable(t)) return;
  const file = 'ANSI_ARCHLIB_v2.FILE';
  const held = cliLines(['tree', real(file), '--inner', '0/1']);
  const library = held.find((line) => line.startsWith('Library('));
  await withPage(async (page) => {
    await page.setInputFiles('#file', real(file));
    await page.waitForSelector('[role=treeitem]');
    await twisty(page, '0').click();
    await caption(page, '0/1').click();
    const notice = page.locator('#notice');
    await page.waitForFunction(() => document.querySelector('#notice .holds')?.textContent.startsWith('It holds'));
    const holds = await notice.locator('.holds').textContent();
    assert.ok(holds.startsWith(`It holds ${library}, `), holds);
    await notice.getByRole('button', { name: 'Open saved save file' }).click();
    await page.waitForFunction(() => document.querySelectorAll('[role=tab]').length === 2);
    assert.equal(await page.getByRole('tab', { selected: true }).textContent().then((s) => s.startsWith(`${file} > SAVF1(SAVF)`)), true);
    assert.equal(await page.getAttribute('#tree [role=tree] > [role=treeitem]', 'aria-label'), library);

    await page.getByRole('tab').first().click();
    await page.waitForSelector('#tree [role=tree]');
    assert.equal(await expanded(page, '0'), 'true', 'the tab\'s tree is as it was left');
    await caption(page, '0/2').dblclick();
    await page.waitForFunction(() => document.querySelectorAll('[role=tab]').length === 3);
  });
});

test('an object the program does not describe says what it is and shows its bytes', async (t) => {
  if (!usable(t)) return;
  const file = 'VCF_VCFV1R0.SAVF';
  const bytes = cliLines(['describe', real(file), '0/5', '--bytes', '--count', '7680']);
  await withPage(async (page) => {
    await page.setInputFiles('#file', real(file));
    await page.waitForSelector('[role=treeitem]');
    await twisty(page, '0').click();
    await caption(page, '0/5').click();
    const notice = page.locator('#notice');
    await notice.waitFor();
    assert.ok((await notice.textContent()).startsWith('ADMMAIN is a file of type DSPF (*FILE).'));
    await notice.getByRole('button', { name: 'Show bytes' }).click();
    await waitForTitle(page, 'Show bytes: ADMMAIN');
    assert.equal(`ADMMAIN: ${await page.textContent('#summary')}`, bytes[0]);
    await waitForFirstRow(page, bytes[1]);
    // The header row first, then the lines.
    assert.deepEqual(await gridLines(page, 9), ['', ...bytes.slice(1, 9)]);
    assert.equal(await notice.isVisible(), false);
    // The list stays virtual: only the rows in sight are made.
    assert.ok(await page.locator('#content [role=row]').count() < bytes.length);
  });
});
