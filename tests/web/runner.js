// Runs the browser tests against a built page: serves it, starts one headless Chromium, and
// gives each test its own browser context. The test that needs the machine's attention (sound
// without underruns) runs alone first; the long untouched run then plays beside the others.
// Usage: node runner.js NATIVE_BUILD_DIR PAGE_DIR [PART_OF_A_TEST_NAME]
'use strict';
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const {launch} = require('./lib/browser');
const {Native} = require('./lib/native');
const {serve} = require('./lib/server');
const {within} = require('./lib/deadline');

const kTestDeadlineMs = 240000;
const kCases = ['sound', 'start', 'stills', 'end'];

async function runOne(test, env) {
  const began = Date.now();
  try {
    const note = await within(test.run(env), kTestDeadlineMs, `the test "${test.name}"`);
    console.log(`ok   ${test.name} (${((Date.now() - began) / 1000).toFixed(1)} s)`);
    if (note) console.log(`     ${note.replace(/\n/g, '\n     ')}`);
    return true;
  } catch (error) {
    console.log(`FAIL ${test.name} (${((Date.now() - began) / 1000).toFixed(1)} s)\n     ${error.stack || error}`);
    return false;
  }
}

// Past this the run is stuck somewhere no single deadline covers; it ends as a failure.
const kRunDeadlineMs = 600000;

async function main() {
  setTimeout(() => {
    console.log(`web: the tests did not finish in ${kRunDeadlineMs / 1000} s`);
    process.exit(1);
  }, kRunDeadlineMs).unref();
  const [buildDir, pageDir, only] = process.argv.slice(2);
  if (!buildDir || !pageDir) {
    console.error('usage: node runner.js NATIVE_BUILD_DIR PAGE_DIR [PART_OF_A_TEST_NAME]');
    return 2;
  }
  for (const file of ['index.html', 'tarvelon.js']) {
    if (!fs.existsSync(path.join(pageDir, file))) {
      console.log(`web: no ${file} in ${pageDir}; build the page first`);
      return 1;
    }
  }
  const tests = kCases.flatMap((name) => require(`./cases/${name}`))
                       .filter((test) => !only || test.name.includes(only));
  const scratch = fs.mkdtempSync(path.join(os.tmpdir(), 'tarvelon-web-'));
  const server = await serve(pageDir);
  let browser = null;
  const results = [];
  try {
    browser = await within(launch(), 60000, 'Chromium to start');
    const env = {browser, url: server.url, native: new Native(buildDir, scratch)};
    const first = tests.filter((test) => test.alone);
    const long = tests.filter((test) => test.long);
    const rest = tests.filter((test) => !test.alone && !test.long);
    for (const test of first) results.push(await runOne(test, env));
    const background = long.map((test) => runOne(test, env));
    for (const test of rest) results.push(await runOne(test, env));
    results.push(...await Promise.all(background));
  } finally {
    if (browser) await browser.close().catch(() => {});
    server.stop();
    fs.rmSync(scratch, {recursive: true, force: true});
  }
  const passed = results.filter(Boolean).length;
  const failed = results.length - passed;
  console.log(`web: ${passed} tests passed, ${failed} failed`);
  return failed === 0 && results.length > 0 ? 0 : 1;
}

main().then((code) => { process.exitCode = code; }, (error) => {
  console.log(`${error.stack || error}\nweb: the tests could not run`);
  process.exitCode = 1;
});
