// The viewer's explaining module and data, in Node: the page's answers against those of
// quarnel-inspect --why --json on every cell of random worlds, and the text of the page's data.
// Environment: QUARNEL, QUARNEL_INSPECT, WHY_EVERY_CELL (the built programs).
import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { after, test } from 'node:test';
import { isDeepStrictEqual } from 'node:util';
import zlib from 'node:zlib';
import { loadWorld } from '../../src/viewer/page/data.mjs';
import { explain } from '../../src/viewer/page/explain.mjs';

const env = process.env;
const dir = fs.mkdtempSync(path.join(os.tmpdir(), 'quarnel-explain-'));
const maps = ['Infantry1Level0Map.raw', 'Tank0Level0Map.raw', 'Car4Level0Map.raw'];
const run = (program, args, cwd) => execFileSync(program, args, { cwd, encoding: 'utf8', maxBuffer: 2 ** 30 });
const unpack = async (base64) => Uint8Array.from(zlib.inflateSync(Buffer.from(base64, 'base64'))).buffer;
after(() => fs.rmSync(dir, { recursive: true, force: true }));

// A random world (why_every_cell.cpp) of size cells a side, with its maps, in a folder of its own.
function world(seed, size) {
  const at = path.join(dir, `world${seed}`);
  run(env.WHY_EVERY_CELL, ['world', at, String(size), String(seed)]);
  run(env.QUARNEL, ['objects.con', 'meshes', String(size)], at);
  return at;
}

// The text of the data block of the page that quarnel-inspect --view wrote in the folder.
const dataText = (at) => fs.readFileSync(path.join(at, 'view.html'), 'utf8')
  .match(/<script type="application\/json" id="quarnel-data">\n(.*?)\n<\/script>/s)[1];

test('the page explains every cell of three random worlds as quarnel-inspect --why --json does', async () => {
  const seen = new Set();
  for (const [seed, size] of [[1, 128], [2, 128], [3, 64]]) {
    const at = world(seed, size);
    run(env.QUARNEL_INSPECT, ['--view', 'view.html', ...maps, '--objects', 'objects.con', '--meshes', 'meshes'], at);
    const page = await loadWorld(JSON.parse(dataText(at)), unpack);
    const told = run(env.WHY_EVERY_CELL, ['cells', 'objects.con', 'meshes', String(size)], at).split('\n');
    for (let row = 0; row <= size; ++row) { // row and column `size` lie outside the grid
      for (let column = 0; column <= size; ++column) {
        const expected = JSON.parse(told[row * (size + 1) + column]), shown = explain(page, row, column);
        for (const k of expected.classes) delete k.files;
        if (!isDeepStrictEqual(shown, expected)) assert.deepEqual(shown, expected, `world ${seed}, cell ${row},${column}`);
        for (const k of shown.classes) {
          k.causes.forEach((cause) => seen.add(cause.kind).add(cause.object?.name));
          if (k.near.length) seen.add('near');
        }
      }
    }
  }
  // Trees, outlines (the long edges taking the exact walk), meshes with unused vertices, holes.
  for (const kind of ['tree', 'outline', 'hole', 'near', 'Long_m1', 'Spare_m1']) assert.ok(seen.has(kind), kind);
});

test('the page data is UTF-8 with no "<": a mesh folder named in Windows-1252 reads as "é"', () => {
  const at = world(4, 64);
  fs.renameSync(path.join(at, 'meshes'), Buffer.from(`${at}/m\xe9`, 'latin1'));
  fs.copyFileSync(path.join(at, 'objects.con'), path.join(at, '<o>.con'));
  execFileSync('/bin/sh', ['-c', `"$0" --view view.html ${maps.join(' ')} --objects '<o>.con' --meshes "$(printf 'm\\351')"`,
    env.QUARNEL_INSPECT], { cwd: at });
  const text = dataText(at), data = JSON.parse(text);
  assert.ok(!text.includes('<'));
  assert.equal(data.world.objectFile, '<o>.con');
  assert.equal(data.world.meshDir, 'mé/');
  assert.ok(data.world.meshes.length > 0 && data.world.meshes.every((m) => m.startsWith('mé/')), data.world.meshes.join());
});
