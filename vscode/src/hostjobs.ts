// The webview's jobs and the commands, run in the extension host: a member's export goes where
// the save dialog says, a batch and Extract all into the folder the folder dialog chose. The
// save is opened afresh by the pair the webview reads it by, as the page's job worker opens it.
import path from 'node:path';
import * as vscode from 'vscode';
import type { Job, JobAnswer } from '../../web/src/jobprotocol';
import { type Core, type CoreSave, isSave, openSave, type Pair } from './core';
import { type NamedBytes, writeInto } from './writing';

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

async function intoFolder(folder: string, files: NamedBytes[], messages: string[]): Promise<JobAnswer> {
  const failure = await writeInto(folder, files, askReplace);
  if (failure === 'declined') return { outcome: 'cancelled', files: [], messages: [] };
  if (failure !== null) return failed(failure, messages);
  return written([...messages, `${files.length} files were written into the folder ${folder}.`]);
}

async function exportMember(save: CoreSave, file: string, job: Job & { what: 'export' }): Promise<JobAnswer> {
  const got = save.exportMember(job.node, job.format, { splitter: job.splitter, encoding: job.encoding });
  if (got.error) return failed(got.error, got.messages);
  if (got.outcome !== 'written') return cancelled();
  const target = await vscode.window.showSaveDialog({
    defaultUri: vscode.Uri.file(path.join(path.dirname(file), path.basename(got.name))),
    filters: FILTERS[job.format],
  });
  if (!target) return cancelled();
  await vscode.workspace.fs.writeFile(target, got.bytes);
  return written([...(got.messages ?? []), `The member was written to ${target.fsPath}.`]);
}

async function many(save: CoreSave, file: string, job: Job & { what: 'batch' | 'extract' }): Promise<JobAnswer> {
  const folder = await chooseFolder(file, job.what === 'extract' ? 'Extract here' : 'Export here');
  if (folder === null) return cancelled();
  if (job.what === 'batch') {
    const got = save.exportBatch(job.node, job.format, { splitter: job.splitter, encoding: job.encoding });
    if (got.error) return failed(got.error, got.messages);
    if (got.outcome !== 'written') return failed('the batch export failed', got.messages);
    return intoFolder(folder, got.files ?? [], got.messages ?? []);
  }
  const files: NamedBytes[] = [];
  const got = save.extract({ onFile: (name: string, bytes: Uint8Array) => files.push({ name, bytes }) });
  if (got.error) return failed(got.error, got.messages);
  // What could not be extracted is said, as quelvane-cli extract says it; the rest is whole.
  return intoFolder(folder, files, [...(got.messages ?? []), ...(got.failures ?? [])]);
}

// Runs `job` over the save file at `file` read by `pair`.
export async function runHostJob(core: Core, file: string, pair: Pair | null, job: Job): Promise<JobAnswer> {
  if (job.what === 'compare') return failed('Compare with... is not offered in the editor yet');
  const save = openSave(core, file, pair ?? { suggest: true, byCcsid: false });
  if (!isSave(save)) return failed(save.error ?? 'the save file could not be opened', save.messages);
  try {
    if (job.what === 'export') return await exportMember(save, file, job);
    return await many(save, file, job);
  } catch (failure) {
    return failed(String(failure));
  } finally {
    save.close();
  }
}

// "Check save file": the report, as quelvane-cli check prints it.
export function checkReport(core: Core, file: string, pair: Pair | null): string {
  const save = openSave(core, file, pair ?? { suggest: true, byCcsid: false });
  if (!isSave(save)) return `${path.basename(file)}: ${save.error ?? 'the save file could not be opened'}`;
  try {
    const checked = save.check();
    return [path.basename(file), ...(checked.error ? [checked.error] : checked.lines)].join('\n');
  } finally {
    save.close();
  }
}
