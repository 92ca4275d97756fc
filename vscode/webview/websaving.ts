// Stands in for the page's download where the core runs in the webview (vscode.dev): the file
// goes back to the extension, which asks where to save it through VS Code's save dialog.
// The extension's side takes bytes: the Blob is read here.
import type { NamedBlob } from '../../web/src/jobprotocol';
import { askHost } from './hostask';

export function saveFile(file: NamedBlob): void {
  void file.blob.arrayBuffer().then((bytes) =>
    askHost('saveFile', { name: file.name.replace(/^.*\//, ''), bytes: new Uint8Array(bytes) }));
}
