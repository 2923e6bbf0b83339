// End-to-end: the page opened from its file in each of Debian's browser
// engines (engines.mjs), typed into, clicked and tapped as a user would, the
// clipboard read back. The scenarios are the rows of the desktop programs'
// table (tests/e2e/scenarios.txt) that name the page; each runs in a fresh
// browser context (a fresh MiniBrowser for WebKit).
// Usage: node e2e.mjs PAGE.html [SCENARIO...]   (QUADRANGLER_ENGINE: chromium,
// firefox or webkit, chromium by default; QUADRANGLER_NODE_MODULES: where npm
// put the clients, by default beside this file)
import { mkdtempSync, readFileSync, readdirSync, rmSync, writeFileSync } from 'node:fs';
import { createServer } from 'node:http';
import { tmpdir } from 'node:os';
import { dirname, join, resolve } from 'node:path';
import { fileURLToPath, pathToFileURL } from 'node:url';
import { startEngine } from './engines.mjs';
import { randomWalk, recordConversions } from './walk.mjs';

const here = dirname(fileURLToPath(import.meta.url));
const modules = resolve(process.env.QUADRANGLER_NODE_MODULES ?? join(here, 'node_modules'));
const engine = process.env.QUADRANGLER_ENGINE ?? 'chromium';
export const pageUrl = pathToFileURL(resolve(process.argv[2] ?? '')).href;
const walkModel = process.env.QUADRANGLER_WALK_MODEL ?? join(dirname(resolve(process.argv[2] ?? '')), 'walk_model.wasm');
const walkEvents = Number(process.env.WALK_EVENTS ?? 300);
const webAppDir = process.env.QUADRANGLER_WEB_APP ?? join(dirname(resolve(process.argv[2] ?? '')), 'quadrangler-web');
const TIMEOUT = 5000;
const sleep = (ms) => new Promise((r) => setTimeout(r, ms));

// A static host on a free port of 127.0.0.1: `pages` by path, each a
// folder's file or a text; a folder's path gives its index.html.
function serve(pages) {
  const types = { html: 'text/html', webmanifest: 'application/manifest+json', png: 'image/png', js: 'text/javascript' };
  const server = createServer((request, response) => {
    let path = new URL(request.url, 'http://host').pathname;
    if (path.endsWith('/')) path += 'index.html';
    const page = pages[path];
    if (page === undefined) {
      response.writeHead(404).end();
      return;
    }
    response.writeHead(200, { 'Content-Type': types[path.split('.').pop()], 'Cache-Control': 'no-cache' })
      .end(page);
  });
  return new Promise((r) => server.listen(0, '127.0.0.1', () => r(server)));
}

class Failure extends Error {}
const fail = (message) => { throw new Failure(message); };

// One user at one page: the steps of the desktop programs' driver.
class User {
  constructor(page) { this.page = page; }

  async launch(url = pageUrl) {
    await this.page.goto(url);
    await this.waitFor('no title window', () => !!document.getElementById('Frame1'));
  }

  async start() {
    await this.launch();
    if (await this.exists('#txtDegSouth')) fail('conversion window before the splash');
    await this.key('Enter');
    await this.waitFocus('txtDegSouth');
  }

  type(text) { return this.page.type(text); }
  async key(...keys) { for (const k of keys) await this.page.press(k); }
  exists(selector) { return this.page.evaluate((s) => !!document.querySelector(s), selector); }
  value(selector) { return this.page.evaluate((s) => document.querySelector(s).value, selector); }
  focus(selector) { return this.page.evaluate((s) => document.querySelector(s).focus(), selector); }

  // An element's box in the viewport, and a point in it (its centre, or
  // `position` from its top left corner).
  rect(selector) {
    return this.page.evaluate((s) => {
      const r = document.querySelector(s)?.getBoundingClientRect();
      return r ? { x: r.left, y: r.top, width: r.width, height: r.height } : null;
    }, selector);
  }

  async point(selector, position) {
    const r = (await this.rect(selector)) ?? fail(`no ${selector}`);
    return position ? [r.x + position.x, r.y + position.y] : [r.x + r.width / 2, r.y + r.height / 2];
  }

  async typePosition(tabs = 0) {
    await this.type('26'); await this.key('Tab'); await this.type('14'); await this.key('Tab');
    await this.type('28'); await this.key('Tab'); await this.type('29');
    for (let i = 0; i < tabs; i++) await this.key('Tab');
  }

  clickAt(x, y, count = 1) { return this.page.click(x, y, count); }

  // Clicked, then the mouse off the window: no hover in screenshots.
  async click(name, position) {
    await this.clickAt(...await this.point(`#${name}`, position));
    await this.page.mouseMove(1, 1);
  }

  async hover(selector) { await this.page.mouseMove(...await this.point(selector)); }
  async dblclick(selector) { await this.clickAt(...await this.point(selector), 2); }
  async tap(selector, position) { await this.page.tap(...await this.point(selector, position)); }

  async waitFor(what, predicate, arg) {
    const deadline = Date.now() + TIMEOUT;
    for (;;) {
      if (await this.page.evaluate(predicate, arg).catch(() => false)) return;
      if (Date.now() > deadline) fail(what);
      await sleep(50);
    }
  }

  waitFocus(id) {
    return this.waitFor(`focus never reached ${id}`, (i) => document.activeElement?.id === i, id);
  }

  async box(title) {
    await this.waitFor(`no box titled '${title}'`,
      (t) => document.querySelector('.box #box-title')?.textContent === t, title);
  }

  async noBox() { if (await this.exists('.box')) fail('a box opened'); }

  clipboard() { return this.page.clipboard(); }
  setClipboard(text) { return this.page.setClipboard(text); }

  async waitClipboard(text) {
    const deadline = Date.now() + TIMEOUT;
    let held = await this.clipboard();
    while (held !== text && Date.now() < deadline) {
      await sleep(50);
      held = await this.clipboard();
    }
    if (held !== text) fail(`clipboard '${held}', not '${text}'`);
  }

