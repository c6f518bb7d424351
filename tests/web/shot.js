// Developer aid: saves a screenshot of the page after a moment.
//   node shot.js BUILD_WEB_DIR OUT.png
const { serve, launch, openGame } = require('./harness');
(async () => {
  const server = await serve(process.argv[2]);
  const browser = await launch();
  try {
    const page = await openGame(browser, server.url);
    await new Promise((r) => setTimeout(r, 1000));
    await page.screenshot({ path: process.argv[3] });
    console.log('title:', await page.title(), 'errors:', page.errors);
  } finally {
    await browser.close();
    server.close();
  }
})().catch((e) => { console.error(e); process.exit(1); });
