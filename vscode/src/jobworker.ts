// A job in a worker thread of the extension host, with a module of its own instantiated from the
// host's compiled one: the export, batch or extraction runs there so the host stays free, reports
// progress, and is ended on Cancel. Each file is written as it is made into the folder of parts
// the host gave (nothing of it held in memory); the host moves them where the user chose.
import fs from 'node:fs';
import { parentPort, workerData } from 'node:worker_threads';
import { nodeFolderSink } from '../../bridge/quelvane.mjs';
import type { Job } from '../../web/src/jobprotocol';
import { isSave, openSave, type Pair, startCore } from './core';
import type { NamedPart } from './writing';

export interface WorkerJob {
  dist: string;
  file: string;
  pair: Pair | null;
  job: Job;
  // The host's compiled module, and the folder the files are written into as parts.
  compiled: WebAssembly.Module;
  parts: string;
}

export interface WorkerAnswer {
  error?: string;
  cancelled?: boolean;
  files: NamedPart[];
  messages: string[];
}

const PROGRESS_INTERVAL_MS = 100;

// eslint-disable-next-line @typescript-eslint/no-explicit-any
function work(save: any, job: Job, parts: string, onProgress: (done: number, total: number) => boolean): WorkerAnswer {
  const sink = nodeFolderSink(fs, parts);
  const { files } = sink;
  if (job.what === 'export' || job.what === 'batch') {
    const options = { splitter: job.splitter, encoding: job.encoding, onProgress, sink };
    const got = job.what === 'export' ? save.exportMember(job.node, job.format, options) : save.exportBatch(job.node, job.format, options);
    if (got.error) return { error: got.error, files: [], messages: got.messages ?? [] };
    if (got.outcome !== 'written') return { error: `the ${job.what === 'export' ? 'export' : 'batch export'} failed`, files: [], messages: got.messages ?? [] };
    return { files, messages: got.messages ?? [] };
  }
  if (job.what === 'sources') {
    const made = save.sourceProject({ onProgress, sink });
    if (made.error) return { error: made.error, files: [], messages: made.messages ?? [] };
    if (!made.members) return { error: 'The save holds no source members: there is no project to save.', files: [], messages: made.messages ?? [] };
    const members = made.members === 1 ? '1 source member' : `${made.members} source members`;
    const notes = (made.notes ?? []).map((note: string) => `note: ${note}`);
    return { files, messages: [...(made.messages ?? []), ...(made.failures ?? []), ...notes, `Save sources as project...: ${members} in ${files.length} files.`] };
  }
  const got = save.extract({ onProgress, sink });
  if (got.error) return { error: got.error, files: [], messages: got.messages ?? [] };
  // What could not be extracted is said, as quelvane-cli extract says it; the rest is whole.
  return { files, messages: [...(got.messages ?? []), ...(got.failures ?? [])] };
}

async function run({ dist, file, pair, job, compiled, parts }: WorkerJob): Promise<WorkerAnswer> {
  // Without a pair from an editor, as the page reads a save it was told nothing of: by the
  // CCSIDs the save stores, the rest by the pair its texts suggest.
  const save = openSave(await startCore(dist, compiled), file, pair ?? { suggest: true, byCcsid: true });
  if (!isSave(save)) return { error: save.error ?? 'the save file could not be opened', files: [], messages: save.messages ?? [] };
  let posted = 0;
  const onProgress = (done: number, total: number) => {
    const now = Date.now();
    if (now - posted >= PROGRESS_INTERVAL_MS) {
      posted = now;
      parentPort?.postMessage({ progress: { done, total } });
    }
    return false;
  };
  try {
    return work(save, job, parts, onProgress);
  } finally {
    save.close();
  }
}

if (parentPort) {
  run(workerData as WorkerJob).then(
    (answer) => parentPort?.postMessage({ answer }),
    (failure) => parentPort?.postMessage({ answer: { error: String(failure), files: [], messages: [] } }),
  );
}