  // Copies the label with the button and checks what it held.
  async labelIs(text) {
    await this.setClipboard('sentinel');
    await this.click('CmdClipboard');
    await this.waitClipboard(text);
  }

  // The run has ended: no window left, the page says so.
  async waitEnded() {
    await this.waitFor('the program did not end',
      () => !document.querySelector('.window') && !document.getElementById('ended').hidden);
  }

  async running() {
    if (!(await this.exists('#frmGridref-title'))) fail('the program ended');
  }

  // A window's distance from the viewport's centre, both ways.
  async offCentre(selector) {
    return this.page.evaluate((s) => {
      const r = document.querySelector(s).getBoundingClientRect();
      const root = document.documentElement;
      return [r.left + r.width / 2 - root.clientWidth / 2, r.top + r.height / 2 - root.clientHeight / 2];
    }, selector);
  }

  async checkCentred(selector, what) {
    const [dx, dy] = await this.offCentre(selector);
    if (Math.abs(dx) > 1 || Math.abs(dy) > 1) fail(`${what} is off centre by ${dx}, ${dy}`);
  }

  // Captions cut by their boxes, and controls over one another.
  cutOrCovered() {
    return this.page.evaluate(() => {
        const controls = [...document.querySelectorAll('.window .control:not(.frame)')];
        const range = document.createRange();
        const inside = (a, b) => a.left >= b.left - 0.5 && a.right <= b.right + 0.5
          && a.top >= b.top - 0.5 && a.bottom <= b.bottom + 0.5;
        const captioned = [...controls.filter((c) => c.matches('.label, button')), ...document.querySelectorAll('.box button')];
        const cut = captioned.filter((c) => c.textContent).filter((c) => {
          range.selectNodeContents(c);
          return !inside(range.getBoundingClientRect(), c.getBoundingClientRect());
        }).map((c) => `${c.id || c.textContent} cut`);
        const over = [];
        controls.forEach((a, i) => controls.slice(i + 1).forEach((b) => {
          const [p, q] = [a.getBoundingClientRect(), b.getBoundingClientRect()];
          const apart = p.left >= q.right - 0.5 || q.left >= p.right - 0.5 || p.top >= q.bottom - 0.5
            || q.top >= p.bottom - 0.5;
          if (!apart) over.push(`${a.id} over ${b.id}`);
        }));
        return [...cut, ...over];
    });
  }

  // Every caption whole in its box and no control over another but as
  // `designed`, once the window has taken the text as it now is.
  async captionsWhole(what, designed = []) {
    const deadline = Date.now() + TIMEOUT;
    for (;;) {
      const faults = (await this.cutOrCovered()).filter((fault) => !designed.includes(fault));
      if (!faults.length) return;
      if (Date.now() > deadline) fail(`${what}: ${faults.join(', ')}`);
      await sleep(50);
    }
  }

  // Pictures of the conversion window's buttons, as drawn.
  async buttonShots() {
    const shots = [];
    for (const name of ['cmdConvert', 'cmdExit', 'CmdClipboard']) shots.push(await this.page.shot(`#${name}`));
    return Buffer.concat(shots);
  }
}

