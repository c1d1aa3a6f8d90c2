// The Quarnel map viewer. Everything it shows comes from the JSON block "quarnel-data" that
// quarnel-inspect --view writes into the page:
//   mode: "classes" (infantry, tank, car) or "diff" (A, B); size: cells per side;
//   maps[]: {name, file, bits}: bits is the map file, zlib-deflated and base64-encoded;
//   world: null, or {objectFile, meshDir, meshes[] (paths), objects, matrices, meshParts,
//     vertices, faces}, each binary part deflated and base64-encoded (ViewData.cpp).
// The maps stay bits (Uint32Array); a frame is drawn only for the cells the window shows.
'use strict';

const COLOURS = {
  infantry: [120, 20, 20], tank: [230, 120, 30], car: [250, 215, 130], free: [255, 255, 255],
  onlyA: [220, 0, 0], onlyB: [0, 90, 230], both: [160, 0, 200], equal: [200, 200, 200],
  outside: [228, 230, 234],
};
const MAP_FILES = { infantry: 'Infantry1Level0Map.raw', tank: 'Tank0Level0Map.raw', car: 'Car4Level0Map.raw' };
// The shapes a class blocks around a cell: half widths of the rows -reach..reach.
const SHAPES = {
  infantry: { reach: 0, half: [0] },
  tank: { reach: 3, half: [0, 2, 2, 3, 2, 2, 0] },
  car: { reach: 4, half: [0, 3, 3, 3, 4, 3, 3, 3, 0] },
};
const MAX_SCALE = 32; // pixels per cell
const LIMIT = 2 ** 53; // cells beyond this are not handled here (see placedCells)

const $ = (id) => document.getElementById(id);
const data = JSON.parse($('quarnel-data').textContent);
const N = data.size;
const WPR = N / 32; // 32-bit words per row
const canvas = $('canvas');
const ctx = canvas.getContext('2d');
const view = { scale: 1, x0: 0, z0: 0, fitScale: 1 }; // x0, z0: world at the left and bottom edges
const maps = data.maps.map((m) => ({ ...m, on: true, words: null }));
let world = null;
let hoverCell = null;
let selected = null;
let marker = null;
let frame = 0;
let image = null;

async function inflate(base64) {
  const text = atob(base64);
  const bytes = new Uint8Array(text.length);
  for (let i = 0; i < text.length; ++i) bytes[i] = text.charCodeAt(i);
  const stream = new Blob([bytes]).stream().pipeThrough(new DecompressionStream('deflate'));
  return new Response(stream).arrayBuffer();
}

// The cells of a map file as rows of 32-bit words, row 0 first: column 32w + t of a row in
// bit t of its word w. The file holds a 32-byte header, then per 64 by 64 segment (by
// segment row, then column) the code 0 (free), 1 (blocked) or -1 and 64 rows of 8 bytes.
function rowWords(file) {
  const bytes = new DataView(file), words = new Uint32Array(N * WPR), segments = N / 64;
  let at = 32;
  for (let i = 0; i < segments; ++i) {
    for (let j = 0; j < segments; ++j) {
      const code = bytes.getInt32(at, true);
      at += 4;
      if (code === 0) continue;
      for (let k = 0, w = 64 * i * WPR + 2 * j; k < 64; ++k, w += WPR) {
        words[w] = code === 1 ? 0xffffffff : bytes.getUint32(at + 8 * k, true);
        words[w + 1] = code === 1 ? 0xffffffff : bytes.getUint32(at + 8 * k + 4, true);
      }
      if (code !== 1) at += 512;
    }
  }
  return words;
}

const isBlocked = (map, r, c) => (map.words[r * WPR + (c >>> 5)] >>> (c & 31)) & 1;
const inside = (r, c) => r >= 0 && c >= 0 && r < N && c < N;
const rgba = ([r, g, b]) => (255 << 24) | (b << 16) | (g << 8) | r;

// --- Drawing ------------------------------------------------------------------------------

