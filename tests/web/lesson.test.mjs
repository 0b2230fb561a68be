// Lessons in the page: a shipped lesson opened by its link and worked through the page's own
// controls (the front's keys and knob, the answer buttons) comes to kv410-script's score; a hint
// costs points; the result outlives a reload and downloads; the panel leaves a phone's keys free
// and reads well to a screen reader; leaving the lesson gives the unit its own settings back.
import { after, before, describe, test } from 'node:test';
import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import { readFile } from 'node:fs/promises';
import { createRequire } from 'node:module';
import { join } from 'node:path';
import { launchChromium, serveSite, sourceRoot, waitForStart } from './harness.mjs';

const Lesson = 'first-steps';
const lessonFile = join(sourceRoot, 'lessons', `${Lesson}.kvs`);
const solutionFile = join(sourceRoot, 'lessons', `${Lesson}.solution.kvs`);

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

// The report kv410-script gives for the lesson with `trainee` (a file), and its score line
// without the time ("score 60 of 60").
function scriptReport(trainee) {
  let report;
  try {
    report = execFileSync(process.env.KV410_SCRIPT ?? join(sourceRoot, 'build', 'default',
      'kv410-script'), ['--lesson', lessonFile, '--trainee', trainee], { encoding: 'utf8' });
  } catch (error) {
    report = error.stdout;
  }
  return report;
}

function score(report) {
  const line = report.split('\n').find((text) => text.startsWith('score '));
  assert.ok(line, `no score line in ${report}`);
  return line.replace(/,.*$/, '');
}

async function openLesson(context, name = Lesson) {
  const page = await context.newPage();
  await page.goto(`${site.url}#lesson=${name}`);
  await waitForStart(page);
  await page.waitForFunction(() => document.getElementById('LessonTask')?.textContent !== '');
  return page;
}

const Keys = { power: '#Shape6', left: '#Shape1', right: '#Shape3', middle: '#Shape2' };

function milliseconds(duration) {
  const [, number, unit] = /^(\d+)(ms|s|m)?$/.exec(duration);
  return Number(number) * ({ ms: 1, s: 1000, m: 60000 }[unit ?? 's']);
}

