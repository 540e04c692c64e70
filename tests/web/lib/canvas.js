// The page's drawing buffer as the picture it holds (800x600 whatever the canvas's size on
// screen); the context keeps its buffer, so this reads what was presented last.
'use strict';
const {decodePng} = require('./png');
const {within} = require('./deadline');

async function canvasPicture(page) {
  const url = await within(page.evaluate(() => document.getElementById('canvas').toDataURL('image/png')), 20000,
                           'the canvas as a PNG data URL');
  const comma = url.indexOf(',');
  if (!url.startsWith('data:image/png;base64,')) throw new Error(`canvas gave no PNG: ${url.slice(0, 40)}`);
  return decodePng(Buffer.from(url.slice(comma + 1), 'base64'));
}

module.exports = {canvasPicture};
