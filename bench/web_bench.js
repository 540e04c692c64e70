// The web page's figures in headless Chromium on SwiftShader: frames per second over the whole
// run (mean and the worst one-second window), the time from the click to the first sound and
// to the first frame in the page's own clock, and the size of the page raw and gzipped.
// Usage: node bench/web_bench.js PAGE_DIR   (bench/web_bench sets it up)
'use strict';
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const zlib = require('node:zlib');
const {launch, Visit} = require('../tests/web/lib/browser');
const {serve} = require('../tests/web/lib/server');
const {within} = require('../tests/web/lib/deadline');

// Runs in the page before its scripts: notes the time of every frame the page presents. The
// page counts them in window.tarvelonFrames; a page without that counter is measured by its
// animation-frame callbacks instead.
function noteFrames() {
  const frames = [];
  window.__benchFrames = frames;
  let count = 0;
  Object.defineProperty(window, 'tarvelonFrames', {
    configurable: true,
    get: () => count,
    // A rise is a frame presented; a reset to 0 starts the count again.
    set: (value) => {
      if (value > count) frames.push(performance.now());
      else frames.length = 0;
      count = value;
      window.__benchCounted = true;
    },
  });
  const request = window.requestAnimationFrame.bind(window);
  window.__benchCallbacks = [];
  window.requestAnimationFrame = (callback) => request((time) => {
    window.__benchCallbacks.push(performance.now());
    callback(time);
  });
}

function pageSize(dir) {
  const files = fs.readdirSync(dir).filter((name) => fs.statSync(path.join(dir, name)).isFile()).sort();
  const rows = files.map((name) => {
    const data = fs.readFileSync(path.join(dir, name));
    return {name, raw: data.length, gzipped: zlib.gzipSync(data, {level: 9}).length};
  });
  const sum = (key) => rows.reduce((total, row) => total + row[key], 0);
  return {rows, raw: sum('raw'), gzipped: sum('gzipped')};
}

// The fewest frames in any one-second window that lies wholly between the first frame and the
// end. The emptiest windows open just after a frame, so those are the ones counted.
function worstSecond(times, from, to) {
  let worst = {frames: Infinity, at: from};
  let end = 0;
  for (let i = -1; i < times.length; ++i) {
    const start = i < 0 ? from : times[i];
    if (start + 1000 > to) break;
    while (end < times.length && times[end] <= start + 1000) ++end;
    const frames = end - (i + 1);
    if (frames < worst.frames) worst = {frames, at: start};
  }
  return worst;
}

async function main() {
  const pageDir = process.argv[2];
  if (!pageDir || !fs.existsSync(path.join(pageDir, 'index.html'))) {
    console.error('usage: node bench/web_bench.js PAGE_DIR (a built page: scripts/build-web)');
    return 2;
  }
  const size = pageSize(pageDir);
  // Frame rates on a shared machine say little without its load beside them.
  const loadBefore = os.loadavg()[0];
  const server = await serve(pageDir);
  const browser = await within(launch(), 60000, 'Chromium to start');
  try {
    const visit = await Visit.open(browser, server.url, {initScripts: [noteFrames]});
    // Timed from a click on a page that is ready, as a person clicks when it asks to.
    await within(visit.page.waitForFunction(() => /click to start/i.test(document.body.innerText), null,
                                            {timeout: 0, polling: 50}),
                 30000, 'the page to say "click to start"');
    await visit.clickToStart();
    await visit.waitForLine('tarvelon: first frame', 20000);
    await visit.waitForLine('tarvelon: first sound', 20000);
    const exit = await visit.waitForLine(/^tarvelon: exit /, 150000);
    const page = await within(visit.page.evaluate(() => ({
      lines: window.__tarvelonLines, gestures: window.__tarvelonGestures, counted: Boolean(window.__benchCounted),
      frames: window.__benchCounted ? window.__benchFrames : window.__benchCallbacks,
    })), 20000, 'the page\'s frame times');
    await visit.close();
    if (visit.errors.length) throw new Error(visit.errors.join('; '));

    const at = (text) => page.lines.find((line) => line.text === text).at;
    const firstFrame = at('tarvelon: first frame');
    const firstSound = at('tarvelon: first sound');
    const end = at(exit);
    // The click that started it: the last one before the page said so (one made while the
    // page was still loading does not start it).
    const click = Math.max(...page.gestures.filter((time) => time <= at('tarvelon: started')));
    const frames = page.frames.filter((time) => time >= click && time <= end);
    const mean = frames.length / ((end - frames[0]) / 1000);
    const worst = worstSecond(frames, frames[0], end);

    console.log(`page ${pageDir}: ${size.rows.map((row) => `${row.name} ${row.raw} B (${row.gzipped} B gzipped)`).join(', ')}`);
    console.log(`size: ${size.raw} B raw, ${size.gzipped} B gzipped (${(size.gzipped / 1048576).toFixed(3)} MiB; ` +
                `aim: at most 1 MiB gzipped)`);
    console.log(`click to first sound: ${(firstSound - click).toFixed(0)} ms; click to first frame: ` +
                `${(firstFrame - click).toFixed(0)} ms (aim: within 500 ms each)`);
    console.log(`frames: ${frames.length} in ${((end - frames[0]) / 1000).toFixed(2)} s, ${mean.toFixed(1)} fps mean; ` +
                `worst second ${worst.frames} fps (from ${((worst.at - firstSound) / 1000).toFixed(1)} s of sound); ` +
                `counted by ${page.counted ? 'the page\'s own frame counter' : 'animation-frame callbacks'}`);
    const bySecond = [];
    for (const time of frames) {
      const second = Math.floor((time - firstSound) / 1000);
      if (second >= 0) bySecond[second] = (bySecond[second] || 0) + 1;
    }
    console.log(`frames in each second of sound: ${Array.from(bySecond, (count) => count || 0).join(' ')}`);
    console.log(`machine: ${os.cpus().length} cores, load average ${loadBefore.toFixed(1)} before and ` +
                `${os.loadavg()[0].toFixed(1)} after the run`);
    console.log(`ended with "${exit}" ${((end - firstSound) / 1000).toFixed(2)} s after the first sound`);
    return 0;
  } finally {
    await browser.close().catch(() => {});
    server.stop();
  }
}

main().then((code) => { process.exitCode = code; }, (error) => {
  console.error(`web_bench: ${error.stack || error}`);
  process.exitCode = 1;
});
