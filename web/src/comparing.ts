// "Compare with...": the save on display against a second save file the user chooses, compared
// in a job's worker (progress and Cancel as an export has them) and shown in a view of its own.
import { CompareView } from './compareview';
import type { Say } from './exporting';
import type { JobClient, JobFile } from './jobs';

const CAPTION = 'Compare with...';

export class CompareCommand {
  private opened: JobFile | null = null;
  private readonly view: CompareView;

  constructor(
    private readonly button: HTMLButtonElement,
    input: HTMLInputElement,
    private readonly jobs: JobClient,
    hidden: HTMLElement[],
    private readonly say: Say,
  ) {
    this.view = new CompareView(hidden, () => this.enable());
    button.addEventListener('click', () => input.click());
    input.addEventListener('change', () => {
      const [other] = [...(input.files ?? [])];
      input.value = '';
      if (other) void this.compare(other);
    });
    jobs.follow(() => this.enable());
    this.enable();
  }

  // The save on display (null: none, or one a job cannot open afresh, such as a held save).
  fileOpened(opened: JobFile | null): void {
    this.opened = opened;
    this.view.close();
    this.enable();
  }

  private enable(): void {
    this.button.disabled = this.opened === null || this.jobs.busy;
  }

  private async compare(other: File): Promise<void> {
    const opened = this.opened;
    if (opened === null || this.jobs.busy) return;
    const answer = await this.jobs.run(opened, { what: 'compare', other, withDates: false }, CAPTION);
    if (answer.outcome === 'cancelled') {
      this.say([`${CAPTION}: cancelled.`]);
    } else if (answer.outcome !== 'compared' || !answer.comparison) {
      this.say(answer.messages, answer.error ?? 'the comparison failed');
    } else if (this.opened === opened) {
      this.say(answer.messages);
      this.view.show(answer.comparison);
    }
  }
}
