// The page's exports in Debian's Chromium, opened from file://: a member exported as text, Word
// or Excel downloads the bytes quelvane-cli export writes, a batch, Extract all and Save sources as
// project download one .zip holding what quelvane-cli batch, extract and sources write, and a
// cancelled job offers nothing.
//   node test/exports.test.mjs --page quelvane.html --savf DIR --cli quelvane-cli
import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { test } from 'node:test';
import { unzipSync } from 'fflate';
import { chromium } from 'playwright-core';
import { browserPath, cli, option, savf, usable, withPage } from './browser.mjs';

const pages = ['--ebcdic', '37', '--pc', '1252'];

// These tests come as a user who has confirmed the Options once, with the pair the comparisons
// with quelvane-cli use and the records read by it.
async function confirmedPair(page) {
  await page.evaluate(() => {
    localStorage.setItem('quelvane.ebcdic', '37');
    localStorage.setItem('quelvane.pc', '1252');
    localStorage.setItem('quelvane.byCcsid', '0');
  });
  await page.reload();
}

function withFolder(work) {
  const folder = fs.mkdtempSync(path.join(os.tmpdir(), 'quelvane-page-'));
  try {
    return work(folder);
  } finally {
    fs.rmSync(folder, { recursive: true, force: true });
  }
}

// Opens `name` and shows the tree node at `node` ("part/object/member" indices).
const openIn = new WeakMap();
async function openAt(page, name, node) {
  if (openIn.get(page) !== name) {
    // The tree of the save open before goes only once the new one has opened.
    const before = await page.$('[role=tree]');
    await page.setInputFiles('#file', path.join(savf, name));
    if (before) await before.waitForElementState('hidden');
    openIn.set(page, name);
  }
  await page.waitForSelector('[role=treeitem]');
  await page.evaluate(() => document.querySelectorAll('[aria-expanded]').forEach((e) => e.setAttribute('aria-expanded', 'true')));
  if (node === '/') return;
  const steps = node.split('/').map((i) => `ul > li:nth-child(${Number(i) + 1})`).join(' > ');
  await page.locator(`[role=tree] > li > ${steps} > span`).click();
}

async function downloaded(page, caption) {
  const [download] = await Promise.all([page.waitForEvent('download', { timeout: 120000 }), page.getByRole('button', { name: caption, exact: true }).click()]);
  return { name: download.suggestedFilename(), bytes: fs.readFileSync(await download.path()) };
}

function filesBelow(folder) {
  return fs.readdirSync(folder, { recursive: true }).filter((n) => fs.statSync(path.join(folder, n)).isFile()).sort();
}

const members = [
  ['CSCH@009.SAVF', '1/2/0', 'source', 'QDDSSRC_MSYOL01'],
  ['CSCH@009.SAVF', '1/0/0', 'data', 'MSYOP@3_MSYOP@3'],
  ['GURI_demodb.savf', '0/0/0', 'data, TERSE', null],
];

test('a member exported as text, Word or Excel downloads the bytes quelvane-cli export writes', async (t) => {
  if (!usable(t)) return;
  await withPage(async (page) => {
    for (const [name, node, kind, stem] of members) {
      await openAt(page, name, node);
      for (const [format, splitter] of [['txt', false], ['txt', true], ['doc', false], ['xls', true], ['xls', false]]) {
        await page.getByRole('combobox', { name: 'The File Type to save :' }).selectOption(format);
        await page.getByRole('checkbox', { name: 'With splitter code "I"' }).setChecked(splitter);
        const got = await downloaded(page, 'Export a member');
        if (stem) assert.equal(got.name, `${stem}.${format}`, `${name} ${node}`);
        withFolder((out) => {
          const target = path.join(out, `member.${format}`);
          execFileSync(cli, ['export', path.join(savf, name), node, '--format', format, ...(splitter ? ['--splitter'] : []), '-o', target, ...pages]);
          assert.ok(got.bytes.equals(fs.readFileSync(target)), `${name} ${node} (${kind}) ${format} splitter ${splitter}`);
        });
      }
    }
  });
});

