// The page's Options choice "Decode text by the CCSIDs stored in the save file" in Debian's
// Chromium: on unless unchecked and confirmed, kept in local storage, and when on the records list and the
// exports read each field by its stored CCSID, as quelvane-cli show and export --ccsid stored do.
//   node test/storedccsid.test.mjs --page quelvane.html --savf DIR --cli quelvane-cli
import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { test } from 'node:test';
import {
  cli, cliLines, expandAll, gridLines, option, pair, real, usable, waitForFirstRow, withPage,
} from './browser.mjs';

const CAPTION = 'Decode text by the CCSIDs stored in the save file';
const SAVE = 'GURI_demodb.savf';
// PERSON's member: KJNAME (5026), KNNAME (290), PNAME (1399).
const MEMBER = '0/0/0';

function shownByCli(pages, byCcsid) {
  return cliLines(['show', real(SAVE), MEMBER, '--ebcdic', String(pages.ebcdic), '--pc', String(pages.pc),
    '--ccsid', byCcsid ? 'stored' : 'pair']);
}

async function showMember(page, expected) {
  await page.waitForSelector('[role=treeitem]');
  await expandAll(page);
  const steps = MEMBER.split('/').map((i) => ` > ul > li:nth-child(${Number(i) + 1})`).join('');
  await page.locator(`#tree [role=tree] > li${steps} > span`).click();
  await waitForFirstRow(page, expected[3]);
}

async function downloaded(page) {
  const [download] = await Promise.all([page.waitForEvent('download', { timeout: 120000 }),
    page.getByRole('button', { name: 'Export a member', exact: true }).click()]);
  return fs.readFileSync(await download.path());
}

function exportedByCli(format, pages) {
  const folder = fs.mkdtempSync(path.join(os.tmpdir(), 'quelvane-page-ccsid-'));
  try {
    const target = path.join(folder, `member.${format}`);
    execFileSync(cli, ['export', real(SAVE), MEMBER, '--format', format, '-o', target, '--ccsid', 'stored',
      '--ebcdic', String(pages.ebcdic), '--pc', String(pages.pc)]);
    return fs.readFileSync(target);
  } finally {
    fs.rmSync(folder, { recursive: true, force: true });
  }
}

test('the by-CCSID choice: kept as confirmed, and the list follows it', async (t) => {
  if (!usable(t)) return;
  const byPair = shownByCli(pair, false);
  const byCcsid = shownByCli(pair, true);
  assert.ok(byCcsid.some((line) => line.includes('\t滝川　厚 ')), 'the command line reads the kanji');
  await withPage(async (page) => {
    await page.setInputFiles('#file', real(SAVE));
    await showMember(page, byPair);
    assert.deepEqual(await gridLines(page, 6), byPair.slice(2, 8), 'by the pair while the choice is off');

    await page.getByRole('button', { name: 'Options' }).click();
    const dialog = page.getByRole('dialog', { name: 'Options' });
    const choice = dialog.getByRole('checkbox', { name: CAPTION, exact: true });
    assert.equal(await choice.isChecked(), false, 'off as it was confirmed');
    await choice.check();
    await dialog.getByRole('button', { name: 'Confirm' }).click();
    assert.equal(await page.evaluate(() => localStorage.getItem('quelvane.byCcsid')), '1');
    await showMember(page, byCcsid);
    assert.deepEqual(await gridLines(page, 6), byCcsid.slice(2, 8), 'by stored CCSID once chosen');

    await page.reload();
    await page.setInputFiles('#file', real(SAVE));
    await showMember(page, byCcsid);
    await page.getByRole('button', { name: 'Options' }).click();
    assert.equal(await choice.isChecked(), true, 'kept and shown checked again');
    await choice.uncheck();
    await dialog.getByRole('button', { name: 'Confirm' }).click();
    assert.equal(await page.evaluate(() => localStorage.getItem('quelvane.byCcsid')), '0');
    await showMember(page, byPair);
  });
});

test('with the choice on, exports are the bytes quelvane-cli export --ccsid stored writes', async (t) => {
  if (!usable(t)) return;
  const japanese = { ebcdic: 37, pc: 932 };
  await withPage(async (page) => {
    await page.evaluate(({ ebcdic, pc }) => {
      localStorage.setItem('quelvane.ebcdic', String(ebcdic));
      localStorage.setItem('quelvane.pc', String(pc));
      localStorage.setItem('quelvane.byCcsid', '1');
    }, japanese);
    await page.reload();
    await page.setInputFiles('#file', real(SAVE));
    await showMember(page, shownByCli(japanese, true));
    for (const format of ['txt', 'xls']) {
      await page.getByRole('combobox', { name: 'The File Type to save :' }).selectOption(format);
      const got = await downloaded(page);
      assert.ok(got.equals(exportedByCli(format, japanese)), format);
      // 滝川　厚 in Shift-JIS.
      if (format === 'txt') assert.ok(got.includes(Buffer.from([0x91, 0xEA, 0x90, 0xEC, 0x81, 0x40, 0x8C, 0xFA])));
    }
  });
});

test('an export in the 1252 page says what it could not write, and UTF-8 writes it all', async (t) => {
  if (!usable(t)) return;
  const western = { ebcdic: 37, pc: 1252 };
  await withPage(async (page) => {
    await page.evaluate(({ ebcdic, pc }) => {
      localStorage.setItem('quelvane.ebcdic', String(ebcdic));
      localStorage.setItem('quelvane.pc', String(pc));
      localStorage.setItem('quelvane.byCcsid', '1');
    }, western);
    await page.reload();
    await page.setInputFiles('#file', real(SAVE));
    await showMember(page, shownByCli(western, true));
    const lossy = await downloaded(page);
    assert.ok(lossy.equals(exportedByCli('txt', western)), 'the PC page bytes as the command line writes them');
    const said = await page.textContent('#messages');
    // --shots DIR keeps what the page looks like with the warning.
    if (option('shots')) await page.screenshot({ path: path.join(option('shots'), 'export-warning.png') });
    assert.match(said, new RegExp('^\\d+ characters could not be written in PC code page 1252 and were replaced '
      + '\\(the first in record 1, field \\w+\\)\\. Choose the encoding UTF-8 to keep every character\\.$', 'm'));

    await page.getByRole('combobox', { name: 'Encoding' }).selectOption('utf-8');
    const kept = await downloaded(page);
    const text = kept.toString('utf8');
    assert.ok(text.includes('滝川　厚'), 'the kanji are written');
    assert.ok(!kept.includes(0x1A), 'nothing is substituted');
    assert.ok(!(await page.textContent('#messages')).includes('could not'), 'and nothing is said of a loss');
  });
});
