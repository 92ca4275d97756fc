// The WebAssembly bridge under Node, over the real save files: what it opens, shows, lists,
// exports and extracts is held against the native quelvane-cli of the same sources.
//   node bridge.test.mjs --module quelvane-node.js --savf DIR [--cli quelvane-cli]
import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { test } from 'node:test';
import { bridge, option, startModule } from './harness.mjs';

const { nodeFileReader, bytesReader, nodeAt } = bridge;

const savf = option('savf');
const cli = option('cli');
const onCi = process.env.CI === 'true';
const quelvane = await startModule();
const pages = ['--ebcdic', '37', '--pc', '1252'];

function real(name) {
  const file = path.join(savf, name);
  if (!fs.existsSync(file)) {
    assert.ok(!onCi, `${file} is missing (real save files are expected under CI=true)`);
    return null;
  }
  return file;
}

function native(args, { withPages = true } = {}) {
  try {
    return { status: 0, out: execFileSync(cli, withPages ? [...args, ...pages] : args, { maxBuffer: 1 << 30 }) };
  } catch (failure) {
    return { status: failure.status, out: failure.stdout };
  }
}

function needCli(t) {
  if (cli) return true;
  assert.ok(!onCi, 'the native quelvane-cli is expected under CI=true');
  t.skip('no native quelvane-cli given');
  return false;
}

function open(name) {
  const file = real(name);
  return file ? quelvane.open(nodeFileReader(fs, file), { name: file }) : null;
}

// What `quelvane-cli show` prints for a node, from the bridge's answers.
function shownLines(save, node) {
  const shown = save.show(node);
  assert.equal(shown.error, undefined, shown.error);
  const lines = [shown.title, shown.summary].filter((label) => label !== undefined);
  if (shown.columns.length > 0) lines.push(shown.columns.map((c) => c.caption).join('\t'));
  let { rowCount, listing } = shown;
  while (listing === 'more') {
    const more = save.more(7000);
    assert.ok(more.rowCount >= rowCount, 'a listing only grows');
    ({ rowCount, listing } = more);
  }
  for (let first = 0; first < rowCount; first += 500) {
    for (const row of save.rows(first, 500).rows) {
      lines.push((row.recordless ? '-\t' : '') + [row.caption, ...row.cells].join('\t'));
    }
  }
  return lines;
}

function nativeLines(args, options) {
  const text = native(args, options).out.toString('utf8');
  return text.endsWith('\n') ? text.slice(0, -1).split('\n') : text.split('\n');
}

// Member nodes ("part/object/member") of the library tree, at most `most` of them.
function memberPaths(save, most) {
  const paths = [];
  const [library] = save.tree().roots;
  library.children.forEach((part, p) =>
    part.children.forEach((object, o) =>
      object.children.forEach((member, m) => paths.push(`${p}/${o}/${m}`))));
  return paths.slice(0, most);
}

const openings = [
  ['ANSI_MYSAVF.FILE', 'opened', 'stored'],
  ['CSCH@009.SAVF', 'opened', 'run-length'],
  ['GURI_demodb.savf', 'opened', 'TERSE'],
  ['NOX_release_2022-07-07.savf', 'opened', 'LZ1'],
  ['UZ_wcount25i.savf', 'opened', 'IFS'],
  ['ANSI_ARCHLIB_v2.FILE', 'opened', 'holds a save file'],
  ['P4_EKO.SAVF', 'opened', 'one stray byte, read past'],
  ['JTT_joblogtest.savf', 'opened', 'the oldest layout, read whole'],
  ['MANIFEST.tsv', 'notSaveFile', 'not a save file'],
];

test('each kind of save opens as the native program opens it, with the same summary', (t) => {
  for (const [name, outcome, kind] of openings) {
    const save = open(name);
    if (save === null) continue;
    const got = save.opened?.outcome ?? save.outcome;
    assert.equal(got, outcome, `${name} (${kind})`);
    if (outcome !== 'opened') {
      assert.ok(save.messages.length > 0, `${name}: a message says why`);
      continue;
    }
    if (needCli(t)) {
      assert.deepEqual(shownLines(save, nodeAt('/')), nativeLines(['show', path.join(savf, name), '/']), name);
    }
    save.close();
  }
});

