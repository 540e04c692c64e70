// Reads the PNGs that `capture` writes and that Chromium encodes: 8-bit greyscale, RGB or RGBA,
// not interlaced. Returns {width, height, rgb} with three bytes a pixel, top row first.
'use strict';
const zlib = require('node:zlib');

const kSignature = Buffer.from([0x89, 0x50, 0x4e, 0x47, 0x0d, 0x0a, 0x1a, 0x0a]);
const kChannels = {0: 1, 2: 3, 4: 2, 6: 4};  // colour type -> samples a pixel

function paeth(a, b, c) {
  const p = a + b - c;
  const pa = Math.abs(p - a);
  const pb = Math.abs(p - b);
  const pc = Math.abs(p - c);
  if (pa <= pb && pa <= pc) return a;
  return pb <= pc ? b : c;
}

function decodePng(file) {
  if (file.length < 8 || !file.subarray(0, 8).equals(kSignature)) throw new Error('not a PNG');
  let header = null;
  const data = [];
  for (let at = 8; at + 8 <= file.length;) {
    const length = file.readUInt32BE(at);
    const type = file.toString('latin1', at + 4, at + 8);
    const body = file.subarray(at + 8, at + 8 + length);
    if (type === 'IHDR') {
      header = {width: body.readUInt32BE(0), height: body.readUInt32BE(4), depth: body[8], colour: body[9],
                interlace: body[12]};
    } else if (type === 'IDAT') {
      data.push(body);
    } else if (type === 'IEND') {
      break;
    }
    at += 12 + length;
  }
  if (!header) throw new Error('PNG without IHDR');
  const channels = kChannels[header.colour];
  if (header.depth !== 8 || !channels || header.interlace !== 0) {
    throw new Error(`PNG kind not read here: depth ${header.depth}, colour type ${header.colour}, interlace ${header.interlace}`);
  }
  const {width, height} = header;
  const raw = zlib.inflateSync(Buffer.concat(data));
  const stride = width * channels;
  if (raw.length < height * (stride + 1)) throw new Error('PNG image data is short');
  const pixels = Buffer.alloc(height * stride);
  for (let y = 0; y < height; ++y) {
    const filter = raw[y * (stride + 1)];
    const line = raw.subarray(y * (stride + 1) + 1, (y + 1) * (stride + 1));
    const out = y * stride;
    const up = (y - 1) * stride;
    for (let x = 0; x < stride; ++x) {
      const a = x >= channels ? pixels[out + x - channels] : 0;
      const b = y > 0 ? pixels[up + x] : 0;
      const c = x >= channels && y > 0 ? pixels[up + x - channels] : 0;
      let predicted;
      switch (filter) {
        case 0: predicted = 0; break;
        case 1: predicted = a; break;
        case 2: predicted = b; break;
        case 3: predicted = (a + b) >> 1; break;
        case 4: predicted = paeth(a, b, c); break;
        default: throw new Error(`PNG row ${y} has unknown filter ${filter}`);
      }
      pixels[out + x] = (line[x] + predicted) & 0xff;
    }
  }
  const rgb = Buffer.alloc(width * height * 3);
  for (let i = 0; i < width * height; ++i) {
    const from = i * channels;
    const grey = channels <= 2;
    rgb[i * 3] = pixels[from];
    rgb[i * 3 + 1] = pixels[from + (grey ? 0 : 1)];
    rgb[i * 3 + 2] = pixels[from + (grey ? 0 : 2)];
  }
  return {width, height, rgb};
}

module.exports = {decodePng};
