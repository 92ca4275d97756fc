// Messages between the page and its worker: each request carries an id its answer repeats.
export type Request =
  | { id: number; kind: 'open'; file: File; ebcdic: number; pc: number }
  | { id: number; kind: 'show'; node: NodeAddress }
  | { id: number; kind: 'more'; slots: number }
  | { id: number; kind: 'rows'; first: number; count: number };

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
  ifsPath?: string;
  children: TreeNode[];
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
  // A member's listing: slots read of its record count.
  slotsRead?: number;
  recordCount?: number;
}

export interface Row {
  caption: string;
  recordless?: boolean;
  cells: string[];
}

export interface Answer {
  id: number;
  // The bridge's answer as it gave it: an `error` holds the core's message.
  answer: Record<string, unknown>;
}
