// The bridge under Node against the native quelvane-cli, in one run, over a member of a million
// records (written by bench_write_member_save): open and list the first 100 rows, and export to
// text. Prints times, ratios and peak memory. Not a test: run it by hand on a quiet machine.
//   node bridge-bench.mjs --module quelvane-node.js --cli quelvane-cli --save member.savf
import { spawnSync } from 'node:child_process';
import fs from 'node:fs';
import { createRequire } from 'node:module';
import os from 'node:os';
import path from 'node:path';
import { fileURLToPath } from 'node:url';

const here = path.dirname(fileURLToPath(import.meta.url));
const { startQuelvane, nodeFileReader, nodeAt } = await import(path.join(here, '..', 'quelvane.mjs'));

function option(name) {
  const at = process.argv.indexOf(`--${name}`);
  return at >= 0 ? process.argv[at + 1] : '';
}

const cli = option('cli');
const save = option('save');
const node = nodeAt('0/0/0');
const pages = ['--ebcdic', '37', '--pc', '1252'];
const out = fs.mkdtempSync(path.join(os.tmpdir(), 'quelvane-bench-'));

// Seconds and peak resident megabytes of the native program, from GNU time.
function nativeRun(args) {
  const start = process.hrtime.bigint();
  const run = spawnSync('/usr/bin/time', ['-f', '%M', cli, ...args, ...pages],
    { stdio: ['ignore', 'ignore', 'pipe'], maxBuffer: 1 << 30 });
  const report = run.stderr.toString().trim().split('\n');
  const seconds = Number(process.hrtime.bigint() - start) / 1e9;
  return { seconds, megabytes: Number(report[report.length - 1]) / 1024 };
}

function timed(work) {
  const start = process.hrtime.bigint();
  const result = work();
  return { seconds: Number(process.hrtime.bigint() - start) / 1e9, result };
}

const quelvane = await startQuelvane(createRequire(import.meta.url)(path.resolve(option('module'))),
  // Node's fetch cannot load the .wasm by path: the bytes are handed over.
  { wasmBinary: fs.readFileSync(path.resolve(option('module')).replace(/\.js$/, '.wasm')) });
const listing = timed(() => {
  const opened = quelvane.open(nodeFileReader(fs, save), { name: save });
  const shown = opened.show(node);
  const rows = opened.rows(0, 100).rows;
  if (rows.length !== 100) throw new Error(`listed ${rows.length} rows of ${shown.rowCount}`);
  return opened;
});
const opened = listing.result;
const exporting = timed(() => opened.exportMember(node, 'txt'));
const bridgeMegabytes = process.resourceUsage().maxRSS / 1024;
const exportedBytes = exporting.result.bytes.length;

const nativeList = nativeRun(['show', save, '0/0/0']);
const nativeExport = nativeRun(['export', save, '0/0/0', '--format', 'txt', '-o', path.join(out, 'member.txt')]);
const same = Buffer.from(exporting.result.bytes).equals(fs.readFileSync(path.join(out, 'member.txt')));
fs.rmSync(out, { recursive: true, force: true });

const line = (what, bridge, native) =>
  console.log(`${what.padEnd(36)} bridge ${bridge.toFixed(3)} s   native ${native.toFixed(3)} s   ratio ${(bridge / native).toFixed(2)}`);
console.log(`member of ${opened.show(node).rowCount} records, ${fs.statSync(save).size} bytes`);
line('open, list, first 100 rows', listing.seconds, nativeList.seconds);
line(`export to text (${exportedBytes} bytes)`, exporting.seconds, nativeExport.seconds);
console.log(`peak memory: bridge ${bridgeMegabytes.toFixed(1)} MB (Node process), native show ${nativeList.megabytes.toFixed(1)} MB, native export ${nativeExport.megabytes.toFixed(1)} MB`);
console.log(`export bytes equal to quelvane-cli export: ${same}`);
