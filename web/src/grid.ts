// The content list as an ARIA grid: only the rows in view are in the DOM, fetched by range.
// Rows are selected by click (Shift for a range, Ctrl to add) or Ctrl+A; Ctrl+C copies them
// as tab-separated text under a line of the column captions.
import type { Column, Row } from './protocol';
import { RowSelection } from './selection';

const ROW_HEIGHT = 22;
const PAGE_ROWS = 200;

export type FetchRows = (first: number, count: number) => Promise<Row[]>;

export class VirtualGrid {
  private columns: Column[] = [];
  private rowCount = 0;
  private readonly cache = new Map<number, Row>();
  private readonly body: HTMLDivElement;
  private readonly spacer: HTMLDivElement;
  private readonly grid: HTMLDivElement;
  private header: HTMLDivElement;
  private generation = 0;
  readonly selection = new RowSelection();

  constructor(private readonly host: HTMLElement, private readonly fetchRows: FetchRows) {
    this.grid = document.createElement('div');
    this.grid.setAttribute('role', 'grid');
    this.grid.className = 'grid';
    this.spacer = document.createElement('div');
    this.body = document.createElement('div');
    this.body.setAttribute('role', 'rowgroup');
    this.spacer.className = 'spacer';
    this.spacer.append(this.body);
    this.header = document.createElement('div');
    this.grid.append(this.header, this.spacer);
    this.grid.tabIndex = 0;
    this.grid.setAttribute('aria-multiselectable', 'true');
    host.replaceChildren(this.grid);
    host.addEventListener('scroll', () => void this.render());
    this.body.addEventListener('click', (event) => this.click(event));
    this.grid.addEventListener('keydown', (event) => void this.key(event));
  }

  get rows(): number {
    return this.rowCount;
  }

  // The rows [first, first + count), from the cache or fetched.
  async rowsAt(first: number, count: number): Promise<Row[]> {
    const end = Math.min(this.rowCount, first + count);
    const out: Row[] = [];
    for (let r = first; r < end; ) {
      const cached = this.cache.get(r);
      if (cached) {
        out.push(cached);
        r += 1;
        continue;
      }
      const fetched = await this.fetchRows(r, Math.max(PAGE_ROWS, Math.min(end - r, 5000)));
      if (fetched.length === 0) break;
      fetched.slice(0, end - r).forEach((row) => out.push(row));
      r += Math.min(fetched.length, end - r);
    }
    return out;
  }

  // The selected rows as the desktop copies them: the captions, then one line a row.
  async selectedText(): Promise<string> {
    const clean = (text: string) => text.replace(/[\t\n\r]/g, ' ');
    const lines = [this.columns.map((c) => clean(c.caption)).join('\t')];
    for (const [first, last] of this.selection.ranges()) {
      for (const row of await this.rowsAt(first, last - first + 1)) {
        lines.push([row.caption, ...row.cells].map(clean).join('\t'));
      }
    }
    return this.selection.empty() ? '' : `${lines.join('\n')}\n`;
  }

  // Brings row `r` into view, and makes it the one selected row unless told to keep the selection.
  reveal(r: number, only = true): void {
    if (only) this.selection.only(r);
    const top = r * ROW_HEIGHT;
    const header = this.header.offsetHeight;
    if (top < this.host.scrollTop || top + ROW_HEIGHT > this.host.scrollTop + this.host.clientHeight - header) {
      this.host.scrollTop = Math.max(0, top - this.host.clientHeight / 3);
    }
    void this.render();
  }

  private click(event: MouseEvent): void {
    const row = (event.target as HTMLElement).closest('[role=row]') as HTMLElement | null;
    const at = Number(row?.dataset.row);
    if (!row || !Number.isInteger(at)) return;
    if (event.shiftKey) this.selection.extendTo(at);
    else if (event.ctrlKey || event.metaKey) this.selection.toggle(at);
    else this.selection.only(at);
    this.grid.focus({ preventScroll: true });
    void this.render();
  }

