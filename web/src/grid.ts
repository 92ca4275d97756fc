// The content list as an ARIA grid: only the rows in view are in the DOM, fetched by range.
import type { Column, Row } from './protocol';

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
    host.replaceChildren(this.grid);
    host.addEventListener('scroll', () => void this.render());
  }

  show(columns: Column[], rowCount: number): void {
    this.generation += 1;
    this.columns = columns;
    this.cache.clear();
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

  private template(): string {
    return this.columns.map((c) => `${Math.max(40, c.width)}px`).join(' ');
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
