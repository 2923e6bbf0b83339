// The three browser engines, each from Debian's package, behind one small
// set of steps: open a page, run a function in it, keys, the mouse, a tap,
// the clipboard and pictures of elements. Chromium through playwright-core,
// Firefox ESR through puppeteer-core over WebDriver BiDi, WebKitGTK's
// MiniBrowser through WebKitWebDriver (classic WebDriver, spoken here) on
// Xvfb. Only Chromium's steps reach its DevTools protocol (`cdp`).
import { spawn, execFileSync } from 'node:child_process';
import { mkdirSync, mkdtempSync, rmSync, writeFileSync } from 'node:fs';
import { createRequire } from 'node:module';
import { createServer } from 'node:net';
import { tmpdir } from 'node:os';
import { join } from 'node:path';

const sleep = (ms) => new Promise((r) => setTimeout(r, ms));
const keyCombo = (combo) => (combo.length > 1 && combo.includes('+') ? combo.split('+') : [combo]);

// A page opened by one engine, with the options a scenario asks for:
// { viewport: {width, height}, locale, touch, installable, minimumFontSize }.
class ChromiumPage {
  static async start(require) {
    const { chromium } = require('playwright-core');
    const launch = {
      executablePath: '/usr/bin/chromium',
      args: ['--headless', '--no-sandbox', '--disable-gpu', '--no-first-run',
        '--disable-background-networking', '--disable-component-update', '--disable-sync',
        '--disable-dev-shm-usage'],
    };
    const browser = await chromium.launch(launch);
    return {
      open: (options) => ChromiumPage.open(browser, options, { chromium, launch }),
      close: () => browser.close(),
    };
  }

  // A browser context is incognito, where nothing can be installed, and it
  // has the browser's settings: a page that must be installable, or wants a
  // minimum font size, gets a browser with a profile of its own.
  static async open(browser, { viewport, locale, touch, installable, minimumFontSize }, { chromium, launch }) {
    const options = { viewport, locale, ...(touch ? { hasTouch: true, isMobile: true } : {}) };
    const profile = installable || minimumFontSize ? mkdtempSync(join(tmpdir(), 'quadrangler-chromium-')) : null;
    if (minimumFontSize) {
      mkdirSync(join(profile, 'Default'));
      writeFileSync(join(profile, 'Default', 'Preferences'), JSON.stringify({
        webkit: { webprefs: { minimum_font_size: minimumFontSize, minimum_logical_font_size: minimumFontSize } },
      }));
    }
    const context = profile
      ? await chromium.launchPersistentContext(profile, { ...launch, ...options })
      : await browser.newContext(options);
    await context.grantPermissions(['clipboard-read', 'clipboard-write']);
    const page = new ChromiumPage();
    page.context = context;
    page.profile = profile;
    page.pw = context.pages()[0] ?? await context.newPage();
    page.requests = [];
    page.errors = [];
    page.pw.on('request', (r) => page.requests.push(r.url()));
    page.pw.on('pageerror', (e) => page.errors.push(e.message));
    return page;
  }

  async prepare(script) { await this.context.addInitScript(script); }
  goto(url) { return this.pw.goto(url); }
  evaluate(fn, arg) { return this.pw.evaluate(fn, arg); }
  press(combo) { return this.pw.keyboard.press(combo); }
  keyDown(key) { return this.pw.keyboard.down(key); }
  keyUp(key) { return this.pw.keyboard.up(key); }
  type(text) { return this.pw.keyboard.type(text, { delay: 10 }); }
  mouseMove(x, y) { return this.pw.mouse.move(x, y); }
  mouseDown(clickCount = 1) { return this.pw.mouse.down({ clickCount }); }
  mouseUp(clickCount = 1) { return this.pw.mouse.up({ clickCount }); }
  click(x, y, clickCount) { return this.pw.mouse.click(x, y, { clickCount }); }
  tap(x, y) { return this.pw.touchscreen.tap(x, y); }
  clipboard() { return this.pw.evaluate(() => navigator.clipboard.readText()); }
  setClipboard(text) { return this.pw.evaluate((t) => navigator.clipboard.writeText(t), text); }
  shot(selector) { return this.pw.locator(selector).screenshot(); }
  screenshot(path) { return this.pw.screenshot({ path }); }
  async cdp() { return this.context.newCDPSession(this.pw); }
  setOffline(offline) { return this.context.setOffline(offline); }
  resize(width, height) { return this.pw.setViewportSize({ width, height }); }

