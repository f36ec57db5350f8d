// The page: the tank on a canvas, stepped at the window's 62.5 ticks a second whatever the
// screen's rate, the tool bar, the panels and the scene files and links. Every decision is the
// frame logic's (plashbox.wasm); this file only forwards events and shows pictures.
import createPlashbox from './plashbox.js';
import { Panels } from './panels.js';
import { ToolPanels } from './tools.js';
import { encodeScene, decodeScene } from './scenelink.js';
import { bindKeys, keysOf } from './keys.js';
import { ExperimentChooser } from './chooser.js';

const TickMs = 16;        // the window's frame timer: 62.5 ticks a second
const MaxTicksPerFrame = 4;  // a stalled tab catches up this far, then drops the rest
const FramesPerToolGraph = 3;  // the tools' graphs at 20 a second on a 60 Hz screen are smooth
const Seed = 1;
const MinShownSide = 120;  // the tank and the panels are never shown smaller, however small the window
const $ = (id) => document.getElementById(id);

const module = await createPlashbox();
const canvas = $('tank');
const context = canvas.getContext('2d');
let tank = null;
let image = null;       // an ImageData over the module's memory, made anew when that moves
let running = !new URLSearchParams(location.search).has('hold');
let pointerButton = -1;
let lastGeneration = -1;
let fileCount = 0;
// What the tank was told lately, for the tests to tell the driver the same.
const pointerLog = [];
function logPointer(entry) {
  pointerLog.push(entry);
  if (pointerLog.length > 1000) pointerLog.shift();
}

const report = (text) => { $('message').textContent = text; fitTank(); };  // its lines take from the tank's room

// The picture that the last tick left in the module's memory.
function draw() {
  const w = tank.width(), h = tank.height(), address = tank.frameAddress();
  if (!image || image.data.buffer !== module.HEAPU8.buffer || image.data.byteOffset !== address ||
      image.width !== w || image.height !== h) {
    if (canvas.width !== w || canvas.height !== h) { canvas.width = w; canvas.height = h; fitTank(); }
    image = new ImageData(new Uint8ClampedArray(module.HEAPU8.buffer, address, w * h * 4), w, h);
  }
  context.putImageData(image, 0, 0);
}

function tick() {
  tank.tick();
  const generation = tank.sceneGeneration();
  if (generation !== lastGeneration) { lastGeneration = generation; sceneChanged(); }
}

// A fixed step: the ticks owed since the last frame, so a 120 Hz screen runs no faster.
let owed = 0, last = null, sinceToolGraph = 0;
function frame(now) {
  if (running) {
    if (last !== null) owed = Math.min(owed + (now - last), MaxTicksPerFrame * TickMs);
    let ticked = false;
    while (owed >= TickMs) { tick(); owed -= TickMs; ticked = true; }
    if (ticked) {
      draw();
      if (++sinceToolGraph >= FramesPerToolGraph) { sinceToolGraph = 0; tools.show(); }
    }
  }
  last = now;
  requestAnimationFrame(frame);
}

// --- the pointer on the tank: paint-area pixels, the buttons as the window's ---
function tankPoint(e) {
  const r = canvas.getBoundingClientRect();
  return [Math.floor((e.clientX - r.left) * canvas.width / r.width), Math.floor((e.clientY - r.top) * canvas.height / r.height)];
}
const buttonOf = (e) => (e.button === 2 ? 2 : e.button === 1 ? 1 : 0);
canvas.addEventListener('pointerdown', (e) => {
  if (pointerButton >= 0) return;
  e.preventDefault();
  canvas.focus();
  canvas.setPointerCapture(e.pointerId);
  pointerButton = buttonOf(e);
  const [x, y] = tankPoint(e);
  tank.mouseDown(pointerButton, x, y);
  logPointer({ kind: 'down', x, y, button: pointerButton, drip: dripping() });
});
canvas.addEventListener('pointermove', (e) => {
  const [x, y] = tankPoint(e);
  tank.mouseMove(x, y);
  if (pointerButton >= 0) logPointer({ kind: 'move', x, y });
});
function release(e) {
  if (pointerButton < 0) return;
  const [x, y] = tankPoint(e);
  tank.mouseUp(pointerButton, x, y);
  logPointer({ kind: 'up', x, y, button: pointerButton });
  pointerButton = -1;
  refresh();
}
canvas.addEventListener('pointerup', release);
canvas.addEventListener('pointercancel', release);
canvas.addEventListener('contextmenu', (e) => e.preventDefault());

