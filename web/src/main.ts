// The page: open save files (one tab each), walk a tree, list what a node shows, the Options
// and the tools. Texts come from the core.
import { WorkerClient } from './client';
import { findNext } from './find';
import { VirtualGrid } from './grid';
import { ObjectListDialog } from './objectlist';
import { NameFinder } from './names';
import { ObjectNotice, showWarnings } from './notices';
import { OptionsDialog, storedByCcsid, storedPair } from './options';
import type { CodePages, HeldPeek, Lines, NodeAddress, ObjectListData, Opened, PagePair, Row, Shown, TreeNode } from './protocol';
import { ReportDialog } from './report';
import { TabStrip } from './tabs';
import { CatalogTreeView } from './tree';
import { followDrops } from './drop';
import { followSplitter } from './splitter';
import { Exports } from './exporting';
import { CompareCommand } from './comparing';
import type { JobFile } from './jobs';
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
  view?: CatalogTreeView;
  roots: TreeNode[];
  // The pair the save is read by: the stored one, else the one its texts suggest.
  pair?: PagePair;
  warnings: string[];
  save?: number;
  node: NodeAddress;
  shownNode?: TreeNode;
  messages: string[];
  error?: string;
}

function say(messages: string[] | undefined, error?: string): void {
  element('messages').textContent = [...(messages ?? []), ...(error ? [error] : [])].join('\n');
}

// What stays said while a save is on display: the damage it was read past or found (each note
// from the block-grid check, which "Check save file" reports in full), a catalog read only in
// part, and a pair that reads the save's tagged fields otherwise.
function warningsOf(opened: Opened): string[] {
  const damage = (opened.damage ?? []).map(
    (note) => `${note}; found by the block-grid check ("Check save file" shows its report).`,
  );
  const partial = opened.stop && opened.stop !== 'complete' ? [`Warning: the catalog was read only in part: ${opened.stop}.`] : [];
  return [...damage, ...partial, ...(opened.pairNote ? [opened.pairNote] : [])];
}

