// The Options as the page keeps them (its quelvane.* keys of localStorage), carried across
// editors by the host: a webview's storage lasts only as long as the webview does. The host
// hands the last confirmed ones to a new webview in its document; each open the page asks for
// by a pair hands them back.
const PREFIX = 'quelvane.';

export function keptOptions(): Record<string, string> {
  const kept: Record<string, string> = {};
  for (let at = 0; at < localStorage.length; at += 1) {
    const key = localStorage.key(at);
    if (key?.startsWith(PREFIX)) kept[key] = localStorage.getItem(key) ?? '';
  }
  return kept;
}

// Before the page starts: the Options the host kept, where it kept any.
export function restoreOptions(): void {
  const carried = document.querySelector<HTMLMetaElement>('meta[name="quelvane-options"]')?.content;
  if (!carried) return;
  try {
    for (const [key, value] of Object.entries(JSON.parse(carried) as Record<string, string>)) {
      if (key.startsWith(PREFIX) && typeof value === 'string') localStorage.setItem(key, value);
    }
  } catch {
    // Options that do not parse are left out: the page asks as on a first use.
  }
}

restoreOptions();
