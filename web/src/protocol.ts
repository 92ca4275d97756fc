// Messages between the page and its worker: each request carries an id its answer repeats.
// The worker holds every save opened (one per tab) by a number; `use` names the one the
// requests without a `save` of their own are about.
export type Request =
  | { id: number; kind: 'open'; file: File; ebcdic: number; pc: number; byCcsid: boolean }
  // Read by the pair the save's own texts suggest (else 37/1252): nothing is stored yet.
  | { id: number; kind: 'open'; file: File; suggest: true; byCcsid: boolean }
  | { id: number; kind: 'openHeld'; node: NodeAddress }
  | { id: number; kind: 'use'; save: number }
  | { id: number; kind: 'close'; save: number }
  | { id: number; kind: 'codePages' }
  // The compiled module, for a job's worker.
  | { id: number; kind: 'module' }
  | { id: number; kind: 'show'; node: NodeAddress }
  // The stored data of an object as hex-dump lines, listed in place of what it shows.
  | { id: number; kind: 'bytes'; node: NodeAddress }
  // The tree of the save a save-file object holds, read and closed again.
  | { id: number; kind: 'peekHeld'; node: NodeAddress }
  | { id: number; kind: 'more'; slots: number }
  | { id: number; kind: 'rows'; first: number; count: number }
  | { id: number; kind: 'objects' }
  | { id: number; kind: 'objectText'; order: number[] }
  | { id: number; kind: 'check' };

export interface NodeAddress {
  level: number;
  index: number;
  parent: number;
  grandparent: number;
  ifsPath?: string;
}

export interface TreeNode {
  caption: string;
  image: number;
  details?: string;
  // An object's or member's text, given when the save is read by stored CCSID.
  text?: string;
  ifsPath?: string;
  children: TreeNode[];
}

export interface PagePair {
  ebcdic: number;
  pc: number;
}

export interface Opened {
  error?: string;
  outcome?: string;
  messages?: string[];
  // The pair the save is read by, and the one its texts suggest.
  pair?: PagePair & { byCcsid: boolean };
  suggested?: PagePair;
  // Where the catalog's walk stopped: "complete", or "stopped at block N: why".
  stop?: string;
  // What the save was read past: the notes of damage read past or found.
  damage?: string[];
  // Said where the records are read by a pair that reads most of the save's fields otherwise.
  pairNote?: string;
  tree?: { roots: TreeNode[] };
  // The worker's number of the save, when it opened.
  save?: number;
}

export interface Column {
  caption: string;
  width: number;
  alignment: 'left' | 'right';
}

export interface Shown {
  error?: string;
  title?: string;
  summary?: string;
  columns: Column[];
  rowCount: number;
  listing: 'more' | 'complete';
  messages: string[];
  exportable?: boolean;
  batch?: boolean;
  // The object at an object node: its type (a file's attribute), whether it is a save file, and
  // whether the program reads what it holds.
  object?: { type: string; file: boolean; saveFile: boolean; described: boolean };
  // A member's listing: slots read of its record count.
  slotsRead?: number;
  recordCount?: number;
}

export interface Row {
  caption: string;
  recordless?: boolean;
  cells: string[];
}

export interface CodePages {
  host: { page: number; text: string; pc?: number }[];
  pc: { page: number; text: string }[];
  defaultHost: number;
  defaultPc: number;
}

export interface ObjectListData {
  error?: string;
  lines: string[];
  headerLines: string[];
  captions: string[];
  numeric: boolean[];
  rows: string[][];
}

export interface HeldPeek {
  error?: string;
  messages?: string[];
  tree?: { roots: TreeNode[] };
}

export interface Lines {
  error?: string;
  lines: string[];
}

export interface Answer {
  id: number;
  // The bridge's answer as it gave it: an `error` holds the core's message.
  answer: Record<string, unknown>;
}
