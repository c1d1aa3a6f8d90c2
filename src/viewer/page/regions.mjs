// Regions of free cells in a map held as row words (rowWords, data.mjs), as quarnel-inspect
// --regions finds them: a unit steps to a free cell that shares an edge (with diagonal steps,
// also one that shares only a corner); cells outside the grid are blocked; regions are
// numbered 1, 2, ... by size, largest first, ties by their first cell in row-major order.
// No label is kept per cell: each row's runs of free cells carry their region's number.

const ctz = (x) => 31 - Math.clz32(x & -x); // x !== 0

// A list of 32-bit integers that grows: millions of plain array pushes are several times slower.
class IntList {
  constructor() { this.items = new Int32Array(4096); this.length = 0; }
  push(x) {
    if (this.length === this.items.length) {
      const more = new Int32Array(2 * this.length);
      more.set(this.items);
      this.items = more;
    }
    this.items[this.length++] = x;
  }
  done() { return this.items.slice(0, this.length); }
}

// Run-based connected-component labelling: the runs of free cells of each row, found with word
// operations, joined with those of the row below that they touch (L. He, Y. Chao, K. Suzuki,
// "A run-based two-scan labeling algorithm", IEEE Trans. Image Processing 17(5), 2008),
// through union-find with union by size and path halving (R. E. Tarjan, "Efficiency of a good
// but not linear set union algorithm", J. ACM 22(2), 1975).
export function labelRegions(words, size, diagonal) {
  const wpr = size / 32, runFrom = new IntList(), runTo = new IntList(), rowStart = new Int32Array(size + 1);
  for (let r = 0; r < size; ++r) {
    rowStart[r] = runFrom.length;
    let open = -1; // the column where the current run of free cells began
    for (let w = 0; w < wpr; ++w) {
      const free = ~words[r * wpr + w];
      if (free === (open < 0 ? 0 : -1)) continue;
      for (let bit = 0; bit < 32;) {
        const ahead = (open < 0 ? free : ~free) >>> bit; // the next bit that ends or opens a run
        if (ahead === 0) break;
        bit += ctz(ahead);
        if (open < 0) open = 32 * w + bit;
        else { runFrom.push(open); runTo.push(32 * w + bit - 1); open = -1; }
      }
    }
    if (open >= 0) { runFrom.push(open); runTo.push(size - 1); }
  }
  const from = runFrom.done(), to = runTo.done(), runs = from.length, parent = new Int32Array(runs), weight = new Float64Array(runs);
  rowStart[size] = runs;
  const find = (i) => {
    while (parent[i] !== i) i = parent[i] = parent[parent[i]];
    return i;
  };
  const union = (i, k) => {
    let a = find(i), b = find(k);
    if (a === b) return;
    if (weight[a] < weight[b]) [a, b] = [b, a];
    parent[b] = a;
    weight[a] += weight[b];
  };
  for (let i = 0; i < runs; ++i) { parent[i] = i; weight[i] = to[i] - from[i] + 1; }
  const reach = diagonal ? 1 : 0;
  for (let r = 1; r < size; ++r) {
    let k = rowStart[r - 1];
    for (let i = rowStart[r]; i < rowStart[r + 1]; ++i) {
      while (k < rowStart[r] && to[k] < from[i] - reach) ++k;
      for (let j = k; j < rowStart[r] && from[j] <= to[i] + reach; ++j) union(i, j);
    }
  }
  return numberRegions({ size, diagonal, rowStart, from, to }, find, weight);
}

// Gives each run its region's number, and each region (at its number; 0 is unused) its size,
// first cell and bounds.
function numberRegions(labels, find, weight) {
  const { rowStart, from, to, size } = labels, runs = from.length, firstRun = new Int32Array(runs).fill(-1), roots = [];
  for (let i = 0; i < runs; ++i) { // runs lie in row-major order
    const root = find(i);
    if (firstRun[root] < 0) { firstRun[root] = i; roots.push(root); }
  }
  roots.sort((a, b) => weight[b] - weight[a] || firstRun[a] - firstRun[b]);
  const count = roots.length, number = new Int32Array(runs), region = new Int32Array(runs);
  const first = new Int32Array(2 * (count + 1)), bounds = new Int32Array(4 * (count + 1)), cells = new Float64Array(count + 1);
  roots.forEach((root, k) => { number[root] = k + 1; cells[k + 1] = weight[root]; bounds.set([size, -1, size, -1], 4 * (k + 1)); });
  for (let r = 0; r < size; ++r) {
    for (let i = rowStart[r]; i < rowStart[r + 1]; ++i) {
      const root = find(i), n = region[i] = number[root], b = 4 * n;
      if (firstRun[root] === i) first.set([r, from[i]], 2 * n);
      bounds[b] = Math.min(bounds[b], r); bounds[b + 1] = r;
      bounds[b + 2] = Math.min(bounds[b + 2], from[i]); bounds[b + 3] = Math.max(bounds[b + 3], to[i]);
    }
  }
  const freeCells = cells.reduce((sum, n) => sum + n, 0);
  return Object.assign(labels, { region, count, cells, first, bounds, freeCells });
}