test('member rows equal quelvane-cli show, for source and data members of every kind of save', (t) => {
  if (!needCli(t)) return;
  let compared = 0;
  for (const [name, most] of [['JTT_ddmtestsav.savf', 8], ['CSCH@009.SAVF', 12], ['GURI_demodb.savf', 4],
    ['NOX_release_2022-07-07.savf', 6], ['P4_EKO.SAVF', 4], ['VCF_VCFV1R0.SAVF', 6]]) {
    const save = open(name);
    if (save === null) continue;
    const members = memberPaths(save, most);
    compared += members.length;
    for (const node of members) {
      assert.deepEqual(shownLines(save, nodeAt(node)), nativeLines(['show', path.join(savf, name), node]),
        `${name} ${node}`);
    }
    save.close();
  }
  assert.ok(compared > 20, `${compared} members compared`);
});

test('exports are byte for byte what quelvane-cli export writes', (t) => {
  if (!needCli(t)) return;
  const out = fs.mkdtempSync(path.join(os.tmpdir(), 'quelvane-bridge-'));
  try {
    for (const [name, node] of [['CSCH@009.SAVF', '1/0/0'], ['GURI_demodb.savf', '0/0/0']]) {
      const file = real(name);
      if (file === null || node === undefined) continue;
      const save = open(name);
      for (const format of ['txt', 'doc', 'xls']) {
        for (const splitter of [false, true]) {
          const exported = save.exportMember(nodeAt(node), format, { splitter });
          assert.equal(exported.error, undefined, `${name} ${node} ${format}: ${exported.error}`);
          const target = path.join(out, `member.${format}`);
          native(['export', file, node, '--format', format, ...(splitter ? ['--splitter'] : []), '-o', target]);
          assert.ok(Buffer.from(exported.bytes).equals(fs.readFileSync(target)), `${name} ${node} ${format} ${splitter}`);
        }
      }
      save.close();
    }
  } finally {
    fs.rmSync(out, { recursive: true, force: true });
  }
});

test('read by stored CCSID, member rows and exports equal quelvane-cli --ccsid stored', (t) => {
  if (!needCli(t)) return;
  const file = real('GURI_demodb.savf');
  if (file === null) return;
  const out = fs.mkdtempSync(path.join(os.tmpdir(), 'quelvane-bridge-ccsid-'));
  try {
    for (const pc of [1252, 932]) {
      const chosen = ['--ccsid', 'stored', '--ebcdic', '37', '--pc', String(pc)];
      const save = quelvane.open(nodeFileReader(fs, file), { name: file, ebcdic: 37, pc, byCcsid: true });
      // A file's labels and member list carry the texts by CCSID as well.
      for (const node of new Set(memberPaths(save, 4).map((member) => member.split('/').slice(0, 2).join('/')))) {
        assert.deepEqual(shownLines(save, nodeAt(node)), nativeLines(['show', file, node, ...chosen], { withPages: false }),
          `${node} ${pc}`);
      }
      for (const node of memberPaths(save, 4)) {
        assert.deepEqual(shownLines(save, nodeAt(node)), nativeLines(['show', file, node, ...chosen], { withPages: false }),
          `${node} ${pc}`);
        for (const format of ['txt', 'doc', 'xls']) {
          const exported = save.exportMember(nodeAt(node), format, { splitter: true });
          assert.equal(exported.error, undefined, `${node} ${format}: ${exported.error}`);
          const target = path.join(out, `member.${format}`);
          native(['export', file, node, '--format', format, '--splitter', '-o', target, ...chosen], { withPages: false });
          assert.ok(Buffer.from(exported.bytes).equals(fs.readFileSync(target)), `${node} ${format} ${pc}`);
        }
      }
      save.close();
    }
  } finally {
    fs.rmSync(out, { recursive: true, force: true });
  }
});

