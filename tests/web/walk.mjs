// A seeded random walk of user events over the page, checked after every
// event against the desktop walks' model (walk_model.cpp, compiled from
// tests/properties/walk_properties.h): keys, the browser's own shortcuts,
// clicks and double clicks, or taps, anywhere, pastes, the focus sent to
// nothing, the viewport changed, and the box answered or ignored. One
// pointer to a walk, as to a device: a mouse, or a finger.
// Replay a walk with WALK_SEED and WALK_EVENTS as printed.
import { readFileSync } from 'node:fs';
import { WASI } from 'node:wasi';

const encoder = new TextEncoder();
const decoder = new TextDecoder();
const FIELDS = ['txtDegSouth', 'txtMinSouth', 'txtDegEast', 'txtMinEast'];

// The model, under Node.js: texts in through its buffer, its answers out.
async function loadModel(path, separator) {
  const wasi = new WASI({ version: 'preview1', returnOnExit: true });
  const module = await WebAssembly.compile(readFileSync(path));
  const instance = await WebAssembly.instantiate(module, { wasi_snapshot_preview1: wasi.wasiImport });
  wasi.initialize(instance);
  const x = instance.exports;
  const put = (texts) => {
    const bytes = encoder.encode(texts.map((t) => `${t}\0`).join(''));
    if (bytes.length > x.wm_buffer_size()) throw new Error('texts too long for the model');
    new Uint8Array(x.memory.buffer).set(bytes, x.wm_buffer());
  };
  const text = (at) => {
    const memory = new Uint8Array(x.memory.buffer);
    let end = at;
    while (memory[end]) end++;
    return decoder.decode(memory.subarray(at, end));
  };
  const lines = (at) => text(at).split('\n').slice(0, -1);
  const state = (s) => [...s.fields, s.label, s.focus, ...s.pressed];
  put([separator]);
  x.wm_new();
  return {
    texts: lines(x.wm_texts()),
    controls: lines(x.wm_controls()),
    pastes: lines(x.wm_pastes()),
    programStarted: () => x.wm_program_started(),
    eventStarts: (mayEnd, mayConvert) => x.wm_event_starts(mayEnd, mayConvert),
    converted: (fields) => { put(fields); return text(x.wm_converted()); },
    boxAnswering: (retry, open, s) => { put(state(s)); return text(x.wm_box_answering(retry, open, s.pressed.length)); },
    checkWindow: (s) => { put(state(s)); return text(x.wm_check_window(s.pressed.length)); },
    checkEnded: (windowsLeft) => text(x.wm_check_ended(windowsLeft)),
    fieldLeft: (field, value, boxShown) => { put([value]); return text(x.wm_field_left(field, boxShown)); },
  };
}

// Set up before the page's script: each Convert's fields, as the label
// takes its new text, and the clicks.
export function recordConversions() {
  window.walkConversions = [];
  window.walkClicks = 0;
  document.addEventListener('click', () => { window.walkClicks += 1; }, true);
  const fields = ['txtDegSouth', 'txtMinSouth', 'txtDegEast', 'txtMinEast'];
  new MutationObserver((changes) => {
    for (const change of changes) {
      if (change.target.id === 'lblGridRef' && change.addedNodes.length) {
        window.walkConversions.push(fields.map((id) => document.getElementById(id)?.value ?? ''));
      }
    }
  }).observe(document, { childList: true, subtree: true });
}

function pageState(fields) {
  const focus = document.activeElement;
  return {
    splash: !!document.getElementById('Frame1'),
    window: !!document.getElementById('txtDegSouth'),
    ended: !document.getElementById('ended').hidden,
    windows: document.querySelectorAll('.window, .overlay').length,
    boxes: document.querySelectorAll('.box').length,
    boxTitle: document.querySelector('.box #box-title')?.textContent ?? '',
    fields: fields.map((id) => document.getElementById(id)?.value ?? ''),
    label: document.getElementById('lblGridRef')?.textContent ?? '',
    focus: focus?.closest?.('.window .client') && focus.id ? focus.id : '',
    defaultButton: document.querySelector('.window button.default')?.id ?? '',
    hasFocus: document.hasFocus(),
    pressed: [...document.querySelectorAll('.window button:active')].map((b) => b.id),
    conversions: (window.walkConversions ?? []).splice(0),
  };
}

