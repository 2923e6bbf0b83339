// The web app's own files beside its page: the icons, drawn from the
// program's icon (its 32 x 32, 16-colour picture, enlarged by whole pixels,
// so each size is exact), the manifest, and the worker that keeps the app
// for use offline.
import { createHash } from 'node:crypto';
import { readFileSync } from 'node:fs';
import { deflateSync } from 'node:zlib';

export const ICON_SIZES = [192, 512];
export const iconName = (size) => `icon-${size}.png`;

// The .ico's 32 x 32 picture in 16 colours, as RGBA rows: BITMAPINFOHEADER,
// palette, 4-bit rows and the transparency mask, both bottom-up.
function iconPixels(ico) {
  const count = ico.readUInt16LE(4);
  for (let i = 0; i < count; i++) {
    const entry = 6 + 16 * i;
    if (ico[entry] !== 32 || ico[entry + 1] !== 32 || ico.readUInt16LE(entry + 6) !== 4) continue;
    const at = ico.readUInt32LE(entry + 12);
    const palette = at + ico.readUInt32LE(at);
    const colours = palette + 16 * 4;
    const colourRow = 16;
    const masks = colours + 32 * colourRow;
    const maskRow = 4;
    const rgba = Buffer.alloc(32 * 32 * 4);
    for (let y = 0; y < 32; y++) {
      const row = 31 - y;
      for (let x = 0; x < 32; x++) {
        const index = (ico[colours + row * colourRow + (x >> 1)] >> (x % 2 ? 0 : 4)) & 0xf;
        const clear = ico[masks + row * maskRow + (x >> 3)] & (0x80 >> (x % 8));
        const p = palette + 4 * index;
        rgba.set([ico[p + 2], ico[p + 1], ico[p], clear ? 0 : 255], 4 * (32 * y + x));
      }
    }
    return rgba;
  }
  throw new Error('the icon has no 32 x 32 picture in 16 colours');
}

const crcTable = Array.from({ length: 256 }, (_, n) => {
  let c = n;
  for (let k = 0; k < 8; k++) c = c & 1 ? 0xedb88320 ^ (c >>> 1) : c >>> 1;
  return c >>> 0;
});

function crc32(bytes) {
  let c = 0xffffffff;
  for (const b of bytes) c = crcTable[(c ^ b) & 0xff] ^ (c >>> 8);
  return (c ^ 0xffffffff) >>> 0;
}

function chunk(type, data) {
  const body = Buffer.concat([Buffer.from(type, 'ascii'), data]);
  const length = Buffer.alloc(4);
  length.writeUInt32BE(data.length);
  const crc = Buffer.alloc(4);
  crc.writeUInt32BE(crc32(body));
  return Buffer.concat([length, body, crc]);
}

// The picture enlarged to `size` (a whole multiple of 32), as an RGBA PNG.
export function iconPng(icoPath, size) {
  if (size % 32) throw new Error(`${size} is not a whole multiple of 32`);
  const pixels = iconPixels(readFileSync(icoPath));
  const scale = size / 32;
  const rows = Buffer.alloc(size * (1 + 4 * size)); // each row: filter 0, then pixels
  for (let y = 0; y < size; y++) {
    for (let x = 0; x < size; x++) {
      const from = 4 * (32 * Math.floor(y / scale) + Math.floor(x / scale));
      pixels.copy(rows, y * (1 + 4 * size) + 1 + 4 * x, from, from + 4);
    }
  }
  const header = Buffer.alloc(13);
  header.writeUInt32BE(size, 0);
  header.writeUInt32BE(size, 4);
  header.set([8, 6, 0, 0, 0], 8); // 8 bits, RGBA, deflate, no filter choice, no interlace
  return Buffer.concat([Buffer.from([0x89, 0x50, 0x4e, 0x47, 0x0d, 0x0a, 0x1a, 0x0a]),
    chunk('IHDR', header), chunk('IDAT', deflateSync(rows, { level: 9 })), chunk('IEND', Buffer.alloc(0))]);
}

export function manifest() {
  return `${JSON.stringify({
    id: './',
    name: '3 x 3-Minute Quadrangler',
    short_name: 'Quadrangler',
    description: 'Grid references on the 3 x 3-minute grid of Southern Africa',
    lang: 'en',
    start_url: './',
    scope: './',
    display: 'standalone',
    background_color: '#ffffff',
    theme_color: '#ffffff',
    icons: ICON_SIZES.map((size) => ({ src: iconName(size), sizes: `${size}x${size}`, type: 'image/png' })),
  }, null, 2)}\n`;
}

// The worker, keeping the page and `files` (by name, with their contents),
// its cache named for what it keeps, so that a new build's worker replaces
// the old copy.
export function worker(template, page, files) {
  const version = createHash('sha256').update(page);
  for (const [name, content] of Object.entries(files)) version.update(name).update(content);
  return template.replace('@VERSION@', version.digest('hex').slice(0, 16))
    .replace(' /* @FILES@ */', Object.keys(files).map((name) => `, '${name}'`).join(''));
}
