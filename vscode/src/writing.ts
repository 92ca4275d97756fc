// Files written into the folder the user chose: a name that would lead out of it (an absolute
// path, "..", a link inside the folder that points elsewhere) is refused before anything is
// written, and files already there are replaced only once the user agrees.
import fs from 'node:fs';
import path from 'node:path';

// A file a job wrote, under the name it is to have, held so far in `part` (a file on disk).
export interface NamedPart {
  name: string;
  part: string;
}

// The nearest part of `target`'s path that exists, resolved through links.
function nearestReal(target: string): string {
  let at = target;
  while (!fs.existsSync(at) && path.dirname(at) !== at) at = path.dirname(at);
  return fs.realpathSync(at);
}

// Where `name` goes inside `folder`, or null when it would lead outside: by its path, or through
// a link already in the folder (a file that is a link is not written through either).
export function inside(folder: string, name: string): string | null {
  const root = path.resolve(folder);
  const target = path.resolve(root, name);
  if (!target.startsWith(root + path.sep)) return null;
  const realRoot = fs.realpathSync(root);
  const present = fs.lstatSync(target, { throwIfNoEntry: false });
  if (present?.isSymbolicLink()) return null;
  const real = nearestReal(path.dirname(target));
  return real === realRoot || real.startsWith(realRoot + path.sep) ? target : null;
}

export type Replace = (present: string[]) => Promise<boolean>;

// Moves `part` to `target`: renamed where both are on one file system, else copied.
export function moveInto(part: string, target: string): void {
  try {
    fs.renameSync(part, target);
  } catch {
    fs.copyFileSync(part, target);
    fs.rmSync(part, { force: true });
  }
}

// Moves `files` into `folder`: an error message, 'declined' when the user would not replace, or
// null when all were written.
export async function writeInto(folder: string, files: NamedPart[], replace: Replace): Promise<string | null> {
  const targets: string[] = [];
  for (const file of files) {
    const target = inside(folder, file.name);
    if (target === null) return `${file.name} would be written outside the chosen folder; nothing was written`;
    targets.push(target);
  }
  const present = files.filter((_, at) => fs.existsSync(targets[at])).map((file) => file.name);
  if (present.length > 0 && !(await replace(present))) return 'declined';
  for (const [at, file] of files.entries()) {
    fs.mkdirSync(path.dirname(targets[at]), { recursive: true });
    moveInto(file.part, targets[at]);
  }
  return null;
}
