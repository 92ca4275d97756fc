// A job in its own worker: opens the page's File afresh (read in place, as the browsing worker
// reads it), runs one export, batch, extraction or source project, and posts the files to the
// page as they are written (deflated for a zip); or compares it with a second File and hands
// back the comparison.
import { fileReader } from '../../bridge/quelvane.mjs';
import type { Comparison } from './comparison';
import type { JobAnswer, JobMessage, JobRequest } from './jobprotocol';
import { postingSink, type Sink } from './jobsink';
import { stemOf } from './zip';

// Progress is posted at most this often; the module asks far more often.
const PROGRESS_INTERVAL_MS = 100;

type Post = (message: JobMessage, transfer?: Transferable[]) => void;

interface BridgeAnswer {
  error?: string;
  outcome?: string;
  cancelled?: boolean;
  failures?: string[];
  messages?: string[];
  files?: string[];
  name?: string;
}

function failed(error: string, messages: string[] = []): JobAnswer {
  return { outcome: 'failed', files: [], messages, error };
}

// The files came before the answer; the page puts them in one .zip named `zipName` when given.
function delivered(messages: string[], zipName: string | null): JobAnswer {
  return zipName === null ? { outcome: 'written', files: [], messages } : { outcome: 'written', files: [], messages, zip: zipName };
}

// The save against `other`, opened by the same pair as the save; progress in objects compared.
function compare(
  // eslint-disable-next-line @typescript-eslint/no-explicit-any
  save: any,
  request: JobRequest,
  other: File,
  withDates: boolean,
  onProgress: (done: number, total: number) => boolean,
): JobAnswer {
  const { ebcdic, pc, byCcsid } = request;
  const after = save.quelvane.open(fileReader(other), { ebcdic, pc, byCcsid, name: other.name });
  if (typeof after.tree !== 'function') {
    return failed(`${other.name} cannot be read as a save file: ${after.error ?? after.stop ?? ''}`, after.messages);
  }
  try {
    const comparison: Comparison = save.compareWith(after, { withDates, onProgress });
    if (comparison.error) return failed(comparison.error);
    // A held save is named as quelvane-cli compare names it: the file, then each node inward.
    const inner = (request.inner ?? []).map((node) => ` (${node.parent}/${node.index})`).join('');
    comparison.before = `${request.file.name}${inner}`;
    return { outcome: 'compared', files: [], messages: [], comparison };
  } finally {
    after.close();
  }
}

// The source members as a project, said as quelvane-cli sources says what it could not write.
function sourceProject(
  // eslint-disable-next-line @typescript-eslint/no-explicit-any
  save: any,
  request: JobRequest,
  sink: Sink,
  onProgress: (done: number, total: number) => boolean,
): JobAnswer {
  const zipped = request.job.what === 'sources' && request.job.delivery === 'zip';
  const got: BridgeAnswer & { members?: number; notes?: string[] } = save.sourceProject({ onProgress, sink });
  const files = got.files ?? [];
  if (got.error) return failed(got.error, got.messages);
  if (got.cancelled) return { outcome: 'cancelled', files: [], messages: [] };
  if (!got.members) return failed('The save holds no source members: there is no project to save.', got.messages);
  const members = got.members === 1 ? '1 source member' : `${got.members} source members`;
  const messages = [...(got.messages ?? []), ...(got.failures ?? []), ...(got.notes ?? []).map((n) => `note: ${n}`),
    `Save sources as project...: ${members} in ${files.length} files.`];
  return delivered(messages, zipped ? `${stemOf(request.file.name)}_sources.zip` : null);
}

// eslint-disable-next-line @typescript-eslint/no-explicit-any
function work(save: any, request: JobRequest, sink: Sink, onProgress: (done: number, total: number) => boolean): JobAnswer {
  const { job } = request;
  if (job.what === 'export') {
    const { splitter, encoding } = job;
    const got: BridgeAnswer = save.exportMember(job.node, job.format, { splitter, encoding, onProgress, sink });
    if (got.error) return failed(got.error, got.messages);
    if (got.outcome !== 'written' || !got.name) return { outcome: 'cancelled', files: [], messages: [] };
    return { outcome: 'written', files: [], messages: got.messages ?? [] };
  }
  if (job.what === 'compare') return compare(save, request, job.other, job.withDates, onProgress);
  if (job.what === 'batch') {
    const { splitter, encoding } = job;
    const got: BridgeAnswer = save.exportBatch(job.node, job.format, { splitter, encoding, onProgress, sink });
    if (got.error) return failed(got.error, got.messages);
    if (got.outcome === 'cancelled') return { outcome: 'cancelled', files: [], messages: [] };
    // A batch in which a writer failed wrote some members only: it is not offered as done.
    if (got.outcome !== 'written') return failed('the batch export failed', got.messages);
    const { level, index, parent, grandparent } = job.node;
    const [part, at] = level === 3 ? [grandparent, parent] : [parent, index];
    const object: string = save.tree().roots[0]?.children[part]?.children[at]?.caption ?? '';
    const name = `${stemOf(request.file.name)}_${object.split('(')[0].trim() || 'members'}.zip`;
    return delivered(got.messages ?? [], job.delivery === 'zip' ? name : null);
  }
  if (job.what === 'sources') return sourceProject(save, request, sink, onProgress);
  const got: BridgeAnswer = save.extract({ onProgress, sink });
  if (got.error) return failed(got.error, got.messages);
  if (got.cancelled) return { outcome: 'cancelled', files: [], messages: [] };
  // What could not be extracted is said, as quelvane-cli extract says it; the rest is whole.
  const messages = [...(got.messages ?? []), ...(got.failures ?? [])];
  return delivered(messages, job.delivery === 'zip' ? `${stemOf(request.file.name)}.zip` : null);
}

// eslint-disable-next-line @typescript-eslint/no-explicit-any
export function runJob(quelvane: any, request: JobRequest, post: Post): JobAnswer {
  const { ebcdic, pc, byCcsid } = request;
  let save = quelvane.open(fileReader(request.file), { ebcdic, pc, byCcsid, name: request.file.name });
  for (const node of request.inner ?? []) {
    if (typeof save.tree !== 'function') break;
    const held = save.openHeld(node);
    save.close();
    save = held;
  }
  if (typeof save.tree !== 'function') return failed(save.error ?? 'the save file could not be opened', save.messages);
  let posted = 0;
  const onProgress = (done: number, total: number): boolean => {
    const now = Date.now();
    if (now - posted >= PROGRESS_INTERVAL_MS) {
      posted = now;
      post({ id: request.id, progress: { done, total } });
    }
    return false;
  };
  const { job } = request;
  const zipped = job.what !== 'export' && job.what !== 'compare' && job.delivery === 'zip';
  try {
    return work(save, request, postingSink(request.id, post, zipped), onProgress);
  } finally {
    save.close();
  }
}
