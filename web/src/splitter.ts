// The bar between the tree and the list: dragged, or moved by the arrow keys, it sets the
// tree's width, which the page keeps in local storage.
const KEY = 'quelvane.treeWidth';
const STEP = 16;
const MIN = 160;

export function followSplitter(bar: HTMLElement, pane: HTMLElement): void {
  const set = (width: number) => {
    const limit = Math.max(MIN, window.innerWidth - 320);
    const kept = Math.round(Math.min(limit, Math.max(MIN, width)));
    pane.style.flexBasis = `${kept}px`;
    bar.setAttribute('aria-valuenow', String(kept));
    return kept;
  };
  const stored = Number(localStorage.getItem(KEY));
  if (Number.isFinite(stored) && stored > 0) set(stored);
  bar.setAttribute('aria-valuemin', String(MIN));
  bar.addEventListener('pointerdown', (event) => {
    bar.setPointerCapture(event.pointerId);
    const left = pane.getBoundingClientRect().left;
    const move = (e: PointerEvent) => set(e.clientX - left);
    const up = () => {
      bar.removeEventListener('pointermove', move);
      localStorage.setItem(KEY, String(pane.getBoundingClientRect().width));
    };
    bar.addEventListener('pointermove', move);
    bar.addEventListener('pointerup', up, { once: true });
  });
  bar.addEventListener('keydown', (event) => {
    const by = event.key === 'ArrowLeft' ? -STEP : event.key === 'ArrowRight' ? STEP : 0;
    if (by === 0) return;
    event.preventDefault();
    localStorage.setItem(KEY, String(set(pane.getBoundingClientRect().width + by)));
  });
}