  async close() {
    await this.context.close();
    if (this.profile) rmSync(this.profile, { recursive: true, force: true });
  }
}

// Firefox's headless clipboard, read and written by the page without a
// user's gesture or its paste menu, as a test may.
class FirefoxPage {
  static async start(require, { locale = 'en-US', minimumFontSize = 0 } = {}) {
    const puppeteer = require('puppeteer-core');
    const browser = await puppeteer.launch({
      browser: 'firefox',
      executablePath: '/usr/bin/firefox-esr',
      headless: true,
      extraPrefsFirefox: {
        'dom.events.testing.asyncClipboard': true,
        'dom.events.asyncClipboard.readText': true,
        'intl.accept_languages': locale,
        'intl.locale.requested': locale,
        'media.autoplay.block-webaudio': false,
        'font.minimum-size.x-western': minimumFontSize,
      },
    });
    return { open: (options) => FirefoxPage.open(browser, options), close: () => browser.close() };
  }

  static async open(browser, { viewport, touch }) {
    const context = await browser.createBrowserContext();
    const page = new FirefoxPage();
    page.context = context;
    page.pp = await context.newPage();
    await page.pp.setViewport({ ...viewport, hasTouch: !!touch });
    page.requests = [];
    page.errors = [];
    page.pp.on('request', (r) => page.requests.push(r.url()));
    // Its breaches of the page's policy come as errors too; the scenarios
    // count those apart.
    page.pp.on('pageerror', (e) => {
      if (!e.message.startsWith('Content-Security-Policy:')) page.errors.push(e.message);
    });
    return page;
  }

  async prepare(script) { await this.pp.evaluateOnNewDocument(script); }
  resize(width, height) { return this.pp.setViewport({ ...this.pp.viewport(), width, height }); }
  goto(url) { return this.pp.goto(url); }
  evaluate(fn, arg) { return this.pp.evaluate(fn, arg); }

  async press(combo) {
    const keys = keyCombo(combo);
    for (const k of keys.slice(0, -1)) await this.pp.keyboard.down(k);
    await this.pp.keyboard.press(keys[keys.length - 1]);
    for (const k of keys.slice(0, -1).reverse()) await this.pp.keyboard.up(k);
  }

  keyDown(key) { return this.pp.keyboard.down(key); }
  keyUp(key) { return this.pp.keyboard.up(key); }
  type(text) { return this.pp.keyboard.type(text, { delay: 10 }); }
  mouseMove(x, y) { return this.pp.mouse.move(x, y); }
  mouseDown(clickCount = 1) { return this.pp.mouse.down({ clickCount }); }
  mouseUp(clickCount = 1) { return this.pp.mouse.up({ clickCount }); }
  // One sequence of actions: pressed in separate ones, the presses of a
  // double click count as two single clicks.
  click(x, y, count) { return this.pp.mouse.click(x, y, { count }); }
  tap(x, y) { return this.pp.touchscreen.tap(x, y); }
  clipboard() { return this.pp.evaluate(() => navigator.clipboard.readText()); }
  setClipboard(text) { return this.pp.evaluate((t) => navigator.clipboard.writeText(t), text); }

  async shot(selector) {
    return Buffer.from(await (await this.pp.$(selector)).screenshot());
  }

  screenshot(path) { return this.pp.screenshot({ path }); }
  close() { return this.context.close(); }
}

// The WebDriver keys that have no character of their own.
const webdriverKeys = {
  Enter: '\uE007', Tab: '\uE004', Escape: '\uE00C', Backspace: '\uE003', Shift: '\uE008',
  Control: '\uE009', Alt: '\uE00A', Meta: '\uE03D', ArrowLeft: '\uE012', ArrowUp: '\uE013',
  ArrowRight: '\uE014', ArrowDown: '\uE015', F5: '\uE035', F6: '\uE036',
};
const webdriverKey = (k) => webdriverKeys[k] ?? (k.length === 1 ? k.toLowerCase() : fail(`no key ${k}`));
function fail(message) { throw new Error(message); }

async function freePort() {
  const server = createServer();
  await new Promise((r) => server.listen(0, '127.0.0.1', r));
  const { port } = server.address();
  await new Promise((r) => server.close(r));
  return port;
}

