// A report of lines as the core makes them (the check of a save file), in a dialog.
import { make } from './dom';

export class ReportDialog {
  private readonly dialog: HTMLDialogElement;
  private readonly title: HTMLHeadingElement;
  private readonly text: HTMLPreElement;

  constructor(id: string) {
    this.dialog = make('dialog', { 'aria-labelledby': `${id}-title`, class: 'report' });
    this.title = make('h2', { id: `${id}-title` });
    this.text = make('pre', { id: `${id}-text`, tabindex: '0' });
    const close = make('button', { type: 'button' }, 'OK');
    close.addEventListener('click', () => this.dialog.close());
    const buttons = make('div', { class: 'buttons' });
    buttons.append(close);
    this.dialog.append(this.title, this.text, buttons);
    document.body.append(this.dialog);
  }

  show(title: string, lines: string[]): void {
    this.title.textContent = title;
    this.text.textContent = lines.join('\n');
    if (!this.dialog.open) this.dialog.showModal();
  }
}
