// The map viewer page of quarnel-inspect --view, opened from file:// in headless Chromium.
// Environment: QUARNEL, QUARNEL_INSPECT (the built programs), QUARNEL_SOURCE_DIR, CHROMIUM.
import assert from 'node:assert/strict';
import { spawnSync } from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { after, before, test } from 'node:test';
import puppeteer from 'puppeteer-core';
import { mapFile } from '../viewer/mapfile.mjs';

const env = process.env;
const dir = fs.mkdtempSync(path.join(os.tmpdir(), 'quarnel-view-'));
const sample = path.join(env.QUARNEL_SOURCE_DIR, 'sample');
const world = ['--objects', path.join(sample, 'StaticObjects.con'), '--meshes', path.join(sample, 'StandardMesh')];
const classMaps = ['Infantry1Level0Map.raw', 'Tank0Level0Map.raw', 'Car4Level0Map.raw'];
const colours = { infantry: [120, 20, 20], free: [255, 255, 255], onlyA: [220, 0, 0], onlyB: [0, 90, 230], equal: [200, 200, 200],
  newlyBlocked: [230, 0, 130], newlyFree: [0, 170, 90] };
let browser;

function run(program, args) {
  const result = spawnSync(program, args, { cwd: dir, encoding: 'utf8' });
  return { status: result.status, out: result.stdout, err: result.stderr };
}

function view(name, args) {
  const result = run(env.QUARNEL_INSPECT, ['--view', name, ...args]);
  assert.equal(result.err, '');
  return path.join(dir, name);
}

// A map file of 64 by 64 cells, blocked where blocked(row, column) holds.
function writeMap(name, blocked) {
  fs.writeFileSync(path.join(dir, name), mapFile(64, blocked));
  return name;
}

// Opens a page; problems collects console errors, page errors and every request but the page.
async function open(file) {
  const page = await browser.newPage();
  await page.setViewport({ width: 1400, height: 700 });
  const problems = [];
  page.on('console', (m) => m.type() === 'error' && problems.push(m.text()));
  page.on('pageerror', (e) => problems.push(e.message));
  page.on('request', (r) => r.url() !== `file://${file}` && problems.push(`request ${r.url()}`));
  await page.goto(`file://${file}`);
  await page.waitForFunction(() => document.documentElement.dataset.ready === 'yes');
  return { page, problems };
}

// Where the centre of a cell is on the canvas: north up, row 0 at the bottom, column 0 at the left.
async function screenPoint(page, row, column) {
  const v = await page.evaluate(() => ({ ...window.quarnel.view, height: document.getElementById('canvas').height }));
  return [(column + 0.5 - v.x0) * v.scale, v.height - (row + 0.5 - v.z0) * v.scale];
}

async function colourAt(page, [x, y]) {
  return page.evaluate((x, y) => Array.from(document.getElementById('canvas').getContext('2d')
    .getImageData(Math.floor(x), Math.floor(y), 1, 1).data.slice(0, 3)), x, y);
}

// Checks the colour of each cell centre that lies on the canvas away from the grid labels (top
// and left edges) and the scale bar (bottom right); returns how many were checked.
async function expectColours(page, expected) {
  const size = await page.$eval('#canvas', (e) => [e.width, e.height]);
  let checked = 0;
  for (const [row, column, colour] of expected) {
    const [x, y] = await screenPoint(page, row, column);
    if (x < 45 || y < 20 || x >= size[0] || y >= size[1] || (x > size[0] - 200 && y > size[1] - 50)) continue;
    assert.deepEqual(await colourAt(page, [x, y]), colours[colour], `cell (${row}, ${column}) at (${x}, ${y})`);
    ++checked;
  }
  return checked;
}

before(async () => {
  assert.equal(run(env.QUARNEL, [path.join(sample, 'StaticObjects.con'), path.join(sample, 'StandardMesh'), '512']).status, 0);
  browser = await puppeteer.launch({
    executablePath: env.CHROMIUM || '/usr/bin/chromium', headless: true,
    args: ['--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run', '--disable-background-networking',
      '--disable-component-update', '--disable-sync', `--user-data-dir=${path.join(dir, 'profile')}`],
  });
});

after(async () => {
  await browser?.close();
  fs.rmSync(dir, { recursive: true, force: true });
});

