// The web page in Debian's Chromium: the flows a trainee goes through, with the mouse, the keyboard
// and a finger, the settings kept in the browser, Flash.dat opened and saved, the side panels.
import { after, before, describe, test } from 'node:test';
import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import { mkdtemp, readFile, rm, writeFile, appendFile } from 'node:fs/promises';
import { tmpdir } from 'node:os';
import { dirname, join } from 'node:path';
import { fileURLToPath } from 'node:url';
import { launchChromium, lcdLines, serveSite, waitForLcd, waitForStart } from './harness.mjs';

const MainDisplay = ['         ORV      K1', ' VARMEPUMPESTYRING  '];
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

// A page in a context of its own (its own storage); `setup` runs on the page before it loads.
async function openPage(setup, contextOptions) {
  const context = await browser.newContext(contextOptions);
  const page = await context.newPage();
  page.on('close', () => context.close().catch(() => {}));
  if (setup) {
    await setup(page);
  }
  await page.goto(site.url);
  await waitForStart(page);
  return page;
}

async function switchOn(page) {
  await page.click('#Shape6');
  await waitForLcd(page, 4, MainKeys);
}

async function background(page, selector) {
  return page.$eval(selector, (element) => getComputedStyle(element).backgroundColor);
}

describe('the page', () => {
  test('switches on, turns the knob by mouse and by keyboard, shows the four LCD lines',
    { timeout: 120000 }, async () => {
      const page = await openPage();
      assert.deepEqual(await lcdLines(page),
        ['                    ', '      KAVO 410      ', '                    ',
          '                    ']);
      assert.equal(await background(page, '#LCDDisplay'), 'rgb(0, 94, 47)');

      await switchOn(page);
      const [line1, line2, , line4] = await lcdLines(page);
      assert.deepEqual([line1, line2, line4], [...MainDisplay, MainKeys]);
      // The clock line, drawn when the unit's second turns (up to a second after switching on),
      // is the browser's local date and time.
      const today = await page.evaluate(() => {
        const now = new Date();
        const two = (n) => String(n).padStart(2, '0');
        return `${two(now.getFullYear() % 100)}${two(now.getMonth() + 1)}${two(now.getDate())}`;
      });
      await page.waitForFunction((date) => new RegExp(`^${date} \\d\\d:\\d\\d:\\d\\d`)
        .test(document.getElementById('Lbl3').textContent), today, { timeout: 3000 });
      assert.equal(await background(page, '#LCDDisplay'), 'rgb(0, 255, 128)');
      assert.equal(await background(page, '#OnLed'), 'rgb(0, 255, 128)');

      // "Meny" opens the main menu; the knob walks it, the mouse also turns the picture.
      await page.click('#Shape3');
      await waitForLcd(page, 1, '_____Huvedmeny______');
      await waitForLcd(page, 3, 'varmen i huset_____1');
      await page.click('#RattImage');
      await waitForLcd(page, 3, 'temperaturer_______3');
      assert.equal(await page.getAttribute('#RattImage', 'data-frame'), '1');
      await page.click('#RattImage', { button: 'right' });
      await waitForLcd(page, 3, 'varmen i huset_____1');
      assert.equal(await page.getAttribute('#RattImage', 'data-frame'), '0');
      // At the first entry a step back goes nowhere; the picture turns all the same.
      await page.click('#RattImage', { button: 'right' });
      assert.equal(await page.getAttribute('#RattImage', 'data-frame'), '11');
      await page.waitForTimeout(150);
      assert.equal((await lcdLines(page))[2], 'varmen i huset_____1');

      // The keys turn the knob without turning the picture.
      await page.keyboard.press('ArrowUp');
      await waitForLcd(page, 3, 'temperaturer_______3');
      await page.keyboard.press('ArrowDown');
      await waitForLcd(page, 3, 'varmen i huset_____1');
      await page.keyboard.press('Enter');
      await waitForLcd(page, 1, '_Varmeinstillinger__');
      await page.keyboard.press('Escape');
      await waitForLcd(page, 1, '_____Huvedmeny______');
      await page.keyboard.press('ArrowLeft');
      await waitForLcd(page, 4, MainKeys);
      assert.equal(await page.getAttribute('#RattImage', 'data-frame'), '11');
      await page.close();
    });

  test('a button held 5 s, by mouse or by finger, gives the SERVICE level', { timeout: 120000 },
    async () => {
      for (const finger of [false, true]) {
        const page = await openPage((p) => p.clock.install(), { hasTouch: finger });
        await switchOn(page);
        const box = await page.locator('#Shape3').boundingBox();
        const at = { x: box.x + box.width / 2, y: box.y + box.height / 2 };
        let cdp = null;
        if (finger) {
          cdp = await page.context().newCDPSession(page);
          await cdp.send('Input.dispatchTouchEvent', { type: 'touchStart', touchPoints: [at] });
        } else {
          await page.mouse.move(at.x, at.y);
          await page.mouse.down();
        }
        // Not yet after four seconds; at five the level is set and shown.
        await page.clock.runFor(4200);
        assert.equal((await lcdLines(page))[3], MainKeys);
        await page.clock.runFor(1000);
        await waitForLcd(page, 2, '  Access = SERVICE  ');
        if (finger) {
          await cdp.send('Input.dispatchTouchEvent', { type: 'touchEnd', touchPoints: [] });
        } else {
          await page.mouse.up();
        }
        // The release after a long press gives no button event: the main display comes back.
        await page.clock.runFor(2500);
        await waitForLcd(page, 4, MainKeys);
        assert.equal((await lcdLines(page))[0], '         ORV     I/S');
        if (finger) {
          // A finger turns the knob forward on its right half and back on its left half.
          const knob = await page.locator('#RattImage').boundingBox();
          const tap = async (x) => {
            const point = { x, y: knob.y + knob.height / 2 };
            await cdp.send('Input.dispatchTouchEvent', { type: 'touchStart', touchPoints: [point] });
            await cdp.send('Input.dispatchTouchEvent', { type: 'touchEnd', touchPoints: [] });
            await page.clock.runFor(100);
          };
          await tap(knob.x + knob.width * 0.8);
          assert.equal(await page.getAttribute('#RattImage', 'data-frame'), '1');
          await tap(knob.x + knob.width * 0.2);
          await tap(knob.x + knob.width * 0.2);
          assert.equal(await page.getAttribute('#RattImage', 'data-frame'), '11');
        }
        await page.close();
      }
    });

  test('a saved quick setting is kept over a reload', { timeout: 120000 }, async () => {
    const page = await openPage();
    await switchOn(page);
    // "Varme" opens the quick settings; "Endre", five steps up, "Lagre".
    await page.click('#Shape1');
    await waitForLcd(page, 1, '_Varme oke/redusere_');
    const before = (await lcdLines(page))[2];
    await page.click('#Shape3');
    await waitForLcd(page, 4, 'Avbryt              ');
    for (let i = 0; i < 5; ++i) {
      await page.keyboard.press('ArrowUp');
    }
    await waitForLcd(page, 4, 'Avbryt         Lagre');
    await page.waitForTimeout(200);
    const changed = (await lcdLines(page))[2];
    assert.notEqual(changed, before);
    await page.click('#Shape3');
    await waitForLcd(page, 2, '      Lagrer...     ');
    await waitForLcd(page, 4, 'Tilbake        Endre');

    await page.reload();
    await waitForStart(page);
    // The unit was on when the page went away, so it comes back on.
    await waitForLcd(page, 4, MainKeys);
    await page.click('#Shape1');
    await waitForLcd(page, 1, '_Varme oke/redusere_');
    assert.equal((await lcdLines(page))[2], changed);
    await page.close();
  });

  test('opens a prepared Flash.dat, shows its settings, saves it back byte for byte',
    { timeout: 120000 }, async () => {
      const work = await mkdtemp(join(tmpdir(), 'kv410-flash-'));
      try {
        // The native program prepares a Flash.dat with the unit on and the heating level at 6,5;
        // a longer file keeps what lies past the image.
        const prepared = join(work, 'Flash.dat');
        const tool = process.env.KV410_SCRIPT;
        assert.ok(tool, 'KV410_SCRIPT names the native kv410-script');
        await writeFile(join(work, 'prepare.kvs'), 'click power\ntick 2\npoke flash 0 65\n');
        execFileSync(tool, ['--flash', prepared, join(work, 'prepare.kvs')]);
        await appendFile(prepared, Buffer.from('kept past the image\n'.repeat(10)));
        const opened = await readFile(prepared);

        // What the desktop program writes back after a short run on the same file.
        const expected = join(work, 'expected.dat');
        await writeFile(expected, opened);
        await writeFile(join(work, 'run.kvs'), 'tick 20\n');
        execFileSync(tool, ['--flash', expected, join(work, 'run.kvs')]);

        const page = await openPage();
        await page.setInputFiles('#FlashFile', prepared);
        // A file longer than 2048 bytes is described first and opened when confirmed.
        await page.click('#OpenDialog button[value="open"]');
        await waitForLcd(page, 4, MainKeys);
        assert.match(await page.textContent('#Status'), /Opened Flash\.dat \(2248 bytes\)/);
        await page.click('#Shape1');
        await waitForLcd(page, 1, '_Varme oke/redusere_');
        await waitForLcd(page, 3, '0        6,5      10');

        const [download] = await Promise.all([page.waitForEvent('download'),
          page.click('#SaveFlash')]);
        assert.equal(download.suggestedFilename(), 'Flash.dat');
        const saved = await readFile(await download.path());
        assert.equal(saved.length, opened.length);
        assert.ok(saved.equals(await readFile(expected)), 'the saved file is what the program writes');

        // The opened file is now the page's Flash.dat: it is there after a reload.
        await page.reload();
        await waitForStart(page);
        await page.click('#Shape1');
        await waitForLcd(page, 3, '0        6,5      10');
        await page.close();
      } finally {
        await rm(work, { recursive: true, force: true });
      }
    });

  test('the settings view: the unit, an opened file compared with another, filter and CSV',
    { timeout: 120000 }, async () => {
      const work = await mkdtemp(join(tmpdir(), 'kv410-settings-'));
      try {
        // A, a unit switched on from factory values; B, the file kv410-flash set wrote for the
        // scenario flash-set.kvs (1.10, 5.1, 8.3.5 and 8.3.6 changed).
        const fileA = join(work, 'Flash.dat');
        await writeFile(join(work, 'on.kvs'), 'click power\ntick 2\n');
        execFileSync(process.env.KV410_SCRIPT, ['--flash', fileA, join(work, 'on.kvs')]);
        const fileB = join(dirname(fileURLToPath(import.meta.url)), '..', 'scenarios',
          'flash-set.dat');

        const page = await openPage();
        await switchOn(page);
        await page.click('#SettingsButton');
        const value = (number, column) => page.textContent(
          `#SettingsTable tr[data-number="${number}"] td:nth-child(${column})`);
        assert.equal(await value('1.10', 3), '20,0');
        assert.equal(await page.$$eval('#SettingsTable tr.changed', (rows) => rows.length), 0);

        // Keys typed into the filter stay there: the knob does not turn.
        await page.click('#SettingsFilter');
        await page.keyboard.press('ArrowDown');
        assert.deepEqual((await lcdLines(page))[3], MainKeys);

        await page.setInputFiles('#SettingsFile', fileA);
        await page.waitForFunction(() =>
          document.getElementById('SettingsSource').textContent === 'Flash.dat');
        await page.setInputFiles('#SettingsCompareFile', fileB);
        await page.waitForSelector('#SettingsTable tr.differs');
        assert.deepEqual(await page.$$eval('#SettingsTable tr.differs',
          (rows) => rows.map((row) => row.dataset.number)), ['1.10', '5.1', '8.3.5', '8.3.6']);
        assert.equal(await value('1.10', 4), '23,5');

        await page.fill('#SettingsFilter', '8.3.');
        assert.equal(await page.$$eval('#SettingsTable tbody tr', (rows) => rows.length), 6);
        const [download] = await Promise.all([page.waitForEvent('download'),
          page.click('#SettingsCsv')]);
        const csv = (await readFile(await download.path(), 'utf8')).trim().split('\n');
        assert.equal(csv[0], 'Number,Name,Flash.dat,flash-set.dat,Unit,Factory,Min,Max,Level');
        assert.equal(csv.length, 7);
        assert.ok(csv.includes('8.3.6,Åpningstid,60,240,s,60,0,600,service'), csv.join('\n'));

        // A file that is no Flash.dat is named, not shown.
        const short = join(work, 'short.dat');
        await writeFile(short, Buffer.alloc(100));
        await page.setInputFiles('#SettingsCompareFile', short);
        await page.waitForFunction(() =>
          document.getElementById('SettingsProblem').textContent.includes('100 bytes'));
        await page.close();
      } finally {
        await rm(work, { recursive: true, force: true });
      }
    });

  test('the side panels: a sensor slider moved to the bottom raises the alarm display',
    { timeout: 120000 }, async () => {
      const page = await openPage((p) => p.clock.install());
      await switchOn(page);
      assert.equal(await page.isVisible('#Panel1'), false);
      await page.keyboard.press('F2');
      assert.equal(await page.isVisible('#Panel1'), true);
      assert.equal(await page.textContent('#Label1'), 'Retur Radiator GT1');
      assert.equal(await page.textContent('#Edit1'), '217');
      await page.click('#PanelsButton');
      assert.equal(await page.isVisible('#Panel1'), false);
      await page.click('#PanelsButton');
      assert.equal(await page.isVisible('#Panel1'), true);

      // "1" picks GT1, "/" moves it down by 10; then the mouse drags it to the bottom.
      await page.keyboard.press('1');
      assert.equal(await page.evaluate(() => document.activeElement.id), 'TrackBar1');
      await page.keyboard.press('/');
      assert.equal(await page.textContent('#Edit1'), '207');
      const track = await page.locator('#TrackBar1').boundingBox();
      const thumbX = track.x + ((207 + 500) / 2000) * track.width;
      await page.mouse.move(thumbX, track.y + track.height / 2);
      await page.mouse.down();
      await page.mouse.move(track.x - 40, track.y + track.height / 2, { steps: 5 });
      await page.mouse.up();
      assert.equal(await page.textContent('#Edit1'), '-500');

      // After the start-up hold-off the alarm display comes, the alarm LED and the sum-alarm
      // lamp light.
      await page.clock.runFor(70000);
      await waitForLcd(page, 1, 'ALARM          (GT1)');
      assert.equal(await background(page, '#Led10'), 'rgb(0, 255, 128)');
      const alarmLed = [];
      for (let i = 0; i < 12; ++i) {
        await page.clock.runFor(50);
        alarmLed.push(await background(page, '#AlarmLed'));
      }
      assert.ok(alarmLed.includes('rgb(255, 0, 0)') && alarmLed.includes('rgb(128, 0, 0)'),
        `the alarm LED blinks: ${alarmLed}`);
      await page.close();
    });

  test('the English gloss follows the display under the front and is remembered',
    { timeout: 120000 }, async () => {
      const page = await openPage();
      assert.equal(await page.isVisible('#Gloss'), false);
      const ownTitle = await page.getAttribute('#Shape6', 'title');
      await page.click('#EnglishButton');
      assert.equal(await page.isVisible('#Gloss'), true);
      await switchOn(page);
      await page.waitForFunction(() => document.querySelector('#Gloss2').textContent ===
        'HEAT PUMP CONTROL');
      assert.equal(await page.textContent('#Gloss4'), '[Heating] [Info] [Menu]');
      // The display keeps the unit's own lines; the labels carry their English as titles.
      assert.deepEqual((await lcdLines(page)).slice(0, 2), MainDisplay);
      assert.notEqual(await page.getAttribute('#Shape6', 'title'), ownTitle);
      await page.reload();
      await waitForStart(page);
      assert.equal(await page.isVisible('#Gloss'), true);
      await page.click('#EnglishButton');
      assert.equal(await page.isVisible('#Gloss'), false);
      assert.equal(await page.getAttribute('#Shape6', 'title'), ownTitle);
      await page.close();
    });

  test('a full or denied storage is shown and the unit keeps running', { timeout: 120000 },
    async () => {
      const failures = {
        full: () => {
          Storage.prototype.setItem = () => {
            throw new DOMException('The quota has been exceeded.', 'QuotaExceededError');
          };
        },
        denied: () => {
          Object.defineProperty(window, 'localStorage', {
            get() {
              throw new DOMException('Access is denied.', 'SecurityError');
            },
          });
        },
      };
      for (const [kind, failure] of Object.entries(failures)) {
        const page = await openPage((p) => p.addInitScript(failure));
        await switchOn(page);
        await page.waitForFunction(() => document.getElementById('Status').textContent !== '');
        const text = await page.textContent('#Status');
        assert.match(text, kind === 'full' ? /storage is full/ : /denies its storage/);
        const clock = (await lcdLines(page))[2];
        await page.waitForFunction((shown) => document.getElementById('Lbl3').textContent !== shown,
          clock, { timeout: 3000 });
        await page.click('#Shape3');
        await waitForLcd(page, 1, '_____Huvedmeny______');
        await page.close();
      }
    });

  test('ticks missed while the page slept are run when it wakes, at most an hour of them',
    { timeout: 120000 }, async () => {
      const page = await openPage((p) => p.clock.install());
      await switchOn(page);
      const ticks = () => page.evaluate(() => window.kv410.unit._kv_unitTicks());
      const start = await ticks();
      // Half an hour asleep: every tick is run, so the display went dark after ten idle minutes.
      await page.clock.fastForward('30:00');
      await page.clock.runFor(100);
      assert.ok(await ticks() >= start + 36000, `${await ticks()} ticks`);
      assert.equal(await background(page, '#LCDDisplay'), 'rgb(0, 94, 47)');
      // Two days asleep: an hour is run and the rest skipped, and the page answers at once.
      const beforeSleep = await ticks();
      await page.clock.fastForward('48:00:00');
      await page.clock.runFor(100);
      const run = (await ticks()) - beforeSleep;
      assert.ok(run >= 72000 && run <= 72010, `${run} ticks after two days`);
      await page.click('#Shape3');
      await page.clock.runFor(100);
      await waitForLcd(page, 4, MainKeys);
      await page.close();
    });
});
