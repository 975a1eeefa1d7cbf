// The built page in Chromium, opened from file:// as a user opens it: every
// network the library lists designs; faults are shown beside their fields;
// the address keeps the entries; the keyboard reaches every control.
import assert from 'node:assert/strict';
import { after, before, describe, test } from 'node:test';
import { launch, openPage, pageIsBuilt } from '../browser.mjs';

let browser;

before(async () => {
  assert.ok(pageIsBuilt(), 'the page is not built: emcmake cmake -S . -B build-web && cmake --build build-web --target padcalc_web');
  browser = await launch();
});
after(() => browser?.close());

// Types into a field as a user does, replacing what it holds.
async function fill(page, selector, text) {
  await page.$eval(selector, (input) => input.select());
  if (text) await page.keyboard.type(text);
  else await page.keyboard.press('Backspace');
}

const text = (page, selector) => page.$eval(selector, (e) => e.textContent.trim());
const messages = (page) =>
  page.$$eval('.message', (all) => all.filter((m) => m.textContent && m.offsetParent).map((m) => [m.id, m.textContent]));

// The library's own table of networks, asked as the page asks it.
const libraryNetworks = (page) => page.evaluate(async () => {
  const call = (await createPadcalc()).cwrap('padcalc_call', 'string', ['string']);
  return JSON.parse(call(JSON.stringify({ op: 'networks' }))).networks;
});

describe('networks', () => {
  test('every network the library lists appears, designs and is drawn', async () => {
    const { page, problems } = await openPage(browser);
    const networks = await page.$$eval('#network option', (options) => options.map((o) => [o.value, o.textContent]));
    const library = await libraryNetworks(page);
    assert.deepEqual(networks, library.map((n) => [n.id, n.title]));
    for (const [id, title] of networks) {
      await page.select('#network', id);
      // Entries every network can be built from: the minimal loss pads need
      // the larger impedance inward, and 20 dB is above 75 to 50 ohms' least loss.
      for (const [key, value] of [['z1', '75'], ['z2', '50'], ['loss', '20']])
        if (await page.$('#f-' + key)) await fill(page, '#f-' + key, value);
      assert.equal(await text(page, '#result-title'), title, id);
      assert.deepEqual(await messages(page), [], id);
      // The first table is the resistors'; the L-pad's figures follow.
      const rows = await page.$$eval('#result-body table', (tables) =>
        [...tables[0].querySelectorAll('tbody tr')].map((tr) => [...tr.children].map((td) => td.textContent)));
      assert.ok(rows.length >= 2, id);
      for (const [name, role, value] of rows) {
        assert.match(name, /^R\d/, id);
        assert.ok(role.length > 0, id);
        assert.match(value, /^\d+(\.\d+)? [kM]?Ω$/, `${id} ${name} ${value}`);
      }
      // Each resistor is drawn and named where it sits, with its value.
      const drawn = await page.$$eval('#drawing .resistor', (groups) =>
        groups.map((g) => [g.querySelector('.name').textContent, g.querySelector('.value').textContent]));
      const named = new Set(drawn.map(([name]) => name));
      assert.deepEqual([...named].sort(), rows.map(([name]) => name).sort(), id);
      for (const [name, value] of drawn) assert.equal(value, rows.find((r) => r[0] === name)[2], id);
      assert.ok(await page.$$eval('#drawing path.wire', (p) => p[0].getAttribute('d').length > 50), id);
      // A network matched at the inward port only, such as the L-pad, says so.
      const inwardOnly = await page.$eval('#result-body', (b) => b.textContent.includes('Matched at the inward port only.'));
      assert.equal(inwardOnly, !library.find((n) => n.id === id).outward_matched, id);
      // ... and give the impedance and return loss at each port, as a check does.
      const figures = await page.$eval('#result-body', (b) => b.textContent.includes('Loss and match'));
      assert.equal(figures, inwardOnly, id);
    }
    assert.deepEqual(problems, []);
    await page.close();
  });

  test('preferred values with pairs, tolerance and power show both builds', async () => {
    const { page, problems } = await openPage(browser, '#tee/50/75/10?series=E24&pairs&tolerance=1&power=1W&rating=0.25W');
    const body = await text(page, '#result-body');
    for (const part of ['Builds from E24', 'Merit', 'Loss over 1 % tolerance', 'Power in the best build', 'over its rating'])
      assert.ok(body.includes(part), part);
    // R1 of the best E24 build is made of a pair.
    assert.match(body, /R1.*18\.10 Ω5\.100 Ω \+ 13\.00 Ω/s);
    assert.deepEqual(problems, []);
    await page.close();
  });
});

