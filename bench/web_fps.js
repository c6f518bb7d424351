// The browser half of `make bench`: plays the web build in headless
// chromium for a while and reports the frames the game ran per second (the
// title's own figure, while play runs), the frames per second of the page's
// processor time, and the pictures the page painted.
//   node bench/web_fps.js BUILD_WEB_DIR
// The title's figure is an average over wall time since play began, so a
// busy machine drags it down; the native figure is a median of frame times,
// which it hardly moves. Frames per processor second of the browser's page
// processes (every thread: the module, the page's script, its painting) is
// the figure that holds still on a shared machine.
'use strict';

const path = require('path');
const { serve, launch, openGame, canvasPoint } =
    require(path.join(__dirname, '..', 'tests', 'web', 'harness'));

const sleep = (ms) => new Promise((r) => setTimeout(r, ms));
const median = (v) => { const s = [...v].sort((a, b) => a - b); return s.length ? s[(s.length - 1) >> 1] : 0; };
const STATS = /Time Ellapsed: (\d+) - FPS: (\d+)/;

// Processor seconds used so far by the browser's page (renderer) processes.
async function pageCpuSeconds(session) {
  const { processInfo } = await session.send('SystemInfo.getProcessInfo');
  return processInfo.filter((p) => p.type === 'renderer').reduce((sum, p) => sum + p.cpuTime, 0);
}

(async () => {
  const server = await serve(process.argv[2]);
  const browser = await launch();
  try {
    // Frames back to back, as the native figure is measured.
    const page = await openGame(browser, server.url + '?pace=0');
    const system = await browser.target().createCDPSession();
    const pitch = await canvasPoint(page, 150, 320);  // the left player's spot
    const readings = [], paints = [];
    // Frames and processor time between two refreshes of the title one
    // second of play apart. The title gives the frames exactly enough:
    // FPS is frames / whole seconds, truncated, so frames are FPS x seconds
    // to within `seconds` frames.
    let cpuFrames = 0, cpuSeconds = 0, last = null;
    let title = '';
    for (let i = 0; i < 12; i++) {
      // A goal stops play: click again.
      if (!(await page.evaluate(() => document.pointerLockElement !== null))) {
        await page.mouse.click(pitch.x, pitch.y);
        last = null;
      }
      const p0 = await page.evaluate(() => kvPage.paints());
      const t0 = Date.now();
      while (Date.now() - t0 < 1500) {
        const [now, cpu] = [await page.title(), await pageCpuSeconds(system)];
        const m = STATS.exec(now);
        if (m && now !== title) {
          const seconds = Number(m[1]), frames = Number(m[2]) * seconds;
          if (i >= 2 && last && seconds === last.seconds + 1) {
            cpuFrames += frames - last.frames;
            cpuSeconds += cpu - last.cpu;
          }
          last = { seconds, frames, cpu };
        }
        title = now;
        await sleep(25);
      }
      const p1 = await page.evaluate(() => kvPage.paints());
      const m = STATS.exec(title);
      if (i >= 2 && m) readings.push(Number(m[2]));
      if (i >= 2) paints.push(((p1 - p0) * 1000) / (Date.now() - t0));
    }
    console.log(`web_title: ${title}`);
    console.log(`web_fps_readings: ${readings.join(' ')}`);
    console.log(`web_fps: ${median(readings)}`);
    console.log(`web_fps_per_cpu_s: ${cpuSeconds > 0 ? Math.round(cpuFrames / cpuSeconds) : 0}`);
    console.log(`web_paints_per_s: ${median(paints).toFixed(1)}`);
  } finally {
    await browser.close();
    server.close();
  }
})().catch((e) => { console.error(e); process.exit(1); });
