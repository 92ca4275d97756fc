declare module '*/quelvane.mjs' {
  export function startQuelvane(create: (options: object) => Promise<unknown>, options: object): Promise<any>;
  export function nodeFileReader(fs: object, path: string): { size: number; close(): void };
  export function nodeFolderSink(fs: object, parts: string): { files: { name: string; part: string }[] };
  export function moduleCompiles(): number;
}