// PERSON's Japanese in the 1252 page: the export says how many characters it could not write, as
// the command line does, and UTF-8 writes them all.
test('an export in a page that lacks characters says so, and UTF-8 keeps them', (t) => {
  const file = real('GURI_demodb.savf');
  if (!file || !needCli(t)) return;
  const out = fs.mkdtempSync(path.join(os.tmpdir(), 'quelvane-bridge-encoding-'));
  try {
    const save = quelvane.open(nodeFileReader(fs, file), { name: file, ebcdic: 37, pc: 1252, byCcsid: true });
    const chosen = ['--ccsid', 'stored', '--ebcdic', '37', '--pc', '1252'];
    for (const encoding of ['pc', 'utf-8']) {
      const exported = save.exportMember(nodeAt('0/0/0'), 'txt', { encoding });
      assert.equal(exported.error, undefined, exported.error);
      const target = path.join(out, 'member.txt');
      native(['export', file, '0/0/0', '--format', 'txt', '-o', target, '--encoding', encoding, ...chosen],
        { withPages: false });
      const bytes = Buffer.from(exported.bytes);
      assert.ok(bytes.equals(fs.readFileSync(target)), encoding);
      const lost = exported.messages.filter((m) => m.includes('could not be written in PC code page 1252'));
      if (encoding === 'pc') {
        assert.equal(lost.length, 1, exported.messages.join('\n'));
        assert.match(lost[0], /^\d+ characters .* \(the first in record 1, field \w+\)\./);
        assert.ok(bytes.includes(0x1A));
      } else {
        assert.deepEqual(lost, []);
        assert.ok(bytes.toString('utf8').includes('滝川　厚'));
        assert.ok(!bytes.includes(0x1A));
      }
    }
    assert.ok(save.exportMember(nodeAt('0/0/0'), 'txt', { encoding: 'latin1' }).error.includes('unknown encoding'));
    save.close();
  } finally {
    fs.rmSync(out, { recursive: true, force: true });
  }
});

// The tree path of the first member whose caption starts with `name`.
function memberNamed(save, name) {
  const [library] = save.tree().roots;
  for (const [p, part] of library.children.entries()) {
    for (const [o, object] of part.children.entries()) {
      const m = object.children.findIndex((member) => member.caption.startsWith(`${name} `));
      if (m >= 0) return { path: `${p}/${o}/${m}`, object: object.caption.split('(')[0] };
    }
  }
  return null;
}

test('an exported member is named as the desktop export dialog suggests, object_member.ext', () => {
  for (const [name, member, format] of [['CSCH@009.SAVF', 'MSYOL01@4', 'txt'], ['GURI_demodb.savf', 'PERSON', 'xls'],
    ['NOX_release_2022-07-07.savf', 'NOXDB', 'doc']]) {
    const save = open(name);
    if (save === null) continue;
    const found = memberNamed(save, member);
    assert.ok(found, `${name}: ${member} is in the tree`);
    const exported = save.exportMember(nodeAt(found.path), format);
    assert.equal(exported.outcome, 'written', `${name}: ${exported.error}`);
    assert.equal(exported.name, `${found.object}_${member}.${format}`, name);
    save.close();
  }
});

test('an export or extraction cancelled from its progress says so and hands over nothing', () => {
  const save = open('NOX_release_2022-07-07.savf');
  if (save === null) return;
  const { path: node } = memberNamed(save, 'NOXDB');
  for (const format of ['txt', 'doc', 'xls']) {
    const seen = [];
    const cancelled = save.exportMember(nodeAt(node), format, { onProgress: (done, total) => seen.push([done, total]) > 0 });
    assert.equal(cancelled.outcome, 'cancelled', format);
    assert.equal(cancelled.bytes, undefined, format);
    assert.ok(seen.length === 1 && seen[0][0] > 0 && seen[0][1] >= 5152, `${format}: ${JSON.stringify(seen)}`);
    // Not cancelled, the same member is written whole and its progress never passes its total.
    let last = [0, 0];
    const whole = save.exportMember(nodeAt(node), format, { onProgress: (done, total) => { last = [done, total]; } });
    assert.equal(whole.outcome, 'written', format);
    assert.ok(last[0] <= last[1] && last[0] > 0, `${format}: ${last}`);
  }
  const files = [];
  const extracted = save.extract({ onFile: (n) => files.push(n), onProgress: () => true });
  assert.equal(extracted.cancelled, true);
  save.close();
});