// The cells under the pixel that spans world [a, b): its centre cell when a cell is larger
// than a pixel, else every cell it touches; clipped to the world (lo > hi: none).
function cellSpan(a, b) {
  let lo, hi;
  if (view.scale >= 1) lo = hi = Math.floor((a + b) / 2);
  else { lo = Math.floor(a); hi = Math.ceil(b) - 1; }
  return [Math.max(lo, 0), Math.min(hi, N - 1)];
}

// True when any of the bits lo..hi of the row words buf (buf[0] is word w0) is set.
function anyBit(buf, w0, lo, hi) {
  const first = lo >>> 5, last = hi >>> 5;
  const low = -1 << (lo & 31), high = (hi & 31) === 31 ? -1 : (1 << ((hi & 31) + 1)) - 1;
  if (first === last) return (buf[first - w0] & low & high) !== 0;
  if (buf[first - w0] & low) return true;
  for (let w = first + 1; w < last; ++w) if (buf[w - w0]) return true;
  return (buf[last - w0] & high) !== 0;
}

// The three layers of one pixel row, the words w0.. of the cell rows r0..r1 OR-ed: the
// classes infantry, tank, car; or blocked only in A, only in B, and in A.
function layerRows(r0, r1, w0, bufs) {
  const [b0, b1, b2] = bufs, count = b0.length, diff = data.mode === 'diff';
  const u = maps[0].words, v = maps[1].words, w = diff ? u : maps[2].words;
  for (const buf of bufs) buf.fill(0);
  for (let r = r0; r <= r1; ++r) {
    for (let i = 0, at = r * WPR + w0; i < count; ++i, ++at) {
      const x = u[at], y = v[at];
      if (diff) { b0[i] |= x & ~y; b1[i] |= y & ~x; b2[i] |= x; } else { b0[i] |= x; b1[i] |= y; b2[i] |= w[at]; }
    }
  }
}

const COL = Object.fromEntries(Object.entries(COLOURS).map(([k, v]) => [k, rgba(v)]));

// The colour of a pixel from its layers' bits: bit k set when layer k is blocked under it.
function palette() {
  return Uint32Array.from({ length: 8 }, (_, bits) => {
    if (data.mode === 'diff')
      return bits & 1 && bits & 2 ? COL.both : bits & 1 ? COL.onlyA : bits & 2 ? COL.onlyB : bits & 4 ? COL.equal : COL.free;
    const k = maps.findIndex((m, k) => m.on && bits & (1 << k));
    return k < 0 ? COL.free : COL[maps[k].name];
  });
}

function draw() {
  frame = 0;
  const W = canvas.width, H = canvas.height, s = view.scale, colours = palette();
  if (image?.width !== W || image?.height !== H) image = ctx.createImageData(W, H);
  const pixels = new Uint32Array(image.data.buffer);
  // Per pixel column: its cells lo..hi (none when lo > hi) and, when they lie in one word,
  // that word and the mask of their bits (mask 0: several words).
  const colLo = new Int32Array(W), colHi = new Int32Array(W), word = new Int32Array(W), mask = new Int32Array(W);
  let cMin = N, cMax = -1;
  for (let x = 0; x < W; ++x) {
    const [lo, hi] = cellSpan(view.x0 + x / s, view.x0 + (x + 1) / s);
    colLo[x] = lo; colHi[x] = hi;
    if (lo <= hi) { cMin = Math.min(cMin, lo); cMax = Math.max(cMax, hi); }
  }
  const w0 = cMin >>> 5, w1 = cMax >>> 5;
  for (let x = 0; x < W; ++x) {
    if (colLo[x] > colHi[x] || colLo[x] >>> 5 !== colHi[x] >>> 5) continue;
    word[x] = (colLo[x] >>> 5) - w0;
    mask[x] = (-1 << (colLo[x] & 31)) & ((colHi[x] & 31) === 31 ? -1 : (1 << ((colHi[x] & 31) + 1)) - 1);
  }
  const bufs = [0, 1, 2].map(() => new Int32Array(Math.max(w1 - w0 + 1, 1)));
  const [b0, b1, b2] = bufs;
  let last = null;
  for (let y = 0; y < H; ++y) {
    const [r0, r1] = cellSpan(view.z0 + (H - 1 - y) / s, view.z0 + (H - y) / s);
    const row = y * W;
    if (r0 > r1 || cMax < 0) { pixels.fill(COL.outside, row, row + W); continue; }
    if (last && last[0] === r0 && last[1] === r1) { pixels.copyWithin(row, row - W, row); continue; }
    last = [r0, r1];
    layerRows(r0, r1, w0, bufs);
    for (let x = 0; x < W; ++x) {
      const lo = colLo[x], hi = colHi[x], i = word[x], m = mask[x];
      if (lo > hi) { pixels[row + x] = COL.outside; continue; }
      const bits = m ? (b0[i] & m ? 1 : 0) | (b1[i] & m ? 2 : 0) | (b2[i] & m ? 4 : 0)
        : bufs.reduce((sum, buf, k) => sum | (anyBit(buf, w0, lo, hi) ? 1 << k : 0), 0);
      pixels[row + x] = colours[bits];
    }
  }
  ctx.putImageData(image, 0, 0);
  drawGrid();
  for (const [r, c, colour] of [[selected?.row, selected?.column, '#07f'], [hoverCell?.row, hoverCell?.column, '#000']])
    if (r !== undefined && s >= 4) outlineCell(r, c, colour);
  if (marker) {
    const [x, y] = toScreen(marker.x, marker.z);
    ctx.strokeStyle = '#07f'; ctx.lineWidth = 2;
    ctx.beginPath(); ctx.arc(x, y, 12, 0, 2 * Math.PI); ctx.stroke();
  }
  drawScaleBar();
}