const scenarios = {
  async converts_and_copies(u) {
    await u.start();
    await u.setClipboard('sentinel');
    await u.typePosition();
    await u.key('Enter');
    await u.click('CmdClipboard');
    await u.waitClipboard('2628AB25');
  },

  async refused_entry_then_retry_and_type_at_once(u) {
    await u.start();
    await u.type('5'); await u.key('Tab');
    await u.box('SA Limits?');
    if (await u.page.evaluate(() => window.beeps) !== 1) fail('no beep before the box');
    await u.key('Enter'); // Retry, the default
    await u.waitFocus('txtDegSouth');
    await u.type('26'); // straight into the emptied field
    await u.key('Enter');
    await u.click('CmdClipboard');
    await u.waitClipboard('260AA1');
  },

  async click_leaving_a_refused_field_is_dropped(u) {
    await u.start();
    const before = await u.page.shot('#cmdConvert');
    await u.type('5');
    // Released only once the box is answered: even so the click is dropped.
    await u.hover('#cmdConvert');
    await u.page.mouseDown();
    await u.box('SA Limits?');
    await u.key('Enter');
    await u.page.mouseUp();
    await u.page.mouseMove(1, 1);
    await u.waitFocus('txtDegSouth');
    // Convert is not drawn pressed: its pixels are as before the click.
    if (!before.equals(await u.page.shot('#cmdConvert'))) fail('Convert looks different after the box');
    // Nor did the click convert: the label is still empty when copied.
    await u.setClipboard('sentinel');
    await u.type('26');
    await u.click('CmdClipboard');
    await u.waitClipboard('');
  },

  // While a button has the focus, Enter presses that button.
  async enter_on_focused_copy_copies(u) {
    await u.start();
    await u.typePosition(); await u.key('Enter');
    await u.click('txtDegSouth'); await u.key('Control+A'); await u.type('30');
    await u.click('CmdClipboard');
    await u.setClipboard('sentinel');
    await u.key('Enter'); // copies the label, 2628AB25: no Convert to 3028AB25
    await u.waitClipboard('2628AB25');
  },

  async enter_on_focused_convert_converts(u) {
    await u.start();
    await u.typePosition(1);
    await u.key('Enter');
    await u.labelIs('2628AB25');
  },

  async enter_on_focused_exit_exits(u) {
    await u.start();
    await u.typePosition(2);
    await u.key('Enter');
    await u.waitEnded();
  },

  // Access keys need Alt: a plain x on any button does nothing.
  async plain_x_on_a_button_does_nothing(u) {
    await u.start();
    await u.typePosition(); await u.key('Enter');
    await u.key('Tab', 'x', 'Tab', 'x', 'Tab', 'x'); // on Convert, Exit and Copy to Clipboard
    await sleep(300);
    await u.running();
    await u.noBox();
    await u.labelIs('2628AB25');
  },

  // The field left by Shift+Tab is refused; after Retry the caret is back in
  // it, and Convert, not the button Shift+Tab reached, wears the default
  // border: as drawn before, and pressed by Enter.
  async default_border_back_on_convert_after_retry(u) {
    await u.start();
    const before = await u.buttonShots();
    await u.key('Shift+Tab');
    await u.box('SA Limits?');
    await u.key('Enter'); // Retry
    await u.waitFocus('txtDegSouth');
    if (!before.equals(await u.buttonShots())) fail('the buttons look different after Retry');
    await u.type('26'); await u.key('Enter');
    await u.labelIs('260AA1');
  },

  // The windows' colours are fixed: under a dark colour scheme with forced
  // dark both are drawn as under a light one, and the title window's texts
  // keep a contrast of at least 4.5:1 with their background.
  async readable_under_a_dark_scheme_and_forced_dark(u) {
    const cdp = await u.page.cdp();
    const dark = async (on) => {
      await u.page.pw.emulateMedia({ colorScheme: on ? 'dark' : 'light' });
      await cdp.send('Emulation.setAutoDarkModeOverride', on ? { enabled: true } : {});
    };
    await u.launch();
    for (const window of ['the title window', 'the conversion window']) {
      const light = await u.page.pw.screenshot();
      await dark(true);
      if (!light.equals(await u.page.pw.screenshot())) fail(`${window} is recoloured`);
      await dark(false);
      if (window === 'the title window') { await u.key('Enter'); await u.waitFocus('txtDegSouth'); }
    }
    await dark(true);
    await u.launch();
    const ratios = await u.page.evaluate(() => [...document.querySelectorAll('#Frame1 .label')].map((l) => {
      const luminance = (css) => {
        const [r, g, b] = css.match(/[\d.]+/g).slice(0, 3).map((v) => {
          const c = Number(v) / 255;
          return c <= 0.03928 ? c / 12.92 : ((c + 0.055) / 1.055) ** 2.4;
        });
        return 0.2126 * r + 0.7152 * g + 0.0722 * b;
      };
      const style = getComputedStyle(l);
      const [a, b] = [luminance(style.color), luminance(style.backgroundColor)].sort((x, y) => y - x);
      return [l.id, (a + 0.05) / (b + 0.05)];
    }));
    if (ratios.length !== 5) fail(`${ratios.length} labels on the frame`);
    for (const [id, ratio] of ratios) if (ratio < 4.5) fail(`${id} has a contrast of ${ratio.toFixed(2)}`);
  },

  // Under forced colours the default border, which also shows which button
  // has the focus, stays apart from the other buttons' as drawn.
  async default_button_seen_under_forced_colours(u) {
    await u.page.pw.emulateMedia({ forcedColors: 'active' });
    await u.start();
    const wears = async (name) => {
      const shots = {};
      for (const b of ['cmdConvert', 'cmdExit', 'CmdClipboard']) {
        // A button's top left corner, its edge: one like the others' is no mark.
        const r = await u.rect(`#${b}`);
        shots[b] = await u.page.pw.screenshot({ clip: { x: r.x, y: r.y, width: 8, height: 8 } });
      }
      const others = Object.keys(shots).filter((b) => b !== name);
      if (others.some((b) => shots[b].equals(shots[name]))) fail(`${name} looks as the others do`);
      if (!shots[others[0]].equals(shots[others[1]])) fail(`${others} look apart`);
    };
    await wears('cmdConvert');
    await u.type('26'); // no box over the buttons
    await u.click('CmdClipboard');
    await wears('CmdClipboard');
  },

  // Alt with any letter but x presses nothing and moves nothing.
  async alt_with_another_letter_does_nothing(u) {
    await u.start();
    await u.setClipboard('sentinel');
    await u.typePosition();
    for (const letter of 'abcdefghijklmnopqrstuvwyz') await u.key(`Alt+${letter}`);
    await sleep(300);
    await u.running();
    await u.noBox();
    await u.waitFocus('txtMinEast');
    if (await u.clipboard() !== 'sentinel') fail('copied');
    await u.labelIs(''); // not converted
  },

  // Shift+Tab goes round the tab order the other way, by the window, not by
  // the browser's own focus navigation, which may leave the page (WebKit
  // gives Shift+Tab the key 'Unidentified', only its code is 'Tab').
  async shift_tab_goes_round_the_other_way(u) {
    await u.start();
    await u.page.evaluate(() => {
      window.browserTabs = 0;
      window.addEventListener('keydown', (e) => { if (e.code === 'Tab' && !e.defaultPrevented) window.browserTabs += 1; });
    });
    await u.typePosition(); // in txtMinEast
    for (const name of ['txtDegEast', 'txtMinSouth', 'txtDegSouth', 'CmdClipboard', 'cmdExit',
      'cmdConvert', 'txtMinEast']) {
      await u.key('Shift+Tab');
      await u.waitFocus(name);
    }
    await u.noBox();
    const left = await u.page.evaluate(() => window.browserTabs);
    if (left) fail(`${left} presses of Tab left to the browser`);
  },

  // A field left with no control taking the focus (a phone keyboard's Done)
  // is checked, once: not again when the focus then lands on a control.
  async field_left_for_nothing_is_checked_once(u) {
    await u.start();
    await u.type('99');
    const blur = () => u.page.evaluate(() => document.activeElement.blur());
    await blur();
    await u.box('SA Limits?');
    await u.key('Enter'); // Retry
    await u.waitFocus('txtDegSouth');
    await u.type('26');
    await blur();
    await u.click('txtMinSouth');
    await u.type('99');
    await blur();
    await u.box('Invalid Data?');
    await u.key('Enter');
    await u.waitFocus('txtMinSouth');
    await u.type('14');
    await blur();
    await u.click('cmdConvert');
    await sleep(200);
    await u.noBox();
    if (await u.page.evaluate(() => window.boxes) !== 2) fail('not one box for each refused field');
    await u.labelIs('260AA21');
  },

  // The browser's own keys (zoom here) stay the browser's on the title
  // window and while the box is open, which answer only their own keys.
  async browser_keys_left_to_the_browser(u) {
    const zoom = ['Control+=', 'Control+-', 'Control+0'];
    const left = async (what) => {
      const keys = await u.page.evaluate(() => window.browserKeys.splice(0));
      if (keys.join() !== 'Control+=,Control+-,Control+0') fail(`${what} left the browser ${keys}`);
    };
    await u.launch();
    await u.page.evaluate(() => {
      window.browserKeys = [];
      window.addEventListener('keydown', (e) => {
        if (e.ctrlKey && e.key !== 'Control' && !e.defaultPrevented) window.browserKeys.push(`Control+${e.key}`);
      });
    });
    await u.key(...zoom);
    await left('the title window');
    if (await u.exists('#txtDegSouth')) fail('the title window went on a browser key');
    await u.key('Enter');
    await u.waitFocus('txtDegSouth');
    await u.type('5'); await u.key('Tab');
    await u.box('SA Limits?');
    await u.key(...zoom);
    await left('the box');
    await u.key('Enter'); // still Retry
    await u.waitFocus('txtDegSouth');
    if (await u.page.evaluate(() => window.boxes) !== 1) fail('more than one box');
  },

  // While the box is open the window behind it takes nothing: not the second
  // click of the double click on Convert that opened it (the box comes under
  // the pointer), nor clicks, Tab or a screen reader's focus.
  async window_behind_the_box_takes_nothing(u) {
    await u.start();
    await u.setClipboard('sentinel');
    await u.type('99');
    await u.dblclick('#cmdConvert');
    if (!(await u.exists('.box'))) fail('the double click answered the box');
    for (const selector of ['#txtMinEast', '#cmdExit', '#CmdClipboard', '#frmGridref-title + .close']) {
      await u.clickAt(...await u.point(selector));
    }
    await u.key('Tab', 'Tab'); // round the box's two buttons, back on Retry
    await u.focus('#txtMinEast');
    if (!(await u.page.evaluate(() => !!document.activeElement.closest('.box')))) fail('the focus left the box');
    await u.key('Enter'); // Retry, once
    await u.waitFocus('txtDegSouth');
    await u.running();
    if (await u.page.evaluate(() => window.boxes) !== 1) fail('more than one box');
    if (await u.clipboard() !== 'sentinel') fail('copied');
    // A third press as quick, on Retry, is a click of the box's own.
    await u.type('99');
    await u.dblclick('#cmdConvert');
    await u.hover('.box .buttons button'); // Retry
    await u.page.mouseDown(3);
    await u.page.mouseUp(3);
    await u.waitFocus('txtDegSouth');
    if (await u.exists('.box')) fail('a quick third click on Retry was refused');
  },

  // A screen reader names the title window, which has no caption, and says
  // how to go on, as for the desktop programs.
  async splash_named_for_a_screen_reader(u) {
    await u.launch();
    const cdp = await u.page.cdp();
    const { nodes } = await cdp.send('Accessibility.getFullAXTree');
    const read = nodes.filter((n) => n.role?.value === 'dialog')
      .map((n) => `${n.name?.value}: ${n.description?.value}`);
    if (read.join() !== '3 x 3-Minute Quadrangler: Press Enter to continue.') fail(`read as ${read}`);
  },

  // The result is a polite live region, which a screen reader reads when a
  // text is added to it: each Convert adds the reference anew, the same one
  // again too, and the focus stays in the field.
  async result_announced_on_each_convert(u) {
    await u.start();
    await u.typePosition();
    const cdp = await u.page.cdp();
    const seen = new Set();
    const steps = [
      [['Enter'], '2628AB25'], [['Enter'], '2628AB25'], [['Backspace', '1', 'Enter'], '2628AB23'],
    ];
    for (const [keys, expected] of steps) {
      await u.key(...keys);
      const { nodes } = await cdp.send('Accessibility.getFullAXTree');
      const region = nodes.find((n) => n.role?.value === 'status' &&
        n.properties?.some((p) => p.name === 'live' && p.value.value === 'polite'));
      if (!region) fail('no polite live region');
      const text = nodes.find((n) => n.parentId === region.nodeId && n.role?.value === 'StaticText');
      const held = text?.name?.value;
      if (held !== expected) fail(`after ${keys}: the live region holds '${held}', not '${expected}'`);
      if (seen.has(text.nodeId)) fail(`after ${keys}: nothing added to the live region, nothing said`);
      seen.add(text.nodeId);
    }
    await u.waitFocus('txtMinEast');
  },

  // The title window's texts are read as they are seen, top to bottom; none
  // lies over another or over the picture, and none is a patch of another
  // colour on the frame.
  async splash_reads_in_order_without_overlap_or_patches(u) {
    await u.launch();
    const { order, overlaps, patches } = await u.page.evaluate(() => {
      const frame = document.getElementById('Frame1');
      const controls = [...frame.children];
      const overlaps = [];
      controls.forEach((a, i) => controls.slice(i + 1).forEach((b) => {
        const [p, q] = [a.getBoundingClientRect(), b.getBoundingClientRect()];
        if (p.left < q.right && q.left < p.right && p.top < q.bottom && q.top < p.bottom) overlaps.push(`${a.id}/${b.id}`);
      }));
      const surface = getComputedStyle(frame).backgroundColor;
      const patches = controls.filter((c) => c.matches('.label') && getComputedStyle(c).backgroundColor !== surface)
        .map((c) => c.id);
      return { order: controls.filter((c) => c.matches('.label')).map((c) => c.id), overlaps, patches };
    });
    if (order.join() !== 'lblTitle1,lblTitle2,lblProgVersion,lblCopyright,lblCompany') fail(`read as ${order}`);
    if (overlaps.length) fail(`overlapping: ${overlaps}`);
    if (patches.length) fail(`patches: ${patches}`);
  },

  // Saved as the browser's "Webpage, Complete" does (the document as it
  // stands), with the box open, the page opens as one fresh run.
  async saved_page_opens_as_one_run(u) {
    await u.start();
    await u.typePosition(); await u.key('Enter');
    await u.click('txtDegSouth'); await u.key('Control+A'); await u.type('5'); await u.key('Tab');
    await u.box('SA Limits?');
    const html = await u.page.evaluate(() => `<!DOCTYPE html>\n${document.documentElement.outerHTML}`);
    const saved = join(mkdtempSync(join(tmpdir(), 'quadrangler-saved-')), 'quadrangler.html');
    writeFileSync(saved, html);
    try {
      await u.launch(pathToFileURL(saved).href);
      // The left-overs' style attributes, refused before the script clears them.
      await u.page.evaluate(() => {
        window.violations = window.violations.filter((v) => !v.startsWith('style-src-attr'));
      });
      const left = await u.page.evaluate(() => [document.querySelectorAll('.window, .overlay, [inert]').length,
        document.getElementById('ended').hidden]);
      if (left.join() !== '1,true') fail(`windows, boxes and inert parts, the notice hidden: ${left}`);
      await u.key('Enter');
      await u.waitFocus('txtDegSouth');
      await u.typePosition(); await u.key('Enter');
      await u.labelIs('2628AB25');
    } finally {
      rmSync(dirname(saved), { recursive: true, force: true });
    }
  },

  // The text spacing a user may set (WCAG's: lines 1.5, letters 0.12 em,
  // words 0.16 em), applied once the page is open, as its bookmarklet does:
  // each window grows to hold its captions, whole and apart, and works.
  // Taken back, the window is as designed again.
  async captions_grow_with_the_text(u) {
    const spacing = (on) => u.page.evaluate((set) => {
      const sheet = new CSSStyleSheet();
      sheet.replaceSync(`* { line-height: 1.5 !important; letter-spacing: 0.12em !important;
        word-spacing: 0.16em !important; } p { margin-bottom: 2em !important; }`);
      document.adoptedStyleSheets = set ? [sheet] : [];
    }, on);
    const width = () => u.page.evaluate(() => document.querySelector('.window').offsetWidth);
    await u.launch();
    await spacing(true);
    await u.captionsWhole('the title window');
    await spacing(false);
    await u.key('Enter');
    await u.waitFocus('txtDegSouth');
    // Overlaps as designed (a label's box reaching into its field's), no cut.
    const designed = await u.cutOrCovered();
    if (designed.some((fault) => fault.endsWith(' cut'))) fail(`as designed: ${designed}`);
    const designedWidth = await width();
    await spacing(true);
    await u.captionsWhole('the conversion window', designed);
    if (await width() <= designedWidth) fail('the conversion window did not grow');
    await u.checkCentred('.window', 'the conversion window');
    await u.typePosition(); await u.key('Enter');
    await u.captionsWhole('the conversion window with its result', designed);
    await u.labelIs('2628AB25');
    await u.click('txtDegSouth'); await u.key('Control+A'); await u.type('99'); await u.key('Tab');
    await u.box('SA Limits?');
    await u.captionsWhole('the box', designed);
    await u.key('Enter');
    await u.waitFocus('txtDegSouth');
    await spacing(false);
    await u.waitFor('the conversion window is not as designed again',
      (w) => document.querySelector('.window').offsetWidth === w, designedWidth);
  },

  // The web app served from a folder of 127.0.0.1, beside another page of
  // the host in that folder and another build of the app in a folder of its
  // own: once its worker has the page, the host's own page is still the
  // host's, the other build's worker leaves this one's copy alone, and the
  // app opens and converts with the server gone (and, in Chromium, the
  // network off). Chromium finds nothing missing to install it.
  async web_app_installable_and_offline(u) {
    const pages = { '/app/about.html': '<!DOCTYPE html><title>About</title><p id="about">About us</p>' };
    for (const name of readdirSync(webAppDir)) {
      const content = readFileSync(join(webAppDir, name));
      pages[`/app/${name}`] = content;
      pages[`/next/${name}`] = name === 'sw.js' ? `${content}// the next build\n` : content;
    }
    const server = await serve(pages);
    const host = `http://127.0.0.1:${server.address().port}`;
    const url = `${host}/app/`;
    const violations = () => u.page.evaluate(() => window.violations);
    try {
      await u.launch(url);
      await u.waitFor('no worker took charge of the page', () => !!navigator.serviceWorker.controller);
      if ((await violations()).length) fail(`the app breaks its policy: ${await violations()}`);
      if (u.page.cdp) {
        const { installabilityErrors } = await (await u.page.cdp()).send('Page.getInstallabilityErrors');
        if (installabilityErrors.length) fail(`not installable: ${installabilityErrors.map((e) => e.errorId)}`);
      }
      await u.page.goto(`${host}/app/about.html`);
      await u.waitFor('the host\'s own page answered by the app', () => !!document.getElementById('about'));
      await u.launch(`${host}/next/`);
      await u.waitFor('no worker took charge of the next build', () => !!navigator.serviceWorker.controller);
    } finally {
      server.closeAllConnections();
      await new Promise((r) => server.close(r));
    }
    if (u.page.setOffline) await u.page.setOffline(true);
    await u.launch(url);
    await u.key('Enter');
    await u.waitFocus('txtDegSouth');
    await u.typePosition(); await u.key('Enter');
    await u.labelIs('2628AB25');
  },

  // The seeded walk of walk.mjs, against the desktop walks' model: with a
  // mouse and a keyboard, and on a phone, with a finger and its keyboard.
  async random_walk_holds_the_properties(u) {
    await u.launch();
    await randomWalk(u, {
      model: walkModel, seed: Number(process.env.WALK_SEED ?? 20261210), events: walkEvents,
      pointer: 'mouse', fail, log: (line) => console.log(line),
    });
  },

  // Chromium's emulated touch at times leaves a tapped button :active, drawn
  // pressed, until the next tap (after the box's beep, say; never in a bare
  // page): what is drawn pressed is not asked of it there.
  async random_walk_by_touch_holds_the_properties(u) {
    await u.launch();
    await randomWalk(u, {
      model: walkModel, seed: Number(process.env.WALK_SEED ?? 20261210), events: walkEvents,
      pointer: 'touch', pressed: engine !== 'chromium', fail, log: (line) => console.log(line),
    });
  },

  // Keys pressed while the module is still getting ready (held back here
  // by 2.5 s): the title window stays until it is, and what was typed
  // reaches the conversion window as typed.
  async keys_before_the_module_is_ready_are_kept(u) {
    await u.page.prepare(() => {
      const compile = WebAssembly.compile;
      WebAssembly.compile = (bytes) => new Promise((r) => setTimeout(r, 2500)).then(() => compile(bytes));
    });
    await u.launch();
    await u.key('Enter');
    await u.type('26'); await u.key('Tab'); await u.type('14');
    if (!(await u.exists('#Frame1'))) fail('the title window went before the module was ready');
    await u.waitFocus('txtMinSouth');
    const values = await u.page.evaluate(() => [...document.querySelectorAll('input.control')].map((f) => f.value));
    if (values.join() !== '26,14,,') fail(`the fields hold ${values}`);
    await u.key('Tab'); await u.type('28'); await u.key('Tab'); await u.type('29'); await u.key('Enter');
    await u.labelIs('2628AB25');
  },

  async alt_x_ends_with_status_0(u) {
    await u.start();
    await u.type('5');
    await u.key('Alt+x');
    await u.waitEnded();
    if (await u.page.evaluate(() => window.boxes) !== 0) fail('a box opened');
  },

  async cancel_ends_with_status_0(u) {
    await u.start();
    await u.type('99'); await u.key('Tab');
    await u.box('SA Limits?');
    await u.key('Escape');
    await u.waitEnded();
  },

  // After the end nothing reacts, until the program is started again.
  async escape_ends_with_status_0(u) {
    await u.start();
    await u.key('Escape');
    await u.waitEnded();
    await u.key('Escape', 'Enter', 'x');
    await u.clickAt(400, 300);
    await sleep(200);
    if (await u.exists('.window')) fail('a window came back');
    await u.click('again');
    await u.waitFor('no splash after starting again', () => !!document.getElementById('Frame1'));
  },

  async both_windows_are_centred(u) {
    await u.launch();
    await u.checkCentred('.window', 'the title window');
    await u.key('Enter');
    await u.waitFocus('txtDegSouth');
    await u.checkCentred('.window', 'the conversion window');
  },

  // Keys without a character and clicks off the frame's own surface leave the
  // title window; Escape dismisses it without ending the run.
  async splash_ignores_all_but_keys_and_frame_clicks(u) {
    await u.launch();
    await u.key('Shift', 'ArrowLeft', 'F5');
    await u.click('imgLogo'); await u.click('lblTitle1');
    await sleep(300);
    if (await u.exists('#txtDegSouth')) fail('dismissed by a key or click that does not count');
    await u.click('Frame1', { x: 240, y: 22 }); // (248, 30) of the window
    await u.waitFocus('txtDegSouth');
    await u.launch();
    await u.key('Escape');
    await u.waitFocus('txtDegSouth');
    // The character of the key that dismisses is not typed anywhere.
    await u.launch();
    await u.key('7');
    await u.waitFocus('txtDegSouth');
    if (await u.value('#txtDegSouth') !== '') fail('the key was typed into the field');
  },

  // Where the page may not use the clipboard API, the copy command puts the
  // text there; where that fails too, the failure is reported and ends the run.
  async copies_where_the_page_may_not_use_the_clipboard(u) {
    await u.start();
    await u.page.evaluate(() => {
      navigator.clipboard.writeText = () => Promise.reject(new DOMException('refused', 'NotAllowedError'));
    });
    await u.typePosition(); await u.key('Enter');
    await u.click('CmdClipboard');
    await u.waitClipboard('2628AB25');
    await u.waitFocus('CmdClipboard');
    await u.page.evaluate(() => { document.execCommand = () => false; });
    await u.click('CmdClipboard');
    await u.box('3 x 3-Minute Quadrangler');
    await u.key('Enter');
    await u.waitEnded();
  },

  // NumberText's decimal separator is the browser language's. Its phone
  // keypad would offer only the comma: the fields ask for the whole keyboard.
  async decimal_comma_from_the_language(u) {
    await u.start();
    const modes = await u.page.evaluate(() => [...document.querySelectorAll('input')].map((f) => f.inputMode));
    if (modes.join() !== 'text,text,text,text') fail(`input modes ${modes}`);
    await u.type('26.5'); await u.key('Tab'); await u.type('14'); await u.key('Tab');
    await u.type('28'); await u.key('Tab'); await u.type('29'); await u.key('Enter');
    await u.labelIs('26,528AB25');
  },

  // A minimal system's language, the C library's "C", is no language tag to
  // the browser's number formats: the full stop, and the window still opens.
  async minimal_system_language_still_converts(u) {
    await u.start();
    await u.type('26.5'); await u.key('Tab'); await u.type('14'); await u.key('Tab');
    await u.type('28'); await u.key('Tab'); await u.type('29'); await u.key('Enter');
    await u.labelIs('26.528AB25');
  },

  // Narrower than the window (a phone, or a desktop browser zoomed in): the
  // title window scaled to the width, in its proportions, a tap anywhere on
  // it going on; the conversion window laid out for a finger, in tab order,
  // every field and button at least 44 x 44, field text at least 16 px,
  // nothing wider than the screen; the fields ask for the numeric keyboard.
  async narrow_viewport_lays_out_for_a_finger(u) {
    await u.launch();
    const [width, ratio, drawnRatio, viewport] = await u.page.evaluate(() => {
      const w = document.querySelector('.window');
      const r = w.getBoundingClientRect();
      return [r.width, w.offsetHeight / w.offsetWidth, r.height / r.width, innerWidth];
    });
    if (Math.abs(width - viewport) > 1) fail(`the title window is ${width} wide in a viewport of ${viewport}`);
    if (Math.abs(ratio - drawnRatio) > 0.01) fail('the title window is drawn in other proportions');
    await u.checkCentred('.window', 'the title window');
    await u.tap('#lblTitle2'); // anywhere on it
    await u.waitFocus('txtDegSouth');
    const faults = await u.page.evaluate(() => {
      const found = [];
      const root = document.documentElement;
      if (root.scrollWidth > root.clientWidth) found.push(`the page scrolls sideways (${root.scrollWidth})`);
      for (const c of document.querySelectorAll('.client .control')) {
        const r = c.getBoundingClientRect();
        if (r.left < 0 || r.right > root.clientWidth) found.push(`${c.id} out of the screen`);
        if (c.matches('input, button') && (r.width < 44 || r.height < 44)) found.push(`${c.id} ${r.width}x${r.height}`);
        if (c.matches('input') && parseFloat(getComputedStyle(c).fontSize) < 16) found.push(`${c.id} text small`);
      }
      const order = [...document.querySelectorAll('.client input, .client button')]
        .sort((a, b) => a.getBoundingClientRect().top - b.getBoundingClientRect().top).map((c) => c.id);
      if (order.join() !== 'txtDegSouth,txtMinSouth,txtDegEast,txtMinEast,cmdConvert,cmdExit,CmdClipboard') {
        found.push(`laid out as ${order}`);
      }
      return found;
    });
    if (faults.length) fail(faults.join('; '));
    const modes = await u.page.evaluate(() => [...document.querySelectorAll('input')].map((f) => f.inputMode));
    if (modes.join() !== 'decimal,decimal,decimal,decimal') fail(`input modes ${modes}`);
    await u.typePosition();
    await u.tap('#cmdConvert');
    await u.tap('#CmdClipboard');
    await u.waitClipboard('2628AB25');
    // 99 left by the keyboard's Done: the box, its buttons for a finger.
    await u.tap('#txtDegSouth');
    await u.key('Control+A'); await u.type('99');
    await u.page.evaluate(() => document.activeElement.blur());
    await u.box('SA Limits?');
    const small = await u.page.evaluate(() => [...document.querySelectorAll('.box .buttons button')]
      .map((b) => b.getBoundingClientRect()).filter((r) => r.width < 44 || r.height < 44).length);
    if (small) fail(`${small} of the box's buttons smaller than 44 x 44`);
    await u.tap('.box .buttons button'); // Retry
    await u.waitFocus('txtDegSouth');
    // Turned to landscape and back: still for a finger, the focus kept.
    await u.page.resize(640, 360);
    await u.waitFor('the window not for a finger in landscape', () => {
      const w = document.querySelector('.window.phone')?.getBoundingClientRect();
      const small = [...document.querySelectorAll('.client input, .client button')]
        .map((c) => c.getBoundingClientRect()).filter((r) => r.width < 44 || r.height < 44);
      return w && w.left >= 0 && w.right <= innerWidth && !small.length;
    });
    await u.page.resize(360, 640);
    await u.waitFor('the window not for a finger again', () => !!document.querySelector('.window.phone'));
    await u.waitFocus('txtDegSouth');
    // A desktop browser at 400 % (180 px high): Tab and Enter show what they
    // reach, scrolling as far as needed.
    await u.page.resize(320, 180);
    await u.type('26');
    const inView = (s) => u.page.evaluate((sel) => {
      const r = document.querySelector(sel).getBoundingClientRect();
      return r.top >= 0 && r.bottom <= innerHeight;
    }, s);
    for (const name of ['txtMinSouth', 'txtDegEast', 'txtMinEast', 'cmdConvert', 'cmdExit', 'CmdClipboard', 'txtDegSouth']) {
      await u.key('Tab');
      await u.waitFocus(name);
      if (!(await inView(`#${name}`))) fail(`${name} has the focus out of view`);
    }
    await u.key('Tab'); await u.key('Tab'); await u.key('Tab');
    await u.key('Enter');
    if (!(await inView('#lblGridRef'))) fail('the result is out of view');
  },


  // The page asks for nothing but its own file, and its policy refuses any
  // request it might make.
  async no_request_but_its_own_file(u) {
    const { requests } = u.page;
    await u.start();
    await u.typePosition(); await u.key('Enter');
    await u.click('CmdClipboard');
    await u.waitClipboard('2628AB25');
    await u.click('txtDegSouth'); await u.key('Control+A'); await u.type('5'); await u.key('Tab');
    await u.box('SA Limits?');
    await u.key('Enter');
    const refused = await u.page.evaluate(async () => {
      const violations = [];
      document.addEventListener('securitypolicyviolation', (e) => violations.push(e.effectiveDirective));
      const fetched = await fetch('http://127.0.0.1:9/').then(() => 'fetched', () => 'refused');
      await new Promise((r) => setTimeout(r, 100));
      return `${fetched} ${violations.join()}`;
    });
    if (refused !== 'refused connect-src') fail(`a request from the page: ${refused}`);
    await u.page.evaluate(() => { window.violations = []; }); // that one was asked for
    if (!requests) return; // the engine's automation reports none
    // Firefox reports no request for a file it opens, only for its icon.
    const others = requests.filter((url) => url !== pageUrl && !url.startsWith('data:'));
    if (others.length || !requests.length) fail(`requests: ${requests.join(', ')}`);
  },

  async held_key_on_the_splash_repeats_nothing(u) {
    await u.launch();
    await u.page.keyDown('2');
    await u.waitFocus('txtDegSouth');
    for (let i = 0; i < 5; i++) await u.page.keyDown('2'); // held: auto-repeats
    await u.page.keyUp('2');
    await u.typePosition();
    await u.key('Enter');
    await u.labelIs('2628AB25');
  },
};

