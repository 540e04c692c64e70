// The sample data of a RIFF WAVE file: walks the chunks to `data` instead of assuming a
// 44-byte header, and checks the format is the 16-bit stereo 44,100 Hz PCM the page plays.
'use strict';

function wavPcm(file) {
  if (file.length < 12 || file.toString('latin1', 0, 4) !== 'RIFF' || file.toString('latin1', 8, 12) !== 'WAVE') {
    throw new Error('not a RIFF WAVE file');
  }
  let format = null;
  for (let at = 12; at + 8 <= file.length;) {
    const id = file.toString('latin1', at, at + 4);
    const size = file.readUInt32LE(at + 4);
    const body = file.subarray(at + 8, at + 8 + size);
    if (id === 'fmt ') {
      format = {tag: body.readUInt16LE(0), channels: body.readUInt16LE(2), rate: body.readUInt32LE(4),
                bits: body.readUInt16LE(14)};
    } else if (id === 'data') {
      if (!format) throw new Error('WAVE data before its fmt chunk');
      if (format.tag !== 1 || format.channels !== 2 || format.rate !== 44100 || format.bits !== 16) {
        throw new Error(`WAVE is not 16-bit stereo PCM at 44100 Hz: ${JSON.stringify(format)}`);
      }
      return body;
    }
    at += 8 + size + (size & 1);  // chunks are padded to an even length
  }
  throw new Error('WAVE file without a data chunk');
}

module.exports = {wavPcm};