test('a batch downloads one zip of what quelvane-cli batch writes', async (t) => {
  if (!usable(t)) return;
  await withPage(async (page) => {
    for (const [name, node, format] of [['CSCH@009.SAVF', '1/2', 'txt'], ['CSCH@009.SAVF', '1/2', 'doc'], ['GURI_demodb.savf', '0/0', 'xls']]) {
      await openAt(page, name, node);
      await page.getByRole('combobox', { name: 'The File Type to save :' }).selectOption(format);
      const got = await downloaded(page, 'Export PF members in batch');
      assert.match(got.name, /\.zip$/);
      const zipped = unzipSync(got.bytes);
      withFolder((out) => {
        execFileSync(cli, ['batch', path.join(savf, name), node, '--format', format, '--dir', out, ...pages]);
        const expected = filesBelow(out);
        assert.ok(expected.length > 0, `${name} ${node}: the native batch wrote files`);
        assert.deepEqual(Object.keys(zipped).sort(), expected, name);
        for (const n of expected) assert.ok(Buffer.from(zipped[n]).equals(fs.readFileSync(path.join(out, n))), `${name}: ${n}`);
      });
    }
  });
});

test('Extract all downloads one zip holding, file by file, what quelvane-cli extract writes', async (t) => {
  if (!usable(t)) return;
  await withPage(async (page) => {
    for (const name of ['CSCH@009.SAVF', 'UZ_wcount25i.savf', 'NOX_release_2022-07-07.savf']) {
      await openAt(page, name, '/');
      const got = await downloaded(page, 'Extract all...');
      assert.equal(got.name, `${name.replace(/\.[^.]*$/, '')}.zip`);
      const zipped = unzipSync(got.bytes);
      withFolder((out) => {
        // catalog.json names the save by its file name alone, which is all the page knows of it.
        execFileSync(cli, ['extract', name, '--to', out, '--quiet', ...pages], { cwd: savf });
        const expected = filesBelow(out);
        assert.ok(expected.includes('catalog.json'), name);
        assert.deepEqual(Object.keys(zipped).filter((n) => !n.endsWith('/')).sort(), expected, name);
        for (const n of expected) assert.ok(Buffer.from(zipped[n]).equals(fs.readFileSync(path.join(out, n))), `${name}: ${n}`);
      });
    }
  });
});

test('Save sources as project... downloads one zip holding, byte for byte, what quelvane-cli sources writes', async (t) => {
  if (!usable(t)) return;
  await withPage(async (page) => {
    const name = 'ISPH_ISPHERE_2015-02-08_617fe9.savf';
    await openAt(page, name, '/');
    // With the mouse, as a user chooses it: the button beside Extract all...
    const command = page.getByRole('button', { name: 'Save sources as project...', exact: true });
    await command.waitFor();
    await page.waitForFunction(() => [...document.querySelectorAll('button')]
      .some((b) => b.textContent === 'Save sources as project...' && !b.disabled));
    const box = await command.boundingBox();
    const [download] = await Promise.all([page.waitForEvent('download', { timeout: 120000 }),
      page.mouse.click(box.x + box.width / 2, box.y + box.height / 2)]);
    assert.equal(download.suggestedFilename(), `${name.replace(/\.[^.]*$/, '')}_sources.zip`);
    const zipped = unzipSync(fs.readFileSync(await download.path()));
    withFolder((out) => {
      // members.json names nothing of where the save was: the page knows its file name alone.
      execFileSync(cli, ['sources', name, '--to', out, ...pages], { cwd: savf });
      const expected = filesBelow(out).map((n) => n.split(path.sep).join('/'));
      assert.ok(expected.includes('iproj.json') && expected.includes('qrpglesrc/.ibmi.json'), 'a project was written');
      assert.deepEqual(Object.keys(zipped).filter((n) => !n.endsWith('/')).sort(), expected);
      for (const n of expected) assert.ok(Buffer.from(zipped[n]).equals(fs.readFileSync(path.join(out, n))), n);
    });
    await page.waitForFunction(() => /^Save sources as project\.\.\.: \d+ source members in \d+ files\.$/m
      .test(document.getElementById('messages').textContent));
  });
});

test('a job shows its progress and, cancelled, offers nothing', async (t) => {
  if (!usable(t)) return;
  await withPage(async (page) => {
    let downloads = 0;
    page.on('download', () => { downloads += 1; });
    await openAt(page, 'UZ_zlib123.savf', '/');
    await page.getByRole('button', { name: 'Extract all...', exact: true }).click();
    await page.getByRole('progressbar', { name: 'Extract all...' }).waitFor();
    assert.ok(await page.getByRole('button', { name: 'Extract all...', exact: true }).isDisabled(), 'one job at a time');
    await page.getByRole('button', { name: 'Cancel' }).click();
    await page.waitForFunction(() => document.getElementById('messages').textContent.includes('cancelled'));
    assert.equal(await page.getByRole('progressbar').count(), 0);
    await page.waitForTimeout(1500);
    assert.equal(downloads, 0, 'a cancelled job downloads nothing');
    // The save stays open: the next job runs whole.
    const got = await downloaded(page, 'Extract all...');
    assert.ok(Object.keys(unzipSync(got.bytes)).length > 0);
  });
});