// Performs the trainee's steps of a solution through the page: clicks on the front, the knob,
// held keys, and the answers chosen by keyboard on the panel's buttons.
async function performSolution(page, text) {
  for (const raw of text.split('\n')) {
    const words = raw.replace(/#.*$/, '').trim().match(/"[^"]*"|\S+/g);
    if (!words) {
      continue;
    }
    const [step, what, extra] = words;
    if (step === 'wait') {
      await page.waitForTimeout(milliseconds(what));
    } else if (step === 'tick') {
      await page.waitForTimeout(50 * Number(what ?? 1));
    } else if (step === 'click' && Keys[what]) {
      await page.click(Keys[what]);
    } else if (step === 'turn') {
      for (let i = 0; i < Math.abs(Number(what)); ++i) {
        await page.click('#RattImage', { button: Number(what) > 0 ? 'left' : 'right' });
      }
    } else if (step === 'hold' && Keys[what]) {
      const box = await page.locator(Keys[what]).boundingBox();
      await page.mouse.move(box.x + box.width / 2, box.y + box.height / 2);
      await page.mouse.down();
      await page.waitForTimeout(milliseconds(extra) + 200);
      await page.mouse.up();
    } else if (step === 'choose') {
      const choice = page.locator('#LessonChoices button', { hasText: what.replace(/"/g, '') });
      await choice.waitFor({ timeout: 30000 });
      await choice.focus();
      await page.keyboard.press('Enter');
    } else if (step === 'hint') {
      await page.click('#LessonHint');
    } else {
      throw new Error(`the test cannot perform "${raw}"`);
    }
  }
}

async function waitForResult(page) {
  await page.waitForSelector('#LessonResult:not([hidden])', { timeout: 120000 });
  return page.textContent('#LessonReport');
}

describe('lessons', () => {
  test('the solution worked through the page scores as kv410-script; the result is kept ' +
    'and downloads', { timeout: 240000 }, async () => {
    const context = await browser.newContext();
    try {
      const page = await openLesson(context);
      assert.match(await page.textContent('#LessonProgress'), /^Task [12] of 6$/);
      const solution = await readFile(solutionFile, 'utf8');
      await performSolution(page, solution);
      const report = await waitForResult(page);
      assert.equal(score(report), score(scriptReport(solutionFile)));
      assert.match(report, /^Lesson "Switching on and reading the status pages"/);
      assert.equal(await page.textContent('#LessonProgress'), 'Finished');

      // After a reload the newest result is still there, in the panel and in the list, and
      // downloads as a text file of the report.
      await page.reload();
      await waitForStart(page);
      await page.waitForFunction(() => /Your newest result: score/.test(
        document.getElementById('LessonKept').textContent));
      await page.click('#LessonLeave');
      assert.equal(await page.isVisible('#LessonPanel'), false);
      await page.click('#LessonsButton');
      const row = page.locator(`#LessonList li[data-lesson="${Lesson}"]`);
      await row.locator('.lesson-kept').waitFor();
      assert.equal(await row.locator('.lesson-kept').textContent(),
        `Newest result: ${report.split('\n').find((line) => line.startsWith('score '))}`);
      const [download] = await Promise.all([page.waitForEvent('download'),
        row.locator('.lesson-download').click()]);
      assert.equal(download.suggestedFilename(), `${Lesson}-result.txt`);
      assert.equal(await readFile(await download.path(), 'utf8'), report);
      // Every shipped lesson is listed under its title.
      const titles = await page.$$eval('#LessonList .lesson-open', (buttons) =>
        buttons.map((button) => button.textContent));
      assert.ok(titles.includes('Switching on and reading the status pages'), titles.join());
      assert.ok(titles.length >= 2);
    } finally {
      await context.close();
    }
  });

  test('a hint taken by keyboard costs points; leaving gives the unit its own settings back',
    { timeout: 240000 }, async () => {
      const context = await browser.newContext();
      try {
        const page = await openLesson(context);
        // The free unit's settings, kept before the lesson, stay untouched by it.
        const stored = () => page.evaluate(() => localStorage.getItem('kv410/Flash.dat'));
        const before = await stored();
        await page.focus('#LessonHint');
        await page.keyboard.press('Enter');
        await page.waitForFunction(() => document.querySelectorAll('#LessonHints li').length === 1);
        assert.notEqual((await page.textContent('#LessonHints')).trim(), '');
        await performSolution(page, await readFile(solutionFile, 'utf8'));
        const report = await waitForResult(page);
        const [, got, most] = /^score (\d+) of (\d+)/m.exec(report);
        const [, best] = /^score (\d+) of/m.exec(scriptReport(solutionFile));
        assert.equal(Number(got), Number(best) - 3, report);
        assert.match(report, /\(1 hint\)/);
        assert.ok(Number(most) >= Number(got));
        assert.equal(await stored(), before);

        await page.click('#LessonLeave');
        assert.equal(new URL(page.url()).hash, '');
        assert.equal(await page.evaluate(() => window.kv410.unit._kv_lessonRunning()), 0);
        assert.equal(await page.isDisabled('#SaveFlash'), false);
      } finally {
        await context.close();
      }
    });

  test('on a phone the panel is under the front, clear of its keys, and axe-core finds it clean',
    { timeout: 120000 }, async () => {
      const context = await browser.newContext({ viewport: { width: 390, height: 844 },
        isMobile: true, hasTouch: true });
      try {
        const page = await openLesson(context);
        const panel = await page.locator('#LessonPanel').boundingBox();
        for (const id of ['Shape1', 'Shape2', 'Shape3', 'Shape6', 'RattImage']) {
          const key = await page.locator(`#${id}`).boundingBox();
          const apart = panel.y >= key.y + key.height || panel.x >= key.x + key.width ||
            key.y >= panel.y + panel.height || key.x >= panel.x + panel.width;
          assert.ok(apart, `the lesson panel covers ${id}`);
        }
        assert.ok(panel.x >= 0 && panel.x + panel.width <= 390, JSON.stringify(panel));
        // A new task is read out.
        await page.waitForFunction(() => /^Task [12] of 6: The /.test(
          document.getElementById('LessonSpoken').textContent));
        assert.equal(await page.getAttribute('#LessonSpoken', 'aria-live'), 'polite');
        const axe = createRequire(import.meta.url).resolve('axe-core/axe.min.js');
        await page.addScriptTag({ path: axe });
        const result = await page.evaluate(() => window.axe.run('#LessonPanel'));
        const grave = result.violations.filter((v) => ['serious', 'critical'].includes(v.impact));
        assert.deepEqual(grave.map((v) => `${v.id}: ${v.nodes.map((n) => n.target).join(' ')}`),
          []);
      } finally {
        await context.close();
      }
    });
});
