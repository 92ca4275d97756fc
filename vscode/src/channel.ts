// One editor's webview and the host: its own SaveSession (the saves its tabs opened, by its own
// numbers) and its jobs, by the ids of its own requests. Two editors on one document share
// nothing but the file.
import path from 'node:path';
import * as vscode from 'vscode';
import type { Job } from '../../web/src/jobprotocol';
import { runHostJob } from './hostjobs';
import type { HostJob, ToHost, ToWebview } from './messages';
import type { SaveSession } from './session';
import { saveAs } from './webwriting';

export type KeepOptions = (options: Record<string, unknown>) => void;

export class EditorChannel {
  // The Cancel of each job running; and the jobs cancelled before they had one (while a dialog
  // was open), cancelled as soon as they start.
  private readonly cancels = new Map<number, () => void>();
  private readonly cancelledEarly = new Set<number>();

  constructor(
    readonly session: SaveSession,
    private readonly webview: vscode.Webview,
    private readonly dist: string,
    private readonly keepOptions: KeepOptions,
  ) {}

  close(): void {
    for (const cancel of this.cancels.values()) cancel();
    this.session.close();
  }

  private post(message: ToWebview): void {
    void this.webview.postMessage(message);
  }

  async answer(message: ToHost): Promise<void> {
    if (message.kind === 'ready') {
      this.post({ kind: 'document', name: path.basename(this.session.file) });
      return;
    }
    if (!('id' in message)) return;
    if (message.kind === 'cancelJob') {
      const cancel = this.cancels.get(message.id);
      if (cancel) cancel();
      else this.cancelledEarly.add(message.id);
      return;
    }
    if (message.kind === 'job') {
      await this.runJob(message as HostJob);
      return;
    }
    // A file the page made itself (the object list's text): saved where the user says.
    if (message.kind === 'saveFile') {
      const near = vscode.Uri.file(path.dirname(this.session.file));
      this.post({ id: message.id, answer: { saved: await saveAs(near, { name: String(message.name), bytes: message.bytes as Uint8Array }) } });
      return;
    }
    if (message.kind === 'open' && message.options && typeof message.options === 'object') {
      this.keepOptions(message.options as Record<string, unknown>);
    }
    this.post({ id: message.id, answer: this.session.answer(message as { kind: string; [field: string]: unknown }) });
  }

  private async runJob({ id, pair, job }: HostJob): Promise<void> {
    const control = {
      onProgress: (done: number, total: number) => this.post({ id, progress: { done, total } }),
      onCancel: (cancel: () => void) => {
        if (this.cancelledEarly.delete(id)) cancel();
        else this.cancels.set(id, cancel);
      },
    };
    const answer = await runHostJob(this.dist, this.session.file, pair, job as Job, control);
    this.cancels.delete(id);
    this.cancelledEarly.delete(id);
    this.post({ id, answer });
  }
}
