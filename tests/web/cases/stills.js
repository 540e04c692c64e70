// `?at=MS` draws the picture of that music clock as the native build does. Chromium rasterises
// with SwiftShader and `capture` with Mesa's llvmpipe, so the pictures are held to a tolerance,
// and each clock also shows that the tolerance tells a picture 17 ms off (one frame at 60 Hz).
'use strict';
const assert = require('node:assert/strict');
const {Visit} = require('../lib/browser');
const {canvasPicture} = require('../lib/canvas');
const {difference} = require('../lib/picture');

// Clocks of different effects: quarter panels over the backdrop, the falling box in the panels,
// the lava room under the small panels, the box field, the field folding away, the credits.
const kClocks = [5200, 11400, 22500, 44000, 57500, 63000];
const kOneFrameLater = 17;

// TOLERANCE_PLACEHOLDER
const kMaxMean = 0;
const kMaxOffShare = 0;

const within = (d) => d.mean <= kMaxMean && d.offShare <= kMaxOffShare;
const show = (d) => `mean ${d.mean.toFixed(2)}, off ${(d.offShare * 100).toFixed(2)} %`;

module.exports = [{
  name: `?at= pictures at ${kClocks.length} clocks match the native ones, and not those ${kOneFrameLater} ms later`,
  async run({browser, url, native}) {
    const report = [];
    for (const ms of kClocks) {
      const visit = await Visit.open(browser, `${url}index.html?at=${ms}`);
      try {
        await visit.waitForLine(`tarvelon: still at ${ms}`, 30000);
        const page = await canvasPicture(visit.page);
        assert.deepEqual(visit.errors, [], `errors at ${ms} ms`);
        const [here, later] = await Promise.all([native.picture(ms), native.picture(ms + kOneFrameLater)]);
        const seen = difference(page, here);
        const shifted = difference(later, here);
        report.push(`${ms} ms: page ${show(seen)}; native +${kOneFrameLater} ms ${show(shifted)}`);
        assert.ok(within(seen), `the page's picture at ${ms} ms is not the native one: ${show(seen)}`);
        assert.ok(!within(shifted), `at ${ms} ms a picture ${kOneFrameLater} ms off would pass: ${show(shifted)}`);
      } finally {
        await visit.close();
      }
    }
    return report.join('\n');
  },
}];
