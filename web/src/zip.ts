// One .zip of named files put together from Blobs: each file's data came deflated piece by piece
// (with its CRC-32 and size counted on the way), and only the headers around it are made here,
// so the archive is never held whole in the page. Names keep their folders ("a/b.csv") and are
// marked UTF-8. Without ZIP64 an archive holds at most 65 535 files and 4 GiB.
import type { NamedBlob } from './jobprotocol';

export interface ZipEntry extends NamedBlob {
  // The file's CRC-32 and size before deflating; `blob` holds its raw deflate stream.
  crc: number;
  size: number;
}

const LIMIT = 0xffffffff;
const UTF8_NAMES = 0x0800;
const DEFLATED = 8;
const VERSION = 20;

// The MS-DOS time and date zip headers hold.
function dosStamp(when: Date): [number, number] {
  const time = (when.getHours() << 11) | (when.getMinutes() << 5) | (when.getSeconds() >> 1);
  const date = ((Math.max(when.getFullYear(), 1980) - 1980) << 9) | ((when.getMonth() + 1) << 5) | when.getDate();
  return [time, date];
}

function header(size: number, fill: (view: DataView) => void): Uint8Array<ArrayBuffer> {
  const bytes = new Uint8Array(size);
  fill(new DataView(bytes.buffer));
  return bytes;
}

export function zipBlob(entries: ZipEntry[], when = new Date()): Blob {
  if (entries.length > 0xffff) throw new Error('more than 65 535 files do not fit in one .zip');
  const [time, date] = dosStamp(when);
  const parts: BlobPart[] = [];
  const central: Uint8Array<ArrayBuffer>[] = [];
  let offset = 0;
  for (const entry of entries) {
    const name = new TextEncoder().encode(entry.name) as Uint8Array<ArrayBuffer>;
    const packed = entry.blob.size;
    if (packed > LIMIT || entry.size > LIMIT || offset > LIMIT) throw new Error(`${entry.name} is too large for a .zip`);
    // The fields a local header shares with the central one, from "version needed" on.
    const common = (view: DataView, at: number) => {
      view.setUint16(at, VERSION, true);
      view.setUint16(at + 2, UTF8_NAMES, true);
      view.setUint16(at + 4, DEFLATED, true);
      view.setUint16(at + 6, time, true);
      view.setUint16(at + 8, date, true);
      view.setUint32(at + 10, entry.crc, true);
      view.setUint32(at + 14, packed, true);
      view.setUint32(at + 18, entry.size, true);
      view.setUint16(at + 22, name.length, true);
    };
    const local = header(30 + name.length, (view) => {
      view.setUint32(0, 0x04034b50, true);
      common(view, 4);
    });
    local.set(name, 30);
    central.push(header(46 + name.length, (view) => {
      view.setUint32(0, 0x02014b50, true);
      view.setUint16(4, VERSION, true);
      common(view, 6);
      view.setUint32(42, offset, true);
    }));
    central[central.length - 1].set(name, 46);
    parts.push(local, entry.blob);
    offset += local.length + packed;
  }
  const size = central.reduce((sum, part) => sum + part.length, 0);
  if (offset > LIMIT) throw new Error('the files are too large for a .zip');
  const end = header(22, (view) => {
    view.setUint32(0, 0x06054b50, true);
    view.setUint16(8, entries.length, true);
    view.setUint16(10, entries.length, true);
    view.setUint32(12, size, true);
    view.setUint32(16, offset, true);
  });
  return new Blob([...parts, ...central, end], { type: 'application/zip' });
}

// "NAME.SAVF" -> "NAME": the stem that names an archive made from a file.
export function stemOf(name: string): string {
  const base = name.replace(/^.*[\\/]/, '');
  const dot = base.lastIndexOf('.');
  return dot > 0 ? base.slice(0, dot) : base || 'quelvane';
}