// MiniBrowser, a window on its own Xvfb, one session for each page; its
// clipboard is the X display's, read and written with xclip.
const MINIBROWSER = '/usr/lib/x86_64-linux-gnu/webkit2gtk-4.1/MiniBrowser';
class WebKitPage {
  static async start(_require, { locale } = {}) {
    const children = [];
    const display = await new Promise((resolve, reject) => {
      const xvfb = spawn('Xvfb', ['-displayfd', '1', '-screen', '0', '1280x1024x24', '-nolisten', 'tcp'],
        { stdio: ['ignore', 'pipe', 'ignore'] });
      children.push(xvfb);
      xvfb.on('error', reject);
      xvfb.on('exit', (code) => reject(new Error(`Xvfb ended (${code})`)));
      xvfb.stdout.once('data', (d) => resolve(`:${String(d).trim()}`));
    });
    const port = await freePort();
    // Settings of its own: on a busy machine the two presses of a double
    // click made by the driver may lie further apart than GTK's 400 ms. A
    // cache of its own too: the user's kept the page of an earlier build.
    const home = mkdtempSync(join(tmpdir(), 'quadrangler-webkit-'));
    mkdirSync(join(home, 'gtk-3.0'));
    writeFileSync(join(home, 'gtk-3.0', 'settings.ini'), '[Settings]\ngtk-double-click-time=1500\n');
    const env = {
      ...process.env, DISPLAY: display, WAYLAND_DISPLAY: '', GDK_BACKEND: 'x11', XDG_CONFIG_HOME: home,
      XDG_CACHE_HOME: join(home, 'cache'), XDG_DATA_HOME: join(home, 'data'),
    };
    // WebKit takes its language from the C library's locale, which a minimal
    // machine has not generated: made for this browser alone.
    if (locale === 'C') {
      Object.assign(env, { LANG: 'C.UTF-8', LC_ALL: 'C.UTF-8', LANGUAGE: '' });
    } else if (locale) {
      const name = `${locale.replace('-', '_')}.UTF-8`;
      execFileSync('localedef', ['-i', locale.replace('-', '_'), '-f', 'UTF-8', join(home, name)]);
      Object.assign(env, { LOCPATH: home, LANG: name, LC_ALL: name, LANGUAGE: '' });
    }
    const driver = spawn('WebKitWebDriver', [`--port=${port}`, '--host=127.0.0.1'],
      { env, stdio: 'ignore' });
    children.push(driver);
    const base = `http://127.0.0.1:${port}`;
    for (let i = 0; ; i++) {
      try {
        if ((await fetch(`${base}/status`, { signal: AbortSignal.timeout(1000) })).ok) break;
      } catch (e) {
        if (i > 100) throw e;
      }
      await sleep(50);
    }
    const close = async () => {
      for (const c of children.reverse()) c.kill();
      rmSync(home, { recursive: true, force: true });
    };
    return { open: (options) => WebKitPage.open(base, display, options), close };
  }

  static async open(base, display, { viewport, touch }) {
    const page = new WebKitPage();
    page.base = base;
    page.display = display;
    page.touch = touch;
    const { value } = await page.send('POST', '/session', {
      capabilities: {
        alwaysMatch: {
          browserName: 'MiniBrowser',
          'webkitgtk:browserOptions': { binary: MINIBROWSER, args: ['--automation'] },
        },
      },
    }, '');
    page.session = value.sessionId;
    page.requests = null; // classic WebDriver reports none
    page.errors = [];
    page.scripts = [];
    await page.resize(viewport.width, viewport.height);
    return page;
  }

  // The window sized so that the page's viewport is as asked, and centred
  // on the screen: with no window manager, X gives the keys to the window
  // under the pointer, which is at the screen's centre.
  async resize(width, height) {
    let size = { width, height };
    for (let i = 0; i < 3; i++) {
      await this.send('POST', '/window/rect', {
        ...size, x: Math.max(0, 640 - Math.round(size.width / 2)), y: Math.max(0, 512 - Math.round(size.height / 2)),
      });
      const inner = await this.evaluate(() => [innerWidth, innerHeight]);
      if (inner[0] === width && inner[1] === height) break;
      size = { width: size.width + width - inner[0], height: size.height + height - inner[1] };
    }
  }

  async send(method, path, body, prefix = `/session/${this.session}`) {
    // A driver that stops answering fails the step, not the whole run.
    const response = await fetch(`${this.base}${prefix}${path}`, {
      method, headers: { 'content-type': 'application/json' },
      body: body === undefined ? undefined : JSON.stringify(body), signal: AbortSignal.timeout(30000),
    }).catch((e) => fail(`WebDriver ${method} ${path}: ${e.message}`));
    const json = await response.json();
    if (!response.ok) fail(`WebDriver ${path}: ${json.value?.error} ${json.value?.message}`);
    return json;
  }

