// The object list of the save on display: sortable by any column (a caption clicked again
// reverses), filtered by name, saved as the text the core makes of the rows shown.
import { make } from './dom';
import type { Lines, ObjectListData } from './protocol';
import { saveFile } from './saving';

export type AskText = (order: number[]) => Promise<Lines>;

// What the name field keeps: without a *, names starting with what was typed; with one, the
// whole name against the pattern, * for any run of characters. Case is ignored.
export function namePattern(typed: string): RegExp {
  const pieces = typed.trim().split('*').map((piece) => piece.replace(/[.*+?^${}()|[\]\\]/g, '\\$&'));
  return new RegExp(pieces.length === 1 ? `^${pieces[0]}` : `^${pieces.join('.*')}$`, 'i');
}

// Sizes as numbers, an empty cell below every value; other columns as text without case.
function compare(a: string, b: string, numeric: boolean): number {
  if (numeric) return (a === '' ? -1 : Number(a)) - (b === '' ? -1 : Number(b));
  const x = a.toLowerCase();
  const y = b.toLowerCase();
  return x < y ? -1 : x > y ? 1 : 0;
}

export class ObjectListDialog {
  private readonly dialog: HTMLDialogElement;
  private readonly title: HTMLHeadingElement;
  private readonly header: HTMLPreElement;
  private readonly filter: HTMLInputElement;
  private readonly count: HTMLSpanElement;
  private readonly grid: HTMLDivElement;
  private data: ObjectListData | undefined;
  private fileName = '';
  private sortColumn = -1;
  private descending = false;

  constructor(private readonly askText: AskText) {
    this.dialog = make('dialog', { 'aria-labelledby': 'objects-title', class: 'objects' });
    this.title = make('h2', { id: 'objects-title' });
    this.header = make('pre', { class: 'objects-header' });
    this.filter = make('input', { id: 'objects-filter', type: 'search', placeholder: 'name, or a pattern with *' });
    this.count = make('span', { class: 'count', role: 'status' });
    this.grid = make('div', { role: 'grid', class: 'objects-grid', 'aria-labelledby': 'objects-title' });
    const filterRow = make('div', { class: 'filter' });
    filterRow.append(make('label', { for: 'objects-filter' }, 'Name:'), this.filter, this.count);
    this.filter.addEventListener('input', () => this.render());
    const save = make('button', { type: 'button' }, 'Save as text...');
    const close = make('button', { type: 'button' }, 'Close');
    save.addEventListener('click', () => void this.save());
    close.addEventListener('click', () => this.dialog.close());
    const buttons = make('div', { class: 'buttons' });
    buttons.append(save, close);
    this.dialog.append(this.title, this.header, filterRow, this.grid, buttons);
    document.body.append(this.dialog);
  }

  show(data: ObjectListData, fileName: string): void {
    this.data = data;
    this.fileName = fileName;
    this.sortColumn = -1;
    this.descending = false;
    this.title.textContent = fileName ? `Object list - ${fileName}` : 'Object list';
    this.header.textContent = data.headerLines.join('\n');
    this.render();
    if (!this.dialog.open) this.dialog.showModal();
  }

  // The rows shown, as indices into the list in catalog order.
  shownOrder(): number[] {
    if (!this.data) return [];
    const { rows, numeric } = this.data;
    const pattern = namePattern(this.filter.value);
    const order = rows.map((_, i) => i).filter((i) => pattern.test(rows[i][0]));
    const c = this.sortColumn;
    if (c >= 0) {
      order.sort((a, b) => compare(rows[a][c], rows[b][c], numeric[c]) * (this.descending ? -1 : 1));
    }
    return order;
  }

  private sortBy(column: number): void {
    this.descending = this.sortColumn === column ? !this.descending : false;
    this.sortColumn = column;
    this.render();
  }

  private render(): void {
    if (!this.data) return;
    const { captions, numeric, rows } = this.data;
    const order = this.shownOrder();
    const template = captions.map((_, c) => (c === captions.length - 1 ? 'minmax(12em, 1fr)' : 'max-content')).join(' ');
    this.grid.style.gridTemplateColumns = template;
    const head = make('div', { role: 'row', class: 'head' });
    captions.forEach((caption, c) => {
      const sort = c !== this.sortColumn ? 'none' : this.descending ? 'descending' : 'ascending';
      const cell = make('div', { role: 'columnheader', 'aria-sort': sort, tabindex: '0' }, caption);
      cell.addEventListener('click', () => this.sortBy(c));
      cell.addEventListener('keydown', (event) => {
        if (event.key === 'Enter' || event.key === ' ') {
          event.preventDefault();
          this.sortBy(c);
        }
      });
      head.append(cell);
    });
    const lines = order.map((i) => {
      const line = make('div', { role: 'row' });
      rows[i].forEach((text, c) => line.append(make('div', { role: 'gridcell', class: numeric[c] ? 'right' : '' }, text)));
      return line;
    });
    this.grid.replaceChildren(head, ...lines);
    this.count.textContent = `${order.length} of ${rows.length} objects`;
  }

  private async save(): Promise<void> {
    const text = await this.askText(this.shownOrder());
    if (text.error) {
      this.count.textContent = text.error;
      return;
    }
    saveFile({ name: `${this.fileName || 'objects'}.txt`, blob: new Blob([`${text.lines.join('\n')}\n`]) });
  }
}
