// The page: open save files (one tab each), walk a tree, list what a node shows, the Options
// and the tools. Texts come from the core.
import { WorkerClient } from './client';
import { findNext } from './find';
import { VirtualGrid } from './grid';
import { ObjectListDialog } from './objectlist';
import { OptionsDialog, storedPair, type CodePagePair } from './options';
import type { CodePages, Lines, NodeAddress, ObjectListData, Opened, Row, Shown, TreeNode } from './protocol';
import { ReportDialog } from './report';
import { TabStrip } from './tabs';
import { CatalogTreeView } from './tree';
import { followDrops } from './drop';
import { followSplitter } from './splitter';
import { Exports } from './exporting';
import { ListingProgress } from './listing';

declare const QUELVANE_WORKER: string;

const LISTING_STEP = 200000;
const ROOT: NodeAddress = { level: 0, index: 0, parent: 0, grandparent: 0 };

const element = <T extends HTMLElement>(id: string) => document.getElementById(id) as T;

interface Tab {
  title: string;
  source: { file: File } | { parent: Tab; node: NodeAddress };
  element: HTMLElement;
  tree: HTMLElement;
  save?: number;
  node: NodeAddress;
  shownNode?: TreeNode;
  messages: string[];
  error?: string;
}

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
  const tabs: Tab[] = [];
  let current: Tab | undefined;
  let shownAt = 0;
  let pending: File[] = [];
  let pair = storedPair();
  const listingProgress = new ListingProgress();

  const tabOf = (tabElement: HTMLElement) => tabs.find((t) => t.element === tabElement);
  const strip = new TabStrip(
    element('tabs'),
    (chosen) => void activate(tabOf(chosen)),
    (closed) => void close(tabOf(closed)),
  );

  function clearView(): void {
    shownAt += 1;
    element('title').textContent = '';
    element('summary').textContent = '';
    grid.show([], 0);
  }

  function toolsFollow(): void {
    const open = current?.save !== undefined;
    element<HTMLButtonElement>('objects').disabled = !open;
    element<HTMLButtonElement>('check').disabled = !open;
    element<HTMLButtonElement>('held').disabled = !open || current?.node.level !== 2 || current.node.ifsPath !== undefined;
  }

  async function show(tab: Tab, node: NodeAddress, shownNode?: TreeNode): Promise<void> {
    const ticket = ++shownAt;
    tab.node = node;
    tab.shownNode = shownNode;
    toolsFollow();
    const shown = await client.ask<Shown>({ kind: 'show', node });
    if (ticket !== shownAt) return;
    element('title').textContent = shown.title ?? '';
    element('summary').textContent = shown.summary ?? '';
    say(shown.messages, shown.error);
    grid.show(shown.columns ?? [], shown.rowCount ?? 0);
    exports.nodeShown(node, shown);
    let last = shown;
    listingProgress.begin();
    while (last.listing === 'more' && ticket === shownAt && listingProgress.step(last)) {
      last = await client.ask<Shown>({ kind: 'more', slots: LISTING_STEP });
      if (ticket !== shownAt) return;
      grid.grow(last.rowCount);
      if (last.messages.length > 0) say(last.messages);
    }
    if (ticket === shownAt) listingProgress.end();
  }

  function fill(tab: Tab, opened: Opened): void {
    tab.save = opened.save;
    tab.messages = opened.messages ?? [];
    tab.error = opened.error;
    if (opened.outcome === 'opened' && opened.tree && opened.save !== undefined) {
      tab.tree = new CatalogTreeView(opened.tree.roots, (node, shownNode) => void show(tab, node, shownNode)).element;
    } else {
      // Nothing of the save before stays on show beside the message.
      tab.save = undefined;
      tab.tree = document.createElement('div');
    }
  }

  async function openSource(tab: Tab, pages: CodePagePair): Promise<Opened> {
    const { source } = tab;
    if ('file' in source) return client.ask<Opened>({ kind: 'open', file: source.file, ...pages });
    if (source.parent.save === undefined) return { error: 'the save that holds it is not open' };
    await client.ask({ kind: 'use', save: source.parent.save });
    return client.ask<Opened>({ kind: 'openHeld', node: source.node });
  }

  async function activate(tab: Tab | undefined): Promise<void> {
    current = tab;
    strip.select(tab?.element);
    clearView();
    element('tree').replaceChildren(...(tab ? [tab.tree] : []));
    toolsFollow();
    if (!tab) {
      exports.fileOpened(null);
      say([]);
      return;
    }
    tab.element.classList.toggle('failed', tab.save === undefined);
    // A job's worker opens the file afresh: held saves are not offered to it.
    exports.fileOpened(tab.save !== undefined && 'file' in tab.source && pair ? { file: tab.source.file, ...pair } : null);
    if (tab.save === undefined) {
      say(tab.messages, tab.error);
      return;
    }
    await client.ask({ kind: 'use', save: tab.save });
    await show(tab, tab.node, tab.shownNode);
  }

  // A file opens in a tab even when it fails, to say why; a held save only once it opened, the
  // object's tab saying why not.
  async function openTab(title: string, source: Tab['source'], pages: CodePagePair): Promise<void> {
    const blank = () => document.createElement('div');
    const tab: Tab = { title, source, element: blank(), tree: blank(), node: ROOT, messages: [] };
    const opened = await openSource(tab, pages);
    if ('parent' in source && opened.save === undefined) {
      await client.ask({ kind: 'use', save: source.parent.save ?? 0 });
      say(opened.messages, opened.error);
      return;
    }
    tab.element = strip.add(title);
    tabs.push(tab);
    fill(tab, opened);
    await activate(tab);
  }

  async function close(tab: Tab | undefined): Promise<void> {
    if (!tab) return;
    const at = tabs.indexOf(tab);
    tabs.splice(at, 1);
    tab.element.remove();
    if (tab.save !== undefined) await client.ask({ kind: 'close', save: tab.save });
    // A held save opened from it says so when it is opened again.
    tab.save = undefined;
    if (tab === current) await activate(tabs[Math.min(at, tabs.length - 1)]);
  }

  async function openFiles(files: File[]): Promise<void> {
    if (files.length === 0) return;
    if (!pair) {
      // The code pages are chosen before the first save opens.
      pending = files;
      (await options).show();
      return;
    }
    for (const file of files) await openTab(file.name, { file }, pair);
  }

  // Every tab again with the new pair, each held save through the save that holds it.
  async function reopenAll(pages: CodePagePair): Promise<void> {
    for (const tab of tabs) {
      if (tab.save !== undefined) await client.ask({ kind: 'close', save: tab.save });
      fill(tab, await openSource(tab, pages));
    }
    await activate(current);
  }

  // The file input and drops are followed at once; the lists come when the module has started.
  const options = client.ask<CodePages>({ kind: 'codePages' }).then(
    (codePages) =>
      new OptionsDialog(
        codePages,
        (chosen) => {
          const changed =
            !pair || pair.ebcdic !== chosen.ebcdic || pair.pc !== chosen.pc || pair.byCcsid !== chosen.byCcsid;
          pair = chosen;
          const files = pending;
          pending = [];
          if (files.length > 0) void openFiles(files);
          else if (changed) void reopenAll(chosen);
        },
        () => {
          pending = [];
        },
      ),
  );
  const objectList = new ObjectListDialog((order) => client.ask<Lines>({ kind: 'objectText', order }));
  const report = new ReportDialog('report');

  element('options').addEventListener('click', async () => (await options).show());
  element('objects').addEventListener('click', async () => {
    const data = await client.ask<ObjectListData>({ kind: 'objects' });
    if (data.error) say([], data.error);
    else objectList.show(data, current?.title ?? '');
  });
  element('check').addEventListener('click', async () => {
    const checked = await client.ask<Lines>({ kind: 'check' });
    if (checked.error) say([], checked.error);
    else report.show('Check save file', [current?.title ?? '', ...checked.lines]);
  });
  element('held').addEventListener('click', () => {
    const tab = current;
    if (!tab || !pair) return;
    const object = tab.shownNode?.caption ?? '';
    void openTab(`${tab.title} > ${object}`, { parent: tab, node: tab.node }, pair);
  });
  element<HTMLInputElement>('file').addEventListener('change', (event) => {
    const input = event.target as HTMLInputElement;
    const files = [...(input.files ?? [])];
    input.value = '';
    void openFiles(files);
  });
  let finding = 0;
  element<HTMLFormElement>('find').addEventListener('submit', async (event) => {
    event.preventDefault();
    const ticket = ++finding;
    const typed = element<HTMLInputElement>('find-text').value;
    const found = await findNext(grid, typed, () => ticket !== finding);
    if (ticket === finding) element('find-state').textContent = found || !typed ? '' : 'Not found';
  });
  // The browser's own find sees only the rows in view: in the list, Ctrl+F goes to the list's.
  element('content').addEventListener('keydown', (event) => {
    if ((event.ctrlKey || event.metaKey) && event.key === 'f') {
      event.preventDefault();
      element('find-text').focus();
    }
  });
  followDrops(document.body, (files) => void openFiles(files));
  followSplitter(element('splitter'), element('tree'));
  toolsFollow();
}

start();
