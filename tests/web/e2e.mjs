// End-to-end: the page opened from its file in Debian's Chromium (headless,
// driven by playwright-core), typed into and clicked as a user would, the
// clipboard read back. The scenarios are the rows of the desktop programs'
// table (tests/e2e/scenarios.txt) that name the page; each runs in a fresh
// browser context.
// Usage: node e2e.mjs PAGE.html [SCENARIO...]   (QUADRANGLER_NODE_MODULES:
// where npm put playwright-core, by default beside this file)
import { readFileSync } from 'node:fs';
import { createRequire } from 'node:module';
import { dirname, join, resolve } from 'node:path';
import { fileURLToPath, pathToFileURL } from 'node:url';

const here = dirname(fileURLToPath(import.meta.url));
const modules = resolve(process.env.QUADRANGLER_NODE_MODULES ?? join(here, 'node_modules'));
const { chromium } = createRequire(join(modules, 'noop.js'))('playwright-core');
export const pageUrl = pathToFileURL(resolve(process.argv[2] ?? '')).href;
const TIMEOUT = 5000;

// Debian's Chromium, never a browser of Playwright's own; Playwright gives it
// an empty temporary --user-data-dir. A chroot's /dev may lack the shared
// memory mount: /tmp instead.
export function launch() {
  return chromium.launch({
    executablePath: '/usr/bin/chromium',
    args: ['--headless', '--no-sandbox', '--disable-gpu', '--no-first-run',
      '--disable-background-networking', '--disable-component-update', '--disable-sync',
      '--disable-dev-shm-usage'],
  });
}

class Failure extends Error {}
const fail = (message) => { throw new Failure(message); };

// One user at one page: the steps of the desktop programs' driver.
class User {
  constructor(page) { this.page = page; }

  async launch() {
    await this.page.goto(pageUrl);
    await this.page.waitForSelector('#Frame1', { timeout: TIMEOUT });
  }

  async start() {
    await this.launch();
    if (await this.page.$('#txtDegSouth')) fail('conversion window before the splash');
    await this.key('Enter');
    await this.waitFocus('txtDegSouth');
  }

  async type(text) { await this.page.keyboard.type(text, { delay: 10 }); }
  async key(...keys) { for (const k of keys) await this.page.keyboard.press(k); }

  async typePosition(tabs = 0) {
    await this.type('26'); await this.key('Tab'); await this.type('14'); await this.key('Tab');
    await this.type('28'); await this.key('Tab'); await this.type('29');
    for (let i = 0; i < tabs; i++) await this.key('Tab');
  }

  // Clicked, then the mouse off the window: no hover in screenshots.
  async click(name, position) {
    await this.page.click(`#${name}`, { position, timeout: TIMEOUT });
    await this.page.mouse.move(1, 1);
  }

  async waitFor(what, predicate, arg) {
    try {
      await this.page.waitForFunction(predicate, arg, { timeout: TIMEOUT, polling: 50 });
    } catch {
      fail(what);
    }
  }

  waitFocus(id) {
    return this.waitFor(`focus never reached ${id}`, (i) => document.activeElement?.id === i, id);
  }

  async box(title) {
    await this.waitFor(`no box titled '${title}'`,
      (t) => document.querySelector('.box #box-title')?.textContent === t, title);
  }

  async noBox() { if (await this.page.$('.box')) fail('a box opened'); }

  clipboard() { return this.page.evaluate(() => navigator.clipboard.readText()); }
  setClipboard(text) { return this.page.evaluate((t) => navigator.clipboard.writeText(t), text); }

