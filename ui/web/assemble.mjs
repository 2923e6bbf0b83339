// Assembles the page: the template with its style and script inline, the
// module gzipped into a base64 data block, the icon as a data URL, and a
// Content-Security-Policy that allows exactly those inline parts and
// WebAssembly, and no request of any kind. With a folder named, also the web
// app for a static host: the same page, whose policy allows besides exactly
// its manifest (with its icons) and its worker, and those files.
// Usage: node assemble.mjs MODULE.wasm ICON.ico OUTPUT.html [WEB_APP_DIR]
import { createHash } from 'node:crypto';
import { mkdirSync, readFileSync, writeFileSync } from 'node:fs';
import { dirname, join } from 'node:path';
import { fileURLToPath } from 'node:url';
import { gzipSync } from 'node:zlib';
import { ICON_SIZES, iconName, iconPng, manifest, worker } from './web_app.mjs';

const [modulePath, iconPath, outputPath, webAppDir] = process.argv.slice(2);
const here = dirname(fileURLToPath(import.meta.url));
const read = (name) => readFileSync(join(here, name), 'utf8');
const hash = (text) => `'sha256-${createHash('sha256').update(text, 'utf8').digest('base64')}'`;

const css = read('page.css');
const js = read('page.js');
if (js.includes('</script') || css.includes('</style')) throw new Error('an inline part would end early');
// The web app's manifest names its icons, which the browser fetches under
// the page's image policy: the app's own images too, then.
const policy = ({ images = 'data:', more = [] } = {}) => [
  "default-src 'none'",
  `script-src ${hash(js)} 'wasm-unsafe-eval'`,
  `style-src ${hash(css)}`,
  `img-src ${images}`,
  "connect-src 'none'",
  ...more,
  "base-uri 'none'",
  "form-action 'none'",
].join('; ');
// The module's layout tables, read from the module itself: the page draws
// its title window from them before the module is ready.
function layoutsOf(bytes) {
  const module = new WebAssembly.Module(bytes);
  const imports = {};
  for (const { module: from, name } of WebAssembly.Module.imports(module)) {
    (imports[from] ??= {})[name] = () => { throw new Error(`${from}.${name} called for the tables`); };
  }
  const { exports } = new WebAssembly.Instance(module, imports);
  exports._initialize();
  const [at, length] = [exports.qd_layouts(), exports.qd_layouts_length()]; // may grow the memory
  const text = new TextDecoder().decode(new Uint8Array(exports.memory.buffer, at, length));
  JSON.parse(text);
  return text.replace(/</g, '\\u003c'); // never a tag's end inside the block
}

const module = readFileSync(modulePath);
const parts = {
  ICON: `data:image/x-icon;base64,${readFileSync(iconPath).toString('base64')}`,
  CSS: css,
  LAYOUTS: layoutsOf(module),
  MODULE: gzipSync(module, { level: 9 }).toString('base64'),
  JS: js,
};
const page = (csp, head) => read('page.html')
  .replace(/@(CSP|HEAD|ICON|CSS|LAYOUTS|MODULE|JS)@/g, (_, key) => ({ ...parts, CSP: csp, HEAD: head })[key]);

function write(path, content) {
  mkdirSync(dirname(path), { recursive: true });
  writeFileSync(path, content);
  console.log(`${path}: ${Buffer.byteLength(content)} bytes`);
}

write(outputPath, page(policy(), ''));
if (webAppDir) {
  const index = page(policy({ images: "data: 'self'", more: ["manifest-src 'self'", "worker-src 'self'"] }),
    '<link rel="manifest" href="manifest.webmanifest">');
  const files = { 'manifest.webmanifest': manifest() };
  for (const size of ICON_SIZES) files[iconName(size)] = iconPng(iconPath, size);
  write(join(webAppDir, 'index.html'), index);
  for (const [name, content] of Object.entries(files)) write(join(webAppDir, name), content);
  write(join(webAppDir, 'sw.js'), worker(read('sw.js'), index, files));
}
