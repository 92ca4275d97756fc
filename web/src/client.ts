// The page's side of the worker: one promise per request, answered in order.
import type { Answer, Request } from './protocol';

type Pending = (answer: Record<string, unknown>) => void;
type Unsent = Request extends infer R ? (R extends Request ? Omit<R, 'id'> : never) : never;

export class WorkerClient {
  private readonly worker: Worker;
  private readonly pending = new Map<number, Pending>();
  private nextId = 1;

  constructor(source: string) {
    this.worker = new Worker(URL.createObjectURL(new Blob([source], { type: 'text/javascript' })));
    this.worker.onmessage = (event: MessageEvent<Answer>) => {
      const done = this.pending.get(event.data.id);
      this.pending.delete(event.data.id);
      if (done) done(event.data.answer);
    };
  }

  ask<T>(request: Unsent): Promise<T> {
    const id = this.nextId++;
    return new Promise<T>((resolve) => {
      this.pending.set(id, (answer) => resolve(answer as T));
      this.worker.postMessage({ ...request, id });
    });
  }
}
