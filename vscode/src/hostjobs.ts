// The webview's jobs and the commands: each runs in a worker thread of the extension host
// (jobworker.ts), which opens the save afresh by the pair the webview reads it by; a member's
// export goes where the save dialog says, a batch and Extract all into the folder chosen.
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { Worker } from 'node:worker_threads';
import * as vscode from 'vscode';
import type { Job, JobAnswer } from '../../web/src/jobprotocol';
import { type Core, isSave, openSave, type Pair, startCore } from './core';
import type { WorkerAnswer } from './jobworker';
import { moveInto, type NamedPart, writeInto } from './writing';

const FILTERS: Record<string, Record<string, string[]>> = {
  txt: { 'Text File': ['txt'] },
  doc: { 'Word File': ['doc'] },
  xls: { 'Excel File': ['xls'] },
};

const failed = (error: string, messages: string[] = []): JobAnswer => ({ outcome: 'failed', files: [], messages, error });
const cancelled = (): JobAnswer => ({ outcome: 'cancelled', files: [], messages: [] });
const written = (messages: string[]): JobAnswer => ({ outcome: 'written', files: [], messages });

async function askReplace(present: string[]): Promise<boolean> {
  const shown = present.slice(0, 10).join('\n');
  const more = present.length > 10 ? `\n... and ${present.length - 10} more` : '';
  const chosen = await vscode.window.showWarningMessage(
    `${present.length} files of these names are in the folder and will be replaced:`,
    { modal: true, detail: `${shown}${more}` },
    'Replace',
  );
  return chosen === 'Replace';
}

async function chooseFolder(file: string, label: string): Promise<string | null> {
  const chosen = await vscode.window.showOpenDialog({
    canSelectFiles: false, canSelectFolders: true, canSelectMany: false, openLabel: label,
    defaultUri: vscode.Uri.file(path.dirname(file)),
  });
  return chosen?.[0]?.fsPath ?? null;
}

async function intoFolder(folder: string, files: NamedPart[], messages: string[]): Promise<JobAnswer> {
  const failure = await writeInto(folder, files, askReplace);
  if (failure === 'declined') return { outcome: 'cancelled', files: [], messages: [] };
  if (failure !== null) return failed(failure, messages);
  return written([...messages, `${files.length} files were written into the folder ${folder}.`]);
}

// What follows a job while it runs: its progress, and the means to cancel it.
export interface JobControl {
  onProgress?(done: number, total: number): void;
  onCancel?(cancel: () => void): void;
}

// Runs `job` in a worker thread, which is handed the host's compiled module and writes its files
// into `parts`; Cancel ends the thread.
async function inWorker(dist: string, file: string, pair: Pair | null, job: Job, parts: string,
  control: JobControl): Promise<WorkerAnswer> {
  const compiled = (await startCore(dist)).wasmModule;
  return new Promise((resolve) => {
    const worker = new Worker(path.join(dist, 'jobworker.js'), { workerData: { dist, file, pair, job, compiled, parts } });
    let ended = false;
    const end = (answer: WorkerAnswer) => {
      if (ended) return;
      ended = true;
      // Answered once the thread is gone: nothing writes into its parts after.
      void worker.terminate().then(() => resolve(answer), () => resolve(answer));
    };
    control.onCancel?.(() => end({ cancelled: true, files: [], messages: [] }));
    worker.on('message', (message: { progress?: { done: number; total: number }; answer?: WorkerAnswer }) => {
      if (message.progress) control.onProgress?.(message.progress.done, message.progress.total);
      else if (message.answer) end(message.answer);
    });
    worker.on('error', (failure) => end({ error: String(failure), files: [], messages: [] }));
    worker.on('exit', () => end({ error: 'the job stopped', files: [], messages: [] }));
  });
}

async function exportMember(file: string, job: Job & { what: 'export' }, got: WorkerAnswer): Promise<JobAnswer> {
  const [member] = got.files;
  const target = await vscode.window.showSaveDialog({
    defaultUri: vscode.Uri.file(path.join(path.dirname(file), path.basename(member.name))),
    filters: FILTERS[job.format],
  });
  if (!target) return cancelled();
  if (target.scheme === 'file') moveInto(member.part, target.fsPath);
  else await vscode.workspace.fs.writeFile(target, fs.readFileSync(member.part));
  return written([...got.messages, `The member was written to ${target.fsPath}.`]);
}

// Runs `job` over the save file at `file` read by `pair`: a batch or an extraction asks for its
// folder first, a member's export for its file once the core has named it.
export async function runHostJob(dist: string, file: string, pair: Pair | null, job: Job, control: JobControl = {}): Promise<JobAnswer> {
  if (job.what === 'compare') return failed('Compare with... is not offered in the editor yet');
  let folder: string | null = null;
  if (job.what !== 'export') {
    folder = await chooseFolder(file, job.what === 'extract' ? 'Extract here' : 'Export here');
    if (folder === null) return cancelled();
  }
  // The parts are written beside where they go (a folder's files are then only renamed), and
  // whatever is left of them, the job cancelled or failed, is removed with their folder.
  const parts = fs.mkdtempSync(path.join(folder ?? os.tmpdir(), '.quelvane-'));
  try {
    const got = await inWorker(dist, file, pair, job, parts, control);
    if (got.cancelled) return cancelled();
    if (got.error) return failed(got.error, got.messages);
    if (job.what === 'export') return await exportMember(file, job, got);
    return await intoFolder(folder ?? '', got.files, got.messages);
  } catch (failure) {
    return failed(String(failure));
  } finally {
    fs.rmSync(parts, { recursive: true, force: true });
  }
}

// "Check save file": the report, as quelvane-cli check prints it.
export function checkReport(core: Core, file: string, pair: Pair | null): string {
  // Without a pair from an editor, as the page reads a save it was told nothing of: by the
  // CCSIDs the save stores, the rest by the pair its texts suggest.
  const save = openSave(core, file, pair ?? { suggest: true, byCcsid: true });
  if (!isSave(save)) return `${path.basename(file)}: ${save.error ?? 'the save file could not be opened'}`;
  try {
    const checked = save.check();
    return [path.basename(file), ...(checked.error ? [checked.error] : checked.lines)].join('\n');
  } finally {
    save.close();
  }
}