const toScreen = (x, z) => [(x - view.x0) * view.scale, canvas.height - (z - view.z0) * view.scale];

function outlineCell(r, c, colour) {
  const [x, y] = toScreen(c, r + 1);
  ctx.strokeStyle = colour; ctx.lineWidth = 1;
  ctx.strokeRect(x + 0.5, y + 0.5, view.scale - 1, view.scale - 1);
}

// A round length (1, 2 or 5 times a power of ten) of at least minimum, and at least 1.
function niceStep(minimum) {
  const power = 10 ** Math.floor(Math.log10(Math.max(minimum, 1)));
  return [1, 2, 5, 10].map((f) => f * power).find((step) => step >= minimum);
}

function drawGrid() {
  const s = view.scale, W = canvas.width, H = canvas.height;
  if (s < 1) return;
  const lines = (step, style, labels) => {
    ctx.strokeStyle = style; ctx.lineWidth = 1; ctx.fillStyle = '#333'; ctx.font = '11px system-ui, sans-serif';
    ctx.beginPath();
    for (let x = Math.ceil(view.x0 / step) * step; x <= view.x0 + W / s; x += step) {
      const px = Math.round(toScreen(x, 0)[0]) + 0.5;
      ctx.moveTo(px, 0); ctx.lineTo(px, H);
      if (labels) ctx.fillText(`x ${x}`, px + 3, 12);
    }
    for (let z = Math.ceil(view.z0 / step) * step; z <= view.z0 + H / s; z += step) {
      const py = Math.round(toScreen(0, z)[1]) + 0.5;
      ctx.moveTo(0, py); ctx.lineTo(W, py);
      if (labels) ctx.fillText(`z ${z}`, 3, py - 3);
    }
    ctx.stroke();
  };
  if (s >= 8) lines(1, 'rgba(0,0,0,0.10)', false);
  lines(niceStep(80 / s), 'rgba(0,0,60,0.35)', true);
}

function drawScaleBar() {
  const length = niceStep(100 / view.scale), px = length * view.scale;
  const x = canvas.width - px - 24, y = canvas.height - 16;
  ctx.fillStyle = 'rgba(255,255,255,0.8)'; ctx.fillRect(x - 8, y - 18, px + 16, 28);
  ctx.fillStyle = '#000'; ctx.fillRect(x, y, px, 4);
  ctx.font = '11px system-ui, sans-serif';
  ctx.fillText(`${length} ${length === 1 ? 'unit' : 'units'} (cells)`, x, y - 5);
}

function redraw() { if (!frame) frame = requestAnimationFrame(draw); }

