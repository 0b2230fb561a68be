// The page for everyone: the keyboard alone, and any file offered as Flash.dat.
import { after, before, describe, test } from 'node:test';
import assert from 'node:assert/strict';
import { mkdtemp, readFile, rm, writeFile } from 'node:fs/promises';
import { tmpdir } from 'node:os';
import { createRequire } from 'node:module';
import { join } from 'node:path';
import { launchChromium, lcdLines, serveSite, siteDir, waitForLcd, waitForStart } from './harness.mjs';

const MainKeys = 'Varme   Info    Meny';

let site;
let browser;

before(async () => {
  site = await serveSite();
  browser = await launchChromium();
});

after(async () => {
  await browser?.close();
  await site?.close();
});

async function openPage() {
  const context = await browser.newContext();
  const page = await context.newPage();
  page.on('close', () => context.close().catch(() => {}));
  await page.goto(site.url);
  await waitForStart(page);
  return page;
}

// The accessible name of the focused element, after `presses` more Tabs.
async function tabTo(page, name, presses = 1) {
  for (let i = 0; i < presses; ++i) {
    await page.keyboard.press('Tab');
  }
  const focused = await page.evaluate(() => {
    const element = document.activeElement;
    return element.getAttribute('aria-label') ?? element.textContent.trim();
  });
  assert.equal(focused, name);
}

describe('the keyboard alone', () => {
  test('switches on, walks the menu, changes and saves a setting, holds a key for SERVICE',
    { timeout: 120000 }, async () => {
      const page = await openPage();
      // Every control of the front has a role and its English name.
      for (const name of ['Power', 'Left key', 'Info key', 'Right key', 'Knob', 'Paneler']) {
        assert.equal(await page.getByRole('button', { name, exact: true }).count(), 1, name);
      }

      // The power switch comes first; Enter presses it.
      await tabTo(page, 'Power');
      assert.equal(await page.evaluate(() =>
        getComputedStyle(document.activeElement).outlineStyle), 'solid', 'a visible focus');
      await page.keyboard.press('Enter');
      await waitForLcd(page, 4, MainKeys);

      // The keys under the display, left to right, then the knob; Space presses "Meny".
      await tabTo(page, 'Left key');
      await tabTo(page, 'Info key');
      await tabTo(page, 'Right key');
      await page.keyboard.press(' ');
      await waitForLcd(page, 1, '_____Huvedmeny______');
      await tabTo(page, 'Knob');
      await page.keyboard.press('ArrowUp');
      await waitForLcd(page, 3, 'temperaturer_______3');
      await page.keyboard.press('Escape');
      await waitForLcd(page, 4, MainKeys);

      // "Varme": "Endre", five steps up, "Lagre" — a saved setting.
      for (let i = 0; i < 3; ++i) {
        await page.keyboard.press('Shift+Tab');
      }
      await tabTo(page, 'Left key', 0);
      await page.keyboard.press(' ');
      await waitForLcd(page, 1, '_Varme oke/redusere_');
      const before = (await lcdLines(page))[2];
      await tabTo(page, 'Right key', 2);
      await page.keyboard.press(' ');
      await waitForLcd(page, 4, 'Avbryt              ');
      for (let i = 0; i < 5; ++i) {
        await page.keyboard.press('ArrowUp');
      }
      await waitForLcd(page, 4, 'Avbryt         Lagre');
      await page.waitForTimeout(200);
      assert.notEqual((await lcdLines(page))[2], before);
      await page.keyboard.press(' ');
      await waitForLcd(page, 2, '      Lagrer...     ');
      await waitForLcd(page, 4, 'Tilbake        Endre');
      await page.keyboard.press('Escape');
      await waitForLcd(page, 4, MainKeys);

      // Space held 5 s on the focused right key is a held button: the SERVICE level.
      await page.keyboard.down(' ');
      await waitForLcd(page, 2, '  Access = SERVICE  ', 10000);
      await page.keyboard.up(' ');
      await waitForLcd(page, 4, MainKeys);
      assert.equal((await lcdLines(page))[0], '         ORV     I/S');

      // The page's own buttons take Enter and Space: "Settings" opens its view and keeps focus.
      await page.focus('#SettingsButton');
      await page.keyboard.press('Enter');
      assert.equal(await page.isVisible('#Settings'), true);
      await page.keyboard.press(' ');
      assert.equal(await page.isVisible('#Settings'), false);
      assert.equal((await lcdLines(page))[3], MainKeys, 'the keys did not reach the unit');
      await page.close();
    });
});

