// The changes between two versions of a world, as quarnel-inspect --changes --view puts them in
// the page (data.changes): the report of --changes --json, deflated, and the outline of each
// change's object before and after ({points: [x, z, ...] cells, faces: [a, b, c, ...]}, or
// {tree: [x, z]}, or null where the object is not in that version).
import { inflate } from './data.mjs';

// The report, the changes by id, per class the changed cells by row × size + column, and the
// row words of the cells newly blocked and newly free in any class (as rowWords has them).
export async function loadChanges(data, unpack = inflate) {
  const report = JSON.parse(new TextDecoder().decode(await unpack(data.changes.report)));
  const size = data.size, wpr = size / 32;
  const blocked = new Uint32Array(size * wpr), freed = new Uint32Array(size * wpr);
  const classes = report.classes.map((k) => {
    const cells = new Map();
    for (const c of k.cells) {
      cells.set(c.row * size + c.column, c);
      (c.blocked ? blocked : freed)[c.row * wpr + (c.column >>> 5)] |= 1 << (c.column & 31);
    }
    return { name: k.class, cells };
  });
  return { size, report, list: report.changes, classes, blocked, freed, outlines: data.changes.outlines };
}

// What made the cell (row, column) change, per class where it changed: {class, blocked, by},
// by as --changes --json has it (the ids of the changes, or "holes"); [] where it changed in no
// class.
export function changesAt(changes, row, column) {
  const found = [];
  if (row < 0 || column < 0 || row >= changes.size || column >= changes.size) return found;
  for (const k of changes.classes) {
    const cell = k.cells.get(row * changes.size + column);
    if (cell) found.push({ class: k.name, blocked: cell.blocked, by: cell.by });
  }
  return found;
}

// The cells a change accounts for in all classes.
export const cellsOf = (change) => Object.values(change.cells).reduce((sum, c) => sum + c.blocked + c.freed, 0);

// The changes that change cells, largest first (ties in the report's order), as the text lists
// them.
export const largestFirst = (list) => list.filter((c) => cellsOf(c) > 0).sort((a, b) => cellsOf(b) - cellsOf(a) || a.id - b.id);

// Where to look at a change: its object after, or before when it was removed.
export function placeOf(change) {
  const o = change.after ?? change.before;
  return { x: o.position[0] ?? 0, z: o.position[2] ?? 0 };
}
