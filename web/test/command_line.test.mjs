// The page against the command line: the native program named by
// PADCALC_NATIVE (build/padcalc), given the same entries.
//
// Downloads, saved by Chromium as a user saves them, against what the
// command line prints: JSON compared key by key, strings exactly and numbers
// to 1e-12 relative; SPICE and Touchstone text word by word, the same way,
// and a number equal on both sides must be written alike. Every network the
// page lists, in each format. Messages: what the page shows beside a field
// is what the command line says on standard error.
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

// Clicks a download button and reads the file Chromium saves, once Chromium
// says the download is complete: while it writes, it holds the file's name
// with an empty file beside the partial one, so the folder alone cannot tell.
async function downloaded(page, format) {
  const into = mkdtempSync(join(folder, format + '-'));
  const session = await page.createCDPSession();
  let name;
  const done = new Promise((resolve, reject) => {
    const timer = setTimeout(() => reject(new Error(`no ${format} download`)), 10000);
    session.on('Browser.downloadWillBegin', (e) => { name = e.suggestedFilename; });
    session.on('Browser.downloadProgress', (e) => {
      if (e.state === 'inProgress') return;
      clearTimeout(timer);
      if (e.state === 'completed') resolve();
      else reject(new Error(`the ${format} download was ${e.state}`));
    });
  });
  await session.send('Browser.setDownloadBehavior', { behavior: 'allow', downloadPath: into, eventsEnabled: true });
  await page.click(`button[data-format="${format}"]`);
  await done;
  await session.detach();
  assert.deepEqual(readdirSync(into), [name], 'the folder holds the one file, complete');
  return { name, text: readFileSync(join(into, name), 'utf8') };
}

function commandLine(args) {
  const run = spawnSync(native, args, { encoding: 'utf8' });
  assert.ok(run.status === 0 || run.status === 1, `${args.join(' ')}: status ${run.status} ${run.stderr}`);
  return run.stdout;
}

// The command line's first complaint, without its "padcalc: ".
function complaint(args) {
  const run = spawnSync(native, args, { encoding: 'utf8' });
  assert.ok(run.status === 1 || run.status === 2, `${args.join(' ')}: status ${run.status}`);
  return run.stderr.split('\n')[0].replace(/^padcalc: /, '');
}

const haveNative = () => native && existsSync(native);

// The networks the command line knows, as its --help names them.
function commandLineNetworks() {
  const help = spawnSync(native, ['--help'], { encoding: 'utf8' }).stdout;
  return [...new Set([...help.matchAll(/NETWORK: (.*)/g)].flatMap((m) => m[1].split(', ')))].sort();
}

// The networks the page lists, with the number of entries each takes, from
// its own list (so a network added to the library is tested here as it is).
async function listedNetworks() {
  const { page } = await openPage(browser);
  const listed = [];
  for (const id of await page.$$eval('#network option', (options) => options.map((o) => o.value))) {
    await page.select('#network', id);
    listed.push({ id, entries: await page.$$eval('#entry-fields input', (all) => all.map((i) => i.id.slice(2))) });
  }
  await page.close();
  return listed;
}

