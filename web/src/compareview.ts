// The comparison of two saves in a view of its own, in place of the save's tree and list: the
// summary, the tree of what differs, and the lines of the row chosen (a source member's unified
// diff, or its lines side by side; a data member's changed records field by field). Close
// returns to the save as it was.
import type { Comparison } from './comparison';
import { headLines } from './comparison';
import { type DiffItem, DiffTree, diffItems } from './comparetree';
import { make } from './dom';
import { type SideRow, sideBySide } from './sidebyside';
import { VirtualList } from './virtuallist';

const LINE_HEIGHT = 18;

// A line of the chosen node's text, or a row of a source diff side by side.
type DetailRow = { text: string } | SideRow;

// The mark of a unified diff's line: its class.
function diffClass(line: string): string {
  if (line.startsWith('@@')) return 'hunk';
  if (line.startsWith('+')) return 'plus';
  if (line.startsWith('-')) return 'minus';
  return '';
}

export class CompareView {
  private readonly section: HTMLElement;
  private readonly title: HTMLHeadingElement;
  private readonly head: HTMLDivElement;
  private readonly detailTitle: HTMLDivElement;
  private readonly tree: DiffTree;
  private readonly detail: VirtualList;
  private readonly detailHost: HTMLElement;
  private readonly sideToggle: HTMLButtonElement;
  private rows: DetailRow[] = [];
  private diff = false;
  private item: DiffItem | null = null;
  private comparison: Comparison | null = null;

  constructor(private readonly hidden: HTMLElement[], private readonly closed: () => void) {
    this.section = make('section', { id: 'comparison', 'aria-labelledby': 'comparison-title' });
    this.section.hidden = true;
    this.title = make('h2', { id: 'comparison-title' });
    const close = make('button', { type: 'button', id: 'comparison-close' }, 'Close comparison');
    close.addEventListener('click', () => this.close());
    const bar = make('div', { class: 'comparebar' });
    bar.append(this.title, close);
    this.head = make('div', { id: 'comparison-head', role: 'status' });
    const treeHost = make('div', { id: 'difftree' });
    this.tree = new DiffTree(treeHost, (item) => this.choose(item));
    this.detailTitle = make('div', { id: 'diffdetail-title' });
    this.sideToggle = make('button', { type: 'button', 'aria-pressed': 'false' }, 'Side by side');
    this.sideToggle.hidden = true;
    this.sideToggle.addEventListener('click', () => {
      this.sideToggle.setAttribute('aria-pressed', String(!this.sideBySide));
      this.choose(this.item);
    });
    const detailBar = make('div', { class: 'diffdetailbar' });
    detailBar.append(this.detailTitle, this.sideToggle);
    this.detailHost = make('div', { id: 'diffdetail', role: 'list', 'aria-labelledby': 'diffdetail-title', tabindex: '0' });
    this.detail = new VirtualList(this.detailHost, LINE_HEIGHT, (i) => this.line(i));
    const detailPane = make('div', { class: 'diffpane' });
    detailPane.append(detailBar, this.detailHost);
    const body = make('div', { class: 'comparebody' });
    body.append(treeHost, detailPane);
    this.section.append(bar, this.head, body);
    this.section.addEventListener('keydown', (event) => {
      if (event.key === 'Escape') this.close();
    });
    hidden[hidden.length - 1].after(this.section);
  }

  get open(): boolean {
    return !this.section.hidden;
  }

  show(comparison: Comparison): void {
    this.comparison = comparison;
    this.title.textContent = `Compare: ${comparison.before} -> ${comparison.after}`;
    this.head.textContent = headLines(comparison).join('\n');
    this.hidden.forEach((e) => {
      e.hidden = true;
    });
    this.section.hidden = false;
    this.tree.show(diffItems(comparison));
    this.section.querySelector<HTMLElement>('#difftree')?.focus();
  }

  close(): void {
    if (!this.open) return;
    this.section.hidden = true;
    this.hidden.forEach((e) => {
      e.hidden = false;
    });
    this.comparison = null;
    this.closed();
  }

  private get sideBySide(): boolean {
    return this.sideToggle.getAttribute('aria-pressed') === 'true';
  }

  private choose(item: DiffItem | null): void {
    this.item = item;
    this.diff = item?.diff ?? false;
    const lines = item ? item.lines() : this.comparison ? headLines(this.comparison) : [];
    this.sideToggle.hidden = !this.diff || (item?.hunks ?? []).length === 0;
    this.rows = lines.map((text) => ({ text }));
    if (!this.sideToggle.hidden && this.sideBySide) {
      const head = lines.findIndex((line) => line.startsWith('@@'));
      const side = sideBySide(item?.hunks ?? []);
      const widest = Math.max(20, ...side.map((r) => Math.max(r.left?.text.trimEnd().length ?? 0, r.right?.text.trimEnd().length ?? 0)));
      this.detailHost.style.setProperty('--side', `${widest}ch`);
      this.rows = [...this.rows.slice(0, head < 0 ? lines.length : head), ...side];
    }
    this.detailTitle.textContent = item ? `${item.caption}: ${item.beside}` : 'Choose a row to see what differs in it.';
    this.detail.show(this.rows.length);
  }

  private line(i: number): HTMLElement {
    const row = this.rows[i];
    if ('text' in row) return make('div', { role: 'listitem', class: `diffline ${this.diff ? diffClass(row.text) : ''}` }, row.text);
    if (row.header !== undefined) return make('div', { role: 'listitem', class: 'diffline hunk' }, row.header);
    const element = make('div', { role: 'listitem', class: 'diffline side' });
    const number = (n: number | undefined) => make('span', { class: 'number' }, n === undefined ? '' : String(n));
    const text = (t: string | undefined, mark: string) => make('span', { class: `text ${mark}` }, t ?? '');
    element.append(
      number(row.left?.number), text(row.left?.text, row.left?.removed ? 'minus' : row.left ? '' : 'none'),
      number(row.right?.number), text(row.right?.text, row.right?.added ? 'plus' : row.right ? '' : 'none'),
    );
    return element;
  }
}
