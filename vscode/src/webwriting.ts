// What the webview hands back where the core runs in it (vscode.dev): a file saved where the
// save dialog says, and files written into a folder chosen through the folder dialog, by names
// that cannot lead out of it, replacing files only once the user agrees. Through the workspace's
// file system alone: nothing here needs Node.
import * as vscode from 'vscode';

// A file as the webview hands it over, its bytes read from the page's Blob.
export interface NamedBytes {
  name: string;
  bytes: Uint8Array;
}

// Where `name` ("a/b.mbr") goes inside `folder`, or null when a part of it would lead out.
export function insideFolder(folder: vscode.Uri, name: string): vscode.Uri | null {
  const parts = name.split('/');
  const bad = (part: string) => part === '' || part === '.' || part === '..' || /[\\:\0]/.test(part);
  return parts.some(bad) ? null : vscode.Uri.joinPath(folder, ...parts);
}

async function exists(uri: vscode.Uri): Promise<boolean> {
  try {
    await vscode.workspace.fs.stat(uri);
    return true;
  } catch {
    return false;
  }
}

async function replaceAgreed(present: string[]): Promise<boolean> {
  const more = present.length > 10 ? `\n... and ${present.length - 10} more` : '';
  const chosen = await vscode.window.showWarningMessage(
    `${present.length} files of these names are in the folder and will be replaced:`,
    { modal: true, detail: `${present.slice(0, 10).join('\n')}${more}` },
    'Replace',
  );
  return chosen === 'Replace';
}

// The folders chosen in one editor, by number: the webview names a folder only by its number.
export class HostFolders {
  private readonly chosen = new Map<number, vscode.Uri>();
  private next = 1;

  constructor(private readonly near: vscode.Uri) {}

  async pick(): Promise<{ name: string; folder: number } | null> {
    const chosen = await vscode.window.showOpenDialog({
      canSelectFiles: false, canSelectFolders: true, canSelectMany: false, openLabel: 'Write here', defaultUri: this.near,
    });
    if (!chosen?.[0]) return null;
    const folder = this.next++;
    this.chosen.set(folder, chosen[0]);
    return { name: chosen[0].path.replace(/\/$/, '').replace(/^.*\//, ''), folder };
  }

  // An error to show, or null once every file is written.
  async write(folder: number, files: NamedBytes[]): Promise<string | null> {
    const root = this.chosen.get(folder);
    if (!root) return 'Nothing was written: no folder was chosen.';
    const targets: vscode.Uri[] = [];
    for (const file of files) {
      const target = insideFolder(root, file.name);
      if (target === null) return `Nothing was written: ${file.name} would be written outside the chosen folder.`;
      targets.push(target);
    }
    const present: string[] = [];
    for (const [at, target] of targets.entries()) if (await exists(target)) present.push(files[at].name);
    if (present.length > 0 && !(await replaceAgreed(present))) return 'Nothing was written: the folder holds files of the same names.';
    try {
      for (const [at, target] of targets.entries()) {
        if (files[at].name.includes('/')) await vscode.workspace.fs.createDirectory(vscode.Uri.joinPath(target, '..'));
        await vscode.workspace.fs.writeFile(target, files[at].bytes);
      }
    } catch (failure) {
      return `Writing into the folder failed: ${String(failure)}`;
    }
    return null;
  }
}

// A file saved where the user says, beside `near` to begin with; its place, or null when none was chosen.
export async function saveAs(near: vscode.Uri, file: NamedBytes): Promise<string | null> {
  const target = await vscode.window.showSaveDialog({ defaultUri: vscode.Uri.joinPath(near, file.name.replace(/^.*\//, '')) });
  if (!target) return null;
  await vscode.workspace.fs.writeFile(target, file.bytes);
  void vscode.window.showInformationMessage(`${file.name.replace(/^.*\//, '')} was written to ${target.path}.`);
  return target.toString();
}
