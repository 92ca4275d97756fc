declare module '*/quelvane.mjs' {
  export function startQuelvane(create: (options: object) => Promise<unknown>, options: object): Promise<any>;
  export function fileReader(file: File): object;
  export function moduleCompiles(): number;
}
