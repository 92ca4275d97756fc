// Lays the extension out in a folder of the build tree, as `vsce package` takes it: its manifest,
// README, LICENSE and media, and in dist/ the extension host's script and its job worker's
// (CommonJS, `vscode` left to the editor), the webview's script (the page's modules, its worker
// and job clients and its folder writing pointed at the host's messages), its style, its markup,
// and the Node build of the core. For the browser's extension host (vscode.dev, no Node): its
// script (CommonJS, nothing of Node), and its webview's, the page's own modules with their worker
// (the web build of the core inlined, as in the page) started from a blob, its downloads and its
// folder writing handed back to the extension.
//   node build.mjs --module DIR_WITH_quelvane-node.js --stage DIR
import { build } from 'esbuild';
import fs from 'node:fs';
import path from 'node:path';
import { fileURLToPath } from 'node:url';

const here = path.dirname(fileURLToPath(import.meta.url));
const web = path.join(here, '..', 'web');
const option = (name) => process.argv[process.argv.indexOf(`--${name}`) + 1];
const moduleDir = option('module');
const stage = path.resolve(option('stage'));
const dist = path.join(stage, 'dist');

// The page's own seam to its worker, its jobs and the browser's folder picker.
// What the page saves itself goes to the host's save dialog as in the browser's host.
const standIns = new Map([...['client', 'jobs', 'folder'].map((name) => [name, name]), ['saving', 'websaving']]
  .map(([name, file]) => [name, path.join(here, 'webview', `${file}.ts`)]));
const hostTransport = {
  name: 'host-transport',
  setup(bundler) {
    bundler.onResolve({ filter: /^\.\/(client|jobs|folder|saving)$/ }, (args) =>
      args.importer.startsWith(path.join(web, 'src')) ? { path: standIns.get(args.path.slice(2)) } : undefined);
  },
};

fs.rmSync(stage, { recursive: true, force: true });
fs.mkdirSync(dist, { recursive: true });
for (const name of ['package.json', 'README.md', 'LICENSE', '.vscodeignore', 'media']) {
  fs.cpSync(path.join(here, name), path.join(stage, name), { recursive: true });
}
for (const entry of ['extension', 'jobworker']) {
  await build({
    entryPoints: [path.join(here, 'src', `${entry}.ts`)], outfile: path.join(dist, `${entry}.js`),
    bundle: true, platform: 'node', format: 'cjs', target: 'node20', external: ['vscode'], minify: true,
    logOverride: { 'unsupported-require-call': 'silent' },
  });
}
await build({
  entryPoints: [path.join(here, 'src', 'web.ts')], outfile: path.join(dist, 'web.js'),
  bundle: true, platform: 'browser', format: 'cjs', target: 'es2020', external: ['vscode'], minify: true,
});
const worker = await build({
  entryPoints: [path.join(web, 'src', 'worker.ts')], bundle: true, format: 'iife', write: false, minify: true, target: 'es2020',
  define: { QUELVANE_WASM: JSON.stringify(fs.readFileSync(path.join(moduleDir, 'quelvane-web.wasm')).toString('base64')) },
});
// In the browser's host the page keeps its worker and job clients; what it saves and the folder
// it writes into go back to the extension.
const webStandIns = new Map([['saving', 'websaving'], ['folder', 'webfolder']].map(([name, file]) => [name, path.join(here, 'webview', `${file}.ts`)]));
const extensionWriting = {
  name: 'extension-writing',
  setup(bundler) {
    bundler.onResolve({ filter: /^\.\/(saving|folder)$/ }, (args) =>
      args.importer.startsWith(path.join(web, 'src')) ? { path: webStandIns.get(args.path.slice(2)) } : undefined);
  },
};
await build({
  entryPoints: [path.join(here, 'webview', 'webmain.ts')], outfile: path.join(dist, 'webview-web.js'),
  bundle: true, format: 'iife', target: 'es2020', minify: true, plugins: [extensionWriting],
  define: { QUELVANE_WORKER: JSON.stringify(`${fs.readFileSync(path.join(moduleDir, 'quelvane-web.js'), 'utf8')}\n${worker.outputFiles[0].text}`) },
});
await build({
  entryPoints: [path.join(here, 'webview', 'main.ts')], outfile: path.join(dist, 'webview.js'),
  bundle: true, format: 'iife', target: 'es2020', minify: true, plugins: [hostTransport],
  define: { QUELVANE_WORKER: '""' },
});
fs.writeFileSync(path.join(dist, 'webview.css'),
  `${fs.readFileSync(path.join(web, 'style.css'), 'utf8')}\n${fs.readFileSync(path.join(here, 'webview', 'theme.css'), 'utf8')}`);
fs.copyFileSync(path.join(web, 'page.html'), path.join(dist, 'page.html'));
for (const name of ['quelvane-node.js', 'quelvane-node.wasm']) fs.copyFileSync(path.join(moduleDir, name), path.join(dist, name));
