// Takes the pictures of the web page in headless Chromium: switched on, with the English gloss,
// with the side panels and an alarm, at the sizes of a phone (upright, on its side), a tablet
// and a laptop, and a lesson beside the front and on a phone. The browser's clock is set to a fixed time, so the pictures are the same
// on every run.
// Usage: node scripts/web-screenshots.mjs   (after scripts/build-web.sh and npm ci --prefix tests/web)
import { join } from 'node:path';
import { launchChromium, serveSite, sourceRoot, waitForLcd, waitForStart } from '../tests/web/harness.mjs';

const docs = join(sourceRoot, 'docs');
const site = await serveSite();
const chromium = await launchChromium();
try {
  const context = await chromium.newContext({ viewport: { width: 960, height: 680 } });
  const page = await context.newPage();
  await page.clock.install({ time: new Date(2026, 11, 8, 10, 15, 0) });
  await page.goto(site.url);
  await waitForStart(page);
  await page.click('#Shape6');
  await waitForLcd(page, 4, 'Varme   Info    Meny');
  await page.clock.runFor(2000);
  const frontAndBar = { x: 80, y: 0, width: 800, height: 650 };
  await page.screenshot({ path: join(docs, 'screenshot-web.png'), clip: frontAndBar });
  console.log('wrote docs/screenshot-web.png');

  // The English gloss under the front, in the main menu.
  await page.setViewportSize({ width: 960, height: 760 });
  await page.click('#EnglishButton');
  await page.click('#Shape3');
  await page.clock.runFor(200);
  await waitForLcd(page, 1, '_____Huvedmeny______');
  const withGloss = await page.locator('#Gloss').boundingBox();
  await page.screenshot({ path: join(docs, 'screenshot-web-english.png'),
    clip: { x: 80, y: 0, width: 800, height: withGloss.y + withGloss.height } });
  console.log('wrote docs/screenshot-web-english.png');
  await page.click('#EnglishButton');
  await page.click('#Shape1');
  await page.clock.runFor(200);
  await page.setViewportSize({ width: 960, height: 680 });

  await page.keyboard.press('F2');
  await page.keyboard.press('1');
  for (let i = 0; i < 72; ++i) {
    await page.keyboard.press('/');
  }
  await page.clock.runFor(70000);
  await waitForLcd(page, 1, 'ALARM          (GT1)');
  // A moment when the blinking alarm LED is lit.
  for (let tick = 0; tick < 12; ++tick) {
    await page.clock.runFor(50);
    const led = await page.$eval('#AlarmLed', (e) => getComputedStyle(e).backgroundColor);
    if (led === 'rgb(255, 0, 0)') {
      break;
    }
  }
  const panels = await page.locator('#MainFrm').boundingBox();
  await page.screenshot({ path: join(docs, 'screenshot-web-panels.png'),
    clip: { x: panels.x, y: 0, width: panels.width, height: 650 } });
  console.log('wrote docs/screenshot-web-panels.png');
  await context.close();

  // A phone upright and on its side, a tablet upright, a laptop: the whole viewport.
  for (const [width, height] of [[390, 844], [844, 390], [768, 1024], [1280, 800]]) {
    const touch = width < 1000;
    const device = await chromium.newContext({ viewport: { width, height }, hasTouch: touch,
      isMobile: touch });
    const shown = await device.newPage();
    await shown.clock.install({ time: new Date(2026, 11, 8, 10, 15, 0) });
    await shown.goto(site.url);
    await waitForStart(shown);
    await shown.click('#Shape6');
    await waitForLcd(shown, 4, 'Varme   Info    Meny');
    await shown.clock.runFor(2000);
    const name = `screenshot-web-${width}x${height}.png`;
    await shown.screenshot({ path: join(docs, name) });
    console.log(`wrote docs/${name}`);
    await device.close();
  }

  // A lesson: the first task done, the second under way with a hint taken.
  for (const [width, height, name] of [[1280, 800, 'screenshot-web-lesson.png'],
    [390, 844, 'screenshot-web-lesson-390x844.png']]) {
    const touch = width < 1000;
    const device = await chromium.newContext({ viewport: { width, height }, hasTouch: touch,
      isMobile: touch });
    const shown = await device.newPage();
    await shown.clock.install({ time: new Date(2026, 11, 8, 10, 15, 0) });
    await shown.goto(`${site.url}#lesson=first-steps`);
    await waitForStart(shown);
    await shown.waitForFunction(() => document.getElementById('LessonTask').textContent !== '');
    await shown.click('#Shape6');
    await shown.clock.runFor(3000);
    await shown.waitForFunction(() => /^Task 2 /.test(
      document.getElementById('LessonProgress').textContent));
    await shown.click('#LessonHint');
    await shown.clock.runFor(500);
    if (touch) {
      await shown.screenshot({ path: join(docs, name), fullPage: true });
    } else {
      const panel = await shown.locator('#LessonPanel').boundingBox();
      const front = await shown.locator('#MainFrm').boundingBox();
      await shown.screenshot({ path: join(docs, name), clip: { x: front.x, y: 0,
        width: panel.x + panel.width - front.x + 4, height: Math.max(650, panel.y + panel.height + 4) } });
    }
    console.log(`wrote docs/${name}`);
    await device.close();
  }
} finally {
  await chromium.close();
  await site.close();
}
