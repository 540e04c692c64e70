// Serves a directory on 127.0.0.1 with Python's plain static file server on a port the system
// picks, as anyone would serve the page.
'use strict';
const {spawn} = require('node:child_process');

function serve(dir, deadlineMs = 15000) {
  const server = spawn('python3', ['-u', '-m', 'http.server', '0', '--bind', '127.0.0.1', '--directory', dir],
                       {stdio: ['ignore', 'pipe', 'pipe']});
  // However the tests end, the server ends with them.
  process.on('exit', () => server.kill());
  return new Promise((resolve, reject) => {
    let said = '';
    const timer = setTimeout(() => {
      server.kill();
      reject(new Error(`waited ${deadlineMs} ms for python3 -m http.server to say its port; it said: ${said}`));
    }, deadlineMs);
    server.on('error', (error) => { clearTimeout(timer); reject(error); });
    server.on('exit', (code) => { clearTimeout(timer); reject(new Error(`http.server ended with ${code}: ${said}`)); });
    server.stdout.on('data', (chunk) => {
      said += chunk;
      const port = /port (\d+)/.exec(said);
      if (!port) return;
      clearTimeout(timer);
      server.removeAllListeners('exit');
      resolve({url: `http://127.0.0.1:${port[1]}/`, stop: () => server.kill()});
    });
    // The request log goes to stderr; it is read and dropped so the pipe never fills.
    server.stderr.on('data', () => {});
  });
}

module.exports = {serve};
