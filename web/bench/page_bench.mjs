// How fast the built page answers, in Debian's headless Chromium from file://:
//
//   load: from the start of navigation to the first design shown (the page's
//         'padcalc-first-design' mark), in a new tab each time; goal < 300 ms.
//         Also the page's own part of it, from its script's start, and for
//         comparison the same browser opening a blank page with one script.
//   keystroke: a digit typed into the loss with E192 and pairs (and 1 %
//         tolerance and power), from the key going down to the next frame,
//         and the page's own work (the library's answer and the new results,
//         its 'padcalc-update' measure); goal < 16 ms.
//
// Chromium's timers are coarsened to 0.1 ms. On a machine shared with
// other work the medians move with its load; the best figures are the
// nearest to an idle machine's.
//
// node bench/page_bench.mjs [LOADS] [KEYSTROKES]
import { mkdtempSync, rmSync, statSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { pathToFileURL } from 'node:url';
import { launch, openPage, pageDir } from '../browser.mjs';

const loads = Number(process.argv[2] || 20);
const keystrokes = Number(process.argv[3] || 60);

function summary(values) {
  const sorted = [...values].sort((a, b) => a - b);
  const at = (q) => sorted[Math.min(sorted.length - 1, Math.floor(q * sorted.length))];
  return `median ${at(0.5).toFixed(2)} ms, best ${sorted[0].toFixed(2)}, 90th percentile ${at(0.9).toFixed(2)}, worst ${sorted.at(-1).toFixed(2)}`;
}

const browser = await launch();
try {
  console.log(`padcalc.js: ${(statSync(join(pageDir, 'padcalc.js')).size / 1024).toFixed(0)} KiB (the WebAssembly inlined)`);

  const blankDir = mkdtempSync(join(tmpdir(), 'padcalc-blank-'));
  writeFileSync(join(blankDir, 'index.html'), '<!DOCTYPE html><title>blank</title><p>blank</p><script src="mark.js"></script>');
  writeFileSync(join(blankDir, 'mark.js'), "performance.mark('blank-script');");
  const firstDesign = [];
  const ownPart = [];
  const blank = [];
  for (let i = 0; i < loads; i++) {
    const { page } = await openPage(browser, '#tee/50/75/10');
    const [start, shown] = await page.evaluate(() =>
      ['padcalc-start', 'padcalc-first-design'].map((name) => performance.getEntriesByName(name)[0].startTime));
    firstDesign.push(shown);
    ownPart.push(shown - start);
    await page.close();
    const other = await browser.newPage();
    await other.goto(pathToFileURL(join(blankDir, 'index.html')).href);
    blank.push(await other.evaluate(() => performance.getEntriesByName('blank-script')[0].startTime));
    await other.close();
  }
  rmSync(blankDir, { recursive: true, force: true });
  console.log(`load to first design, ${loads} loads: ${summary(firstDesign)}`);
  console.log(`  of which the page's own start (compile, first design, results): ${summary(ownPart)}`);
  console.log(`  a blank page's first script, for comparison: ${summary(blank)}`);

  for (const hash of ['#tee/50/75/1?series=E192&pairs&tolerance=1&power=1W',
    '#bridged-tee/50/1?series=E192&pairs&tolerance=1&power=1W']) {
    const { page, problems } = await openPage(browser, hash);
    await page.evaluate(() => {
      window.frames_ = [];
      // Registered after the page's own handler, so it runs once the results are in.
      document.addEventListener('keydown', (e) => { window.down_ = e.timeStamp; }, true);
      document.addEventListener('input', () => {
        const down = window.down_;
        requestAnimationFrame(() => window.frames_.push(performance.now() - down));
      });
      performance.clearMeasures('padcalc-update');
    });
    await page.focus('#f-loss');
    await page.$eval('#f-loss', (input) => input.setSelectionRange(input.value.length, input.value.length));
    // 1, then 10, 10.1 ... : each keystroke a new design, each buildable.
    const keys = ['0', '.'];
    while (keys.length < keystrokes) keys.push(String(1 + (keys.length % 9)));
    for (const key of keys) {
      await page.keyboard.press(key);
      await new Promise((resolve) => setTimeout(resolve, 20));
    }
    await new Promise((resolve) => setTimeout(resolve, 100));
    const work = await page.evaluate(() => performance.getEntriesByName('padcalc-update').map((m) => m.duration));
    const frames = await page.evaluate(() => window.frames_);
    if (problems.length) throw new Error(problems.join('\n'));
    console.log(`${hash}, ${keys.length} keystrokes:`);
    console.log(`  the page's work: ${summary(work)}`);
    console.log(`  key down to next frame: ${summary(frames)}`);
    await page.close();
  }
} finally {
  await browser.close();
}
