// The bridge's output streamed as it is written: exports and extraction handed to a sink in
// pieces (into files on disk through nodeFolderSink) are byte for byte what quelvane-cli writes,
// a cancelled job leaves nothing, memory does not grow with the output, and starting the module
// again does not compile it again.
//   node streaming.test.mjs --module quelvane-node.js --savf DIR [--cli quelvane-cli]
import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { test } from 'node:test';
import { bridge, option, startModule } from './harness.mjs';

const { nodeFileReader, nodeFolderSink, nodeAt, moduleCompiles } = bridge;

const savf = option('savf');
const cli = option('cli');
const onCi = process.env.CI === 'true';
const pages = ['--ebcdic', '37', '--pc', '1252'];
const quelvane = await startModule();

function real(name) {
  const file = path.join(savf, name);
  if (!fs.existsSync(file)) {
    assert.ok(!onCi, `${file} is missing (real save files are expected under CI=true)`);
    return null;
  }
  return file;
}

function needCli(t) {
  if (cli) return true;
  assert.ok(!onCi, 'the native quelvane-cli is expected under CI=true');
  t.skip('no native quelvane-cli given');
  return false;
}

function native(args) {
  execFileSync(cli, [...args, ...pages], { maxBuffer: 1 << 30, stdio: ['ignore', 'ignore', 'ignore'] });
}

// A folder of its own for `work(folder)`, removed after.
function inFolder(work) {
  const folder = fs.mkdtempSync(path.join(os.tmpdir(), 'quelvane-streaming-'));
  try {
    return work(folder);
  } finally {
    fs.rmSync(folder, { recursive: true, force: true });
  }
}

function filesIn(folder) {
  return fs.readdirSync(folder, { recursive: true })
    .filter((n) => fs.statSync(path.join(folder, n)).isFile()).map((n) => n.split(path.sep).join('/')).sort();
}

// A sink that keeps nothing: it counts the pieces and their bytes per file.
function countingSink() {
  const counted = { pieces: 0, largest: 0, bytes: new Map(), ended: [], dropped: 0 };
  let next = 1;
  return {
    counted,
    begin: () => next++,
    write(token, bytes) {
      counted.pieces += 1;
      counted.largest = Math.max(counted.largest, bytes.length);
      counted.bytes.set(token, (counted.bytes.get(token) ?? 0) + bytes.length);
    },
    end: (token, name) => counted.ended.push({ name, bytes: counted.bytes.get(token) ?? 0 }),
    drop: () => {
      counted.dropped += 1;
    },
  };
}

test('exports streamed into a folder are byte for byte what quelvane-cli export writes', (t) => {
  if (!needCli(t)) return;
  inFolder((folder) => {
    for (const [name, node] of [['CSCH@009.SAVF', '1/0/0'], ['GURI_demodb.savf', '0/0/0']]) {
      const file = real(name);
      if (file === null) continue;
      const save = quelvane.open(nodeFileReader(fs, file), { name: file });
      for (const format of ['txt', 'doc', 'xls']) {
        const parts = fs.mkdtempSync(path.join(folder, 'parts-'));
        const sink = nodeFolderSink(fs, parts);
        const exported = save.exportMember(nodeAt(node), format, { sink });
        assert.equal(exported.error, undefined, `${name} ${node} ${format}: ${exported.error}`);
        assert.equal(exported.bytes, undefined, 'nothing is gathered when a sink takes it');
        assert.deepEqual(sink.files.map((f) => f.name), [exported.name]);
        // The temporary file the core writes under is the one renamed: no other part was left.
        assert.deepEqual(fs.readdirSync(parts), [path.basename(sink.files[0].part)]);
        const target = path.join(folder, `member.${format}`);
        native(['export', file, node, '--format', format, '-o', target]);
        assert.ok(fs.readFileSync(sink.files[0].part).equals(fs.readFileSync(target)), `${name} ${node} ${format}`);
      }
      save.close();
    }
  });
});

test('an extraction streamed into a folder holds the files quelvane-cli extract writes', (t) => {
  if (!needCli(t)) return;
  for (const name of ['CSCH@009.SAVF', 'UZ_wcount25i.savf']) {
    const file = real(name);
    if (file === null) continue;
    inFolder((folder) => {
      const expectedIn = path.join(folder, 'native');
      native(['extract', file, '--to', expectedIn, '--quiet']);
      const parts = path.join(folder, 'parts');
      fs.mkdirSync(parts);
      const sink = nodeFolderSink(fs, parts);
      const save = quelvane.open(nodeFileReader(fs, file), { name: file });
      const answer = save.extract({ sink });
      save.close();
      assert.equal(answer.error, undefined, answer.error);
      const expected = filesIn(expectedIn);
      assert.deepEqual(sink.files.map((f) => f.name).sort(), expected, name);
      assert.deepEqual([...answer.files].sort(), expected, `${name}: the answer names them`);
      assert.equal(fs.readdirSync(parts).length, expected.length, `${name}: one part a file, nothing left over`);
      for (const { name: n, part } of sink.files) {
        assert.ok(fs.readFileSync(part).equals(fs.readFileSync(path.join(expectedIn, n))), `${name}: ${n}`);
      }
    });
  }
});