// What each scenario's context needs beyond the defaults.
const contexts = {
  decimal_comma_from_the_language: { locale: 'de-DE' },
  minimal_system_language_still_converts: { locale: 'C' },
  narrow_viewport_lays_out_for_a_finger: { viewport: { width: 360, height: 640 }, touch: true },
  web_app_installable_and_offline: { installable: true },
  random_walk_by_touch_holds_the_properties: { viewport: { width: 360, height: 640 }, touch: true },
  captions_grow_with_the_text: { viewport: { width: 1280, height: 900 }, minimumFontSize: 20 },
};

// How long a scenario may run, where 90 s is not enough.
const limits = {
  random_walk_holds_the_properties: 60000 + walkEvents * 1000,
  random_walk_by_touch_holds_the_properties: 60000 + walkEvents * 1000,
};

// The beeps and boxes of the page counted, breaches of its own policy kept.
function countBeepsAndBoxes() {
  window.beeps = 0;
  window.boxes = 0;
  window.violations = [];
  document.addEventListener('securitypolicyviolation',
    (e) => window.violations.push(`${e.effectiveDirective} ${e.blockedURI}`));
  const start = OscillatorNode.prototype.start;
  OscillatorNode.prototype.start = function (...args) {
    window.beeps += 1;
    return start.apply(this, args);
  };
  new MutationObserver((changes) => {
    for (const change of changes) {
      for (const node of change.addedNodes) if (node.querySelector?.('.box')) window.boxes += 1;
    }
  }).observe(document, { childList: true, subtree: true });
}

