// The page's exports: a member as text, Word or Excel, a file's members in batch, Extract all, and
// the source members saved as a project, with the desktop's captions. Batch, extraction and the
// project come as one .zip, or are written into a folder the user picks where the browser offers
// that. Only a job that ended whole is offered.
import { folderPicker, writeIntoFolder } from './folder';
import { JobClient, type JobFile } from './jobs';
import type { Delivery, ExportEncoding, ExportFormat, Job, JobAnswer } from './jobprotocol';
import type { NodeAddress } from './protocol';
import { saveFile } from './saving';

const FORMATS: [ExportFormat, string][] = [
  ['txt', 'Text File (*.txt)'], ['doc', 'Word File (*.doc)'], ['xls', 'Excel File (*.xls)'],
];

// A text file's characters: in the PC code page of Options, as always, or in UTF-8. Word and
// Excel files hold every character whichever is chosen.
const ENCODINGS: [ExportEncoding, string][] = [['pc', 'PC code page'], ['utf-8', 'UTF-8']];

// The captions of the jobs that give many files, as their progress and messages name them.
const CAPTIONS = {
  batch: 'Export PF members in batch', extract: 'Extract all...', sources: 'Save sources as project...',
};

export type Say = (messages: string[], error?: string) => void;

// What the node shown last allows, as the bridge answered it.
export interface Exportable {
  exportable?: boolean;
  batch?: boolean;
}

function button(caption: string): HTMLButtonElement {
  const b = document.createElement('button');
  b.type = 'button';
  b.textContent = caption;
  b.disabled = true;
  return b;
}

export class Exports {
  private opened: JobFile | null = null;
  private node: NodeAddress | null = null;
  private shown: Exportable = {};
  private readonly member = button('Export a member');
  private readonly batch = button('Export PF members in batch');
  private readonly extract = button('Extract all...');
  private readonly sources = button('Save sources as project...');
  private readonly format = document.createElement('select');
  private readonly encoding = document.createElement('select');
  private readonly splitter = document.createElement('input');
  private readonly intoFolder = document.createElement('input');
  readonly jobs: JobClient;
  // Files being written into a folder after their job: no other job starts meanwhile.
  private writing = false;

  constructor(source: string, host: HTMLElement, private readonly say: Say) {
    const bar = document.createElement('div');
    bar.setAttribute('role', 'toolbar');
    bar.setAttribute('aria-label', 'Export');
    bar.className = 'exports';
    const progress = document.createElement('div');
    progress.className = 'job';
    progress.setAttribute('aria-live', 'polite');
    host.append(bar, progress);
    this.jobs = new JobClient(source, progress);
    this.jobs.follow(() => this.enable());
    this.format.setAttribute('aria-label', 'The File Type to save :');
    for (const [value, caption] of FORMATS) this.format.append(new Option(caption, value));
    this.encoding.setAttribute('aria-label', 'Encoding');
    this.encoding.title = 'What a text file is written in';
    for (const [value, caption] of ENCODINGS) this.encoding.append(new Option(caption, value));
    this.splitter.type = 'checkbox';
    const splitterLabel = document.createElement('label');
    splitterLabel.append(this.splitter, 'With splitter code "I"');
    bar.append(this.member, this.batch, this.format, this.encoding, splitterLabel, this.extract, this.sources);
    if (folderPicker() !== null) {
      this.intoFolder.type = 'checkbox';
      const folderLabel = document.createElement('label');
      folderLabel.append(this.intoFolder, 'Into a folder');
      bar.append(folderLabel);
    }
    this.member.addEventListener('click', () => void this.exportMember());
    this.batch.addEventListener('click', () => void this.many('batch'));
    this.extract.addEventListener('click', () => void this.many('extract'));
    this.sources.addEventListener('click', () => void this.many('sources'));
    this.sources.title = 'Each source member as a UTF-8 file, folders as IBM i projects keep them';
  }

  // A save was opened (null: none is open now); what it shows next decides the buttons.
  fileOpened(opened: JobFile | null): void {
    this.jobs.cancel();
    this.opened = opened;
    this.nodeShown(null, {});
  }

  nodeShown(node: NodeAddress | null, shown: Exportable): void {
    this.node = node;
    this.shown = shown;
    this.enable();
  }

  private enable(): void {
    const idle = this.opened !== null && !this.jobs.busy && !this.writing;
    this.member.disabled = !idle || !this.shown.exportable;
    this.batch.disabled = !idle || !this.shown.batch;
    this.extract.disabled = !idle;
    this.sources.disabled = !idle;
  }

  private async run(job: Job, caption: string): Promise<JobAnswer | null> {
    if (this.opened === null) return null;
    const running = this.jobs.run(this.opened, job, caption);
    this.enable();
    const answer = await running;
    this.enable();
    if (answer.outcome === 'cancelled') this.say([`${caption}: cancelled, nothing was written.`]);
    else if (answer.outcome === 'failed') this.say(answer.messages, answer.error ?? 'the job failed');
    // A job that ended whole replaces what an earlier one said: a loss it reported is not this one's.
    else this.say(answer.messages);
    return answer.outcome === 'written' ? answer : null;
  }

  private settings() {
    return {
      format: this.format.value as ExportFormat,
      splitter: this.splitter.checked,
      encoding: this.encoding.value as ExportEncoding,
    };
  }

  private async exportMember(): Promise<void> {
    if (this.node === null) return;
    const answer = await this.run({ what: 'export', node: this.node, ...this.settings() }, 'Export a member');
    answer?.files.forEach(saveFile);
  }

  private async many(what: 'batch' | 'extract' | 'sources'): Promise<void> {
    if (what === 'batch' && this.node === null) return;
    const picker = this.intoFolder.checked ? folderPicker() : null;
    let folder: FileSystemDirectoryHandle | null = null;
    if (picker !== null) {
      try {
        folder = await picker({ mode: 'readwrite' });
      } catch {
        return;
      }
    }
    const delivery: Delivery = folder === null ? 'zip' : 'files';
    const job: Job = what !== 'batch' || this.node === null
      ? { what: what === 'sources' ? 'sources' : 'extract', delivery }
      : { what: 'batch', node: this.node, ...this.settings(), delivery };
    const answer = await this.run(job, CAPTIONS[what]);
    if (answer === null) return;
    if (folder === null) {
      answer.files.forEach(saveFile);
      return;
    }
    this.writing = true;
    this.enable();
    let failure: string | null;
    try {
      failure = await writeIntoFolder(folder, answer.files, (present) =>
        window.confirm(`${present.length} files of these names are in the folder and will be replaced:\n${present.slice(0, 10).join('\n')}`));
    } finally {
      this.writing = false;
      this.enable();
    }
    if (failure !== null) this.say([], failure);
    else this.say([...answer.messages, `${answer.files.length} files were written into the folder ${folder.name}.`]);
  }
}
