// Stands in for the page's worker client in the webview: the same requests, answered by the
// extension host, which holds the core and reads the document in place.
import type { Request } from '../../web/src/protocol';
import { keptOptions } from './options';
import { fromHost, newId, toHost } from './vscodeapi';

type Pending = (answer: Record<string, unknown>) => void;
type Unsent = Request extends infer R ? (R extends Request ? Omit<R, 'id'> : never) : never;

const pending = new Map<number, Pending>();
fromHost((message) => {
  if (!('id' in message) || !('answer' in message)) return;
  const done = pending.get(message.id);
  pending.delete(message.id);
  if (done) done(message.answer as Record<string, unknown>);
});

export class WorkerClient {
  // The page hands over its worker's script; the host needs none.
  constructor(_source: string) {}

  ask<T>(request: Unsent): Promise<T> {
    const id = newId();
    // A File cannot cross to the host, nor need it: the host has the document open.
    const { file: _file, ...sent } = request as Unsent & { file?: File };
    return new Promise<T>((resolve) => {
      pending.set(id, (answer) => resolve(answer as T));
      // An open by a pair follows the Options confirmed: the host keeps them for other editors.
      const options = sent.kind === 'open' && !('suggest' in sent) ? { options: keptOptions() } : {};
      toHost({ ...sent, ...options, id });
    });
  }
}