describe('faults', () => {
  test('a value that cannot be read is shown beside its field and nothing else changes', async () => {
    const { page, problems } = await openPage(browser, '#tee/50/75/10');
    // The keystroke that makes a value unreadable: what was shown before it
    // stays. The messages are the command line's, naming its argument.
    const notOhms = 'not a resistance in ohms: such as 50, 4k7, 2R2, 2.2M or 50ohm';
    const notLoss = 'not a loss in dB (10, 10dB) or a sweep FROM:TO:STEP (1:20:0.5)';
    for (const [key, typed, last, message] of [
      ['z1', '4x', '7', `Z1 '4x7': ${notOhms}`],
      ['z2', '75 ', 'Ω', `Z2 '75 Ω': ${notOhms}`],
      ['loss', '10 dB', 'm', `LOSS '10 dBm': ${notLoss}`],
      ['loss', '9', 'Backspace', `LOSS '': ${notLoss}`],
      // A sweep is read as the command line reads it, but the page designs one loss.
      ['loss', '1:20:', '1', "LOSS '1:20:1': the page takes one loss, not a sweep"],
    ]) {
      const before = await page.$eval('#f-' + key, (i) => i.value);
      await fill(page, '#f-' + key, typed);
      const results = await page.$eval('#results', (r) => r.outerHTML);
      const address = await page.evaluate(() => location.href);
      if (last === 'Backspace') await page.keyboard.press(last);
      else await page.keyboard.type(last);
      assert.deepEqual(await messages(page), [['message-' + key, message]]);
      assert.equal(await page.$eval('#f-' + key, (i) => i.getAttribute('aria-invalid')), 'true');
      assert.equal(await page.$eval('#results', (r) => r.outerHTML), results);
      assert.equal(await page.evaluate(() => location.href), address);
      await fill(page, '#f-' + key, before);
      assert.deepEqual(await messages(page), []);
    }
    // Engineers' forms are read, and the same value gives the same results.
    await fill(page, '#f-z1', '50ohm');
    await fill(page, '#f-loss', '10dB');
    assert.equal(await page.$eval('#result-body', (r) => r.textContent.includes('18.08 Ω')), true);
    assert.deepEqual(problems, []);
    await page.close();
  });

  test('a design that cannot be built gives the library\'s reason and the least loss', async () => {
    const { page, problems } = await openPage(browser, '#tee/50/75/3');
    const reason = 'cannot be built: the loss must be greater than 5.719 dB for these impedances';
    assert.deepEqual(await messages(page), [['message-loss', reason]]);
    assert.equal(await text(page, '#result-body .reason'), reason);
    assert.equal(await text(page, '#least-loss'), '5.719 dB');
    // Where the reason does not say the least loss, the message adds it.
    await page.select('#network', 'min-loss');
    assert.deepEqual(await messages(page), [['message-z2',
      'cannot be built: the inward impedance must be greater than the outward impedance\n' +
      'Least loss for these impedances: 5.719 dB']]);
    await fill(page, '#f-z1', '-50');
    assert.deepEqual(await messages(page), [['message-z1',
      'cannot be built: the impedances must be positive, finite numbers']]);
    assert.equal(await page.$('#least-loss'), null);
    assert.deepEqual(problems, []);
    await page.close();
  });

  test('the options of a series are dropped with the series, as the address drops them', async () => {
    const { page, problems } = await openPage(browser, '#tee/50/75/10?series=E24&pairs&tolerance=1');
    await fill(page, '#tolerance', '100');
    assert.deepEqual(await messages(page), [['message-tolerance',
      "--tolerance '100': must be from 0 % to below 100 %"]]);
    // With no series, the tolerance and pairs are not asked for: no message,
    // and the ideal values alone.
    await page.select('#series', '');
    assert.deepEqual(await messages(page), []);
    assert.equal(await page.evaluate(() => location.hash), '#tee/50/75/10');
    assert.equal(await page.$('#result-body .parts'), null);
    assert.ok(!(await text(page, '#result-body')).includes('Builds from'));
    assert.deepEqual(problems, []);
    await page.close();
  });

  test('an address with a value that cannot be read opens with its message', async () => {
    const { page, problems } = await openPage(browser, '#tee/50/7x5/10');
    assert.deepEqual(await messages(page), [['message-z2',
      "Z2 '7x5': not a resistance in ohms: such as 50, 4k7, 2R2, 2.2M or 50ohm"]]);
    assert.equal(await page.$eval('#f-z2', (i) => i.value), '7x5');
    assert.deepEqual(problems, []);
    await page.close();
  });

  test('options and the entries of a check are read the same way', async () => {
    const { page, problems } = await openPage(browser, '#check/pi/50/50/96.25/96.25/71.15');
    assert.equal(await text(page, '#result-title'), 'Unbalanced Pi, checked');
    assert.ok((await text(page, '#result-body')).includes('9.9998 dB'));
    await fill(page, '#f-r3', '71,15');
    assert.deepEqual(await messages(page), [['message-r3',
      "R3 '71,15': not a resistance in ohms: such as 50, 4k7, 2R2, 2.2M or 50ohm"]]);
    await fill(page, '#f-r3', '0');
    assert.deepEqual(await messages(page), [['message-r3',
      'cannot be built: the resistors must be positive, finite numbers\nLeast loss for these impedances: 0.000 dB']]);
    await fill(page, '#f-r3', '71.15');
    await fill(page, '#power', '1 W');
    assert.deepEqual(await messages(page), [['message-power',
      "--power '1 W': not a power: write W with an optional prefix (1W, 250mW), or dBm (30dBm)"]]);
    await fill(page, '#power', '');
    await fill(page, '#rating', '1W');
    assert.deepEqual(await messages(page), [['message-rating', '--rating requires --power']]);
    assert.deepEqual(problems, []);
    await page.close();
  });
});

