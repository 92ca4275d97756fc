// In the webview the host writes every file, into a folder chosen through VS Code's own dialog:
// the browser's folder picker is not offered.
export function folderPicker(): null {
  return null;
}

export async function writeIntoFolder(_folder: unknown, _files: unknown, _replace: unknown): Promise<string | null> {
  return 'files are written by the editor';
}
