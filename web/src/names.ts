// Find a name: the objects and members (or the directories and stream files of an IFS save)
// whose name matches what was typed, in tree order across the whole save. A name is an item's
// caption without its type ("ORDERS(PF)" is ORDERS); `*` stands for any run of characters and `?`
// for one, case ignored; text without either matches names that start with it.
import type { TreeNode } from './protocol';

// Tree items above the objects: the library and its parts (or the IFS root) are not searched.
const FIRST_SEARCHED_DEPTH = 2;
const IFS_FIRST_SEARCHED_DEPTH = 1;

export function nameOf(caption: string): string {
  const type = caption.indexOf('(');
  return (type > 0 ? caption.slice(0, type) : caption).trim();
}

function escaped(text: string): string {
  return text.replace(/[.+^${}()|[\]\\]/g, '\\$&');
}

// The test of a name against a typed pattern; null for nothing typed.
export function namePattern(typed: string): RegExp | null {
  const wanted = typed.trim();
  if (!wanted) return null;
  const wild = /[*?]/.test(wanted);
  const body = escaped(wanted).replace(/\*/g, '.*').replace(/\?/g, '.');
  return new RegExp(wild ? `^${body}$` : `^${body}`, 'iu');
}

// The paths (root index first) of every item whose name matches, in tree order.
export function matchingPaths(roots: TreeNode[], typed: string): number[][] {
  const pattern = namePattern(typed);
  if (!pattern) return [];
  const found: number[][] = [];
  // An explicit stack, not recursion: a hostile save's IFS tree may be deep.
  const stack: { node: TreeNode; path: number[] }[] = roots.map((node, i) => ({ node, path: [i] })).reverse();
  while (stack.length > 0) {
    const { node, path } = stack.pop() as { node: TreeNode; path: number[] };
    const first = node.ifsPath !== undefined ? IFS_FIRST_SEARCHED_DEPTH : FIRST_SEARCHED_DEPTH;
    if (path.length - 1 >= first && pattern.test(nameOf(node.caption))) found.push(path);
    for (let i = node.children.length - 1; i >= 0; i -= 1) stack.push({ node: node.children[i], path: [...path, i] });
  }
  return found;
}

// Steps through the matches of one typed text: each call the next, after the last the first.
export class NameFinder {
  private typed = '';
  private roots: TreeNode[] | undefined;
  private found: number[][] = [];
  private at = -1;

  next(roots: TreeNode[], typed: string): { path: number[]; position: number; count: number } | undefined {
    if (typed !== this.typed || roots !== this.roots) {
      this.typed = typed;
      this.roots = roots;
      this.found = matchingPaths(roots, typed);
      this.at = -1;
    }
    if (this.found.length === 0) return undefined;
    this.at = (this.at + 1) % this.found.length;
    return { path: this.found[this.at], position: this.at + 1, count: this.found.length };
  }
}