describe('address', () => {
  test('the entries and options survive a reload', async () => {
    const { page, problems } = await openPage(browser);
    await page.select('#network', 'pi-bal');
    await fill(page, '#f-z1', '600');
    await fill(page, '#f-z2', '4k7');
    await fill(page, '#f-loss', '20dB');
    await page.select('#series', 'E96');
    await page.click('#pairs');
    await fill(page, '#tolerance', '0.5');
    await fill(page, '#power', '30dBm');
    await fill(page, '#load', 'all');
    await page.select('#package', '0603');
    await fill(page, '#cg', '0.1pF');
    await page.click('#compare');
    const hash = await page.evaluate(() => location.hash);
    assert.equal(hash, '#pi-bal/600/4k7/20dB?series=E96&pairs&tolerance=0.5&power=30dBm&load=all&package=0603&cg=0.1pF&compare');
    const results = await text(page, '#result-body');
    await page.reload();
    await page.waitForFunction(() => performance.getEntriesByName('padcalc-ready').length > 0);
    assert.equal(await page.evaluate(() => location.hash), hash);
    assert.equal(await page.$eval('#network', (s) => s.value), 'pi-bal');
    assert.deepEqual(await page.$$eval('#entry-fields input', (all) => all.map((i) => i.value)), ['600', '4k7', '20dB']);
    assert.equal(await page.$eval('#series', (s) => s.value), 'E96');
    assert.equal(await page.$eval('#pairs', (c) => c.checked), true);
    assert.equal(await page.$eval('#package', (s) => s.value), '0603');
    assert.equal(await page.$eval('#compare', (c) => c.checked), true);
    assert.equal(await text(page, '#result-body'), results);
    assert.deepEqual(problems, []);
    await page.close();
  });

  test('an address typed in its place is taken up at once', async () => {
    const { page, problems } = await openPage(browser, '#tee/50/75/10');
    await page.evaluate(() => { location.hash = '#min-loss/600/150?power=1W'; });
    await page.waitForFunction(() => document.getElementById('result-title').textContent.startsWith('Minimal Loss'));
    assert.deepEqual(await page.$$eval('#entry-fields input', (all) => all.map((i) => i.value)), ['600', '150']);
    assert.equal(await page.$eval('#power', (i) => i.value), '1W');
    assert.equal(await text(page, '#pad-loss'), '11.439 dB');
    assert.deepEqual(problems, []);
    await page.close();
  });

  test('a check is kept in the address, and starts from the last design', async () => {
    const { page, problems } = await openPage(browser, '#pi/50/50/10');
    await page.click('input[name="mode"][value="check"]');
    assert.deepEqual(await page.$$eval('#entry-fields input', (all) => all.map((i) => i.value)),
      ['50', '50', '96.25', '96.25', '71.15']);
    assert.equal(await page.evaluate(() => location.hash), '#check/pi/50/50/96.25/96.25/71.15');
    await page.reload();
    await page.waitForFunction(() => performance.getEntriesByName('padcalc-ready').length > 0);
    assert.equal(await page.$eval('input[name="mode"]:checked', (r) => r.value), 'check');
    assert.equal(await text(page, '#result-title'), 'Unbalanced Pi, checked');
    assert.deepEqual(problems, []);
    await page.close();
  });
});

