// The Experiments chooser, as the window's: every shipped experiment as its picture (the slide
// run a few hundred steps in a small tank of its own, drawn by the frame logic) with its name,
// the description of the one selected under them. A click selects, a double click, Enter or
// Open chooses; the pictures are drawn one a frame once the chooser is open.
const $ = (id) => document.getElementById(id);

export class ExperimentChooser {
  // experiments: [{name, description}]; sceneText() the experiments' scene file; onChoose(index).
  constructor(module, experiments, sceneText, onChoose) {
    this.module = module;
    this.experiments = experiments;
    this.sceneText = sceneText;
    this.onChoose = onChoose;
    this.selected = 0;
    this.items = [];
    this.drawn = 0;
    $('chooser-open').addEventListener('click', () => this.choose());
    $('chooser-cancel').addEventListener('click', () => $('chooser').close());
  }

  open() {
    if (this.items.length === 0) this.build();
    $('chooser').showModal();
    this.select(this.selected);
    this.items[this.selected]?.focus();
    this.drawPreviews();
  }

  build() {
    const list = $('chooser-list');
    this.items = this.experiments.map(({ name, description }, i) => {
      const item = Object.assign(document.createElement('button'), { type: 'button', title: description });
      item.setAttribute('role', 'option');
      const picture = document.createElement('canvas');
      const caption = Object.assign(document.createElement('span'), { textContent: `${i + 1}. ${name}` });
      item.append(picture, caption);
      item.addEventListener('click', () => this.select(i));
      item.addEventListener('focus', () => this.select(i));
      item.addEventListener('dblclick', () => this.choose());
      item.addEventListener('keydown', (e) => {
        if (e.key === 'Enter') { e.preventDefault(); this.choose(); }
      });
      return item;
    });
    list.replaceChildren(...this.items);
  }

  select(index) {
    this.selected = index;
    this.items.forEach((item, i) => item.setAttribute('aria-selected', String(i === index)));
    $('chooser-description').textContent = this.experiments[index]?.description ?? '';
  }

  choose() {
    $('chooser').close();
    this.onChoose(this.selected);
  }

  // One picture a frame, so the chooser shows at once and fills in.
  drawPreviews() {
    if (this.drawn >= this.items.length || !$('chooser').open) return;
    const text = this.sceneText();
    const preview = this.module.experimentPreview(text, this.drawn);
    const canvas = this.items[this.drawn].firstChild;
    canvas.width = preview.width;
    canvas.height = preview.height;
    canvas.getContext('2d').putImageData(new ImageData(preview.rgba, preview.width, preview.height), 0, 0);
    ++this.drawn;
    requestAnimationFrame(() => this.drawPreviews());
  }
}
