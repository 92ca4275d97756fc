// The bridge under Node against the native quelvane-cli, in one run, over a member of a million
// records (written by bench_write_member_save): open and list the first 100 rows, list the whole
// member, and export it to text streamed into a file. Prints wall and CPU times, ratios and peak
// memory. Not a test:
// run it by hand on a quiet machine (on a busy one, the CPU times are the figures to compare).
//   node bridge-bench.mjs --module quelvane-node.js --cli quelvane-cli --save member.savf
import { spawn, spawnSync } from 'node:child_process';
import fs from 'node:fs';
import { createRequire } from 'node:module';
import os from 'node:os';
import path from 'node:path';
import { fileURLToPath } from 'node:url';

const here = path.dirname(fileURLToPath(import.meta.url));
const { startQuelvane, nodeFileReader, nodeFolderSink, nodeAt } = await import(path.join(here, '..', 'quelvane.mjs'));

function option(name) {
  const at = process.argv.indexOf(`--${name}`);
  return at >= 0 ? process.argv[at + 1] : '';
}

const cli = option('cli');
const save = option('save');
const node = nodeAt('0/0/0');
const pages = ['--ebcdic', '37', '--pc', '1252'];
const out = fs.mkdtempSync(path.join(os.tmpdir(), 'quelvane-bench-'));
// quelvane-cli show prints the title, the summary and the column captions before the rows.
const LINES_BEFORE_ROWS = 3;

// Wall and CPU seconds and peak resident megabytes of the native program, from GNU time.
function nativeRun(args) {
  const start = process.hrtime.bigint();
  const run = spawnSync('/usr/bin/time', ['-f', '%M %U %S', cli, ...args, ...pages],
    { stdio: ['ignore', 'ignore', 'pipe'], maxBuffer: 1 << 30 });
  const report = run.stderr.toString().trim().split('\n');
  const [kilobytes, user, system] = report[report.length - 1].split(' ').map(Number);
  const seconds = Number(process.hrtime.bigint() - start) / 1e9;
  return { seconds, cpu: user + system, megabytes: kilobytes / 1024 };
}

// Wall seconds until quelvane-cli show has printed the first `rows` rows.
function nativeFirstRows(args, rows) {
  return new Promise((resolve) => {
    const start = process.hrtime.bigint();
    const child = spawn(cli, [...args, ...pages], { stdio: ['ignore', 'pipe', 'ignore'] });
    let lines = 0;
    child.stdout.on('data', (chunk) => {
      for (const byte of chunk) if (byte === 10) lines += 1;
      if (lines >= rows + LINES_BEFORE_ROWS) {
        resolve({ seconds: Number(process.hrtime.bigint() - start) / 1e9 });
        child.kill();
      }
    });
  });
}

function timed(work) {
  const start = process.hrtime.bigint();
  const cpuStart = process.cpuUsage();
  const result = work();
  const cpu = process.cpuUsage(cpuStart);
  return { seconds: Number(process.hrtime.bigint() - start) / 1e9, cpu: (cpu.user + cpu.system) / 1e6, result };
}

const quelvane = await startQuelvane(createRequire(import.meta.url)(path.resolve(option('module'))),
  // Node's fetch cannot load the .wasm by path: the bytes are handed over.
  { wasmBinary: fs.readFileSync(path.resolve(option('module')).replace(/\.js$/, '.wasm')) });
const first = timed(() => {
  const opened = quelvane.open(nodeFileReader(fs, save), { name: save });
  opened.show(node);
  const rows = opened.rows(0, 100).rows;
  if (rows.length !== 100) throw new Error(`listed ${rows.length} rows`);
  return opened;
});
const opened = first.result;
const whole = timed(() => {
  let listed = opened.show(node);
  while (listed.listing === 'more') listed = opened.more(200000);
  return listed.rowCount;
});
const sink = nodeFolderSink(fs, out);
const exporting = timed(() => opened.exportMember(node, 'txt', { sink }));
const bridgeMegabytes = process.resourceUsage().maxRSS / 1024;
const [exported] = sink.files;
const exportedBytes = fs.statSync(exported.part).size;

const nativeFirst = await nativeFirstRows(['show', save, '0/0/0'], 100);
const nativeList = nativeRun(['show', save, '0/0/0']);
const nativeExport = nativeRun(['export', save, '0/0/0', '--format', 'txt', '-o', path.join(out, 'member.txt')]);
const same = fs.readFileSync(exported.part).equals(fs.readFileSync(path.join(out, 'member.txt')));
fs.rmSync(out, { recursive: true, force: true });

const line = (what, bridge, native) => {
  const cpu = bridge.cpu !== undefined && native.cpu !== undefined
    ? `   CPU bridge ${bridge.cpu.toFixed(3)} s native ${native.cpu.toFixed(3)} s ratio ${(bridge.cpu / native.cpu).toFixed(2)}`
    : '';
  console.log(`${what.padEnd(34)} bridge ${bridge.seconds.toFixed(3)} s   native ${native.seconds.toFixed(3)} s   ratio ${(bridge.seconds / native.seconds).toFixed(2)}${cpu}`);
};
console.log(`member of ${whole.result} records, ${fs.statSync(save).size} bytes`);
line('open, first 100 rows', first, nativeFirst);
line('list the whole member', whole, nativeList);
line(`export to text (${exportedBytes} bytes)`, exporting, nativeExport);
console.log(`peak memory: bridge ${bridgeMegabytes.toFixed(1)} MB (Node process), native show ${nativeList.megabytes.toFixed(1)} MB, native export ${nativeExport.megabytes.toFixed(1)} MB`);
console.log(`export bytes equal to quelvane-cli export: ${same}`);
