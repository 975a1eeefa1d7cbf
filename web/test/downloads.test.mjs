// The page's downloads, saved by Chromium as a user saves them, against
// what the command line prints for the same entries: the native program
// named by PADCALC_NATIVE (build/padcalc). JSON is compared key by key,
// strings exactly and numbers to 1e-12 relative; SPICE and Touchstone text
// word by word, the same way, and a number equal on both sides must be
// written alike.
import assert from 'node:assert/strict';
import { spawnSync } from 'node:child_process';
import { existsSync, mkdtempSync, readFileSync, readdirSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { after, before, describe, test } from 'node:test';
import { launch, openPage, pageIsBuilt } from '../browser.mjs';

const native = process.env.PADCALC_NATIVE;
let browser;
let folder;

before(async () => {
  assert.ok(pageIsBuilt(), 'the page is not built: emcmake cmake -S . -B build-web && cmake --build build-web --target padcalc_web');
  browser = await launch();
  folder = mkdtempSync(join(tmpdir(), 'padcalc-downloads-'));
});
after(async () => {
  await browser?.close();
  rmSync(folder, { recursive: true, force: true });
});

function same(a, b, path) {
  if (typeof a === 'number' && typeof b === 'number') {
    const scale = Math.max(Math.abs(a), Math.abs(b));
    assert.ok(a === b || Math.abs(a - b) <= 1e-12 * scale, `${path}: ${a} against ${b}`);
  } else if (Array.isArray(a) && Array.isArray(b)) {
    assert.equal(a.length, b.length, `${path}: length`);
    a.forEach((item, i) => same(item, b[i], `${path}[${i}]`));
  } else if (a && b && typeof a === 'object' && typeof b === 'object') {
    assert.deepEqual(Object.keys(a), Object.keys(b), `${path}: keys`);
    for (const key of Object.keys(a)) same(a[key], b[key], `${path}.${key}`);
  } else {
    assert.equal(a, b, path);
  }
}

const number = /^[-+]?(\d+\.?\d*|\.\d+)([eE][-+]?\d+)?$/;

function sameText(a, b) {
  const lines = (text) => text.split('\n').map((line) => line.split(/\s+/).filter(Boolean));
  const [x, y] = [lines(a), lines(b)];
  assert.equal(x.length, y.length, 'lines');
  x.forEach((words, i) => {
    assert.equal(words.length, y[i].length, `line ${i + 1}: ${words.join(' ')}`);
    words.forEach((word, j) => {
      const other = y[i][j];
      // The same number must be written the same way; the last digits of a
      // figure may differ where the two C libraries' logarithms do.
      if (number.test(word) && number.test(other) && Number(word) !== Number(other))
        same(Number(word), Number(other), `line ${i + 1} word ${j + 1}`);
      else assert.equal(word, other, `line ${i + 1}`);
    });
  });
}

// Clicks a download button and reads the file Chromium saves.
async function downloaded(page, format) {
  const into = mkdtempSync(join(folder, format + '-'));
  const session = await page.createCDPSession();
  await session.send('Browser.setDownloadBehavior', { behavior: 'allow', downloadPath: into });
  await page.click(`button[data-format="${format}"]`);
  for (let waited = 0; waited < 5000; waited += 25) {
    const files = readdirSync(into).filter((f) => !f.endsWith('.crdownload'));
    if (files.length) return { name: files[0], text: readFileSync(join(into, files[0]), 'utf8') };
    await new Promise((resolve) => setTimeout(resolve, 25));
  }
  throw new Error(`no ${format} download`);
}

function commandLine(args) {
  const run = spawnSync(native, args, { encoding: 'utf8' });
  assert.ok(run.status === 0 || run.status === 1, `${args.join(' ')}: status ${run.status} ${run.stderr}`);
  return run.stdout;
}

// Each: the page's address, the format, the command line's arguments and the file's name.
const cases = [
  ['#tee/50/75/10', 'json', ['tee', '50', '75', '10', '--json'], 'TEE_50_75_10DB.json'],
  ['#tee/50/75/10?series=E24&pairs&tolerance=1&power=1W&rating=0.25W', 'json',
    ['tee', '50', '75', '10', '--series', 'E24', '--pairs', '--tolerance', '1', '--power', '1W', '--rating', '0.25W', '--json'],
    'TEE_50_75_10DB.json'],
  ['#tee/50/75/10?series=E24', 'spice', ['tee', '50', '75', '10', '--series', 'E24', '--spice'], 'TEE_50_75_10DB.cir'],
  ['#h/600/150/20?series=E96&nearest&name=LINE_PAD', 'spice',
    ['h', '600', '150', '20', '--series', 'E96', '--nearest', '--spice', '--name', 'LINE_PAD'], 'LINE_PAD.cir'],
  ['#bridged-tee/4k7/6dB?series=E192&pairs', 'touchstone',
    ['bridged-tee', '4k7', '6dB', '--series', 'E192', '--pairs', '--touchstone', '-'], 'BRIDGED_TEE_4700_6DB.s2p'],
  ['#min-loss-bal/600/150?freq=10k:100k:3', 'touchstone',
    ['min-loss-bal', '600', '150', '--touchstone', '-', '--freq', '10k:100k:3'], 'MIN_LOSS_BAL_600_150.s2p'],
  ['#pi-bal/50ohm/75/12.5?power=30dBm', 'json', ['pi-bal', '50ohm', '75', '12.5', '--power', '30dBm', '--json'],
    'PI_BAL_50_75_12P5DB.json'],
  ['#check/pi/50/50/96.25/96.25/71.15?power=1W&rating=0.5W', 'json',
    ['check', 'pi', '50', '50', '96.25', '96.25', '71.15', '--power', '1W', '--rating', '0.5W', '--json'],
    'padcalc-check-pi.json'],
];

describe('downloads', () => {
  for (const [hash, format, args, name] of cases) {
    test(`${format} of ${hash} as padcalc ${args.join(' ')}`, async (t) => {
      const { page, problems } = await openPage(browser, hash);
      const file = await downloaded(page, format);
      assert.equal(file.name, name);
      assert.deepEqual(problems, []);
      await page.close();
      if (!native || !existsSync(native)) {
        t.skip('PADCALC_NATIVE does not name the built command line');
        return;
      }
      const printed = commandLine(args);
      if (format === 'json') same(JSON.parse(file.text), JSON.parse(printed), 'JSON');
      else sameText(file.text, printed);
    });
  }

  test('a download that cannot be written says why beside its field', async () => {
    const { page, problems } = await openPage(browser, '#tee/50/75/10?name=2PAD&freq=1G:1M:3');
    await page.click('button[data-format="spice"]');
    assert.equal(await page.$eval('#message-name', (m) => m.textContent),
      "'2PAD' is not a SPICE name: a letter, then letters, digits and underscores");
    await page.$eval('#name', (input) => input.select());
    await page.keyboard.press('Backspace');
    await page.click('button[data-format="touchstone"]');
    assert.equal(await page.$eval('#message-freq', (m) => m.textContent),
      "cannot read frequencies '1G:1M:3': START:STOP:POINTS, such as 1MHz:1GHz:11");
    assert.deepEqual(problems, []);
    await page.close();
  });
});
