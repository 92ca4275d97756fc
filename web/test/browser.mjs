// What the browser tests of the page share: Debian's Chromium on the page from file://, the
// real save files and the native quelvane-cli to compare with.
//   node test/FILE.test.mjs --page quelvane.html --savf DIR --cli quelvane-cli [--shots DIR]
import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import fs from 'node:fs';
import path from 'node:path';
import { pathToFileURL } from 'node:url';
import { chromium } from 'playwright-core';

export const option = (name) => {
  const at = process.argv.indexOf(`--${name}`);
  return at >= 0 ? process.argv[at + 1] : '';
};
const onCi = process.env.CI === 'true';
export const browserPath = '/usr/bin/chromium';
export const savf = option('savf');
export const cli = option('cli');
export const real = (name) => path.join(savf, name);

// The code pages the comparisons with quelvane-cli are made with.
export const pair = { ebcdic: 37, pc: 1252 };

export function usable(t) {
  const missing = [[browserPath, 'chromium'], [savf, 'the real save files'], [cli, 'the native quelvane-cli']]
    .filter(([p]) => !p || !fs.existsSync(p)).map(([, what]) => what);
  if (missing.length === 0) return true;
  assert.ok(!onCi, `missing under CI=true: ${missing.join(', ')}`);
  t.skip(`missing: ${missing.join(', ')}`);
  return false;
}

// A fresh browser on the page; `configured` stores the code pages first, and the choice to read
// by stored CCSID off, as a user who has confirmed the Options once with it unchecked has them.
// No request may leave the page.
export async function withPage(work, { configured = true, colorScheme = 'light' } = {}) {
  const browser = await chromium.launch({
    executablePath: browserPath,
    args: ['--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
      '--disable-background-networking', '--disable-component-update', '--disable-sync'],
  });
  try {
    const context = await browser.newContext({ viewport: { width: 1366, height: 768 }, colorScheme, acceptDownloads: true });
    await context.grantPermissions(['clipboard-read', 'clipboard-write']);
    const page = await context.newPage();
    const requests = [];
    page.on('request', (request) => requests.push(request.url()));
    const url = pathToFileURL(path.resolve(option('page'))).href;
    await page.goto(url);
    if (configured) {
      await page.evaluate(({ ebcdic, pc }) => {
        localStorage.setItem('quelvane.ebcdic', String(ebcdic));
        localStorage.setItem('quelvane.pc', String(pc));
        localStorage.setItem('quelvane.byCcsid', '0');
      }, pair);
      await page.reload();
    }
    await work(page);
    assert.deepEqual(requests.filter((u) => u !== url && !u.startsWith('blob:')), [], 'no request leaves the page');
  } finally {
    await browser.close();
  }
}

export function cliLines(args) {
  let out;
  try {
    out = execFileSync(cli, args, { maxBuffer: 1 << 28 });
  } catch (failure) {
    out = failure.stdout;
  }
  return out.toString().replace(/\n$/, '').split('\n');
}

// `extra`: more arguments of show (--inner NODE, --ccsid stored).
export function shownByCli(file, node, pages = pair, extra = []) {
  return cliLines(['show', file, node, ...extra, '--ebcdic', String(pages.ebcdic), '--pc', String(pages.pc)]);
}

// The rows the grid shows (captions first), as quelvane-cli show prints them.
export async function gridLines(page, count = 12) {
  return page.$$eval('#content [role=grid] [role=row]', (rows, n) =>
    rows.slice(0, n).map((row) => [...row.children].map((c) => c.textContent).join('\t')), count);
}

// Waits until the first row of the list is `line` (a line quelvane-cli printed).
export async function waitForFirstRow(page, line) {
  await page.waitForFunction((expected) => {
    const row = document.querySelector('#content [role=grid] [role=row]:not(.header)');
    return row !== null && [...row.children].map((c) => c.textContent).join('\t') === expected;
  }, line);
}

export async function openFile(page, name) {
  const file = real(name);
  await page.setInputFiles('#file', file);
  await waitForFirstRow(page, shownByCli(file, '/')[1]);
  return file;
}

// Every item of the tree on display, expanded.
export async function expandAll(page) {
  await page.evaluate(() => document.querySelectorAll('#tree [aria-expanded]').forEach((e) => e.setAttribute('aria-expanded', 'true')));
}
