// A long list of rows of one height in a scrolling box: only the rows in view (and a few around
// them) are in the DOM, each made by `render` when it comes into view.
export type RenderRow = (index: number) => HTMLElement;

const OVERSCAN = 8;

export class VirtualList {
  private count = 0;
  private readonly spacer: HTMLDivElement;

  constructor(
    private readonly host: HTMLElement,
    private readonly rowHeight: number,
    private readonly render: RenderRow,
  ) {
    this.spacer = document.createElement('div');
    this.spacer.className = 'spacer';
    host.replaceChildren(this.spacer);
    host.addEventListener('scroll', () => this.draw());
    new ResizeObserver(() => this.draw()).observe(host);
  }

  get element(): HTMLDivElement {
    return this.spacer;
  }

  // Shows `count` rows from the top, or keeps the place when `keepPlace` (rows redrawn only).
  show(count: number, keepPlace = false): void {
    this.count = count;
    this.spacer.style.height = `${count * this.rowHeight}px`;
    if (!keepPlace) this.host.scrollTop = 0;
    this.draw();
  }

  // Scrolls row `index` into view where it is not (the rows are drawn as it scrolls).
  reveal(index: number): void {
    const top = index * this.rowHeight;
    if (top < this.host.scrollTop) this.host.scrollTop = top;
    else if (top + this.rowHeight > this.host.scrollTop + this.host.clientHeight) {
      this.host.scrollTop = top + this.rowHeight - this.host.clientHeight;
    }
  }

  draw(): void {
    const first = Math.max(0, Math.floor(this.host.scrollTop / this.rowHeight) - OVERSCAN);
    const last = Math.min(this.count, first + Math.ceil(this.host.clientHeight / this.rowHeight) + 2 * OVERSCAN);
    const rows: HTMLElement[] = [];
    for (let i = first; i < last; i += 1) {
      const row = this.render(i);
      row.style.position = 'absolute';
      row.style.top = `${i * this.rowHeight}px`;
      row.style.height = `${this.rowHeight}px`;
      rows.push(row);
    }
    this.spacer.replaceChildren(...rows);
  }
}
