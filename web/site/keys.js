// The tank's keys: the window's table (frame/KeyBindings.h, read through the module), each key
// calling the page's command of the binding's name. They act whatever control has the focus, as
// the window's do, except that a text field keeps the keys it types and edits with.
const BrowserNames = { ' ': 'Space', Escape: 'Esc', PageUp: 'PgUp', PageDown: 'PgDown', Delete: 'Del' };
const TextInputTypes = new Set(['text', 'number', 'search', 'email', 'url', 'tel', 'password']);

// A key in Qt's portable text ("Ctrl+Shift+Z") as the modifiers and the key it names.
function parseKey(text) {
  const parts = text.split('+');
  const key = parts.pop();
  const has = (name) => parts.includes(name);
  return { ctrl: has('Ctrl'), alt: has('Alt'), shift: has('Shift'), key };
}

// The pressed key in the same terms: letters in upper case, the named keys by Qt's names.
function pressedKey(e) {
  const key = BrowserNames[e.key] ?? (e.key.length === 1 ? e.key.toUpperCase() : e.key);
  return { ctrl: e.ctrlKey || e.metaKey, alt: e.altKey, shift: e.shiftKey, key };
}

const same = (a, b) => a.ctrl === b.ctrl && a.alt === b.alt && a.shift === b.shift && a.key === b.key;

export function isTextField(element) {
  if (!element) return false;
  if (element.isContentEditable || element.tagName === 'TEXTAREA') return true;
  return element.tagName === 'INPUT' && TextInputTypes.has(element.type);
}

// What a text field keeps: the keys that type or move in it, and its own undo and redo. The
// function keys, Esc and the other Ctrl keys still reach the tank.
function fieldKeeps(pressed) {
  if (/^F\d+$/.test(pressed.key) || pressed.key === 'Esc') return false;
  return !pressed.ctrl || ['Z', 'Y'].includes(pressed.key);
}

// Space on a button reached with Tab presses that button, as a focused button of the window
// does; after a click (the browser leaves the focus on the clicked button) Space is still the
// pause key.
let focusFromKeyboard = false;
window.addEventListener('pointerdown', () => { focusFromKeyboard = false; }, true);
function pressesButton(element, pressed) {
  return focusFromKeyboard && !!element && element.tagName === 'BUTTON' && pressed.key === 'Space' &&
         !pressed.ctrl && !pressed.alt;
}

// bindings: [{name, keys, description}]; commands: name -> function. Busy() true holds every key
// (a drag in the tank, a dialog open).
export function bindKeys(bindings, commands, busy) {
  const table = [];
  for (const binding of bindings)
    for (const text of binding.keys.split('; '))
      if (commands[binding.name]) table.push({ key: parseKey(text), command: commands[binding.name] });
  // In the capture phase, before a focused list or button takes the key for itself.
  window.addEventListener('keydown', (e) => {
    if (busy()) return;
    const pressed = pressedKey(e);
    if (pressed.key === 'Tab') focusFromKeyboard = true;
    const entry = table.find((t) => same(t.key, pressed));
    const focused = document.activeElement;
    if (!entry || (isTextField(focused) && fieldKeeps(pressed)) || pressesButton(focused, pressed)) return;
    e.preventDefault();
    e.stopPropagation();
    entry.command();
  }, true);
}

// The key texts of a command's binding, to show in its button's tooltip.
export function keysOf(bindings, name) {
  const binding = bindings.find((b) => b.name === name);
  return binding ? binding.keys.replace(/; /g, ' or ') : '';
}
