// The page: open a save file, walk its tree, list what a node shows. Texts come from the core.
import { WorkerClient } from './client';
import { Exports } from './exporting';
import { VirtualGrid } from './grid';
import type { Row, Shown, TreeNode, NodeAddress } from './protocol';
import { ListingProgress } from './listing';
import { renderTree } from './tree';

declare const QUELVANE_WORKER: string;

const LISTING_STEP = 200000;

const element = <T extends HTMLElement>(id: string) => document.getElementById(id) as T;

function say(messages: string[] | undefined, error?: string): void {
  element('messages').textContent = [...(messages ?? []), ...(error ? [error] : [])].join('\n');
}

function start(): void {
  if (typeof WebAssembly !== 'object') {
    say([], 'This browser is too old: it cannot run WebAssembly.');
    return;
  }
  const client = new WorkerClient(QUELVANE_WORKER);
  const exports = new Exports(QUELVANE_WORKER, document.querySelector('header') as HTMLElement, say);
  const grid = new VirtualGrid(element('content'), async (first, count) =>
    (await client.ask<{ rows: Row[] }>({ kind: 'rows', first, count })).rows ?? []);
  let shownAt = 0;
  const listingProgress = new ListingProgress();

  async function show(node: NodeAddress): Promise<void> {
    const ticket = ++shownAt;
    const shown = await client.ask<Shown>({ kind: 'show', node });
    element('title').textContent = shown.title ?? '';
    element('summary').textContent = shown.summary ?? '';
    say(shown.messages, shown.error);
    grid.show(shown.columns ?? [], shown.rowCount ?? 0);
    exports.nodeShown(node, shown);
    let last = shown;
    listingProgress.begin();
    while (last.listing === 'more' && ticket === shownAt && listingProgress.step(last)) {
      last = await client.ask<Shown>({ kind: 'more', slots: LISTING_STEP });
      grid.grow(last.rowCount);
      if (last.messages.length > 0) say(last.messages);
    }
    if (ticket === shownAt) listingProgress.end();
  }

  element<HTMLInputElement>('file').addEventListener('change', async (event) => {
    const file = (event.target as HTMLInputElement).files?.[0];
    if (!file) return;
    const pages = { ebcdic: Number(localStorage.getItem('quelvane.ebcdic') ?? 37), pc: Number(localStorage.getItem('quelvane.pc') ?? 1252) };
    const opened = await client.ask<{ outcome?: string; error?: string; messages?: string[]; tree?: { roots: TreeNode[] } }>(
      { kind: 'open', file, ...pages });
    exports.fileOpened(opened.outcome === 'opened' ? { file, ...pages } : null);
    say(opened.messages, opened.error);
    if (opened.outcome !== 'opened' || !opened.tree) {
      // The worker has closed the save it held: nothing of it stays on show.
      shownAt += 1;
      element('tree').replaceChildren();
      element('title').textContent = '';
      element('summary').textContent = '';
      grid.show([], 0);
      return;
    }
    renderTree(element('tree'), opened.tree.roots, (node) => void show(node));
    void show({ level: 0, index: 0, parent: 0, grandparent: 0 });
  });
}

start();
