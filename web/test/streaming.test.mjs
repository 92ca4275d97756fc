// The page's jobs in Debian's Chromium: a job's worker is handed the module the browsing worker
// compiled (no job compiles it again), and a large export comes to the download piece by piece;
// how much the page's renderers grew while it was written is said beside that of a small one.
//   node test/streaming.test.mjs --page quelvane.html --savf DIR --cli quelvane-cli
import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { test } from 'node:test';
import { cli, real, usable, withPage } from './browser.mjs';

const pages = ['--ebcdic', '37', '--pc', '1252'];

async function exported(page) {
  const [download] = await Promise.all([page.waitForEvent('download', { timeout: 300000 }),
    page.getByRole('button', { name: 'Export a member', exact: true }).click()]);
  return download.path();
}

async function showMember(page, file, node) {
  await page.setInputFiles('#file', file);
  await page.waitForSelector('[role=treeitem]');
  await page.evaluate(() => document.querySelectorAll('[aria-expanded]').forEach((e) => e.setAttribute('aria-expanded', 'true')));
  const steps = node.split('/').map((i) => `ul > li:nth-child(${Number(i) + 1})`).join(' > ');
  await page.locator(`[role=tree] > li > ${steps} > span`).click();
  await page.getByRole('combobox', { name: 'The File Type to save :' }).selectOption('txt');
}

test('every job is handed the module compiled once: three exports compile it no more', async (t) => {
  if (!usable(t)) return;
  const file = real('CSCH@009.SAVF');
  await withPage(async (page) => {
    await showMember(page, file, '1/0/0');
    const target = path.join(fs.mkdtempSync(path.join(os.tmpdir(), 'quelvane-page-')), 'member.txt');
    execFileSync(cli, ['export', file, '1/0/0', '--format', 'txt', '-o', target, ...pages]);
    for (let run = 0; run < 3; run += 1) {
      assert.ok(fs.readFileSync(await exported(page)).equals(fs.readFileSync(target)), `export ${run + 1}`);
    }
    fs.rmSync(path.dirname(target), { recursive: true, force: true });
    const compiles = await page.$eval('[data-module-compiles]', (e) => e.getAttribute('data-module-compiles'));
    assert.equal(compiles, '0');
  });
});

// Whether `pid` was started, through its parents, by this test.
function ours(pid) {
  for (let at = pid, steps = 0; at > 1 && steps < 20; steps += 1) {
    if (at === process.pid) return true;
    const stat = fs.readFileSync(`/proc/${at}/stat`, 'utf8');
    at = Number(stat.slice(stat.lastIndexOf(')') + 2).split(' ')[1]);
  }
  return false;
}

// The resident megabytes of this test's Chromium renderers (the page and its workers; the
// browser process, which holds the Blobs and spills them to disk, is left out).
function rendererMegabytes() {
  let kilobytes = 0;
  for (const entry of fs.readdirSync('/proc')) {
    if (!/^\d+$/.test(entry)) continue;
    try {
      if (!fs.readFileSync(`/proc/${entry}/cmdline`, 'utf8').includes('--type=renderer') || !ours(Number(entry))) continue;
      kilobytes += Number(/VmRSS:\s+(\d+)/.exec(fs.readFileSync(`/proc/${entry}/status`, 'utf8'))?.[1] ?? 0);
    } catch {
      // A process that ended while read is not counted.
    }
  }
  return kilobytes / 1024;
}

// The most the renderers grew by while the member of `file` was exported; the download's path.
async function exportWatched(page, file) {
  await showMember(page, file, '0/0/0');
  const before = rendererMegabytes();
  let most = before;
  const watch = setInterval(() => {
    most = Math.max(most, rendererMegabytes());
  }, 100);
  const got = await exported(page).finally(() => clearInterval(watch));
  return { grew: most - before, got };
}

test('a member of a million records exports piece by piece to the download, as quelvane-cli writes it', async (t) => {
  if (!usable(t)) return;
  const writer = path.join(path.dirname(cli), 'bench_write_member_save');
  if (!fs.existsSync(writer)) {
    t.skip('no bench_write_member_save beside the native quelvane-cli');
    return;
  }
  const folder = fs.mkdtempSync(path.join(os.tmpdir(), 'quelvane-page-'));
  try {
    const [small, large] = ['1000', '1000000'].map((records) => {
      const file = path.join(folder, `member${records}.savf`);
      execFileSync(writer, [file, records]);
      return file;
    });
    // Each in a page of its own, as a user who opens one of them.
    let few;
    await withPage(async (page) => {
      few = await exportWatched(page, small);
    });
    await withPage(async (page) => {
      const many = await exportWatched(page, large);
      const size = fs.statSync(many.got).size;
      assert.ok(size > 150e6, `${size} bytes`);
      const target = path.join(folder, 'member.txt');
      execFileSync(cli, ['export', large, '0/0/0', '--format', 'txt', '-o', target, ...pages]);
      assert.ok(fs.readFileSync(many.got).equals(fs.readFileSync(target)), 'the bytes quelvane-cli export writes');
      t.diagnostic(`renderers grew by ${few.grew.toFixed(0)} MB for 1 000 records, ${many.grew.toFixed(0)} MB for 1 000 000 (${(size / 1e6).toFixed(0)} MB)`);
      // Said, not held to a bound: the renderer keeps each piece's Blob until the browser has
      // taken its bytes, which it does at its own pace.
    });
  } finally {
    fs.rmSync(folder, { recursive: true, force: true });
  }
});
