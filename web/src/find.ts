// Find within the content list: the next row after the one selected whose caption or cells hold
// the text typed (case ignored), read from the worker a page at a time, past the end to the top.
import type { VirtualGrid } from './grid';

const FIND_PAGE = 2000;

export async function findNext(grid: VirtualGrid, typed: string, cancelled: () => boolean): Promise<boolean> {
  const wanted = typed.toLocaleLowerCase();
  const total = grid.rows;
  if (!wanted || total === 0) return false;
  const start = ((grid.selection.current() ?? -1) + 1) % total;
  for (const [from, to] of [[start, total], [0, start]]) {
    for (let first = from; first < to; first += FIND_PAGE) {
      const rows = await grid.rowsAt(first, Math.min(FIND_PAGE, to - first));
      if (cancelled()) return false;
      const at = rows.findIndex((row) => [row.caption, ...row.cells].some((text) => text.toLocaleLowerCase().includes(wanted)));
      if (at >= 0) {
        grid.reveal(first + at);
        return true;
      }
    }
  }
  return false;
}