  private async key(event: KeyboardEvent): Promise<void> {
    const control = event.ctrlKey || event.metaKey;
    if (control && event.key === 'a') {
      this.selection.all(this.rowCount);
      void this.render();
    } else if (control && event.key === 'c') {
      event.preventDefault();
      const text = await this.selectedText();
      if (text) await navigator.clipboard.writeText(text);
      return;
    } else {
      const target = this.moveTarget(event.key);
      if (target === undefined) return;
      if (event.shiftKey) {
        this.selection.extendTo(target);
        this.reveal(target, false);
      } else {
        this.reveal(target);
      }
    }
    event.preventDefault();
  }

  // The row a movement key goes to from the row selected last.
  private moveTarget(key: string): number | undefined {
    if (this.rowCount === 0) return undefined;
    const current = this.selection.current();
    const page = Math.max(1, Math.floor(this.host.clientHeight / ROW_HEIGHT) - 2);
    const from = current ?? -1;
    const moves: Record<string, number> = {
      ArrowDown: from + 1,
      ArrowUp: from - 1,
      PageDown: from + page,
      PageUp: from - page,
      Home: 0,
      End: this.rowCount - 1,
    };
    const to = moves[key];
    return to === undefined ? undefined : Math.min(this.rowCount - 1, Math.max(0, to));
  }

  show(columns: Column[], rowCount: number): void {
    this.generation += 1;
    this.columns = columns;
    this.cache.clear();
    this.selection.clear();
    const header = document.createElement('div');
    header.setAttribute('role', 'row');
    header.className = 'row header';
    header.style.gridTemplateColumns = this.template();
    for (const column of columns) {
      const cell = document.createElement('div');
      cell.setAttribute('role', 'columnheader');
      cell.textContent = column.caption;
      header.append(cell);
    }
    this.header.replaceWith(header);
    this.header = header;
    this.grid.setAttribute('aria-colcount', String(columns.length));
    this.host.scrollTop = 0;
    this.grow(rowCount);
  }

  grow(rowCount: number): void {
    this.rowCount = rowCount;
    this.grid.setAttribute('aria-rowcount', String(rowCount + 1));
    this.spacer.style.height = `${rowCount * ROW_HEIGHT}px`;
    void this.render();
  }

  // The core's widths, each at least as wide as its caption (a one-letter field under a longer
  // name); a last column of left-aligned text (a save's summary lines, source) is as wide as its
  // text, so nothing of it is cut.
  private template(): string {
    const last = this.columns.length - 1;
    return this.columns
      .map((c, i) => {
        const width = `max(${Math.max(40, c.width)}px, calc(${c.caption.length}ch + 10px))`;
        return i === last && c.alignment === 'left' ? `minmax(${width}, max-content)` : width;
      })
      .join(' ');
  }

  private async render(): Promise<void> {
    const generation = this.generation;
    const first = Math.max(0, Math.floor(this.host.scrollTop / ROW_HEIGHT) - 5);
    const last = Math.min(this.rowCount, first + Math.ceil(this.host.clientHeight / ROW_HEIGHT) + 10);
    const missing = [...Array(Math.max(0, last - first)).keys()].map((i) => first + i).find((r) => !this.cache.has(r));
    if (missing !== undefined) {
      const start = Math.floor(missing / PAGE_ROWS) * PAGE_ROWS;
      const rows = await this.fetchRows(start, Math.max(PAGE_ROWS, last - start));
      if (generation !== this.generation) return;
      rows.forEach((row, i) => this.cache.set(start + i, row));
    }
    this.draw(first, last);
  }

  private draw(first: number, last: number): void {
    const template = this.template();
    const rows: HTMLElement[] = [];
    for (let r = first; r < last; r += 1) {
      const row = this.cache.get(r);
      if (!row) continue;
      const element = document.createElement('div');
      element.setAttribute('role', 'row');
      element.setAttribute('aria-rowindex', String(r + 2));
      element.setAttribute('aria-selected', String(this.selection.has(r)));
      element.dataset.row = String(r);
      element.className = row.recordless ? 'row recordless' : 'row';
      element.style.gridTemplateColumns = template;
      element.style.top = `${r * ROW_HEIGHT}px`;
      [row.caption, ...row.cells].forEach((text, c) => {
        const cell = document.createElement('div');
        cell.setAttribute('role', 'gridcell');
        if (this.columns[c]?.alignment === 'right') cell.className = 'right';
        cell.textContent = text;
        element.append(cell);
      });
      rows.push(element);
    }
    this.body.replaceChildren(...rows);
  }
}
