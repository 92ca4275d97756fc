// Stands in for the page's job client in the webview: a job runs in the extension host, which
// asks where its files go through VS Code's dialogs and writes them there itself, so the answer
// carries no files back. Progress and Cancel show as the page shows them; Cancel ends the host's
// job and what it had made.
import type { Job, JobAnswer } from '../../web/src/jobprotocol';
import type { NodeAddress } from '../../web/src/protocol';
import { fromHost, newId, toHost } from './vscodeapi';

export interface JobFile {
  file: File;
  ebcdic: number;
  pc: number;
  byCcsid: boolean;
  inner?: NodeAddress[];
}

export class JobClient {
  private running: ((answer: JobAnswer) => void) | null = null;
  private runningId = 0;
  private readonly followers: (() => void)[] = [];
  private bar: HTMLProgressElement | null = null;

  constructor(_source: string, private readonly host: HTMLElement) {
    fromHost((message) => {
      if (!('id' in message) || message.id !== this.runningId) return;
      if ('progress' in message) this.progressed(message.progress.done, message.progress.total);
      else this.running?.(message.answer as JobAnswer);
    });
  }

  get busy(): boolean {
    return this.running !== null;
  }

  follow(follower: () => void): void {
    this.followers.push(follower);
  }

  run(opened: JobFile, job: Job, caption: string): Promise<JobAnswer> {
    if (job.what === 'compare') {
      return Promise.resolve({ outcome: 'failed', files: [], messages: [], error: 'Compare with... is not offered in the editor yet' });
    }
    const id = newId();
    this.showProgress(caption);
    return new Promise<JobAnswer>((resolve) => {
      this.runningId = id;
      this.running = (answer) => {
        this.running = null;
        this.runningId = 0;
        this.host.replaceChildren();
        this.told();
        resolve(answer);
      };
      this.told();
      const { ebcdic, pc, byCcsid } = opened;
      toHost({ id, kind: 'job', pair: { ebcdic, pc, byCcsid }, job });
    });
  }

  cancel(): void {
    if (this.running === null) return;
    toHost({ id: this.runningId, kind: 'cancelJob' });
    this.running({ outcome: 'cancelled', files: [], messages: [] });
  }

  private told(): void {
    this.followers.forEach((follower) => follower());
  }

  private progressed(done: number, total: number): void {
    if (this.bar && total > 0) {
      this.bar.max = total;
      this.bar.value = Math.min(done, total);
    }
  }

  private showProgress(caption: string): void {
    const label = document.createElement('span');
    label.textContent = caption;
    this.bar = document.createElement('progress');
    this.bar.setAttribute('aria-label', caption);
    const cancel = document.createElement('button');
    cancel.type = 'button';
    cancel.textContent = 'Cancel';
    cancel.addEventListener('click', () => this.cancel());
    this.host.replaceChildren(label, this.bar, cancel);
  }
}
