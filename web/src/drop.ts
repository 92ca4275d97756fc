// Files dropped anywhere on the page open as the file button's would.
export function followDrops(target: HTMLElement, open: (files: File[]) => void): void {
  const carriesFiles = (event: DragEvent) => event.dataTransfer?.types.includes('Files') ?? false;
  target.addEventListener('dragover', (event) => {
    if (!carriesFiles(event)) return;
    event.preventDefault();
    if (event.dataTransfer) event.dataTransfer.dropEffect = 'copy';
    target.classList.add('dropping');
  });
  target.addEventListener('dragleave', (event) => {
    if (event.relatedTarget === null) target.classList.remove('dropping');
  });
  target.addEventListener('drop', (event) => {
    target.classList.remove('dropping');
    if (!carriesFiles(event)) return;
    event.preventDefault();
    open([...(event.dataTransfer?.files ?? [])]);
  });
}
