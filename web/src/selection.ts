// The selected rows of a list of any length, as sorted, disjoint ranges of row numbers.
export class RowSelection {
  private spans: [number, number][] = [];
  private anchor: number | undefined;
  private last: number | undefined;

  clear(): void {
    this.spans = [];
    this.anchor = undefined;
    this.last = undefined;
  }

  empty(): boolean {
    return this.spans.length === 0;
  }

  current(): number | undefined {
    return this.last;
  }

  ranges(): readonly [number, number][] {
    return this.spans;
  }

  has(row: number): boolean {
    return this.spans.some(([first, last]) => row >= first && row <= last);
  }

  only(row: number): void {
    this.spans = [[row, row]];
    this.anchor = row;
    this.last = row;
  }

  all(rows: number): void {
    this.spans = rows > 0 ? [[0, rows - 1]] : [];
  }

  // From the row clicked last to `row`, in place of what was selected.
  extendTo(row: number): void {
    const from = this.anchor ?? row;
    this.spans = [[Math.min(from, row), Math.max(from, row)]];
    this.last = row;
  }

  toggle(row: number): void {
    if (this.has(row)) {
      this.spans = this.spans.flatMap(([first, last]): [number, number][] => {
        if (row < first || row > last) return [[first, last]];
        const parts: [number, number][] = [[first, row - 1], [row + 1, last]];
        return parts.filter(([a, b]) => a <= b);
      });
    } else {
      this.spans = merged([...this.spans, [row, row]]);
    }
    this.anchor = row;
    this.last = row;
  }
}

function merged(spans: [number, number][]): [number, number][] {
  const sorted = [...spans].sort((a, b) => a[0] - b[0]);
  const out: [number, number][] = [];
  for (const span of sorted) {
    const previous = out[out.length - 1];
    if (previous && span[0] <= previous[1] + 1) previous[1] = Math.max(previous[1], span[1]);
    else out.push([...span]);
  }
  return out;
}
