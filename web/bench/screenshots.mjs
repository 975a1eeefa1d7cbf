// Screenshots of the built page for the README, at a desktop's width and at
// a phone's (375 px), into doc/.
import { dirname, join } from 'node:path';
import { fileURLToPath } from 'node:url';
import { launch, openPage } from '../browser.mjs';

const doc = join(dirname(fileURLToPath(import.meta.url)), '..', '..', 'doc');
const design = '#tee/50/75/10?series=E24&pairs&tolerance=1';
const radio = '#tee/50/50/10?series=E24&package=0402&cg=0.1pF&compare';
// Each: the file, the address, the viewport, and the part of the page shown
// (all that fits in the viewport when none is named).
const shots = [
  ['web-desktop.png', design, { width: 1280, height: 1000 }, null],
  ['web-phone.png', design, { width: 375, height: 812, isMobile: true, hasTouch: true }, null],
  ['web-radio.png', radio, { width: 1280, height: 1000 }, '#results'],
];

const browser = await launch();
try {
  for (const [file, hash, viewport, part] of shots) {
    const { page, problems } = await openPage(browser, hash, viewport);
    if (problems.length) throw new Error(problems.join('\n'));
    if (part) await (await page.$(part)).screenshot({ path: join(doc, file) });
    else await page.screenshot({ path: join(doc, file) });
    console.log(join(doc, file));
    await page.close();
  }
} finally {
  await browser.close();
}
