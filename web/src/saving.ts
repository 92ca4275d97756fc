// Where a file the page made goes: the browser's download of it, by its name without folders.
import type { NamedBlob } from './jobprotocol';

export function saveFile(file: NamedBlob): void {
  const url = URL.createObjectURL(file.blob);
  const link = document.createElement('a');
  link.href = url;
  link.download = file.name.replace(/^.*\//, '');
  link.click();
  setTimeout(() => URL.revokeObjectURL(url), 60000);
}
