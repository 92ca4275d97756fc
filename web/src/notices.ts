// What the pane says above the list where the list alone would leave the user guessing: a save
// file object's "Open saved save file" and what the save it holds contains; an object whose
// contents the program does not read says what it is and offers "Show bytes". And the warnings
// of the save on display (damage read past, a pair that misreads the save's fields), which stay
// while the save is on display.
import { make } from './dom';
import { nameOf } from './names';
import type { HeldPeek, Shown, TreeNode } from './protocol';

// Object names listed in a held save's summary before "and N more".
const NAMES_LISTED = 8;

export interface NoticeActions {
  openHeld: () => void;
  showBytes: () => void;
}

// What a held save contains, in one line: its library and its objects.
export function heldSummary(roots: TreeNode[]): string {
  const library = roots[0];
  if (!library) return 'It holds nothing the program can read.';
  const objects = library.children.flatMap((part) => part.children);
  if (library.ifsPath !== undefined) return `It holds an IFS save: ${library.children.length} entries at its root.`;
  const names = objects.slice(0, NAMES_LISTED).map((o) => o.caption).join(', ');
  const more = objects.length > NAMES_LISTED ? `, and ${objects.length - NAMES_LISTED} more` : '';
  const count = objects.length === 1 ? '1 object' : `${objects.length} objects`;
  return `It holds ${library.caption}, ${count}${objects.length > 0 ? `: ${names}${more}` : ''}.`;
}

// What an object the program does not read is, in words.
export function objectKind(object: NonNullable<Shown['object']>, caption: string): string {
  const name = nameOf(caption);
  if (object.file) return `${name} is a file of type ${object.type.trim() || 'not named'} (*FILE).`;
  const type = object.type.trim();
  return type ? `${name} is an object of type *${type}.` : `${name} is an object of a type the program does not name.`;
}

export class ObjectNotice {
  constructor(
    private readonly host: HTMLElement,
    private readonly actions: NoticeActions,
  ) {}

  clear(): void {
    this.host.replaceChildren();
    this.host.hidden = true;
  }

  // `peek` reads what a save file holds; `stale` says the user has moved on meanwhile.
  async follow(shown: Shown, caption: string, peek: () => Promise<HeldPeek>, stale: () => boolean): Promise<void> {
    this.clear();
    const object = shown.object;
    if (!object || shown.error) return;
    if (object.saveFile) {
      const text = make('p', {}, 'This object is a save file: the save it holds opens in a tab of its own ' +
        '(a double-click on it in the tree does the same).');
      const holds = make('p', { class: 'holds' }, 'Reading what it holds…');
      this.show([text, holds], 'Open saved save file', this.actions.openHeld);
      const held = await peek();
      if (stale()) return;
      holds.textContent = held.tree ? heldSummary(held.tree.roots) : `It cannot be opened: ${held.error ?? 'no save is held'}`;
    } else if (!object.described) {
      const text = make('p', {}, `${objectKind(object, caption)} The program does not describe what this kind ` +
        'of object holds; "Show bytes" lists its stored data.');
      this.show([text], 'Show bytes', this.actions.showBytes);
    }
  }

  private show(parts: HTMLElement[], caption: string, action: () => void): void {
    const button = make('button', { type: 'button' }, caption);
    button.addEventListener('click', action);
    this.host.replaceChildren(...parts, button);
    this.host.hidden = false;
  }
}

// The warnings of the save on display, one line each; the area is hidden without any.
export function showWarnings(host: HTMLElement, warnings: string[]): void {
  host.replaceChildren(...warnings.map((line) => make('p', {}, line)));
  host.hidden = warnings.length === 0;
}