// --- the tool bar ---
function setPressed(id, on) { $(id).setAttribute('aria-pressed', String(on)); }
const dripping = () => tank.tool() === module.TankTool.Drip;
$('drip').addEventListener('click', () => {
  tank.setTool(dripping() ? module.TankTool.Select : module.TankTool.Drip);
  refresh();
});
$('clear').addEventListener('click', () => tank.clearWaves());
$('pause').addEventListener('click', () => { tank.setPaused(!tank.paused()); refresh(); });
$('step').addEventListener('click', () => { tank.singleStep(); draw(); });
$('undo').addEventListener('click', () => { tank.undo(); refresh(); });
$('redo').addEventListener('click', () => { tank.redo(); refresh(); });
$('wall').addEventListener('click', () => { tank.addWall(); refresh(); });
$('delete').addEventListener('click', () => { tank.deleteSelected(); refresh(); });
$('probe').addEventListener('click', () => { tank.addProbe(); refresh(); });
$('screen').addEventListener('click', () => { tank.addScreen(); refresh(); });
// The panels' headings are the objects' names, as the core gives them.
$('source-title').textContent = module.text('object.TGeneralExciter.name');
$('wall-title').textContent = module.text('object.TBarrier.name');
module.speeds().forEach((caption, i) => $('speed').add(new Option(caption, i)));
$('speed').addEventListener('change', (e) => tank.setSpeed(Number(e.target.value)));
// The window's display shapes by their menu tags, then its tank sizes.
const shapes = [...module.displayShapes().map((shape, tag) => ({ ...shape, tag })), ...module.tankSizes()];
shapes.forEach(({ caption }, i) => $('shape').add(new Option(caption, i)));
function chooseSize(choose) {
  choose();
  tank.tick();
  draw();
  refresh();
}
$('shape').addEventListener('change', (e) => {
  const shape = shapes[Number(e.target.value)];
  fillWindow(false);
  chooseSize(() => (shape.tag !== undefined ? tank.chooseDisplayShape(shape.tag) : tank.chooseTankSize(shape.width, shape.height)));
});
// The scene's refractive map, as the window's Refractive Map menu.
module.mapChoices().forEach((name, i) => $('map').add(new Option(name, i)));
$('map').addEventListener('change', (e) => { tank.chooseMap(Number(e.target.value)); refresh(); });

// --- the tank in the window: shown whole, or made as big as the window ---
// What the page holds under the tank and the panels: the foot of their area and the message
// lines.
function heightBelow() {
  const main = document.querySelector('main');
  let below = parseFloat(getComputedStyle(main).paddingBottom);
  for (let e = main.nextElementSibling; e; e = e.nextElementSibling) {
    const style = getComputedStyle(e);
    if (style.display !== 'none' && style.position !== 'fixed' && e.tagName !== 'DIALOG')
      below += e.offsetHeight + parseFloat(style.marginTop) + parseFloat(style.marginBottom);
  }
  return below;
}
// The panels stand beside the tank unless the screen is narrow (style.css), then under it.
const panelsBeside = () => getComputedStyle(document.querySelector('main')).gridTemplateColumns.split(' ').length > 1;
// The room the tank has: the width of its column and the height from its frame's top to the
// window's foot, less the frame and the slide's line.
function tankRoom() {
  const frame = $('tank-frame'), style = getComputedStyle(frame);
  const across = parseFloat(style.paddingLeft) + parseFloat(style.paddingRight);
  const down = parseFloat(style.paddingTop) + parseFloat(style.paddingBottom);
  const top = frame.getBoundingClientRect().top + window.scrollY;
  const slide = $('slide'), slideStyle = getComputedStyle(slide);
  const slideHeight = slide.offsetHeight + parseFloat(slideStyle.marginTop);
  const main = document.querySelector('main'), mainStyle = getComputedStyle(main);
  const width = main.clientWidth - parseFloat(mainStyle.paddingLeft) - parseFloat(mainStyle.paddingRight) -
    (panelsBeside() ? $('panels').offsetWidth + parseFloat(mainStyle.columnGap) : 0);
  // A pixel kept spare for the fractions of the lines' heights.
  return [Math.floor(width - across), Math.floor(window.innerHeight - top - down - slideHeight - heightBelow()) - 1];
}
// A tank bigger than its room is shown smaller (its cells and pointer positions stay the
// tank's); the panels beside it keep to the window's height and scroll by themselves.
function fitTank() {
  const [width, height] = tankRoom();
  const scale = Math.min(1, width / canvas.width, Math.max(height, MinShownSide) / canvas.height);
  canvas.style.width = `${Math.floor(canvas.width * scale)}px`;
  canvas.style.height = `${Math.floor(canvas.height * scale)}px`;
  canvas.classList.toggle('scaled', scale < 1);
  $('slide').style.maxWidth = canvas.style.width;
  const panelsTop = $('panels').getBoundingClientRect().top + window.scrollY;
  $('panels').style.maxHeight =
    panelsBeside() ? `${Math.max(MinShownSide, window.innerHeight - panelsTop - heightBelow() - 1)}px` : '';
}
window.addEventListener('resize', fitTank);
// Filled, the tank takes its whole room at one cell a pixel; the size before comes back after.
let sizeBeforeFill = null;
function fillWindow(on) {
  if (on === (sizeBeforeFill !== null)) return;
  const [width, height] = on ? tankRoom().map((side) => Math.max(MinShownSide, side)) : sizeBeforeFill;
  sizeBeforeFill = on ? [tank.width(), tank.height()] : null;
  setPressed('fill', on);
  chooseSize(() => tank.chooseTankSize(width, height));
}
$('fill').addEventListener('click', () => fillWindow(sizeBeforeFill === null));
// F11 as the window's: the whole screen, the tank filling it; leaving it gives the size back.
function toggleFullScreen() {
  if (document.fullscreenElement) { document.exitFullscreen(); return; }
  const element = document.documentElement;
  if (!element.requestFullscreen) { fillWindow(sizeBeforeFill === null); return; }
  element.requestFullscreen().catch(() => fillWindow(sizeBeforeFill === null));
}
document.addEventListener('fullscreenchange', () => {
  fillWindow(false);
  // The new window size is laid out in the next frame.
  if (document.fullscreenElement) requestAnimationFrame(() => fillWindow(true));
});