describe('a held key by keyboard', () => {
  test('Space held 3 s on the focused left key gives KUND2, not before', { timeout: 60000 },
    async () => {
      const context = await browser.newContext();
      const page = await context.newPage();
      try {
        await page.clock.install();
        await page.goto(site.url);
        await waitForStart(page);
        await tabTo(page, 'Power');
        await page.keyboard.press('Enter');
        await waitForLcd(page, 4, MainKeys);
        await tabTo(page, 'Left key');
        await page.keyboard.down(' ');
        await page.clock.runFor(2600);
        // Line 3 is the clock, which moves on by itself: the other lines say nothing happened.
        const held = await lcdLines(page);
        assert.deepEqual([held[1], held[3]], [' VARMEPUMPESTYRING  ', MainKeys],
          'held 2.6 s: nothing yet');
        await page.clock.runFor(600);
        await waitForLcd(page, 2, '   Access = KUND2   ');
        await page.keyboard.up(' ');
        // The release after a long press is no key press: the main display comes back, not the
        // "Varme" screen a short press of the left key opens.
        await page.clock.runFor(2500);
        await waitForLcd(page, 4, MainKeys);
        assert.match((await lcdLines(page))[0], /ORV +K2$/);
      } finally {
        await context.close();
      }
    });
});

describe('any file offered as Flash.dat', () => {
  test('a 0-byte, a 100-byte, a PNG and a 10 MB file: described, kept out until confirmed, undone',
    { timeout: 120000 }, async () => {
      const page = await openPage();
      await page.click('#Shape6');
      await waitForLcd(page, 4, MainKeys);
      const stored = () => page.evaluate(() => localStorage.getItem('kv410/Flash.dat'));
      await page.click('#SaveFlash');
      const kept = await stored();
      assert.ok(kept, 'the unit wrote its settings');
      const png = await readFile(join(siteDir, 'art', 'Image1.png'));
      const files = [
        { name: 'empty.dat', buffer: Buffer.alloc(0), says: /empty\.dat: 0 bytes; a Flash\.dat has 2048\. .*factory values/ },
        { name: 'short.dat', buffer: Buffer.alloc(100, 7), says: /100 bytes; .*its 100 bytes.*factory values/ },
        { name: 'front.png', buffer: png, says: /first 2048 bytes.*factory values/ },
      ];
      for (const file of files) {
        await page.setInputFiles('#FlashFile', { ...file, mimeType: 'application/octet-stream' });
        await page.waitForSelector('#OpenDialog[open]');
        assert.match(await page.textContent('#OpenText'), file.says);
        assert.equal(await stored(), kept, `${file.name}: nothing replaced before the answer`);
        assert.equal((await lcdLines(page))[3], MainKeys);
        await page.click('#OpenDialog button[value="cancel"]');
        await page.waitForFunction(() => /not opened/.test(document.getElementById('Status').textContent));
        assert.equal(await stored(), kept, `${file.name}: cancelled`);
      }

      // Confirmed, the 100-byte file starts the unit from factory values; "Undo" brings the
      // settings back, and Save still writes a whole image.
      await page.setInputFiles('#FlashFile', { ...files[1], mimeType: 'application/octet-stream' });
      await page.click('#OpenDialog button[value="open"]');
      await page.waitForFunction(() => /Opened short\.dat/.test(document.getElementById('Status').textContent));
      assert.notEqual(await stored(), kept);
      const [download] = await Promise.all([page.waitForEvent('download'), page.click('#SaveFlash')]);
      assert.equal((await readFile(await download.path())).length, 2048);
      await page.click('#UndoOpen');
      assert.equal(await stored(), kept);
      await waitForLcd(page, 4, MainKeys);
      assert.equal(await page.isVisible('#UndoOpen'), false);

      // 10 MB is refused before it is read; the unit and Save go on.
      const work = await mkdtemp(join(tmpdir(), 'kv410-big-'));
      try {
        const big = join(work, 'big.dat');
        await writeFile(big, Buffer.alloc(10 * 1024 * 1024));
        await page.setInputFiles('#FlashFile', big);
        await page.waitForFunction(() => /big\.dat was not opened/.test(document.getElementById('Status').textContent));
        assert.equal(await page.isVisible('#OpenDialog'), false);
        assert.equal(await stored(), kept);
        const [saved] = await Promise.all([page.waitForEvent('download'), page.click('#SaveFlash')]);
        assert.equal((await readFile(await saved.path())).length, 2048);
      } finally {
        await rm(work, { recursive: true, force: true });
      }
      await page.close();
    });
});

