// Screenshots of the built page for the README, at a desktop's width and at
// a phone's (375 px), into doc/.
import { dirname, join } from 'node:path';
import { fileURLToPath } from 'node:url';
import { launch, openPage } from '../browser.mjs';

const doc = join(dirname(fileURLToPath(import.meta.url)), '..', '..', 'doc');
const hash = '#tee/50/75/10?series=E24&pairs&tolerance=1';
const shots = [
  ['web-desktop.png', { width: 1280, height: 1000 }, false],
  ['web-phone.png', { width: 375, height: 812, isMobile: true, hasTouch: true }, false],
];

const browser = await launch();
try {
  for (const [file, viewport, full] of shots) {
    const { page, problems } = await openPage(browser, hash, viewport);
    if (problems.length) throw new Error(problems.join('\n'));
    await page.screenshot({ path: join(doc, file), fullPage: full });
    console.log(join(doc, file));
    await page.close();
  }
} finally {
  await browser.close();
}