// --- View ---------------------------------------------------------------------------------

function setView(scale, centreX, centreZ) {
  view.scale = Math.min(Math.max(scale, view.fitScale), MAX_SCALE);
  view.x0 = centreX - canvas.width / 2 / view.scale;
  view.z0 = centreZ - canvas.height / 2 / view.scale;
  redraw();
}

// The whole world with a margin of 2 % on each side.
const fitScale = () => Math.min(MAX_SCALE, Math.min(canvas.width, canvas.height) / (1.04 * N));

function fit() {
  view.fitScale = fitScale();
  setView(view.fitScale, N / 2, N / 2);
}

function zoomAt(px, py, factor) {
  const x = view.x0 + px / view.scale, z = view.z0 + (canvas.height - py) / view.scale;
  view.scale = Math.min(Math.max(view.scale * factor, view.fitScale), MAX_SCALE);
  view.x0 = x - px / view.scale;
  view.z0 = z - (canvas.height - py) / view.scale;
  redraw();
}

function resize() {
  const cx = view.x0 + canvas.width / 2 / view.scale, cz = view.z0 + canvas.height / 2 / view.scale;
  const fitted = view.scale === view.fitScale;
  canvas.width = canvas.clientWidth;
  canvas.height = canvas.clientHeight;
  if (fitted) fit();
  else { view.fitScale = fitScale(); setView(view.scale, cx, cz); }
}

const cellAt = (px, py) => ({
  row: Math.floor(view.z0 + (canvas.height - py) / view.scale),
  column: Math.floor(view.x0 + px / view.scale),
});

// --- The world: objects, meshes, and what blocks a cell --------------------------------------

