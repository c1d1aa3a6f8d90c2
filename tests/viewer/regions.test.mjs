// The viewer's regions module in Node: its regions and diagonal gaps on random maps against
// those of a plain flood fill, for edge steps and for diagonal steps.
import assert from 'node:assert/strict';
import { test } from 'node:test';
import { rowWords } from '../../src/inspect/viewer/data.mjs';
import { diagonalGaps, labelRegions, regionAt } from '../../src/inspect/viewer/regions.mjs';

// A map file of size cells a side, blocked where blocked[row * size + column] is 1.
function mapFile(size, blocked) {
  const parts = [Buffer.from(Int32Array.from([0, 0, 6, 0, 0, 2, 0, -1]).buffer)], n = size / 64;
  for (let i = 0; i < n; ++i) {
    for (let j = 0; j < n; ++j) {
      const bytes = Buffer.alloc(516);
      bytes.writeInt32LE(-1, 0);
      for (let k = 0; k < 64 * 64; ++k) if (blocked[(64 * i + (k >> 6)) * size + 64 * j + (k & 63)]) bytes[4 + (k >> 3)] |= 1 << (k & 7);
      const all = bytes.subarray(4).every((b) => b === 255), none = bytes.subarray(4).every((b) => b === 0);
      parts.push(all || none ? Buffer.from(Int32Array.of(all ? 1 : 0).buffer) : bytes);
    }
  }
  return Buffer.concat(parts);
}

// Random maps: blobs of blocked cells, thin walls and some uniform segments.
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

// What --regions --json tells of a map, found by a flood fill over every cell.
function floodFill(size, blocked, diagonal) {
  const label = new Int32Array(size * size), found = [], steps = [[0, 1], [1, 0], [0, -1], [-1, 0]];
  if (diagonal) steps.push([1, 1], [1, -1], [-1, 1], [-1, -1]);
  for (let start = 0; start < size * size; ++start) {
    if (blocked[start] || label[start]) continue;
    const region = { cells: 0, first: start, rows: [size, -1], columns: [size, -1] }, stack = [start];
    label[start] = found.push(region);
    while (stack.length) {
      const at = stack.pop(), r = Math.floor(at / size), c = at % size;
      ++region.cells;
      region.rows = [Math.min(region.rows[0], r), Math.max(region.rows[1], r)];
      region.columns = [Math.min(region.columns[0], c), Math.max(region.columns[1], c)];
      for (const [dr, dc] of steps) {
        const next = (r + dr) * size + c + dc;
        if (r + dr < 0 || c + dc < 0 || r + dr >= size || c + dc >= size || blocked[next] || label[next]) continue;
        label[next] = label[at];
        stack.push(next);
      }
    }
  }
  const order = found.map((region, k) => k + 1).sort((a, b) => found[b - 1].cells - found[a - 1].cells || a - b);
  const number = new Int32Array(found.length + 1);
  order.forEach((k, n) => { number[k] = n + 1; });
  const regionOf = (r, c) => number[label[r * size + c]];
  const regions = order.map((k, n) => ({ ...found[k - 1], number: n + 1,
    first: { row: Math.floor(found[k - 1].first / size), column: found[k - 1].first % size } }));
  const gaps = [];
  for (let r = 0; r + 1 < size; ++r) {
    for (let c = 0; c + 1 < size; ++c) {
      const free = (dr, dc) => !blocked[(r + dr) * size + c + dc];
      for (const [lower, upper] of [[0, 1], [1, 0]]) {
        if (!free(0, lower) || !free(1, upper) || free(0, upper) || free(1, lower) || regionOf(r, c + lower) === regionOf(r + 1, c + upper)) continue;
        gaps.push({ cells: [{ row: r, column: c + lower }, { row: r + 1, column: c + upper }], regions: [regionOf(r, c + lower), regionOf(r + 1, c + upper)] });
      }
    }
  }
  return { regions, gaps: diagonal ? undefined : gaps };
}

// The same from regions.mjs.
function fromModule(size, file, diagonal) {
  const words = rowWords(file.buffer.slice(file.byteOffset, file.byteOffset + file.length), size), labels = labelRegions(words, size, diagonal);
  const regions = Array.from({ length: labels.count }, (_, k) => {
    const n = k + 1, b = labels.bounds.subarray(4 * n, 4 * n + 4);
    return { cells: labels.cells[n], first: { row: labels.first[2 * n], column: labels.first[2 * n + 1] }, rows: [b[0], b[1]], columns: [b[2], b[3]], number: n };
  });
  if (diagonal) return { regions, gaps: undefined };
  const g = diagonalGaps(labels, words), gaps = Array.from(g.row, (r, k) => {
    const c = g.column[k], lower = g.rising[k] ? c : c + 1, upper = g.rising[k] ? c + 1 : c;
    return { cells: [{ row: r, column: lower }, { row: r + 1, column: upper }], regions: [regionAt(labels, r, lower), regionAt(labels, r + 1, upper)] };
  });
  return { regions, gaps };
}

test('regions and diagonal gaps of random maps are those of a flood fill, with edge and with diagonal steps', () => {
  for (const [size, seed] of [[64, 1], [128, 2], [128, 3], [192, 4]]) {
    const blocked = randomMap(size, seed), file = mapFile(size, blocked);
    for (const diagonal of [false, true]) {
      const expected = floodFill(size, blocked, diagonal), shown = fromModule(size, file, diagonal);
      assert.deepEqual(shown, expected, `map ${seed}, ${diagonal ? 'diagonal' : 'edge'} steps`);
    }
  }
});
