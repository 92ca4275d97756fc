// The .vsix the build made: unpacked, it holds the extension's manifest, README, LICENSE and
// screenshot and the built dist/ files (the module byte for byte the build's), and nothing of the
// sources, tests or node_modules; the packaged extension activates and opens a save.
//   node test/vsix.test.mjs --vsix quelvane-X.vsix --module DIR_WITH_quelvane-node.js --savf DIR
import assert from 'node:assert/strict';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { test } from 'node:test';
import { fileURLToPath } from 'node:url';
import { unzipSync } from 'fflate';
import { option } from './harness.mjs';

const here = path.dirname(fileURLToPath(import.meta.url));
const vsix = option('vsix');
const entries = unzipSync(fs.readFileSync(vsix));
const manifest = JSON.parse(fs.readFileSync(path.join(here, '..', 'package.json'), 'utf8'));

test('the package holds the extension and nothing else', () => {
  const names = Object.keys(entries).filter((name) => !name.endsWith('/')).sort();
  assert.deepEqual(names, [
    '[Content_Types].xml',
    'extension.vsixmanifest',
    'extension/LICENSE.txt',
    'extension/dist/extension.js',
    'extension/dist/jobworker.js',
    'extension/dist/page.html',
    'extension/dist/quelvane-node.js',
    'extension/dist/quelvane-node.wasm',
    'extension/dist/web.js',
    'extension/dist/webview-web.js',
    'extension/dist/webview.css',
    'extension/dist/webview.js',
    'extension/media/screenshot.png',
    'extension/package.json',
    'extension/readme.md',
  ]);
  for (const name of ['quelvane-node.js', 'quelvane-node.wasm']) {
    assert.ok(Buffer.from(entries[`extension/dist/${name}`]).equals(fs.readFileSync(path.join(option('module'), name))), name);
  }
});

test('its manifest names the extension, its editor and its commands', () => {
  const packaged = JSON.parse(Buffer.from(entries['extension/package.json']).toString('utf8'));
  assert.equal(packaged.version, manifest.version);
  assert.deepEqual([packaged.main, packaged.browser], ['./dist/extension.js', './dist/web.js'], 'a script for each extension host');
  assert.equal(path.basename(vsix), `quelvane-${manifest.version}.vsix`);
  const [editor, anyName] = packaged.contributes.customEditors;
  assert.equal(editor.priority, 'default');
  assert.deepEqual(editor.selector.map((s) => s.filenamePattern), ['*.savf', '*.SAVF']);
  assert.deepEqual([anyName.priority, anyName.selector[0].filenamePattern], ['option', '*'], 'any file through Reopen Editor With...');
  assert.deepEqual(packaged.contributes.commands.map((c) => `${c.category}: ${c.title}`),
    ['Quelvane: Extract all...', 'Quelvane: Save sources as project...', 'Quelvane: Check save file']);
  const described = Buffer.from(entries['extension.vsixmanifest']).toString('utf8');
  assert.match(described, new RegExp(`<Identity Language="en-US" Id="quelvane" Version="${manifest.version}" Publisher="quelvane"`));
  // vsce points the README's screenshot at the repository, where the Marketplace can show it.
  assert.match(Buffer.from(entries['extension/readme.md']).toString('utf8'), /!\[[^\]]*\]\(https:\/\/[^)]*media\/screenshot\.png\)/);
});

test('the packaged extension activates and opens a save file', async (t) => {
  const file = path.join(option('savf'), 'CSCH@009.SAVF');
  if (!fs.existsSync(file)) {
    assert.ok(process.env.CI !== 'true', 'the real save files are expected under CI=true');
    t.skip('no real save files');
    return;
  }
  const unpacked = fs.mkdtempSync(path.join(os.tmpdir(), 'quelvane-vsix-'));
  try {
    for (const [name, bytes] of Object.entries(entries)) {
      if (!name.startsWith('extension/') || name.endsWith('/')) continue;
      fs.mkdirSync(path.dirname(path.join(unpacked, name)), { recursive: true });
      fs.writeFileSync(path.join(unpacked, name), bytes);
    }
    process.argv.push('--extension', path.join(unpacked, 'extension'));
    const { editorOn } = await import('./host.mjs');
    const { ask, close } = await editorOn(file);
    const opened = await ask({ kind: 'open', ebcdic: 37, pc: 1252, byCcsid: false });
    assert.equal(opened.outcome, 'opened', opened.error);
    assert.equal(opened.tree.roots[0].caption, 'Library(CSCH@009)');
    close();
  } finally {
    fs.rmSync(unpacked, { recursive: true, force: true });
  }
});
