// The viewer's changes module in Node: the page of quarnel-inspect --changes --view tells for
// every cell of random edits of random worlds which changes made it change, as
// quarnel-inspect --changes --json does.
// Environment: QUARNEL_INSPECT, WHY_EVERY_CELL (the built programs).
import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { after, test } from 'node:test';
import zlib from 'node:zlib';
import { changesAt, largestFirst, loadChanges } from '../../src/viewer/page/changes.mjs';

const env = process.env;
const dir = fs.mkdtempSync(path.join(os.tmpdir(), 'quarnel-changes-'));
const run = (program, args) => execFileSync(program, args, { cwd: dir, encoding: 'utf8', maxBuffer: 2 ** 30 });
const unpack = async (base64) => Uint8Array.from(zlib.inflateSync(Buffer.from(base64, 'base64'))).buffer;
after(() => fs.rmSync(dir, { recursive: true, force: true }));

test('the page tells which changes made each changed cell of random edits as --changes --json does', async () => {
  let cells = 0;
  for (const seed of [1, 2, 3]) {
    run(env.WHY_EVERY_CELL, ['world', `old${seed}`, '128', String(seed)]);
    run(env.WHY_EVERY_CELL, ['edit', `old${seed}`, `new${seed}`, String(seed)]);
    const args = ['--changes', `old${seed}/objects.con`, `new${seed}/objects.con`, '--meshes', `new${seed}/meshes`,
      '--old-meshes', `old${seed}/meshes`, '--size', '128'];
    const report = JSON.parse(run(env.QUARNEL_INSPECT, [...args, '--json']));
    run(env.QUARNEL_INSPECT, [...args, '--view', 'view.html']);
    const data = JSON.parse(fs.readFileSync(path.join(dir, 'view.html'), 'utf8')
      .match(/<script type="application\/json" id="quarnel-data">\n(.*?)\n<\/script>/s)[1]);
    const changes = await loadChanges(data, unpack);
    assert.deepEqual(changes.list, report.changes);
    const expected = new Map();
    for (const k of report.classes)
      for (const c of k.cells) {
        const key = `${c.row},${c.column}`;
        expected.set(key, [...(expected.get(key) ?? []), { class: k.class, blocked: c.blocked, by: c.by }]);
      }
    for (let row = -1; row <= 128; ++row)
      for (let column = -1; column <= 128; ++column) {
        const shown = changesAt(changes, row, column), told = expected.get(`${row},${column}`) ?? [];
        cells += shown.length;
        assert.deepEqual(shown, told, `seed ${seed}, cell ${row},${column}`);
      }
    assert.deepEqual(largestFirst(changes.list).map((c) => c.text).slice(0, 20),
      run(env.QUARNEL_INSPECT, args).split('\n').filter((l) => /^ {2}the /.test(l)).map((l) => l.slice(2).split(': ')[0]));
    assert.ok(report.changes.some((c) => c.what.includes('meshChanged')), 'a mesh change');
  }
  assert.ok(cells > 1000, `${cells} changed cells`);
});
