// The webview's document, the same in both hosts: the page's own markup with its style and
// script from the extension's files, a Content-Security-Policy allowing only those (a nonce for
// the script) and nothing remote, and the Options the host kept. Nothing here needs Node.
export interface PageParts {
  nonce: string;
  cspSource: string;
  // The webview's address of a file in the extension's dist/.
  asset: (name: string) => string;
  script: string;
  note: string;
  options: Record<string, string>;
  // Where the page starts its core in a worker of its own (a blob: script): in the browser's
  // extension host, which has no Node to run it.
  worker?: boolean;
}

const escaped = (text: string) => text.replace(/&/g, '&amp;').replace(/"/g, '&quot;').replace(/</g, '&lt;').replace(/>/g, '&gt;');

export function pageDocument(page: string, parts: PageParts): string {
  const policy = [
    "default-src 'none'",
    `img-src ${parts.cspSource} data:`,
    `style-src ${parts.cspSource}`,
    `font-src ${parts.cspSource}`,
    `script-src 'nonce-${parts.nonce}' 'wasm-unsafe-eval'`,
    ...(parts.worker ? ['worker-src blob:'] : []),
  ].join('; ');
  return page
    .replace(/<meta http-equiv="Content-Security-Policy"[^>]*>/, () =>
      `<meta http-equiv="Content-Security-Policy" content="${policy}">\n<meta name="quelvane-options" content="${escaped(JSON.stringify(parts.options))}">`)
    .replace(/<style>\/\*STYLE\*\/<\/style>/, () => `<link rel="stylesheet" href="${parts.asset('webview.css')}">`)
    .replace(/<script>\/\*SCRIPT\*\/<\/script>/, () => `<script nonce="${parts.nonce}" src="${parts.asset(parts.script)}"></script>`)
    .replace(/<span class="note">[^<]*<\/span>/, () => `<span class="note">${parts.note}</span>`);
}

// A nonce from the platform's random source: Node's and the browser's `crypto` alike.
export function newNonce(): string {
  const bytes = crypto.getRandomValues(new Uint8Array(18));
  return btoa(String.fromCharCode(...bytes));
}
