// One tab per save opened: a tablist over the one view the page has, which shows the tab chosen.
import { make } from './dom';

export class TabStrip {
  private readonly list: HTMLElement;

  constructor(
    host: HTMLElement,
    private readonly chosen: (tab: HTMLElement) => void,
    private readonly closed: (tab: HTMLElement) => void,
  ) {
    this.list = make('div', { role: 'tablist', 'aria-label': 'Open save files' });
    host.replaceChildren(this.list);
    this.list.addEventListener('keydown', (event) => {
      const tabs = [...this.list.querySelectorAll<HTMLElement>('[role=tab]')];
      const at = tabs.indexOf(event.target as HTMLElement);
      if (at < 0) return;
      const step = event.key === 'ArrowRight' ? 1 : event.key === 'ArrowLeft' ? -1 : 0;
      const next = step === 0 ? undefined : tabs[(at + step + tabs.length) % tabs.length];
      if (event.key === 'Delete') this.closed(tabs[at]);
      else if (next) this.chosen(next);
      else return;
      event.preventDefault();
    });
  }

  add(title: string): HTMLElement {
    const tab = make('div', { role: 'tab', 'aria-selected': 'false', tabindex: '-1', title });
    const name = make('span', {}, title);
    const close = make('button', { type: 'button', 'aria-label': `Close ${title}`, tabindex: '-1' }, '×');
    close.addEventListener('click', (event) => {
      event.stopPropagation();
      this.closed(tab);
    });
    tab.append(name, close);
    tab.addEventListener('click', () => this.chosen(tab));
    this.list.append(tab);
    return tab;
  }

  select(tab: HTMLElement | undefined): void {
    for (const other of this.list.querySelectorAll<HTMLElement>('[role=tab]')) {
      other.setAttribute('aria-selected', String(other === tab));
      other.tabIndex = other === tab ? 0 : -1;
    }
  }
}
