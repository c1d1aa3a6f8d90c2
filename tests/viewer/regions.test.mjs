// The viewer's regions module in Node, on random maps, with edge and with diagonal steps: its
// regions and gaps against quarnel-inspect --regions --json and its colours against the picture
// of --regions --png.
// Environment: QUARNEL_INSPECT (the built program).
import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { after, test } from 'node:test';
import zlib from 'node:zlib';
import { rowWords } from '../../src/viewer/page/data.mjs';
import { diagonalGaps, labelRegions, regionAt, regionColours } from '../../src/viewer/page/regions.mjs';
import { mapFile } from './mapfile.mjs';

const dir = fs.mkdtempSync(path.join(os.tmpdir(), 'quarnel-regions-'));
after(() => fs.rmSync(dir, { recursive: true, force: true }));

// A random map: cells blocked at a density of 30 to 60 %, some segments all free or all blocked.
function randomMap(size, seed) {
  let s = seed;
  const random = () => ((s = Math.imul(s ^ (s >>> 15), 0x2c1b3c6d) + 0x6d2b79f5 | 0) >>> 0) / 2 ** 32;
  const blocked = new Uint8Array(size * size), density = 0.3 + 0.3 * random();
  for (let k = 0; k < size * size; ++k) blocked[k] = random() < density ? 1 : 0;
  for (let i = 0; i < size / 64; ++i) for (let j = 0; j < size / 64; ++j) {
    const fill = random();
    if (fill < 0.3) for (let k = 0; k < 4096; ++k) blocked[(64 * i + (k >> 6)) * size + 64 * j + (k & 63)] = fill < 0.1 ? 1 : 0;
  }
  return blocked;
}

// The bytes of the pixels of an 8-bit RGB PNG file, by row from the top (PNG filters undone).
function pngPixels(bytes) {
  const width = bytes.readUInt32BE(16), stride = 3 * width, parts = [];
  for (let at = 8; at < bytes.length; at += 12 + bytes.readUInt32BE(at))
    if (bytes.toString('latin1', at + 4, at + 8) === 'IDAT') parts.push(bytes.subarray(at + 8, at + 8 + bytes.readUInt32BE(at)));
  const raw = zlib.inflateSync(Buffer.concat(parts)), out = new Uint8Array(raw.length / (stride + 1) * stride);
  for (let y = 0, k = 0; k < out.length; ++y) {
    for (let x = 0; x < stride; ++x, ++k) {
      const a = x >= 3 ? out[k - 3] : 0, b = y ? out[k - stride] : 0, c = x >= 3 && y ? out[k - stride - 3] : 0, p = a + b - c;
      const paeth = Math.abs(p - a) <= Math.abs(p - b) && Math.abs(p - a) <= Math.abs(p - c) ? a : Math.abs(p - b) <= Math.abs(p - c) ? b : c;
      out[k] = raw[y * (stride + 1) + 1 + x] + [0, a, b, (a + b) >> 1, paeth][raw[y * (stride + 1)]];
    }
  }
  return out;
}

// How many colours the regions other than the main one take when the regions of each palette
// index (regionColours) are just those of one colour in the picture that --regions --png drew,
// so that neighbouring regions differ as they do there; else 0.
function coloursAsPicture(size, labels, picture) {
  const index = regionColours(labels, 16), colourOf = new Map(), indexOf = new Map();
  for (let r = 0; r < size; ++r) {
    for (let c = 0; c < size; ++c) {
      const n = regionAt(labels, r, c), at = 3 * ((size - 1 - r) * size + c), colour = String(picture.subarray(at, at + 3));
      if (n < 2) continue;
      if ((colourOf.get(index[n]) ?? colour) !== colour || (indexOf.get(colour) ?? index[n]) !== index[n]) return 0;
      colourOf.set(index[n], colour); indexOf.set(colour, index[n]);
    }
  }
  return colourOf.size;
}

// What quarnel-inspect --regions --json tells of a map (every region and gap listed), as the
// module finds it: the fields of the tool's document it has.
function fromModule(size, file, diagonal) {
  const words = rowWords(file.buffer.slice(file.byteOffset, file.byteOffset + file.length), size), labels = labelRegions(words, size, diagonal);
  const region = (n) => ({ number: n, cells: labels.cells[n], first: { row: labels.first[2 * n], column: labels.first[2 * n + 1] },
    rows: [labels.bounds[4 * n], labels.bounds[4 * n + 1]], columns: [labels.bounds[4 * n + 2], labels.bounds[4 * n + 3]] });
  const told = { freeCells: labels.freeCells, regions: labels.count, main: labels.count ? region(1) : null,
    others: Array.from({ length: Math.max(labels.count - 1, 0) }, (_, k) => region(k + 2)) };
  if (diagonal) return told;
  const g = diagonalGaps(labels, words), first = Array.from(g.row, (r, k) => {
    const lower = g.column[k] + 1 - g.rising[k], upper = g.column[k] + g.rising[k];
    return { cells: [{ row: r, column: lower }, { row: r + 1, column: upper }], regions: [regionAt(labels, r, lower), regionAt(labels, r + 1, upper)] };
  });
  return { ...told, gaps: { count: first.length, first } };
}

test('the page finds the regions, diagonal gaps and region colours of random maps as quarnel-inspect --regions does', () => {
  const files = [[64, 1], [128, 2], [128, 3], [192, 4]].map(([size, seed]) => {
    const blocked = randomMap(size, seed), file = mapFile(size, (r, c) => blocked[r * size + c]);
    fs.writeFileSync(path.join(dir, `map${seed}.raw`), file);
    return [size, file, `map${seed}.raw`];
  });
  let colours = 0;
  for (const diagonal of [false, true]) {
    for (const [size, file, name] of files) {
      const expected = JSON.parse(execFileSync(process.env.QUARNEL_INSPECT, ['--regions', name, '--limit', '100000', '--json', '--png', 'regions.png',
        ...(diagonal ? ['--diagonal'] : [])], { cwd: dir, encoding: 'utf8' }));
      for (const field of ['map', 'size', 'diagonal', 'more', 'cellsOutsideMain']) delete expected[field];
      for (const region of [expected.main, ...expected.others]) delete region.touchesEdge;
      delete expected.main.share;
      assert.ok(expected.others.length > 5 && (diagonal || expected.gaps.count > 100), `${name}: few regions or gaps`);
      assert.deepEqual(fromModule(size, file, diagonal), expected, `${name}, ${diagonal ? 'diagonal' : 'edge'} steps`);
      const words = rowWords(file.buffer.slice(file.byteOffset, file.byteOffset + file.length), size);
      const picture = pngPixels(fs.readFileSync(path.join(dir, 'regions.png'))), count = coloursAsPicture(size, labelRegions(words, size, diagonal), picture);
      assert.ok(count > 0, `${name}, ${diagonal ? 'diagonal' : 'edge'} steps: colours`);
      colours = Math.max(colours, count);
    }
  }
  assert.ok(colours > 4, 'palette colours seen');
});
