// What the page sends to the speakers is the song as xmrender renders it, bit for bit, from
// its first frame, with no render quantum left short.
'use strict';
const assert = require('node:assert/strict');
const {Visit} = require('../lib/browser');
const {sleep, within} = require('../lib/deadline');

const kRate = 44100;
const kBytesPerFrame = 4;
const kSeconds = 10;

function firstDifference(heard, expected) {
  const samples = Math.min(heard.length, expected.length) / 2;
  for (let i = 0; i < samples; ++i) {
    if (heard.readInt16LE(i * 2) !== expected.readInt16LE(i * 2)) return i;
  }
  return -1;
}

module.exports = [{
  alone: true,
  name: `the page plays xmrender's render of the song bit for bit for ${kSeconds} s, no underrun`,
  async run({browser, url, native}) {
    const expected = await native.songPcm();
    const visit = await Visit.open(browser, `${url}index.html?tap`);
    try {
      await visit.clickToStart();
      await visit.waitForLine('tarvelon: first sound', 20000);
      const wanted = kSeconds * kRate;
      const tap = () => within(visit.page.evaluate(() => window.tarvelonTap()), 20000, 'window.tarvelonTap()');
      let heard = {frames: 0};
      const giveUp = Date.now() + 40000;
      for (let wait = kSeconds * 1000 + 300; ; wait = 1000) {
        await sleep(wait);
        heard = await tap();
        if (heard.frames >= wanted) break;
        assert.ok(Date.now() < giveUp, `the page played only ${heard.frames} frames in 40 s after its first sound`);
      }
      const pcm = Buffer.from(heard.pcm, 'base64');
      assert.equal(pcm.length, heard.frames * kBytesPerFrame, 'the tap\'s samples and its frame count disagree');
      assert.ok(pcm.length <= expected.length, 'the page played more than the whole song');
      const at = firstDifference(pcm, expected);
      if (at >= 0) {
        const frame = Math.floor(at / 2);
        assert.fail(`first difference at frame ${frame} (${(frame / kRate).toFixed(3)} s), ${at % 2 ? 'right' : 'left'}: ` +
                    `the page played ${pcm.readInt16LE(at * 2)}, xmrender has ${expected.readInt16LE(at * 2)}`);
      }
      assert.equal(heard.underruns, 0, 'underruns');
      assert.deepEqual(visit.errors, []);
      return `${heard.frames} frames (${(heard.frames / kRate).toFixed(2)} s) identical`;
    } finally {
      await visit.close();
    }
  },
}];
