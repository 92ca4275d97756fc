// The catalog tree as an ARIA tree: each item named by its caption as the core makes it.
import type { NodeAddress, TreeNode } from './protocol';

export type Select = (address: NodeAddress) => void;

function addressOf(steps: number[], node: TreeNode): NodeAddress {
  if (node.ifsPath !== undefined) return { level: 0, index: 0, parent: 0, grandparent: 0, ifsPath: node.ifsPath };
  const at = (level: number) => (level >= 1 ? steps[level - 1] : 0);
  const level = steps.length;
  return { level, index: at(level), parent: at(level - 1), grandparent: at(level - 2) };
}

function item(node: TreeNode, steps: number[], select: Select): HTMLLIElement {
  const li = document.createElement('li');
  li.setAttribute('role', 'treeitem');
  li.tabIndex = -1;
  const label = document.createElement('span');
  label.textContent = node.caption;
  li.append(label);
  li.setAttribute('aria-label', node.caption);
  if (node.children.length > 0) {
    li.setAttribute('aria-expanded', steps.length === 0 ? 'true' : 'false');
    const group = document.createElement('ul');
    group.setAttribute('role', 'group');
    node.children.forEach((child, i) => group.append(item(child, [...steps, i], select)));
    li.append(group);
  }
  label.addEventListener('click', () => {
    li.focus();
    select(addressOf(steps, node));
  });
  li.addEventListener('keydown', (event) => {
    if (event.target !== li) return;
    if (event.key === 'Enter') select(addressOf(steps, node));
    else if (event.key === 'ArrowRight' && li.hasAttribute('aria-expanded')) li.setAttribute('aria-expanded', 'true');
    else if (event.key === 'ArrowLeft' && li.hasAttribute('aria-expanded')) li.setAttribute('aria-expanded', 'false');
    else return;
    event.preventDefault();
  });
  return li;
}

export function renderTree(host: HTMLElement, roots: TreeNode[], select: Select): void {
  const tree = document.createElement('ul');
  tree.setAttribute('role', 'tree');
  tree.setAttribute('aria-label', 'Save file');
  roots.forEach((root) => tree.append(item(root, [], select)));
  host.replaceChildren(tree);
}
