// What the extension's tests share: their command-line options, the skip (or failure under
// CI=true) when something they need is missing, and quelvane-cli's output as lines.
import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import fs from 'node:fs';

// The value after --NAME on the test's command line, or ''.
export function option(name) {
  const at = process.argv.indexOf(`--${name}`);
  return at >= 0 ? process.argv[at + 1] : '';
}

// True when every [path, what] in `needs` exists; else the case is skipped, or fails under CI.
export function usable(t, needs) {
  const missing = needs.filter(([p]) => !p || !fs.existsSync(p));
  if (missing.length === 0) return true;
  assert.ok(process.env.CI !== 'true', `missing under CI=true: ${missing.map(([, w]) => w).join(', ')}`);
  t.skip(`missing: ${missing.map(([, w]) => w).join(', ')}`);
  return false;
}

// quelvane-cli's stdout as lines, also when it exits with a failure status.
export function cliLines(cli, args) {
  let out;
  try {
    out = execFileSync(cli, args, { maxBuffer: 1 << 30 });
  } catch (failure) {
    out = failure.stdout;
  }
  return out.toString('utf8').replace(/\n$/, '').split('\n');
}
