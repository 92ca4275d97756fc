// Stands in for the page's download where the core runs in the webview (vscode.dev): the file
// goes back to the extension, which asks where to save it through VS Code's save dialog.
import type { NamedBytes } from '../../web/src/jobprotocol';
import { askHost } from './hostask';

export function saveFile(file: NamedBytes): void {
  void askHost('saveFile', { name: file.name.replace(/^.*\//, ''), bytes: file.bytes });
}