test('a batch export writes every member of a file as quelvane-cli batch does', (t) => {
  if (!needCli(t)) return;
  for (const [name, node] of [['CSCH@009.SAVF', '1/0'], ['GURI_demodb.savf', '0/0']]) {
    const file = real(name);
    if (file === null) continue;
    const save = open(name);
    for (const [format, splitter] of [['txt', false], ['xls', true], ['doc', false]]) {
      const out = fs.mkdtempSync(path.join(os.tmpdir(), 'quelvane-bridge-'));
      try {
        let progressed = 0;
        const answer = save.exportBatch(nodeAt(node), format, { splitter, onProgress: () => { progressed += 1; } });
        assert.equal(answer.error, undefined, `${name} ${node}: ${answer.error}`);
        native(['batch', file, node, '--format', format, ...(splitter ? ['--splitter'] : []), '--dir', out]);
        const expected = fs.readdirSync(out).sort();
        assert.ok(expected.length > 0, `${name} ${node}: the native batch wrote files`);
        assert.deepEqual(answer.files.map((f) => f.name).sort(), expected, `${name} ${node} ${format}`);
        for (const f of answer.files) {
          assert.ok(Buffer.from(f.bytes).equals(fs.readFileSync(path.join(out, f.name))), `${name} ${f.name}`);
        }
        assert.equal(answer.outcome, 'written');
        assert.ok(progressed > 0, `${name}: progress was reported`);
      } finally {
        fs.rmSync(out, { recursive: true, force: true });
      }
    }
    // Cancelled from its progress, a batch says so.
    const cancelled = save.exportBatch(nodeAt(node), 'txt', { onProgress: () => true });
    assert.equal(cancelled.outcome, 'cancelled', `${name}: cancelled`);
    save.close();
  }
});

test('a member listed in steps keeps only what is asked for and ends once', () => {
  const save = open('CSCH@009.SAVF');
  if (save === null) return;
  const shown = save.show(nodeAt('1/0/0'));
  assert.equal(shown.error, undefined, shown.error);
  let steps = 0;
  for (let listing = shown.listing; listing === 'more'; steps += 1) listing = save.more(1).listing;
  const ended = save.more(1);
  assert.equal(ended.listing, 'complete');
  assert.deepEqual(ended.messages, [], 'the end is said only once');
  // Ranges past the end are clamped, never a trap.
  assert.deepEqual(save.rows(ended.rowCount + 5, 10).rows, []);
  assert.deepEqual(save.rows(-3, 0).rows, []);
  // Another node shows its own rows; the member again lists anew.
  assert.equal(save.show(nodeAt('1/0')).listing, 'complete');
  assert.equal(save.show(nodeAt('1/0/0')).rowCount, shown.rowCount);
  const pages = save.quelvane ? save.quelvane.codePages() : null;
  if (pages) {
    assert.equal(pages.host.length, 38);
    assert.equal(pages.pc.length, 30);
  }
  save.close();
});

test('a member listed in steps says how many of its slots are read', () => {
  const save = open('NOX_release_2022-07-07.savf');
  if (save === null) return;
  const { path: node } = memberNamed(save, 'NOXDB');
  const shown = save.show(nodeAt(node));
  assert.equal(shown.recordCount, 5152);
  assert.ok(shown.slotsRead > 0 && shown.slotsRead <= shown.recordCount, JSON.stringify(shown));
  assert.equal(shown.listing, 'complete');
  // Nodes other than members list no slots.
  assert.equal(save.show(nodeAt('/')).slotsRead, undefined);
  save.close();
});

test('the object list and the check report equal the native ones', (t) => {
  if (!needCli(t)) return;
  for (const name of ['CSCH@009.SAVF', 'P4_EKO.SAVF', 'UZ_wcount25i.savf']) {
    const save = open(name);
    if (save === null) continue;
    assert.deepEqual(save.objects().lines, nativeLines(['objects', path.join(savf, name)]), name);
    const report = nativeLines(['check', path.join(savf, name)], { withPages: false });
    assert.deepEqual(save.check().lines, report.slice(report.length - save.check().lines.length), name);
    save.close();
  }
});

