// Debian's Chromium, headless, driven by playwright-core; never a browser of Playwright's own.
// A Visit is one page in its own context: it keeps every console line and page error, and
// waits for lines with a deadline that names what it waited for.
'use strict';
const {chromium} = require('playwright-core');

const kChromium = process.env.TARVELON_CHROMIUM || '/usr/bin/chromium';

function launch() {
  return chromium.launch({
    executablePath: kChromium,
    headless: true,
    args: ['--no-sandbox', '--disable-gpu', '--no-first-run', '--disable-background-networking',
           '--disable-component-update', '--disable-sync', '--disable-quic'],
  });
}

// Runs in the page before its own scripts: notes, in the page's own clock, when each
// `tarvelon:` line was logged and when each click or key came.
function notePageTimes() {
  const lines = [];
  window.__tarvelonLines = lines;
  const log = console.log;
  console.log = function (...args) {
    const text = args.map(String).join(' ');
    if (text.startsWith('tarvelon: ')) lines.push({text, at: performance.now()});
    return log.apply(this, args);
  };
  window.__tarvelonGestures = [];
  const noteGesture = () => { window.__tarvelonGestures.push(performance.now()); };
  window.addEventListener('pointerdown', noteGesture, true);
  window.addEventListener('keydown', noteGesture, true);
}

class Visit {
  static async open(browser, url, {initScripts = []} = {}) {
    const context = await browser.newContext({viewport: {width: 1024, height: 768}, deviceScaleFactor: 1});
    await context.addInitScript(notePageTimes);
    for (const script of initScripts) await context.addInitScript(script);
    const page = await context.newPage();
    const visit = new Visit(context, page);
    await page.goto(url, {waitUntil: 'load', timeout: 30000});
    return visit;
  }

  constructor(context, page) {
    this.context = context;
    this.page = page;
    this.lines = [];
    this.errors = [];
    this.waiters = new Set();
    page.on('console', (message) => {
      // The browser asks for /favicon.ico on its own; the page has none, and that is no fault.
      const favicon = (message.location().url || '').endsWith('/favicon.ico');
      if (message.type() === 'error' && !favicon) this.errors.push(`console error: ${message.text()}`);
      this.lines.push(message.text());
      for (const waiter of this.waiters) waiter();
    });
    page.on('pageerror', (error) => { this.errors.push(`page error: ${error.message}`); });
    page.on('crash', () => { this.errors.push('the page crashed'); });
  }

  // Resolves with the first console line that `match` accepts (a string is matched whole),
  // logged before or after the call; rejects after `deadlineMs`.
  waitForLine(match, deadlineMs) {
    const accepts = typeof match === 'string' ? (line) => line === match : (line) => match.test(line);
    const found = this.lines.find(accepts);
    if (found !== undefined) return Promise.resolve(found);
    return new Promise((resolve, reject) => {
      const waiter = () => {
        const line = this.lines.find(accepts);
        if (line === undefined) return;
        this.waiters.delete(waiter);
        clearTimeout(timer);
        resolve(line);
      };
      const timer = setTimeout(() => {
        this.waiters.delete(waiter);
        const seen = this.lines.filter((line) => line.startsWith('tarvelon:'));
        reject(new Error(`waited ${deadlineMs} ms for the console line ${match}; ` +
                         `seen: ${seen.length ? seen.join(' | ') : 'no tarvelon line'}` +
                         (this.errors.length ? `; ${this.errors.join('; ')}` : '')));
      }, deadlineMs);
      this.waiters.add(waiter);
    });
  }

  // Clicks the middle of the page until the program says it started, as a person would whose
  // click came while the page was still loading (the page starts only once it is ready).
  // The clicks are far enough apart never to make a double-click.
  async clickToStart(deadlineMs = 30000) {
    const giveUp = Date.now() + deadlineMs;
    for (let clicks = 1; ; ++clicks) {
      await this.page.mouse.click(512, 384);
      try {
        return await this.waitForLine('tarvelon: started', 1500);
      } catch (error) {
        if (Date.now() >= giveUp) throw new Error(`clicked ${clicks} times in ${deadlineMs} ms: ${error.message}`);
      }
    }
  }

  close() { return this.context.close(); }
}

module.exports = {launch, Visit};