// The shipped experiments, opened as the window opens experiments.xml, then the chosen slide.
let isExperiments = false;
const experiments = [];  // {name, description} of every shipped experiment
const experimentsXml = () => module.experimentsXml(tank.width(), tank.height());
function chooseExperiment(index) {
  if (!isExperiments && !openText(experimentsXml(), 'experiments.xml')) return;
  isExperiments = true;
  tank.showSlide(index);
  refresh();
}
$('experiment').addEventListener('change', (e) => {
  if (e.target.value !== '') chooseExperiment(Number(e.target.value));
});
const chooser = new ExperimentChooser(module, experiments, experimentsXml, chooseExperiment);
$('experiments').addEventListener('click', () => chooser.open());

// --- scene files and links ---
// A scene's text opened as the window opens a file: the running scene stays on any error.
function openText(text, name) {
  const folder = `/scenes/${++fileCount}`;
  module.FS.mkdirTree(folder);
  const path = `${folder}/${name.replace(/[^\w.-]/g, '_') || 'scene.xml'}`;
  module.FS.writeFile(path, text);
  const error = tank.openScene(path);
  module.FS.unlink(path);
  isExperiments = false;
  if (error) report(`${name}: ${error}`); else report('');
  draw();
  refresh();
  return !error;
}
$('open').addEventListener('change', async (e) => {
  const file = e.target.files[0];
  e.target.value = '';
  if (file) openText(new Uint8Array(await file.arrayBuffer()), file.name);
});
function download(blob, name) {
  const url = URL.createObjectURL(blob);
  Object.assign(document.createElement('a'), { href: url, download: name }).click();
  setTimeout(() => URL.revokeObjectURL(url), 1000);
}
$('save').addEventListener('click', () => download(new Blob([tank.sceneXml()], { type: 'text/xml' }), 'scene.xml'));

// --- the picture and recordings, as the window's Save Picture and Record ---
// The canvas holds the last tick's picture exactly, objects and all.
function savePicture() {
  canvas.toBlob((blob) => download(blob, 'plashbox.png'), 'image/png');
}
$('save-picture').addEventListener('click', savePicture);
// The window records GIF animations; a browser has its own video encoder, so the page records
// the canvas as it is drawn into a WebM video and offers it when the recording stops.
let recorder = null;
function showRecording(on) {
  setPressed('record', on);
  $('record').textContent = on ? 'Stop recording' : 'Record';
}
$('record').addEventListener('click', () => {
  if (recorder) { recorder.stop(); return; }
  if (!window.MediaRecorder || !canvas.captureStream) { report('This browser cannot record the tank.'); return; }
  const stream = canvas.captureStream();
  const type = ['video/webm;codecs=vp9', 'video/webm'].find((t) => MediaRecorder.isTypeSupported(t));
  const chunks = [];
  recorder = new MediaRecorder(stream, type ? { mimeType: type } : {});
  recorder.addEventListener('dataavailable', (e) => { if (e.data.size > 0) chunks.push(e.data); });
  recorder.addEventListener('stop', () => {
    stream.getTracks().forEach((track) => track.stop());
    download(new Blob(chunks, { type: 'video/webm' }), 'plashbox.webm');
    recorder = null;
    showRecording(false);
    report('');
  });
  recorder.start(1000);
  showRecording(true);
  report('Recording: press Stop recording to download the video.');
});
$('link').addEventListener('click', async () => {
  const hash = await encodeScene(tank.sceneXml());
  history.replaceState(null, '', hash);
  $('link-text').value = location.href;
  $('link-box').hidden = false;
  try {
    await navigator.clipboard.writeText(location.href);
    report('The link is copied.');
  } catch {
    $('link-text').select();
    report('Copy the link below.');
  }
});

