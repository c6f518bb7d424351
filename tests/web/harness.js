// What the browser tests share: a static server for build-web/, Debian's
// chromium started headless through puppeteer-core, and the game's page
// opened and read.
'use strict';

const fs = require('fs');
const http = require('http');
const os = require('os');
const path = require('path');
const puppeteer = require('puppeteer-core');

const TYPES = {
  '.html': 'text/html', '.js': 'text/javascript', '.wasm': 'application/wasm',
  '.ttf': 'font/ttf', '.txt': 'text/plain; charset=utf-8',
};

// Serves `dir` on 127.0.0.1 at a free port, and each folder of `mounts`
// ({ '/matches/': folder }) under its prefix. Nothing outside them is served.
function serve(dir, mounts = {}) {
  const server = http.createServer((req, res) => {
    let wanted = decodeURIComponent(new URL(req.url, 'http://x').pathname);
    if (wanted === '/') wanted = '/index.html';
    let root = dir;
    for (const [prefix, folder] of Object.entries(mounts)) {
      if (wanted.startsWith(prefix)) { root = folder; wanted = '/' + wanted.slice(prefix.length); }
    }
    const base = path.resolve(root);
    const file = path.resolve(base, '.' + path.posix.normalize(wanted));
    if (!file.startsWith(base + path.sep)) { res.writeHead(403); res.end(); return; }
    fs.readFile(file, (err, data) => {
      if (err) { res.writeHead(404); res.end(); return; }
      res.writeHead(200, { 'Content-Type': TYPES[path.extname(file)] || 'application/octet-stream' });
      res.end(data);
    });
  });
  return new Promise((resolve) => {
    server.listen(0, '127.0.0.1', () => {
      resolve({ url: `http://127.0.0.1:${server.address().port}/`, close: () => server.close() });
    });
  });
}

async function launch() {
  const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'kv-chromium-'));
  const browser = await puppeteer.launch({
    executablePath: process.env.CHROMIUM || '/usr/bin/chromium',
    headless: true,
    args: ['--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
      '--disable-background-networking', '--disable-component-update', '--disable-sync',
      '--disable-background-timer-throttling', '--disable-renderer-backgrounding',
      `--user-data-dir=${profile}`, '--window-size=1100,800'],
  });
  browser.on('disconnected', () => {
    // Chromium may still be writing the profile as it goes.
    setTimeout(() => {
      try { fs.rmSync(profile, { recursive: true, force: true, maxRetries: 5 }); } catch (e) { /* left in tmp */ }
    }, 500);
  });
  return browser;
}

// Opens the game and waits until the first frame is on the canvas.
async function openGame(browser, url) {
  const page = await browser.newPage();
  await page.setViewport({ width: 1100, height: 800 });
  const errors = [];
  page.on('pageerror', (e) => errors.push(String(e)));
  page.errors = errors;
  await page.goto(url);
  await page.waitForFunction(() => {
    const c = document.getElementById('screen');
    if (!c || c.width !== 1000) return false;
    const d = c.getContext('2d').getImageData(500, c.height - 300, 1, 1).data;
    return d[0] + d[1] + d[2] > 0;
  }, { timeout: 30000 });
  return page;
}

// The canvas's pixels as 0x00RRGGBB numbers, with its size.
async function canvasPixels(page) {
  const r = await page.evaluate(() => {
    const c = document.getElementById('screen');
    const d = c.getContext('2d').getImageData(0, 0, c.width, c.height).data;
    const out = new Array(c.width * c.height);
    for (let i = 0; i < out.length; i++) out[i] = (d[i * 4] << 16) | (d[i * 4 + 1] << 8) | d[i * 4 + 2];
    return { width: c.width, height: c.height, pixels: out };
  });
  return r;
}

// Page coordinates of a canvas pixel.
async function canvasPoint(page, x, y) {
  const box = await page.evaluate(() => {
    const r = document.getElementById('screen').getBoundingClientRect();
    return { left: r.left, top: r.top };
  });
  return { x: box.left + x + 0.5, y: box.top + y + 0.5 };
}

module.exports = { serve, launch, openGame, canvasPixels, canvasPoint };