// The region of row r, column c: 0 when the cell is blocked or outside the grid.
export function regionAt(labels, r, c) {
  if (!(r >= 0 && c >= 0 && r < labels.size && c < labels.size)) return 0;
  let lo = labels.rowStart[r], hi = labels.rowStart[r + 1] - 1; // the last run starting at c or before
  while (lo < hi) {
    const mid = (lo + hi + 1) >> 1;
    if (labels.from[mid] <= c) lo = mid; else hi = mid - 1;
  }
  return lo <= hi && labels.from[lo] <= c && c <= labels.to[lo] ? labels.region[lo] : 0;
}

// The diagonal gaps of edge steps, in row-major order of the lower-left cell of their 2 by 2
// square: two free cells touching only at a corner, in different regions. Per gap that cell
// and whether the free cells rise to the right (lower-left and upper-right) or fall (the others).
export function diagonalGaps(labels, words) {
  const { size } = labels, wpr = size / 32, row = new IntList(), column = new IntList(), rising = new IntList();
  for (let r = 0; r + 1 < size; ++r) {
    for (let w = 0; w < wpr; ++w) {
      const at = r * wpr + w, last = w + 1 === wpr;
      const a = ~words[at], b = ~words[at + wpr]; // free cells of rows r and r + 1
      const a1 = (a >>> 1) | (last ? 0 : ~words[at + 1] << 31), b1 = (b >>> 1) | (last ? 0 : ~words[at + wpr + 1] << 31);
      for (let both = (a & ~a1 & ~b & b1) | (~a & a1 & b & ~b1); both !== 0; both &= both - 1) {
        const c = 32 * w + ctz(both), up = (a >>> (c & 31)) & 1; // up: rising
        if (regionAt(labels, r, up ? c : c + 1) === regionAt(labels, r + 1, up ? c + 1 : c)) continue;
        row.push(r); column.push(c); rising.push(up);
      }
    }
  }
  return { row: row.done(), column: column.done(), rising: rising.done() };
}

// Each region's colour index into a palette of count colours (index 0 and the main region: -1),
// as --regions --png draws them: the first colour that no neighbouring region numbered before it
// took, or (number - 2) modulo count when all are taken. Neighbours have cells at most two rows
// and two columns apart, so regions that touch at a corner or across a one-cell wall differ.
export function regionColours(labels, count) {
  const { size, rowStart, from, to, region } = labels, list = new IntList(); // later region, earlier one (not the main one)
  for (let r = 0; r < size; ++r) {
    for (let d = 0; d <= 2 && r + d < size; ++d) {
      let k = rowStart[r + d];
      for (let i = rowStart[r]; i < rowStart[r + 1]; ++i) {
        const a = region[i];
        if (a === 1) continue;
        while (k < rowStart[r + d + 1] && to[k] < from[i] - 2) ++k;
        for (let j = k; j < rowStart[r + d + 1] && from[j] <= to[i] + 2; ++j) {
          const b = region[j];
          if (a !== b && b > 1) { list.push(Math.max(a, b)); list.push(Math.min(a, b)); }
        }
      }
    }
  }
  const pairs = list.done();
  // The earlier neighbours of region n at earlier[start[n]] .. earlier[start[n + 1] - 1].
  const start = new Int32Array(labels.count + 2), earlier = new Int32Array(pairs.length / 2);
  for (let p = 0; p < pairs.length; p += 2) ++start[pairs[p] + 1];
  for (let n = 1; n < start.length; ++n) start[n] += start[n - 1];
  const fill = start.slice();
  for (let p = 0; p < pairs.length; p += 2) earlier[fill[pairs[p]]++] = pairs[p + 1];
  const index = new Int32Array(labels.count + 1).fill(-1), takenBy = new Int32Array(count);
  for (let n = 2; n <= labels.count; ++n) {
    for (let p = start[n]; p < start[n + 1]; ++p) takenBy[index[earlier[p]]] = n;
    const free = takenBy.findIndex((m) => m !== n);
    index[n] = free < 0 ? (n - 2) % count : free;
  }
  return index;
}
