// Two saves compared, as the core answers (quelvane-cli compare --json), and the lines the page
// shows for each thing that differs: the same lines the command's text report prints.
export type ChangeKind = 'added' | 'removed' | 'changed';

export interface ValueChange {
  what: string;
  before: string;
  after: string;
}

export interface Hunk {
  header: string;
  // Each line with its mark: ' ', '-' or '+'.
  lines: string[];
}

export interface LineComparison {
  added: number;
  removed: number;
  hunks: Hunk[];
}

export interface MemberComparison {
  name: string;
  change: ChangeKind;
  node?: string;
  // The save the node is in: the after save's, or the before save's for what was removed.
  in?: 'before' | 'after';
  changes?: ValueChange[];
  source?: boolean;
  contentDiffers?: boolean;
  unread?: string;
  lines?: LineComparison;
  records?: { added: number; removed: number; changed: number; first: { record: number; fields: ValueChange[] }[] };
}

export interface ObjectComparison {
  library: string;
  name: string;
  type: string;
  change: ChangeKind;
  node?: string;
  in?: 'before' | 'after';
  changes?: ValueChange[];
  dataDiffers?: boolean;
  format?: ValueChange[];
  fields?: { name: string; change: ChangeKind; changes: ValueChange[] }[];
  description?: LineComparison;
  members?: MemberComparison[];
  unread?: string[];
}

export interface EntryComparison {
  path: string;
  change: ChangeKind;
  changes?: ValueChange[];
  contentDiffers?: boolean;
}

export interface Comparison {
  error?: string;
  before: string;
  after: string;
  same: boolean;
  differentKinds: boolean;
  libraries: ValueChange[];
  summary: { text: string };
  save: ValueChange[];
  objects: ObjectComparison[];
  entries: EntryComparison[];
  unread: string[];
}

const shown = (value: string) => (value === '' ? '(none)' : `"${value}"`);
// Each change as "what old -> new", for the tree beside its node.
const values = (changes: ValueChange[] | undefined) => (changes ?? []).map((c) => `${c.what} ${shown(c.before)} -> ${shown(c.after)}`);

export function changeLine(change: ValueChange, indent = ''): string {
  return `${indent}${change.what}: ${shown(change.before)} -> ${shown(change.after)}`;
}

function changeLines(changes: ValueChange[] | undefined, indent: string): string[] {
  return (changes ?? []).map((change) => changeLine(change, indent));
}

function diffLines(lines: LineComparison | undefined, indent: string): string[] {
  return (lines?.hunks ?? []).flatMap((hunk) => [indent + hunk.header, ...hunk.lines.map((line) => indent + line)]);
}

export function lineCounts(lines: LineComparison | undefined): string {
  return `+${lines?.added ?? 0} -${lines?.removed ?? 0} lines`;
}

const where = (change: ChangeKind, node: string | undefined) =>
  node === undefined ? '' : `  [${change === 'removed' ? 'before ' : ''}${node}]`;

export function objectName(object: ObjectComparison): string {
  return `${object.library}/${object.name}(${object.type})`;
}

export function memberLines(member: MemberComparison): string[] {
  let head = `member ${member.name} ${member.change}${where(member.change, member.node)}`;
  if (member.source && member.contentDiffers && !member.unread) head += ` (${lineCounts(member.lines)})`;
  const out = [head, ...changeLines(member.changes, '  ')];
  if (member.unread) return [...out, `  content could not be compared: ${member.unread}`];
  if (member.source) return [...out, ...diffLines(member.lines, '')];
  const records = member.records;
  if (member.contentDiffers && records) {
    out.push(`  records: ${records.added} added, ${records.removed} removed, ${records.changed} changed`);
  }
  for (const record of records?.first ?? []) {
    out.push(`  record ${record.record}:`, ...changeLines(record.fields, '    '));
  }
  return out;
}

export function objectLines(object: ObjectComparison): string[] {
  const out = [`${objectName(object)} ${object.change}${where(object.change, object.node)}`];
  out.push(...changeLines(object.changes, '  '));
  if (object.dataDiffers) out.push('  data differs');
  out.push(...changeLines(object.format, '  '));
  for (const field of object.fields ?? []) {
    out.push(`  field ${field.name} ${field.change}`, ...changeLines(field.changes, '    '));
  }
  const description = object.description;
  if (description && (description.added > 0 || description.removed > 0)) {
    out.push(`  description (${lineCounts(description)})`, ...diffLines(description, '    '));
  }
  for (const member of object.members ?? []) {
    out.push(`  member ${member.name} ${memberChange(member)}`);
  }
  out.push(...(object.unread ?? []).map((unread) => `  not read: ${unread}`));
  return out;
}

export function entryLines(entry: EntryComparison): string[] {
  return [`${entry.path} ${entry.change}`, ...changeLines(entry.changes, '  '), ...(entry.contentDiffers ? ['  content differs'] : [])];
}

export function saveLines(comparison: Comparison): string[] {
  return ['Save', ...changeLines(comparison.save, '  ')];
}

// What the tree says beside a member: the kind of change and what of its content differs.
export function memberChange(member: MemberComparison): string {
  if (member.unread) return `${member.change}, content not read`;
  if (member.source && member.contentDiffers) return `${member.change}, ${lineCounts(member.lines)}`;
  const records = member.records;
  if (member.contentDiffers && records) {
    return `${member.change}, records: ${records.added} added, ${records.removed} removed, ${records.changed} changed`;
  }
  return [member.change, ...values(member.changes)].join(', ');
}

// What the tree says beside an object: the kind of change, each value with its old and new.
export function objectChange(object: ObjectComparison): string {
  const parts: string[] = [object.change, ...values(object.changes)];
  if ((object.format ?? []).length > 0) parts.push('record format');
  if ((object.fields ?? []).length > 0) parts.push(`${object.fields?.length} fields`);
  if (object.dataDiffers) parts.push('data differs');
  if ((object.members ?? []).length > 0) parts.push(`${object.members?.length} members`);
  return parts.join(', ');
}

export function entryChange(entry: EntryComparison): string {
  return [entry.change, ...values(entry.changes), ...(entry.contentDiffers ? ['content differs'] : [])].join(', ');
}

export function saveChange(comparison: Comparison): string {
  return ['changed', ...values(comparison.save)].join(', ');
}

// The lines said above the tree: the libraries when they differ, the summary, what was not read.
export function headLines(comparison: Comparison): string[] {
  return [
    ...comparison.libraries.map((l) => `The saves are of different libraries: ${l.before} and ${l.after}`),
    comparison.summary.text,
    ...comparison.unread.map((unread) => `Not read: ${unread}`),
  ];
}