describe('several tabs', () => {
  test('one tab runs the unit; another says so, loses nothing when closed, and takes over',
    { timeout: 120000 }, async () => {
      const context = await browser.newContext();
      try {
        const first = await context.newPage();
        await first.goto(site.url);
        await waitForStart(first);
        await first.click('#Shape6');
        await waitForLcd(first, 4, MainKeys);
        // A saved quick setting: "Varme", "Endre", five steps up, "Lagre".
        await first.click('#Shape1');
        await waitForLcd(first, 1, '_Varme oke/redusere_');
        // The Graph, hidden at the start and not drawn then, is drawn once it is shown.
        await first.waitForFunction(() => {
          const graph = document.getElementById('Graph');
          const pixels = graph.getContext('2d').getImageData(0, 0, graph.width, graph.height).data;
          return !graph.hidden && pixels.some((value, i) => i % 4 === 3 && value !== 0);
        });
        await first.click('#Shape3');
        await waitForLcd(first, 4, 'Avbryt              ');
        for (let i = 0; i < 5; ++i) {
          await first.keyboard.press('ArrowUp');
        }
        await waitForLcd(first, 4, 'Avbryt         Lagre');
        await first.waitForTimeout(200);
        const changed = (await lcdLines(first))[2];
        await first.click('#Shape3');
        await waitForLcd(first, 4, 'Tilbake        Endre');
        const stored = (page) => page.evaluate(() => localStorage.getItem('kv410/Flash.dat'));
        const kept = await stored(first);

        // A second tab does not run the unit and writes nothing, open or closed.
        const second = await context.newPage();
        await second.goto(site.url);
        await second.waitForSelector('#Elsewhere:not([hidden])');
        assert.match(await second.textContent('#ElsewhereText'), /open in another tab/);
        assert.equal((await lcdLines(second))[3].trim(), '');
        await second.close();
        assert.equal(await stored(first), kept);

        // A third takes over: the first saves and stops, the third starts on its settings.
        const third = await context.newPage();
        await third.goto(site.url);
        await third.waitForSelector('#Elsewhere:not([hidden])');
        await third.click('#TakeOver');
        await waitForStart(third);
        await waitForLcd(third, 4, MainKeys);
        await first.waitForSelector('#Elsewhere:not([hidden])');
        assert.match(await first.textContent('#ElsewhereText'), /now runs in another tab/);
        await third.click('#Shape1');
        await waitForLcd(third, 1, '_Varme oke/redusere_');
        assert.equal((await lcdLines(third))[2], changed);
        // The first tab's front is still: its keys reach no unit, it writes nothing.
        const firstLines = await lcdLines(first);
        await first.keyboard.press('ArrowLeft');
        await first.waitForTimeout(300);
        assert.deepEqual(await lcdLines(first), firstLines);
      } finally {
        await context.close();
      }
    });
});

describe('a page script kept from before an update', () => {
  test('one that asks for the one-tab lock itself still runs the unit after "Take over here"',
    { timeout: 60000 }, async () => {
      const context = await browser.newContext();
      try {
        // The script as it was before the page's head asked for the lock.
        const script = (await readFile(join(siteDir, 'kv410-page.js'), 'utf8'))
          .replace('window.kv410LockAdopted = true;', '')
          .replace('window.kv410Lock ? window.kv410Lock.then(lockAnswer) : requestLock(false)',
            'requestLock(false)');
        assert.doesNotMatch(script, /kv410LockAdopted|kv410Lock\.then\(lockAnswer\)/);
        await context.route('**/kv410-page.js', (route) => route.fulfill({
          contentType: 'text/javascript', body: script }));
        const page = await context.newPage();
        await page.goto(site.url);
        await page.waitForSelector('#Elsewhere:not([hidden])');
        await page.click('#TakeOver');
        await waitForStart(page);
        await page.click('#Shape6');
        await waitForLcd(page, 4, MainKeys);
      } finally {
        await context.close();
      }
    });
});

