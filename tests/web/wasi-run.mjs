// Runs a wasm32-wasi program under Node.js, as the test emulator of the web
// build: its arguments, its exit status, standard output and error; no files,
// no environment but GTEST_* variables.
// Usage: node --no-warnings wasi-run.mjs PROGRAM.wasm [ARGUMENTS...]
import { readFile } from 'node:fs/promises';
import { WASI } from 'node:wasi';

const [program, ...args] = process.argv.slice(2);
const env = Object.fromEntries(Object.entries(process.env).filter(([k]) => k.startsWith('GTEST_')));
const wasi = new WASI({ version: 'preview1', args: [program, ...args], env, returnOnExit: true });
const module = await WebAssembly.compile(await readFile(program));
const instance = await WebAssembly.instantiate(module, { wasi_snapshot_preview1: wasi.wasiImport });
process.exitCode = wasi.start(instance);
