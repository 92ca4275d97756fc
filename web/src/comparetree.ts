// What differs between two saves as a tree, as the window shows it: a row for the saves' details
// when they differ, a row per object (or stream-file entry) that differs in the after save's
// order, and below an object a row per member that differs; beside each the change. The rows are
// listed virtually: a save of thousands of changed objects keeps only the rows in view.
import {
  type ChangeKind,
  type Comparison,
  type Hunk,
  entryChange,
  entryLines,
  memberChange,
  memberLines,
  objectChange,
  objectLines,
  objectName,
  saveChange,
  saveLines,
} from './comparison';
import { VirtualList } from './virtuallist';

const ROW_HEIGHT = 22;

export interface DiffItem {
  caption: string;
  change: ChangeKind;
  beside: string;
  // A source member's lines are a unified diff of these hunks.
  diff: boolean;
  hunks?: Hunk[];
  lines: () => string[];
  children: DiffItem[];
}

export function diffItems(comparison: Comparison): DiffItem[] {
  const items: DiffItem[] = [];
  if (comparison.save.length > 0) {
    items.push({ caption: 'Save', change: 'changed', beside: saveChange(comparison), diff: false, lines: () => saveLines(comparison), children: [] });
  }
  for (const object of comparison.objects) {
    const children = (object.members ?? []).map((member) => ({
      caption: member.name,
      change: member.change,
      beside: memberChange(member),
      diff: member.source === true,
      hunks: member.lines?.hunks,
      lines: () => memberLines(member),
      children: [],
    }));
    items.push({ caption: objectName(object), change: object.change, beside: objectChange(object), diff: false, lines: () => objectLines(object), children });
  }
  for (const entry of comparison.entries) {
    items.push({ caption: entry.path, change: entry.change, beside: entryChange(entry), diff: false, lines: () => entryLines(entry), children: [] });
  }
  return items;
}

interface Visible {
  item: DiffItem;
  level: number;
  parent: number;
}

export class DiffTree {
  private items: DiffItem[] = [];
  private readonly expanded = new Set<DiffItem>();
  private rows: Visible[] = [];
  private selected: DiffItem | null = null;
  private readonly list: VirtualList;

  constructor(private readonly host: HTMLElement, private readonly chosen: (item: DiffItem | null) => void) {
    host.setAttribute('role', 'tree');
    host.setAttribute('aria-label', 'Differences');
    host.tabIndex = 0;
    this.list = new VirtualList(host, ROW_HEIGHT, (i) => this.row(i));
    this.list.element.setAttribute('role', 'presentation');
    host.addEventListener('keydown', (event) => this.key(event));
  }

  show(items: DiffItem[]): void {
    this.items = items;
    this.expanded.clear();
    this.selected = null;
    this.flatten(false);
    this.host.removeAttribute('aria-activedescendant');
    this.chosen(null);
  }

  private flatten(keepPlace: boolean): void {
    this.rows = [];
    this.items.forEach((item) => {
      const parent = this.rows.length;
      this.rows.push({ item, level: 1, parent: -1 });
      if (this.expanded.has(item)) item.children.forEach((child) => this.rows.push({ item: child, level: 2, parent }));
    });
    this.list.show(this.rows.length, keepPlace);
  }

  private row(i: number): HTMLElement {
    const { item, level } = this.rows[i];
    const row = document.createElement('div');
    row.setAttribute('role', 'treeitem');
    row.id = `diff-row-${i}`;
    row.className = `diffrow ${item.change}`;
    row.setAttribute('aria-level', String(level));
    row.setAttribute('aria-selected', String(item === this.selected));
    row.style.paddingLeft = `${(level - 1) * 18 + 4}px`;
    const twisty = document.createElement('i');
    twisty.className = 'twisty';
    twisty.setAttribute('aria-hidden', 'true');
    if (item.children.length > 0) {
      row.setAttribute('aria-expanded', String(this.expanded.has(item)));
      twisty.addEventListener('click', (event) => {
        event.stopPropagation();
        this.toggle(i);
      });
    }
    const caption = document.createElement('span');
    caption.className = 'caption';
    caption.textContent = item.caption;
    const beside = document.createElement('span');
    beside.className = 'change';
    beside.textContent = item.beside;
    beside.title = item.beside;
    row.append(twisty, caption, beside);
    row.addEventListener('click', () => this.choose(i));
    row.addEventListener('dblclick', () => this.toggle(i));
    return row;
  }

  private choose(i: number): void {
    const visible = this.rows[i];
    if (!visible) return;
    this.selected = visible.item;
    // The rows drawn stay (a double-click needs the row it began on); only their marks change.
    this.host.querySelectorAll('[aria-selected=true]').forEach((row) => row.setAttribute('aria-selected', 'false'));
    this.host.querySelector(`#diff-row-${i}`)?.setAttribute('aria-selected', 'true');
    this.host.setAttribute('aria-activedescendant', `diff-row-${i}`);
    this.host.focus({ preventScroll: true });
    this.list.reveal(i);
    this.chosen(visible.item);
  }

  private toggle(i: number): void {
    const { item } = this.rows[i];
    if (item.children.length === 0) return;
    if (this.expanded.has(item)) this.expanded.delete(item);
    else this.expanded.add(item);
    this.flatten(true);
  }

  private at(): number {
    return this.rows.findIndex((r) => r.item === this.selected);
  }

  private key(event: KeyboardEvent): void {
    const at = this.at();
    const current = this.rows[at];
    const page = Math.max(1, Math.floor(this.host.clientHeight / ROW_HEIGHT) - 1);
    const moves: Record<string, number> = {
      ArrowDown: at + 1, ArrowUp: Math.max(0, at - 1), PageDown: at + page, PageUp: Math.max(0, at - page), Home: 0, End: this.rows.length - 1,
    };
    if (event.key in moves) {
      this.choose(Math.min(this.rows.length - 1, moves[event.key]));
    } else if (current && event.key === 'ArrowRight' && current.item.children.length > 0) {
      if (!this.expanded.has(current.item)) this.toggle(at);
      else this.choose(at + 1);
    } else if (current && event.key === 'ArrowLeft') {
      if (this.expanded.has(current.item)) this.toggle(at);
      else if (current.parent >= 0) this.choose(current.parent);
    } else if (current && event.key === 'Enter') {
      this.toggle(at);
    } else {
      return;
    }
    event.preventDefault();
  }
}
