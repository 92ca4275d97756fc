// The bridge under Node exporting one member to text (or extracting the whole save) into a folder
// on disk, streamed as it is written; prints the seconds taken and the process's peak resident
// memory, which should not grow with the member: run it over saves of 1 000 and of 10 000 000
// records and compare. Not a test.
//   node export-memory.mjs --module quelvane-node.js --save member.savf --out DIR [--extract] [--gathered]
import fs from 'node:fs';
import { createRequire } from 'node:module';
import path from 'node:path';
import { fileURLToPath } from 'node:url';

const here = path.dirname(fileURLToPath(import.meta.url));
const { startQuelvane, nodeFileReader, nodeFolderSink, nodeAt } = await import(path.join(here, '..', 'quelvane.mjs'));

function option(name) {
  const at = process.argv.indexOf(`--${name}`);
  return at >= 0 ? process.argv[at + 1] : '';
}

const modulePath = path.resolve(option('module'));
const quelvane = await startQuelvane(createRequire(import.meta.url)(modulePath),
  { wasmBinary: fs.readFileSync(modulePath.replace(/\.js$/, '.wasm')) });
const out = path.resolve(option('out'));
fs.mkdirSync(out, { recursive: true });
const opened = quelvane.open(nodeFileReader(fs, option('save')), { name: option('save') });
const start = process.hrtime.bigint();
const sink = nodeFolderSink(fs, out);
// --gathered: the whole file handed back in memory, as before streaming.
const gathered = process.argv.includes('--gathered');
let answer;
if (process.argv.includes('--extract')) answer = opened.extract(gathered ? {} : { sink });
else answer = opened.exportMember(nodeAt('0/0/0'), 'txt', gathered ? {} : { sink });
const seconds = Number(process.hrtime.bigint() - start) / 1e9;
if (answer.error) throw new Error(answer.error);
const written = gathered ? (answer.bytes?.length ?? answer.files.reduce((sum, f) => sum + f.bytes.length, 0))
  : sink.files.reduce((sum, file) => sum + fs.statSync(file.part).size, 0);
console.log(`${gathered ? 'gathered' : 'streamed'}: ${written} bytes in ${seconds.toFixed(3)} s, peak ${(process.resourceUsage().maxRSS / 1024).toFixed(1)} MB`);