test('a streamed job cancelled from its progress drops every file it began', () => {
  const file = real('NOX_release_2022-07-07.savf');
  if (file === null) return;
  const save = quelvane.open(nodeFileReader(fs, file), { name: file });
  // The member NOXDB, of some five thousand records.
  const [library] = save.tree().roots;
  const node = library.children.flatMap((part, p) => part.children.flatMap((object, o) => object.children
    .map((member, m) => (member.caption.startsWith('NOXDB ') ? `${p}/${o}/${m}` : null))))
    .find((found) => found !== null);
  for (const format of ['txt', 'doc', 'xls']) {
    const sink = countingSink();
    const cancelled = save.exportMember(nodeAt(node), format, { sink, onProgress: () => true });
    assert.equal(cancelled.outcome, 'cancelled', format);
    assert.deepEqual(sink.counted.ended, [], format);
    assert.equal(sink.counted.dropped, 1, `${format}: the one file begun is dropped`);
  }
  // A cancelled extraction still lists what it finished (its catalog); only those are ended.
  const sink = countingSink();
  const extracted = save.extract({ sink, onProgress: () => true });
  assert.equal(extracted.cancelled, true);
  assert.deepEqual(sink.counted.ended.map((f) => f.name), extracted.files);
  save.close();
});

// The benchmark member writer beside the native quelvane-cli, when it was built there.
function memberWriter() {
  const writer = cli ? path.join(path.dirname(cli), 'bench_write_member_save') : '';
  return writer && fs.existsSync(writer) ? writer : null;
}

test('a large export reaches the sink in pieces and the process does not hold it', (t) => {
  const writer = memberWriter();
  if (writer === null) {
    t.skip('no bench_write_member_save beside the native quelvane-cli');
    return;
  }
  inFolder((folder) => {
    const file = path.join(folder, 'member.savf');
    execFileSync(writer, [file, '1000000']);
    const save = quelvane.open(nodeFileReader(fs, file), { name: file });
    const sink = countingSink();
    const held = () => process.memoryUsage().arrayBuffers + quelvane.module.HEAPU8.length;
    const before = held();
    let most = before;
    const watched = { ...sink, write: (token, bytes) => { sink.write(token, bytes); most = Math.max(most, held()); } };
    const exported = save.exportMember(nodeAt('0/0/0'), 'txt', { sink: watched });
    save.close();
    assert.equal(exported.outcome, 'written', exported.error);
    const [{ bytes }] = sink.counted.ended;
    // A million lines of some 150 bytes: 150 MB went through, in pieces of at most 1 MB, while
    // what the process held (its buffers, pieces not yet collected among them, and the module's
    // memory) grew by far less than the file.
    assert.ok(bytes > 150e6, `${bytes} bytes`);
    assert.ok(sink.counted.pieces > 150 && sink.counted.largest <= 1 << 20, JSON.stringify(sink.counted));
    assert.ok(most - before < 64e6, `held ${((most - before) / 1e6).toFixed(1)} MB more while exporting`);
  });
});

test('a module started again is instantiated from the one compiled, never compiled again', async () => {
  const compiled = moduleCompiles();
  const file = real('CSCH@009.SAVF');
  const starts = await Promise.all([startModule(), startModule(), startModule()]);
  assert.equal(moduleCompiles(), compiled, 'no compile for three more starts');
  for (const started of starts) {
    assert.equal(started.wasmModule, quelvane.wasmModule);
    if (file === null) continue;
    const save = started.open(nodeFileReader(fs, file), { name: file });
    const sink = countingSink();
    assert.equal(save.exportMember(nodeAt('1/0/0'), 'txt', { sink }).outcome, 'written');
    save.close();
  }
  // A module handed over compiled (as the host hands it to a job's worker thread) starts too.
  const handed = await bridge.startQuelvane((await import('node:module')).createRequire(import.meta.url)(
    path.resolve(option('module'))), { wasmModule: quelvane.wasmModule });
  assert.equal(moduleCompiles(), compiled);
  assert.ok(handed.codePages().host.length > 0);
});
