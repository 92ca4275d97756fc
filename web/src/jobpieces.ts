// What a job's worker posts of its files, put together on the page's side.
import type { JobAnswer, JobMessage, NamedBlob } from './jobprotocol';
import { type ZipEntry, zipBlob } from './zip';

// The files of one job as their pieces come from its worker: each kept as the Blob of its pieces.
export class JobPieces {
  private readonly open = new Map<number, Blob[]>();
  readonly files: ZipEntry[] = [];

  take(message: JobMessage): boolean {
    if ('piece' in message) {
      const { file, blob } = message.piece;
      const pieces = this.open.get(file) ?? [];
      pieces.push(blob);
      this.open.set(file, pieces);
    } else if ('ended' in message) {
      const { file, name, crc, size } = message.ended;
      this.files.push({ name, blob: new Blob(this.open.get(file) ?? [], { type: 'application/octet-stream' }), crc, size });
      this.open.delete(file);
    } else if ('dropped' in message) {
      this.open.delete(message.dropped);
    } else {
      return false;
    }
    return true;
  }

  // The answer with the files it made: whole, or in one .zip when it names one.
  answered(answer: JobAnswer): JobAnswer {
    if (answer.outcome !== 'written') return answer;
    const plain: NamedBlob[] = this.files.map(({ name, blob }) => ({ name, blob }));
    if (answer.zip === undefined) return { ...answer, files: plain };
    try {
      return { ...answer, files: [{ name: answer.zip, blob: zipBlob(this.files) }] };
    } catch (failure) {
      return { outcome: 'failed', files: [], messages: answer.messages, error: String(failure) };
    }
  }
}
