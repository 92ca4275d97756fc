// Long jobs (exports, batches, extraction, sources as a project, a comparison) run in a worker of their own, which the page ends on
// Cancel: a worker busy in one call into the module cannot hear a message, and without
// cross-origin isolation (which a page opened from disk cannot have) no memory is shared to flag
// it through.
import type { Comparison } from './comparison';
import type { NodeAddress } from './protocol';

export type ExportFormat = 'txt' | 'doc' | 'xls';

// What a text export writes its characters in: the PC code page, or UTF-8, which keeps them all.
export type ExportEncoding = 'pc' | 'utf-8';

// Where a job's files go: one .zip to download, or handed back to be written into a folder.
export type Delivery = 'zip' | 'files';

export type Job =
  | { what: 'export'; node: NodeAddress; format: ExportFormat; splitter: boolean; encoding: ExportEncoding }
  | {
      what: 'batch';
      node: NodeAddress;
      format: ExportFormat;
      splitter: boolean;
      encoding: ExportEncoding;
      delivery: Delivery;
    }
  | { what: 'extract'; delivery: Delivery }
  // The source members as quelvane-cli sources FILE --to DIR writes them.
  | { what: 'sources'; delivery: Delivery }
  // The save against `other`, read by the same pair; source sequence numbers and dates compared
  // too with `withDates`.
  | { what: 'compare'; other: File; withDates: boolean };

export interface JobRequest {
  id: number;
  kind: 'job';
  file: File;
  ebcdic: number;
  pc: number;
  byCcsid: boolean;
  // A save held in the file, through the save-file objects at these nodes (a compare only).
  inner?: NodeAddress[];
  job: Job;
  // The module compiled already (by the browsing worker), for the job's worker to instantiate.
  compiled?: WebAssembly.Module;
}

// A file a job made, held by the browser as a Blob (not in the page's memory).
export interface NamedBlob {
  name: string;
  blob: Blob;
}

// How a job ended. Only 'written' carries files, and only whole ones; 'compared' carries the
// comparison. The worker's answer names no files: they came before it, piece by piece (below),
// and the page puts them together, in one .zip named `zip` when that is asked for.
export interface JobAnswer {
  outcome: 'written' | 'compared' | 'cancelled' | 'failed';
  files: NamedBlob[];
  messages: string[];
  error?: string;
  comparison?: Comparison;
  zip?: string;
}

// A file's end: its name, and for a .zip its CRC-32 and size (its pieces are then deflated).
export interface FileEnd {
  file: number;
  name: string;
  crc: number;
  size: number;
}

// While a job runs its worker posts the files as they are written: pieces of file `file`, in
// order, then the file's end, or that it was dropped (a temporary file, a cancelled one).
export type JobMessage =
  | { id: number; progress: { done: number; total: number } }
  | { id: number; compiles: number }
  | { id: number; piece: { file: number; blob: Blob } }
  | { id: number; ended: FileEnd }
  | { id: number; dropped: number }
  | { id: number; answer: JobAnswer };
