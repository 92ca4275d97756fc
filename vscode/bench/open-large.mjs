// Opening a large save in the extension host (the built extension with the stand-in `vscode`
// module, as the tests run it): wall time until the tree is answered, until a member's first rows
// are, and the host's memory then. Not a test: run it by hand over a save of bench_write_member_save
// (8 million records make about 1 GB).
//   node bench/open-large.mjs --extension DIR --save member.savf
import fs from 'node:fs';
import { editorOn } from '../test/host.mjs';

const save = process.argv[process.argv.indexOf('--save') + 1];
const megabytes = (bytes) => (bytes / 1048576).toFixed(1);
const peakResident = () => Number(fs.readFileSync('/proc/self/status', 'utf8').match(/VmHWM:\s+(\d+)/)[1]) * 1024;

const before = process.memoryUsage();
const start = performance.now();
const { ask, document } = await editorOn(save);
const opened = await ask({ kind: 'open', ebcdic: 37, pc: 1252, byCcsid: false });
const tree = performance.now() - start;
const node = { level: 3, index: 0, parent: 0, grandparent: 0 };
const shown = await ask({ kind: 'show', node });
const rows = await ask({ kind: 'rows', first: 0, count: 100 });
const firstRows = performance.now() - start;
const after = process.memoryUsage();
console.log(`${save}: ${megabytes(fs.statSync(save).size)} MB, ${opened.outcome}, ${shown.rowCount} rows listed, ${rows.rows.length} read`);
console.log(`time to the tree: ${tree.toFixed(0)} ms; to the member's first 100 rows: ${firstRows.toFixed(0)} ms`);
console.log(`host memory: resident ${megabytes(after.rss)} MB (peak ${megabytes(peakResident())} MB, ${megabytes(before.rss)} MB before),`
  + ` WebAssembly and buffers ${megabytes(after.arrayBuffers)} MB, JavaScript heap ${megabytes(after.heapUsed)} MB`);
// The whole member listed as the webview lists it, 200000 slots a step.
let listed = shown;
while (listed.listing === 'more') listed = await ask({ kind: 'more', slots: 200000 });
const whole = performance.now() - start;
console.log(`the whole member listed (${listed.rowCount} rows): ${(whole / 1000).toFixed(1)} s;`
  + ` resident ${megabytes(process.memoryUsage().rss)} MB (peak ${megabytes(peakResident())} MB)`);
document.dispose();
