// The native build's answers the page is held to: xmrender's render of the song and
// `capture frames` pictures, each made in a scratch directory.
'use strict';
const fs = require('node:fs');
const path = require('node:path');
const {execFile} = require('node:child_process');
const {promisify} = require('node:util');
const {decodePng} = require('./png');
const {wavPcm} = require('./wav');

const run = promisify(execFile);

class Native {
  constructor(buildDir, scratch) {
    this.xmrender = path.join(buildDir, 'tools/xmrender/xmrender');
    this.capture = path.join(buildDir, 'tools/capture/capture');
    // The song's build rule writes the composed module here.
    this.song = path.join(buildDir, 'generated/tarvelon.xm');
    this.scratch = scratch;
    for (const file of [this.xmrender, this.capture, this.song]) {
      if (!fs.existsSync(file)) throw new Error(`the native build has no ${file} (build xmrender and capture in it)`);
    }
  }

  // The song as 16-bit little-endian stereo samples.
  async songPcm() {
    const out = path.join(this.scratch, 'song.wav');
    await run(this.xmrender, [this.song, out], {timeout: 120000});
    return wavPcm(fs.readFileSync(out));
  }

  // The picture at music clock `ms`, drawn alone: one capture call per time, because some
  // effects build on what the frame before left.
  async picture(ms) {
    const dir = fs.mkdtempSync(path.join(this.scratch, `frame-${ms}-`));
    await run(this.capture, ['--quiet', 'frames', dir, (ms / 1000).toFixed(3)], {timeout: 120000});
    return decodePng(fs.readFileSync(path.join(dir, `frame_${String(ms).padStart(6, '0')}.png`)));
  }
}

module.exports = {Native};
