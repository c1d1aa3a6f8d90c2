// Measures the viewer page of the benchmark world: its file size, the time from opening it to
// its first drawn view in headless Chromium, and the time its regions view of the infantry map
// (edge steps) takes: labelling, colouring and gaps, then until the view is drawn.
// Usage: node bench/view_bench.mjs [build dir, default build] [world size, default 8192] [loads, default 5]
// Needs a build with -DQUARNEL_BENCH=ON and `npm ci` in tests/browser (for puppeteer-core).
import { execFileSync } from 'node:child_process';
import fs from 'node:fs';
import { createRequire } from 'node:module';
import os from 'node:os';
import path from 'node:path';

const root = path.resolve(path.dirname(new URL(import.meta.url).pathname), '..');
const puppeteer = createRequire(path.join(root, 'tests/browser/package.json'))('puppeteer-core');
const [build = 'build', size = '8192', loads = '5'] = process.argv.slice(2);
const tool = (name) => path.resolve(build, name);
const world = path.join(os.tmpdir(), 'quarnel-view-bench', size);
const out = path.join(world, 'out');
const maps = ['Infantry1Level0Map.raw', 'Tank0Level0Map.raw', 'Car4Level0Map.raw'];

if (!fs.existsSync(path.join(world, 'StaticObjects.con'))) execFileSync(tool('bench/make_bench_world'), [world, size, '1']);
fs.mkdirSync(out, { recursive: true });
execFileSync(tool('quarnel'), ['../StaticObjects.con', '../StandardMesh', size], { cwd: out });
const started = process.hrtime.bigint();
execFileSync(tool('quarnel-inspect'), ['--view', 'view.html', ...maps, '--objects', '../StaticObjects.con', '--meshes', '../StandardMesh'], { cwd: out });
const writeSeconds = Number(process.hrtime.bigint() - started) / 1e9;
const page = path.join(out, 'view.html');
const bytes = fs.statSync(page).size;

const browser = await puppeteer.launch({
  executablePath: process.env.CHROMIUM || '/usr/bin/chromium', headless: true,
  args: ['--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run', '--disable-background-networking',
    '--disable-component-update', '--disable-sync', `--user-data-dir=${fs.mkdtempSync(path.join(os.tmpdir(), 'quarnel-chromium-'))}`],
});
const times = [], regionTimes = [];
for (let k = 0; k < Number(loads); ++k) {
  const tab = await browser.newPage();
  await tab.setViewport({ width: 1400, height: 900 });
  await tab.goto(`file://${page}`);
  // Milliseconds from the start of the navigation to the end of the first frame's drawing.
  times.push(await tab.waitForFunction(() => window.quarnelFirstDraw, { timeout: 60000 }).then((h) => h.jsonValue()));
  await tab.waitForFunction(() => document.documentElement.dataset.ready === 'yes', { timeout: 60000 });
  regionTimes.push(await tab.evaluate(async () => {
    const started = performance.now(), labelled = window.quarnel.showRegions(0);
    await new Promise(requestAnimationFrame);
    return [labelled, performance.now() - started];
  }));
  await tab.close();
}
await browser.close();
times.sort((a, b) => a - b);
console.log(`world ${size}: page ${(bytes / 1e6).toFixed(2)} MB (${bytes} bytes), written in ${writeSeconds.toFixed(2)} s`);
console.log(`first drawn view: median ${times[times.length >> 1].toFixed(0)} ms over ${times.length} loads ` +
  `(${times.map((t) => t.toFixed(0)).join(', ')} ms)`);
regionTimes.sort((a, b) => a[1] - b[1]);
const [labelled, drawn] = regionTimes[regionTimes.length >> 1];
console.log(`regions view of the infantry map: labelled in ${labelled.toFixed(0)} ms, drawn after ${drawn.toFixed(0)} ms ` +
  `(median of ${regionTimes.length} loads: ${regionTimes.map((t) => t.map((x) => x.toFixed(0)).join('/')).join(', ')} ms)`);
