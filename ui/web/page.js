// The program in a page. The WebAssembly module holds the computation, the
// two windows' layout tables and the conversion window's behaviour; this
// script renders the tables, lends the behaviour its host operations (the
// module's imports) and wires the page's events to it, as each desktop
// frontend wires its toolkit's. assemble.mjs builds one file of it all.
(() => {
  'use strict';

  const UNWINDING = 1; // Asyncify's state while a call waits for the box
  const RETRY = 0;
  const CANCEL = 1;
  const APP_TITLE = 'Quadrangler';
  const REPORT_TITLE = '3 x 3-Minute Quadrangler'; // as the desktop programs report a failure
  const encoder = new TextEncoder();
  const decoder = new TextDecoder();
  const ended = document.getElementById('ended');
  const icon = document.querySelector('link[rel="icon"]').href;
  // What this page shows, apart from what a saved copy of it holds.
  const ours = new WeakSet();
  function show(element) {
    ours.add(element);
    document.body.append(element);
  }

  // Where the time of a start goes, for the start-up benchmark.
  const mark = (step) => performance.mark(`quadrangler:${step}`);
  mark('script');
  // The module's layout tables, written into the page when it was built:
  // the title window is drawn from them before the module is ready.
  const layouts = JSON.parse(document.getElementById('layouts').textContent);
  let compiled = null; // a promise of the module, compiled once; every run is a fresh instance
  let audio = null;
  // A phone's or a tablet's screen, whatever its size: laid out for a finger.
  const fingers = matchMedia('(pointer: coarse)');
  // A window's client area and controls by element: their place and size as
  // the table gives them.
  const designs = new WeakMap();

  // Text larger than designed (a minimum font size, a larger text size, a
  // user's text spacing) enlarges the window, every box and gap alike, as a
  // dialog's units grow with its font, until each caption fits its box:
  // nothing is cut, and nothing comes to lie over another.
  function growToText(element) {
    const boxes = [...element.querySelectorAll('.client, .control')].filter((e) => designs.has(e));
    const apply = (scale) => {
      for (const e of boxes) {
        for (const [side, value] of Object.entries(designs.get(e))) e.style[side] = `${value * scale}px`;
      }
    };
    apply(1);
    let scale = 1;
    for (const e of element.querySelectorAll('.label, button.control')) {
      if (designs.has(e)) scale = Math.max(scale, textOverBox(e));
    }
    if (scale > 1) apply(scale);
  }

  // How many times its box the control's text needs (1: it fits). Less than
  // half a pixel over is not seen: the design stays.
  function textOverBox(control) {
    if (!control.textContent) return 1;
    const range = document.createRange();
    range.selectNodeContents(control);
    const text = range.getBoundingClientRect();
    const width = text.width + (control.matches('button') ? 6 : 0); // off the button's edges
    return Math.max(1, width > control.clientWidth + 0.5 ? width / control.clientWidth : 1,
      text.height > control.clientHeight + 0.5 ? text.height / control.clientHeight : 1);
  }

  // The user's text size or spacing changed while the viewport did not (a
  // minimum font size, text-only zoom, a text-spacing style): a text in the
  // windows' default face shows it, and the run lays its windows out anew.
  let probe = null;
  let probeSeen = ''; // its size when the windows were last laid out
  let onTextSize = () => {};
  const probeSize = () => {
    const r = probe.getBoundingClientRect();
    return `${r.width}x${r.height}`;
  };
  const textSize = new ResizeObserver(() => {
    if (probeSize() === probeSeen) return;
    probeSeen = probeSize();
    onTextSize();
  });

  // The probe comes once the first frame is drawn: measured, it would lay
  // the page out once more before that frame.
  function watchTextSize(refit) {
    onTextSize = refit;
    if (probe) return;
    probe = document.createElement('span');
    probe.className = 'probe';
    probe.setAttribute('aria-hidden', 'true');
    probe.textContent = 'Mm Mm';
    const start = () => {
      if (probe.isConnected) return;
      show(probe);
      probeSeen = probeSize();
      textSize.observe(probe);
      onTextSize(); // the text may have changed since the window was laid out
    };
    // After the frame; at the latest in half a second, where a page that
    // is not shown gets no frames.
    requestAnimationFrame(() => setTimeout(start));
    setTimeout(start, 500);
  }

  // A window laid out in a text size the observer has not reported: it
  // reports only a change from what it last reported, so it is asked anew.
  function laidOutInTextSize() {
    if (!probe?.isConnected || probeSize() === probeSeen) return;
    probeSeen = probeSize();
    textSize.unobserve(probe);
    textSize.observe(probe);
  }

  // Focused, and scrolled into view if it is not (a window larger than the
  // viewport, at a high zoom), but no further.
  function reveal(control) {
    control.focus({ preventScroll: true });
    control.scrollIntoView({ block: 'nearest', inline: 'nearest' });
  }

  // The viewport is the screen: a window is centred on it, scaled down to fit
  // its width where it is narrower. A page cannot show what lies above its
  // top, so a window taller than the viewport starts at the top instead.
  // `arrange` moves what the window's own rules move, once it has grown.
  function place(element, arrange = () => {}) {
    const root = document.documentElement;
    element.classList.remove('phone');
    element.style.transform = '';
    growToText(element);
    arrange();
    // A window with a layout for a finger takes it where it does not fit,
    // instead of being scaled down (in CSS pixels, which the user's zoom and
    // text size enlarge), and wherever the pointer is a finger.
    if (element.classList.contains('reflows')) {
      element.classList.toggle('phone', element.offsetWidth > root.clientWidth
        || element.offsetHeight > root.clientHeight || fingers.matches);
    }
    const width = element.offsetWidth;
    const height = element.offsetHeight;
    const scale = Math.min(1, root.clientWidth / width);
    element.style.transform = scale < 1 ? `scale(${scale})` : '';
    element.style.left = `${Math.round((root.clientWidth - width * scale) / 2)}px`;
    element.style.top = `${Math.max(0, Math.round((root.clientHeight - height * scale) / 2))}px`;
    laidOutInTextSize();
  }

  // WebKitGTK gives Shift+Tab the key 'Unidentified'; its code is 'Tab'.
  function keyOf(event) {
    return event.key === 'Unidentified' && event.code === 'Tab' ? 'Tab' : event.key;
  }

  function colour(name, fallback = '') {
    switch (name) {
      case 'default': return fallback;
      case 'transparent': return 'transparent';
      case 'buttonFace': return 'ButtonFace';
      case 'menuBackground': return 'Canvas';
      default: return name; // #rrggbb
    }
  }

  // The window's own face, then the table's stand-ins, then the browser's own.
  function font(spec, defaultPoints) {
    if (!spec) return `${defaultPoints}pt system-ui, sans-serif`;
    const faces = spec.faces.map((face) => `"${face}"`).join(', ');
    return `${spec.bold ? 'bold ' : 'normal '}${spec.points}pt ${faces}, sans-serif`;
  }

  // "E&xit": Exit with the x underlined, where the table marks the key.
  function caption(element, { caption: text, accessKey, accessKeyAt: at }) {
    if (!accessKey) {
      element.textContent = text;
      return;
    }
    const key = document.createElement('u');
    key.textContent = text[at + 1];
    element.append(text.slice(0, at), key, text.slice(at + 2));
  }

  function createControl(c, defaultPoints, middle) {
    let element;
    switch (c.kind) {
      case 'textBox':
        element = document.createElement('input');
        element.type = 'text';
        // A phone's decimal keypad has the language's separator only: where
        // that is a comma, which ends the number, the whole keyboard, whose
        // full stop is at hand.
        element.inputMode = decimalSeparator() === '.' ? 'decimal' : 'text';
        element.autocomplete = 'off';
        element.spellcheck = false;
        element.setAttribute('autocapitalize', 'off');
        element.setAttribute('autocorrect', 'off');
        break;
      case 'button':
        element = document.createElement('button');
        element.type = 'button';
        caption(element, c);
        if (c.accessKey) element.setAttribute('aria-keyshortcuts', `Alt+${c.accessKey.toUpperCase()}`);
        break;
      case 'image':
        element = document.createElement('img');
        element.src = icon;
        element.alt = '';
        element.draggable = false;
        break;
      default: // a label or a frame
        element = document.createElement('div');
        element.textContent = c.caption;
    }
    element.id = c.name;
    element.classList.add('control', c.kind);
    if (c.kind === 'label') element.classList.add(c.align, ...(middle ? ['middle'] : []));
    const style = element.style;
    designs.set(element, c.sizesItself ? { left: c.left, top: c.top }
      : { left: c.left, top: c.top, width: c.width, height: c.height });
    if (c.kind !== 'frame' && c.kind !== 'image') style.font = font(c.font, defaultPoints);
    style.background = colour(c.background);
    style.color = colour(c.foreground);
    if (c.accessibleName) element.setAttribute('aria-label', c.accessibleName);
    return element;
  }

  // A window: its frame (a title bar with a caption and a close button where
  // the border is resizable) around a client area of the table's size.
  function createWindow(layout, onClose) {
    const element = document.createElement('div');
    element.className = `window ${layout.border}`;
    element.style.color = 'ButtonText';
    if (layout.border === 'resizable') {
      const bar = document.createElement('div');
      bar.className = 'titlebar';
      const title = document.createElement('span');
      title.textContent = layout.caption;
      title.id = `${layout.name ?? 'window'}-title`;
      const close = document.createElement('button');
      close.type = 'button';
      close.className = 'close';
      close.tabIndex = -1;
      close.textContent = '\u2715';
      close.setAttribute('aria-label', 'Close');
      close.addEventListener('click', onClose);
      bar.append(title, close);
      element.append(bar);
    }
    const client = document.createElement('div');
    client.className = 'client';
    designs.set(client, { width: layout.clientWidth, height: layout.clientHeight });
    client.style.background = colour(layout.background, 'ButtonFace');
    element.append(client);
    return { element, client };
  }

  function beep() {
    try {
      audio ??= new AudioContext();
      if (audio.state === 'suspended') audio.resume();
      const tone = audio.createOscillator();
      const gain = audio.createGain();
      const now = audio.currentTime;
      tone.frequency.value = 880;
      gain.gain.setValueAtTime(0.2, now);
      gain.gain.exponentialRampToValueAtTime(0.001, now + 0.15);
      tone.connect(gain).connect(audio.destination);
      tone.start(now);
      tone.stop(now + 0.15);
    } catch {
      // No sound to be had: the box still comes.
    }
  }

  // A minimal system's language may be the C library's "C", which is no
  // language tag: the browser's default format then.
  function decimalSeparator() {
    let format;
    try {
      format = new Intl.NumberFormat(navigator.language);
    } catch {
      format = new Intl.NumberFormat();
    }
    const part = format.formatToParts(0.5).find((p) => p.type === 'decimal');
    return part ? part.value : '.';
  }

  // Plain text replaces what the clipboard held. Where the page may not use
  // the clipboard API (refused, or not a secure context), the old way: a copy
  // command whose data is set in its copy event, which also copies an empty
  // text. Resolves false when neither could.
  async function putOnClipboard(text) {
    try {
      await navigator.clipboard.writeText(text);
      return true;
    } catch {
      const put = (event) => {
        event.clipboardData.setData('text/plain', text);
        event.preventDefault();
      };
      const focused = document.activeElement;
      const area = document.createElement('textarea');
      area.value = text || ' ';
      area.setAttribute('aria-hidden', 'true');
      area.style.cssText = 'position:fixed;left:0;top:0;opacity:0;pointer-events:none';
      show(area);
      document.addEventListener('copy', put, true);
      let copied = false;
      try {
        area.focus({ preventScroll: true });
        area.select();
        copied = document.execCommand('copy');
      } catch {
        copied = false;
      } finally {
        document.removeEventListener('copy', put, true);
        area.remove();
        if (focused instanceof HTMLElement) focused.focus({ preventScroll: true });
      }
      return copied;
    }
  }

  // The modal box: a prompt, a title and its buttons, the first the default;
  // Escape and the close button answer the last. Everything behind it is
  // inert while it is open: no click, focus or screen reader reaches it.
  class Box {
    constructor(run, prompt, title, buttons) {
      this.run = run;
      // Opened by a press (a click leaving a field), not by a key: only then,
      // and where that press was, can the box's first press be that click
      // series' second.
      this.openedAt = run.pressing ? run.pressAt : null;
      this.answer = new Promise((resolve) => { this.resolve = resolve; });
      this.escape = buttons[buttons.length - 1].value;
      this.overlay = document.createElement('div');
      this.overlay.className = 'overlay';
      const { element, client } = createWindow({ border: 'resizable', caption: title, name: 'box' },
        (e) => this.clicked(e.currentTarget, this.escape, e));
      element.classList.add('box');
      element.setAttribute('role', 'alertdialog');
      element.setAttribute('aria-modal', 'true');
      element.setAttribute('aria-labelledby', 'box-title');
      element.setAttribute('aria-describedby', 'box-message');
      client.style.width = client.style.height = '';
      const message = document.createElement('div');
      message.className = 'message';
      message.id = 'box-message';
      message.textContent = prompt;
      const row = document.createElement('div');
      row.className = 'buttons';
      this.buttons = buttons.map(({ label, value }) => {
        const button = document.createElement('button');
        button.type = 'button';
        button.textContent = label;
        button.addEventListener('click', (e) => this.clicked(button, value, e));
        button.addEventListener('focus', () => this.buttons.forEach((b) => b.classList.toggle('default', b === button)));
        button.value = String(value);
        row.append(button);
        return button;
      });
      client.append(message, row);
      this.overlay.append(element);
      this.element = element;
      show(this.overlay);
      place(element);
      this.buttons[0].focus();
      this.behind = [...document.body.children].filter((e) => e !== this.overlay && !e.inert);
      for (const e of this.behind) e.inert = true;
      this.pressedBefore = false;
      this.pressed = null;
    }

    // A click counts where its press began on the button, in a click of the
    // box's own: not the second click of a double click whose first opened
    // the box under the pointer. A key's click has no press.
    clicked(button, value, event) {
      if (event.detail === 0 || button === this.pressed) this.close(value);
    }

    // Only the keys the box answers are taken; the browser's own (zoom,
    // find, F5, F6) stay the browser's. Space presses the focused button.
    keyDown(event) {
      const key = keyOf(event);
      if (event.ctrlKey || event.altKey || event.metaKey) return;
      const at = this.buttons.indexOf(document.activeElement);
      if (key === 'Escape') this.close(this.escape);
      else if (key === 'Enter') this.close(Number((this.buttons[at] ?? this.buttons[0]).value));
      else if (['Tab', 'ArrowLeft', 'ArrowRight', 'ArrowUp', 'ArrowDown'].includes(key)) {
        const back = (key === 'Tab' && event.shiftKey) || key === 'ArrowLeft' || key === 'ArrowUp';
        const n = this.buttons.length;
        this.buttons[(Math.max(at, 0) + (back ? n - 1 : 1)) % n].focus();
      } else return;
      event.preventDefault();
    }

    mouseDown(event) {
      event.preventDefault();
      // The box's first press is no answer when it continues a click series
      // begun before the box came (a double click's second); a later one,
      // however fast, is a click of the box's own.
      const near = (at) => Math.abs(event.clientX - at.x) <= 16 && Math.abs(event.clientY - at.y) <= 16;
      const continued = !!this.openedAt && near(this.openedAt) && !this.pressedBefore && event.detail > 1;
      this.pressedBefore = true;
      this.pressed = !continued && event.button === 0 ? event.target.closest('.box button') : null;
      if (this.buttons.includes(this.pressed)) this.pressed.focus(); // not the close button
    }

    close(value) {
      if (this.closed) return;
      this.closed = true;
      for (const e of this.behind) e.inert = false;
      this.overlay.remove();
      this.resolve(value);
    }
  }

  // frmSplash: any key that gives a character, or a click on its surface,
  // closes it and opens the conversion window. Drawn before the module is
  // ready, so its rules read the table alone.
  class Splash {
    constructor(run) {
      this.run = run;
      const layout = run.layouts.frmSplash;
      const { element, client } = createWindow(layout);
      element.setAttribute('role', 'dialog');
      element.setAttribute('aria-label', layout.accessibleName);
      element.setAttribute('aria-description', layout.accessibleDescription);
      element.tabIndex = -1;
      // By row, as the table lists them.
      const controls = layout.controls.map((c) => createControl(c, run.layouts.defaultFontPoints, false));
      const inParent = new Map();
      layout.controls.forEach((c, row) => {
        const control = controls[row];
        if (!c.parent) {
          client.append(control);
          return;
        }
        // Drawn in the window's own order; the labels opaque in their
        // parent's colour, not in patches of another.
        const parent = controls[layout.controls.findIndex((p) => p.name === c.parent)];
        control.style.zIndex = String(row);
        if (c.kind === 'label') control.style.background = parent.style.background;
        if (!inParent.has(parent)) inParent.set(parent, []);
        inParent.get(parent).push({ c, control });
      });
      // Read as seen, top to bottom and left to right, not in the order the
      // window lists them.
      this.groups = [...inParent].map(([parent, children]) => {
        children.sort((a, b) => a.c.top - b.c.top || a.c.left - b.c.left);
        const readingOrder = children.map(({ control }) => control);
        parent.append(...readingOrder);
        return { parent, readingOrder };
      });
      this.element = element;
      // Pressed and released on the surface itself, not on a label or the
      // picture in front of it.
      const surface = controls[layout.controls.findIndex((c) => c.role === 'surface')];
      if (surface) {
        run.on(surface, 'pointerdown', (e) => { this.pressed = e.button === 0 && e.target === surface; });
        run.on(surface, 'pointerup', (e) => { this.released = e.button === 0 && e.target === surface; });
        run.on(surface, 'click', (e) => {
          if (e.button === 0 && e.target === surface && this.pressed && this.released) this.dismiss();
          this.pressed = this.released = false;
        });
      }
      // A finger cannot aim at the surface between the texts: a tap anywhere
      // on the window goes on.
      run.on(element, 'pointerdown', (e) => { this.tapped = e.pointerType === 'touch'; });
      run.on(element, 'click', () => { if (this.tapped) this.dismiss(); });
      show(element);
      this.fit();
      element.focus({ preventScroll: true });
    }

    // The texts as they are drawn, in whatever font and size: one that would
    // lie over another moves below it, or right of the picture.
    separate() {
      for (const { parent, readingOrder: order } of this.groups) {
        // In fractions of a pixel, as a grown window places them.
        const origin = parent.getBoundingClientRect();
        const box = (e) => {
          const r = e.getBoundingClientRect();
          return { left: r.left - origin.left, top: r.top - origin.top, right: r.right - origin.left,
            bottom: r.bottom - origin.top };
        };
        for (let i = 1; i < order.length; i++) {
          for (let j = 0; j < i; j++) {
            const [a, b] = [box(order[j]), box(order[i])];
            if (a.left >= b.right || b.left >= a.right || a.top >= b.bottom || b.top >= a.bottom) continue;
            const picture = [order[i], order[j]].find((e) => e.matches('img'));
            if (picture) {
              const label = picture === order[i] ? order[j] : order[i];
              label.style.left = `${box(picture).right + 2}px`;
            } else {
              order[i].style.top = `${a.bottom}px`;
            }
          }
        }
      }
    }

    // By the key, as the desktop programs decide: Escape, Enter, Backspace
    // and Tab count; keys without a character and Alt, Meta or Ctrl
    // combinations (but AltGr, which is Ctrl+Alt) do not.
    static producesCharacter(e) {
      if ((e.altKey || e.metaKey) && !e.ctrlKey) return false;
      if (e.ctrlKey && !e.altKey) return false; // the browser's: zoom, find
      if (['Enter', 'Escape', 'Backspace', 'Tab'].includes(keyOf(e))) return true;
      return !e.isComposing && [...e.key].length === 1;
    }

    keyDown(event) {
      if (!Splash.producesCharacter(event)) return;
      event.preventDefault(); // the character is not typed anywhere
      this.dismiss();
    }

    mouseDown(event) {
      event.preventDefault();
    }

    // Once, however many keys and clicks arrive. Before the module is ready
    // (a key at once) the window stays until it is, and the keys typed
    // meanwhile are kept for the conversion window.
    dismiss() {
      if (this.dismissed) return;
      this.dismissed = true;
      if (!this.run.exports) this.run.earlyKeys = [];
      this.run.ready.then(() => {
        if (this.run.ended) return;
        this.element.remove();
        this.run.openConversionWindow();
      });
    }

    fit() { place(this.element, () => this.separate()); }
  }

  // frmGridref, rendered from its table; every reaction, and every rule of
  // which control does what, is the module's: the events go to it by row.
  class Gridref {
    constructor(run) {
      this.run = run;
      const layout = run.layouts.frmGridref;
      const exitRow = layout.controls.findIndex((c) => c.role === 'exit');
      const { element, client } = createWindow(layout, () => this.press(exitRow));
      element.setAttribute('role', 'dialog');
      element.setAttribute('aria-labelledby', `${layout.name}-title`);
      this.element = element;
      this.client = client;
      // By row, as the table lists them: a later control lies in front of an
      // earlier one.
      this.controls = layout.controls.map((c) => {
        const control = createControl(c, run.layouts.defaultFontPoints, true);
        if (c.role === 'result') {
          control.setAttribute('role', 'status'); // read out when it changes
          control.setAttribute('aria-live', 'polite');
        }
        client.append(control);
        return control;
      });
      this.buttons = this.controls.filter((e, row) => layout.controls[row].kind === 'button');
      this.cancelRow = layout.controls.findIndex((c) => c.isCancel);
      this.defaultRow = layout.defaultRow;
      this.leaving = -1;
      this.pressRefused = -1;
      layout.controls.forEach((c, row) => {
        const control = this.controls[row];
        if (c.role === 'entry') {
          run.on(control, 'focusout', (e) => {
            if (e.relatedTarget && client.contains(e.relatedTarget)) this.leaving = row;
            else if (!e.relatedTarget) setTimeout(() => this.leftForNothing(row));
          });
        } else if (c.kind === 'button') {
          run.on(control, 'click', (e) => this.clicked(row, e));
        }
      });
      run.on(client, 'focusin', (e) => this.focusIn(e.target));
      // Its layout for a finger: each caption beside the field it names, every
      // other control a row of its own, in tab order.
      element.classList.add('reflows');
      layout.controls.forEach((c, i) => {
        const next = layout.controls[i + 1];
        const role = c.kind === 'textBox' ? 'field' : c.kind === 'label' && next?.kind === 'textBox' ? 'caption' : 'row';
        this.controls[i].classList.add(role);
      });
      show(element);
      this.fit();
      this.controls[this.defaultRow]?.classList.add('default');
      reveal(this.controls[layout.tabOrder[0]]);
    }

    fit() { place(this.element); }

    // The result, in its row; larger than its box in the user's text size,
    // the window grows.
    showText(row, text) {
      const control = this.controls[row];
      control.textContent = text;
      if (!this.element.classList.contains('phone') && textOverBox(control) > 1) this.fit();
      control.scrollIntoView({ block: 'nearest', inline: 'nearest' });
    }

    // A move to another of the window's controls is the user leaving a
    // field: not the page losing the focus, nor the box taking it, nor the
    // focus given back after Retry. Checked once the focus has arrived.
    focusIn(target) {
      this.showDefaultBorder(target);
      const left = this.leaving;
      this.leaving = -1;
      if (left >= 0 && this.controls[left] !== target) this.run.call('qd_field_left', left);
    }

    // A field left with no control taking the focus (a phone keyboard's Done,
    // blur()) is left too, once: the focus lands nowhere that checks it
    // again. Not when the page itself lost the focus: it comes back to the
    // field.
    leftForNothing(row) {
      const focus = document.activeElement;
      if (!document.hasFocus() || this.run.box || (focus && focus !== document.body)) return;
      this.run.call('qd_field_left', row);
    }

    // Where the module puts it for the focus; Enter presses that button.
    showDefaultBorder(focus) {
      this.defaultRow = this.run.exports.qd_default_border_row(this.controls.indexOf(focus));
      for (const button of this.buttons) button.classList.toggle('default', button === this.controls[this.defaultRow]);
    }

    press(row) {
      this.run.call('qd_clicked', row);
    }

    // A click whose press left a refused field does not take effect: a
    // refused leave came between the press and the release. A key's click
    // has no press, and always does.
    clicked(row, event) {
      if (event.detail !== 0 && this.pressRefused !== this.run.refusedLeaves()) return;
      this.press(row);
    }

    mouseDown(event) {
      if (event.target.closest('input.control')) {
        this.pressRefused = this.run.refusedLeaves(); // the browser places the caret
        return;
      }
      // The press gives a button the focus itself, in every browser, before
      // its click; the rest of the window takes none.
      event.preventDefault();
      const button = event.target.closest('button.control');
      if (button && event.button === 0) {
        this.pressRefused = this.run.refusedLeaves();
        button.focus({ preventScroll: true });
      }
    }

    // The keys the window handles, as a dialog does, before the browser's
    // own meaning of them: Enter, Escape, Tab, and Alt with anything.
    keyDown(event) {
      const { ctrlKey, altKey, metaKey, shiftKey } = event;
      const key = keyOf(event);
      if (this.run.dropsKey(event.repeat ? 1 : 0, event)) return event.preventDefault();
      if (event.isComposing) return; // an input method's, not the window's
      if (altKey && !ctrlKey && !metaKey) {
        event.preventDefault();
        // The character typed, or the letter of the key where a layout
        // types another.
        const physical = /^Key[A-Z]$/.test(event.code) ? event.code[3] : '';
        const row = [key.length === 1 ? key : '', physical]
          .map((c) => (c ? this.run.exports.qd_row_with_access_key(c.codePointAt(0)) : -1))
          .find((r) => r >= 0);
        if (row !== undefined) this.press(row); // at once, without moving the focus
        return;
      }
      if (ctrlKey || altKey || metaKey) return;
      if (key === 'Escape') {
        event.preventDefault();
        this.press(this.cancelRow);
      } else if (key === 'Enter') {
        event.preventDefault();
        this.press(this.defaultRow);
      } else if (key === 'Tab') {
        event.preventDefault();
        this.tab(shiftKey);
      }
    }

    keyUp(event) {
      this.run.dropsKey(2, event);
      if (event.key === 'Alt') event.preventDefault(); // no menu bar
    }

    // Along the module's tab order; a field entered so shows its whole text
    // selected.
    tab(backwards) {
      const from = this.controls.indexOf(document.activeElement);
      const next = this.controls[this.run.exports.qd_next_in_tab_order(from, backwards ? 1 : 0)];
      if (!next) return;
      if (next.matches('input')) next.setSelectionRange(0, next.value.length);
      reveal(next);
    }
  }

  // One run of the program: the splash window, drawn from the tables at once,
  // then the conversion window, with a fresh instance of the module that
  // joins the run once compiled; ended, it leaves nothing behind that reacts.
  class Run {
    constructor() {
      this.controller = new AbortController();
      this.suspended = false;
      this.rewinding = false;
      this.ended = false;
      this.box = null;
      this.window = null;
      this.exports = null;
      this.layouts = layouts;
      this.ready = compiled.then((module) => this.attach(module));
      this.ready.catch(() => { this.earlyKeys = null; }); // said in place of the windows
      this.on(document, 'keydown', (e) => {
        // The browser's own (Ctrl, Meta) stay the browser's meanwhile.
        if (this.earlyKeys && !(e.ctrlKey && !e.altKey) && !e.metaKey) {
          e.preventDefault();
          this.earlyKeys.push(e);
        } else {
          (this.box ?? this.window)?.keyDown(e);
        }
      }, true);
      this.on(document, 'keyup', (e) => this.window?.keyUp?.(e), true);
      // Within a press's task: its handlers and the focus it moves after them.
      this.pressing = false;
      this.pressAt = null;
      this.on(document, 'mousedown', (e) => {
        this.pressing = true;
        this.pressAt = { x: e.clientX, y: e.clientY };
        setTimeout(() => { this.pressing = false; });
        this.mouseDown(e);
      }, true);
      this.on(document, 'contextmenu', (e) => {
        if (this.box || !e.target.closest?.('input.control')) e.preventDefault();
      }, true);
      const refit = () => {
        this.window?.fit();
        if (this.box) place(this.box.element);
      };
      this.on(window, 'resize', refit);
      watchTextSize(refit);
      this.controller.signal.addEventListener('abort', () => watchTextSize(() => {}));
      document.title = APP_TITLE;
      this.window = new Splash(this);
    }

    attach(module) {
      const instance = new WebAssembly.Instance(module, {
        env: this.imports(), wasi_snapshot_preview1: this.standardError(),
      });
      this.exports = instance.exports;
      this.exports._initialize();
      this.asyncifyData = this.exports.qd_asyncify_data();
      mark('instantiated');
    }

    on(target, type, handler, capture = false) {
      target.addEventListener(type, handler, { capture, signal: this.controller.signal });
    }

    mouseDown(event) {
      if (this.box) this.box.mouseDown(event);
      else if (this.window?.element.contains(event.target)) this.window.mouseDown(event);
      else event.preventDefault(); // the page around the window takes no focus
    }

    openConversionWindow() {
      this.exports.qd_open_conversion_window();
      this.window = new Gridref(this);
      document.title = this.layouts.frmGridref.caption;
      this.replayEarlyKeys();
    }

    // The keys typed while the module was getting ready, in order, as the
    // window would have had them: its own keys to it, characters into the
    // focused field.
    replayEarlyKeys() {
      const keys = this.earlyKeys ?? [];
      this.earlyKeys = null;
      for (const early of keys) {
        if (this.ended) return;
        const event = new KeyboardEvent('keydown', {
          key: early.key, code: early.code, repeat: early.repeat, cancelable: true, shiftKey: early.shiftKey,
          ctrlKey: early.ctrlKey, altKey: early.altKey, metaKey: early.metaKey,
        });
        (this.box ?? this.window).keyDown(event);
        const field = document.activeElement;
        const character = [...early.key].length === 1 && !early.ctrlKey && !early.altKey && !early.metaKey;
        if (event.defaultPrevented || this.box || !field?.matches('input.control')) continue;
        const { selectionStart: from, selectionEnd: to } = field;
        if (character) field.setRangeText(early.key, from, to, 'end');
        else if (early.key === 'Backspace') field.setRangeText('', from === to ? Math.max(0, from - 1) : from, to, 'end');
      }
    }

    text(pointer, length) {
      return decoder.decode(new Uint8Array(this.exports.memory.buffer, pointer, length));
    }

    // A text for the module: written into its inbox, the length returned.
    inbox(text) {
      const bytes = encoder.encode(text);
      const pointer = this.exports.qd_inbox(bytes.length);
      new Uint8Array(this.exports.memory.buffer, pointer, bytes.length).set(bytes);
      return bytes.length;
    }

    // libc++ 19 writes the message of an abort to standard error before it
    // traps (libc++ 14 did not): the console gets it, and nothing else can
    // be opened.
    standardError() {
      return {
        fd_write: (fd, iovs, count, written) => {
          const view = new DataView(this.exports.memory.buffer);
          let text = '';
          let total = 0;
          for (let i = 0; i < count; i++) {
            const length = view.getUint32(iovs + 8 * i + 4, true);
            text += this.text(view.getUint32(iovs + 8 * i, true), length);
            total += length;
          }
          if (fd === 2) console.error(text);
          view.setUint32(written, total, true);
          return 0;
        },
        fd_seek: () => 70, // ESPIPE: a stream
        fd_close: () => 0,
      };
    }

    imports() {
      return {
        host_read_text: (row) => this.inbox(this.window.controls[row].value),
        host_set_text: (row, p, n) => { this.window.controls[row].value = this.text(p, n); },
        host_give_focus: (row) => reveal(this.window.controls[row]),
        host_beep: () => beep(),
        host_ask_retry_or_cancel: (pp, pn, tp, tn) => this.ask(this.text(pp, pn), this.text(tp, tn)),
        host_grid_reference_shown: (row) => this.inbox(this.window.controls[row].textContent),
        host_show_grid_reference: (row, p, n) => this.window.showText(row, this.text(p, n)),
        host_put_on_clipboard: (p, n) => this.copy(this.text(p, n)),
        host_decimal_separator: () => this.inbox(decimalSeparator()),
        host_close_all_windows: () => this.end(),
      };
    }

    // Into the module from an event. A call that opens the box returns
    // suspended (Asyncify unwound its stack); it is resumed with the answer,
    // and until then nothing else calls in.
    call(name, ...args) {
      if (this.suspended || this.ended) return;
      this.exports[name](...args);
      if (this.exports.asyncify_get_state() === UNWINDING) this.resume(name, args);
    }

    // Whether the window drops a key event; asks nothing while the box is
    // open or after the end.
    dropsKey(motion, event) {
      return !this.suspended && !this.ended && !!this.exports &&
        this.exports.qd_drops_key(motion, event.keyCode, Math.floor(event.timeStamp) | 0) === 1;
    }

    // How many leaves the window has refused; nothing is asked, and no click
    // can take effect, while the box is open or after the end.
    refusedLeaves() {
      return this.suspended || this.ended || !this.exports ? -1 : this.exports.qd_refused_leaves();
    }

    async resume(name, args) {
      this.exports.asyncify_stop_unwind();
      this.suspended = true;
      this.answer = await this.box.answer;
      this.box = null;
      this.suspended = false;
      this.rewinding = true;
      this.exports.asyncify_start_rewind(this.asyncifyData);
      this.exports[name](...args);
      if (this.exports.asyncify_get_state() === UNWINDING) this.resume(name, args);
    }

    ask(prompt, title) {
      if (this.rewinding) { // back in the call, with the answer
        this.rewinding = false;
        this.exports.asyncify_stop_rewind();
        return this.answer;
      }
      this.box = new Box(this, prompt, title, [{ label: 'Retry', value: RETRY }, { label: 'Cancel', value: CANCEL }]);
      const size = this.exports.qd_asyncify_data_size();
      new Int32Array(this.exports.memory.buffer, this.asyncifyData, 2)
        .set([this.asyncifyData + 8, this.asyncifyData + size]);
      this.exports.asyncify_start_unwind(this.asyncifyData);
      return 0;
    }

    // A clipboard that cannot be written is reported, and ends the run, as
    // the desktop programs' default error handling does.
    async copy(text) {
      if (await putOnClipboard(text) || this.ended) return;
      while (this.box) await this.box.answer; // one box at a time
      this.box = new Box(this, 'The text could not be put on the clipboard.', REPORT_TITLE,
        [{ label: 'OK', value: 0 }]);
      this.suspended = true;
      await this.box.answer;
      this.box = null;
      this.suspended = false;
      this.end();
    }

    // Both windows go away and the page says so; no handler of this run
    // reacts any more.
    end() {
      if (this.ended) return;
      this.ended = true;
      this.controller.abort();
      this.window?.element.remove();
      this.window = null;
      document.title = APP_TITLE;
      ended.hidden = false; // not focused: a key held down must not start it again
    }
  }

  function parsed() {
    if (document.readyState !== 'loading') return Promise.resolve();
    return new Promise((r) => document.addEventListener('DOMContentLoaded', r, { once: true }));
  }

  // A page saved with what it showed ("Webpage, Complete") holds the last
  // run's windows after this script, unstyled by the policy: cleared once
  // they are parsed, so that it opens as one fresh run.
  async function clearSaved() {
    await parsed();
    for (const e of [...document.body.children]) {
      if (ours.has(e)) continue;
      if (!e.matches('noscript, script, #ended')) e.remove();
      else e.inert = false;
    }
  }

  // The module, decoded, inflated and compiled once the title window has
  // been painted (the frame after the one that drew it has begun): none of
  // it holds the first frame back.
  async function compile() {
    await parsed();
    await new Promise((r) => requestAnimationFrame(() => requestAnimationFrame(() => setTimeout(r))));
    const text = document.getElementById('module').textContent.trim();
    let bytes;
    if (Uint8Array.fromBase64) {
      bytes = Uint8Array.fromBase64(text);
    } else {
      const binary = atob(text);
      bytes = new Uint8Array(binary.length);
      for (let i = 0; i < binary.length; i++) bytes[i] = binary.charCodeAt(i);
    }
    mark('decoded');
    const stream = new Blob([bytes]).stream().pipeThrough(new DecompressionStream('gzip'));
    const inflated = await new Response(stream).arrayBuffer();
    mark('inflated');
    const module = await WebAssembly.compile(inflated);
    mark('compiled');
    return module;
  }

  // A browser that cannot run it says so, in place of the windows.
  function cannotRun(error) {
    for (const e of document.querySelectorAll('.window, .overlay')) e.remove();
    const message = document.createElement('p');
    message.textContent = `This browser cannot run the program (${error.message}).`;
    show(message);
  }

  // The title window at once, as the page is still being read (its module
  // comes after this script).
  async function load() {
    ended.hidden = true;
    compiled = compile();
    compiled.catch(cannotRun);
    new Run();
    mark('title-window');
    await clearSaved();
    keepForOffline();
  }

  // Served as the web app (the page with a manifest), a worker keeps it for
  // use with no network; after the first run has started, not before it.
  function keepForOffline() {
    if (!document.querySelector('link[rel="manifest"]') || !('serviceWorker' in navigator)) return;
    if (location.protocol === 'file:') return; // a saved copy of the app
    navigator.serviceWorker.register('sw.js').catch((error) => {
      console.warn(`The program is not kept for use offline: ${error.message}`);
    });
  }

  document.getElementById('again').addEventListener('click', () => {
    ended.hidden = true;
    new Run();
  });
  load().catch(cannotRun);
})();