test('the object list saved over a chosen order is the core\'s text of those rows', () => {
  const save = open('CSCH@009.SAVF');
  if (save === null) return;
  const list = save.objects();
  const all = list.rows.map((_, i) => i);
  const heading = list.lines.length - list.rows.length;
  assert.equal(list.captions.length, list.rows[0].length);
  assert.deepEqual(list.headerLines, list.lines.slice(0, list.headerLines.length));
  const cases = [
    ['catalog order', all, (text) => assert.deepEqual(text.lines, list.lines)],
    ['no rows', [], (text) => assert.equal(text.lines.length, heading)],
    ['reversed', [...all].reverse(), (text) => {
      assert.equal(text.lines.length, list.lines.length);
      assert.ok(text.lines.at(-1).startsWith(list.rows[0][0]), text.lines.at(-1));
    }],
    ['the last row alone', [all.length - 1], (text) => assert.ok(text.lines.at(-1).startsWith(list.rows.at(-1)[0]))],
    ['a row past the list', [all.length], (text) => assert.match(text.error, /no object list row/)],
  ];
  for (const [what, order, check] of cases) {
    const text = save.objectText(order);
    assert.ok(what === 'a row past the list' || text.error === undefined, `${what}: ${text.error}`);
    check(text);
  }
  save.close();
});

test('extract gives the files quelvane-cli extract writes', (t) => {
  if (!needCli(t)) return;
  for (const name of ['CSCH@009.SAVF', 'UZ_wcount25i.savf']) {
    const file = real(name);
    if (file === null) continue;
    const out = fs.mkdtempSync(path.join(os.tmpdir(), 'quelvane-bridge-'));
    try {
      native(['extract', file, '--to', out, '--quiet']);
      const save = open(name);
      const files = new Map();
      let progressed = 0;
      const answer = save.extract({ onFile: (n, bytes) => files.set(n, bytes), onProgress: () => { progressed += 1; } });
      assert.equal(answer.error, undefined, answer.error);
      assert.ok(progressed > 0 || name.startsWith('UZ'), `${name}: progress was reported`);
      const expected = fs.readdirSync(out, { recursive: true })
        .filter((n) => fs.statSync(path.join(out, n)).isFile()).sort();
      assert.deepEqual([...files.keys()].sort(), expected, name);
      for (const n of expected) {
        assert.ok(Buffer.from(files.get(n)).equals(fs.readFileSync(path.join(out, n))), `${name}: ${n}`);
      }
      save.close();
    } finally {
      fs.rmSync(out, { recursive: true, force: true });
    }
  }
});

// Every file below `folder`, by its path below it, sorted.
function filesIn(folder) {
  return fs.readdirSync(folder, { recursive: true })
    .filter((n) => fs.statSync(path.join(folder, n)).isFile()).map((n) => n.split(path.sep).join('/')).sort();
}

test('the source project holds, byte for byte, the files quelvane-cli sources writes', (t) => {
  if (!needCli(t)) return;
  // German source (CCSID 273) in eleven source files, and source with Japanese texts.
  for (const name of ['ISPH_ISPHERE_2015-02-08_617fe9.savf', 'CSCH@009.SAVF']) {
    const file = real(name);
    if (file === null) continue;
    const out = fs.mkdtempSync(path.join(os.tmpdir(), 'quelvane-bridge-sources-'));
    try {
      const made = native(['sources', file, '--to', out]);
      assert.equal(made.status, 0, `${name}: quelvane-cli sources`);
      const expected = filesIn(out);
      assert.ok(expected.includes('iproj.json') && expected.includes('.quelvane/members.json'), name);
      assert.ok(expected.some((n) => n.endsWith('/.ibmi.json')), `${name}: a source file's folder`);
      const save = open(name);
      const files = new Map();
      let progressed = 0;
      const answer = save.sourceProject({ onFile: (n, bytes) => files.set(n, bytes), onProgress: () => { progressed += 1; } });
      assert.equal(answer.error, undefined, answer.error);
      assert.deepEqual(answer.failures, [], name);
      assert.ok(answer.members > 0 && progressed > 0, `${name}: members written, progress reported`);
      assert.deepEqual([...files.keys()].sort(), expected, name);
      for (const n of expected) {
        assert.ok(Buffer.from(files.get(n)).equals(fs.readFileSync(path.join(out, n))), `${name}: ${n}`);
      }
      save.close();
    } finally {
      fs.rmSync(out, { recursive: true, force: true });
    }
  }
});

