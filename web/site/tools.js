// The measuring tools' panels, as the window's: the probes' graph with a reading per probe and
// the phases of the probes against the first, and the screen's intensity profile with its
// maxima. The numbers and their texts are the frame logic's; this file only draws them.
const $ = (id) => document.getElementById(id);
const GraphSteps = 400;  // the window's probe graph: the last 400 steps
const Rule = '#c0c0c0';

// Values from the graph's left edge to its right, scaled so that Top reaches its top row; Zero
// is the row of 0.
function curve(context, values, top, zero, ink) {
  const { width, height } = context.canvas;
  if (values.length < 2 || !(top > 0)) return;
  const dx = (width - 3) / (values.length - 1), scale = (zero - 2) / top;
  context.beginPath();
  for (let i = 0; i < values.length; ++i) {
    const x = 1 + dx * i, y = Math.min(height - 1, zero - scale * values[i]);
    if (i === 0) context.moveTo(x, y); else context.lineTo(x, y);
  }
  context.strokeStyle = ink;
  context.lineWidth = 1.2;
  context.stroke();
}

export class ToolPanels {
  constructor(getTank) {
    this.getTank = getTank;
    this.probeGraph = $('probe-graph').getContext('2d');
    this.screenGraph = $('screen-graph').getContext('2d');
    this.rows = '';
  }

  // The panels shown while their tools are in the water, their graphs and texts anew.
  show() {
    const tank = this.getTank();
    const report = tank.probes();
    const probes = report.probes;
    $('probe-panel').hidden = probes.length === 0;
    $('probe-panel').classList.toggle('selected', probes.some((p) => p.selected));
    if (probes.length) {
      this.drawProbes(tank, probes);
      this.showReadings(probes, report.phase);
    }
    const screen = tank.screen();
    $('screen-panel').hidden = screen === null;
    if (screen) {
      $('screen-panel').classList.toggle('selected', screen.selected);
      this.drawScreen(tank.screenProfile(), screen.maxima);
      $('screen-maxima').textContent = screen.reading;
    }
  }

  drawProbes(tank, probes) {
    const g = this.probeGraph, { width, height } = g.canvas;
    g.clearRect(0, 0, width, height);
    const zero = height / 2;
    g.setLineDash([1, 2]);
    g.strokeStyle = Rule;
    g.lineWidth = 1;
    g.beginPath();
    g.moveTo(1, zero);
    g.lineTo(width - 1, zero);
    g.stroke();
    g.setLineDash([]);
    // One scale for all, so the amplitudes compare; each view is copied before the next call.
    const traces = probes.map((_, i) => Float32Array.from(tank.probeTrace(i, GraphSteps)));
    let top = 0;
    for (const trace of traces) for (const v of trace) top = Math.max(top, Math.abs(v));
    traces.forEach((trace, i) => curve(g, trace, top, zero, probes[i].colour));
  }

  // The rows are made anew only when a probe comes or goes; their texts change every time.
  showReadings(probes, phase) {
    const list = $('probe-readings');
    const key = probes.map((p) => p.colour).join();
    if (key !== this.rows) {
      this.rows = key;
      list.replaceChildren(...probes.map((p) => {
        const row = document.createElement('li');
        const swatch = Object.assign(document.createElement('span'), { className: 'swatch' });
        swatch.style.background = p.colour;
        row.append(swatch, document.createElement('span'));
        return row;
      }));
    }
    probes.forEach((p, i) => { list.children[i].lastChild.textContent = p.reading; });
    $('probe-phase').textContent = phase;
  }

  drawScreen(profile, maxima) {
    const g = this.screenGraph, { width, height } = g.canvas;
    g.clearRect(0, 0, width, height);
    let top = 0;
    for (const v of profile) top = Math.max(top, v);
    const bottom = height - 1;
    curve(g, profile, top, bottom, 'rgb(200, 150, 0)');
    if (profile.length < 2 || !(top > 0)) return;
    // A tick under every maximum.
    const dx = (width - 3) / (profile.length - 1);
    g.strokeStyle = '#282c3c';
    g.lineWidth = 1;
    g.beginPath();
    for (const at of maxima) {
      g.moveTo(1 + dx * at, bottom - 4);
      g.lineTo(1 + dx * at, bottom);
    }
    g.stroke();
  }
}
