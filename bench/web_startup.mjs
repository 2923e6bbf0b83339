// Start-up of the page in Debian's Chromium: from navigation to the title
// window painted (its first contentful paint: the title window is the page's
// first content), against a bare page with one label of the title's size,
// loaded alternately, each in a fresh browser context; medians, and the
// page file's size.
// Usage: node bench/web_startup.mjs PAGE.html [LOADS]   (the playwright-core
// that the web preset's tests installed, or QUADRANGLER_NODE_MODULES)
import { statSync } from 'node:fs';
import { dirname, join } from 'node:path';
import { fileURLToPath, pathToFileURL } from 'node:url';

const here = dirname(fileURLToPath(import.meta.url));
process.env.QUADRANGLER_NODE_MODULES ??= join(here, '../build/web/tests/web/node_modules');
const { launch, pageUrl } = await import('../tests/web/e2e.mjs');
const loads = Number(process.argv[3] ?? 15);
const bareUrl = pathToFileURL(join(here, 'bare_page.html')).href;

async function paintedAfter(browser, url, ready) {
  const context = await browser.newContext({ viewport: { width: 800, height: 600 } });
  const page = await context.newPage();
  await page.goto(url);
  await page.waitForSelector(ready);
  const ms = await page.evaluate(() => new Promise((resolve) => {
    new PerformanceObserver((list, observer) => {
      const paint = list.getEntries().find((e) => e.name === 'first-contentful-paint');
      if (paint) { observer.disconnect(); resolve(paint.startTime); }
    }).observe({ type: 'paint', buffered: true });
  }));
  await context.close();
  return ms;
}

const median = (values) => {
  const sorted = [...values].sort((a, b) => a - b);
  const mid = sorted.length >> 1;
  return sorted.length % 2 ? sorted[mid] : (sorted[mid - 1] + sorted[mid]) / 2;
};

const browser = await launch();
const times = { page: [], bare: [] };
await paintedAfter(browser, pageUrl, '#Frame1'); // the browser warmed up once
for (let i = 0; i < loads; i++) {
  times.page.push(await paintedAfter(browser, pageUrl, '#Frame1'));
  times.bare.push(await paintedAfter(browser, bareUrl, 'div'));
}
await browser.close();
const [page, bare] = [median(times.page), median(times.bare)];
console.log(`page      title window painted ${page.toFixed(1)} ms after navigation (median of ${loads})`);
console.log(`bare page label painted        ${bare.toFixed(1)} ms after navigation (median of ${loads})`);
console.log(`ratio     ${(page / bare).toFixed(2)}`);
console.log(`page file ${statSync(fileURLToPath(pageUrl)).size} bytes`);
