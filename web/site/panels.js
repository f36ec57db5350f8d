// The objects' panels, as the window shows them: the wave source's and the refractive index's,
// and the wall's. Every control writes a published property through the frame logic as one
// undo step (a slider's drag is one), and refresh() reads them back, so a drag in the tank, an
// undo or another scene shows here.
const $ = (id) => document.getElementById(id);
const Source = 'TGeneralExciter', Map = 'TBaseRIControlRIMapper', Wall = 'TBarrier';
const BeamDouble = 3, BeamDoppler = 4;
const Water = 'TWater';

// The brightness slider as the window's: the middle is the default exposure, each end ten
// times brighter or dimmer in even steps of the logarithm.
const DefaultExposure = 2.55;
const exposureOfPosition = (p) => Math.fround(DefaultExposure * Math.pow(10, (50 - p) / 50));
const positionOfExposure = (e) => Math.round(50 - Math.log10(e / DefaultExposure) * 50);

// The refractive index slider's steps: n is the squared wave speed, 1 in open water.
const nOfPosition = (p) => 1 - p / 11;

export class Panels {
  constructor(module, getTank, report) {
    this.module = module;
    this.getTank = getTank;
    this.report = report;
    this.bind();
  }

  get tank() { return this.getTank(); }

  edit(cls, prop, value, merge = false) {
    const error = this.tank.edit(`${cls}.${prop}=${value}`, merge);
    if (error) this.report(error);
    this.refresh();
  }

  value(cls, prop) { return this.tank.get(cls, prop); }
  flag(cls, prop) { return this.value(cls, prop).toLowerCase() === 'true'; }

  bind() {
    // The window's names for the beam types and the colour schemes.
    this.module.beamTypes().forEach((name, type) => $('beam-type').add(new Option(name, type)));
    for (const { caption, name } of this.module.colourSchemes()) $('colour-scheme').add(new Option(caption, name));
    $('beam-type').addEventListener('change', (e) => {
      this.edit(Source, 'BeamType', e.target.value);
      // Chosen here, the moving source sets off at once.
      if (Number(e.target.value) === BeamDoppler) this.tank.resetDoppler();
    });
    $('power').addEventListener('click', () => {
      if (this.flag(Source, 'ON')) return this.edit(Source, 'ON', 'false');
      // Switching on ends a single pulse still under way.
      if (this.flag(Source, 'OneShot')) this.tank.set(`${Source}.OneShot=false`);
      this.edit(Source, 'ON', 'true');
    });
    $('one-wave').addEventListener('click', () => this.edit(Source, 'OneShot', String(!this.flag(Source, 'OneShot'))));
    $('doppler-reset').addEventListener('click', () => this.tank.resetDoppler());
    $('use-frequency').addEventListener('click', () => this.edit(Source, 'UseFreq', String(!this.flag(Source, 'UseFreq'))));
    $('harmonics').addEventListener('click', () => this.edit(Source, 'Harmonics', String(!this.flag(Source, 'Harmonics'))));
    $('wavelength').addEventListener('input', (e) => this.edit(Source, 'Wavelength', e.target.value, true));
    $('frequency').addEventListener('input', (e) =>
      this.edit(Source, 'Wavelength', Math.fround(this.module.wavelengthOfTenthHertz(Number(e.target.value))), true));
    $('mach').addEventListener('input', (e) => this.edit(Source, 'DopplerSpeed', Number(e.target.value) / 10, true));
    $('detune').addEventListener('input', (e) => this.edit(Source, 'Detune', Number(e.target.value) / 10, true));
    $('index').addEventListener('input', (e) => this.edit(Map, 'n', nOfPosition(Number(e.target.value)), true));
    // The wall's sliders over the window's ranges; the width and the spacing can be typed too.
    // A value the wall refuses (a slit as long as the wall) is named under the panel, and
    // the field shows the wall's value again.
    const ranges = this.module.wallRanges();
    this.widestPanelSlit = ranges.maxSlitWidth;
    this.wallRows = [{ prop: 'Slits', slider: 'wall-slits-slider', min: 0, max: ranges.maxSlits },
      { prop: 'SlitWidth', slider: 'wall-width-slider', field: 'wall-width', min: 1, max: ranges.maxSlitWidth },
      { prop: 'SlitSpacing', slider: 'wall-spacing-slider', field: 'wall-spacing', min: ranges.minSpacing, max: ranges.maxSpacing },
      { prop: 'Thickness', slider: 'wall-thickness-slider', min: ranges.minThickness, max: ranges.maxThickness }];
    for (const row of this.wallRows) {
      Object.assign($(row.slider), { min: row.min, max: row.max });
      $(row.slider).addEventListener('input', (e) => this.editWall(row, e.target.value, true));
      if (row.field) $(row.field).addEventListener('change', (e) => this.editWall(row, e.target.value, false));
    }
    $('intensity').addEventListener('click', () => this.toggleIntensity());
    $('colour-scheme').addEventListener('change', (e) => this.edit(Water, 'ColourScheme', e.target.value));
    $('brightness').addEventListener('input', (e) => this.edit(Water, 'Exposure', exposureOfPosition(Number(e.target.value)), true));
    $('averaging').addEventListener('input', (e) => this.edit(Water, 'AveragingPeriods', e.target.value, true));
  }