function start(): void {
  if (typeof WebAssembly !== 'object') {
    say([], 'This browser is too old: it cannot run WebAssembly.');
    return;
  }
  const client = new WorkerClient(QUELVANE_WORKER);
  const exports = new Exports(QUELVANE_WORKER, document.querySelector('header') as HTMLElement, say);
  // The browsing worker compiles the module; the jobs' workers are handed it compiled. (Where the
  // core runs elsewhere, as in VS Code's editor, there is no worker here to ask.)
  if (QUELVANE_WORKER !== '') {
    exports.jobs.useCompiled(client.ask<{ module?: WebAssembly.Module }>({ kind: 'module' }).then((got) => got.module));
  }
  const compare = new CompareCommand(element('compare'), element('compare-file'), exports.jobs,
    [document.querySelector('main') as HTMLElement], say);
  const grid = new VirtualGrid(element('content'), async (first, count) =>
    (await client.ask<{ rows: Row[] }>({ kind: 'rows', first, count })).rows ?? []);
  const tabs: Tab[] = [];
  let current: Tab | undefined;
  let shownAt = 0;
  let lastShown: Promise<Shown | undefined> = Promise.resolve(undefined);
  let pair = storedPair();
  const listingProgress = new ListingProgress();
  const names = new NameFinder();
  const notice = new ObjectNotice(element('notice'), {
    openHeld: () => openHeld(),
    showBytes: () => void showBytes(),
  });

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
    notice.clear();
    grid.show([], 0);
  }

  function toolsFollow(): void {
    const open = current?.save !== undefined;
    element<HTMLButtonElement>('objects').disabled = !open;
    element<HTMLButtonElement>('check').disabled = !open;
    element<HTMLButtonElement>('held').disabled = !open || current?.node.level !== 2 || current.node.ifsPath !== undefined;
    element<HTMLInputElement>('name-text').disabled = !open;
    element('welcome').hidden = tabs.length > 0;
    // Nothing to find in or read about before a save is open: the first screen is the welcome alone.
    for (const id of ['find', 'title', 'summary', 'said']) element(id).hidden = tabs.length === 0;
  }

  // Lists what `shown` says, and the rest of a member's records step by step.
  async function list(shown: Shown, ticket: number, node: NodeAddress): Promise<void> {
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

  function show(tab: Tab, node: NodeAddress, shownNode?: TreeNode): Promise<Shown | undefined> {
    const ticket = ++shownAt;
    tab.node = node;
    tab.shownNode = shownNode;
    toolsFollow();
    notice.clear();
    // Until the node answers, an export would take the node shown before it.
    exports.nodeShown(null, {});
    lastShown = client.ask<Shown>({ kind: 'show', node }).then((shown) => (ticket === shownAt ? shown : undefined));
    void lastShown.then(async (shown) => {
      if (!shown) return;
      const peek = () => client.ask<HeldPeek>({ kind: 'peekHeld', node });
      void notice.follow(shown, shownNode?.caption ?? '', peek, () => ticket !== shownAt);
      await list(shown, ticket, node);
    });
    return lastShown;
  }

  async function showBytes(): Promise<void> {
    const tab = current;
    if (!tab || tab.save === undefined) return;
    const ticket = ++shownAt;
    notice.clear();
    const shown = await client.ask<Shown>({ kind: 'bytes', node: tab.node });
    if (ticket === shownAt) await list(shown, ticket, tab.node);
  }

  function fill(tab: Tab, opened: Opened): void {
    tab.save = opened.save;
    tab.messages = opened.messages ?? [];
    tab.error = opened.error;
    tab.warnings = warningsOf(opened);
    if (opened.outcome === 'opened' && opened.tree && opened.save !== undefined) {
      tab.pair = opened.pair ?? tab.pair;
      tab.roots = opened.tree.roots;
      tab.view = new CatalogTreeView(
        opened.tree.roots,
        (node, shownNode) => void show(tab, node, shownNode),
        () => void activateLeaf(),
      );
      tab.tree = tab.view.element;
    } else {
      // Nothing of the save before stays on show beside the message.
      tab.save = undefined;
      tab.roots = [];
      tab.view = undefined;
      tab.tree = document.createElement('div');
    }
  }

  // A double-click on an item without children: a save file's opens the save it holds.
  async function activateLeaf(): Promise<void> {
    const shown = await lastShown;
    if (shown?.object?.saveFile) openHeld();
  }

  async function openSource(tab: Tab): Promise<Opened> {
    const { source } = tab;
    const byCcsid = pair?.byCcsid ?? storedByCcsid();
    if ('file' in source) {
      return client.ask<Opened>(
        pair ? { kind: 'open', file: source.file, ...pair } : { kind: 'open', file: source.file, suggest: true, byCcsid },
      );
    }
    if (source.parent.save === undefined) return { error: 'the save that holds it is not open' };
    await client.ask({ kind: 'use', save: source.parent.save });
    return client.ask<Opened>({ kind: 'openHeld', node: source.node });
  }

  // The file a tab's save is read from, and the save-file objects inward to it when it is held.
  function jobFileOf(tab: Tab): JobFile | null {
    const inner: NodeAddress[] = [];
    let at = tab;
    while ('parent' in at.source) {
      inner.unshift(at.source.node);
      at = at.source.parent;
    }
    const byCcsid = pair?.byCcsid ?? storedByCcsid();
    if (tab.save === undefined || !('file' in at.source) || !tab.pair) return null;
    return { file: at.source.file, ...tab.pair, byCcsid, ...(inner.length > 0 ? { inner } : {}) };
  }

  async function activate(tab: Tab | undefined): Promise<void> {
    current = tab;
    strip.select(tab?.element);
    clearView();
    element('tree').replaceChildren(...(tab ? [tab.tree] : []));
    showWarnings(element('warnings'), tab?.warnings ?? []);
    toolsFollow();
    if (!tab) {
      exports.fileOpened(null);
      compare.fileOpened(null);
      say([]);
      return;
    }
    tab.element.classList.toggle('failed', tab.save === undefined);
    // A job's worker opens the file afresh: held saves are offered to a compare only, which
    // opens them again through the save-file objects that hold them.
    const jobFile = jobFileOf(tab);
    exports.fileOpened(jobFile?.inner ? null : jobFile);
    compare.fileOpened(jobFile);
    if (tab.save === undefined) {
      say(tab.messages, tab.error);
      return;
    }
    await client.ask({ kind: 'use', save: tab.save });
    await show(tab, tab.node, tab.shownNode);
  }

  // A file opens in a tab even when it fails, to say why; a held save only once it opened, the
  // object's tab saying why not.
  async function openTab(title: string, source: Tab['source']): Promise<void> {
    const blank = () => document.createElement('div');
    const inherited = 'parent' in source ? source.parent.pair : undefined;
    const tab: Tab = { title, source, element: blank(), tree: blank(), roots: [], pair: inherited, warnings: [], node: ROOT, messages: [] };
    const opened = await openSource(tab);
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

  function openHeld(): void {
    const tab = current;
    if (!tab || tab.save === undefined || tab.node.level !== 2) return;
    const object = tab.shownNode?.caption ?? '';
    void openTab(`${tab.title} > ${object}`, { parent: tab, node: tab.node });
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
    toolsFollow();
  }

  async function openFiles(files: File[]): Promise<void> {
    for (const file of files) await openTab(file.name, { file });
  }

  // Every tab again with the new pair, each held save through the save that holds it.
  async function reopenAll(): Promise<void> {
    for (const tab of tabs) {
      if (tab.save !== undefined) await client.ask({ kind: 'close', save: tab.save });
      fill(tab, await openSource(tab));
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
          if (changed) void reopenAll();
        },
        () => undefined,
      ),
  );
  const objectList = new ObjectListDialog((order) => client.ask<Lines>({ kind: 'objectText', order }));
  const report = new ReportDialog('report');

  element('options').addEventListener('click', async () => (await options).show(current?.pair));
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
  element('held').addEventListener('click', () => openHeld());
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
  // Enter finds the next object or member of that name; the tree shows it and the pane lists it.
  element<HTMLFormElement>('names').addEventListener('submit', (event) => {
    event.preventDefault();
    const typed = element<HTMLInputElement>('name-text').value;
    const found = current?.view ? names.next(current.roots, typed) : undefined;
    element('name-state').textContent = !typed.trim() ? '' : found ? `${found.position} of ${found.count}` : 'No such name';
    if (found) current?.view?.reveal(found.path);
    element('name-text').focus();
  });
  // The browser's own find sees only the rows in view: in the list, Ctrl+F goes to the list's.
  element('content').addEventListener('keydown', (event) => {
    if ((event.ctrlKey || event.metaKey) && event.key === 'f') {
      event.preventDefault();
      element('find-text').focus();
    }
  });
  followDrops(document.body, (files) => void openFiles(files));
  followSplitter(element('splitter'), element('side'));
  toolsFollow();
}

start();