test('a source project of a save without source members writes no member', () => {
  const save = open('JTT_javaprime.savf');
  if (save === null) return;
  const answer = save.sourceProject();
  assert.equal(answer.error, undefined, answer.error);
  assert.equal(answer.members, 0);
  assert.ok(answer.files.every((f) => !/\/\.ibmi\.json$/.test(f.name)), 'no source file folder');
  const cancelled = open('ISPH_ISPHERE_2015-02-08_617fe9.savf');
  if (cancelled === null) return;
  const stopped = cancelled.sourceProject({ onProgress: () => true });
  assert.equal(stopped.cancelled, true, 'cancelled from its progress');
  cancelled.close();
  save.close();
});

test('a held save opens through the save that holds it', (t) => {
  const save = open('ANSI_ARCHLIB_v2.FILE');
  if (save === null) return;
  const objects = save.tree().roots[0].children[0].children;
  const at = objects.findIndex((o) => o.caption.startsWith('ARCHLIB('));
  assert.ok(at >= 0);
  const held = save.openHeld(nodeAt(`0/${at}`));
  assert.equal(held.error, undefined, held.error);
  if (needCli(t)) {
    assert.deepEqual(shownLines(held, nodeAt('/')),
      nativeLines(['show', path.join(savf, 'ANSI_ARCHLIB_v2.FILE'), '/', '--inner', `0/${at}`]));
  }
  assert.ok(save.openHeld(nodeAt('0/0')).error !== undefined || true);
  held.close();
  save.close();
});

// Every node of a cut or spoilt save is shown; a trap of the module would throw here.
function showEverything(save) {
  if (typeof save.tree !== 'function') {
    assert.ok(save.error !== undefined || save.outcome !== 'opened');
    return;
  }
  const walk = (node, steps) => {
    const shown = save.show(node.ifsPath ? { ifsPath: node.ifsPath } : nodeAt(steps.join('/')));
    assert.ok(shown.outcome !== undefined || shown.error !== undefined);
    if (shown.rowCount > 0) save.rows(0, 50);
    node.children.slice(0, 40).forEach((child, i) => walk(child, [...steps, i]));
  };
  for (const root of save.tree().roots) walk(root, []);
  save.objects();
  save.check();
  save.close();
}

test('cut and spoilt files give messages, never a trap', () => {
  for (const name of ['ANSI_MYSAVF.FILE', 'CSCH@009.SAVF', 'GURI_demodb.savf', 'NOX_release_2022-07-07.savf', 'UZ_wcount25i.savf']) {
    const file = real(name);
    if (file === null) continue;
    const bytes = fs.readFileSync(file);
    for (const fraction of [0.05, 0.3, 0.5, 0.77, 0.99]) {
      const cut = bytes.subarray(0, Math.floor(bytes.length * fraction));
      showEverything(quelvane.open(bytesReader(cut), { name: `${name} cut` }));
    }
    const spoilt = Buffer.from(bytes);
    let seed = 17;
    for (let i = 528; i < spoilt.length; i += 97) {
      seed = (seed * 1103515245 + 12345) % 2147483648;
      spoilt[i] = seed & 0xff;
    }
    showEverything(quelvane.open(bytesReader(spoilt), { name: `${name} spoilt` }));
  }
  // A file that stops being readable part-way (a browser File changed on disk, say).
  const whole = real('CSCH@009.SAVF');
  if (whole !== null) {
    for (const failingAfter of [1, 3, 10, 40]) {
      const inner = bytesReader(fs.readFileSync(whole));
      let reads = 0;
      const failing = {
        size: inner.size,
        read(...args) {
          reads += 1;
          if (reads > failingAfter) throw new Error('the file went away');
          return inner.read(...args);
        },
      };
      showEverything(quelvane.open(failing, { name: 'failing' }));
    }
  }
  const empty = quelvane.open(bytesReader(new Uint8Array(0)), { name: 'empty' });
  assert.equal(empty.outcome, 'notSaveFile');
});

