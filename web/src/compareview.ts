// The comparison of two saves in a view of its own, in place of the save's tree and list: the
// summary, the tree of what differs, and the lines of the row chosen (a source member's unified
// diff, a data member's changed records field by field). Close returns to the save as it was.
import type { Comparison } from './comparison';
import { headLines } from './comparison';
import { type DiffItem, DiffTree, diffItems } from './comparetree';
import { make } from './dom';
import { VirtualList } from './virtuallist';

const LINE_HEIGHT = 18;

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
  private lines: string[] = [];
  private diff = false;
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
    const detailHost = make('div', { id: 'diffdetail', role: 'list', 'aria-labelledby': 'diffdetail-title', tabindex: '0' });
    this.detail = new VirtualList(detailHost, LINE_HEIGHT, (i) => this.line(i));
    const detailPane = make('div', { class: 'diffpane' });
    detailPane.append(this.detailTitle, detailHost);
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

  private choose(item: DiffItem | null): void {
    this.diff = item?.diff ?? false;
    this.lines = item ? item.lines() : this.comparison ? headLines(this.comparison) : [];
    this.detailTitle.textContent = item ? `${item.caption}: ${item.beside}` : 'Choose a row to see what differs in it.';
    this.detail.show(this.lines.length);
  }

  private line(i: number): HTMLElement {
    const text = this.lines[i];
    const row = make('div', { role: 'listitem', class: `diffline ${this.diff ? diffClass(text) : ''}` }, text);
    return row;
  }
}
