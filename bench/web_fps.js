// The browser half of `make bench`: plays the web build in headless
// chromium for a while and reports the frames the game ran per second (the
// title's own figure, while play runs) and the pictures the page painted.
//   node bench/web_fps.js BUILD_WEB_DIR
'use strict';

const path = require('path');
const { serve, launch, openGame, canvasPoint } =
    require(path.join(__dirname, '..', 'tests', 'web', 'harness'));

const sleep = (ms) => new Promise((r) => setTimeout(r, ms));
const median = (v) => { const s = [...v].sort((a, b) => a - b); return s.length ? s[(s.length - 1) >> 1] : 0; };

(async () => {
  const server = await serve(process.argv[2]);
  const browser = await launch();
  try {
    // Frames back to back, as the native figure is measured.
    const page = await openGame(browser, server.url + '?pace=0');
    const pitch = await canvasPoint(page, 150, 320);  // the left player's spot
    const readings = [], paints = [];
    let title = '';
    for (let i = 0; i < 12; i++) {
      // A goal stops play: click again.
      if (!(await page.evaluate(() => document.pointerLockElement !== null))) {
        await page.mouse.click(pitch.x, pitch.y);
      }
      const p0 = await page.evaluate(() => kvPage.paints());
      const t0 = Date.now();
      await sleep(1500);
      const p1 = await page.evaluate(() => kvPage.paints());
      title = await page.title();
      const m = /FPS: (\d+)/.exec(title);
      if (i >= 2 && m) readings.push(Number(m[1]));
      if (i >= 2) paints.push(((p1 - p0) * 1000) / (Date.now() - t0));
    }
    console.log(`web_title: ${title}`);
    console.log(`web_fps_readings: ${readings.join(' ')}`);
    console.log(`web_fps: ${median(readings)}`);
    console.log(`web_paints_per_s: ${median(paints).toFixed(1)}`);
  } finally {
    await browser.close();
    server.close();
  }
})().catch((e) => { console.error(e); process.exit(1); });
