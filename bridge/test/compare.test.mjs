// Two saves compared through the WebAssembly bridge under Node, both read in place through the
// module's reader callback: what differs between two saves of one library, each source member's
// unified diff held against the members' own lines, a save against itself, the nodes the answer
// names, progress, and cut or spoilt saves. With a native quelvane-cli, the answer is the one
// `quelvane-cli compare --json` prints.
//   node compare.test.mjs --module quelvane-node.js --savf DIR [--cli quelvane-cli]
import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import fs from 'node:fs';
import path from 'node:path';
import { test } from 'node:test';
import { bridge, option, startModule } from './harness.mjs';

const { nodeFileReader, bytesReader, nodeAt } = bridge;

const savf = option('savf');
const cli = option('cli');
const onCi = process.env.CI === 'true';
const quelvane = await startModule();

const OLDER = 'ISPH_ISPHERE_2015-02-08_617fe9.savf';
const NEWER = 'ISPH_ISPHERE_2015-05-06_51507f.savf';

function real(name) {
  const file = path.join(savf, name);
  if (!fs.existsSync(file)) {
    assert.ok(!onCi, `${file} is missing (real save files are expected under CI=true)`);
    return null;
  }
  return file;
}

// The records read by their stored CCSIDs, as the comparison (and extract) reads source lines.
function open(name) {
  const file = real(name);
  if (file === null) return null;
  const save = quelvane.open(nodeFileReader(fs, file), { name: file, byCcsid: true });
  assert.equal(save.error, undefined, `${name}: ${save.error}`);
  return save;
}

function compared(before, after, options) {
  const answer = before.compareWith(after, options);
  assert.equal(answer.error, undefined, answer.error);
  return answer;
}

// The tree node at a compare answer's node path ("p/j" or "p/j/k") in `save`.
function treeNode(save, node) {
  let at = save.tree().roots[0];
  for (const step of node.split('/').map(Number)) at = at?.children[step];
  return at;
}

// A source member's lines as the bridge lists them: the text column of each row.
function memberText(save, node) {
  const shown = save.show(nodeAt(node));
  assert.equal(shown.error, undefined, shown.error);
  let { rowCount, listing } = shown;
  while (listing === 'more') ({ rowCount, listing } = save.more(100000));
  const lines = [];
  for (let first = 0; first < rowCount; first += 1000) {
    for (const row of save.rows(first, 1000).rows) lines.push(row.cells[row.cells.length - 1] ?? '');
  }
  return lines.map((line) => line.trimEnd());
}

// `before` with the unified diff's hunks applied; each context and removed line must be the
// line of `before` it stands for.
function patched(before, hunks, where) {
  const out = [];
  let at = 0;
  for (const { header, lines } of hunks) {
    const [, start, count] = /^@@ -(\d+)(?:,(\d+))? \+\d+(?:,\d+)? @@$/.exec(header) ?? [];
    assert.ok(start !== undefined, `${where}: a hunk header "${header}"`);
    const first = count === '0' ? Number(start) : Number(start) - 1;
    assert.ok(first >= at, `${where}: hunks in order`);
    out.push(...before.slice(at, first));
    at = first;
    for (const line of lines) {
      const text = line.slice(1).trimEnd();
      if (line[0] === '+') {
        out.push(text);
        continue;
      }
      assert.equal(before[at], text, `${where}: line ${at + 1} of the older member`);
      if (line[0] === ' ') out.push(text);
      at += 1;
    }
  }
  return [...out, ...before.slice(at)];
}