// mulberry32: small, and the same in every engine's run.
function random(seed) {
  let a = seed >>> 0;
  return () => {
    a = (a + 0x6d2b79f5) >>> 0;
    let t = a;
    t = Math.imul(t ^ (t >>> 15), t | 1);
    t ^= t + Math.imul(t ^ (t >>> 7), t | 61);
    return ((t ^ (t >>> 14)) >>> 0) / 4294967296;
  };
}

// `pressed`: whether what is drawn pressed is asked.
export async function randomWalk(u, { model: modelPath, seed, events, pointer, pressed = true, fail, log }) {
  const touch = pointer === 'touch';
  const rnd = random(seed);
  const pick = (n) => Math.floor(rnd() * n);
  const one = (list) => list[pick(list.length)];
  const model = await loadModel(modelPath, '.');
  const counts = { runs: 1, boxes: 0, retries: 0, conversions: 0 };
  let event = 0;
  let last = '';
  const history = []; // the events before, to read a failure by
  const where = () => `at event ${event} (WALK_SEED=${seed} WALK_EVENTS=${event}): ${last}`
    + `\n  after: ${history.slice(-8).join(' | ')}`;
  const verify = (error) => { if (error) fail(`${error} ${where()}`); };
  // The page's reactions end in tasks of their own (a field left for
  // nothing, the box): two rounds of tasks, then what it shows.
  const read = async () => {
    await u.page.evaluate(() => new Promise((r) => setTimeout(() => setTimeout(r, 0), 0)));
    const s = await u.page.evaluate(pageState, FIELDS);
    if (!pressed) s.pressed = [];
    return s;
  };
  // A control a user would scroll to first, where the window is larger
  // than the viewport.
  const at = async (selector, position) => {
    const seen = await u.page.evaluate((sel) => {
      const e = document.querySelector(sel);
      e?.scrollIntoView({ block: 'nearest', inline: 'nearest' });
      return !!e;
    }, selector);
    return seen && u.point(selector, position);
  };
  // A tap's click may come after the tap has returned (Firefox): waited for.
  let lastPress = { point: [-99, -99], time: 0 };
  const pressAt = async (point, how = touch ? 'tap' : 'click') => {
    lastPress = { point, time: Date.now() };
    if (how !== 'tap') return u.clickAt(...point, how === 'double' ? 2 : 1);
    const clicks = await u.page.evaluate(() => window.walkClicks);
    await u.page.tap(...point);
    for (let i = 0; i < 40 && await u.page.evaluate(() => window.walkClicks) === clicks; i++) {
      await new Promise((r) => setTimeout(r, 25));
    }
  };
  const press = async (selector, how) => {
    const point = await at(selector);
    if (point) await pressAt(point, how);
  };
  // A user aims at the box's button: not at once where the press that
  // opened it was, which would make the two a double click (or tap), whose
  // second the box rightly ignores.
  const answerAt = async (selector) => {
    const point = await at(selector);
    if (!point) return;
    const near = Math.abs(point[0] - lastPress.point[0]) <= 16 && Math.abs(point[1] - lastPress.point[1]) <= 16;
    const wait = lastPress.time + 700 - Date.now();
    if (near && wait > 0) await new Promise((r) => setTimeout(r, wait));
    await pressAt(point);
  };
  // The browser's zoom. Not those that send the focus into the browser's
  // own bar (Ctrl+F, F6): a tap by automation does not bring it back as a
  // user's does (the scenario browser_keys_left_to_the_browser has them).
  const browserKeys = ['Control+=', 'Control+-', 'Control+0'];

  async function splashEvent() {
    const kind = pick(10);
    let dismisses = false;
    if (kind < 5) {
      const keys = [['a', true], ['5', true], [' ', true], ['Enter', true], ['Escape', true],
        ['ArrowLeft', false], ['Shift', false], ['Alt+x', false], [one(browserKeys), false]];
      const [key, character] = one(keys);
      last = `splash key ${key}`;
      await u.key(key);
      dismisses = character;
    } else {
      const targets = ['#lblTitle1', '#lblTitle2', '#lblProgVersion', '#lblCopyright', '#lblCompany', '#imgLogo'];
      const choice = pick(targets.length + 3);
      const how = touch ? 'tap' : 'click';
      if (choice < targets.length) {
        last = `splash ${how} on ${targets[choice]}`;
        await press(targets[choice]);
        dismisses = touch; // a finger cannot aim between the texts
      } else if (choice === targets.length) {
        last = `splash ${how} on the frame`;
        const frame = await u.rect('#Frame1');
        await pressAt([frame.x + frame.width / 2, frame.y + frame.height - 6]);
        dismisses = true;
      } else if (choice === targets.length + 1) {
        last = `splash ${how} on its margin`;
        const win = await u.rect('.window');
        await pressAt([win.x + 2, win.y + 2]);
        dismisses = touch;
      } else {
        last = `splash ${how} beside the window`;
        await pressAt([1, 1]);
      }
    }
    let s = await read();
    // Dismissed before the module is ready, it goes once it is.
    const deadline = Date.now() + 5000;
    while (dismisses && s.splash && Date.now() < deadline) s = await read();
    if (dismisses !== s.window || s.splash === s.window) {
      fail(`${dismisses ? 'not dismissed' : 'dismissed'} ${where()}`);
    }
    if (s.window && s.focus !== 'txtDegSouth') fail(`the conversion window opened with the focus on '${s.focus}' ${where()}`);
  }

  async function windowEvent(before) {
    const { focus } = before;
    const kind = pick(100);
    let mayEnd = false;
    let mayConvert = false;
    let mustEnd = false; // Escape and Alt+X end the run whatever the fields hold
    let mustConvert = false; // unless a field left on the way brings the box
    let step;
    if (kind < 30) {
      const text = one(model.texts);
      last = `type '${text}'`;
      mayEnd = focus === 'cmdExit' && text.includes(' ');
      mayConvert = focus === 'cmdConvert' && text.includes(' ');
      step = () => u.type(text);
    } else if (kind < 35) {
      const text = pick(8) ? one(model.pastes) : Array.from({ length: 1024 }, () => '0123456789.,-+ aZ'[pick(17)]).join('');
      last = `paste '${text.length > 20 ? `${text.length} characters` : text}'`;
      step = async () => { await u.setClipboard(text); await u.key('Control+V'); };
    } else if (kind < 45) {
      last = 'Tab';
      step = () => u.key('Tab');
    } else if (kind < 50) {
      last = 'Shift+Tab';
      step = () => u.key('Shift+Tab');
    } else if (kind < 57) {
      // The button drawn as the default: the focused one, else Convert, or
      // where the focus went to nothing, the one that had it.
      last = `Enter (${before.defaultButton} the default)`;
      mayEnd = before.defaultButton === 'cmdExit';
      mayConvert = before.defaultButton === 'cmdConvert';
      mustEnd = mayEnd;
      mustConvert = mayConvert;
      step = () => u.key('Enter');
    } else if (kind < 61) {
      last = 'Backspace';
      step = () => u.key('Backspace');
    } else if (kind < 62) {
      last = 'Escape';
      mayEnd = mustEnd = true;
      step = () => u.key('Escape');
    } else if (kind < 63) {
      last = 'Alt+x';
      mayEnd = mustEnd = true;
      step = () => u.key('Alt+x');
    } else if (kind < 65) {
      const key = pick(2) ? `Alt+${one(['c', 'q', 'e', 'd'])}` : one(browserKeys);
      last = key;
      step = () => u.key(key);
    } else if (kind < 67) {
      last = 'the focus sent to nothing';
      step = () => u.page.evaluate(() => document.activeElement?.blur());
    } else if (kind < 69) {
      last = `${touch ? 'tap' : 'click'} beside the window`;
      step = () => pressAt([1, 1]);
    } else if (kind < 70) {
      const [width, height] = one([[800, 600], [360, 640], [390, 844], [640, 360], [1024, 768]]);
      last = `viewport ${width}x${height}`;
      step = () => u.page.resize(width, height);
    } else {
      // Exit (and the close box) far less often than the rest, so that runs get long.
      const names = pick(100) === 0 ? [...model.controls, 'close'] : model.controls.slice(0, -1);
      const name = one(names);
      const how = touch ? 'tap' : pick(10) === 0 ? 'double' : 'click';
      last = `${how} ${name}`;
      mayEnd = name === 'cmdExit' || name === 'close';
      mayConvert = name === 'cmdConvert';
      mustEnd = mayEnd;
      mustConvert = mayConvert;
      step = () => press(name === 'close' ? '.titlebar .close' : `#${name}`, how);
    }
    model.eventStarts(mayEnd, mayConvert);
    await step();
    const s = await read();
    if (!s.boxes && !s.ended && mustEnd) fail(`the run did not end ${where()}`);
    if (!s.boxes && !s.ended && mustConvert && !s.conversions.length) fail(`Convert did not run ${where()}`);
    return s;
  }

  // The box: at times a key or click that the window behind must not take,
  // then Retry (mostly), Cancel or Escape, by key, click or tap.
  async function boxEvent(s) {
    if (pick(3) === 0) {
      const disturb = one(['x', '5', 'Alt+x', 'Backspace', 'click', 'Control+=']);
      last = `while the box is open: ${disturb}`;
      model.eventStarts(false, false);
      if (disturb === 'click') {
        // On a control behind the box, where the box does not cover it.
        const point = await at(`#${one(model.controls)}`);
        const covered = point && await u.page.evaluate(([x, y]) => !!document.elementFromPoint(x, y)?.closest('.box'), point);
        if (point && !covered) await pressAt(point);
      } else {
        await u.key(disturb);
      }
      const now = await read();
      if (now.boxes !== 1 || now.ended) fail(`the box went ${where()}`);
      if (now.fields.join('\0') !== s.fields.join('\0') || now.label !== s.label || now.conversions.length) {
        fail(`the window behind the box took it ${where()}`);
      }
      s = now;
    }
    const roll = pick(20);
    const retry = roll > 1;
    const byKey = pick(3) === 0;
    last = `box answered ${retry ? 'Retry' : roll ? 'Cancel' : 'Escape'}${byKey ? ' by Enter' : ''}`;
    model.eventStarts(false, false);
    verify(model.boxAnswering(retry, s.boxes, s));
    counts.boxes += 1;
    counts.retries += retry;
    const buttons = '.box .buttons button';
    if (roll === 0) await u.key('Escape');
    else if (!retry) await answerAt(`${buttons}:nth-child(2)`);
    else if (byKey) await u.key('Enter');
    else await answerAt(`${buttons}:nth-child(1)`);
    const after = await read();
    if (!retry && !after.ended) fail(`Cancel did not end the run ${where()}`);
    if (retry && (after.ended || after.boxes)) fail(`Retry did not go back to the window ${where()}`);
    return after;
  }

  model.programStarted();
  for (event = 1; event <= events; event++) {
    if (last) history.push(last);
    if (history.length > 8) history.shift();
    let s = await u.page.evaluate(pageState, FIELDS);
    if (last && process.env.WALK_TRACE) {
      log(`${event - 1}: ${last} -> [${s.fields}] '${s.label}' focus ${s.focus}${s.hasFocus ? '' : ' (page unfocused)'}, default ${s.defaultButton}, boxes ${s.boxes}`);
    }
    if (s.splash) {
      await splashEvent();
      continue;
    }
    const before = s;
    s = s.boxes ? await boxEvent(s) : await windowEvent(s);
    const left = FIELDS.indexOf(before.focus);
    if (!before.boxes && left >= 0 && s.focus !== before.focus && !s.ended) {
      verify(model.fieldLeft(left, before.fields[left], s.boxes > 0));
    }
    for (const fields of s.conversions) {
      counts.conversions += 1;
      verify(model.converted(fields));
    }
    if (s.boxes > 1) fail(`${s.boxes} boxes at once ${where()}`);
    if (s.ended) {
      verify(model.checkEnded(s.windows));
      await u.click('again');
      model.programStarted();
      counts.runs += 1;
      const started = await read();
      if (!started.splash) fail(`'Start again' showed no title window ${where()}`);
    } else if (!s.window) {
      fail(`no window, yet the run did not end ${where()}`);
    } else if (!s.boxes) {
      verify(model.checkWindow(s));
      // The default border on the focused button, on Convert while a field
      // has the focus.
      const onButton = s.focus.startsWith('cmd') || s.focus === 'CmdClipboard';
      if (s.focus && s.defaultButton !== (onButton ? s.focus : 'cmdConvert')) {
        fail(`${s.focus} has the focus, ${s.defaultButton} the default border ${where()}`);
      }
    }
  }
  log(`walk: seed ${seed}, ${events} events over ${counts.runs} runs, ${counts.boxes} boxes answered `
    + `(${counts.retries} Retry), ${counts.conversions} conversions`);
}
