// Quelvane in VS Code: save files open read-only in the editor (the page's views over the core
// running here, in the extension host), and the commands over the save on display or the file
// chosen in the explorer.
import path from 'node:path';
import * as vscode from 'vscode';
import { checkReport, runHostJob } from './hostjobs';
import { SaveFileEditorProvider, VIEW_TYPES } from './provider';

function target(provider: SaveFileEditorProvider, uri: unknown) {
  if (uri instanceof vscode.Uri && uri.scheme === 'file') return { file: uri.fsPath, pair: null };
  const session = provider.active;
  return session ? { file: session.file, pair: session.pair } : null;
}

async function saveFileAsked(): Promise<{ file: string; pair: null } | null> {
  const chosen = await vscode.window.showOpenDialog({ canSelectMany: false, filters: { 'Save files': ['savf', 'SAVF'], 'All files': ['*'] } });
  return chosen?.[0] ? { file: chosen[0].fsPath, pair: null } : null;
}

export function activate(context: vscode.ExtensionContext) {
  const provider = new SaveFileEditorProvider(context.extensionUri, context.globalState);
  const command = (name: string, run: (uri: unknown) => Promise<void>) =>
    context.subscriptions.push(vscode.commands.registerCommand(name, run));
  for (const viewType of VIEW_TYPES) {
    context.subscriptions.push(
      vscode.window.registerCustomEditorProvider(viewType, provider, {
        supportsMultipleEditorsPerDocument: true,
        webviewOptions: { retainContextWhenHidden: true },
      }),
    );
  }
  // Extract all and Save sources as project: a job in a worker with a cancellable progress
  // notification, its files written into the folder the user picks.
  const folderJob = (title: string, what: 'extract' | 'sources') => async (uri: unknown) => {
    const on = target(provider, uri) ?? (await saveFileAsked());
    if (!on) return;
    const answer = await vscode.window.withProgress(
      { location: vscode.ProgressLocation.Notification, title: `${title}: ${path.basename(on.file)}`, cancellable: true },
      (progress, token) => {
        let reported = 0;
        return runHostJob(provider.dist, on.file, on.pair, { what, delivery: 'files' }, {
          onProgress: (done, total) => {
            const now = total > 0 ? (100 * done) / total : 0;
            progress.report({ increment: now - reported });
            reported = now;
          },
          onCancel: (cancel) => token.onCancellationRequested(cancel),
        });
      },
    );
    if (answer.outcome === 'failed') void vscode.window.showErrorMessage(`${title}: ${answer.error ?? 'failed'}`);
    else if (answer.outcome === 'written') void vscode.window.showInformationMessage(answer.messages.at(-1) ?? `${title}: done.`);
  };
  command('quelvane.extractAll', folderJob('Extract all', 'extract'));
  command('quelvane.saveSourcesAsProject', folderJob('Save sources as project', 'sources'));
  command('quelvane.checkSaveFile', async (uri) => {
    const on = target(provider, uri) ?? (await saveFileAsked());
    if (!on) return;
    const report = checkReport(await provider.core(), on.file, on.pair);
    const shown = await vscode.workspace.openTextDocument({ content: `Check save file\n${report}\n`, language: 'plaintext' });
    await vscode.window.showTextDocument(shown, { preview: true });
  });
  return { provider };
}

export function deactivate() {}
