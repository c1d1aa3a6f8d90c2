// What blocks a cell, as quarnel-inspect --why --json tells it, worked out from a world that
// loadWorld (data.mjs) gives: the run's placement, line walk, footprints and shapes, with the
// shapes and rules taken from the world's data.

const LIMIT = 2 ** 53; // cells beyond this are not handled here (see placedCells)

export const insideGrid = (world, r, c) => r >= 0 && c >= 0 && r < world.size && c < world.size;

export function objectInfo(world, i) {
  const v = Array.from(world.numbers.subarray(9 * i, 9 * i + 9));
  return {
    number: i + 1, name: world.name[i], line: world.line[i], position: v.slice(0, 3),
    rotation: v.slice(3, 6), scale: v.slice(6, 9), mesh: world.mesh[i] < 0 ? null : world.meshes[world.mesh[i]],
  };
}

// The objects whose box of cells meets rows r0..r1 by columns c0..c1.
export function objectsNear(world, r0, r1, c0, c1) {
  const found = [], box = world.box;
  for (let i = 0; i < world.count; ++i)
    if (box[4 * i] <= r1 && box[4 * i + 2] >= r0 && box[4 * i + 1] <= c1 && box[4 * i + 3] >= c0) found.push(i);
  return found;
}

// True when the shape centred on (row y, column x) covers a cell of rows r0..r1 by c0..c1.
function shapeMeets(shape, y, x, r0, r1, c0, c1) {
  for (let d = -shape.reach; d <= shape.reach; ++d) {
    const h = shape.halfWidths[d + shape.reach];
    if (y + d >= r0 && y + d <= r1 && x - h <= c1 && x + h >= c0) return true;
  }
  return false;
}

// The vertices (numbered within the mesh) that the faces of mesh k use: the others are never
// drawn, so they never change an answer.
function usedVertices(world, k) {
  if (!world.used.has(k))
    world.used.set(k, [...new Set(world.faces.subarray(3 * world.parts[2 * k + 1], 3 * world.parts[2 * k + 3]))]);
  return world.used.get(k);
}

// The used mesh vertices of object i placed in the world and rounded down to cells, exactly
// as quarnel does: the products and sums in the same order, in doubles, on float vertices.
// Cells of 2^53 or more in magnitude are beyond what these doubles hold exactly: such an
// object is left out (null), so nothing here walks an unbounded line.
export function placedCells(world, i) {
  if (world.placed.has(i)) return world.placed.get(i);
  const k = world.mesh[i], m = world.matrices.subarray(6 * i, 6 * i + 6);
  const px = world.numbers[9 * i], pz = world.numbers[9 * i + 2];
  const v0 = world.parts[2 * k], v1 = world.parts[2 * k + 2], v = world.vertices;
  let cells = { x: new Float64Array(v1 - v0), y: new Float64Array(v1 - v0) };
  for (const used of usedVertices(world, k)) {
    const j = v0 + used;
    const x = v[3 * j] * m[0] + v[3 * j + 1] * m[1] + v[3 * j + 2] * m[2] + px;
    const z = v[3 * j] * m[3] + v[3 * j + 1] * m[4] + v[3 * j + 2] * m[5] + pz;
    if (!(Math.abs(x) < LIMIT && Math.abs(z) < LIMIT)) { cells = null; break; }
    cells.x[used] = Math.floor(x);
    cells.y[used] = Math.floor(z);
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

// True when the footprint of the tree i covers a cell of rows r0..r1 by columns c0..c1: the
// class's shape around the tree's cell, or with treeFractions [low, high] that cell and, along
// each axis, the lower neighbour for a fraction up to low and the upper one from high.
function treeMeets(world, i, cls, r0, r1, c0, c1) {
  const x = world.numbers[9 * i], z = world.numbers[9 * i + 2];
  if (!(Math.abs(x) < LIMIT && Math.abs(z) < LIMIT)) return false;
  const rt = Math.trunc(z), ct = Math.trunc(x);
  if (!cls.treeFractions) return shapeMeets(cls.shape, rt, ct, r0, r1, c0, c1);
  const [low, high] = cls.treeFractions, fz = z - rt, fx = x - ct;
  return (fz <= low ? rt - 1 : rt) <= r1 && (fz >= high ? rt + 1 : rt) >= r0 &&
    (fx <= low ? ct - 1 : ct) <= c1 && (fx >= high ? ct + 1 : ct) >= c0;
}

// What object i blocks, for a class, among rows r0..r1 by columns c0..c1: null for nothing,
// else its cause: a tree footprint, or the first face edge that covers a cell there.
function coverOf(world, i, cls, r0, r1, c0, c1) {
  if (world.tree[i]) return treeMeets(world, i, cls, r0, r1, c0, c1) ? { kind: 'tree', object: objectInfo(world, i) } : null;
  if (world.mesh[i] < 0) return null;
  const cells = placedCells(world, i);
  if (!cells) return null;
  const k = world.mesh[i], f = world.faces;
  let first = null, count = 0;
  for (let face = world.parts[2 * k + 1]; face < world.parts[2 * k + 3]; ++face) {
    const abc = [f[3 * face], f[3 * face + 1], f[3 * face + 2]];
    for (let e = 0; e < 3; ++e) {
      const p = abc[e], q = abc[(e + 1) % 3];
      if (!walkMeets(cells.x[p], cells.y[p], cells.x[q], cells.y[q], cls.shape, r0, r1, c0, c1)) continue;
      ++count;
      first ??= { face: face - world.parts[2 * k + 1], vertices: abc, edge: [p, q] };
    }
  }
  return first && { kind: 'outline', object: objectInfo(world, i), ...first, coveringEdges: count };
}

// What quarnel-inspect --why --json tells of a cell (without its files): per class whether it
// is blocked, by what (covering objects in file order, or hole filling), and for a free cell
// the objects that block a cell within nearReach rows and columns of it.
export function explain(world, row, column) {
  const answer = { cell: { row, column }, square: { x: [column, column + 1], z: [row, row + 1] },
    inside: insideGrid(world, row, column), classes: [] };
  if (!answer.inside) { // every map counts a cell outside the grid as blocked
    answer.classes = world.classes.map((cls) => ({ class: cls.name, map: cls.map, blocked: true, causes: [], near: [] }));
    return answer;
  }
  const reach = world.nearReach, last = world.size - 1;
  const near = objectsNear(world, row - reach, row + reach, column - reach, column + reach);
  for (const cls of world.classes) {
    const covered = (r, c) => near.some((i) => coverOf(world, i, cls, r, r, c, c));
    const causes = near.map((i) => coverOf(world, i, cls, row, row, column, column)).filter(Boolean);
    let blocked = causes.length > 0, nearBy = [];
    if (!blocked && [[row - 1, column], [row + 1, column], [row, column - 1], [row, column + 1]]
      .every(([r, c]) => !insideGrid(world, r, c) || covered(r, c))) {
      blocked = true;
      causes.push({ kind: 'hole' });
    }
    if (!blocked) {
      const [r0, r1, c0, c1] = [Math.max(row - reach, 0), Math.min(row + reach, last), Math.max(column - reach, 0), Math.min(column + reach, last)];
      nearBy = near.filter((i) => coverOf(world, i, cls, r0, r1, c0, c1)).map((i) => objectInfo(world, i));
    }
    answer.classes.push({ class: cls.name, map: cls.map, blocked, causes, near: nearBy });
  }
  return answer;
}
