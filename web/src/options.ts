// The Options dialog: the code-page pair for all EBCDIC conversion, kept in the browser's local
// storage. The lists are the desktop's rows; picking an EBCDIC row that names a PC page selects
// that PC row too, as the desktop's list does. Beside them, as on the desktop, the choice to read
// records (and the exports made of them) by the CCSIDs the save stores for its fields, on until
// unchecked. Until the dialog is first confirmed nothing is stored: each save is read by the pair
// its own texts suggest.
import { make } from './dom';
import type { CodePages } from './protocol';

export interface CodePagePair {
  ebcdic: number;
  pc: number;
  // Records and exports read by the fields' stored CCSIDs rather than by the pair.
  byCcsid: boolean;
}

const keys = {
  ebcdic: 'quelvane.ebcdic',
  pc: 'quelvane.pc',
  ebcdicRow: 'quelvane.ebcdicRow',
  pcRow: 'quelvane.pcRow',
  byCcsid: 'quelvane.byCcsid',
};

const BY_CCSID_CAPTION = 'Decode text by the CCSIDs stored in the save file';

function storedNumber(key: string): number | undefined {
  const text = localStorage.getItem(key);
  const value = text === null ? NaN : Number(text);
  return Number.isInteger(value) ? value : undefined;
}

// The pair stored, or none before the Options were first confirmed.
export function storedPair(): CodePagePair | undefined {
  const ebcdic = storedNumber(keys.ebcdic);
  const pc = storedNumber(keys.pc);
  return ebcdic !== undefined && pc !== undefined ? { ebcdic, pc, byCcsid: storedByCcsid() } : undefined;
}

// On unless it was unchecked and confirmed: the save records its CCSIDs, and text read by them is
// right from the first open.
export function storedByCcsid(): boolean {
  return localStorage.getItem(keys.byCcsid) !== '0';
}

export class OptionsDialog {
  private readonly dialog: HTMLDialogElement;
  private readonly hostList: HTMLSelectElement;
  private readonly pcList: HTMLSelectElement;
  private readonly byCcsid: HTMLInputElement;

  // `confirmed` runs with the pair once it is stored; `cancelled` when the dialog is left.
  constructor(
    private readonly pages: CodePages,
    private readonly confirmed: (pair: CodePagePair) => void,
    private readonly cancelled: () => void,
  ) {
    this.dialog = make('dialog', { 'aria-labelledby': 'options-title', class: 'options' });
    const fields = make('fieldset');
    fields.append(make('legend', {}, 'EBCDIC to ASCII conversion'));
    this.hostList = this.list(fields, 'options-host', 'EBCDIC  CCSID:', pages.host.map((row) => row.text));
    this.pcList = this.list(fields, 'options-pc', 'PC-Code Page:', pages.pc.map((row) => row.text));
    this.hostList.addEventListener('change', () => this.pickPcRow());
    this.byCcsid = make('input', { type: 'checkbox', id: 'options-by-ccsid' });
    const byCcsidLabel = make('label', { class: 'choice' });
    byCcsidLabel.append(this.byCcsid, BY_CCSID_CAPTION);
    fields.append(byCcsidLabel);
    const confirm = make('button', { type: 'button' }, 'Confirm');
    const cancel = make('button', { type: 'button' }, 'Cancel');
    confirm.addEventListener('click', () => this.confirm());
    cancel.addEventListener('click', () => this.dialog.close());
    this.dialog.addEventListener('cancel', () => this.cancelled());
    cancel.addEventListener('click', () => this.cancelled());
    const buttons = make('div', { class: 'buttons' });
    buttons.append(confirm, cancel);
    this.dialog.append(make('h2', { id: 'options-title' }, 'Options'), fields, buttons);
    document.body.append(this.dialog);
  }

  // Shows the stored rows again; before anything is stored, the rows of the pair `inForce` (the
  // one the save on display is read by), else the defaults.
  show(inForce?: { ebcdic: number; pc: number }): void {
    const rowOf = (rows: { page: number }[], page: number | undefined, fallback: number) => {
      const at = rows.findIndex((entry) => entry.page === page);
      return at >= 0 ? at : fallback;
    };
    const hostDefault = rowOf(this.pages.host, inForce?.ebcdic, this.pages.defaultHost);
    const pcDefault = rowOf(this.pages.pc, inForce?.pc, this.pages.defaultPc);
    this.hostList.selectedIndex = this.storedRow(keys.ebcdicRow, keys.ebcdic, this.pages.host, hostDefault);
    this.pcList.selectedIndex = this.storedRow(keys.pcRow, keys.pc, this.pages.pc, pcDefault);
    this.byCcsid.checked = storedByCcsid();
    this.dialog.showModal();
  }

  // The row stored, while it still names the page stored; else the first row of that page.
  private storedRow(rowKey: string, pageKey: string, rows: { page: number }[], fallback: number): number {
    const row = storedNumber(rowKey);
    const page = storedNumber(pageKey);
    if (row !== undefined && row >= 0 && row < rows.length && (page === undefined || rows[row].page === page)) return row;
    const ofPage = rows.findIndex((entry) => entry.page === page);
    return ofPage >= 0 ? ofPage : fallback;
  }

  private list(host: HTMLElement, id: string, caption: string, texts: string[]): HTMLSelectElement {
    const label = make('label', { for: id }, caption);
    const list = make('select', { id });
    for (const text of texts) list.append(make('option', {}, text));
    host.append(label, list);
    return list;
  }

  private pickPcRow(): void {
    const picked = this.pages.host[this.hostList.selectedIndex]?.pc;
    if (picked === undefined) return;
    const row = this.pages.pc.findIndex((entry) => entry.page === picked);
    if (row >= 0) this.pcList.selectedIndex = row;
  }

  private confirm(): void {
    const host = this.pages.host[this.hostList.selectedIndex];
    const pc = this.pages.pc[this.pcList.selectedIndex];
    if (!host || !pc) return;
    localStorage.setItem(keys.ebcdicRow, String(this.hostList.selectedIndex));
    localStorage.setItem(keys.pcRow, String(this.pcList.selectedIndex));
    localStorage.setItem(keys.ebcdic, String(host.page));
    localStorage.setItem(keys.pc, String(pc.page));
    localStorage.setItem(keys.byCcsid, this.byCcsid.checked ? '1' : '0');
    this.dialog.close();
    this.confirmed({ ebcdic: host.page, pc: pc.page, byCcsid: this.byCcsid.checked });
  }
}