  editWall(row, value, merge) {
    const error = this.tank.edit(`${Wall}.${row.prop}=${value}`, merge);
    $('wall-message').textContent = error;
    this.refresh();
    if (error && row.field) $(row.field).value = this.value(Wall, row.prop);  // the focused field too
  }

  toggleIntensity() { this.edit(Water, 'IntensityView', String(!this.flag(Water, 'IntensityView'))); }

  // A control being used keeps its own value until it is let go.
  show(id, value) {
    const control = $(id);
    if (document.activeElement !== control || control.type !== 'number') control.value = value;
  }

  refresh() {
    const tank = this.tank;
    const hasSource = tank.has(Source);
    $('source-panel').hidden = !hasSource;
    if (hasSource) {
      const type = Number(this.value(Source, 'BeamType'));
      this.show('beam-type', type);
      $('power').setAttribute('aria-pressed', String(this.flag(Source, 'ON')));
      $('one-wave').setAttribute('aria-pressed', String(this.flag(Source, 'OneShot')));
      const useFreq = this.flag(Source, 'UseFreq');
      $('use-frequency').setAttribute('aria-pressed', String(useFreq));
      const lambda = Number(this.value(Source, 'Wavelength'));
      const hertz = this.module.frequencyOfWavelength(lambda);
      this.show('wavelength', Math.round(lambda));
      this.show('frequency', Math.round(hertz * 10));
      $('wavelength').hidden = useFreq;
      $('frequency').hidden = !useFreq;
      $('wavelength-label').value = `${lambda.toFixed(1)}mm`;
      $('frequency-label').value = `${hertz.toFixed(2)}Hz`;
      $('doppler-controls').hidden = type !== BeamDoppler;
      $('doppler-reset').hidden = type !== BeamDoppler;
      $('detune-controls').hidden = type !== BeamDouble;
      const mach = Number(this.value(Source, 'DopplerSpeed'));
      this.show('mach', Math.round(mach * 10));
      $('mach-label').value = `Mach ${this.module.shownDecimal(mach)}`;
      $('harmonics').setAttribute('aria-pressed', String(this.flag(Source, 'Harmonics')));
      const detune = Number(this.value(Source, 'Detune'));
      this.show('detune', Math.round(detune * 10));
      $('detune-label').value = `${this.module.shownDecimal(detune)}x`;
    }
    const hasMap = tank.has(Map);
    $('index-panel').hidden = !hasMap;
    if (hasMap) {
      // The map's own index beside the slider's nearest step, as in the window.
      const n = Number(this.value(Map, 'n'));
      this.show('index', Math.round((1 - n) * 11));
      $('index-label').value = this.module.indexText(n);
    }
    const hasWall = tank.has(Wall);
    $('wall-panel').hidden = !hasWall;
    if (hasWall) {
      // No wider than the wall: the slider ends where the wall does.
      const widest = tank.maxSlitWidth();
      $('wall-width-slider').max = Math.min(this.widestPanelSlit, widest);
      $('wall-width').max = widest;
      for (const row of this.wallRows) {
        const value = this.value(Wall, row.prop);
        this.show(row.slider, value);
        if (row.field) this.show(row.field, value);
      }
      const slits = Number(this.value(Wall, 'Slits'));
      $('wall-slits-label').value = slits > 0 ? String(slits) : 'none';
      $('wall-thickness-label').value = `${this.value(Wall, 'Thickness')} cells`;
      // Width and spacing mean nothing without slits, spacing nothing with one.
      $('wall-width-slider').disabled = $('wall-width').disabled = slits === 0;
      $('wall-spacing-slider').disabled = $('wall-spacing').disabled = slits < 2;
    }
    $('intensity').setAttribute('aria-pressed', String(this.flag(Water, 'IntensityView')));
    this.show('colour-scheme', this.value(Water, 'ColourScheme'));
    const exposure = Number(this.value(Water, 'Exposure'));
    this.show('brightness', positionOfExposure(exposure));
    $('brightness-label').value = `x ${(DefaultExposure / exposure).toFixed(2)}`;
    this.show('averaging', this.value(Water, 'AveragingPeriods'));
    $('averaging-label').value = `${this.value(Water, 'AveragingPeriods')} periods`;
  }
}