describe('screen readers', () => {
  test('the LCD read out when its screen changes, LEDs and lamps by state, axe-core clean',
    { timeout: 120000 }, async () => {
      const page = await openPage();
      await page.click('#Shape6');
      await waitForLcd(page, 4, MainKeys);
      const spoken = () => page.textContent('#LcdSpoken');
      // The clock line comes when the unit's second turns, up to a second after the rest: the
      // screen is read out again with it.
      await page.waitForFunction(() =>
        /VARMEPUMPESTYRING\. \d{6}/.test(document.getElementById('LcdSpoken').textContent));
      assert.match(await spoken(),
        /^ORV +K1\. VARMEPUMPESTYRING\. \d{6} \d\d:\d\d:\d\d.*Varme +Info +Meny$/);
      assert.equal(await page.getAttribute('#LcdSpoken', 'aria-live'), 'polite');
      assert.equal(await page.getAttribute('#Lbl1', 'lang'), 'no');
      assert.equal(await page.getAttribute('#OnLed', 'aria-label'), 'On LED: lit');

      // Once the screen has settled (the weekday comes a moment after the time), three seconds
      // of the clock ticking announce nothing; a new screen is announced once.
      await page.waitForTimeout(1200);
      await page.waitForFunction(() => {
        const shape = (text) => text.replace(/[0-9]/g, '#');
        const shown = [1, 2, 3, 4].map((n) => document.getElementById(`Lbl${n}`).textContent
          .replace(/_+/g, ' ').trim()).filter((text) => text !== '').join('. ');
        return shape(document.getElementById('LcdSpoken').textContent) === shape(shown);
      });
      await page.evaluate(() => {
        window.announced = 0;
        new MutationObserver(() => ++window.announced).observe(
          document.getElementById('LcdSpoken'), { childList: true, characterData: true, subtree: true });
      });
      await page.waitForTimeout(3000);
      assert.equal(await page.evaluate(() => window.announced), 0);
      await page.click('#Shape3');
      await page.waitForFunction(() =>
        document.getElementById('LcdSpoken').textContent.startsWith('Huvedmeny'));
      await page.waitForTimeout(500);
      assert.equal(await page.evaluate(() => window.announced), 1);

      await page.keyboard.press('F2');
      assert.match(await page.getAttribute('#Led1', 'aria-label'), /: (lit|dark)$/);
      assert.equal(await page.getByRole('slider', { name: 'Retur Radiator GT1' }).count(), 1);
      await page.click('#SettingsButton');
      const axe = createRequire(import.meta.url).resolve('axe-core/axe.min.js');
      await page.addScriptTag({ path: axe });
      const result = await page.evaluate(() => window.axe.run());
      const grave = result.violations.filter((v) => ['serious', 'critical'].includes(v.impact));
      assert.deepEqual(grave.map((v) => `${v.id}: ${v.nodes.map((n) => n.target).join(' ')}`), []);
      await page.close();
    });
});

describe('a browser that cannot run it', () => {
  test('without JavaScript or without WebAssembly the page says so in English',
    { timeout: 60000 }, async () => {
      const noScript = await browser.newContext({ javaScriptEnabled: false });
      try {
        const page = await noScript.newPage();
        await page.goto(site.url);
        assert.match(await page.locator('noscript p').innerText(), /needs JavaScript/);
        assert.equal(await page.isVisible('.no-run'), true);
      } finally {
        await noScript.close();
      }
      const context = await browser.newContext();
      try {
        const page = await context.newPage();
        await page.addInitScript(() => {
          delete window.WebAssembly;
        });
        await page.goto(site.url);
        await page.waitForSelector('#NoRun:not([hidden])');
        assert.match(await page.textContent('#NoRun'), /could not start.*no WebAssembly/);
        // It lets go of the one-tab lock its head asked for: another tab runs the unit.
        const other = await context.newPage();
        await other.goto(site.url);
        await waitForStart(other);
        assert.equal(await other.isHidden('#Elsewhere'), true);
      } finally {
        await context.close();
      }
    });
});