function scenarioNames() {
  const table = readFileSync(join(here, '../e2e/scenarios.txt'), 'utf8');
  return table.split('\n').filter((line) => !line.startsWith('#'))
    .map((line) => line.trim().split(/\s+/)).filter((row) => row.slice(1).includes('web'))
    .map((row) => row[0]);
}

// Scenarios an engine's automation cannot express, with the reason.
const cannot = {
  minimal_system_language_still_converts: {
    chromium: 'its language is always a language tag; it cannot be given the C library\'s',
  },
  readable_under_a_dark_scheme_and_forced_dark: {
    firefox: 'forced dark is Chromium\'s own', webkit: 'forced dark is Chromium\'s own',
  },
  default_button_seen_under_forced_colours: {
    firefox: 'its automation cannot force colours', webkit: 'its automation cannot force colours',
  },
  narrow_viewport_lays_out_for_a_finger: {
    webkit: 'its automation has no touch: a tap arrives as a click of the mouse',
  },
  random_walk_by_touch_holds_the_properties: {
    webkit: 'its automation has no touch: a tap arrives as a click of the mouse',
  },
  keys_before_the_module_is_ready_are_kept: {
    webkit: 'classic WebDriver runs no script before the page\'s own, to hold the module back',
  },
  splash_named_for_a_screen_reader: {
    firefox: 'its automation gives no accessibility tree', webkit: 'its automation gives no accessibility tree',
  },
  result_announced_on_each_convert: {
    firefox: 'its automation gives no accessibility tree', webkit: 'its automation gives no accessibility tree',
  },
};