// Entries every network can be built from: the larger impedance inward for
// the minimal loss pads, and 20 dB above 75 to 50 ohms' least loss.
const buildable = { z1: '75', z2: '50', loss: '20' };
// And a grid of harder entries, where the two maths libraries are more
// likely to part: large impedances 0.07 dB above the least loss, and a
// ratio of 7.8 at 120 dB.
const grid = [{ z1: '2M2', z2: '1M', loss: '8.3' }, { z1: '4k7', z2: '600', loss: '120' }];

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
  ['#tee/50/50/10?series=E24&pairs&power=1W&rating=0.25W&load=all&max-voltage=4V&ambient=85', 'json',
    ['tee', '50', '50', '10', '--series', 'E24', '--pairs', '--power', '1W', '--rating', '0.25W', '--load', 'all',
      '--max-voltage', '4V', '--ambient', '85', '--json'], 'TEE_50_50_10DB.json'],
  ['#pi/50/50/20?series=E24&package=0402&cg=0.1pF&freq=1M:10G:5&compare', 'json',
    ['pi', '50', '50', '20', '--series', 'E24', '--package', '0402', '--cg', '0.1pF', '--freq', '1M:10G:5', '--compare',
      '--json'], 'PI_50_50_20DB.json'],
  ['#check/tee/50/50/26/26/35?power=1W&load=3:1&ls=0.4nH&freq=1M:1G:3', 'json',
    ['check', 'tee', '50', '50', '26', '26', '35', '--power', '1W', '--load', '3:1', '--ls', '0.4nH', '--freq', '1M:1G:3',
      '--json'], 'padcalc-check-tee.json'],
  ['#tee/50/75/10?package=0603&freq=1M:3G:4', 'touchstone',
    ['tee', '50', '75', '10', '--package', '0603', '--touchstone', '-', '--freq', '1M:3G:4'], 'TEE_50_75_10DB.s2p'],
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

  // Each network in each format, and a check of its design's resistors.
  const variants = [
    ['json', '', ['--json']],
    ['json', '?series=E24&pairs&tolerance=1&power=1W&rating=0.25W',
      ['--series', 'E24', '--pairs', '--tolerance', '1', '--power', '1W', '--rating', '0.25W', '--json']],
    ['spice', '?series=E96&nearest&name=PAD_X', ['--series', 'E96', '--nearest', '--spice', '--name', 'PAD_X']],
    ['touchstone', '?series=E192&pairs&freq=10k:100M:7',
      ['--series', 'E192', '--pairs', '--touchstone', '-', '--freq', '10k:100M:7']],
  ];
  test('every network the page lists, in every format, over a grid of entries and as a check, as the command line writes it', async (t) => {
    if (!haveNative()) {
      t.skip('PADCALC_NATIVE does not name the built command line');
      return;
    }
    // The page lists every network the command line knows.
    const networks = await listedNetworks();
    assert.deepEqual(networks.map((n) => n.id).sort(), commandLineNetworks());
    for (const { id, entries } of networks) {
      const values = entries.map((key) => buildable[key]);
      for (const [format, query, options] of variants) {
        const { page, problems } = await openPage(browser, `#${id}/${values.join('/')}${query}`);
        const file = await downloaded(page, format);
        assert.deepEqual(problems, [], id);
        await page.close();
        const args = [id, ...values, ...options];
        if (format === 'json') same(JSON.parse(file.text), JSON.parse(commandLine(args)), `${id} JSON`);
        else sameText(file.text, commandLine(args));
      }
      for (const entry of grid) {
        const hard = entries.map((key) => entry[key]);
        const { page, problems } = await openPage(browser, `#${id}/${hard.join('/')}?series=E96&tolerance=1&power=1W`);
        const file = await downloaded(page, 'json');
        assert.deepEqual(problems, [], id);
        await page.close();
        const args = [id, ...hard, '--series', 'E96', '--tolerance', '1', '--power', '1W', '--json'];
        same(JSON.parse(file.text), JSON.parse(commandLine(args)), `${id} ${hard.join(' ')} JSON`);
      }
      // The design's resistors, in full, checked between its impedances.
      const report = JSON.parse(commandLine([id, ...values, '--json']));
      const resistors = Object.values(report.resistors).map(String);
      const entered = [report.z1, report.z2].map(String);
      const { page, problems } = await openPage(browser,
        `#check/${id}/${[...entered, ...resistors].join('/')}?power=1W&rating=0.25W`);
      const file = await downloaded(page, 'json');
      assert.equal(file.name, `padcalc-check-${id}.json`);
      assert.deepEqual(problems, [], id);
      await page.close();
      const args = ['check', id, ...entered, ...resistors, '--power', '1W', '--rating', '0.25W', '--json'];
      same(JSON.parse(file.text), JSON.parse(commandLine(args)), `check ${id} JSON`);
    }
  });

  test('a download that cannot be written says why beside its field', async () => {
    const { page, problems } = await openPage(browser, '#tee/50/75/10?name=2PAD&freq=1G:1M:3');
    await page.click('button[data-format="spice"]');
    assert.equal(await page.$eval('#message-name', (m) => m.textContent),
      "--name '2PAD': not a SPICE name: a letter, then letters, digits and underscores");
    await page.$eval('#name', (input) => input.select());
    await page.keyboard.press('Backspace');
    await page.click('button[data-format="touchstone"]');
    assert.equal(await page.$eval('#message-freq', (m) => m.textContent),
      "--freq '1G:1M:3': STOP must not be below START");
    // A file too large for a page to hold, said rather than a crash.
    await page.$eval('#freq', (input) => input.select());
    await page.keyboard.type('1M:20G:50001');
    await page.click('button[data-format="json"]');
    await page.waitForFunction(() => document.getElementById('message-freq').textContent.includes('50,000'));
    assert.equal(await page.$eval('#message-freq', (m) => m.textContent),
      "--freq '1M:20G:50001': the page writes a file of at most 50,000 frequencies; the command line writes up to 1,000,000");
    assert.deepEqual(problems, []);
    await page.close();
  });
});

