// The progress of a member's listing, listed in steps by the page: a progressbar with Cancel,
// which stops asking for further steps; what was listed stays on show.
export interface ListingStep {
  slotsRead?: number;
  recordCount?: number;
}

// Steps that end sooner than this show no progress at all: a short listing does not flicker.
const SHOW_AFTER_MS = 300;

export class ListingProgress {
  private readonly host: HTMLDivElement;
  private readonly bar = document.createElement('progress');
  private started = 0;
  private stopped = false;

  constructor() {
    this.host = document.createElement('div');
    this.host.className = 'job listing';
    this.host.setAttribute('aria-live', 'polite');
    document.body.append(this.host);
    this.bar.setAttribute('aria-label', 'Listing');
  }

  // A listing begins: not stopped, nothing shown yet.
  begin(): void {
    this.started = performance.now();
    this.stopped = false;
    this.host.replaceChildren();
  }

  // After each step: true while the listing should go on.
  step(step: ListingStep): boolean {
    if (this.stopped) return false;
    if (performance.now() - this.started >= SHOW_AFTER_MS && this.host.childElementCount === 0) this.show();
    if (step.recordCount && step.slotsRead !== undefined) {
      this.bar.max = step.recordCount;
      this.bar.value = Math.min(step.slotsRead, step.recordCount);
    }
    return true;
  }

  end(): void {
    this.host.replaceChildren();
  }

  private show(): void {
    const label = document.createElement('span');
    label.textContent = 'Listing';
    const cancel = document.createElement('button');
    cancel.type = 'button';
    cancel.textContent = 'Cancel';
    cancel.addEventListener('click', () => {
      this.stopped = true;
      this.end();
    });
    this.host.replaceChildren(label, this.bar, cancel);
  }
}