// --- the panels and the buttons that follow the scene ---
const panels = new Panels(module, () => tank, report);
const tools = new ToolPanels(() => tank);

// --- the keys: the window's, whatever control has the focus ---
// F1 opens the help at the selected object's panel, as the window's.
function openHelp() {
  const panel = tank.selectedPanel();
  window.open(panel ? `help/panels.html#${panel}` : 'help/index.html', '_blank', 'noopener');
}
const act = (command) => () => { command(); refresh(); };
const keyBindings = module.keyBindings();
bindKeys(keyBindings, {
  PauseKey: act(() => tank.setPaused(!tank.paused())),
  StepKey: () => { tank.singleStep(); draw(); },
  SlowerKey: act(() => tank.setSpeed(tank.speed() - 1)),
  FasterKey: act(() => tank.setSpeed(tank.speed() + 1)),
  ClearKey: () => tank.clearWaves(),
  DripKey: () => $('drip').click(),
  OpenKey: () => $('open').click(),
  SaveKey: () => $('save').click(),
  SaveAsKey: () => $('save').click(),  // a download asks for its name where the browser does
  SavePictureKey: savePicture,
  HelpKey: openHelp,
  FullScreenKey: toggleFullScreen,
  LeaveFullScreenKey: () => { if (!document.fullscreenElement) fillWindow(false); },
  WallKey: act(() => tank.addWall()),
  IntensityKey: () => panels.toggleIntensity(),
  ProbeKey: act(() => tank.addProbe()),
  ScreenKey: act(() => tank.addScreen()),
  PreviousSlideKey: act(() => tank.showSlide(tank.slideIndex() - 1)),
  NextSlideKey: act(() => tank.showSlide(tank.slideIndex() + 1)),
  UndoKey: act(() => tank.undo()),
  RedoKey: act(() => tank.redo()),
  DeleteKey: act(() => tank.deleteSelected()),
}, () => pointerButton >= 0 || $('chooser').open);
// Each button's tooltip names its key, from the same table.
for (const [id, name] of [['drip', 'DripKey'], ['clear', 'ClearKey'], ['pause', 'PauseKey'], ['step', 'StepKey'],
  ['wall', 'WallKey'], ['probe', 'ProbeKey'], ['screen', 'ScreenKey'], ['delete', 'DeleteKey'],
  ['fill', 'FullScreenKey'], ['save', 'SaveKey'], ['save-picture', 'SavePictureKey'], ['help', 'HelpKey']])
  $(id).title += ` (${keysOf(keyBindings, name)})`;
function refresh() {
  panels.refresh();
  tools.show();
  $('probe').disabled = !tank.canAddProbe();
  $('delete').disabled = !tank.canDeleteSelected();
  setPressed('pause', tank.paused());
  setPressed('drip', dripping());
  $('step').disabled = !tank.paused();
  $('speed').value = tank.speed();
  const map = tank.mapIndex();
  $('map').disabled = map < 0;
  if (map >= 0) $('map').value = map;
  $('undo').disabled = !tank.canUndo();
  $('undo').title = tank.canUndo() ? `Undo ${tank.undoText()}` : '';
  $('redo').disabled = !tank.canRedo();
  $('redo').title = tank.canRedo() ? `Redo ${tank.redoText()}` : '';
  const slide = tank.slideIndex();
  $('experiment').value = isExperiments ? slide : '';
  const slideLine = tank.slideCount() > 1 ? `${tank.slideName(slide)}: ${tank.slideDescription(slide)}` : '';
  // One line cut short as the window's, the whole description in its tooltip.
  $('slide').textContent = slideLine;
  $('slide').title = tank.slideCount() > 1 ? tank.slideDescription(slide) : '';
}
function sceneChanged() {
  refresh();
}
setInterval(() => { if (tank && pointerButton < 0) refresh(); }, 200);