async function loadWorld(w) {
  const [table, matrices, parts, vertices, faces] = await Promise.all(
    [w.objects, w.matrices, w.meshParts, w.vertices, w.faces].map(inflate));
  const lines = new TextDecoder().decode(table).split('\n');
  lines.pop();
  const count = lines.length;
  const o = {
    ...w, count, name: [], line: new Float64Array(count), numbers: new Float64Array(9 * count),
    mesh: new Int32Array(count), tree: new Uint8Array(count), box: new Int32Array(4 * count),
    matrices: new Float64Array(matrices), parts: new Int32Array(parts),
    vertices: new Float32Array(vertices), faces: new Int32Array(faces), placed: new Map(),
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

function objectInfo(i) {
  const v = Array.from(world.numbers.subarray(9 * i, 9 * i + 9));
  return {
    number: i + 1, name: world.name[i], line: world.line[i], position: v.slice(0, 3),
    rotation: v.slice(3, 6), scale: v.slice(6, 9), mesh: world.mesh[i] < 0 ? null : world.meshes[world.mesh[i]],
  };
}

// The objects whose box of cells meets rows r0..r1 by columns c0..c1.
function objectsNear(r0, r1, c0, c1) {
  const found = [], box = world.box;
  for (let i = 0; i < world.count; ++i)
    if (box[4 * i] <= r1 && box[4 * i + 2] >= r0 && box[4 * i + 1] <= c1 && box[4 * i + 3] >= c0) found.push(i);
  return found;
}

// True when the shape centred on (row y, column x) covers a cell of rows r0..r1 by c0..c1.
function shapeMeets(shape, y, x, r0, r1, c0, c1) {
  for (let d = -shape.reach; d <= shape.reach; ++d) {
    const h = shape.half[d + shape.reach];
    if (y + d >= r0 && y + d <= r1 && x - h <= c1 && x + h >= c0) return true;
  }
  return false;
}

// The mesh vertices of object i placed in the world and rounded down to cells, exactly as
// quarnel does: the products and sums in the same order, in doubles, on float vertices. Cells
// of 2^53 or more in magnitude are beyond what these doubles hold exactly: such an object is
// left out (null), so nothing here walks an unbounded line.
function placedCells(i) {
  if (world.placed.has(i)) return world.placed.get(i);
  const k = world.mesh[i], m = world.matrices.subarray(6 * i, 6 * i + 6);
  const px = world.numbers[9 * i], pz = world.numbers[9 * i + 2];
  const v0 = world.parts[2 * k], v1 = world.parts[2 * k + 2], v = world.vertices;
  let cells = { x: new Float64Array(v1 - v0), y: new Float64Array(v1 - v0) };
  for (let j = v0; j < v1; ++j) {
    const x = v[3 * j] * m[0] + v[3 * j + 1] * m[1] + v[3 * j + 2] * m[2] + px;
    const z = v[3 * j] * m[3] + v[3 * j + 1] * m[4] + v[3 * j + 2] * m[5] + pz;
    if (!(Math.abs(x) < LIMIT && Math.abs(z) < LIMIT)) { cells = null; break; }
    cells.x[j - v0] = Math.floor(x);
    cells.y[j - v0] = Math.floor(z);
  }
  world.placed.set(i, cells);
  return cells;
}

// floor((k * b + bias) / a), exactly also when the product exceeds what a double holds.
function minorAt(k, b, bias, a) {
  if (a < 2 ** 25) return Math.floor((k * b + bias) / a);
  return Number((BigInt(k) * BigInt(b) + BigInt(bias)) / BigInt(a));
}

// True when the line walk from (x0, y0) to (x1, y1), with the shape at every cell, covers a
// cell of rows r0..r1 by c0..c1. The walk is quarnel's: at step k the minor coordinate has
// moved floor((k * B + floor((A - 1) / 2)) / A) cells, x leading when |dx| = |dy|. Only the
// steps near the rows and columns are visited.
function walkMeets(x0, y0, x1, y1, shape, r0, r1, c0, c1) {
  const adx = Math.abs(x1 - x0), ady = Math.abs(y1 - y0), sx = x1 < x0 ? -1 : 1, sy = y1 < y0 ? -1 : 1;
  const xMajor = adx >= ady, a = xMajor ? adx : ady, b = xMajor ? ady : adx;
  const bias = a > 0 ? Math.floor((a - 1) / 2) : 0, start = xMajor ? x0 : y0, dir = xMajor ? sx : sy;
  const lo = (xMajor ? c0 : r0) - shape.reach, hi = (xMajor ? c1 : r1) + shape.reach;
  const kLo = Math.max(dir > 0 ? lo - start : start - hi, 0), kHi = Math.min(dir > 0 ? hi - start : start - lo, a);
  for (let k = kLo; k <= kHi; ++k) {
    const m = a > 0 ? minorAt(k, b, bias, a) : 0;
    const x = xMajor ? x0 + sx * k : x0 + sx * m, y = xMajor ? y0 + sy * m : y0 + sy * k;
    if (shapeMeets(shape, y, x, r0, r1, c0, c1)) return true;
  }
  return false;
}

// What object i blocks, for a class, among rows r0..r1 by columns c0..c1: null for nothing,
// else its cause: a tree footprint, or the first face edge that covers a cell there.
function coverOf(i, cls, r0, r1, c0, c1) {
  const shape = SHAPES[cls];
  if (world.tree[i]) {
    const x = world.numbers[9 * i], z = world.numbers[9 * i + 2];
    if (!(Math.abs(x) < LIMIT && Math.abs(z) < LIMIT)) return null;
    const rt = Math.trunc(z), ct = Math.trunc(x);
    let hit;
    if (cls === 'infantry') { // fractions up to 0.25 take the lower neighbour, from 0.75 the upper
      const fz = z - rt, fx = x - ct;
      hit = (fz <= 0.25 ? rt - 1 : rt) <= r1 && (fz >= 0.75 ? rt + 1 : rt) >= r0 &&
            (fx <= 0.25 ? ct - 1 : ct) <= c1 && (fx >= 0.75 ? ct + 1 : ct) >= c0;
    } else hit = shapeMeets(shape, rt, ct, r0, r1, c0, c1);
    return hit ? { kind: 'tree', object: objectInfo(i) } : null;
  }
  if (world.mesh[i] < 0) return null;
  const cells = placedCells(i);
  if (!cells) return null;
  const k = world.mesh[i], f = world.faces;
  let first = null, count = 0;
  for (let face = world.parts[2 * k + 1]; face < world.parts[2 * k + 3]; ++face) {
    const abc = [f[3 * face], f[3 * face + 1], f[3 * face + 2]];
    for (let e = 0; e < 3; ++e) {
      const p = abc[e], q = abc[(e + 1) % 3];
      if (!walkMeets(cells.x[p], cells.y[p], cells.x[q], cells.y[q], shape, r0, r1, c0, c1)) continue;
      ++count;
      first ??= { face: face - world.parts[2 * k + 1], vertices: abc, edge: [p, q] };
    }
  }
  return first && { kind: 'outline', object: objectInfo(i), ...first, coveringEdges: count };
}

// What quarnel-inspect --why --json tells of a cell: per class whether it is blocked, by what
// (covering objects in file order, or hole filling), and for a free cell the objects that
// block a cell within 2 rows and 2 columns of it.
function explain(row, column) {
  const answer = { cell: { row, column }, square: { x: [column, column + 1], z: [row, row + 1] },
    inside: inside(row, column), classes: [] };
  if (!answer.inside) return answer;
  const near = objectsNear(row - 2, row + 2, column - 2, column + 2);
  for (const cls of ['infantry', 'tank', 'car']) {
    const covered = (r, c) => near.some((i) => coverOf(i, cls, r, r, c, c));
    const causes = near.map((i) => coverOf(i, cls, row, row, column, column)).filter(Boolean);
    let blocked = causes.length > 0, nearBy = [];
    if (!blocked && [[row - 1, column], [row + 1, column], [row, column - 1], [row, column + 1]]
      .every(([r, c]) => !inside(r, c) || covered(r, c))) {
      blocked = true;
      causes.push({ kind: 'hole' });
    }
    if (!blocked) {
      const [r0, r1, c0, c1] = [Math.max(row - 2, 0), Math.min(row + 2, N - 1), Math.max(column - 2, 0), Math.min(column + 2, N - 1)];
      nearBy = near.filter((i) => coverOf(i, cls, r0, r1, c0, c1)).map(objectInfo);
    }
    answer.classes.push({ class: cls, map: MAP_FILES[cls], blocked, causes, near: nearBy });
  }
  return answer;
}

// --- Panel and readout ----------------------------------------------------------------------

const esc = (t) => String(t).replace(/[&<>"]/g, (ch) => `&#${ch.charCodeAt(0)};`);
const fmt = (v) => v.map((x) => +x.toFixed(3)).join(', ');
const objectText = (o) => `#${o.number} ${o.name}, line ${o.line}, at (${fmt(o.position)})`;
const swatch = (name) => `<span class="swatch" style="background:rgb(${COLOURS[name]})"></span>`;

function showLayers() {
  const box = $('layers');
  if (data.mode === 'diff') {
    box.innerHTML = '<h2>Difference of two builds</h2>' +
      [['onlyA', 'blocked only in A'], ['onlyB', 'blocked only in B'], ['both', 'both kinds in one pixel'],
        ['equal', 'blocked in both'], ['free', 'free in both']].map(([k, t]) => `<div>${swatch(k)}${t}</div>`).join('');
    return;
  }
  box.innerHTML = '<h2>Layers</h2>' + maps.map((m, k) =>
    `<label><input type="checkbox" data-layer="${k}" checked> ${swatch(m.name)}${m.name}</label>`).join('');
  box.addEventListener('change', (e) => { maps[e.target.dataset.layer].on = e.target.checked; redraw(); });
}

function showCounts(extra) {
  const share = (n) => `${(100 * n / (N * N)).toFixed(2)} %`;
  const rows = [['World', `${N} by ${N} cells`], ...extra,
    ...maps.map((m) => [`Blocked, ${m.name}`, `${m.blocked} (${share(m.blocked)})`])];
  $('counts').innerHTML = '<h2>Counts</h2><table>' + rows.map(([k, v]) => `<tr><td>${esc(k)}</td><td class="n">${esc(v)}</td></tr>`).join('') +
    '</table>' + maps.map((m) => `<div class="file">${esc(m.name)}: ${esc(m.file)}</div>`).join('') +
    (world ? `<div class="file">objects: ${esc(world.objectFile)}<br>meshes: ${esc(world.meshDir)}</div>` : '');
}

function bitCount(v) {
  v -= (v >>> 1) & 0x55555555;
  v = (v & 0x33333333) + ((v >>> 2) & 0x33333333);
  return Math.imul((v + (v >>> 4)) & 0x0f0f0f0f, 0x01010101) >>> 24;
}

function showDifference() {
  const [a, b] = maps.map((m) => m.words);
  let onlyA = 0, onlyB = 0;
  for (let i = 0; i < a.length; ++i) { onlyA += bitCount(a[i] & ~b[i]); onlyB += bitCount(b[i] & ~a[i]); }
  showCounts([['Differing cells', onlyA + onlyB], ['Blocked only in A', onlyA], ['Blocked only in B', onlyB]]);
}

function objectList(list, items, limit) {
  list.innerHTML = items.slice(0, limit).map((i) =>
    `<li data-object="${i}">${esc(world.name[i])} <span class="hint">line ${world.line[i]}</span></li>`).join('') +
    (items.length > limit ? `<li class="hint">and ${items.length - limit} more</li>` : '');
}

function showWorld() {
  const trees = world.tree.reduce((a, t) => a + t, 0);
  const unpathed = [];
  let pathed = 0;
  for (let i = 0; i < world.count; ++i) if (!world.tree[i]) world.mesh[i] >= 0 ? ++pathed : unpathed.push(i);
  showCounts([['Objects', world.count], ['Trees', trees], ['Meshes pathed', pathed], ['Not pathed', unpathed.length]]);
  $('world').hidden = false;
  $('notPathedTitle').textContent = `Objects without a collision mesh (${unpathed.length})`;
  objectList($('notPathed'), unpathed, 2000);
  $('search').addEventListener('input', (e) => {
    const text = e.target.value.toLowerCase();
    const found = [];
    if (text) for (let i = 0; i < world.count; ++i) if (world.name[i].toLowerCase().includes(text)) found.push(i);
    objectList($('found'), found, 200);
  });
  for (const list of [$('notPathed'), $('found')]) list.addEventListener('click', (e) => {
    const i = e.target.closest('li')?.dataset.object;
    if (i === undefined) return;
    marker = { x: world.numbers[9 * i], z: world.numbers[9 * i + 2] };
    setView(Math.max(view.scale, 8), marker.x, marker.z);
  });
}

function readout(cell) {
  const { row, column } = cell;
  let text = `Cell row ${row}, column ${column}: world x ${column} to ${column + 1}, z ${row} to ${row + 1}`;
  const state = {};
  if (!inside(row, column)) text += ', outside the world';
  else {
    for (const m of maps) state[m.name] = isBlocked(m, row, column) === 1;
    text += '\n' + maps.map((m) => `${m.name}: ${state[m.name] ? 'blocked' : 'free'}`).join(', ');
    if (world) {
      const near = objectsNear(row, row, column, column);
      if (near.length) text += '\nNear: ' + near.slice(0, 6).map((i) => objectText(objectInfo(i))).join('; ') +
        (near.length > 6 ? `; and ${near.length - 6} more` : '');
    }
  }
  $('readout').textContent = text;
  $('readout').dataset.cell = JSON.stringify({ row, column, blocked: state });
}

function showAnswer(answer) {
  window.quarnelLastAnswer = answer;
  const box = $('answer');
  box.hidden = false;
  box.dataset.answer = JSON.stringify(answer);
  const { row, column } = answer.cell;
  let html = `<h2>Cell row ${row}, column ${column}</h2>`;
  if (!answer.inside) html += '<p>Outside the world.</p>';
  for (const c of answer.classes) {
    const causes = c.causes.map((k) => k.kind === 'hole' ? 'hole filling: its four neighbours are blocked'
      : k.kind === 'tree' ? `${objectText(k.object)}: tree footprint`
        : `${objectText(k.object)}: face ${k.face} (vertices ${k.vertices.join(', ')}), edge ${k.edge.join('-')}` +
          `, ${k.coveringEdges} covering edge${k.coveringEdges === 1 ? '' : 's'}`);
    html += `<div class="class">${swatch(c.class)}<b>${c.class}</b>: <span class="${c.blocked ? 'blocked' : 'free'}">` +
      `${c.blocked ? 'blocked' : 'free'}</span><ul>${causes.map((t) => `<li>${esc(t)}</li>`).join('')}` +
      (c.near.length ? `<li>near: ${c.near.map((o) => esc(objectText(o))).join('; ')}</li>` : '') + '</ul></div>';
  }
  box.innerHTML = html;
}

// --- Events ---------------------------------------------------------------------------------

function listen() {
  let drag = null;
  canvas.addEventListener('pointerdown', (e) => {
    drag = { x: e.offsetX, y: e.offsetY, moved: 0 };
    canvas.setPointerCapture(e.pointerId);
    canvas.focus();
  });
  canvas.addEventListener('pointermove', (e) => {
    if (drag) {
      const dx = e.offsetX - drag.x, dy = e.offsetY - drag.y;
      drag.moved += Math.abs(dx) + Math.abs(dy);
      if (drag.moved > 3) {
        canvas.classList.add('dragging');
        view.x0 -= dx / view.scale;
        view.z0 += dy / view.scale;
        redraw();
      }
      drag.x = e.offsetX; drag.y = e.offsetY;
      return;
    }
    hoverCell = cellAt(e.offsetX, e.offsetY);
    readout(hoverCell);
    if (view.scale >= 4) redraw();
  });
  canvas.addEventListener('pointerup', (e) => {
    canvas.classList.remove('dragging');
    if (drag && drag.moved <= 3) {
      selected = cellAt(e.offsetX, e.offsetY);
      readout(selected);
      if (world && data.mode === 'classes') showAnswer(explain(selected.row, selected.column));
      redraw();
    }
    drag = null;
  });
  canvas.addEventListener('wheel', (e) => {
    e.preventDefault();
    zoomAt(e.offsetX, e.offsetY, Math.exp(-e.deltaY * 0.002));
  }, { passive: false });
  window.addEventListener('keydown', (e) => {
    if (e.target.tagName === 'INPUT' || e.ctrlKey || e.metaKey || e.altKey) return;
    const step = 100 / view.scale;
    const keys = {
      '+': () => zoomAt(canvas.width / 2, canvas.height / 2, 1.5), '=': () => zoomAt(canvas.width / 2, canvas.height / 2, 1.5),
      '-': () => zoomAt(canvas.width / 2, canvas.height / 2, 1 / 1.5), f: fit, F: fit, 0: fit,
      ArrowLeft: () => { view.x0 -= step; }, ArrowRight: () => { view.x0 += step; },
      ArrowUp: () => { view.z0 += step; }, ArrowDown: () => { view.z0 -= step; },
    };
    if (!keys[e.key]) return;
    e.preventDefault();
    keys[e.key]();
    redraw();
  });
  $('fit').addEventListener('click', fit);
  new ResizeObserver(() => { resize(); draw(); }).observe(canvas);
}

async function start() {
  const words = await Promise.all(maps.map((m) => inflate(m.bits)));
  maps.forEach((m, k) => { m.words = rowWords(words[k]); delete m.bits; });
  showLayers();
  canvas.width = canvas.clientWidth;
  canvas.height = canvas.clientHeight;
  fit();
  draw();
  performance.mark('quarnel-first-draw');
  window.quarnelFirstDraw = performance.now();
  listen();
  for (const m of maps) m.blocked = m.words.reduce((sum, w) => sum + bitCount(w), 0);
  if (data.mode === 'diff') showDifference();
  else showCounts([]);
  if (data.world) {
    world = await loadWorld(data.world);
    delete data.world;
    showWorld();
  }
  document.documentElement.dataset.ready = 'yes';
}

// For tests and scripts: the view (scale, x0, z0), moving it, and the answer for any cell.
window.quarnel = { view, setView, fit, explain };
start().catch((e) => { $('readout').textContent = `The page could not be shown: ${e}`; console.error(e); });