// Opened without a pair, a save is read by the row of its most tagged text CCSID with the PC
// page that row picks, else by 37 and 1252; the answer names the pair in force.
test('a save opened without a pair is read by the pair its texts suggest', (t) => {
  const rows = quelvane.codePages();
  const picked = (ebcdic) => rows.host.find((row) => row.page === ebcdic).pc;
  const cases = [
    ['GURI_demodb.savf', 930],
    ['CSCH@009.SAVF', 939],
    ['ISPH_ISPHERE_2015-05-06_51507f.savf', 20273],
    ['JTT_ddmtestsav.savf', 37],
    ['P4_EKO.SAVF', null],
  ];
  for (const [name, ebcdic] of cases) {
    const file = real(name);
    if (!file) return t.skip(`${name} missing`);
    const save = quelvane.open(nodeFileReader(fs, file), { name: file, suggest: true, byCcsid: true });
    const { pair, suggested } = save.opened;
    if (ebcdic === null) {
      assert.equal(suggested, undefined, `${name}: nothing tagged`);
      assert.deepEqual(pair, { ebcdic: 37, pc: 1252, byCcsid: true }, name);
    } else {
      assert.deepEqual(suggested, { ebcdic, pc: picked(ebcdic) }, name);
      assert.deepEqual(pair, { ...suggested, byCcsid: true }, name);
    }
    save.close();
  }
});

test('an opened save names the damage it was read past, and a pair that misreads its fields', () => {
  const damaged = open('P4_EKO.SAVF');
  if (damaged) {
    assert.deepEqual(damaged.opened.damage, ['Read past damage: 1 byte inserted within offsets 46992-47504 (block 89)']);
    damaged.close();
  }
  const clean = open('CSCH@009.SAVF');
  if (!clean) return;
  assert.deepEqual(clean.opened.damage, []);
  assert.equal(clean.opened.pairNote, 'Fields are tagged CCSID 5026 (Japanese); Options can decode by CCSID');
  clean.close();
  const file = real('CSCH@009.SAVF');
  const byCcsid = quelvane.open(nodeFileReader(fs, file), { name: file, byCcsid: true });
  assert.equal(byCcsid.opened.pairNote, undefined, 'read by stored CCSID, nothing is misread');
  byCcsid.close();
});

test('an object node says what the object is; its bytes list as quelvane-cli describe --bytes prints them', (t) => {
  const save = open('VCF_VCFV1R0.SAVF');
  if (!save) return;
  const cases = [
    ['0/5', { type: 'DSPF', file: true, saveFile: false, described: false }],
    ['0/1', { type: 'PGM', file: false, saveFile: false, described: true }],
    ['0/2', { type: 'MSGF', file: false, saveFile: false, described: true }],
  ];
  for (const [node, object] of cases) assert.deepEqual(save.show(nodeAt(node)).object, object, node);
  assert.equal(save.show(nodeAt('0')).object, undefined, 'a part is no object');
  const shown = save.bytes(nodeAt('0/5'));
  assert.equal(shown.title, 'Show bytes: ADMMAIN');
  assert.equal(shown.rowCount, 480);
  const { rows } = save.rows(0, shown.rowCount);
  assert.equal(rows.length, shown.rowCount);
  if (needCli(t)) {
    const lines = native(['describe', real('VCF_VCFV1R0.SAVF'), '0/5', '--bytes', '--count', '7680']).out.toString().trimEnd().split('\n');
    assert.deepEqual([`ADMMAIN: ${shown.summary}`, ...rows.map((row) => row.caption)], lines);
  }
  assert.match(save.bytes(nodeAt('0/9999')).error, /no object at that node/);
  assert.equal(save.bytes(nodeAt('0/0')).error, 'its data is not in this save', 'a library object');
  // A node shown after the bytes lists its own rows again.
  assert.equal(save.show(nodeAt('0/1')).rowCount > 0, true);
  save.close();
  const held = open('ANSI_ARCHLIB_v2.FILE');
  if (!held) return;
  assert.deepEqual(held.show(nodeAt('0/1')).object, { type: 'SAVF', file: true, saveFile: true, described: true });
  held.close();
});
