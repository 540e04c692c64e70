// The page loads clean, and a click starts the program, its picture and its sound.
'use strict';
const assert = require('node:assert/strict');
const {Visit} = require('../lib/browser');
const {canvasPicture} = require('../lib/canvas');
const {sleep} = require('../lib/deadline');

// A blank canvas is one colour (black before anything is drawn); the backdrop's first seconds
// light 29-47 % of the pixels in thousands of colours.
function describe(picture) {
  let lit = 0;
  const colours = new Set();
  for (let i = 0; i < picture.rgb.length; i += 3) {
    const [r, g, b] = [picture.rgb[i], picture.rgb[i + 1], picture.rgb[i + 2]];
    if (r + g + b > 24) ++lit;
    colours.add((r << 16) | (g << 8) | b);
  }
  return {litShare: lit / (picture.width * picture.height), colours: colours.size};
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
      const seen = describe(await canvasPicture(visit.page));
      assert.ok(seen.litShare > 0.1 && seen.colours > 256,
                `the canvas is nearly blank a second in: ${(seen.litShare * 100).toFixed(1)} % of it lit, ` +
                `${seen.colours} colours`);
      assert.deepEqual(visit.errors, []);
      assert.equal(visit.lines.find((line) => line.startsWith('tarvelon: exit')), undefined, 'it ended early');
    } finally {
      await visit.close();
    }
  },
}];
