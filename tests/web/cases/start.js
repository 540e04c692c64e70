// The page loads clean, and a click starts the program, its picture and its sound.
'use strict';
const assert = require('node:assert/strict');
const {Visit} = require('../lib/browser');
const {canvasPicture} = require('../lib/canvas');
const {sleep} = require('../lib/deadline');

// A share of pixels that are not black: the backdrop fills the picture from the first frame.
function litShare(picture) {
  let lit = 0;
  for (let i = 0; i < picture.rgb.length; i += 3) {
    if (picture.rgb[i] + picture.rgb[i + 1] + picture.rgb[i + 2] > 24) ++lit;
  }
  return lit / (picture.width * picture.height);
}

module.exports = [{
  name: 'the page loads without an error and a click starts picture and sound',
  async run({browser, url}) {
    const visit = await Visit.open(browser, url);
    try {
      assert.deepEqual(visit.errors, [], 'errors while loading');
      assert.equal(visit.lines.find((line) => line.startsWith('tarvelon: ')), undefined,
                   'the program must wait for the click');
      await visit.clickToStart();
      await visit.waitForLine('tarvelon: started', 10000);
      await visit.waitForLine('tarvelon: first frame', 20000);
      await visit.waitForLine('tarvelon: first sound', 20000);
      await sleep(1000);
      const lit = litShare(await canvasPicture(visit.page));
      assert.ok(lit > 0.3, `the canvas is nearly blank a second in: ${(lit * 100).toFixed(1)} % of it lit`);
      assert.deepEqual(visit.errors, []);
      assert.equal(visit.lines.find((line) => line.startsWith('tarvelon: exit')), undefined, 'it ended early');
    } finally {
      await visit.close();
    }
  },
}];