test('two saves of one library: what differs, and every source diff turns one member into the other', () => {
  const older = open(OLDER);
  const newer = open(NEWER);
  if (older === null || newer === null) return;
  const progress = [];
  const answer = compared(older, newer, { onProgress: (done, total) => void progress.push([done, total]) });
  assert.equal(answer.same, false);
  assert.equal(answer.differentKinds, false);
  assert.deepEqual([answer.before, answer.after], [OLDER, NEWER]);
  assert.match(answer.summary.text, /^\d+ objects? changed, \d+ added, \d+ removed; \d+ source members? changed \(\+\d+ -\d+ lines\)/);
  assert.ok(answer.objects.length > 0);
  const objectsAfter = newer.tree().roots[0].children.reduce((n, part) => n + part.children.length, 0);
  assert.deepEqual(progress.at(-1), [objectsAfter, objectsAfter], 'progress ends at the objects of the newer save');
  assert.ok(progress.every(([done], i) => i === 0 || done >= progress[i - 1][0]), 'progress only grows');

  let diffs = 0;
  for (const object of answer.objects) {
    const save = object.in === 'before' ? older : newer;
    assert.ok(treeNode(save, object.node)?.caption.startsWith(object.name), `${object.name} at ${object.node}`);
    for (const member of object.members) {
      const memberSave = member.in === 'before' ? older : newer;
      assert.ok(treeNode(memberSave, member.node)?.caption.startsWith(member.name), `${member.name} at ${member.node}`);
      if (!member.source || member.change !== 'changed' || member.lines.hunks.length === 0) continue;
      assert.equal(member.unread, undefined);
      const oldNode = oldMemberNode(older, object, member);
      const where = `${object.name}.${member.name}`;
      const expected = memberText(newer, member.node);
      assert.deepEqual(patched(memberText(older, oldNode), member.lines.hunks, where), expected, where);
      const marks = member.lines.hunks.flatMap((h) => h.lines.map((l) => l[0]));
      assert.equal(marks.filter((m) => m === '+').length, member.lines.added, `${where}: lines added`);
      assert.equal(marks.filter((m) => m === '-').length, member.lines.removed, `${where}: lines removed`);
      diffs += 1;
    }
  }
  assert.ok(diffs > 0, 'at least one source member changed between the two saves');
  assert.equal(diffs, answer.summary.sourceMembersChanged, 'every source member the summary counts was held');
  older.close();
  newer.close();
});