describe('phones', () => {
  test('at 390x844 and 844x390 the whole front and every key is in view', { timeout: 60000 },
    async () => {
      for (const viewport of [{ width: 390, height: 844 }, { width: 844, height: 390 }]) {
        const context = await browser.newContext({ viewport, hasTouch: true, isMobile: true });
        try {
          const page = await context.newPage();
          await page.goto(site.url);
          await waitForStart(page);
          const size = `${viewport.width}x${viewport.height}`;
          for (const id of ['MainFrm', 'Shape6', 'Shape1', 'Shape2', 'Shape3', 'RattImage',
            'SpeedButton9', 'SpeedButton10', 'SpeedButton11', 'PanelsButton']) {
            const box = await page.locator(`#${id}`).boundingBox();
            assert.ok(box.x >= 0 && box.y >= 0 && box.x + box.width <= viewport.width + 0.5 &&
              box.y + box.height <= viewport.height + 0.5, `${size}: #${id} ${JSON.stringify(box)}`);
          }
          // A finger beside a drawn key still presses it.
          const key = await page.locator('#Shape3').boundingBox();
          const hit = await page.evaluate(([x, y]) => document.elementFromPoint(x, y)?.id,
            [key.x + key.width + 3, key.y + key.height + 3]);
          assert.equal(hit, 'Shape3', size);
          // On its side the phone gives every key and the power switch a 44 px target.
          if (viewport.width > viewport.height) {
            const zoom = Number(await page.evaluate(() => document.getElementById('stage').style.zoom || 1));
            for (const id of ['Shape1', 'Shape2', 'Shape3', 'Shape6']) {
              const box = await page.locator(`#${id}`).boundingBox();
              assert.ok(Math.min(box.width, box.height) + 30 * zoom >= 44, `${size}: #${id}`);
            }
          }
          await page.tap('#Shape6');
          await waitForLcd(page, 4, MainKeys);
        } finally {
          await context.close();
        }
      }
    });
});

// The area of the front where a tap reaches element `id`, found by the browser's own hit testing
// along the lines through the element's middle (a rectangle: its corners are checked too), and
// the element's drawn box (the content box: a canvas draws there, a key's border is its drawing).
async function hitArea(page, id) {
  return page.evaluate((name) => {
    const element = document.getElementById(name);
    const box = element.getBoundingClientRect();
    const style = getComputedStyle(element);
    const zoom = box.width / element.offsetWidth;
    const pad = (side) => parseFloat(style[`padding-${side}`]) * zoom;
    const drawn = { left: box.left + pad('left'), right: box.right - pad('right'),
      top: box.top + pad('top'), bottom: box.bottom - pad('bottom') };
    const hits = (x, y) => {
      const hit = document.elementFromPoint(x, y);
      return hit !== null && (hit === element || element.contains(hit));
    };
    const x = (drawn.left + drawn.right) / 2;
    const y = (drawn.top + drawn.bottom) / 2;
    const step = 0.25;
    const area = { left: x, right: x, top: y, bottom: y };
    while (hits(area.left - step, y)) area.left -= step;
    while (hits(area.right + step, y)) area.right += step;
    while (hits(x, area.top - step)) area.top -= step;
    while (hits(x, area.bottom + step)) area.bottom += step;
    const inset = 2 * step;
    area.corners = hits(area.left + inset, area.top + inset) &&
      hits(area.right - inset, area.top + inset) && hits(area.left + inset, area.bottom - inset) &&
      hits(area.right - inset, area.bottom - inset);
    return { drawn, area };
  }, id);
}