// An L in the bottom left corner, its arms of unequal length: a flipped or swapped axis moves it.
const inL = (r, c) => (r < 24 && c < 4) || (r < 4 && c < 12);
const probes = [[20, 1, 'infantry'], [1, 10, 'infantry'], [0, 0, 'infantry'], [1, 20, 'free'], [20, 10, 'free'],
  [43, 1, 'free'], [20, 62, 'free'], [62, 2, 'free'], [30, 30, 'free']];

test('an L-shaped map shows its blocked cells where they lie, at two zoom levels', async () => {
  const maps = [writeMap('l.raw', inL), writeMap('free1.raw', () => false), writeMap('free2.raw', () => false)];
  const { page, problems } = await open(view('l.html', maps));
  assert.equal(await expectColours(page, probes), probes.length);
  const fitScale = await page.evaluate(() => window.quarnel.view.scale);
  const [x, y] = await screenPoint(page, 0, 0);
  await page.mouse.move(x, y);
  await page.mouse.wheel({ deltaY: -400 });
  await page.waitForFunction((s) => window.quarnel.view.scale > 1.5 * s, {}, fitScale);
  await page.evaluate(() => new Promise(requestAnimationFrame));
  assert.ok(await expectColours(page, probes) >= 5);
  assert.deepEqual(problems, []);
});

test('the diff view colours the cells blocked only in A, only in B and in both', async () => {
  const a = writeMap('a.raw', inL);
  const b = writeMap('b.raw', (r, c) => (r < 4 && c < 12) || (r >= 40 && r < 44 && c >= 40 && c < 44));
  const { page, problems } = await open(view('diff.html', ['--diff', a, b]));
  assert.equal(await expectColours(page, [[20, 1, 'onlyA'], [1, 10, 'equal'], [41, 41, 'onlyB'], [30, 30, 'free'],
    [41, 1, 'free'], [1, 41, 'free']]), 6);
  assert.deepEqual(problems, []);
});

// Sample cells: free for infantry beside an outline, blocked for cars only, a pine's, and one
// filled as a hole for infantry.
const sampleCells = [[2, 272], [2, 275], [260, 40], [98, 212]];

test('the sample world page loads with no console error or request, reads a hovered cell in the map files and ' +
  'explains a clicked one as quarnel-inspect --why --json does', async () => {
  const { page, problems } = await open(view('sample.html', [...classMaps, ...world]));
  assert.match(await page.$eval('#counts', (e) => e.textContent), /Objects43Trees17/);
  for (const [row, column] of sampleCells) {
    const told = JSON.parse(run(env.QUARNEL_INSPECT, ['--why', `${row},${column}`, ...world, '--size', '512', '--json', ...classMaps]).out);
    await page.evaluate((r, c) => window.quarnel.setView(16, c + 0.5, r + 0.5), row, column);
    const point = await screenPoint(page, row, column);
    await page.mouse.move(...point);
    const blocked = Object.fromEntries(told.classes.map((k) => [k.class, k.files[0].blocked]));
    assert.deepEqual(JSON.parse(await page.$eval('#readout', (e) => e.dataset.cell)), { row, column, blocked });
    assert.match(await page.$eval('#readout', (e) => e.textContent), new RegExp(`row ${row}, column ${column}\\b`));
    await page.mouse.click(...point);
    for (const k of told.classes) delete k.files;
    assert.deepEqual(await page.evaluate(() => window.quarnelLastAnswer), told);
    const panel = await page.$eval('#answer', (e) => e.textContent);
    for (const cause of told.classes.flatMap((c) => c.causes).filter((c) => c.object)) assert.ok(panel.includes(cause.object.name));
  }
  assert.deepEqual(problems, []);
});

// A ring of blocked cells around rows and columns 31 to 39: the main region and a pocket of 81.
const inRing = (r, c) => Math.max(Math.abs(r - 35), Math.abs(c - 35)) === 5;

test('the regions view tints a pocket, reads its number and size under the mouse and centres it from the panel', async () => {
  const maps = [writeMap('ring.raw', inRing), writeMap('free1.raw', () => false), writeMap('free2.raw', () => false)];
  const { page, problems } = await open(view('ring.html', maps));
  await page.select('#regionClass', '0');
  await page.evaluate(() => new Promise(requestAnimationFrame));
  colours.pocket = await page.evaluate(() => JSON.parse(document.getElementById('quarnel-data').textContent).regionPalette[0]);
  assert.equal(await expectColours(page, [[35, 35, 'pocket'], [20, 20, 'free'], [30, 35, 'infantry']]), 3);
  await page.mouse.move(...await screenPoint(page, 33, 37));
  assert.deepEqual(JSON.parse(await page.$eval('#readout', (e) => e.dataset.cell)).region, { number: 2, cells: 81 });
  await page.evaluate(() => window.quarnel.setView(32, 5, 5));
  await page.click('#regionList li[data-region="2"]');
  const centre = await page.evaluate(() => {
    const { x0, z0, scale } = window.quarnel.view, canvas = document.getElementById('canvas');
    return [x0 + canvas.width / 2 / scale, z0 + canvas.height / 2 / scale];
  });
  assert.deepEqual(centre, [35.5, 35.5]);
  assert.deepEqual(problems, []);
});

