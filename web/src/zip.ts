// One .zip of named files, deflated; names keep their folders ("a/b.csv").
import { zipSync, type Zippable } from 'fflate';
import type { NamedBytes } from './jobprotocol';

export function zipOf(files: NamedBytes[]): Uint8Array {
  const tree: Zippable = {};
  for (const file of files) tree[file.name] = [file.bytes, { level: 6 }];
  return zipSync(tree);
}

// "NAME.SAVF" -> "NAME": the stem that names an archive made from a file.
export function stemOf(name: string): string {
  const base = name.replace(/^.*[\\/]/, '');
  const dot = base.lastIndexOf('.');
  return dot > 0 ? base.slice(0, dot) : base || 'quelvane';
}
