// The page's side of a long job: a worker started for the job alone, its progress shown as a
// progressbar with a Cancel button. Cancel ends that worker, and with it the job and everything
// it had made; the browsing worker and its open save stay as they are.
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

  constructor(source: string, private readonly host: HTMLElement) {
    this.url = URL.createObjectURL(new Blob([source], { type: 'text/javascript' }));
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
  run(opened: JobFile, job: Job, caption: string): Promise<JobAnswer> {
    const worker = new Worker(this.url);
    const bar = this.showProgress(caption);
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
        if ('progress' in message) bar.update(message.progress.done, message.progress.total);
        else end(message.answer);
      };
      worker.onerror = (event) => end({ outcome: 'failed', files: [], messages: [], error: event.message || 'the job stopped' });
      worker.postMessage({ id: 1, kind: 'job', ...opened, job });
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
