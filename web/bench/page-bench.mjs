// The page in Chromium over a member of a million records (written by bench_write_member_save),
// against the desktop window's figures in the same run (bench_window_listing, when given): how
// long the first rows take after the click, how long the whole member takes to list, how fast
// the grid follows scrolling, and the tab's memory. Not a test: run it by hand on a quiet machine.
//   node bench/page-bench.mjs --page quelvane.html --save member.savf [--records N] [--window bench_window_listing]
import { spawnSync } from 'node:child_process';
import fs from 'node:fs';
import path from 'node:path';
import { pathToFileURL } from 'node:url';
import { chromium } from 'playwright-core';

const option = (name) => {
  const at = process.argv.indexOf(`--${name}`);
  return at >= 0 ? process.argv[at + 1] : '';
};
const SCROLL_JUMPS = 40;
const WHEEL_STEPS = 200;
const WHEEL_PIXELS = 120;

function chromiumProcesses() {
  return fs.readdirSync('/proc').filter((e) => /^\d+$/.test(e)).filter((e) => {
    try {
      return fs.readlinkSync(`/proc/${e}/exe`).includes('chromium');
    } catch {
      return false;
    }
  });
}

// The proportional resident megabytes (Pss: shared pages split among the processes mapping them,
// so the browser's own code is not counted whole in every process) of the browser's processes
// started since `before`, each with its kind from its command line.
function processMemory(before) {
  const found = [];
  for (const pid of chromiumProcesses().filter((p) => !before.includes(p))) {
    try {
      const rss = Number(/Pss:\s+(\d+)/.exec(fs.readFileSync(`/proc/${pid}/smaps_rollup`, 'utf8'))?.[1] ?? 0) / 1024;
      const type = /--type=([a-z-]+)/.exec(fs.readFileSync(`/proc/${pid}/cmdline`, 'utf8'))?.[1] ?? 'browser';
      found.push({ type, rss });
    } catch {
      // A process that ended while it was read is not counted.
    }
  }
  return found;
}

const stats = (times) => {
  const sorted = [...times].sort((a, b) => a - b);
  return `median ${sorted[Math.floor(sorted.length / 2)].toFixed(1)} ms, 95th ${sorted[Math.floor(sorted.length * 0.95)].toFixed(1)} ms, max ${sorted[sorted.length - 1].toFixed(1)} ms`;
};

