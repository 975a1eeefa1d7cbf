// Debian's Chromium, headless, opening the built page by its file:// address:
// shared by the tests, the benchmark and the screenshots.
import { existsSync, mkdtempSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { dirname, join, resolve } from 'node:path';
import { fileURLToPath, pathToFileURL } from 'node:url';
import puppeteer from 'puppeteer-core';

const here = dirname(fileURLToPath(import.meta.url));

// The built page's folder: PADCALC_WEB_DIR, else build-web/web in the source tree.
export const pageDir = resolve(process.env.PADCALC_WEB_DIR || join(here, '..', 'build-web', 'web'));
export const pageFile = join(pageDir, 'index.html');
export const pageUrl = pathToFileURL(pageFile).href;
export const chromium = process.env.PADCALC_CHROMIUM || '/usr/bin/chromium';

export function pageIsBuilt() {
  return existsSync(pageFile) && existsSync(join(pageDir, 'padcalc.js'));
}

// A browser with a profile of its own, removed when it closes.
export async function launch() {
  const profile = mkdtempSync(join(tmpdir(), 'padcalc-chromium-'));
  const browser = await puppeteer.launch({
    executablePath: chromium,
    headless: true,
    userDataDir: profile,
    args: [
      '--no-sandbox',
      '--disable-gpu',
      '--disable-quic',
      '--no-first-run',
      '--disable-background-networking',
      '--disable-component-update',
      '--disable-sync',
    ],
  });
  const close = browser.close.bind(browser);
  browser.close = async () => {
    await close();
    rmSync(profile, { recursive: true, force: true });
  };
  return browser;
}

// A new tab that records every console error and uncaught exception, and
// the address of every request that is not for the page's own files.
export async function openPage(browser, hash = '', viewport = { width: 1200, height: 900 }) {
  const page = await browser.newPage();
  await page.setViewport(viewport);
  const problems = [];
  page.on('pageerror', (e) => problems.push('exception: ' + e.message));
  page.on('console', (m) => {
    if (m.type() === 'error' || m.type() === 'warning') problems.push(`console ${m.type()}: ${m.text()}`);
  });
  page.on('request', (r) => {
    const url = r.url();
    if (!url.startsWith('file://') && !url.startsWith('data:') && !url.startsWith('blob:'))
      problems.push('request to another host: ' + url);
  });
  await page.goto(pageUrl + hash);
  // Ready, or a message that the calculator could not start.
  await page.waitForFunction(() => performance.getEntriesByName('padcalc-ready').length > 0 ||
    document.getElementById('starting')?.textContent.includes('could not start'), { timeout: 10000 });
  return { page, problems };
}