// The page from a local web server, as on an intranet; the folder picker answers with the
// origin's private folder, which Chromium lets a page write without a dialog.
async function withServedPage(work) {
  const { createServer } = await import('node:http');
  const html = fs.readFileSync(path.resolve(option('page')));
  const server = createServer((request, response) => {
    response.writeHead(200, { 'content-type': 'text/html; charset=utf-8' });
    response.end(html);
  });
  await new Promise((resolve) => server.listen(0, '127.0.0.1', resolve));
  const url = `http://127.0.0.1:${server.address().port}/quelvane.html`;
  const browser = await chromium.launch({ executablePath: browserPath, args: ['--headless', '--no-sandbox', '--disable-gpu'] });
  try {
    const page = await browser.newPage();
    const requests = [];
    page.on('request', (request) => requests.push(request.url()));
    await page.addInitScript(() => {
      window.showDirectoryPicker = () => navigator.storage.getDirectory();
    });
    await page.goto(url);
    await confirmedPair(page);
    await work(page);
    assert.deepEqual(requests.filter((u) => u !== url && !u.startsWith('blob:')), [], 'no request leaves the page');
  } finally {
    await browser.close();
    server.close();
  }
}

// Every file below the origin's private folder: { name: bytes as an array }.
function folderFiles(page) {
  return page.evaluate(async () => {
    const files = {};
    const walk = async (folder, prefix) => {
      for await (const [name, handle] of folder.entries()) {
        if (handle.kind === 'directory') await walk(handle, `${prefix}${name}/`);
        else files[`${prefix}${name}`] = [...new Uint8Array(await (await handle.getFile()).arrayBuffer())];
      }
    };
    await walk(await navigator.storage.getDirectory(), '');
    return files;
  });
}

test('served from a web server, Extract all writes into a picked folder what quelvane-cli extract writes', async (t) => {
  if (!usable(t)) return;
  const name = 'CSCH@009.SAVF';
  await withServedPage(async (page) => {
    await openAt(page, name, '/');
    await page.getByRole('checkbox', { name: 'Into a folder' }).check();
    await page.getByRole('button', { name: 'Extract all...', exact: true }).click();
    await page.waitForFunction(() => document.getElementById('messages').textContent.includes('written into the folder'));
    const written = await folderFiles(page);
    withFolder((out) => {
      execFileSync(cli, ['extract', path.join(savf, name), '--to', out, '--quiet', ...pages]);
      const expected = filesBelow(out);
      assert.deepEqual(Object.keys(written).sort(), expected);
      for (const n of expected) assert.ok(Buffer.from(written[n]).equals(fs.readFileSync(path.join(out, n))), n);
    });
    // Again into the same folder: the files there are replaced only when the user agrees.
    const before = await folderFiles(page);
    await page.evaluate(async () => {
      const handle = await (await navigator.storage.getDirectory()).getFileHandle('catalog.json');
      const writable = await handle.createWritable();
      await writable.write('kept');
      await writable.close();
    });
    const asked = [];
    page.once('dialog', (dialog) => { asked.push(dialog.message()); void dialog.dismiss(); });
    await page.getByRole('button', { name: 'Extract all...', exact: true }).click();
    await page.waitForFunction(() => document.getElementById('messages').textContent.includes('Nothing was written'));
    assert.match(asked[0], /will be replaced/);
    const after = await folderFiles(page);
    assert.equal(Buffer.from(after['catalog.json']).toString(), 'kept', 'a refused run replaces nothing');
    assert.deepEqual(Object.keys(after).sort(), Object.keys(before).sort());
  });
});

test('served from a web server, Save sources as project... writes into a picked folder what quelvane-cli sources writes', async (t) => {
  if (!usable(t)) return;
  const name = 'CSCH@009.SAVF';
  await withServedPage(async (page) => {
    await openAt(page, name, '/');
    await page.getByRole('checkbox', { name: 'Into a folder' }).check();
    await page.getByRole('button', { name: 'Save sources as project...', exact: true }).click();
    await page.waitForFunction(() => document.getElementById('messages').textContent.includes('written into the folder'));
    const written = await folderFiles(page);
    withFolder((out) => {
      execFileSync(cli, ['sources', path.join(savf, name), '--to', out, ...pages]);
      const expected = filesBelow(out).map((n) => n.split(path.sep).join('/'));
      assert.ok(expected.includes('.quelvane/members.json'));
      assert.deepEqual(Object.keys(written).sort(), expected);
      for (const n of expected) assert.ok(Buffer.from(written[n]).equals(fs.readFileSync(path.join(out, n))), n);
    });
  });
});