// The page's address and the command line's arguments for the same
// entries; with a format, the message comes from that download's button.
const refusals = [
  ['#tee/5O/75/10', ['tee', '5O', '75', '10']],
  ['#bridged-tee/4k7R/6', ['bridged-tee', '4k7R', '6']],
  ['#h/600/150/1:20:x', ['h', '600', '150', '1:20:x']],
  ['#l-pad/50/', ['l-pad', '50', '']],
  ['#min-loss/600/75.5.5', ['min-loss', '600', '75.5.5']],
  ['#check/pi/50/50/96.25/96R25R/71.15', ['check', 'pi', '50', '50', '96.25', '96R25R', '71.15']],
  ['#check/u-pad/50/50/1k/x1k', ['check', 'u-pad', '50', '50', '1k', 'x1k']],
  ['#tee/50/75/10?series=E7', ['tee', '50', '75', '10', '--series', 'E7']],
  ['#tee/50/75/10?series=E24&tolerance=100', ['tee', '50', '75', '10', '--series', 'E24', '--tolerance', '100']],
  ['#pi/50/75/10?power=1%20W', ['pi', '50', '75', '10', '--power', '1 W']],
  ['#pi/50/75/10?power=0.25', ['pi', '50', '75', '10', '--power', '0.25']],
  ['#pi/50/75/10?rating=1W', ['pi', '50', '75', '10', '--rating', '1W']],
  ['#pi/50/75/10?power=1W&rating=2x', ['pi', '50', '75', '10', '--power', '1W', '--rating', '2x']],
  ['#check/h/50/75/1/1/1?rating=1W', ['check', 'h', '50', '75', '1', '1', '1', '--rating', '1W']],
  ['#tee/50/75/3', ['tee', '50', '75', '3']],
  ['#min-loss/50/75', ['min-loss', '50', '75']],
  ['#u-pad/-50/6', ['u-pad', '-50', '6']],
  ['#check/pi/50/50/96/96/0', ['check', 'pi', '50', '50', '96', '96', '0']],
  ['#tee/100M/100M/10?series=E24', ['tee', '100M', '100M', '10', '--series', 'E24']],
  ['#tee/50/75/10?name=2PAD', ['tee', '50', '75', '10', '--spice', '--name', '2PAD'], 'spice'],
  ['#tee/50/75/10?freq=1G:1M:3', ['tee', '50', '75', '10', '--freq', '1G:1M:3']],
  ['#pi/50/75/10?freq=1k:1k:2', ['pi', '50', '75', '10', '--freq', '1k:1k:2']],
  ['#tee/50/75/10?power=1W&load=2:2', ['tee', '50', '75', '10', '--power', '1W', '--load', '2:2']],
  ['#tee/50/75/10?power=1W&rating=1W&ambient=200', ['tee', '50', '75', '10', '--power', '1W', '--rating', '1W', '--ambient', '200']],
  ['#check/tee/50/50/26/26/35?ls=2H', ['check', 'tee', '50', '50', '26', '26', '35', '--ls', '2H']],
  ['#tee/50/75/10?flat=0.5', ['tee', '50', '75', '10', '--flat', '0.5']],
  ['#tee/50/75/10?package=0805', ['tee', '50', '75', '10', '--package', '0805']],
];

describe('messages', () => {
  test('each refusal is worded as the command line words it', async (t) => {
    if (!haveNative()) {
      t.skip('PADCALC_NATIVE does not name the built command line');
      return;
    }
    for (const [hash, args, format] of refusals) {
      const { page, problems } = await openPage(browser, hash);
      if (format) await page.click(`button[data-format="${format}"]`);
      const shown = await page.$$eval('.message', (all) => all.filter((m) => m.textContent && m.offsetParent)
        .map((m) => m.textContent.split('\n')[0]));
      assert.deepEqual(shown, [complaint(args)], hash);
      assert.deepEqual(problems, [], hash);
      await page.close();
    }
  });
});

// What the page says of the parts at radio frequencies is what the text
// report says, and it plots the response of the design and of each build.
describe('radio frequency', () => {
  test('where the pad holds, for the design, its builds and every network, in the text report\'s words', async (t) => {
    if (!haveNative()) {
      t.skip('PADCALC_NATIVE does not name the built command line');
      return;
    }
    const { page, problems } = await openPage(browser, '#tee/50/50/10?series=E24&package=0402&cg=0.1pF&compare');
    const text = commandLine(['tee', '50', '50', '10', '--series', 'E24', '--package', '0402', '--cg', '0.1pF', '--compare']);
    const said = (await page.$eval('#result-body', (b) => b.innerText)).split('\n');
    for (const line of text.split('\n').filter((l) => /holds|Each resistor with/.test(l))) {
      const words = line.trim().replace(/^it /i, '').replace(/^(\S+)\s+(holds|does)/, '$2');
      assert.ok(said.some((s) => s.includes(words)), words);
    }
    // A loss curve for the ideal design and each build; return losses in and out of each.
    assert.deepEqual(await page.$$eval('figure.response', (all) => all.map((f) => f.querySelectorAll('path.curve').length)), [3, 6]);
    assert.deepEqual(problems, []);
    await page.close();
    // A long sweep is drawn through about 500 of its points, both ends kept.
    const long = await openPage(browser, '#tee/50/50/10?package=0402&freq=1M:1G:2001');
    const points = await long.page.$eval('path.curve', (p) => p.getAttribute('d').split('L').length);
    assert.ok(points >= 400 && points <= 502, `${points} points`);
    assert.deepEqual(long.problems, []);
    await long.page.close();
  });
});