  async waitClipboard(text) {
    const deadline = Date.now() + TIMEOUT;
    let held = await this.clipboard();
    while (held !== text && Date.now() < deadline) {
      await this.page.waitForTimeout(50);
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
    if (!(await this.page.$('#frmGridref-title'))) fail('the program ended');
  }

  // A window's distance from the viewport's centre, both ways.
  async offCentre(selector) {
    return this.page.$eval(selector, (w) => {
      const r = w.getBoundingClientRect();
      const root = document.documentElement;
      return [r.left + r.width / 2 - root.clientWidth / 2, r.top + r.height / 2 - root.clientHeight / 2];
    });
  }

  async checkCentred(selector, what) {
    const [dx, dy] = await this.offCentre(selector);
    if (Math.abs(dx) > 1 || Math.abs(dy) > 1) fail(`${what} is off centre by ${dx}, ${dy}`);
  }

  // A screenshot of part of the conversion window's client area.
  shot(x, y, width, height) {
    return this.page.$eval('#lblHeader', (h) => {
      const r = h.parentElement.getBoundingClientRect();
      return [r.left, r.top];
    }).then(([left, top]) => this.page.screenshot({ clip: { x: left + x, y: top + y, width, height } }));
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
    const before = await u.shot(184, 168, 137, 41);
    await u.type('5');
    // Released only once the box is answered: even so the click is dropped.
    await u.page.hover('#cmdConvert');
    await u.page.mouse.down();
    await u.box('SA Limits?');
    await u.key('Enter');
    await u.page.mouse.up();
    await u.page.mouse.move(1, 1);
    await u.waitFocus('txtDegSouth');
    // Convert is not drawn pressed: its pixels are as before the click.
    if (!before.equals(await u.shot(184, 168, 137, 41))) fail('Convert looks different after the box');
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
    await u.page.waitForTimeout(300);
    await u.running();
    await u.noBox();
    await u.labelIs('2628AB25');
  },

  // The field left by Shift+Tab is refused; after Retry the caret is back in
  // it, and Convert, not the button Shift+Tab reached, wears the default
  // border: as drawn before, and pressed by Enter.
  async default_border_back_on_convert_after_retry(u) {
    await u.start();
    const before = await u.shot(184, 168, 321, 153);
    await u.key('Shift+Tab');
    await u.box('SA Limits?');
    await u.key('Enter'); // Retry
    await u.waitFocus('txtDegSouth');
    if (!before.equals(await u.shot(184, 168, 321, 153))) fail('the buttons look different after Retry');
    await u.type('26'); await u.key('Enter');
    await u.labelIs('260AA1');
  },

  // The windows' colours are fixed: under a dark colour scheme with forced
  // dark both are drawn as under a light one, and the title window's texts
  // keep a contrast of at least 4.5:1 with their background.
  async readable_under_a_dark_scheme_and_forced_dark(u) {
    const cdp = await u.page.context().newCDPSession(u.page);
    const dark = async (on) => {
      await u.page.emulateMedia({ colorScheme: on ? 'dark' : 'light' });
      await cdp.send('Emulation.setAutoDarkModeOverride', on ? { enabled: true } : {});
    };
    await u.launch();
    for (const window of ['the title window', 'the conversion window']) {
      const light = await u.page.screenshot();
      await dark(true);
      if (!light.equals(await u.page.screenshot())) fail(`${window} is recoloured`);
      await dark(false);
      if (window === 'the title window') { await u.key('Enter'); await u.waitFocus('txtDegSouth'); }
    }
    await dark(true);
    await u.launch();
    const ratios = await u.page.$$eval('#Frame1 .label', (labels) => labels.map((l) => {
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

  // Alt with any letter but x presses nothing and moves nothing.
  async alt_with_another_letter_does_nothing(u) {
    await u.start();
    await u.setClipboard('sentinel');
    await u.typePosition();
    for (const letter of 'abcdefghijklmnopqrstuvwyz') await u.key(`Alt+${letter}`);
    await u.page.waitForTimeout(300);
    await u.running();
    await u.noBox();
    await u.waitFocus('txtMinEast');
    if (await u.clipboard() !== 'sentinel') fail('copied');
    await u.labelIs(''); // not converted
  },

  // Shift+Tab goes round the tab order the other way.
  async shift_tab_goes_round_the_other_way(u) {
    await u.start();
    await u.typePosition(); // in txtMinEast
    for (const name of ['txtDegEast', 'txtMinSouth', 'txtDegSouth', 'CmdClipboard', 'cmdExit',
      'cmdConvert', 'txtMinEast']) {
      await u.key('Shift+Tab');
      await u.waitFocus(name);
    }
    await u.noBox();
  },

  // While the box is open the window behind it takes nothing: not the second
  // click of the double click on Convert that opened it (the box comes under
  // the pointer), nor clicks, Tab or a screen reader's focus.
  async window_behind_the_box_takes_nothing(u) {
    await u.start();
    await u.setClipboard('sentinel');
    await u.type('99');
    await u.page.dblclick('#cmdConvert');
    if (!(await u.page.$('.box'))) fail('the double click answered the box');
    for (const selector of ['#txtMinEast', '#cmdExit', '#CmdClipboard', '#frmGridref-title + .close']) {
      const r = await u.page.locator(selector).boundingBox();
      await u.page.mouse.click(r.x + r.width / 2, r.y + r.height / 2);
    }
    await u.key('Tab', 'Tab'); // round the box's two buttons, back on Retry
    await u.page.focus('#txtMinEast');
    if (!(await u.page.evaluate(() => document.activeElement.closest('.box')))) fail('the focus left the box');
    await u.key('Enter'); // Retry, once
    await u.waitFocus('txtDegSouth');
    await u.running();
    if (await u.page.evaluate(() => window.boxes) !== 1) fail('more than one box');
    if (await u.clipboard() !== 'sentinel') fail('copied');
    // A third press as quick, on Retry, is a click of the box's own.
    await u.type('99');
    await u.page.dblclick('#cmdConvert');
    const r = await u.page.locator('.box .buttons button').first().boundingBox(); // Retry
    await u.page.mouse.move(r.x + r.width / 2, r.y + r.height / 2);
    await u.page.mouse.down({ clickCount: 3 });
    await u.page.mouse.up({ clickCount: 3 });
    await u.waitFocus('txtDegSouth');
    if (await u.page.$('.box')) fail('a quick third click on Retry was refused');
  },

  // A screen reader names the title window, which has no caption, and says
  // how to go on, as for the desktop programs.
  async splash_named_for_a_screen_reader(u) {
    await u.launch();
    const cdp = await u.page.context().newCDPSession(u.page);
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
    const cdp = await u.page.context().newCDPSession(u.page);
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
    await u.page.mouse.click(400, 300);
    await u.page.waitForTimeout(200);
    if (await u.page.$('.window')) fail('a window came back');
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
    await u.page.waitForTimeout(300);
    if (await u.page.$('#txtDegSouth')) fail('dismissed by a key or click that does not count');
    await u.click('Frame1', { x: 240, y: 22 }); // (248, 30) of the window
    await u.waitFocus('txtDegSouth');
    await u.launch();
    await u.key('Escape');
    await u.waitFocus('txtDegSouth');
    // The character of the key that dismisses is not typed anywhere.
    await u.launch();
    await u.key('7');
    await u.waitFocus('txtDegSouth');
    if (await u.page.inputValue('#txtDegSouth') !== '') fail('the key was typed into the field');
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

  // NumberText's decimal separator is the browser language's.
  async decimal_comma_from_the_language(u) {
    await u.start();
    await u.type('26.5'); await u.key('Tab'); await u.type('14'); await u.key('Tab');
    await u.type('28'); await u.key('Tab'); await u.type('29'); await u.key('Enter');
    await u.labelIs('26,528AB25');
  },

  // Narrower than the window: the whole window scaled to the width, in its
  // proportions; fingers tap it; the fields ask for the numeric keyboard.
  async narrow_viewport_scales_the_window(u) {
    const fits = async (what) => {
      const [width, ratio, drawnRatio] = await u.page.$eval('.window', (w) => {
        const r = w.getBoundingClientRect();
        return [r.width, w.offsetHeight / w.offsetWidth, r.height / r.width];
      });
      const viewport = u.page.viewportSize().width;
      if (Math.abs(width - viewport) > 1) fail(`${what} is ${width} wide in a viewport of ${viewport}`);
      if (Math.abs(ratio - drawnRatio) > 0.01) fail(`${what} is drawn in other proportions`);
      await u.checkCentred('.window', what);
    };
    await u.launch();
    await fits('the title window');
    await u.page.tap('#Frame1', { position: { x: 240, y: 22 } });
    await u.waitFocus('txtDegSouth');
    await fits('the conversion window');
    const modes = await u.page.$$eval('input', (fields) => fields.map((f) => f.inputMode));
    if (modes.join() !== 'decimal,decimal,decimal,decimal') fail(`input modes ${modes}`);
    await u.typePosition();
    await u.page.tap('#cmdConvert');
    await u.page.tap('#CmdClipboard');
    await u.waitClipboard('2628AB25');
  },

  // The page asks for nothing but its own file, and its policy refuses any
  // request it might make.
  async no_request_but_its_own_file(u) {
    const requests = [];
    u.page.on('request', (r) => requests.push(r.url()));
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
    const others = requests.filter((url) => url !== pageUrl && !url.startsWith('data:'));
    if (others.length || !requests.includes(pageUrl)) fail(`requests: ${requests.join(', ')}`);
  },

  async held_key_on_the_splash_repeats_nothing(u) {
    await u.launch();
    await u.page.keyboard.down('2');
    await u.waitFocus('txtDegSouth');
    for (let i = 0; i < 5; i++) await u.page.keyboard.down('2'); // held: auto-repeats
    await u.page.keyboard.up('2');
    await u.typePosition();
    await u.key('Enter');
    await u.labelIs('2628AB25');
  },
};

// What each scenario's context needs beyond the defaults.
const contexts = {
  decimal_comma_from_the_language: { locale: 'de-DE' },
  narrow_viewport_scales_the_window: { viewport: { width: 360, height: 640 }, hasTouch: true, isMobile: true },
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

async function main() {
  const chosen = process.argv.slice(3);
  const names = scenarioNames().filter((name) => !chosen.length || chosen.includes(name));
  const unlisted = chosen.length ? [] : Object.keys(scenarios).filter((n) => !scenarioNames().includes(n));
  const browser = await launch();
  let passed = 0;
  let failed = 0;
  for (const name of [...names, ...unlisted]) {
    const context = await browser.newContext({
      viewport: { width: 800, height: 600 }, locale: 'en-US', ...contexts[name],
    });
    await context.grantPermissions(['clipboard-read', 'clipboard-write']);
    await context.addInitScript(countBeepsAndBoxes);
    const page = await context.newPage();
    const errors = [];
    page.on('pageerror', (e) => errors.push(e.message));
    try {
      if (!scenarios[name]) fail('the page has no steps for it');
      if (unlisted.includes(name)) fail('not in the table');
      await scenarios[name](new User(page));
      if (errors.length) fail(`errors in the page: ${errors.join('; ')}`);
      const violations = await page.evaluate(() => window.violations);
      if (violations.length) fail(`the page breaks its policy: ${violations.join('; ')}`);
      passed += 1;
      console.log(`PASS: ${name}`);
    } catch (e) {
      failed += 1;
      console.log(`FAIL: ${name}\n  ${e instanceof Failure ? e.message : e.stack}`);
      const shot = `${process.cwd()}/web.${name}.failed.png`;
      if (await page.screenshot({ path: shot }).then(() => true, () => false)) {
        console.log(`  page at the failure: ${shot}`);
      }
    }
    await context.close();
  }
  await browser.close();
  console.log(`web: ${passed} passed, ${failed} failed`);
  process.exitCode = failed === 0 ? 0 : 1;
}

if (process.argv[1] === fileURLToPath(import.meta.url)) await main();
