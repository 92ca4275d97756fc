// Messages between the webview and the extension host. The webview asks as the page asks its
// worker (the page's requests, with the File left out: the host reads the document in place) and
// runs jobs through the host; the host answers each by the request's id. In the browser's host
// the document comes as its bytes, and the host may press one of the page's buttons.
import type { Job, JobAnswer } from '../../web/src/jobprotocol';
import type { PagePair } from '../../web/src/protocol';

export interface HostJob {
  id: number;
  kind: 'job';
  pair: PagePair & { byCcsid: boolean };
  job: Job;
}

export type ToHost =
  | { id: number; kind: string; [field: string]: unknown }
  | HostJob
  | { kind: 'ready' }
  | { kind: 'options'; options: Record<string, string> };

export type ToWebview =
  | { kind: 'document'; name: string; bytes?: Uint8Array }
  | { kind: 'press'; caption: string }
  | { id: number; answer: Record<string, unknown> | JobAnswer }
  | { id: number; progress: { done: number; total: number } };