describe('phones, a finger', () => {
  test('at 390x844, 844x390 and on a 768x1024 tablet every control has a 44 px target in view; ' +
    'a tap beside a drawn key reaches it; the side panels stand below the front upright',
  { timeout: 120000 }, async () => {
    for (const viewport of [{ width: 390, height: 844 }, { width: 844, height: 390 },
      { width: 768, height: 1024 }]) {
      const context = await browser.newContext({ viewport, hasTouch: true, isMobile: true });
      const size = `${viewport.width}x${viewport.height}`;
      try {
        const page = await context.newPage();
        await page.goto(site.url);
        await waitForStart(page);
        // Pinch-zoom stays the browser's: the viewport allows it, only the front takes touches.
        const viewportMeta = await page.getAttribute('meta[name="viewport"]', 'content');
        assert.doesNotMatch(viewportMeta, /user-scalable|maximum-scale/);
        assert.equal(await page.$eval('body', (e) => getComputedStyle(e).touchAction), 'auto');
        assert.notEqual(await page.$eval('#Controls', (e) => getComputedStyle(e).touchAction),
          'none');

        const inView = (area) => area.left >= 0 && area.top >= 0 &&
          area.right <= viewport.width && area.bottom <= viewport.height;
        const targets = {};
        for (const id of ['Shape6', 'Shape1', 'Shape2', 'Shape3', 'RattImage', 'SpeedButton9',
          'SpeedButton10', 'SpeedButton11', 'PanelsButton', 'EnglishButton']) {
          const { drawn, area } = await hitArea(page, id);
          targets[id] = { drawn, area };
          const text = `${size}: #${id} ${JSON.stringify(area)}`;
          assert.ok(area.corners, text);
          assert.ok(inView(area), text);
          assert.ok(area.bottom - area.top >= 44, text);
          // The knob: each half (back on the left, forward on the right) is a target.
          const middle = (drawn.left + drawn.right) / 2;
          const widths = id === 'RattImage' ? [middle - area.left, area.right - middle]
            : [area.right - area.left];
          assert.ok(Math.min(...widths) >= 44, text);
        }

        // Taps beside the drawings: the power switch right of it, the right key below it ("Meny"),
        // the knob right of its picture (forward), the left key left of it ("back").
        const beside = async (id, side) => {
          const { drawn, area } = targets[id];
          const point = {
            right: [(drawn.right + area.right) / 2, (drawn.top + drawn.bottom) / 2],
            left: [(drawn.left + area.left) / 2, (drawn.top + drawn.bottom) / 2],
            below: [(drawn.left + drawn.right) / 2, (drawn.bottom + area.bottom) / 2],
          }[side];
          assert.ok(point[0] < drawn.left || point[0] > drawn.right || point[1] > drawn.bottom,
            `${size}: the tap is beside #${id}`);
          await page.touchscreen.tap(point[0], point[1]);
        };
        await beside('Shape6', 'right');
        await waitForLcd(page, 4, MainKeys);
        await beside('Shape3', 'below');
        await waitForLcd(page, 1, '_____Huvedmeny______');
        await beside('RattImage', 'right');
        assert.equal(await page.getAttribute('#RattImage', 'data-frame'), '1', size);
        await beside('Shape1', 'left');
        await waitForLcd(page, 4, MainKeys);

        // "Paneler": upright the panels come below the front, on its side beside it, in view
        // across.
        const front = await page.locator('#MainFrm').boundingBox();
        await page.tap('#PanelsButton');
        const placed = await page.locator('#MainFrm').boundingBox();
        for (const id of ['Panel1', 'Panel2', 'Panel3']) {
          const panel = await page.locator(`#${id}`).boundingBox();
          const text = `${size}: #${id} ${JSON.stringify(panel)}`;
          if (viewport.width < viewport.height) {
            assert.ok(panel.y >= placed.y + placed.height - 0.5, text);
          } else {
            assert.ok(panel.x >= placed.x + placed.width - 0.5, text);
          }
          assert.ok(panel.x >= 0 && panel.x + panel.width <= viewport.width + 0.5, text);
        }
        // Upright, the front is not made smaller by the panels.
        if (viewport.width < viewport.height) {
          assert.equal(placed.width, front.width, size);
        }
        // The sensors' sliders and the alarm inputs are a finger's size too.
        for (const id of ['TrackBar1', 'TrackBar11', 'SpeedButton1', 'SpeedButton8']) {
          await page.locator(`#${id}`).scrollIntoViewIfNeeded();
          const { area } = await hitArea(page, id);
          const text = `${size}: #${id} ${JSON.stringify(area)}`;
          assert.ok(area.corners && inView(area), text);
          assert.ok(area.bottom - area.top >= 44 && area.right - area.left >= 44, text);
        }
      } finally {
        await context.close();
      }
    }
  });
});

