// The page's side of a long job: a worker started for the job alone, its progress shown as a
// progressbar with a Cancel button. Cancel ends that worker, and with it the job and everything
// it had made; the browsing worker and its open save stay as they are. The files come piece by
// piece as they are written and are kept as Blobs (the browser's, not the page's memory).
import { JobPieces } from './jobpieces';
import type { Job, JobAnswer, JobMessage } from './jobprotocol';
import type { NodeAddress } from './protocol';

export interface JobFile {
  file: File;
  ebcdic: number;
  pc: number;
  byCcsid: boolean;
  // A save held in the file: the save-file objects leading to it, outermost first.
  inner?: NodeAddress[];
}

export class JobClient {
  private readonly url: string;
  private running: (() => void) | null = null;
  // Told when a job starts or ends: the commands that start jobs wait while one runs.
  private readonly followers: (() => void)[] = [];
  // The module compiled once, handed to every job's worker; and how many times jobs compiled it.
  private compiled: Promise<WebAssembly.Module | undefined> = Promise.resolve(undefined);
  private compiles = 0;

  constructor(source: string, private readonly host: HTMLElement) {
    this.url = URL.createObjectURL(new Blob([source], { type: 'text/javascript' }));
  }

  // Jobs are handed `module` (the browsing worker's) in place of compiling their own.
  useCompiled(module: Promise<WebAssembly.Module | undefined>): void {
    this.compiled = module.catch(() => undefined);
  }

  // How many times the jobs run so far compiled the module (none once handed it).
  get moduleCompiles(): number {
    return this.compiles;
  }

  get busy(): boolean {
    return this.running !== null;
  }

  follow(follower: () => void): void {
    this.followers.push(follower);
  }

  private told(): void {
    this.followers.forEach((follower) => follower());
  }

  // Runs `job` over `opened`, showing `caption` with its progress; resolves when it ends.
  async run(opened: JobFile, job: Job, caption: string): Promise<JobAnswer> {
    const worker = new Worker(this.url);
    const bar = this.showProgress(caption);
    const pieces = new JobPieces();
    const compiled = await this.compiled;
    return new Promise<JobAnswer>((resolve) => {
      const end = (answer: JobAnswer) => {
        worker.terminate();
        this.running = null;
        this.host.replaceChildren();
        this.told();
        resolve(answer);
      };
      this.running = () => end({ outcome: 'cancelled', files: [], messages: [] });
      this.told();
      bar.cancel.addEventListener('click', () => this.running?.());
      worker.onmessage = (event: MessageEvent<JobMessage>) => {
        const message = event.data;
        if (pieces.take(message)) return;
        if ('progress' in message) bar.update(message.progress.done, message.progress.total);
        else if ('compiles' in message) {
          this.compiles += message.compiles;
          // Said on the element too, for a test to read.
          this.host.dataset.moduleCompiles = String(this.compiles);
        }
        else if ('answer' in message) end(pieces.answered(message.answer));
      };
      worker.onerror = (event) => end({ outcome: 'failed', files: [], messages: [], error: event.message || 'the job stopped' });
      worker.postMessage({ id: 1, kind: 'job', ...opened, job, compiled });
    });
  }

  // Ends the job running, as its Cancel button does.
  cancel(): void {
    this.running?.();
  }

  private showProgress(caption: string) {
    const label = document.createElement('span');
    label.textContent = caption;
    const bar = document.createElement('progress');
    bar.setAttribute('aria-label', caption);
    const cancel = document.createElement('button');
    cancel.type = 'button';
    cancel.textContent = 'Cancel';
    this.host.replaceChildren(label, bar, cancel);
    return {
      cancel,
      update(done: number, total: number): void {
        if (total > 0) {
          bar.max = total;
          bar.value = Math.min(done, total);
        }
      },
    };
  }
}
