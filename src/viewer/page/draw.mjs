// Drawing the maps and moving the view. v is the viewer (createViewer, main.mjs): the data,
// the canvas, the view {scale, x0, z0, fitScale} (x0, z0: world at the left and bottom edges),
// the maps as row words, the regions shown (shownRegions, panel.mjs), and the cells, region,
// object and outlines marked. A frame is drawn only for the cells the window shows.
import { placedCells } from './explain.mjs';

const MAX_SCALE = 32; // pixels per cell
const OUTSIDE = [228, 230, 234]; // beyond the world
export const GAP = [0, 0, 0]; // a diagonal gap: a cross on its corner, a pixel when zoomed out
const GAP_CROSS_SCALE = 6; // pixels per cell from which gaps are crosses
export const REACHABLE = [255, 200, 0]; // the region reachable from the clicked cell
const OUTLINE = '#00b4ff'; // the outlines of the objects that block the clicked cell
const CHANGED_BEFORE = '#555'; // a changed object's outline before the change

// The colours by name: each class's, and those of the difference picture.
export const namedColours = (data) => ({ ...Object.fromEntries(data.classes.map((c) => [c.name, c.colour])), ...data.colours });

export const rgba = ([r, g, b]) => (255 << 24) | (b << 16) | (g << 8) | r;

