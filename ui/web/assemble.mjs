// Assembles the page: the template with its style and script inline, the
// module gzipped into a base64 data block, the icon as a data URL, and a
// Content-Security-Policy that allows exactly those inline parts and
// WebAssembly, and no request of any kind.
// Usage: node assemble.mjs MODULE.wasm ICON.ico OUTPUT.html
import { createHash } from 'node:crypto';
import { mkdirSync, readFileSync, writeFileSync } from 'node:fs';
import { dirname, join } from 'node:path';
import { fileURLToPath } from 'node:url';
import { gzipSync } from 'node:zlib';

const [modulePath, iconPath, outputPath] = process.argv.slice(2);
const here = dirname(fileURLToPath(import.meta.url));
const read = (name) => readFileSync(join(here, name), 'utf8');
const hash = (text) => `'sha256-${createHash('sha256').update(text, 'utf8').digest('base64')}'`;

const css = read('page.css');
const js = read('page.js');
if (js.includes('</script') || css.includes('</style')) throw new Error('an inline part would end early');
const parts = {
  CSP: [
    "default-src 'none'",
    `script-src ${hash(js)} 'wasm-unsafe-eval'`,
    `style-src ${hash(css)}`,
    'img-src data:',
    "connect-src 'none'",
    "base-uri 'none'",
    "form-action 'none'",
  ].join('; '),
  ICON: `data:image/x-icon;base64,${readFileSync(iconPath).toString('base64')}`,
  CSS: css,
  MODULE: gzipSync(readFileSync(modulePath), { level: 9 }).toString('base64'),
  JS: js,
};
const page = read('page.html').replace(/@(CSP|ICON|CSS|MODULE|JS)@/g, (_, key) => parts[key]);
mkdirSync(dirname(outputPath), { recursive: true });
writeFileSync(outputPath, page);
console.log(`${outputPath}: ${Buffer.byteLength(page)} bytes`);
