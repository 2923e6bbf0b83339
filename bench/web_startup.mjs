// Start-up of the page in each of Debian's browser engines: from navigation
// to the title window painted (its first contentful paint: the title window
// is the page's first content), against a bare page with one label of the
// title's size, loaded alternately, each in a fresh browser context (a fresh
// MiniBrowser for WebKit); medians, where the page's time goes (its
// performance marks, from navigation), and the page file's size.
// Usage: node bench/web_startup.mjs PAGE.html [LOADS] [ENGINE...]
//   (engines: chromium firefox webkit, all three by default; the clients
//   that the web preset's tests installed, or QUADRANGLER_NODE_MODULES)
import { statSync } from 'node:fs';
import { dirname, join, resolve } from 'node:path';
import { fileURLToPath, pathToFileURL } from 'node:url';
import { startEngine } from '../tests/web/engines.mjs';

const here = dirname(fileURLToPath(import.meta.url));
const modules = resolve(process.env.QUADRANGLER_NODE_MODULES ?? join(here, '../build/web/tests/web/node_modules'));
const [pagePath, loadsText, ...chosen] = process.argv.slice(2);
const pageUrl = pathToFileURL(resolve(pagePath)).href;
const bareUrl = pathToFileURL(join(here, 'bare_page.html')).href;
const loads = Number(loadsText ?? 15);
const engines = chosen.length ? chosen : ['chromium', 'firefox', 'webkit'];
const STEPS = ['script', 'title-window', 'decoded', 'inflated', 'compiled', 'instantiated'];

// First contentful paint and the page's marks, once all are there.
function timings(steps) {
  return new Promise((resolve) => {
    const check = () => {
      const paint = performance.getEntriesByName('first-contentful-paint')[0];
      const marks = Object.fromEntries(steps.map((s) => [s, performance.getEntriesByName(`quadrangler:${s}`)[0]?.startTime]));
      // A page without marks (a build before them) is timed by its paint.
      const marked = marks.script === undefined || steps.every((s) => marks[s] !== undefined);
      if (paint && marked) resolve({ paint: paint.startTime, marks });
      else setTimeout(check, 20);
    };
    check();
  });
}

async function load(browser, url, steps) {
  const page = await browser.open({ viewport: { width: 800, height: 600 }, locale: 'en-US' });
  try {
    await page.goto(url);
    return await page.evaluate(timings, steps);
  } finally {
    await page.close();
  }
}

const median = (values) => {
  const sorted = [...values].sort((a, b) => a - b);
  const mid = sorted.length >> 1;
  return sorted.length % 2 ? sorted[mid] : (sorted[mid - 1] + sorted[mid]) / 2;
};
const ms = (v) => `${v.toFixed(1).padStart(6)} ms`;

for (const engine of engines) {
  const browser = await startEngine(engine, modules, { locale: 'en-US' });
  const page = [];
  const bare = [];
  try {
    await load(browser, pageUrl, STEPS); // the browser warmed up once
    for (let i = 0; i < loads; i++) {
      page.push(await load(browser, pageUrl, STEPS));
      bare.push(await load(browser, bareUrl, []));
    }
  } finally {
    await browser.close();
  }
  const [painted, barePainted] = [median(page.map((t) => t.paint)), median(bare.map((t) => t.paint))];
  console.log(`${engine}: medians of ${loads} loads, from navigation`);
  console.log(`  page, title window painted  ${ms(painted)}`);
  console.log(`  bare page, label painted    ${ms(barePainted)}`);
  console.log(`  ratio                       ${(painted / barePainted).toFixed(2).padStart(6)}`);
  for (const step of STEPS) {
    const at = page.map((t) => t.marks[step]).filter((v) => v != null);
    if (at.length) console.log(`    mark ${step.padEnd(22)} ${ms(median(at))}`);
  }
}
console.log(`page file ${statSync(fileURLToPath(pageUrl)).size} bytes`);