// The cells under the pixel that spans world [a, b): its centre cell when a cell is larger
// than a pixel, else every cell it touches; clipped to the world (lo > hi: none).
function cellSpan(v, a, b) {
  let lo, hi;
  if (v.view.scale >= 1) lo = hi = Math.floor((a + b) / 2);
  else { lo = Math.floor(a); hi = Math.ceil(b) - 1; }
  return [Math.max(lo, 0), Math.min(hi, v.size - 1)];
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

// The layers of one pixel row, the words w0.. of the cell rows r0..r1 OR-ed: the classes
// infantry, tank, car (and with changes the cells newly blocked and newly free); or blocked
// only in A, only in B, and in A.
function layerRows(v, r0, r1, w0, bufs) {
  const [b0, b1, b2, b3, b4] = bufs, count = b0.length, diff = v.data.mode === 'diff', wpr = v.size / 32;
  const m0 = v.maps[0].words, m1 = v.maps[1].words, m2 = diff ? m0 : v.maps[2].words;
  for (const buf of bufs) buf.fill(0);
  for (let r = r0; r <= r1; ++r) {
    for (let i = 0, at = r * wpr + w0; i < count; ++i, ++at) {
      const x = m0[at], y = m1[at];
      if (diff) { b0[i] |= x & ~y; b1[i] |= y & ~x; b2[i] |= x; } else { b0[i] |= x; b1[i] |= y; b2[i] |= m2[at]; }
      if (b3) { b3[i] |= v.changes.blocked[at]; b4[i] |= v.changes.freed[at]; }
    }
  }
}

// The colour of a pixel from its layers' bits: bit k set when layer k is blocked under it.
function palette(v, layers) {
  const col = Object.fromEntries(Object.entries(v.colours).map(([k, c]) => [k, rgba(c)]));
  return Uint32Array.from({ length: 1 << layers }, (_, bits) => {
    if (bits & 8) return col.newlyBlocked;
    if (bits & 16) return col.newlyFree;
    if (v.data.mode === 'diff')
      return bits & 1 && bits & 2 ? col.bothWays : bits & 1 ? col.onlyInA : bits & 2 ? col.onlyInB : bits & 4 ? col.dimBlocked : col.dimFree;
    const k = v.maps.findIndex((m, k) => m.on && bits & (1 << k));
    return k < 0 ? col.free : col[v.maps[k].name];
  });
}

// A pixel row of the regions view, cell row r (the lowest of the pixel's) and blocked, the
// class's blocked bits of its cell rows OR-ed: blocked in the class's colour, else the colour
// of the region of its cells (all free cells of a rectangle lie in one region).
function regionRow(v, shown, r, blocked, cols, pixels, row) {
  const { labels, colour } = shown, { lo: colLo, hi: colHi, word, mask, w0 } = cols;
  const dim = rgba(v.colours.dimFree), reachable = rgba(REACHABLE), blockedColour = rgba(v.colours[v.maps[shown.k].name]);
  let j = labels.rowStart[r];
  for (let x = 0; x < colLo.length; ++x) {
    const lo = colLo[x], m = mask[x];
    if (lo > colHi[x]) { pixels[row + x] = rgba(OUTSIDE); continue; }
    if (m ? blocked[word[x]] & m : anyBit(blocked, w0, lo, colHi[x])) { pixels[row + x] = blockedColour; continue; }
    while (labels.to[j] < lo) ++j;
    const n = labels.region[j];
    pixels[row + x] = !v.reachable ? colour[n] : n === v.reachable ? reachable : dim;
  }
}

// The diagonal gaps in the window: a pixel on each corner when zoomed out, else a cross.
function drawGaps(v, gaps, pixels) {
  const { view, ctx } = v, W = v.canvas.width, H = v.canvas.height, s = view.scale, cross = s >= GAP_CROSS_SCALE;
  // the first gap in row z0 - 1 or above, by bisection (gaps are in row-major order)
  let k = 0;
  for (let hi = gaps.row.length; k < hi;) {
    const mid = (k + hi) >> 1;
    if (gaps.row[mid] < view.z0 - 1) k = mid + 1; else hi = mid;
  }
  ctx.strokeStyle = `rgb(${GAP})`; ctx.lineWidth = 2;
  ctx.beginPath();
  for (; k < gaps.row.length && gaps.row[k] < view.z0 + H / s; ++k) {
    const [x, y] = toScreen(v, gaps.column[k] + 1, gaps.row[k] + 1), d = s / 4;
    if (x < 0 || y < 0 || x >= W || y >= H) continue;
    if (!cross) { pixels[Math.floor(y) * W + Math.floor(x)] = rgba(GAP); continue; }
    ctx.moveTo(x - d, y - d); ctx.lineTo(x + d, y + d); ctx.moveTo(x - d, y + d); ctx.lineTo(x + d, y - d);
  }
  if (cross) ctx.stroke();
}

// The part of the line from (x0, y0) to (x1, y1) inside the box [a, b] by [c, d], or null
// (Liang-Barsky clipping): outlines may run billions of cells beyond the window.
function clip(x0, y0, x1, y1, a, b, c, d) {
  let t0 = 0, t1 = 1;
  const dx = x1 - x0, dy = y1 - y0;
  for (const [p, q] of [[-dx, x0 - a], [dx, b - x0], [-dy, y0 - c], [dy, d - y0]]) {
    if (p === 0) { if (q < 0) return null; continue; }
    const t = q / p;
    if (p < 0) t0 = Math.max(t0, t); else t1 = Math.min(t1, t);
  }
  return t0 > t1 ? null : [x0 + t0 * dx, y0 + t0 * dy, x0 + t1 * dx, y0 + t1 * dy];
}

// The outlines of the objects that block the clicked cell: every face edge between the cells
// of its placed vertices, the covering edge of the answer thicker.
function drawOutlines(v) {
  const { ctx, view, world } = v, s = view.scale, box = [view.x0 - 1, view.x0 + v.canvas.width / s + 1, view.z0 - 1, view.z0 + v.canvas.height / s + 1];
  for (const { object, edge } of v.outlines) {
    const cells = placedCells(world, object), k = world.mesh[object], f = world.faces;
    const line = (p, q) => {
      const part = clip(cells.x[p] + 0.5, cells.y[p] + 0.5, cells.x[q] + 0.5, cells.y[q] + 0.5, ...box);
      if (!part) return;
      ctx.moveTo(...toScreen(v, part[0], part[1])); ctx.lineTo(...toScreen(v, part[2], part[3]));
    };
    ctx.strokeStyle = OUTLINE; ctx.lineWidth = 1.5;
    ctx.beginPath();
    for (let face = world.parts[2 * k + 1]; face < world.parts[2 * k + 3]; ++face)
      for (let e = 0; e < 3; ++e) line(f[3 * face + e], f[3 * face + (e + 1) % 3]);
    ctx.stroke();
    ctx.lineWidth = 4;
    ctx.beginPath(); line(...edge); ctx.stroke();
  }
}

// The outlines of a change's object before (dashed) and after: every face edge between the
// cells of its placed vertices, and a ring around a tree.
function drawChangeOutlines(v) {
  const { ctx, view } = v, s = view.scale, box = [view.x0 - 1, view.x0 + v.canvas.width / s + 1, view.z0 - 1, view.z0 + v.canvas.height / s + 1];
  for (const { outline, before } of v.changeOutlines) {
    ctx.strokeStyle = before ? CHANGED_BEFORE : OUTLINE; ctx.lineWidth = 2;
    ctx.setLineDash(before ? [6, 4] : []);
    ctx.beginPath();
    if (outline.tree) {
      const [x, y] = toScreen(v, outline.tree[0], outline.tree[1]);
      ctx.arc(x, y, Math.max(6, 2 * s), 0, 2 * Math.PI);
    }
    const p = outline.points ?? [], f = outline.faces ?? [];
    for (let k = 0; k < f.length; k += 3) {
      for (let e = 0; e < 3; ++e) {
        const a = f[k + e], b = f[k + (e + 1) % 3];
        const part = clip(p[2 * a] + 0.5, p[2 * a + 1] + 0.5, p[2 * b] + 0.5, p[2 * b + 1] + 0.5, ...box);
        if (!part) continue;
        ctx.moveTo(...toScreen(v, part[0], part[1])); ctx.lineTo(...toScreen(v, part[2], part[3]));
      }
    }
    ctx.stroke();
  }
  ctx.setLineDash([]);
}

export function draw(v) {
  v.frame = 0;
  const { canvas, ctx, view } = v, N = v.size, outside = rgba(OUTSIDE);
  const W = canvas.width, H = canvas.height, s = view.scale, layers = v.changes ? 5 : 3, colours = palette(v, layers);
  if (v.image?.width !== W || v.image?.height !== H) v.image = ctx.createImageData(W, H);
  const pixels = new Uint32Array(v.image.data.buffer);
  // Per pixel column: its cells lo..hi (none when lo > hi) and, when they lie in one word,
  // that word and the mask of their bits (mask 0: several words).
  const colLo = new Int32Array(W), colHi = new Int32Array(W), word = new Int32Array(W), mask = new Int32Array(W);
  let cMin = N, cMax = -1;
  for (let x = 0; x < W; ++x) {
    const [lo, hi] = cellSpan(v, view.x0 + x / s, view.x0 + (x + 1) / s);
    colLo[x] = lo; colHi[x] = hi;
    if (lo <= hi) { cMin = Math.min(cMin, lo); cMax = Math.max(cMax, hi); }
  }
  const w0 = cMin >>> 5, w1 = cMax >>> 5;
  for (let x = 0; x < W; ++x) {
    if (colLo[x] > colHi[x] || colLo[x] >>> 5 !== colHi[x] >>> 5) continue;
    word[x] = (colLo[x] >>> 5) - w0;
    mask[x] = (-1 << (colLo[x] & 31)) & ((colHi[x] & 31) === 31 ? -1 : (1 << ((colHi[x] & 31) + 1)) - 1);
  }
  const bufs = Array.from({ length: layers }, () => new Int32Array(Math.max(w1 - w0 + 1, 1)));
  const shown = v.regions, cols = { lo: colLo, hi: colHi, word, mask, w0 };
  let last = null;
  for (let y = 0; y < H; ++y) {
    const [r0, r1] = cellSpan(v, view.z0 + (H - 1 - y) / s, view.z0 + (H - y) / s);
    const row = y * W;
    if (r0 > r1 || cMax < 0) { pixels.fill(outside, row, row + W); continue; }
    if (last && last[0] === r0 && last[1] === r1) { pixels.copyWithin(row, row - W, row); continue; }
    last = [r0, r1];
    layerRows(v, r0, r1, w0, bufs);
    if (shown) { regionRow(v, shown, r0, bufs[shown.k], cols, pixels, row); continue; }
    for (let x = 0; x < W; ++x) {
      const lo = colLo[x], hi = colHi[x], i = word[x], m = mask[x];
      if (lo > hi) { pixels[row + x] = outside; continue; }
      let bits = 0;
      for (let k = 0; k < layers; ++k) if (m ? bufs[k][i] & m : anyBit(bufs[k], w0, lo, hi)) bits |= 1 << k;
      pixels[row + x] = colours[bits];
    }
  }
  const gaps = cMax >= 0 && shown?.gaps, crosses = s >= GAP_CROSS_SCALE;
  if (gaps && !crosses) drawGaps(v, gaps, pixels);
  ctx.putImageData(v.image, 0, 0);
  if (gaps && crosses) drawGaps(v, gaps, pixels);
  drawGrid(v);
  if (v.outlines.length) drawOutlines(v);
  if (v.changeOutlines.length) drawChangeOutlines(v);
  for (const [r, c, colour] of [[v.selected?.row, v.selected?.column, '#07f'], [v.hoverCell?.row, v.hoverCell?.column, '#000']])
    if (r !== undefined && s >= 4) outlineCell(v, r, c, colour);
  if (v.marker) {
    const [x, y] = toScreen(v, v.marker.x, v.marker.z);
    ctx.strokeStyle = '#07f'; ctx.lineWidth = 2;
    ctx.beginPath(); ctx.arc(x, y, 12, 0, 2 * Math.PI); ctx.stroke();
  }
  drawScaleBar(v);
}

const toScreen = (v, x, z) => [(x - v.view.x0) * v.view.scale, v.canvas.height - (z - v.view.z0) * v.view.scale];

function outlineCell(v, r, c, colour) {
  const [x, y] = toScreen(v, c, r + 1);
  v.ctx.strokeStyle = colour; v.ctx.lineWidth = 1;
  v.ctx.strokeRect(x + 0.5, y + 0.5, v.view.scale - 1, v.view.scale - 1);
}

// A round length (1, 2 or 5 times a power of ten) of at least minimum, and at least 1.
function niceStep(minimum) {
  const power = 10 ** Math.floor(Math.log10(Math.max(minimum, 1)));
  return [1, 2, 5, 10].map((f) => f * power).find((step) => step >= minimum);
}

function drawGrid(v) {
  const { ctx, view } = v, s = view.scale, W = v.canvas.width, H = v.canvas.height;
  if (s < 1) return;
  const lines = (step, style, labels) => {
    ctx.strokeStyle = style; ctx.lineWidth = 1; ctx.fillStyle = '#333'; ctx.font = '11px system-ui, sans-serif';
    ctx.beginPath();
    for (let x = Math.ceil(view.x0 / step) * step; x <= view.x0 + W / s; x += step) {
      const px = Math.round(toScreen(v, x, 0)[0]) + 0.5;
      ctx.moveTo(px, 0); ctx.lineTo(px, H);
      if (labels) ctx.fillText(`x ${x}`, px + 3, 12);
    }
    for (let z = Math.ceil(view.z0 / step) * step; z <= view.z0 + H / s; z += step) {
      const py = Math.round(toScreen(v, 0, z)[1]) + 0.5;
      ctx.moveTo(0, py); ctx.lineTo(W, py);
      if (labels) ctx.fillText(`z ${z}`, 3, py - 3);
    }
    ctx.stroke();
  };
  if (s >= 8) lines(1, 'rgba(0,0,0,0.10)', false);
  lines(niceStep(80 / s), 'rgba(0,0,60,0.35)', true);
}

function drawScaleBar(v) {
  const { ctx } = v, length = niceStep(100 / v.view.scale), px = length * v.view.scale;
  const x = v.canvas.width - px - 24, y = v.canvas.height - 16;
  ctx.fillStyle = 'rgba(255,255,255,0.8)'; ctx.fillRect(x - 8, y - 18, px + 16, 28);
  ctx.fillStyle = '#000'; ctx.fillRect(x, y, px, 4);
  ctx.font = '11px system-ui, sans-serif';
  ctx.fillText(`${length} ${length === 1 ? 'unit' : 'units'} (cells)`, x, y - 5);
}

export function redraw(v) { if (!v.frame) v.frame = requestAnimationFrame(() => draw(v)); }

// --- The view -------------------------------------------------------------------------------

export function setView(v, scale, centreX, centreZ) {
  const { view, canvas } = v;
  view.scale = Math.min(Math.max(scale, view.fitScale), MAX_SCALE);
  view.x0 = centreX - canvas.width / 2 / view.scale;
  view.z0 = centreZ - canvas.height / 2 / view.scale;
  redraw(v);
}

// The whole world with a margin of 2 % on each side.
const fitScale = (v) => Math.min(MAX_SCALE, Math.min(v.canvas.width, v.canvas.height) / (1.04 * v.size));

export function fit(v) {
  v.view.fitScale = fitScale(v);
  setView(v, v.view.fitScale, v.size / 2, v.size / 2);
}

export function zoomAt(v, px, py, factor) {
  const { view, canvas } = v;
  const x = view.x0 + px / view.scale, z = view.z0 + (canvas.height - py) / view.scale;
  view.scale = Math.min(Math.max(view.scale * factor, view.fitScale), MAX_SCALE);
  view.x0 = x - px / view.scale;
  view.z0 = z - (canvas.height - py) / view.scale;
  redraw(v);
}

export function resize(v) {
  const { view, canvas } = v;
  const cx = view.x0 + canvas.width / 2 / view.scale, cz = view.z0 + canvas.height / 2 / view.scale;
  const fitted = view.scale === view.fitScale;
  canvas.width = canvas.clientWidth;
  canvas.height = canvas.clientHeight;
  if (fitted) fit(v);
  else { view.fitScale = fitScale(v); setView(v, view.scale, cx, cz); }
}

export const cellAt = (v, px, py) => ({
  row: Math.floor(v.view.z0 + (v.canvas.height - py) / v.view.scale),
  column: Math.floor(v.view.x0 + px / v.view.scale),
});