// The member of the same name in the older save, found through its tree: objects that hold
// members are files, named alike only by different types that hold none.
function oldMemberNode(older, object, member) {
  const first = (caption) => caption.split(/[\s(]/)[0];
  const [library] = older.tree().roots;
  for (const [p, part] of library.children.entries()) {
    for (const [j, candidate] of part.children.entries()) {
      if (first(candidate.caption) !== object.name) continue;
      const k = candidate.children.findIndex((m) => first(m.caption) === member.name);
      if (k >= 0) return `${p}/${j}/${k}`;
    }
  }
  return assert.fail(`${object.name}.${member.name} is not in the older save`);
}

// JTT_ddmtestsav is stored uncompressed: bytes flipped in place change a data member's records.
function flippedDdmTest(bytes) {
  const flipped = Buffer.from(bytes);
  const at = Math.floor((bytes.length * 0.4) / 528) * 528 + 300;
  for (let i = at; i < at + 8; i += 1) flipped[i] ^= 0x01;
  return flipped;
}

test('a data member\'s changed records are counted, and its first ones given as the records view reads them', () => {
  const file = real('JTT_ddmtestsav.savf');
  if (file === null) return;
  const bytes = fs.readFileSync(file);
  const before = quelvane.open(bytesReader(bytes), { name: 'ddmtestsav', byCcsid: true });
  const after = quelvane.open(bytesReader(flippedDdmTest(bytes)), { name: 'flipped', byCcsid: true });
  const answer = compared(before, after);
  assert.equal(answer.objects.length, 1, answer.summary.text);
  const [member] = answer.objects[0].members;
  assert.equal(member.source, false);
  assert.equal(member.contentDiffers, true);
  assert.deepEqual([member.records.added, member.records.removed, member.records.changed], [0, 1, 1]);
  // Relative record numbers count from 1; the records view numbers its rows from 0.
  for (const { record, fields } of member.records.first) {
    const row = (save) => {
      const shown = save.show(nodeAt(member.node));
      const captions = shown.columns.map((c) => c.caption);
      const { cells } = save.rows(record - 1, 1).rows[0];
      return Object.fromEntries(captions.slice(1).map((caption, i) => [caption, cells[i]?.trimEnd()]));
    };
    const [old, now] = [row(before), row(after)];
    for (const field of fields) {
      assert.deepEqual([old[field.what], now[field.what]], [field.before.trimEnd(), field.after.trimEnd()], `record ${record} ${field.what}`);
    }
    const differing = Object.keys(now).filter((name) => old[name] !== now[name]);
    assert.deepEqual(differing, fields.map((f) => f.what), `record ${record}: the fields that differ`);
  }
  before.close();
  after.close();
});

test('the answer is what quelvane-cli compare --json prints', (t) => {
  if (!cli) {
    assert.ok(!onCi, 'the native quelvane-cli is expected under CI=true');
    t.skip('no native quelvane-cli given');
    return;
  }
  for (const [a, b] of [[OLDER, NEWER], [NEWER, OLDER], ['GURI_demodb.savf', 'GURI_ofdemo.savf']]) {
    const before = open(a);
    const after = open(b);
    if (before === null || after === null) continue;
    let printed;
    try {
      printed = execFileSync(cli, ['compare', real(a), real(b), '--json', '--ebcdic', '37', '--pc', '1252'], { maxBuffer: 1 << 28 });
    } catch (failure) {
      printed = failure.stdout;
    }
    assert.deepEqual(compared(before, after), JSON.parse(printed.toString()), `${a} against ${b}`);
    before.close();
    after.close();
  }
  // A held save against the save holding it; the page names the held side as the command does.
  const outer = open('ANSI_ARCHLIB_v2.FILE');
  if (outer === null) return;
  const held = outer.openHeld(nodeAt('0/0'));
  assert.equal(held.error, undefined, held.error);
  const file = real('ANSI_ARCHLIB_v2.FILE');
  let printed;
  try {
    printed = execFileSync(cli, ['compare', file, '--inner', '0/0', file, '--json', '--ebcdic', '37', '--pc', '1252']);
  } catch (failure) {
    printed = failure.stdout;
  }
  const expected = JSON.parse(printed.toString());
  assert.equal(expected.before, 'ANSI_ARCHLIB_v2.FILE (0/0)');
  assert.deepEqual({ ...compared(held, outer), before: expected.before }, expected);
  held.close();
  outer.close();
});

test('a save against itself holds the same, whatever its kind', () => {
  for (const name of [OLDER, 'CSCH@009.SAVF', 'GURI_demodb.savf', 'NOX_release_2022-07-07.savf', 'UZ_wcount25i.savf', 'P4_EKO.SAVF']) {
    const one = open(name);
    const two = open(name);
    if (one === null || two === null) continue;
    const answer = compared(one, two);
    assert.equal(answer.same, true, `${name}: ${answer.summary.text}`);
    assert.equal(answer.summary.text, 'The saves hold the same');
    assert.deepEqual(answer.objects, []);
    assert.deepEqual(compared(one, one).same, true, `${name} against the same session`);
    one.close();
    two.close();
  }
});

test('an IFS save against a library save, and a closed save, are said', () => {
  const library = open(OLDER);
  const ifs = open('UZ_wcount25i.savf');
  if (library === null || ifs === null) return;
  const kinds = compared(library, ifs);
  assert.equal(kinds.differentKinds, true);
  assert.match(kinds.summary.text, /different kinds/);
  ifs.close();
  assert.match(library.compareWith(ifs).error, /not open/);
  library.close();
});

// A save whose header says more blocks than the file holds is not read at all, so the damage is
// done in place: ranges of blocks zeroed (the catalog read stops there) and scattered bytes.
test('damaged saves compare as far as they can be read and say what was not, never a trap', () => {
  const whole = real(NEWER);
  const older = open(OLDER);
  if (whole === null || older === null) return;
  const bytes = fs.readFileSync(whole);
  const block = (fraction) => Math.floor((bytes.length * fraction) / 528) * 528;
  const variants = [[0.05, 0.1], [0.3, 0.5], [0.6, 1], [0.9, 1]].map(([from, to]) =>
    [`blocks ${from}-${to} zeroed`, Buffer.from(bytes).fill(0, block(from), block(to))]);
  const spoilt = Buffer.from(bytes);
  let seed = 29;
  for (let i = 528 * 40; i < spoilt.length; i += 211) {
    seed = (seed * 1103515245 + 12345) % 2147483648;
    spoilt[i] = seed & 0xff;
  }
  variants.push(['spoilt', spoilt]);
  let incomplete = 0;
  for (const [what, variant] of variants) {
    const damaged = quelvane.open(bytesReader(variant), { name: what });
    if (typeof damaged.tree !== 'function') {
      assert.ok(damaged.error !== undefined || damaged.outcome !== 'opened', what);
      continue;
    }
    for (const [before, after] of [[older, damaged], [damaged, older]]) {
      const answer = before.compareWith(after);
      assert.equal(answer.error, undefined, `${what}: ${answer.error}`);
      assert.equal(answer.same, false, what);
      if (damaged.opened.stop !== 'complete') {
        assert.ok(answer.unread.some((u) => u.startsWith(`${what}: the catalog is incomplete`)), `${what}: ${answer.unread}`);
        incomplete += 1;
      }
    }
    damaged.close();
  }
  assert.ok(incomplete >= 8, 'the zeroed saves are read in part and say so');
  older.close();
});
