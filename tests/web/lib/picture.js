// How far apart two pictures of the same size are: the mean absolute difference over every
// red, green and blue sample, and the share of pixels where some channel is off by more than
// kPixelOff (an edge or a shape in another place, not the rounding of a colour).
'use strict';

const kPixelOff = 48;

function difference(a, b) {
  if (a.width !== b.width || a.height !== b.height) {
    throw new Error(`pictures differ in size: ${a.width}x${a.height} and ${b.width}x${b.height}`);
  }
  let sum = 0;
  let off = 0;
  for (let i = 0; i < a.rgb.length; i += 3) {
    const dr = Math.abs(a.rgb[i] - b.rgb[i]);
    const dg = Math.abs(a.rgb[i + 1] - b.rgb[i + 1]);
    const db = Math.abs(a.rgb[i + 2] - b.rgb[i + 2]);
    sum += dr + dg + db;
    if (Math.max(dr, dg, db) > kPixelOff) ++off;
  }
  return {mean: sum / a.rgb.length, offShare: off / (a.width * a.height)};
}

module.exports = {difference, kPixelOff};
