// The webview's one handle on its host, which VS Code hands out once per webview.
import type { ToHost, ToWebview } from '../src/messages';

interface VsCodeApi {
  postMessage(message: ToHost): void;
}

declare function acquireVsCodeApi(): VsCodeApi;

const api = acquireVsCodeApi();
type Listener = (message: ToWebview) => void;
const listeners: Listener[] = [];
window.addEventListener('message', (event: MessageEvent<ToWebview>) => listeners.forEach((listen) => listen(event.data)));

export function toHost(message: ToHost): void {
  api.postMessage(message);
}

export function fromHost(listener: Listener): void {
  listeners.push(listener);
}

let nextId = 1;

export function newId(): number {
  return nextId++;
}
