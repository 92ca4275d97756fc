// The sink a job's worker hands the module: each piece of a file is posted to the page as it is
// written, as a Blob made straight from the module's memory (the browser holds its bytes, and no
// copy is left behind for the collector), so no file is ever held whole in the worker or page. For a
// .zip the pieces are deflated on the way and the file's CRC-32 and size counted, which is all
// the page needs to put the archive together around them.
import { Deflate } from 'fflate';
import type { JobMessage } from './jobprotocol';

type Post = (message: JobMessage) => void;

const CRC_TABLE = (() => {
  const table = new Int32Array(256);
  for (let n = 0; n < 256; n += 1) {
    let c = n;
    for (let k = 0; k < 8; k += 1) c = c & 1 ? 0xedb88320 ^ (c >>> 1) : c >>> 1;
    table[n] = c;
  }
  return table;
})();

// The CRC-32 (as zip files hold it) of `bytes` continuing from `crc` (0 to begin).
export function crc32(crc: number, bytes: Uint8Array): number {
  let c = ~crc;
  for (let i = 0; i < bytes.length; i += 1) c = CRC_TABLE[(c ^ bytes[i]) & 0xff] ^ (c >>> 8);
  return ~c >>> 0;
}

interface Open {
  crc: number;
  size: number;
  deflate: Deflate | null;
}

export interface Sink {
  begin(): number;
  write(token: number, bytes: Uint8Array): void;
  end(token: number, name: string): void;
  drop(token: number): void;
}

export function postingSink(id: number, post: Post, zipped: boolean): Sink {
  const open = new Map<number, Open>();
  let next = 1;
  const piece = (file: number, bytes: Uint8Array) => post({ id, piece: { file, blob: new Blob([bytes as BlobPart]) } });
  return {
    begin() {
      const file = next++;
      const deflate = zipped ? new Deflate({ level: 6 }, (chunk) => piece(file, chunk)) : null;
      open.set(file, { crc: 0, size: 0, deflate });
      return file;
    },
    write(file, bytes) {
      const state = open.get(file) as Open;
      if (state.deflate === null) {
        piece(file, bytes);
        return;
      }
      state.crc = crc32(state.crc, bytes);
      state.size += bytes.length;
      state.deflate.push(bytes);
    },
    end(file, name) {
      const state = open.get(file) as Open;
      open.delete(file);
      state.deflate?.push(new Uint8Array(0), true);
      post({ id, ended: { file, name, crc: state.crc, size: state.size } });
    },
    drop(file) {
      open.delete(file);
      post({ id, dropped: file });
    },
  };
}
