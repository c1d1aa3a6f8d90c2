// The side panel (layers, counts, objects, the answer for a clicked cell) and the readout
// under the map. v is the viewer (createViewer, main.mjs).
import { blockedAt, countBits } from './data.mjs';
import { redraw, setView } from './draw.mjs';
import { insideGrid, objectInfo, objectsNear } from './explain.mjs';

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
    `<label><input type="checkbox" data-layer="${k}" checked> ${swatch(v, m.name)}${m.name}</label>`).join('');
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

export function readout(v, cell) {
  const { row, column } = cell;
  let text = `Cell row ${row}, column ${column}: world x ${column} to ${column + 1}, z ${row} to ${row + 1}`;
  const state = {};
  if (!insideGrid(v, row, column)) text += ', outside the world';
  else {
    for (const m of v.maps) state[m.name] = blockedAt(m.words, v.size, row, column) === 1;
    text += '\n' + v.maps.map((m) => `${m.name}: ${state[m.name] ? 'blocked' : 'free'}`).join(', ');
    if (v.world) {
      const near = objectsNear(v.world, row, row, column, column);
      if (near.length) text += '\nNear: ' + near.slice(0, 6).map((i) => objectText(objectInfo(v.world, i))).join('; ') +
        (near.length > 6 ? `; and ${near.length - 6} more` : '');
    }
  }
  $('readout').textContent = text;
  $('readout').dataset.cell = JSON.stringify({ row, column, blocked: state });
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
