// Quelvane in the browser's extension host (vscode.dev): the same editors and commands, the core
// running in each editor's webview over the document's bytes. Nothing here needs Node.
import * as vscode from 'vscode';
import { BytesEditorProvider, type WebEditor } from './webprovider';

export const VIEW_TYPES = ['quelvane.saveFile', 'quelvane.anyFile'];

// The editor a command runs in: the one on the file chosen in the explorer (opened if need be),
// else the one active, else one on a file asked for.
async function editorFor(provider: BytesEditorProvider, uri: unknown): Promise<WebEditor | null> {
  let chosen = uri instanceof vscode.Uri ? uri : null;
  if (!chosen && provider.active) return provider.active;
  if (!chosen) {
    const asked = await vscode.window.showOpenDialog({ canSelectMany: false, filters: { 'Save files': ['savf', 'SAVF'], 'All files': ['*'] } });
    chosen = asked?.[0] ?? null;
  }
  if (!chosen) return null;
  if (provider.active?.document.uri.toString() === chosen.toString()) return provider.active;
  const resolved = provider.resolvedFor(chosen);
  await vscode.commands.executeCommand('vscode.openWith', chosen, 'quelvane.anyFile');
  return resolved;
}

export function activate(context: vscode.ExtensionContext) {
  const provider = new BytesEditorProvider(context.extensionUri, context.globalState);
  for (const viewType of VIEW_TYPES) {
    context.subscriptions.push(
      vscode.window.registerCustomEditorProvider(viewType, provider, {
        supportsMultipleEditorsPerDocument: true,
        webviewOptions: { retainContextWhenHidden: true },
      }),
    );
  }
  // Each command is the page's own button in the editor, pressed once its save is open: the
  // check report shows in the page, extraction and the project come as its .zip.
  const pressing = (name: string, caption: string) =>
    context.subscriptions.push(vscode.commands.registerCommand(name, async (uri: unknown) => (await editorFor(provider, uri))?.press(caption)));
  pressing('quelvane.checkSaveFile', 'Check save file');
  pressing('quelvane.extractAll', 'Extract all...');
  pressing('quelvane.saveSourcesAsProject', 'Save sources as project...');
  return { provider };
}

export function deactivate() {}
