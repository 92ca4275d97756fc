// One editor's saves: answers the webview's requests as the page's worker answers the page, over
// the document read in place. Each save opened (the document, a save held in it) is kept under a
// number; `use` names the one the requests without a `save` of their own are about.
import { type Core, type CoreSave, isSave, openSave, type Pair } from './core';

type Answer = Record<string, unknown>;
type Request = { kind: string; [field: string]: unknown };
type Node = { level: number; index: number; parent: number; grandparent: number; ifsPath?: string };

export class SaveSession {
  private readonly saves = new Map<number, CoreSave>();
  private nextSave = 1;
  private save: CoreSave = null;
  // The pair the document was last opened by: the commands run by it.
  pair: Pair | null = null;

  constructor(
    private readonly core: Core,
    readonly file: string,
  ) {}

  answer(request: Request): Answer {
    try {
      return this.answered(request);
    } catch (failure) {
      return { error: String(failure) };
    }
  }

  close(): void {
    for (const save of this.saves.values()) save.close();
    this.saves.clear();
    this.save = null;
  }

  private kept(opened: CoreSave, otherwise: CoreSave): Answer {
    if (!isSave(opened)) {
      this.save = otherwise;
      return opened;
    }
    const number = this.nextSave++;
    this.saves.set(number, opened);
    this.save = opened;
    return { ...opened.opened, tree: opened.tree(), save: number };
  }

  private open(request: Request): Answer {
    const byCcsid = Boolean(request.byCcsid);
    const pages = request.suggest ? { suggest: true as const, byCcsid } : { ebcdic: Number(request.ebcdic), pc: Number(request.pc), byCcsid };
    const answer = this.kept(openSave(this.core, this.file, pages), null);
    const pair = answer.pair as Pair | undefined;
    if (pair) this.pair = { ebcdic: pair.ebcdic, pc: pair.pc, byCcsid };
    return answer;
  }

  private peekHeld(node: Node): Answer {
    const held = this.save.openHeld(node);
    if (!isSave(held)) return held;
    try {
      return { tree: held.tree(), messages: held.opened.messages ?? [] };
    } finally {
      held.close();
    }
  }

  private answered(request: Request): Answer {
    if (request.kind === 'open') return this.open(request);
    if (request.kind === 'codePages') return this.core.codePages();
    if (request.kind === 'use') {
      this.save = this.saves.get(Number(request.save)) ?? null;
      return {};
    }
    if (request.kind === 'close') {
      const closing = this.saves.get(Number(request.save));
      this.saves.delete(Number(request.save));
      if (closing === this.save) this.save = null;
      closing?.close();
      return {};
    }
    if (this.save === null) return { error: 'no save file is open' };
    const node = request.node as Node;
    if (request.kind === 'openHeld') return this.kept(this.save.openHeld(node), this.save);
    if (request.kind === 'show') return this.save.show(node);
    if (request.kind === 'bytes') return this.save.bytes(node);
    if (request.kind === 'peekHeld') return this.peekHeld(node);
    if (request.kind === 'more') return this.save.more(Number(request.slots));
    if (request.kind === 'objects') return this.save.objects();
    if (request.kind === 'objectText') return this.save.objectText(request.order as number[]);
    if (request.kind === 'check') return this.save.check();
    if (request.kind === 'rows') return this.save.rows(Number(request.first), Number(request.count));
    return { error: `no such request: ${request.kind}` };
  }
}
