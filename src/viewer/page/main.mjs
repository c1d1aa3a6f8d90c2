// The Quarnel map viewer's start-up and events: everything it shows comes from the JSON block
// "quarnel-data" that quarnel-inspect --view writes into the page (data.mjs describes it).
// The maps stay bits (Uint32Array).
import { changesAt, loadChanges } from './changes.mjs';
import { countBits, inflate, loadWorld, rowWords } from './data.mjs';
import { cellAt, draw, fit, namedColours, redraw, resize, setView, zoomAt } from './draw.mjs';
import { explain } from './explain.mjs';
import { $, chooseRegions, outlinesOfChanges, readout, showAnswer, showChangeAnswer, showChanges, showCounts, showDifference, showLayers, showReachable, showRegionControls, showWorld } from './panel.mjs';

// The viewer: the page's data and elements and all that changes while it is shown.
function createViewer(data) {
  const canvas = $('canvas');
  return {
    data, size: data.size, colours: namedColours(data), canvas, ctx: canvas.getContext('2d'),
    view: { scale: 1, x0: 0, z0: 0, fitScale: 1 }, maps: data.maps.map((m) => ({ ...m, on: true, words: null })),
    world: null, hoverCell: null, selected: null, marker: null, frame: 0, image: null,
    regionCache: new Map(), regions: null, reachable: 0, outlines: [], changes: null, changeOutlines: [],
  };
}

// The outline causes of an answer, one per object and covering edge: drawn on the map.
function outlinesOf(answer) {
  const found = new Map();
  for (const cause of answer.classes.flatMap((c) => c.causes).filter((k) => k.kind === 'outline'))
    found.set(`${cause.object.number} ${cause.edge}`, { object: cause.object.number - 1, edge: cause.edge });
  return [...found.values()];
}

function listen(v) {
  const { canvas, view } = v;
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
        redraw(v);
      }
      drag.x = e.offsetX; drag.y = e.offsetY;
      return;
    }
    v.hoverCell = cellAt(v, e.offsetX, e.offsetY);
    readout(v, v.hoverCell);
    if (view.scale >= 4) redraw(v);
  });
  canvas.addEventListener('pointerup', (e) => {
    canvas.classList.remove('dragging');
    if (drag && drag.moved <= 3) {
      v.selected = cellAt(v, e.offsetX, e.offsetY);
      readout(v, v.selected);
      showReachable(v, v.selected);
      if (v.world && v.data.mode === 'classes') {
        const answer = explain(v.world, v.selected.row, v.selected.column);
        showAnswer(v, answer);
        v.outlines = outlinesOf(answer);
      }
      if (v.changes) {
        const answer = changesAt(v.changes, v.selected.row, v.selected.column);
        showChangeAnswer(v, v.selected, answer);
        v.changeOutlines = outlinesOfChanges(v, [...new Set(answer.flatMap((a) => (a.by === 'holes' ? [] : a.by)))]);
      }
      redraw(v);
    }
    drag = null;
  });
  canvas.addEventListener('wheel', (e) => {
    e.preventDefault();
    zoomAt(v, e.offsetX, e.offsetY, Math.exp(-e.deltaY * 0.002));
  }, { passive: false });
  window.addEventListener('keydown', (e) => {
    if (e.target.tagName === 'INPUT' || e.ctrlKey || e.metaKey || e.altKey) return;
    const step = 100 / view.scale, zoom = (factor) => () => zoomAt(v, canvas.width / 2, canvas.height / 2, factor);
    const fitAll = () => fit(v);
    const keys = {
      '+': zoom(1.5), '=': zoom(1.5), '-': zoom(1 / 1.5), f: fitAll, F: fitAll, 0: fitAll,
      ArrowLeft: () => { view.x0 -= step; }, ArrowRight: () => { view.x0 += step; },
      ArrowUp: () => { view.z0 += step; }, ArrowDown: () => { view.z0 -= step; },
    };
    if (!keys[e.key]) return;
    e.preventDefault();
    keys[e.key]();
    redraw(v);
  });
  $('fit').addEventListener('click', () => fit(v));
  new ResizeObserver(() => { resize(v); draw(v); }).observe(canvas);
}

async function start() {
  const v = createViewer(JSON.parse($('quarnel-data').textContent));
  // For tests and scripts: the view (scale, x0, z0), moving it, the answer for any cell, and
  // showing the regions of class k (null: none), which returns how long labelling them took.
  window.quarnel = {
    view: v.view, setView: (scale, x, z) => setView(v, scale, x, z), fit: () => fit(v),
    explain: (row, column) => explain(v.world, row, column),
    showRegions: (k, diagonal = false) => chooseRegions(v, k, diagonal),
    changesAt: (row, column) => changesAt(v.changes, row, column),
  };
  if (v.data.mode === 'changes') v.changes = await loadChanges(v.data);
  const words = await Promise.all(v.maps.map((m) => inflate(m.bits)));
  v.maps.forEach((m, k) => { m.words = rowWords(words[k], v.size); delete m.bits; });
  showLayers(v);
  v.canvas.width = v.canvas.clientWidth;
  v.canvas.height = v.canvas.clientHeight;
  fit(v);
  draw(v);
  performance.mark('quarnel-first-draw');
  window.quarnelFirstDraw = performance.now();
  listen(v);
  for (const m of v.maps) m.blocked = countBits(m.words);
  if (v.data.mode === 'diff') showDifference(v);
  else if (v.changes) { showChanges(v); showRegionControls(v); }
  else { showCounts(v, []); showRegionControls(v); }
  if (v.data.world) {
    v.world = await loadWorld(v.data);
    delete v.data.world;
    showWorld(v);
  }
  document.documentElement.dataset.ready = 'yes';
}

start().catch((e) => { $('readout').textContent = `The page could not be shown: ${e}`; console.error(e); });
