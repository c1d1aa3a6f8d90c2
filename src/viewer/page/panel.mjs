// The side panel (layers, regions, counts, objects, the answer for a clicked cell) and the
// readout under the map. v is the viewer (createViewer, main.mjs).
import { largestFirst, placeOf } from './changes.mjs';
import { blockedAt, countBits } from './data.mjs';
import { redraw, rgba, setView } from './draw.mjs';
import { insideGrid, objectInfo, objectsNear } from './explain.mjs';
import { diagonalGaps, labelRegions, regionAt, regionColours } from './regions.mjs';

export const $ = (id) => document.getElementById(id);
const esc = (t) => String(t).replace(/[&<>"]/g, (ch) => `&#${ch.charCodeAt(0)};`);
const fmt = (v) => v.map((x) => +x.toFixed(3)).join(', ');
const objectText = (o) => `#${o.number} ${o.name}, line ${o.line}, at (${fmt(o.position)})`;
const swatch = (v, name) => `<span class="swatch" style="background:rgb(${v.colours[name]})"></span>`;

export function showLayers(v) {
  const box = $('layers');
  if (v.data.mode === 'diff') {
    box.innerHTML = '<h2>Difference of two builds</h2>' +
      [['onlyInA', 'blocked only in A'], ['onlyInB', 'blocked only in B'], ['bothWays', 'both kinds in one pixel'],
        ['dimBlocked', 'blocked in both'], ['dimFree', 'free in both']].map(([k, t]) => `<div>${swatch(v, k)}${t}</div>`).join('');
    return;
  }
  box.innerHTML = '<h2>Layers</h2>' + v.maps.map((m, k) =>
    `<label><input type="checkbox" data-layer="${k}" checked> ${swatch(v, m.name)}${m.name}</label>`).join('') +
    (v.data.mode === 'changes' ? [['newlyBlocked', 'newly blocked'], ['newlyFree', 'newly free']]
      .map(([k, t]) => `<div>${swatch(v, k)}${t}, in any class</div>`).join('') : '');
  box.addEventListener('change', (e) => { v.maps[e.target.dataset.layer].on = e.target.checked; redraw(v); });
}

export function showCounts(v, extra) {
  const N = v.size, share = (n) => `${(100 * n / (N * N)).toFixed(2)} %`;
  const rows = [['World', `${N} by ${N} cells`], ...extra,
    ...v.maps.map((m) => [`Blocked, ${m.name}`, `${m.blocked} (${share(m.blocked)})`])];
  $('counts').innerHTML = '<h2>Counts</h2><table>' + rows.map(([k, t]) => `<tr><td>${esc(k)}</td><td class="n">${esc(t)}</td></tr>`).join('') +
    '</table>' + v.maps.map((m) => `<div class="file">${esc(m.name)}: ${esc(m.file)}</div>`).join('') +
    (v.world ? `<div class="file">objects: ${esc(v.world.objectFile)}<br>meshes: ${esc(v.world.meshDir)}</div>` : '');
}

export function showDifference(v) {
  const [a, b] = v.maps.map((m) => m.words);
  const onlyA = countBits(a.map((x, i) => x & ~b[i])), onlyB = countBits(b.map((x, i) => x & ~a[i]));
  showCounts(v, [['Differing cells', onlyA + onlyB], ['Blocked only in A', onlyA], ['Blocked only in B', onlyB]]);
}

function objectList(world, list, items, limit) {
  list.innerHTML = items.slice(0, limit).map((i) =>
    `<li data-object="${i}">${esc(world.name[i])} <span class="hint">line ${world.line[i]}</span></li>`).join('') +
    (items.length > limit ? `<li class="hint">and ${items.length - limit} more</li>` : '');
}

export function showWorld(v) {
  const world = v.world, trees = world.tree.reduce((a, t) => a + t, 0);
  const unpathed = [];
  let pathed = 0;
  for (let i = 0; i < world.count; ++i) if (!world.tree[i]) world.mesh[i] >= 0 ? ++pathed : unpathed.push(i);
  showCounts(v, [['Objects', world.count], ['Trees', trees], ['Meshes pathed', pathed], ['Not pathed', unpathed.length]]);
  $('world').hidden = false;
  $('notPathedTitle').textContent = `Objects without a collision mesh (${unpathed.length})`;
  objectList(world, $('notPathed'), unpathed, 2000);
  $('search').addEventListener('input', (e) => {
    const text = e.target.value.toLowerCase();
    const found = [];
    if (text) for (let i = 0; i < world.count; ++i) if (world.name[i].toLowerCase().includes(text)) found.push(i);
    objectList(world, $('found'), found, 200);
  });
  for (const list of [$('notPathed'), $('found')]) list.addEventListener('click', (e) => {
    const i = e.target.closest('li')?.dataset.object;
    if (i === undefined) return;
    v.marker = { x: world.numbers[9 * i], z: world.numbers[9 * i + 2] };
    setView(v, Math.max(v.view.scale, 8), v.marker.x, v.marker.z);
  });
}

// --- Changes ------------------------------------------------------------------------------

// The outlines of changes (by id) before and after, to draw on the map.
export const outlinesOfChanges = (v, ids) => ids.flatMap((id) => {
  const o = v.changes.outlines[id - 1];
  return [[o.before, true], [o.after, false]].filter(([outline]) => outline).map(([outline, before]) => ({ outline, before }));
});

// The changes that change cells, largest first: a click centres one and draws its outlines.
export function showChanges(v) {
  const { report, list } = v.changes, listed = largestFirst(list);
  $('changes').hidden = false;
  $('changeSummary').textContent = `${list.length} changes, ${listed.length} of them change cells; ` +
    report.classes.map((k) => `${k.class} ${k.newlyBlocked} newly blocked, ${k.newlyFree} newly free`).join('; ');
  $('changeList').innerHTML = listed.map((c) => `<li data-change="${c.id}">${esc(c.text)}</li>`).join('');
  $('changeList').addEventListener('click', (e) => {
    const id = Number(e.target.closest('li')?.dataset.change);
    if (!id) return;
    const change = list[id - 1], place = placeOf(change);
    v.changeOutlines = outlinesOfChanges(v, [id]);
    v.marker = place;
    setView(v, Math.max(v.view.scale, 8), place.x, place.z);
  });
  showCounts(v, report.classes.flatMap((k) => [[`Newly blocked, ${k.class}`, k.newlyBlocked], [`Newly free, ${k.class}`, k.newlyFree]]));
}

// Which changes made a clicked cell change, per class.
export function showChangeAnswer(v, { row, column }, answer) {
  window.quarnelLastChangeAnswer = answer;
  const box = $('answer');
  box.hidden = false;
  box.dataset.answer = JSON.stringify(answer);
  const why = (a) => a.by === 'holes' ? 'hole filling' : a.by.map((id) => v.changes.list[id - 1].text).join('; ');
  box.innerHTML = `<h2>Cell row ${row}, column ${column}</h2>` + (answer.length === 0 ? '<p>No change made this cell change.</p>'
    : answer.map((a) => `<div class="class">${swatch(v, a.class)}<b>${a.class}</b>: ${a.blocked ? 'newly blocked' : 'newly free'}` +
      ` by ${esc(why(a))}</div>`).join(''));
}

// --- Regions ------------------------------------------------------------------------------

const LISTED_REGIONS = 100;
const stepsText = (diagonal) => (diagonal ? 'edge and corner steps' : 'edge steps');

// The regions of class k with edge steps or with diagonal ones, labelled when first shown and
// kept: labels (regions.mjs), each region's colour at its number, and the gaps of edge steps.
function regionsOf(v, k, diagonal) {
  const key = `${k} ${diagonal}`;
  if (!v.regionCache.has(key)) {
    const started = performance.now(), words = v.maps[k].words, labels = labelRegions(words, v.size, diagonal);
    const palette = v.data.regionPalette, index = regionColours(labels, palette.length), gaps = diagonal ? null : diagonalGaps(labels, words);
    const colour = Uint32Array.from(index, (i, n) => rgba(n === 1 ? v.colours.free : palette[Math.max(i, 0)]));
    v.regionCache.set(key, { k, diagonal, labels, index, colour, gaps, ms: performance.now() - started });
  }
  return v.regionCache.get(key);
}

// Shows the regions of class k (null: none); returns the milliseconds their labelling took.
export function chooseRegions(v, k, diagonal) {
  v.reachable = 0;
  v.regions = k === null ? null : regionsOf(v, k, diagonal);
  $('regionClass').value = k ?? '';
  $('regionDiagonal').checked = diagonal;
  $('reachable').textContent = '';
  redraw(v);
  const shown = v.regions, list = $('regionList');
  if (!shown) { $('regionSummary').textContent = ''; list.innerHTML = ''; return 0; }
  const { labels, gaps } = shown, main = labels.cells[1] ?? 0, others = labels.count - 1;
  $('regionSummary').textContent = `${labels.count} regions; the main one ${main} cells (` +
    `${(100 * main / Math.max(labels.freeCells, 1)).toFixed(2)} % of the free cells)` +
    (gaps ? `; ${gaps.row.length} diagonal gaps` : '') + `; labelled in ${shown.ms.toFixed(0)} ms`;
  list.innerHTML = Array.from({ length: Math.min(others, LISTED_REGIONS) }, (_, i) => {
    const n = i + 2;
    return `<li data-region="${n}"><span class="swatch" style="background:rgb(${v.data.regionPalette[shown.index[n]]})"></span>` +
      `${n}: ${labels.cells[n]} cells, first cell (${labels.first[2 * n]}, ${labels.first[2 * n + 1]})</li>`;
  }).join('') + (others > LISTED_REGIONS ? `<li class="hint">and ${others - LISTED_REGIONS} more</li>` : '');
  return shown.ms;
}

// Centres the view on region n, the whole of it in the window, and marks it.
function centreOnRegion(v, n) {
  const b = v.regions.labels.bounds.subarray(4 * n, 4 * n + 4), extent = Math.max(b[1] - b[0], b[3] - b[2]) + 1;
  v.reachable = n;
  setView(v, Math.min(v.canvas.width, v.canvas.height) / (1.5 * extent), (b[2] + b[3] + 1) / 2, (b[0] + b[1] + 1) / 2);
}

export function showRegionControls(v) {
  $('regions').hidden = false;
  $('regionClass').innerHTML = '<option value="">none</option>' + v.maps.map((m, k) => `<option value="${k}">${m.name}</option>`).join('');
  const choose = () => chooseRegions(v, $('regionClass').value === '' ? null : Number($('regionClass').value), $('regionDiagonal').checked);
  $('regionClass').addEventListener('change', choose);
  $('regionDiagonal').addEventListener('change', choose);
  $('regionList').addEventListener('click', (e) => {
    const n = e.target.closest('li')?.dataset.region;
    if (n) centreOnRegion(v, Number(n));
  });
}

// The region of a clicked cell, all that a unit standing there can reach, marked on the map.
export function showReachable(v, { row, column }) {
  if (!v.regions) return;
  const n = v.reachable = regionAt(v.regions.labels, row, column);
  $('reachable').textContent = n ? `Reachable from row ${row}, column ${column}: region ${n}, ${v.regions.labels.cells[n]} cells` : '';
}

export function readout(v, cell) {
  const { row, column } = cell;
  let text = `Cell row ${row}, column ${column}: world x ${column} to ${column + 1}, z ${row} to ${row + 1}`;
  const state = {};
  let region;
  if (!insideGrid(v, row, column)) text += ', outside the world';
  else {
    for (const m of v.maps) state[m.name] = blockedAt(m.words, v.size, row, column) === 1;
    text += '\n' + v.maps.map((m) => `${m.name}: ${state[m.name] ? 'blocked' : 'free'}`).join(', ');
    if (v.regions) {
      const n = regionAt(v.regions.labels, row, column);
      region = n ? { number: n, cells: v.regions.labels.cells[n] } : null;
      text += `; ${v.maps[v.regions.k].name} with ${stepsText(v.regions.diagonal)}: ` + (n ? `region ${n} of ${region.cells} cells` : 'no region');
    }
    if (v.world) {
      const near = objectsNear(v.world, row, row, column, column);
      if (near.length) text += '\nNear: ' + near.slice(0, 6).map((i) => objectText(objectInfo(v.world, i))).join('; ') +
        (near.length > 6 ? `; and ${near.length - 6} more` : '');
    }
  }
  $('readout').textContent = text;
  $('readout').dataset.cell = JSON.stringify({ row, column, blocked: state, region });
}

export function showAnswer(v, answer) {
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
    html += `<div class="class">${swatch(v, c.class)}<b>${c.class}</b>: <span class="${c.blocked ? 'blocked' : 'free'}">` +
      `${c.blocked ? 'blocked' : 'free'}</span><ul>${causes.map((t) => `<li>${esc(t)}</li>`).join('')}` +
      (c.near.length ? `<li>near: ${c.near.map((o) => esc(objectText(o))).join('; ')}</li>` : '') + '</ul></div>';
  }
  box.innerHTML = html;
}
