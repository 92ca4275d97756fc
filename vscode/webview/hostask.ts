// A question to the host that it answers by the question's id.
import { fromHost, newId, toHost } from './vscodeapi';

const pending = new Map<number, (answer: unknown) => void>();
fromHost((message) => {
  if (!('id' in message) || !('answer' in message)) return;
  const done = pending.get(message.id);
  pending.delete(message.id);
  done?.(message.answer);
});

export function askHost<T>(kind: string, fields: Record<string, unknown> = {}): Promise<T> {
  const id = newId();
  return new Promise<T>((resolve) => {
    pending.set(id, (answer) => resolve(answer as T));
    toHost({ ...fields, kind, id });
  });
}