// --- start: the experiments' names, then the demonstration or the scene of the link ---
tank = new module.Tank(401, 401, Seed);
if (openText(module.experimentsXml(401, 401), 'experiments.xml'))
  for (let i = 0; i < tank.slideCount(); ++i) {
    experiments.push({ name: tank.slideName(i), description: tank.slideDescription(i) });
    $('experiment').add(new Option(tank.slideName(i), i));
  }
tank.delete();
tank = new module.Tank(401, 401, Seed);
tick();
try {
  const shared = await decodeScene(location.hash);
  if (shared !== null) openText(shared, 'link.xml');
} catch (error) {
  report('The link holds no readable scene (it may have been cut short); here is the demonstration.');
}
draw();
refresh();
fitTank();
requestAnimationFrame(frame);

// What the browser tests drive: the same settings and events as the driver's --set and
// --event, on a tank of their own, and the running tank held and ticked by hand.
function rgbBase64(t) {
  const w = t.width(), h = t.height();
  const rgba = module.HEAPU8.subarray(t.frameAddress(), t.frameAddress() + w * h * 4);
  const rgb = new Uint8Array(w * h * 3);
  for (let i = 0, j = 0; i < rgba.length; i += 4, j += 3) { rgb[j] = rgba[i]; rgb[j + 1] = rgba[i + 1]; rgb[j + 2] = rgba[i + 2]; }
  let text = '';
  for (let i = 0; i < rgb.length; i += 0x8000) text += String.fromCharCode(...rgb.subarray(i, i + 0x8000));
  return btoa(text);
}
window.plashboxTest = {
  // With scene, that scene file's text is opened first, as the driver's --scene.
  frameAfter({ width = 401, height = 401, steps = 1, settings = [], events = [], scene = null }) {
    const t = new module.Tank(width, height, Seed);
    try {
      if (scene !== null) {
        module.FS.mkdirTree('/scenes/test');
        module.FS.writeFile('/scenes/test/scene.xml', scene);
        const error = t.openScene('/scenes/test/scene.xml');
        module.FS.unlink('/scenes/test/scene.xml');
        if (error) throw new Error(error);
      }
      for (const s of settings) { const error = t.set(s); if (error) throw new Error(error); }
      const script = [...events].sort((a, b) => a.tick - b.tick);
      let next = 0;
      for (let i = 1; i <= steps; ++i) {
        for (; next < script.length && script[next].tick === i; ++next) {
          const e = script[next];
          if (e.kind === 'down') {
            // As the driver's script: each press names its tool.
            t.setTool(e.drip ? module.TankTool.Drip : module.TankTool.Select);
            t.mouseDown(e.button ?? 0, e.x, e.y);
          }
          else if (e.kind === 'move') t.mouseMove(e.x, e.y);
          else t.mouseUp(e.button ?? 0, e.x, e.y);
        }
        t.tick();
      }
      return rgbBase64(t);
    } finally {
      t.delete();
    }
  },
  hold(on) { running = !on; last = null; owed = 0; },
  runTicks(n) { for (let i = 0; i < n; ++i) tick(); draw(); tools.show(); return rgbBase64(tank); },
  sceneXml: () => tank.sceneXml(),
  pointerLog: () => pointerLog.splice(0),
  get: (cls, prop) => tank.get(cls, prop),
  probes: () => tank.probes(),
  probeTrace: (i, n) => Array.from(tank.probeTrace(i, n)),
  screen: () => tank.screen(),
  size: () => [tank.width(), tank.height()],
  paused: () => tank.paused(),
  dripping,
  speed: () => tank.speed(),
  slideIndex: () => tank.slideIndex(),
  canUndo: () => tank.canUndo(),
  canRedo: () => tank.canRedo(),
  has: (cls) => tank.has(cls),
  mapIndex: () => tank.mapIndex(),
  keyBindings: () => module.keyBindings(),
  mathDigest: (count) => module.mathDigest(count),
  frequencyOfWavelength: (lambda) => module.frequencyOfWavelength(lambda),
  // Ticks and pictures on the canvas, timed in the page: milliseconds per frame.
  measure(frames) {
    const start = performance.now();
    for (let i = 0; i < frames; ++i) { tank.tick(); draw(); }
    return (performance.now() - start) / frames;
  },
  // The tools' panels drawn anew, as every third frame does: milliseconds each.
  measureTools(times) {
    const start = performance.now();
    for (let i = 0; i < times; ++i) tools.show();
    return (performance.now() - start) / times;
  },
};
document.body.dataset.ready = 'true';
