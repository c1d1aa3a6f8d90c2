// Reading the page's data: the JSON block "quarnel-data" that quarnel-inspect --view writes
// (src/viewer/ViewData.cpp):
//   mode: "classes" (infantry, tank, car) or "diff" (A, B); size: cells per side;
//   classes[]: {name, map (its file name), colour, shape, treeFractions}: the shape a class
//     blocks around a cell, {reach, halfWidths of the rows -reach..reach}; treeFractions:
//     [low, high] for a tree footprint of 1 to 4 cells (infantry), null for the shape;
//   colours: {free, onlyInA, onlyInB, bothWays, dimBlocked, dimFree} as --overlay and --diff draw;
//   nearReach: how many rows and columns away the objects named near a free cell block;
//   regionPalette: the colours of regions other than the main one, as --regions --png draws;
//   maps[]: {name, file, bits}: bits is the map file, zlib-deflated and base64-encoded;
//   world: null, or {objectFile, meshDir, meshes[] (paths), objects, matrices, meshParts,
//     vertices, faces}, each binary part deflated and base64-encoded.

// The bytes of a deflated, base64-encoded part, as an ArrayBuffer.
export async function inflate(base64) {
  const text = atob(base64);
  const bytes = new Uint8Array(text.length);
  for (let i = 0; i < text.length; ++i) bytes[i] = text.charCodeAt(i);
  const stream = new Blob([bytes]).stream().pipeThrough(new DecompressionStream('deflate'));
  return new Response(stream).arrayBuffer();
}

// The cells of a map file of size cells a side as rows of 32-bit words, row 0 first: column
// 32w + t of a row in bit t of its word w. The file holds a 32-byte header, then per 64 by 64
// segment (by segment row, then column) the code 0 (free), 1 (blocked) or -1 and 64 rows of
// 8 bytes.
export function rowWords(file, size) {
  const bytes = new DataView(file), wpr = size / 32, words = new Uint32Array(size * wpr), segments = size / 64;
  let at = 32;
  for (let i = 0; i < segments; ++i) {
    for (let j = 0; j < segments; ++j) {
      const code = bytes.getInt32(at, true);
      at += 4;
      if (code === 0) continue;
      for (let k = 0, w = 64 * i * wpr + 2 * j; k < 64; ++k, w += wpr) {
        words[w] = code === 1 ? 0xffffffff : bytes.getUint32(at + 8 * k, true);
        words[w + 1] = code === 1 ? 0xffffffff : bytes.getUint32(at + 8 * k + 4, true);
      }
      if (code !== 1) at += 512;
    }
  }
  return words;
}

export const blockedAt = (words, size, r, c) => (words[r * (size / 32) + (c >>> 5)] >>> (c & 31)) & 1;

function bitCount(v) {
  v -= (v >>> 1) & 0x55555555;
  v = (v & 0x33333333) + ((v >>> 2) & 0x33333333);
  return Math.imul((v + (v >>> 4)) & 0x0f0f0f0f, 0x01010101) >>> 24;
}

export const countBits = (words) => words.reduce((sum, w) => sum + bitCount(w), 0);

// The world of the data, for explain (explain.mjs) and the panel: the rules it shares with
// the run (size, classes, nearReach) and the objects as typed arrays. unpack turns a binary
// part into an ArrayBuffer (inflate in the page).
export async function loadWorld(data, unpack = inflate) {
  const w = data.world;
  const [table, matrices, parts, vertices, faces] = await Promise.all(
    [w.objects, w.matrices, w.meshParts, w.vertices, w.faces].map(unpack));
  const lines = new TextDecoder().decode(table).split('\n');
  lines.pop();
  const count = lines.length;
  const o = {
    size: data.size, classes: data.classes, nearReach: data.nearReach,
    objectFile: w.objectFile, meshDir: w.meshDir, meshes: w.meshes,
    count, name: [], line: new Float64Array(count), numbers: new Float64Array(9 * count),
    mesh: new Int32Array(count), tree: new Uint8Array(count), box: new Int32Array(4 * count),
    matrices: new Float64Array(matrices), parts: new Int32Array(parts),
    vertices: new Float32Array(vertices), faces: new Int32Array(faces), placed: new Map(), used: new Map(),
  };
  lines.forEach((text, i) => {
    const [name, line, pos, rot, scale, mesh, tree, box] = text.split('\t');
    o.name.push(name);
    o.line[i] = Number(line);
    `${pos} ${rot} ${scale}`.split(' ').forEach((v, k) => { o.numbers[9 * i + k] = Number(v); });
    o.mesh[i] = Number(mesh);
    o.tree[i] = Number(tree);
    box.split(' ').forEach((v, k) => { o.box[4 * i + k] = Number(v); });
  });
  return o;
}