async function main() {
  const chosen = process.argv.slice(3);
  const names = scenarioNames().filter((name) => !chosen.length || chosen.includes(name));
  const unlisted = chosen.length ? [] : Object.keys(scenarios).filter((n) => !scenarioNames().includes(n));
  const browsers = new Map();
  // Firefox and WebKit take the language and the minimum font size at start.
  const browserFor = async ({ locale, minimumFontSize }) => {
    const key = engine === 'chromium' ? '' : `${locale} ${minimumFontSize}`;
    if (!browsers.has(key)) browsers.set(key, await startEngine(engine, modules, { locale, minimumFontSize }));
    return browsers.get(key);
  };
  let passed = 0;
  let failed = 0;
  let skipped = 0;
  for (const name of [...names, ...unlisted]) {
    if (cannot[name]?.[engine]) {
      skipped += 1;
      console.log(`SKIP: ${name} (${engine}: ${cannot[name][engine]})`);
      continue;
    }
    const options = { viewport: { width: 800, height: 600 }, locale: 'en-US', ...contexts[name] };
    const page = await (await browserFor(options)).open(options);
    await page.prepare(countBeepsAndBoxes);
    await page.prepare(recordConversions);
    try {
      if (!scenarios[name]) fail('the page has no steps for it');
      if (unlisted.includes(name)) fail('not in the table');
      let timer;
      const late = new Promise((_, reject) => {
        const limit = limits[name] ?? 90000;
        timer = setTimeout(() => reject(new Failure(`still running after ${limit / 1000} s`)), limit);
      });
      await Promise.race([scenarios[name](new User(page)), late]).finally(() => clearTimeout(timer));
      const errors = [...page.errors, ...(await page.evaluate(() => window.pageErrors ?? []))];
      if (errors.length) fail(`errors in the page: ${errors.join('; ')}`);
      const violations = await page.evaluate(() => window.violations);
      if (violations.length) fail(`the page breaks its policy: ${violations.join('; ')}`);
      passed += 1;
      console.log(`PASS: ${name}`);
    } catch (e) {
      failed += 1;
      console.log(`FAIL: ${name}\n  ${e instanceof Failure ? e.message : e.stack}`);
      const shot = `${process.cwd()}/web.${engine}.${name}.failed.png`;
      if (await page.screenshot(shot).then(() => true, () => false)) {
        console.log(`  page at the failure: ${shot}`);
      }
    }
    await page.close().catch(() => {});
  }
  for (const browser of browsers.values()) await browser.close();
  console.log(`web (${engine}): ${passed} passed, ${failed} failed, ${skipped} skipped`);
  process.exitCode = failed === 0 ? 0 : 1;
}

if (process.argv[1] === fileURLToPath(import.meta.url)) await main();
