// The webview in the browser's extension host: the page itself with its own worker and job
// clients (its core in a worker of the webview), the editor's document handed over as bytes and
// opened as a file chosen. The host may ask for one of the page's buttons: it is pressed once
// enabled, when the save is open. The Options the host kept are restored first, and each time
// the Options dialog is confirmed (once the page has stored them) they go to the host to keep.
import './options';
import '../../web/src/main';
import { keptOptions } from './options';
import { fromHost, toHost } from './vscodeapi';

const PRESS_WAIT_MS = 60000;

function press(caption: string): void {
  const started = Date.now();
  const tryPress = () => {
    const button = [...document.querySelectorAll('button')].find((b) => b.textContent === caption);
    if (button && !button.disabled) button.click();
    else if (Date.now() - started < PRESS_WAIT_MS) setTimeout(tryPress, 100);
  };
  tryPress();
}

fromHost((message) => {
  if (!('kind' in message)) return;
  if (message.kind === 'press') press(message.caption);
  if (message.kind !== 'document' || !('bytes' in message)) return;
  const input = document.getElementById('file') as HTMLInputElement;
  const chosen = new DataTransfer();
  chosen.items.add(new File([message.bytes as BlobPart], message.name));
  input.files = chosen.files;
  input.dispatchEvent(new Event('change'));
});
document.addEventListener('click', (event) => {
  const clicked = event.target as HTMLElement;
  if (clicked.closest('dialog.options') && clicked.textContent === 'Confirm') toHost({ kind: 'options', options: keptOptions() });
});
toHost({ kind: 'ready' });
