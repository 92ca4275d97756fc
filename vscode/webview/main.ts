// The webview: the page itself, its worker and job clients standing in for the host's messages
// (the build points the page's ./client, ./jobs and ./folder here), its Options restored first. The document the editor was
// opened on comes to the page as a file chosen: a name only, the host reads its bytes.
import './options';
import '../../web/src/main';
import { fromHost, toHost } from './vscodeapi';

fromHost((message) => {
  if (!('kind' in message) || message.kind !== 'document') return;
  const input = document.getElementById('file') as HTMLInputElement;
  const chosen = new DataTransfer();
  chosen.items.add(new File([], message.name));
  input.files = chosen.files;
  input.dispatchEvent(new Event('change'));
});
toHost({ kind: 'ready' });