  // Classic WebDriver runs nothing before the page's own script: the
  // counters are set up as soon as the page has loaded, before any step.
  async prepare(script) { this.scripts.push(script); }

  async goto(url) {
    await this.send('POST', '/url', { url });
    for (const s of this.scripts) await this.evaluate(s);
    await this.evaluate(() => window.addEventListener('error', (e) => { window.pageErrors.push(e.message); }));
  }

  async evaluate(fn, arg) {
    const script = `const done = arguments[arguments.length - 1];
      window.pageErrors ??= [];
      Promise.resolve().then(() => (${fn})(arguments[0]))
        .then((v) => done({ v: v === undefined ? null : v }), (e) => done({ e: String(e) }));`;
    const { value } = await this.send('POST', '/execute/async', { script, args: [arg ?? null] });
    if (value.e) fail(`in the page: ${value.e}`);
    return value.v;
  }

  keys(actions) {
    return this.send('POST', '/actions', { actions: [{ type: 'key', id: 'keyboard', actions }] });
  }

  press(combo) {
    const keys = keyCombo(combo).map(webdriverKey);
    return this.keys([...keys.map((value) => ({ type: 'keyDown', value })),
      ...keys.reverse().map((value) => ({ type: 'keyUp', value }))]);
  }

  keyDown(key) { return this.keys([{ type: 'keyDown', value: webdriverKey(key) }]); }
  keyUp(key) { return this.keys([{ type: 'keyUp', value: webdriverKey(key) }]); }

  async type(text) {
    for (const c of text) await this.press(c);
  }

  pointer(actions, pointerType = 'mouse') {
    return this.send('POST', '/actions', {
      actions: [{ type: 'pointer', id: pointerType, parameters: { pointerType }, actions }],
    });
  }

  mouseMove(x, y) { return this.pointer([{ type: 'pointerMove', x: Math.round(x), y: Math.round(y), duration: 0 }]); }
  mouseDown() { return this.pointer([{ type: 'pointerDown', button: 0 }]); }
  mouseUp() { return this.pointer([{ type: 'pointerUp', button: 0 }]); }

  click(x, y, count) {
    const press = [{ type: 'pointerDown', button: 0 }, { type: 'pointerUp', button: 0 }];
    return this.pointer([{ type: 'pointerMove', x: Math.round(x), y: Math.round(y), duration: 0 },
      ...Array(count).fill(press).flat()]);
  }

  tap(x, y) {
    return this.pointer([{ type: 'pointerMove', x: Math.round(x), y: Math.round(y), duration: 0 },
      { type: 'pointerDown', button: 0 }, { type: 'pointerUp', button: 0 }], 'touch');
  }

  // A clipboard that no one owns pastes nothing: WebKit gives it up when it
  // puts an empty text there.
  async clipboard() {
    try {
      return execFileSync('xclip', ['-selection', 'clipboard', '-o'], {
        env: { ...process.env, DISPLAY: this.display }, stdio: ['ignore', 'pipe', 'ignore'], timeout: 5000,
      }).toString();
    } catch (e) {
      if (e.signal) fail('the clipboard did not answer');
      return '';
    }
  }

  async setClipboard(text) {
    // xclip stays behind as the selection's owner, until another takes it.
    const child = spawn('xclip', ['-selection', 'clipboard', '-i'],
      { env: { ...process.env, DISPLAY: this.display }, stdio: ['pipe', 'ignore', 'ignore'], detached: true });
    child.stdin.end(text);
    child.unref();
    for (let i = 0; i < 40 && (await this.clipboard()) !== text; i++) await sleep(25);
  }

  async shot(selector) {
    const { value } = await this.send('POST', '/element', { using: 'css selector', value: selector });
    const id = Object.values(value)[0];
    return Buffer.from((await this.send('GET', `/element/${id}/screenshot`)).value, 'base64');
  }

  async screenshot(path) {
    writeFileSync(path, Buffer.from((await this.send('GET', '/screenshot')).value, 'base64'));
  }

  close() { return this.send('DELETE', ''); }
}

export const engines = { chromium: ChromiumPage, firefox: FirefoxPage, webkit: WebKitPage };

// An engine started with the npm clients found in `modules`.
export function startEngine(name, modules, options) {
  const require = createRequire(join(modules, 'noop.js'));
  return engines[name].start(require, options);
}
