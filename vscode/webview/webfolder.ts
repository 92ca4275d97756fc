// Stands in for the page's folder picker where the core runs in the webview (vscode.dev): the
// folder is chosen through VS Code's dialog and kept by the extension under a number; the files
// go back to the extension, which writes them only inside that folder and asks before replacing.
import type { NamedBlob } from '../../web/src/jobprotocol';
import { askHost } from './hostask';

// What the page holds of a chosen folder: its name to say, its number for the extension.
interface HostFolder {
  name: string;
  folder: number;
}

export function folderPicker(): () => Promise<HostFolder> {
  return async () => {
    const chosen = await askHost<HostFolder | null>('pickFolder');
    // The page takes a picker that throws as a choice not made.
    if (chosen === null) throw new Error('no folder was chosen');
    return chosen;
  };
}

// The page's agreement to replace is the extension's to ask, in VS Code's own dialog.
// The extension's side takes bytes: each Blob is read here.
export async function writeIntoFolder(root: HostFolder, files: NamedBlob[], _agree: unknown): Promise<string | null> {
  const named = await Promise.all(files.map(async ({ name, blob }) => ({ name, bytes: new Uint8Array(await blob.arrayBuffer()) })));
  return askHost<string | null>('writeFolder', { folder: root.folder, files: named });
}
