// Where a file the page made goes: the browser's download of it, by its name without folders.
import type { NamedBytes } from './jobprotocol';

export function saveFile(file: NamedBytes): void {
  const url = URL.createObjectURL(new Blob([file.bytes as BlobPart], { type: 'application/octet-stream' }));
  const link = document.createElement('a');
  link.href = url;
  link.download = file.name.replace(/^.*\//, '');
  link.click();
  setTimeout(() => URL.revokeObjectURL(url), 60000);
}
