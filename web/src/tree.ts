// The catalog tree as an ARIA tree: each item named by its caption as the core makes it. One
// item at a time takes the focus (a roving tabindex); the keys are those of a tree view: arrows,
// Home/End, typed letters to the next item starting with them, Enter to show a node. With the
// mouse, as in the window: a click on the triangle opens or closes an item, a click on the caption
// shows it, a double-click on the caption opens it and shows it (on an item without children it
// is the item's action, `activate`).
import type { NodeAddress, TreeNode } from './protocol';

export type Select = (address: NodeAddress, node: TreeNode) => void;

// Letters typed within this time of each other are one search.
const TYPE_AHEAD_MS = 700;

function addressOf(steps: number[], node: TreeNode): NodeAddress {
  if (node.ifsPath !== undefined) return { level: 0, index: 0, parent: 0, grandparent: 0, ifsPath: node.ifsPath };
  const at = (level: number) => (level >= 1 ? steps[level - 1] : 0);
  const level = steps.length;
  return { level, index: at(level), parent: at(level - 1), grandparent: at(level - 2) };
}

export class CatalogTreeView {
  readonly element: HTMLUListElement;
  private readonly shownAt = new Map<HTMLElement, () => void>();
  private typed = '';
  private typedAt = 0;

  constructor(
    roots: TreeNode[],
    private readonly select: Select,
    private readonly activate: Select = () => undefined,
  ) {
    this.element = document.createElement('ul');
    this.element.setAttribute('role', 'tree');
    this.element.setAttribute('aria-label', 'Save file');
    roots.forEach((root, i) => this.element.append(this.item(root, [], i === 0)));
    this.element.addEventListener('keydown', (event) => this.key(event));
  }

  // The items a user can reach: those not inside a collapsed item.
  private visible(): HTMLElement[] {
    const items: HTMLElement[] = [];
    const walk = (list: Element) => {
      for (const li of list.children) {
        items.push(li as HTMLElement);
        const group = li.querySelector(':scope > [role=group]');
        if (group && li.getAttribute('aria-expanded') === 'true') walk(group);
      }
    };
    walk(this.element);
    return items;
  }

  private focus(li: HTMLElement | undefined): void {
    if (!li) return;
    this.element.querySelectorAll('[role=treeitem][tabindex="0"]').forEach((e) => e.setAttribute('tabindex', '-1'));
    li.tabIndex = 0;
    li.focus();
  }

  private choose(li: HTMLElement): void {
    this.element.querySelectorAll('[aria-selected=true]').forEach((e) => e.setAttribute('aria-selected', 'false'));
    li.setAttribute('aria-selected', 'true');
    this.focus(li);
    this.shownAt.get(li)?.();
  }

  // Shows the item at `steps` (the root's index, then the indices below it), its ancestors opened.
  reveal(steps: number[]): void {
    let list: Element | null = this.element;
    let li: HTMLElement | undefined;
    for (const [at, step] of steps.entries()) {
      li = list?.children[step] as HTMLElement | undefined;
      if (!li) return;
      if (at < steps.length - 1) {
        li.setAttribute('aria-expanded', 'true');
        list = li.querySelector(':scope > [role=group]');
      }
    }
    if (!li) return;
    this.choose(li);
    li.scrollIntoView({ block: 'nearest' });
  }

  private toggle(li: HTMLElement): void {
    if (!li.hasAttribute('aria-expanded')) return;
    li.setAttribute('aria-expanded', li.getAttribute('aria-expanded') === 'true' ? 'false' : 'true');
  }

  private item(node: TreeNode, steps: number[], first: boolean): HTMLLIElement {
    const li = document.createElement('li');
    li.setAttribute('role', 'treeitem');
    li.setAttribute('aria-selected', 'false');
    li.tabIndex = first ? 0 : -1;
    // The triangle is not a control of its own for assistive technology: the item's expanded
    // state and the arrow keys are.
    const twisty = document.createElement('i');
    twisty.className = 'twisty';
    twisty.setAttribute('aria-hidden', 'true');
    twisty.addEventListener('click', (event) => {
      event.stopPropagation();
      this.toggle(li);
      this.focus(li);
    });
    twisty.addEventListener('dblclick', (event) => event.stopPropagation());
    li.append(twisty);
    const label = document.createElement('span');
    label.textContent = node.caption;
    const tip = [node.text, node.details].filter((part) => part).join('\n');
    if (tip) label.title = tip;
    li.append(label);
    li.setAttribute('aria-label', node.caption);
    if (node.children.length > 0) {
      li.setAttribute('aria-expanded', steps.length === 0 ? 'true' : 'false');
      const group = document.createElement('ul');
      group.setAttribute('role', 'group');
      node.children.forEach((child, i) => group.append(this.item(child, [...steps, i], false)));
      li.append(group);
    }
    this.shownAt.set(li, () => this.select(addressOf(steps, node), node));
    label.addEventListener('click', () => this.choose(li));
    label.addEventListener('dblclick', () => {
      if (li.hasAttribute('aria-expanded')) li.setAttribute('aria-expanded', 'true');
      else this.activate(addressOf(steps, node), node);
    });
    return li;
  }

  private key(event: KeyboardEvent): void {
    const li = (event.target as HTMLElement).closest('[role=treeitem]') as HTMLElement | null;
    if (!li || event.ctrlKey || event.altKey || event.metaKey) return;
    const items = this.visible();
    const at = items.indexOf(li);
    const expandable = li.hasAttribute('aria-expanded');
    const expanded = li.getAttribute('aria-expanded') === 'true';
    switch (event.key) {
      case 'Enter':
        this.choose(li);
        break;
      case 'ArrowDown':
        this.focus(items[at + 1]);
        break;
      case 'ArrowUp':
        this.focus(items[at - 1]);
        break;
      case 'Home':
        this.focus(items[0]);
        break;
      case 'End':
        this.focus(items[items.length - 1]);
        break;
      case 'ArrowRight':
        if (expandable && !expanded) li.setAttribute('aria-expanded', 'true');
        else if (expanded) this.focus(li.querySelector(':scope > [role=group] > [role=treeitem]') as HTMLElement);
        break;
      case 'ArrowLeft':
        if (expanded) li.setAttribute('aria-expanded', 'false');
        else this.focus(li.parentElement?.closest('[role=treeitem]') as HTMLElement | undefined);
        break;
      default:
        if (event.key.length !== 1 || event.key === ' ') return;
        this.typeAhead(event.key, items, at);
    }
    event.preventDefault();
  }

  // The next item after the focused one whose caption starts with what was typed; one letter
  // typed again steps through the items starting with it.
  private typeAhead(letter: string, items: HTMLElement[], at: number): void {
    const now = Date.now();
    this.typed = now - this.typedAt > TYPE_AHEAD_MS ? letter : this.typed + letter;
    this.typedAt = now;
    const repeated = [...this.typed].every((c) => c === letter) ? letter : this.typed;
    const wanted = repeated.toLocaleLowerCase();
    const start = repeated.length === 1 ? at + 1 : at;
    for (let step = 0; step < items.length; step += 1) {
      const candidate = items[(start + step) % items.length];
      if ((candidate.getAttribute('aria-label') ?? '').toLocaleLowerCase().startsWith(wanted)) {
        this.focus(candidate);
        return;
      }
    }
  }
}
