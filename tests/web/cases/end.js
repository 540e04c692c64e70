// The two ways the demo ends by itself or by the user, both with exit code 0.
'use strict';
const assert = require('node:assert/strict');
const {Visit} = require('../lib/browser');
const {within} = require('../lib/deadline');

const exitLine = /^tarvelon: exit /;

module.exports = [{
  name: 'Escape ends the demo with exit 0',
  async run({browser, url}) {
    const visit = await Visit.open(browser, url);
    try {
      await visit.clickToStart();
      await visit.waitForLine('tarvelon: first frame', 20000);
      await visit.page.keyboard.press('Escape');
      assert.equal(await visit.waitForLine(exitLine, 10000), 'tarvelon: exit 0');
      assert.deepEqual(visit.errors, []);
    } finally {
      await visit.close();
    }
  },
}, {
  name: 'left alone, the demo ends with exit 0 once the music clock passes 70 s',
  long: true,
  async run({browser, url}) {
    const visit = await Visit.open(browser, url);
    try {
      await visit.clickToStart();
      await visit.waitForLine('tarvelon: first sound', 20000);
      assert.equal(await visit.waitForLine(exitLine, 150000), 'tarvelon: exit 0');
      const times = await within(visit.page.evaluate(() => window.__tarvelonLines), 10000, 'the page\'s line times');
      const at = (text) => times.find((line) => line.text === text).at;
      const played = (at('tarvelon: exit 0') - at('tarvelon: first sound')) / 1000;
      // The music clock never runs ahead of the sound (its 70 s come after about 74 s of it), so
      // an end before 70 s of sound is an end before the clock got there.
      assert.ok(played >= 70, `it ended after only ${played.toFixed(2)} s of sound`);
      assert.deepEqual(visit.errors, []);
      return `ended ${played.toFixed(2)} s after the first sound`;
    } finally {
      await visit.close();
    }
  },
}];