test('clicking a cell that outlines block draws those outlines on the map, and clicking a free one takes them off', async () => {
  const { page, problems } = await open(view('outlines.html', [...classMaps, ...world]));
  const outlinePixels = () => page.evaluate(() => {
    const canvas = document.getElementById('canvas'), data = canvas.getContext('2d').getImageData(0, 0, canvas.width, canvas.height).data;
    let count = 0;
    for (let i = 0; i < data.length; i += 4) if (data[i] === 0 && data[i + 1] === 180 && data[i + 2] === 255) ++count;
    return count;
  });
  await page.evaluate(() => window.quarnel.setView(8, 396.5, 314.5));
  for (const [row, column, drawn] of [[314, 396, true], [300, 380, false]]) {
    await page.mouse.click(...await screenPoint(page, row, column));
    await page.evaluate(() => new Promise(requestAnimationFrame));
    assert.equal(await outlinePixels() > 100, drawn, `cell (${row}, ${column})`);
  }
  assert.deepEqual(problems, []);
});

test('the changes page marks changed cells, tells which change made a clicked one as --changes --json does, and centres ' +
  'a change chosen from its list with its outline', async () => {
  // The sample world with its second house moved and the first wall of the compound removed.
  const con = fs.readFileSync(path.join(sample, 'StaticObjects.con'), 'latin1'), wall = con.indexOf('Object.create Wall_m1');
  fs.writeFileSync(path.join(dir, 'old.con'), con, 'latin1');
  fs.writeFileSync(path.join(dir, 'new.con'), (con.slice(0, wall) + con.slice(con.indexOf('Object.create', wall + 1)))
    .replace('150/20/110', '158/20/104'), 'latin1');
  const args = ['--changes', 'old.con', 'new.con', '--meshes', path.join(sample, 'StandardMesh'), '--size', '512'];
  const report = JSON.parse(run(env.QUARNEL_INSPECT, [...args, '--json']).out);
  const { page, problems } = await open(view('changes.html', args));
  for (const by of [1, 2]) {
    const cell = report.classes[0].cells.find((c) => c.by[0] === by);
    const told = report.classes.flatMap((k) => k.cells.filter((c) => c.row === cell.row && c.column === cell.column)
      .map((c) => ({ class: k.class, blocked: c.blocked, by: c.by })));
    await page.evaluate((r, c) => window.quarnel.setView(16, c + 0.5, r + 0.5), cell.row, cell.column);
    await page.evaluate(() => new Promise(requestAnimationFrame));
    const point = await screenPoint(page, cell.row, cell.column);
    assert.deepEqual(await colourAt(page, point), colours[cell.blocked ? 'newlyBlocked' : 'newlyFree']);
    await page.mouse.click(...point);
    assert.deepEqual(await page.evaluate(() => window.quarnelLastChangeAnswer), told);
    assert.ok((await page.$eval('#answer', (e) => e.textContent)).includes(report.changes[by - 1].text));
  }
  await page.evaluate(() => window.quarnel.fit());
  await page.click('#changeList li[data-change="2"]');
  await page.evaluate(() => new Promise(requestAnimationFrame));
  const centre = await page.evaluate(() => {
    const { x0, z0, scale } = window.quarnel.view, canvas = document.getElementById('canvas');
    return [x0 + canvas.width / 2 / scale, z0 + canvas.height / 2 / scale];
  });
  assert.deepEqual(centre, [400, 300]);
  const dashed = await page.evaluate(() => {
    const canvas = document.getElementById('canvas'), data = canvas.getContext('2d').getImageData(0, 0, canvas.width, canvas.height).data;
    let count = 0;
    for (let i = 0; i < data.length; i += 4) if (data[i] === 85 && data[i + 1] === 85 && data[i + 2] === 85) ++count;
    return count;
  });
  assert.ok(dashed > 50, `${dashed} pixels of the removed wall's outline`);
  assert.deepEqual(problems, []);
});