describe('offline and installable', () => {
  test('a manifest with the icons, a favicon, and a reload without the network',
    { timeout: 60000 }, async () => {
      const context = await browser.newContext();
      try {
        const page = await context.newPage();
        await page.goto(site.url);
        await waitForStart(page);
        assert.equal(await page.title(), 'KV410 Simulator');
        const manifest = await (await page.request.get(`${site.url}manifest.webmanifest`)).json();
        assert.equal(manifest.name, 'KV410 Simulator');
        for (const icon of [...manifest.icons.map((i) => i.src), 'icons/kv410-32.png']) {
          assert.equal((await page.request.get(`${site.url}${icon}`)).status(), 200, icon);
        }
        // Once the service worker has the site, the page comes back without the network. On the
        // first visit it keeps every file the page loaded; on the next, the rest (the knob).
        await page.evaluate(() => navigator.serviceWorker.ready);
        await page.waitForFunction(async () => {
          const kept = new Set((await (await caches.open('kv410-site')).keys()).map((r) => r.url));
          const loaded = performance.getEntriesByType('resource').map((entry) => entry.name)
            .filter((url) => url.startsWith(location.origin) && !url.endsWith('kv410-sw.js'));
          return kept.has(location.href) && loaded.every((url) => kept.has(url));
        });
        await page.reload();
        await waitForStart(page);
        await page.waitForFunction(async () =>
          (await (await caches.open('kv410-site')).keys()).length >= 20);
        await context.setOffline(true);
        await page.reload();
        await waitForStart(page);
        await page.click('#Shape6');
        await waitForLcd(page, 4, MainKeys);
        assert.equal(await page.isVisible('#NoRun'), false);
      } finally {
        await context.close();
      }
    });
});

describe('idle', () => {
  test('a hidden page runs no tick until it is shown, then catches up', { timeout: 60000 },
    async () => {
      const page = await openPage();
      const ticks = () => page.evaluate(() => window.kv410.unit._kv_unitTicks());
      const setHidden = (hidden) => page.evaluate((h) => {
        Object.defineProperty(document, 'visibilityState', { configurable: true,
          get: () => (h ? 'hidden' : 'visible') });
        document.dispatchEvent(new Event('visibilitychange'));
      }, hidden);
      await setHidden(true);
      const asleep = await ticks();
      await page.waitForTimeout(1000);
      assert.equal(await ticks(), asleep);
      await setHidden(false);
      assert.ok(await ticks() >= asleep + 18, 'the second asleep is run on return');
      await page.waitForTimeout(500);
      assert.ok(await ticks() >= asleep + 28, 'and the ticks go on');
      await page.close();
    });
});

describe('a shared link', () => {
  test('"Copy link" carries the settings; opening the link asks before replacing them',
    { timeout: 120000 }, async () => {
      const permissions = ['clipboard-read', 'clipboard-write'];
      const sender = await browser.newContext({ permissions });
      const receiver = await browser.newContext();
      try {
        const page = await sender.newPage();
        await page.goto(site.url);
        await waitForStart(page);
        await page.click('#Shape6');
        await waitForLcd(page, 4, MainKeys);
        // The heating level changed and saved, then the link copied.
        await page.click('#Shape1');
        await waitForLcd(page, 1, '_Varme oke/redusere_');
        await page.click('#Shape3');
        await waitForLcd(page, 4, 'Avbryt              ');
        for (let i = 0; i < 5; ++i) {
          await page.keyboard.press('ArrowUp');
        }
        await waitForLcd(page, 4, 'Avbryt         Lagre');
        await page.waitForTimeout(200);
        const changed = (await lcdLines(page))[2];
        await page.click('#Shape3');
        await waitForLcd(page, 4, 'Tilbake        Endre');
        await page.click('#CopyLink');
        await page.waitForFunction(() => /on the clipboard/.test(document.getElementById('Status').textContent));
        const link = await page.evaluate(() => navigator.clipboard.readText());
        assert.match(link, /#flash=[A-Za-z0-9_-]+$/);
        assert.ok(link.length < 1500, `a short link: ${link.length} characters`);

        // Another browser asks first; "Cancel" keeps its own settings, "Open" takes the link's.
        const other = await receiver.newPage();
        await other.goto(site.url);
        await waitForStart(other);
        const own = await other.evaluate(() => localStorage.getItem('kv410/Flash.dat'));
        for (const answer of ['cancel', 'open']) {
          await other.goto(link);
          await other.waitForSelector('#OpenDialog[open]');
          assert.match(await other.textContent('#OpenText'), /The shared link: a Flash\.dat of 2048 bytes/);
          assert.equal(await other.evaluate(() => localStorage.getItem('kv410/Flash.dat')), own);
          assert.equal(await other.evaluate(() => location.hash), '');
          await other.click(`#OpenDialog button[value="${answer}"]`);
        }
        await waitForLcd(other, 4, MainKeys);
        await other.click('#Shape1');
        await waitForLcd(other, 1, '_Varme oke/redusere_');
        assert.equal((await lcdLines(other))[2], changed);
      } finally {
        await sender.close();
        await receiver.close();
      }
    });
});