describe('keyboard', () => {
  // Every control the user can use, in either mode, and each with a label.
  test('Tab alone reaches every control, and every field has a label', async () => {
    const { page, problems } = await openPage(browser, '#tee/50/75/10?series=E24');
    for (const mode of ['design', 'check']) {
      if (mode === 'check') {
        await page.focus('input[name="mode"][value="design"]');
        await page.keyboard.press('ArrowDown'); // the radio group moves with the arrow keys
        assert.equal(await page.$eval('input[name="mode"]:checked', (r) => r.value), 'check');
        await page.evaluate(() => document.activeElement.blur());
      }
      const controls = await page.evaluate(() => {
        const all = [...document.querySelectorAll('a[href], button, input, select, textarea')];
        return all.filter((e) => !e.disabled && e.offsetParent && !(e.type === 'radio' && !e.checked))
          .map((e) => e.id || e.name + ':' + e.value || e.textContent.trim());
      });
      const unlabelled = await page.evaluate(() => [...document.querySelectorAll('input, select')]
        .filter((e) => e.offsetParent && ![...(e.labels || [])].some((l) => l.textContent.trim()))
        .map((e) => e.id || e.name));
      assert.deepEqual(unlabelled, [], mode);
      const reached = new Set();
      await page.evaluate(() => window.scrollTo(0, 0));
      for (let i = 0; i < controls.length + 5; i++) {
        await page.keyboard.press('Tab');
        reached.add(await page.evaluate(() => {
          const e = document.activeElement;
          return e.id || e.name + ':' + e.value || e.textContent.trim();
        }));
      }
      assert.deepEqual(controls.filter((c) => !reached.has(c)), [], mode);
    }
    assert.deepEqual(problems, []);
    await page.close();
  });
});
