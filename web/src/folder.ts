// Files written straight into a folder the user picks, where the browser offers that (the File
// System Access API). Each file is written to the browser's side copy and takes its name only
// when closed whole; a run that fails part way removes what it wrote, so the folder never holds
// half an extraction that looks done. Files already there are replaced only once the user agrees.
import type { NamedBlob } from './jobprotocol';

type DirectoryPicker = (options: { mode: 'readwrite' }) => Promise<FileSystemDirectoryHandle>;

export function folderPicker(): DirectoryPicker | null {
  const picker = (window as unknown as { showDirectoryPicker?: DirectoryPicker }).showDirectoryPicker;
  return typeof picker === 'function' ? picker.bind(window) : null;
}

async function folderOf(root: FileSystemDirectoryHandle, name: string, create: boolean) {
  let folder = root;
  const parts = name.split('/');
  for (const part of parts.slice(0, -1)) folder = await folder.getDirectoryHandle(part, { create });
  return { folder, leaf: parts[parts.length - 1] };
}

async function exists(root: FileSystemDirectoryHandle, name: string): Promise<boolean> {
  try {
    const { folder, leaf } = await folderOf(root, name, false);
    await folder.getFileHandle(leaf);
    return true;
  } catch {
    return false;
  }
}

// Writes `files` below `root`; answers what it could not do, or null when all are written.
export async function writeIntoFolder(root: FileSystemDirectoryHandle, files: NamedBlob[],
  agree: (present: string[]) => boolean): Promise<string | null> {
  const present: string[] = [];
  for (const file of files) if (await exists(root, file.name)) present.push(file.name);
  if (present.length > 0 && !agree(present)) return 'Nothing was written: the folder holds files of the same names.';
  const written: string[] = [];
  try {
    for (const file of files) {
      const { folder, leaf } = await folderOf(root, file.name, true);
      const writable = await (await folder.getFileHandle(leaf, { create: true })).createWritable();
      await writable.write(file.blob);
      await writable.close();
      written.push(file.name);
    }
    return null;
  } catch (failure) {
    for (const name of written.filter((n) => !present.includes(n))) {
      try {
        const { folder, leaf } = await folderOf(root, name, false);
        await folder.removeEntry(leaf);
      } catch {
        // A file that cannot be removed stays; the message says the run failed.
      }
    }
    return `Writing into the folder failed (${String(failure)}); the new files it had written were removed.`;
  }
}