const before = chromiumProcesses();
const browser = await chromium.launch({
  executablePath: '/usr/bin/chromium',
  args: ['--headless', '--no-sandbox', '--disable-gpu', '--no-first-run', '--enable-precise-memory-info', '--js-flags=--expose-gc'],
});
try {
  const page = await browser.newPage({ viewport: { width: 1366, height: 768 } });
  const rendererOf = (found) => found.filter((p) => p.type === 'renderer').reduce((sum, p) => sum + p.rss, 0);
  // What an empty tab takes, to set the page's figures against.
  const blank = rendererOf(processMemory(before));
  await page.goto(pathToFileURL(path.resolve(option('page'))).href);
  // The page asks for the code pages before the first open: come as a user who has chosen them.
  await page.evaluate(() => {
    localStorage.setItem('quelvane.ebcdic', '37');
    localStorage.setItem('quelvane.pc', '1252');
  });
  await page.reload();
  const cdp = await page.context().newCDPSession(page);
  await cdp.send('Performance.enable');
  // The browsing worker reads the file slice by slice, each slice a round trip in the browser:
  // count the slices and the time spent in them.
  while (page.workers().length === 0) await page.waitForTimeout(20);
  const reader = page.workers()[0];
  await reader.evaluate(() => {
    const read = FileReaderSync.prototype.readAsArrayBuffer;
    globalThis.benchSlices = { calls: 0, bytes: 0, ms: 0 };
    FileReaderSync.prototype.readAsArrayBuffer = function (blob) {
      const start = performance.now();
      const bytes = read.call(this, blob);
      Object.assign(globalThis.benchSlices, { calls: globalThis.benchSlices.calls + 1,
        bytes: globalThis.benchSlices.bytes + bytes.byteLength, ms: globalThis.benchSlices.ms + performance.now() - start });
      return bytes;
    };
  });
  await page.setInputFiles('#file', path.resolve(option('save')));
  await page.waitForSelector('[role=treeitem]');
  await page.evaluate(() => document.querySelectorAll('[aria-expanded]').forEach((e) => e.setAttribute('aria-expanded', 'true')));
  const member = page.locator('[role=tree] > li > ul > li:nth-child(1) > ul > li:nth-child(1) > ul > li:nth-child(1) > span');
  await member.waitFor();
  await reader.evaluate(() => Object.assign(globalThis.benchSlices, { calls: 0, bytes: 0, ms: 0 }));
  // From the click to the member's first record row drawn (under its own column header), timed
  // in the page.
  const firstRows = await page.evaluate(() => new Promise((resolve) => {
    const label = document.querySelector('[role=tree] > li > ul > li:nth-child(1) > ul > li:nth-child(1) > ul > li:nth-child(1) > span');
    const header = document.querySelector('[role=grid] > .header');
    const start = performance.now();
    const seen = () => {
      const now = document.querySelector('[role=grid] > .header');
      if (now !== header && document.querySelector('[role=grid] [role=row][aria-rowindex="2"] [role=gridcell]')) resolve(performance.now() - start);
      else requestAnimationFrame(seen);
    };
    label.click();
    requestAnimationFrame(seen);
  }));
  const listingStart = Date.now();
  // The grid's rows are the records and its header.
  await page.waitForFunction((rows) => document.querySelector('[role=grid]')?.getAttribute('aria-rowcount') === rows,
    String(Number(option('records') || 1000000) + 1), { timeout: 600000, polling: 50 });
  const listing = Date.now() - listingStart;
  const slices = await reader.evaluate(() => globalThis.benchSlices);
  // Jumps to places across the member, then wheel-sized steps: the time until the rows of the
  // new place are drawn.
  const scrolling = await page.evaluate(async ({ jumps, steps, pixels }) => {
    const host = document.getElementById('content');
    const rowHeight = 22;
    const drawn = (top) => new Promise((resolve) => {
      const start = performance.now();
      host.scrollTop = top;
      const row = Math.floor(host.scrollTop / rowHeight) + 2;
      const check = () => {
        if (document.querySelector(`[role=grid] [role=row][aria-rowindex="${row}"] [role=gridcell]`)) resolve(performance.now() - start);
        else requestAnimationFrame(check);
      };
      check();
    });
    const jumpTimes = [];
    for (let i = 0; i < jumps; i += 1) jumpTimes.push(await drawn(Math.floor(((i * 7919) % jumps) / jumps * host.scrollHeight)));
    const wheelTimes = [];
    host.scrollTop = 0;
    for (let i = 0; i < steps; i += 1) wheelTimes.push(await drawn(host.scrollTop + pixels));
    return { jumpTimes, wheelTimes, rowsInDom: document.querySelectorAll('[role=grid] [role=row]').length };
  }, { jumps: SCROLL_JUMPS, steps: WHEEL_STEPS, pixels: WHEEL_PIXELS });
  const { metrics } = await cdp.send('Performance.getMetrics');
  const metric = (name) => metrics.find((m) => m.name === name)?.value ?? 0;
  const live = processMemory(before);
  // What stays once the page and its worker have collected their garbage.
  for (const context of [page, ...page.workers()]) await context.evaluate(() => globalThis.gc?.());
  const memory = processMemory(before);
  const renderer = rendererOf(memory);
  console.log(`page: first rows ${firstRows.toFixed(0)} ms after the click; the whole member (${Number(option('records') || 1000000).toLocaleString('en-US')} records) listed after ${listing} ms more`);
  console.log(`page: the listing read ${(slices.bytes / 1048576).toFixed(0)} MB of the file in ${slices.calls} slices, ${slices.ms.toFixed(0)} ms in them`);
  console.log(`page: scroll jumps ${stats(scrolling.jumpTimes)}; wheel steps ${stats(scrolling.wheelTimes)}; ${scrolling.rowsInDom} rows in the DOM`);
  console.log(`page: tab (renderer, page and worker, Pss) ${rendererOf(live).toFixed(1)} MB after scrolling, ${renderer.toFixed(1)} MB after garbage collection, an empty tab ${blank.toFixed(1)} MB; page JS heap ${(metric('JSHeapUsedSize') / 1048576).toFixed(1)} MB used of ${(metric('JSHeapTotalSize') / 1048576).toFixed(1)} MB; all browser processes ${memory.reduce((s, p) => s + p.rss, 0).toFixed(1)} MB`);
} finally {
  await browser.close();
}

const window = option('window');
if (window) {
  const run = spawnSync(window, [], { env: { ...process.env, QT_QPA_PLATFORM: 'offscreen' }, encoding: 'utf8' });
  const wanted = /^(first rows after|listing took|peak memory|longest event-loop stall)/;
  for (const text of run.stdout.split('\n').filter((l) => wanted.test(l))) console.log(`window: ${text}`);
}
