// A unified diff's hunks as rows side by side: the older member's lines on the left, the newer's
// on the right, each with its line number. A run of removed lines beside the run of added lines
// that follows it pairs line by line; what is left over of the longer run stands alone.
import type { Hunk } from './comparison';

export interface SideRow {
  // A hunk's header spans both sides.
  header?: string;
  left?: { number: number; text: string; removed: boolean };
  right?: { number: number; text: string; added: boolean };
}

const HEADER = /^@@ -(\d+)(?:,(\d+))? \+(\d+)(?:,(\d+))? @@/;

// Where a hunk's lines start on each side: an empty range is numbered by the line before it.
function starts(header: string): [number, number] {
  const [, oldStart, oldCount, newStart, newCount] = HEADER.exec(header) ?? [];
  const first = (start: string | undefined, count: string | undefined) =>
    count === '0' ? Number(start ?? 0) + 1 : Number(start ?? 1);
  return [first(oldStart, oldCount), first(newStart, newCount)];
}

export function sideBySide(hunks: Hunk[]): SideRow[] {
  const rows: SideRow[] = [];
  for (const hunk of hunks) {
    let [oldAt, newAt] = starts(hunk.header);
    rows.push({ header: hunk.header });
    let removed: string[] = [];
    let added: string[] = [];
    const flush = () => {
      for (let i = 0; i < Math.max(removed.length, added.length); i += 1) {
        const row: SideRow = {};
        if (i < removed.length) row.left = { number: oldAt++, text: removed[i], removed: true };
        if (i < added.length) row.right = { number: newAt++, text: added[i], added: true };
        rows.push(row);
      }
      removed = [];
      added = [];
    };
    for (const line of hunk.lines) {
      const text = line.slice(1);
      if (line.startsWith('-')) {
        if (added.length > 0) flush();
        removed.push(text);
      } else if (line.startsWith('+')) {
        added.push(text);
      } else {
        flush();
        rows.push({ left: { number: oldAt++, text, removed: false }, right: { number: newAt++, text, added: false } });
      }
    }
    flush();
  }
  return rows;
}
