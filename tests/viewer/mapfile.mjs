// The bytes of a map file of size cells a side (a multiple of 64), blocked where blocked(row,
// column) holds, for the Node and browser tests of the viewer page.
export function mapFile(size, blocked) {
  const levels = Math.max(0, Math.floor(Math.log2(size / 64))), n = size / 64;
  const parts = [Buffer.from(Int32Array.from([levels, levels, 6, 0, 0, 2, 0, -1]).buffer)];
  for (let i = 0; i < n; ++i) {
    for (let j = 0; j < n; ++j) {
      const bytes = Buffer.alloc(516);
      bytes.writeInt32LE(-1, 0);
      for (let k = 0; k < 64 * 64; ++k) if (blocked(64 * i + (k >> 6), 64 * j + (k & 63))) bytes[4 + (k >> 3)] |= 1 << (k & 7);
      const all = bytes.subarray(4).every((b) => b === 255), none = bytes.subarray(4).every((b) => b === 0);
      parts.push(all || none ? Buffer.from(Int32Array.of(all ? 1 : 0).buffer) : bytes);
    }
  }
  return Buffer.concat(parts);
}
