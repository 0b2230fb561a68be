// The KV410 front in a web page. Like the desktop window it turns the browser's events into calls
// of the unit's panel handlers (web/WebFront.cpp, compiled with the controller into kv410.wasm)
// and paints the unit's paint state; it decides nothing itself. Flash.dat lives among the module's
// files in memory (web/ModuleFiles.js), where the controller's own load and save code reads and
// writes it, and is kept in the browser's storage between visits.
'use strict';

(() => {
  const FlashPath = '/Flash.dat';
  const StorageKey = 'kv410/Flash.dat';
  // The mouse buttons and the buttons under the display, as the module numbers them.
  const MouseButton = { Left: 0, Right: 1, Middle: 2 };
  const PanelButton = { Shape1: 0, Shape3: 1, Shape2: 2 };
  const FrontLeds = ['OnLed', 'VVLed', 'TillskottLed', 'KompressorLed', 'AlarmLed'];
  // The front LEDs' names for a screen reader, in the same order.
  const FrontLedNames = ['On', 'Hot water', 'Auxiliary heat', 'Compressor', 'Alarm'];
  // Paint-state parts with a change counter (kv_generation).
  const Part = { Leds: 0, Lamps: 1, Knob: 2, Sliders: 3, Captions: 4 };

  const $ = (id) => document.getElementById(id);
  const front = $('MainFrm');
  const lcd = $('LCDDisplay');
  const lines = [$('Lbl1'), $('Lbl2'), $('Lbl3'), $('Lbl4')];
  const graph = $('Graph');
  const knob = $('RattImage');
  const status = $('Status');
  const messageBox = $('MessageBox');

  // The canvases draw one pixel per pixel of the box the layout (kv410-layout.css) gives them.
  for (const canvas of [graph, knob]) {
    const box = getComputedStyle(canvas);
    canvas.width = parseInt(box.width, 10);
    canvas.height = parseInt(box.height, 10);
  }

  let unit = null;
  let paintedOnce = false;
  // Lets the lock of the tab that runs the unit go (below, "one tab runs the unit").
  let giveUpLock = null;
  let startFailedOnce = false;
  const seen = { lines: ['', '', '', ''] };
  const toggles = [];
  const sliders = [];
  const edits = [];
  const lamps = [];

  // ------------------------------------------------------------------ the module

  // The module compiled by the page's head, or else (a host that does not serve .wasm files as
  // application/wasm) fetched and compiled here.
  function instantiateWasm(imports, receive) {
    window.kv410Compiled
      .catch(() => fetch('kv410.wasm', { credentials: 'same-origin' })
        .then((response) => response.arrayBuffer())
        .then((bytes) => WebAssembly.compile(bytes)))
      .then((compiled) => WebAssembly.instantiate(compiled, imports)
        .then((instance) => receive(instance, compiled)))
      .catch(startFailed);
    return {};
  }

  // Offline and installable: the service worker keeps the site for a reload without the network.
  // It is registered once the LCD's first frame is shown, so its work does not delay that; on a
  // visit after the first (it already serves the page) it is asked to keep the rest of the site.
  function registerServiceWorker() {
    if ('serviceWorker' in navigator && window.isSecureContext) {
      const later = navigator.serviceWorker.controller !== null;
      navigator.serviceWorker.register('kv410-sw.js').then(() => {
        if (later) {
          return navigator.serviceWorker.ready.then((ready) =>
            ready.active?.postMessage('keep-the-rest'));
        }
        return undefined;
      }).catch(() => {});
    }
  }

  // A front that does not run here (another tab runs the unit, or it could not start) is dimmed
  // and takes no input, the controls a phone shows beside it too.
  function setStill(still) {
    front.classList.toggle('elsewhere', still);
    $('Controls').classList.toggle('elsewhere', still);
  }

  // Said where it is seen first, above the front.
  function startFailed(error) {
    startFailedOnce = true;
    giveUpLock?.();
    giveUpLock = null;
    // The lock the page's head asked for, if the page stopped before taking it over.
    window.kv410Lock?.then((answer) => answer.release?.());
    const text = 'The simulator could not start in this browser; it needs WebAssembly with SIMD ' +
      `(Chrome or Edge 91, Firefox 89, Safari 16.4 or newer). ${error}`;
    showStatus(text, true);
    $('NoRun').textContent = text;
    $('NoRun').hidden = false;
    setStill(true);
  }

  if (!window.WebAssembly || typeof createKv410 !== 'function') {
    startFailed(window.WebAssembly ? 'Its module (kv410.js) did not load.'
      : 'This browser has no WebAssembly.');
    return;
  }

  createKv410({ onMessageBox: showMessageBox, onBeep: beep, instantiateWasm }).then((module) => {
    performance.mark('kv410-module-ready');
    unit = module;
    // The module, for the browser tests and for anyone curious in the console.
    window.kv410 = { unit };
    buildControls();
    claimUnit(false, earlyLock);
  }, startFailed);

  // Puts a file in the module's files for the unit to read, or takes it away (bytes null).
  function putFile(path, bytes) {
    unit.files.unlink(path);
    if (bytes) {
      unit.files.writeFile(path, bytes);
    }
  }

  // ------------------------------------------------------------------ one tab runs the unit

  // Tabs of one browser share its storage, so one tab at a time runs the unit and keeps its
  // Flash.dat there: the one holding the lock. Another tab says so and offers to take over; the
  // tab that runs it then saves its image, stops and gives the lock up, and the new one starts
  // on that image. Without Web Locks (an old browser) every tab runs, as before.
  // The page's head (index.html) asks for it under this name too.
  const LockName = 'kv410-unit';
  const tabs = 'BroadcastChannel' in window ? new BroadcastChannel('kv410-tabs') : null;
  let running = false;
  let pollTimer = 0;
  let tickTimer = 0;

  function runUnit() {
    running = true;
    $('Elsewhere').hidden = true;
    setStill(false);
    startUnit(readStoredFlash());
    sleepUntilDue();
    offerSharedImage();
    offerLessonLink();
    let english = false;
    try {
      english = localStorage.getItem('kv410.english') === '1';
    } catch {
      // No storage: the gloss starts hidden.
    }
    if (english !== englishShown()) {
      setEnglishShown(english);
    }
  }

  // The page sleeps until the unit's next tick falls due (kv_nextDueMs), then wakes at every
  // tick with one repeating timer (cheaper for the browser than a timer set at every wake), runs
  // the ticks that fell due and paints what changed; a hidden page sleeps until it is shown, then
  // catches up. The timer fires a millisecond after each tick is due, so a tick is never missed by
  // a timer a little early.
  function stopTimers() {
    clearTimeout(pollTimer);
    clearInterval(tickTimer);
    pollTimer = 0;
    tickTimer = 0;
  }

  function sleepUntilDue() {
    stopTimers();
    if (!running || document.visibilityState === 'hidden') {
      return;
    }
    const wait = unit._kv_nextDueMs() - performance.now();
    pollTimer = setTimeout(() => {
      pollTimer = 0;
      tickTimer = setInterval(wake, unit._kv_tickMs());
      wake();
    }, Math.max(0, Math.ceil(wait)) + 1);
  }

  // How late a repeating timer may fire behind the ticks before it is set again on time.
  const LateMs = 10;

  function wake() {
    const now = performance.now();
    if (unit._kv_advance(now) > 0) {
      afterHandler();
    }
    if (tickTimer !== 0 && unit._kv_nextDueMs() - now < unit._kv_tickMs() - LateMs) {
      sleepUntilDue();
    }
  }

  document.addEventListener('visibilitychange', () => {
    if (running && document.visibilityState !== 'hidden') {
      wake();
    }
    sleepUntilDue();
  });

  function showElsewhere(text) {
    $('ElsewhereText').textContent = text;
    $('Elsewhere').hidden = false;
    setStill(true);
  }

  // What a lock request answered (see the page's head): true when this tab holds the lock (until
  // giveUpLock), false when another tab does. A browser that refuses Web Locks here runs the
  // unit in every tab, as one without them.
  function lockAnswer(answer) {
    if (answer.unusable) {
      return true;
    }
    if (answer.elsewhere) {
      return false;
    }
    if (startFailedOnce) {
      answer.release();
      return false;
    }
    giveUpLock = answer.release;
    return true;
  }

  // Asks for the lock; with `wait`, after the tab holding it has let it go.
  function requestLock(wait) {
    return new Promise((answer) => {
      navigator.locks.request(LockName, wait ? {} : { ifAvailable: true }, (lock) => {
        if (!lock) {
          answer({ elsewhere: true });
          return undefined;
        }
        return new Promise((release) => answer({ release }));
      }).catch(() => answer({ unusable: true }));
    }).then(lockAnswer);
  }

  // The first answer was asked for by the page's head (or, from a page without it, now).
  window.kv410LockAdopted = true;
  const earlyLock = !navigator.locks ? null
    : window.kv410Lock ? window.kv410Lock.then(lockAnswer) : requestLock(false);

  // Runs the unit once this tab holds the lock (`asked`, or asked for now).
  function claimUnit(wait, asked = null) {
    if (!navigator.locks) {
      runUnit();
      return;
    }
    (asked ?? requestLock(wait)).then((held) => {
      if (held) {
        runUnit();
      } else if (!startFailedOnce) {
        showElsewhere('The simulator is open in another tab of this browser.');
      }
    });
  }

  // Another tab takes over: the image is saved to the browser's storage before the lock goes.
  function yieldUnit() {
    saveOnLeaving();
    running = false;
    stopTimers();
    if (messageBox.open) {
      messageBox.close();
    }
    showElsewhere('The simulator now runs in another tab of this browser.');
    giveUpLock?.();
    giveUpLock = null;
  }

  if (tabs) {
    tabs.onmessage = (event) => {
      if (event.data === 'take-over' && running) {
        yieldUnit();
      }
    };
  }

  $('TakeOver').addEventListener('click', () => {
    if (running || !unit) {
      return;
    }
    $('ElsewhereText').textContent = 'Taking over...';
    tabs?.postMessage('take-over');
    claimUnit(true);
  });

  // Starts the unit as the program starts, with `bytes` as Flash.dat (none: no file yet).
  function startUnit(bytes) {
    if (lesson.name !== null) {
      // A start of the free unit ends the lesson (kv_start); the panel goes with it.
      lesson.name = null;
      showLessonMode(false);
    }
    putFile(FlashPath, bytes);
    unit._kv_start(performance.now());
    unit._kv_setPanelsShown(panelsShown());
    paintedOnce = false;
    afterHandler();
  }

  // Wraps an event handler: the ticks that fell due run first, then the handler, then the page
  // keeps Flash.dat and paints what changed.
  function input(handler) {
    return (event) => {
      if (!unit || !running || messageBox.open || openDialog.open) {
        return;
      }
      startAudio();
      unit._kv_advance(performance.now());
      handler(event);
      afterHandler();
    };
  }

  function afterHandler() {
    if (unit._kv_writeThrough()) {
      keepFlash();
    }
    paint();
    paintLesson();
  }

  // ------------------------------------------------------------------ painting

  function colour(packed) {
    return `#${(packed >>> 0).toString(16).padStart(6, '0')}`;
  }

  // The bits of kv_changes: the parts with a change counter, the LCD lines, the Graph.
  const LineChanged = 5;
  const GraphChanged = 1 << 9;

  function lcdLine(line) {
    const at = unit._kv_lcdLine(line);
    return String.fromCharCode.apply(null, unit.HEAPU8.subarray(at, at + 20));
  }

  // Paints what changed since the last paint (everything the first time): one call into the
  // module tells what, so a tick that changes nothing on the front costs one call.
  function paint() {
    const changes = unit._kv_changes(paintedOnce ? 0 : 1);
    if (changes === 0) {
      return;
    }
    const changed = (part) => (changes & (1 << part)) !== 0;
    if (changed(Part.Leds)) {
      lcd.style.background = colour(unit._kv_lcdColour());
      lcd.classList.toggle('lit', unit._kv_lcdLit() !== 0);
      FrontLeds.forEach((id, led) => {
        $(id).style.background = colour(unit._kv_frontLedColour(led));
        const lit = unit._kv_frontLedLit(led) !== 0;
        $(id).classList.toggle('lit', lit);
        $(id).setAttribute('aria-label', `${FrontLedNames[led]} LED: ${lit ? 'lit' : 'dark'}`);
      });
    }
    if (changed(Part.Lamps)) {
      lamps.forEach((lamp, i) => {
        lamp.style.background = colour(unit._kv_lampColour(i + 1));
        const lit = unit._kv_lampLit(i + 1) !== 0;
        lamp.classList.toggle('lit', lit);
        lamp.setAttribute('aria-label', `${lamp.dataset.label}: ${lit ? 'lit' : 'dark'}`);
      });
    }
    if (changed(Part.Knob)) {
      showKnobFrame(unit._kv_knobFrame());
    }
    if (changed(Part.Sliders)) {
      sliders.forEach((slider, i) => {
        slider.value = String(unit._kv_sliderPosition(i + 1));
        edits[i].value = unit.UTF8ToString(unit._kv_sliderText(i + 1));
      });
    }
    if (changed(Part.Captions)) {
      toggles.forEach((toggle, i) => {
        showCaption(toggle, unit._kv_captionColour(i + 1));
      });
    }
    let newText = false;
    for (let line = 0; line < 4; ++line) {
      if (changed(LineChanged + line)) {
        const text = lcdLine(line + 1);
        newText = true;
        seen.lines[line] = text;
        lines[line].textContent = text;
        if (englishShown()) {
          glossLines[line].textContent = unit.UTF8ToString(unit._kv_glossLine(line + 1));
        }
      }
    }
    if (newText) {
      speakScreen();
    }
    if (changes & GraphChanged) {
      paintGraph();
    }
    if (!paintedOnce) {
      markFirstFrame();
    }
    paintedOnce = true;
  }

  // A caption in the unit's colour; a light one gets a darker button behind it, so it reads.
  function showCaption(button, packed) {
    button.style.color = colour(packed);
    const red = (packed >>> 16) & 255;
    const green = (packed >>> 8) & 255;
    const blue = packed & 255;
    button.classList.toggle('light-caption', 0.3 * red + 0.59 * green + 0.11 * blue > 160);
  }

  // The LCD's text for a screen reader, read out when the screen changes: a change of digits
  // alone (the clock ticking, a value counting) is not announced; a new screen is, once it
  // has stood for a moment.
  const lcdSpoken = $('LcdSpoken');
  let spokenShape = '';
  // The shape of the screen last read out: a screen that flickers and comes back (a line
  // redrawn in two cycles) is not read out again.
  let announcedShape = '';
  let speakTimer = 0;
  const shapeOf = (lines) => lines.join('\n').replace(/[0-9]/g, '#');

  function speakScreen() {
    const shape = shapeOf(seen.lines);
    if (shape === spokenShape) {
      return;
    }
    spokenShape = shape;
    clearTimeout(speakTimer);
    speakTimer = setTimeout(() => {
      const standing = shapeOf(seen.lines);
      if (standing === announcedShape) {
        return;
      }
      announcedShape = standing;
      lcdSpoken.textContent = seen.lines.map((text) => text.replace(/_+/g, ' ').trim())
        .filter((text) => text !== '').join('. ');
    }, 250);
  }

  // The scale line and the bar or marker over LCD line 2.
  function paintGraph() {
    const visible = unit._kv_graphVisible() !== 0;
    const start = unit._kv_barStart();
    const end = unit._kv_barEnd();
    graph.hidden = !visible;
    graph.dataset.bar = `${start} ${end}`;
    if (!visible) {
      // Drawn when it is shown: showing it is a change of the Graph too.
      return;
    }
    const context = graph.getContext('2d');
    context.clearRect(0, 0, graph.width, graph.height);
    context.strokeStyle = '#000';
    context.lineCap = 'butt';
    const line = (width, x0, y, x1) => {
      context.lineWidth = width;
      context.beginPath();
      context.moveTo(x0, y);
      context.lineTo(x1, y);
      context.stroke();
    };
    line(2, 0, 11, unit._kv_graphWidth());
    if (end !== start) {
      line(4, start, 8, end);
      line(4, start, 14, end);
    }
  }

  // The knob frames, each prepared when first shown: the colour of its bottom-left pixel is
  // transparent.
  const knobFrames = [];
  let knobFrameShown = -1;

  function showKnobFrame(frame) {
    knobFrameShown = frame;
    knob.dataset.frame = String(frame);
    if (knobFrames[frame]) {
      const context = knob.getContext('2d');
      context.clearRect(0, 0, knob.width, knob.height);
      context.drawImage(knobFrames[frame], 0, 0);
      return;
    }
    const picture = new Image();
    picture.src = `art/ID_RATT${String(frame + 1).padStart(2, '0')}.png`;
    picture.decode().then(() => {
      knobFrames[frame] = transparentFrame(picture);
      if (knobFrameShown === frame) {
        showKnobFrame(frame);
      }
    }, () => {});
  }

  // The frame on a canvas of the knob's size, its background cleared by the module.
  function transparentFrame(picture) {
    const canvas = document.createElement('canvas');
    canvas.width = picture.naturalWidth;
    canvas.height = picture.naturalHeight;
    const context = canvas.getContext('2d');
    context.drawImage(picture, 0, 0);
    const image = context.getImageData(0, 0, canvas.width, canvas.height);
    const at = unit._kv_knobPixels();
    unit.HEAPU8.set(image.data, at);
    unit._kv_clearKnobBackground(canvas.width, canvas.height);
    image.data.set(unit.HEAPU8.subarray(at, at + image.data.length));
    context.putImageData(image, 0, 0);
    return canvas;
  }

  // The first frame with the LCD's text in its font, for measuring the start.
  function markFirstFrame() {
    performance.mark('kv410-first-lcd-text');
    const fontReady = document.fonts ? document.fonts.load('bold 19px "KV410 LCD"') : null;
    Promise.resolve(fontReady).then(() => {
      requestAnimationFrame(() => {
        performance.mark('kv410-first-lcd-frame');
        setTimeout(registerServiceWorker, 0);
      });
    });
  }

  // ------------------------------------------------------------------ the controls

  function makeToggle(parent, n) {
    const toggle = document.createElement('button');
    toggle.type = 'button';
    toggle.id = `SpeedButton${n}`;
    toggle.className = 'toggle';
    toggle.lang = 'no';
    toggle.textContent = unit.UTF8ToString(unit._kv_toggleCaption(n));
    const hint = unit.UTF8ToString(unit._kv_toggleHint(n));
    if (hint) {
      toggle.title = hint;
    }
    toggle.addEventListener('pointerdown', (event) => event.preventDefault());
    toggle.addEventListener('click', input(() => unit._kv_toggle(n)));
    // The front's toggles come before "Paneler" in the order of Tab (wherever "Paneler" is).
    if (parent === front) {
      $('PanelsButton').before(toggle);
    } else {
      parent.append(toggle);
    }
    toggles[n - 1] = toggle;
    return toggle;
  }

  function buildControls() {
    for (let n = 9; n <= 11; ++n) {
      makeToggle(front, n);
    }
    const min = unit._kv_sliderRange(0);
    const max = unit._kv_sliderRange(1);
    for (let n = 1; n <= 11; ++n) {
      const slider = document.createElement('input');
      slider.type = 'range';
      slider.id = `TrackBar${n}`;
      slider.min = String(min);
      slider.max = String(max);
      slider.step = '1';
      slider.addEventListener('input', input(() => unit._kv_sliderChange(n, Number(slider.value))));
      slider.addEventListener('focus', input(() => unit._kv_sliderEnter(n)));
      const edit = document.createElement('output');
      edit.id = `Edit${n}`;
      edit.value = '0';
      const label = document.createElement('label');
      label.id = `Label${n}`;
      label.htmlFor = slider.id;
      label.textContent = unit.UTF8ToString(unit._kv_sensorLabel(n));
      $('Panel1').append(slider, edit, label);
      sliders.push(slider);
      edits.push(edit);
    }
    for (let n = 1; n <= 10; ++n) {
      const lamp = document.createElement('div');
      lamp.id = `Led${n}`;
      lamp.className = 'led green';
      lamp.setAttribute('role', 'img');
      const label = document.createElement('div');
      label.id = `Label${11 + n}`;
      label.className = 'label';
      label.textContent = unit.UTF8ToString(unit._kv_lampLabel(n));
      lamp.dataset.label = label.textContent;
      lamp.setAttribute('aria-label', `${label.textContent}: dark`);
      $('Panel2').append(lamp, label);
      lamps.push(lamp);
    }
    for (let n = 1; n <= 8; ++n) {
      makeToggle($('Panel3'), n);
    }
  }

  function panelsShown() {
    return !$('Panel1').hidden;
  }

  function setPanelsShown(shown) {
    for (const id of ['Panel1', 'Panel2', 'Panel3']) {
      $(id).hidden = !shown;
    }
    front.classList.toggle('panels-shown', shown && !compact);
    unit._kv_setPanelsShown(shown ? 1 : 0);
    showCaption($('PanelsButton'), unit._kv_panelsButtonColour(shown ? 1 : 0));
    fitToScreen();
  }

  $('PanelsButton').addEventListener('pointerdown', (event) => event.preventDefault());
  $('PanelsButton').addEventListener('click', input(() => setPanelsShown(!panelsShown())));

  // ------------------------------------------------------------------ English gloss

  const glossLines = [$('Gloss1'), $('Gloss2'), $('Gloss3'), $('Gloss4')];
  // The titles the labelled elements had before the English replaced them.
  const ownTitles = new Map();

  function englishShown() {
    return !$('Gloss').hidden;
  }

  // The English of the element named `name`, as the library keeps it; '' for none.
  function labelEnglish(name) {
    const at = unit._kv_glossNameBuffer();
    const length = Math.min(name.length, 63);
    for (let i = 0; i < length; ++i) {
      unit.HEAPU8[at + i] = name.charCodeAt(i) & 0x7f;
    }
    unit.HEAPU8[at + length] = 0;
    return unit.UTF8ToString(unit._kv_labelGloss());
  }

  // Shows or hides the gloss under the front and the labels' English as their titles; the
  // choice is kept in the browser.
  function setEnglishShown(shown) {
    $('Gloss').hidden = !shown;
    $('EnglishButton').setAttribute('aria-pressed', String(shown));
    $('EnglishButton').style.color = colour(unit._kv_panelsButtonColour(shown ? 1 : 0));
    for (const element of front.querySelectorAll('[id]')) {
      const english = shown ? labelEnglish(element.id) : '';
      if (english && !ownTitles.has(element)) {
        ownTitles.set(element, element.getAttribute('title'));
        element.title = english;
      }
    }
    if (!shown) {
      for (const [element, title] of ownTitles) {
        if (title === null) {
          element.removeAttribute('title');
        } else {
          element.title = title;
        }
      }
      ownTitles.clear();
    }
    try {
      localStorage.setItem('kv410.english', shown ? '1' : '0');
    } catch {
      // A browser without storage forgets the choice.
    }
    paintedOnce = false;
    afterHandler();
  }

  $('EnglishButton').addEventListener('pointerdown', (event) => event.preventDefault());
  $('EnglishButton').addEventListener('click', input(() => setEnglishShown(!englishShown())));

  // ------------------------------------------------------------------ knob, buttons, power

  front.addEventListener('contextmenu', (event) => event.preventDefault());

  // The mouse's buttons turn the knob as in the window; a finger or pen turns it forward on its
  // right half and back on its left half.
  knob.addEventListener('pointerdown', input((event) => {
    event.preventDefault();
    let button;
    if (event.pointerType === 'mouse') {
      button = event.button === 0 ? MouseButton.Left
        : event.button === 2 ? MouseButton.Right : MouseButton.Middle;
    } else {
      const box = knob.getBoundingClientRect();
      button = event.clientX >= box.left + box.width / 2 ? MouseButton.Left : MouseButton.Right;
    }
    unit._kv_knob(button, event.shiftKey ? 1 : 0);
  }));

  // A button is held from the press until its pointer is lifted, wherever that happens.
  for (const [id, button] of Object.entries(PanelButton)) {
    const area = $(id);
    let holder = null;
    area.addEventListener('pointerdown', input((event) => {
      event.preventDefault();
      if (holder !== null) {
        return;
      }
      holder = event.pointerId;
      area.setPointerCapture(event.pointerId);
      unit._kv_buttonDown(button);
    }));
    const release = input((event) => {
      if (holder !== event.pointerId) {
        return;
      }
      holder = null;
      unit._kv_buttonUp(button);
    });
    area.addEventListener('pointerup', release);
    area.addEventListener('pointercancel', release);
    area.addEventListener('lostpointercapture', release);
  }

  $('Shape6').addEventListener('pointerdown', input((event) => {
    event.preventDefault();
    unit._kv_power();
  }));

  // The keys that press a focused control of the page, as a browser's buttons take them.
  const ActivationKeys = ['Enter', ' '];

  // The focused power switch is pressed by Enter or Space, once a press.
  $('Shape6').addEventListener('keydown', input((event) => {
    if (ActivationKeys.includes(event.key)) {
      event.preventDefault();
      if (!event.repeat) {
        unit._kv_power();
      }
    }
  }));

  // ------------------------------------------------------------------ keyboard

  // Keys typed into the settings view (its filter) are the view's, not the unit's.
  function inSettingsView(target) {
    return target instanceof Node && $('Settings').contains(target);
  }

  // A button or link of the page (the flash bar, the footer, the toggles and "Paneler") takes Enter
  // and Space itself: they press it, as in any page, and do not reach the unit.
  function pageActivation(event) {
    return ActivationKeys.includes(event.key) && event.target instanceof Element &&
      event.target.matches('button, a[href], summary, input:not([type="range"])');
  }

  // The power switch takes Enter and Space itself (its own handler above).
  function powerActivation(event) {
    return ActivationKeys.includes(event.key) && event.target === $('Shape6');
  }

  function focusedSlider(target) {
    const n = sliders.indexOf(target);
    return n < 0 ? 0 : n + 1;
  }

  // The key under the display that has the focus (PanelButton), or -1.
  function focusedButton(target) {
    const id = target && target.id;
    return id && Object.hasOwn(PanelButton, id) ? PanelButton[id] : -1;
  }

  // Hands a key event to the module's key map (panel/KeyMap.h), which performs it; returns its
  // answer: bit 1 the focused element must not see the key, bit 2 show or hide the side panels.
  function mapKey(handler, event) {
    const name = unit._kv_keyName();
    const bytes = new TextEncoder().encode(event.key).subarray(0, 63);
    unit.HEAPU8.set(bytes, name);
    unit.HEAPU8[name + bytes.length] = 0;
    return handler(event.shiftKey ? 1 : 0, event.ctrlKey || event.metaKey ? 1 : 0,
      event.repeat ? 1 : 0, focusedSlider(event.target), focusedButton(event.target));
  }

  // The page sees every key before the focused element, as the window does: the panel's key
  // handlers run first; a focused slider then gets the key unless the panel swallows it.
  window.addEventListener('keydown', input((event) => {
    if (inSettingsView(event.target) || pageActivation(event) || powerActivation(event)) {
      return;
    }
    const answer = mapKey(unit._kv_keyDown, event);
    if (answer & 2) {
      setPanelsShown(!panelsShown());
    }
    if (unit._kv_takeSliderFocusRequest()) {
      sliders[0].focus();
      unit._kv_sliderEnter(1);
    }
    const browserKey = event.ctrlKey || event.metaKey || event.altKey || event.key === 'Tab';
    if ((answer & 1) || (focusedSlider(event.target) === 0 && !browserKey)) {
      event.preventDefault();
    }
  }), true);

  window.addEventListener('keyup', input((event) => {
    if (inSettingsView(event.target) || pageActivation(event) || powerActivation(event)) {
      return;
    }
    if (mapKey(unit._kv_keyUp, event) & 1) {
      event.preventDefault();
    }
  }), true);

  // ------------------------------------------------------------------ Flash.dat

  // A button clicked with a pointer gives the keyboard back to the unit; one pressed by a key keeps
  // the focus, so Tab goes on from there.
  function blurAfterPointer(event) {
    if (event.detail > 0) {
      event.currentTarget.blur();
    }
  }

  function showStatus(text, error) {
    status.textContent = text;
    status.classList.toggle('error', Boolean(error));
  }

  function toBase64(bytes) {
    let text = '';
    for (let i = 0; i < bytes.length; i += 0x8000) {
      text += String.fromCharCode.apply(null, bytes.subarray(i, i + 0x8000));
    }
    return btoa(text);
  }

  function fromBase64(text) {
    const binary = atob(text);
    const bytes = new Uint8Array(binary.length);
    for (let i = 0; i < binary.length; ++i) {
      bytes[i] = binary.charCodeAt(i);
    }
    return bytes;
  }

  function storageProblem(error) {
    const full = error && (error.name === 'QuotaExceededError' ||
      error.name === 'NS_ERROR_DOM_QUOTA_REACHED');
    const why = full ? "the browser's storage is full"
      : `the browser denies its storage (${error && error.name ? error.name : error})`;
    showStatus(`Flash.dat is not kept in this browser: ${why}. The unit keeps running; ` +
      '"Save Flash.dat" downloads it.', true);
  }

  let storageFailing = false;

  function readStoredFlash() {
    try {
      const stored = window.localStorage.getItem(StorageKey);
      return stored === null ? null : fromBase64(stored);
    } catch (error) {
      storageFailing = true;
      storageProblem(error);
      return null;
    }
  }

  // Keeps the module's Flash.dat in the browser's storage.
  function keepFlash() {
    if (!running) {
      return;
    }
    const bytes = unit.files.readFile(FlashPath);
    if (!bytes) {
      return;
    }
    try {
      window.localStorage.setItem(StorageKey, toBase64(bytes));
      if (storageFailing) {
        storageFailing = false;
        showStatus('Flash.dat is kept in this browser again.', false);
      }
    } catch (error) {
      storageFailing = true;
      storageProblem(error);
    }
  }

  // Written when the page is hidden or closed, as the window writes it when it closes.
  function saveOnLeaving() {
    if (unit && running) {
      unit._kv_advance(performance.now());
      unit._kv_saveFlash();
      keepFlash();
    }
  }
  window.addEventListener('pagehide', saveOnLeaving);
  document.addEventListener('visibilitychange', () => {
    if (document.visibilityState === 'hidden') {
      saveOnLeaving();
    }
  });

  $('OpenFlash').addEventListener('click', (event) => {
    blurAfterPointer(event);
    $('FlashFile').click();
  });

  // The largest file the page opens as Flash.dat; a larger one is refused before it is read.
  const MaxOpenBytes = 1024 * 1024;
  const ExaminePath = '/Examine.dat';
  const openDialog = $('OpenDialog');
  // The settings the page had before the last file was opened, for "Undo".
  let undoBytes = null;

  function storedFlashBytes() {
    unit._kv_advance(performance.now());
    unit._kv_saveFlash();
    keepFlash();
    return unit.files.readFile(FlashPath);
  }

  // Starts the unit on an opened file; the settings it had are kept for "Undo".
  function openFlash(name, bytes) {
    undoBytes = storedFlashBytes() ?? new Uint8Array(0);
    startUnit(bytes);
    keepFlash();
    $('UndoOpen').hidden = false;
    if (!storageFailing) {
      showStatus(`Opened ${name} (${bytes.length} bytes); the unit started afresh.`, false);
    }
  }

  $('UndoOpen').addEventListener('click', (event) => {
    blurAfterPointer(event);
    if (!unit || !running || undoBytes === null) {
      return;
    }
    startUnit(undoBytes.length > 0 ? undoBytes : null);
    keepFlash();
    undoBytes = null;
    $('UndoOpen').hidden = true;
    showStatus('The settings the page had are back; the unit started afresh.', false);
  });

  // What the unit would make of a file (kv_examineFlash in web/WebFront.cpp), in words.
  function describeFile(name, bytes) {
    putFile(ExaminePath, bytes);
    const found = JSON.parse(unit.UTF8ToString(unit._kv_examineFlash()));
    unit.files.unlink(ExaminePath);
    if (found.problem === '') {
      return null;
    }
    const takes = found.size > 2048 ? 'its first 2048 bytes, as the desktop program does'
      : `its ${found.size} bytes`;
    const outcome = found.factory
      ? `The unit would read ${takes}, find no settings there and start from factory values: ` +
        "these are not the customer's settings."
      : `The unit would start on ${takes}.`;
    return `${name}: ${found.problem}. ${outcome} Replace the settings kept in this browser?`;
  }

  // Asks whether to open `bytes` (named `name`) as Flash.dat, saying what they hold.
  function askToOpen(name, bytes, sound) {
    $('OpenText').textContent = describeFile(name, bytes) ??
      `${name}: a Flash.dat of ${bytes.length} bytes. Replace the settings kept in this browser?`;
    openDialog.returnValue = '';
    openDialog.onclose = () => {
      if (openDialog.returnValue === 'open') {
        openFlash(name, bytes);
      } else {
        showStatus(`${name} was not opened; the settings stay as they are.`, false);
      }
    };
    if (!sound || describeFile(name, bytes) !== null) {
      openDialog.showModal();
    }
  }

  // ------------------------------------------------------------------ a link that carries the image

  // "Copy link": the page's address with the unit's Flash.dat in its fragment, compressed
  // (deflate) and in base64url, so the image never goes to a server.
  const LinkPrefix = '#flash=';

  function base64url(bytes) {
    return toBase64(bytes).replaceAll('+', '-').replaceAll('/', '_').replace(/=+$/, '');
  }

  function fromBase64url(text) {
    return fromBase64(text.replaceAll('-', '+').replaceAll('_', '/'));
  }

  // The bytes through a compression stream; past `limit` bytes out it stops and throws.
  async function transform(bytes, stream, limit = Infinity) {
    const reader = new Blob([bytes]).stream().pipeThrough(stream).getReader();
    const chunks = [];
    let total = 0;
    for (;;) {
      const { done, value } = await reader.read();
      if (done) {
        break;
      }
      total += value.length;
      if (total > limit) {
        await reader.cancel();
        throw new Error('too large');
      }
      chunks.push(value);
    }
    const out = new Uint8Array(total);
    let at = 0;
    for (const chunk of chunks) {
      out.set(chunk, at);
      at += chunk.length;
    }
    return out;
  }

  $('CopyLink').addEventListener('click', async (event) => {
    blurAfterPointer(event);
    if (!unit || !running) {
      return;
    }
    const packed = await transform(storedFlashBytes(), new CompressionStream('deflate-raw'));
    const link = `${location.href.split('#')[0]}${LinkPrefix}${base64url(packed)}`;
    try {
      await navigator.clipboard.writeText(link);
      showStatus('A link with these settings is on the clipboard.', false);
    } catch (error) {
      showStatus(`The clipboard is closed to the page; the link: ${link}`, false);
    }
  });

  // A page opened from such a link asks before the image replaces the stored settings.
  let sharedOffered = false;

  function offerSharedImage() {
    if (sharedOffered || !location.hash.startsWith(LinkPrefix)) {
      return;
    }
    sharedOffered = true;
    const text = location.hash.slice(LinkPrefix.length);
    history.replaceState(null, '', location.href.split('#')[0]);
    let packed;
    try {
      packed = fromBase64url(text);
    } catch {
      showStatus('The link carries no readable settings; the settings stay as they are.', true);
      return;
    }
    transform(packed, new DecompressionStream('deflate-raw'), MaxOpenBytes).then((bytes) => {
      askToOpen('The shared link', bytes, false);
    }).catch(() => showStatus('The link carries no readable settings; the settings stay as ' +
      'they are.', true));
  }

  // A link opened in a page that is already open changes only the fragment.
  window.addEventListener('hashchange', () => {
    if (running) {
      sharedOffered = false;
      offerSharedImage();
      offerLessonLink();
    }
  });

  // Any file the unit can read as Flash.dat: a sound one opens at once, any other is described
  // first and opens only when confirmed; until then the stored settings stay as they are.
  $('FlashFile').addEventListener('change', () => {
    const file = $('FlashFile').files[0];
    $('FlashFile').value = '';
    if (!file || !unit || !running) {
      return;
    }
    if (file.size > MaxOpenBytes) {
      showStatus(`${file.name} was not opened: it has ${file.size} bytes, and a Flash.dat has ` +
        '2048. The settings stay as they are.', true);
      return;
    }
    file.arrayBuffer().then((buffer) => {
      const bytes = new Uint8Array(buffer);
      const doubt = describeFile(file.name, bytes);
      if (doubt === null) {
        openFlash(file.name, bytes);
        return;
      }
      $('OpenText').textContent = doubt;
      openDialog.returnValue = '';
      openDialog.onclose = () => {
        if (openDialog.returnValue === 'open') {
          openFlash(file.name, bytes);
        } else {
          showStatus(`${file.name} was not opened; the settings stay as they are.`, false);
        }
      };
      openDialog.showModal();
    }, (error) => showStatus(`${file.name} could not be read: ${error}`, true));
  });

  // Downloads Flash.dat as the program writes it.
  $('SaveFlash').addEventListener('click', (event) => {
    blurAfterPointer(event);
    if (!unit || !running) {
      return;
    }
    unit._kv_advance(performance.now());
    unit._kv_saveFlash();
    keepFlash();
    const bytes = unit.files.readFile(FlashPath);
    if (!bytes) {
      return;
    }
    const link = document.createElement('a');
    link.href = URL.createObjectURL(new Blob([bytes], { type: 'application/octet-stream' }));
    link.download = 'Flash.dat';
    document.body.append(link);
    link.click();
    link.remove();
    setTimeout(() => URL.revokeObjectURL(link.href), 10000);
  });

  // ------------------------------------------------------------------ the settings view

  // The catalogue of the unit's settings (kv_settings in web/WebFront.cpp): the running unit's
  // image or an opened file, optionally compared with a second file. The module reads the files
  // from its file system; the page only shows, filters and exports what it answers.
  const SettingsFileA = '/SettingsA.dat';
  const SettingsFileB = '/SettingsB.dat';
  const settingsView = $('Settings');
  const settingsState = { nameA: null, nameB: null, rows: [] };



  function settingsColumns() {
    const columns = ['number', 'name', 'value', 'unit', 'factory', 'min', 'max', 'level'];
    if (settingsState.nameB !== null) {
      columns.splice(3, 0, 'b');
    }
    return columns;
  }

  function settingsHeads() {
    const heads = { number: 'Number', name: 'Name', value: settingsState.nameA ?? 'Value',
      b: settingsState.nameB, unit: 'Unit', factory: 'Factory', min: 'Min', max: 'Max',
      level: 'Level' };
    return settingsColumns().map((column) => heads[column]);
  }

  function visibleSettings() {
    const filter = $('SettingsFilter').value.trim().toLowerCase();
    return settingsState.rows.filter((row) => filter === '' ||
      [row.number, row.name, row.english, row.value, row.b ?? ''].some((text) =>
        text.toLowerCase().includes(filter)));
  }

  function showSettingsTable() {
    const head = $('SettingsTable').tHead.rows[0];
    head.replaceChildren(...settingsHeads().map((text) => {
      const cell = document.createElement('th');
      cell.textContent = text;
      return cell;
    }));
    const body = $('SettingsTable').tBodies[0];
    body.replaceChildren(...visibleSettings().map((row) => {
      const line = document.createElement('tr');
      line.dataset.number = row.number;
      line.classList.toggle('changed', row.changed);
      line.classList.toggle('differs', Boolean(row.differs));
      for (const column of settingsColumns()) {
        const cell = document.createElement('td');
        cell.textContent = row[column] ?? '';
        if (column === 'name' && row.english) {
          cell.title = row.english;
        }
        line.append(cell);
      }
      return line;
    }));
  }

  // Asks the module for the catalogue of image A (the unit's, or SettingsFileA) and B.
  function readSettings() {
    const answer = JSON.parse(unit.UTF8ToString(unit._kv_settings(
      settingsState.nameA === null ? 0 : 1, settingsState.nameB === null ? 0 : 1)));
    $('SettingsProblem').textContent = answer.error ?? '';
    settingsState.rows = answer.settings ?? [];
    $('SettingsSource').textContent = settingsState.nameA ?? 'the running unit';
    if (settingsState.nameB !== null) {
      $('SettingsSource').textContent += ` compared with ${settingsState.nameB}`;
    }
    showSettingsTable();
  }

  function openSettingsFile(file, which) {
    file.arrayBuffer().then((buffer) => {
      const bytes = new Uint8Array(buffer);
      if (which === 'A') {
        putFile(SettingsFileA, bytes);
        settingsState.nameA = file.name;
      } else {
        putFile(SettingsFileB, bytes);
        settingsState.nameB = file.name;
      }
      readSettings();
    }, (error) => {
      $('SettingsProblem').textContent = `${file.name} could not be read: ${error}`;
    });
  }

  $('SettingsButton').addEventListener('click', (event) => {
    blurAfterPointer(event);
    settingsView.hidden = !settingsView.hidden;
    $('SettingsButton').setAttribute('aria-expanded', String(!settingsView.hidden));
    if (!settingsView.hidden && unit) {
      readSettings();
    }
  });
  $('SettingsOfUnit').addEventListener('click', () => {
    settingsState.nameA = null;
    settingsState.nameB = null;
    readSettings();
  });
  $('SettingsOpen').addEventListener('click', () => $('SettingsFile').click());
  $('SettingsCompare').addEventListener('click', () => $('SettingsCompareFile').click());
  for (const [input, which] of [['SettingsFile', 'A'], ['SettingsCompareFile', 'B']]) {
    $(input).addEventListener('change', () => {
      const file = $(input).files[0];
      $(input).value = '';
      if (file && unit) {
        openSettingsFile(file, which);
      }
    });
  }
  $('SettingsFilter').addEventListener('input', showSettingsTable);

  const drop = $('SettingsDrop');
  drop.addEventListener('dragover', (event) => {
    event.preventDefault();
    drop.classList.add('dropping');
  });
  drop.addEventListener('dragleave', () => drop.classList.remove('dropping'));
  drop.addEventListener('drop', (event) => {
    event.preventDefault();
    drop.classList.remove('dropping');
    const file = event.dataTransfer.files[0];
    if (file && unit) {
      openSettingsFile(file, 'B');
    }
  });

  function csvField(text) {
    return /[",\n]/.test(text) ? `"${text.replaceAll('"', '""')}"` : text;
  }

  // The rows on view, as CSV with a head row.
  $('SettingsCsv').addEventListener('click', () => {
    const columns = settingsColumns();
    const lines = [settingsHeads().map(csvField).join(',')];
    for (const row of visibleSettings()) {
      lines.push(columns.map((column) => csvField(String(row[column] ?? ''))).join(','));
    }
    const link = document.createElement('a');
    link.href = URL.createObjectURL(new Blob([lines.join('\n') + '\n'], { type: 'text/csv' }));
    link.download = 'settings.csv';
    document.body.append(link);
    link.click();
    link.remove();
    setTimeout(() => URL.revokeObjectURL(link.href), 10000);
  });


  // ------------------------------------------------------------------ lessons

  // The shipped lessons (lessons/index.json, written when the site is built) in a list like the
  // settings view; `#lesson=NAME` opens one directly. A lesson runs on a unit of its own with its
  // flash image in memory (kv_lessonStart in web/WebFront.cpp), so the settings kept in this
  // browser stay as they are, and leaving it starts the free unit again on them. The lesson words
  // everything the panel shows; the page lays it out and hands on the Hint and answer clicks.
  const LessonPrefix = '#lesson=';
  const lessonPanel = $('LessonPanel');
  const lessonsView = $('Lessons');
  const lesson = { name: null, generation: -1, task: '', question: '', feedback: '', choices: '',
    finished: false, index: null };

  function resultKey(name) {
    return `kv410.lesson.${name}`;
  }

  // The newest result of lesson `name` kept in this browser, or null.
  function keptResult(name) {
    try {
      const text = localStorage.getItem(resultKey(name));
      return text === null ? null : JSON.parse(text);
    } catch {
      return null;
    }
  }

  function keepResult(name, result) {
    try {
      localStorage.setItem(resultKey(name), JSON.stringify(result));
      return true;
    } catch {
      return false;
    }
  }

  // The score line of a report ("score 25 of 40, time ..."), or the report's last line.
  function scoreLine(report) {
    const lines = report.trim().split('\n');
    return lines.find((line) => line.startsWith('score ')) ?? lines[lines.length - 1];
  }

  function downloadResult(name, report) {
    const link = document.createElement('a');
    link.href = URL.createObjectURL(new Blob([report], { type: 'text/plain' }));
    link.download = `${name}-result.txt`;
    document.body.append(link);
    link.click();
    link.remove();
    setTimeout(() => URL.revokeObjectURL(link.href), 10000);
  }

  function lessonIndex() {
    if (!lesson.index) {
      lesson.index = fetch('lessons/index.json').then((response) => {
        if (!response.ok) {
          throw new Error(`HTTP ${response.status}`);
        }
        return response.json();
      });
      lesson.index.catch(() => {
        lesson.index = null;
      });
    }
    return lesson.index;
  }

  function writeLessonText(text) {
    const bytes = new TextEncoder().encode(text);
    unit.HEAPU8.set(bytes, unit._kv_lessonBuffer(bytes.length));
  }

  function writeLessonName(name) {
    const at = unit._kv_lessonNameBuffer();
    const length = Math.min(name.length, 63);
    for (let i = 0; i < length; ++i) {
      unit.HEAPU8[at + i] = name.charCodeAt(i) & 0x7f;
    }
    unit.HEAPU8[at + length] = 0;
  }

  // Buttons that act on the stored Flash.dat rest while a lesson runs on its own unit.
  const FlashButtons = ['OpenFlash', 'SaveFlash', 'CopyLink', 'UndoOpen'];

  function showLessonMode(on) {
    lessonPanel.hidden = !on;
    for (const id of FlashButtons) {
      $(id).disabled = on;
    }
    document.body.classList.toggle('in-lesson', on);
    fitToScreen();
  }

  async function openLesson(name) {
    if (!/^[A-Za-z0-9_-]+$/.test(name)) {
      showStatus(`There is no lesson called "${name}".`, true);
      return;
    }
    let text;
    try {
      const response = await fetch(`lessons/${name}.kvs`);
      if (!response.ok) {
        throw new Error(`HTTP ${response.status}`);
      }
      text = await response.text();
    } catch (error) {
      showStatus(`The lesson "${name}" could not be loaded (${error.message}).`, true);
      return;
    }
    if (!unit || !running) {
      return;
    }
    if (lesson.name === null) {
      // The free unit's Flash.dat is kept before the lesson's unit takes its place.
      saveOnLeaving();
    }
    writeLessonText(text);
    writeLessonName(`${name}.kvs`);
    const answer = JSON.parse(unit.UTF8ToString(unit._kv_lessonStart(1, performance.now())));
    if (answer.errors.length > 0) {
      showStatus(`The lesson "${name}" cannot be read: ${answer.errors[0]}`, true);
      return;
    }
    Object.assign(lesson, { name, generation: -1, task: '', question: '', feedback: '',
      choices: '', finished: false });
    if (location.hash !== `${LessonPrefix}${name}`) {
      history.pushState(null, '', `${location.href.split('#')[0]}${LessonPrefix}${name}`);
    }
    unit._kv_setPanelsShown(panelsShown());
    showLessonMode(true);
    lessonsView.hidden = true;
    $('LessonsButton').setAttribute('aria-expanded', 'false');
    const kept = keptResult(name);
    $('LessonKept').textContent = kept ? `Your newest result: ${scoreLine(kept.report)}.` : '';
    paintedOnce = false;
    afterHandler();
    showStatus(`Lesson "${$('LessonTitle').textContent}" started on a fresh unit.`, false);
    sleepUntilDue();
    $('LessonTitle').focus();
  }

  // Back to the free unit, started again on the Flash.dat kept in this browser.
  function leaveLesson() {
    if (lesson.name === null) {
      return;
    }
    lesson.name = null;
    showLessonMode(false);
    if (location.hash.startsWith(LessonPrefix)) {
      history.replaceState(null, '', location.href.split('#')[0]);
    }
    startUnit(readStoredFlash());
    sleepUntilDue();
    showStatus('The lesson was left; the unit runs on its own settings again.', false);
  }

  function offerLessonLink() {
    if (location.hash.startsWith(LessonPrefix)) {
      const name = decodeURIComponent(location.hash.slice(LessonPrefix.length));
      if (name !== lesson.name) {
        openLesson(name);
      }
    } else if (lesson.name !== null) {
      leaveLesson();
    }
  }

  function say(text) {
    const spoken = $('LessonSpoken');
    spoken.textContent = '';
    setTimeout(() => {
      spoken.textContent = text;
    }, 50);
  }

  function progressText(view) {
    if (view.finished) {
      return 'Finished';
    }
    const current = Math.min(view.itemsEnded + 1, Math.max(view.itemsTotal, 1));
    return `Task ${current} of ${view.itemsTotal}`;
  }

  // Lays out the lesson's view when it has changed (kv_lessonGeneration).
  function paintLesson() {
    if (lesson.name === null || !unit._kv_lessonRunning()) {
      return;
    }
    const generation = unit._kv_lessonGeneration() >>> 0;
    if (generation === lesson.generation) {
      return;
    }
    lesson.generation = generation;
    const view = JSON.parse(unit.UTF8ToString(unit._kv_lessonView()));
    $('LessonTitle').textContent = view.title;
    $('LessonProgress').textContent = progressText(view);
    $('LessonTask').textContent = view.task;
    $('LessonTask').hidden = view.task === '';
    $('LessonHint').hidden = view.finished;
    $('LessonHint').disabled = !view.hintAvailable;
    $('LessonHints').replaceChildren(...view.hints.map((hint) => {
      const item = document.createElement('li');
      item.textContent = hint;
      return item;
    }));
    $('LessonHints').hidden = view.hints.length === 0;
    $('LessonQuestion').textContent = view.question;
    $('LessonQuestionBox').hidden = view.question === '';
    const choices = JSON.stringify(view.choices);
    if (choices !== lesson.choices) {
      const hadFocus = $('LessonChoices').contains(document.activeElement);
      lesson.choices = choices;
      $('LessonChoices').replaceChildren(...view.choices.map((choice) => {
        const button = document.createElement('button');
        button.type = 'button';
        button.className = 'lesson-choice';
        button.textContent = choice;
        button.addEventListener('click', input((event) => {
          blurAfterPointer(event);
          writeLessonText(choice);
          unit._kv_lessonChoose();
        }));
        return button;
      }));
      if (hadFocus) {
        ($('LessonChoices').querySelector('button') ?? $('LessonTask')).focus();
      }
    }
    $('LessonFeedback').textContent = view.finished ? '' : view.answerFeedback;
    $('LessonResult').hidden = !view.finished;
    // What is new is read out: a task, a question, an answer's outcome, the end.
    const spoken = [];
    if (view.task !== lesson.task && view.task !== '') {
      spoken.push(`${progressText(view)}: ${view.task}`);
    }
    if (view.question !== lesson.question && view.question !== '') {
      spoken.push(`Question: ${view.question}`);
    }
    if (view.answerFeedback !== '' && generation !== 0 &&
        (view.answerFeedback !== lesson.feedback || view.question === lesson.question)) {
      spoken.push(view.answerFeedback);
    }
    lesson.task = view.task;
    lesson.question = view.question;
    lesson.feedback = view.answerFeedback;
    if (view.finished && !lesson.finished) {
      lesson.finished = true;
      $('LessonReport').textContent = view.report;
      const kept = keepResult(lesson.name, { report: view.report, points: view.points,
        maxPoints: view.maxPoints, status: view.status, when: new Date().toISOString() });
      $('LessonKept').textContent = kept ? 'This result is kept in this browser.'
        : 'This result could not be kept in this browser; download it.';
      spoken.push(`Lesson finished: ${scoreLine(view.report)}`);
    }
    if (spoken.length > 0) {
      say(spoken.join('. '));
    }
  }

  function showLessonList() {
    $('LessonsProblem').textContent = '';
    lessonIndex().then((lessons) => {
      $('LessonList').replaceChildren(...lessons.map((entry) => {
        const item = document.createElement('li');
        item.dataset.lesson = entry.name;
        const open = document.createElement('button');
        open.type = 'button';
        open.className = 'lesson-open';
        open.textContent = entry.title;
        open.addEventListener('click', () => openLesson(entry.name));
        item.append(open);
        if (entry.drill) {
          const drill = document.createElement('span');
          drill.className = 'lesson-kind';
          drill.textContent = 'drill';
          item.append(' ', drill);
        }
        const kept = keptResult(entry.name);
        if (kept) {
          const result = document.createElement('span');
          result.className = 'lesson-kept';
          result.textContent = `Newest result: ${scoreLine(kept.report)}`;
          const download = document.createElement('button');
          download.type = 'button';
          download.className = 'lesson-download';
          download.textContent = 'Download';
          download.setAttribute('aria-label', `Download the newest result of ${entry.title}`);
          download.addEventListener('click', () => downloadResult(entry.name, kept.report));
          item.append(' ', result, ' ', download);
        }
        return item;
      }));
      if (lessons.length === 0) {
        $('LessonsProblem').textContent = 'No lessons came with this page.';
      }
    }, (error) => {
      $('LessonsProblem').textContent = `The list of lessons could not be loaded (${error.message}).`;
    });
  }

  $('LessonsButton').addEventListener('click', (event) => {
    blurAfterPointer(event);
    lessonsView.hidden = !lessonsView.hidden;
    $('LessonsButton').setAttribute('aria-expanded', String(!lessonsView.hidden));
    if (!lessonsView.hidden) {
      showLessonList();
    }
  });
  $('LessonHint').addEventListener('click', input((event) => {
    blurAfterPointer(event);
    unit._kv_lessonHint();
  }));
  $('LessonDownload').addEventListener('click', () => {
    const kept = lesson.name && keptResult(lesson.name);
    const report = $('LessonReport').textContent;
    if (lesson.name) {
      downloadResult(lesson.name, report || (kept ? kept.report : ''));
    }
  });
  $('LessonLeave').addEventListener('click', () => leaveLesson());
  window.addEventListener('popstate', () => {
    if (running) {
      offerLessonLink();
    }
  });

  // ------------------------------------------------------------------ message boxes and sound

  function showMessageBox(text, caption, okCancel) {
    $('MessageCaption').textContent = caption;
    $('MessageText').textContent = text;
    $('MessageCancel').hidden = !okCancel;
    if (!messageBox.open) {
      messageBox.showModal();
    }
  }

  let audio = null;
  let beepEnds = 0;

  // Browsers let a page make sound only after the user did something on it.
  function startAudio() {
    const Context = window.AudioContext || window.webkitAudioContext;
    if (!Context) {
      return;
    }
    if (!audio) {
      audio = new Context();
    }
    if (audio.state === 'suspended') {
      audio.resume().catch(() => {});
    }
  }

  // A short beep; beeps asked for while one sounds (ticks caught up at once) are one beep.
  function beep() {
    if (!audio || audio.state !== 'running' || audio.currentTime < beepEnds) {
      return;
    }
    const start = audio.currentTime;
    beepEnds = start + 0.15;
    const tone = audio.createOscillator();
    const volume = audio.createGain();
    tone.type = 'square';
    tone.frequency.value = 880;
    volume.gain.setValueAtTime(0.06, start);
    volume.gain.setTargetAtTime(0, start + 0.1, 0.015);
    tone.connect(volume).connect(audio.destination);
    tone.start(start);
    tone.stop(beepEnds);
  }

  // ------------------------------------------------------------------ size

  // A screen narrower or lower than the front (a phone, a tablet held upright, a phone on its
  // side) shows it smaller, so the whole front is in view. On a phone, and on any screen used
  // with a finger (compact), the toggles beside the picture and the side panels would be too
  // small to touch: they leave the front for #Controls, at a finger's size, below the front
  // upright and beside it on its side.
  const CompactWidth = 600;
  const CompactHeight = 500;
  const finger = matchMedia('(pointer: coarse)');
  // The room #Controls keeps beside the front on a phone on its side: the toggles', or the widest
  // side panel's while the panels are shown (with #Controls' padding).
  const ControlsBeside = 180;
  const ControlsPadding = 12;
  // A finger's target, in CSS pixels of the screen (44 and a little to spare).
  const TouchTarget = 46;
  // What leaves the front on a phone, in the front's order.
  const movable = ['PanelsButton', 'EnglishButton', 'Panel1', 'Panel2', 'Panel3'];
  let compact = false;

  function arrange() {
    const room = document.documentElement;
    const nowCompact = room.clientWidth < CompactWidth || room.clientHeight < CompactHeight ||
      finger.matches;
    const beside = nowCompact && room.clientWidth > room.clientHeight;
    $('FrontRow').classList.toggle('compact', nowCompact);
    $('FrontRow').classList.toggle('beside', beside);
    if (nowCompact !== compact) {
      compact = nowCompact;
      const moved = [...toggles.slice(8, 11).filter(Boolean), ...movable.map($)];
      if (compact) {
        $('Controls').append(...moved);
      } else {
        front.append(...moved);
      }
      $('Controls').hidden = !compact;
      front.classList.toggle('panels-shown', panelsShown() && !compact);
    }
    return beside;
  }

  function fitToScreen() {
    const beside = arrange();
    const room = document.documentElement;
    const besideWidth = Math.max(ControlsBeside, panelsShown()
      ? $('Panel1').offsetWidth + ControlsPadding : 0);
    const width = room.clientWidth - (beside ? besideWidth : 0);
    const scale = Math.min(1, width / front.offsetWidth, room.clientHeight / front.offsetHeight);
    $('stage').style.zoom = scale < 1 ? String(scale) : '';
    placeHitAreas(compact ? Math.ceil(TouchTarget / scale) : 0);
  }

  // The areas a finger hits, in the front's pixels: a key under the display or the power switch
  // reaches 15 px past its drawing on every side, and at least `target` square; the keys under the
  // display stand closer than that on a phone, so the middle one's area is centred on it and its
  // neighbours' lie beside it, outwards. Each half of the knob is at least `target` square.
  function placeHitAreas(target) {
    const area = (element) => {
      const width = Math.max(element.offsetWidth + 30, target);
      const height = Math.max(element.offsetHeight + 30, target);
      const left = element.offsetLeft + (element.offsetWidth - width) / 2;
      const top = element.offsetTop + (element.offsetHeight - height) / 2;
      return { element, left, top, right: left + width, bottom: top + height };
    };
    const [left, middle, right] = ['Shape1', 'Shape2', 'Shape3'].map((id) => area($(id)));
    const leftShift = Math.max(0, left.right - middle.left);
    left.left -= leftShift;
    left.right -= leftShift;
    const rightShift = Math.max(0, middle.right - right.left);
    right.left += rightShift;
    right.right += rightShift;
    // The ::after boxes, placed against each key's padding box: everything is measured before
    // anything is set, so the browser lays the page out once.
    const places = [left, middle, right, area($('Shape6'))].map((hit) => {
      const element = hit.element;
      const inner = { left: element.offsetLeft + element.clientLeft,
        top: element.offsetTop + element.clientTop };
      return [element, {
        '--hit-left': hit.left - inner.left,
        '--hit-top': hit.top - inner.top,
        '--hit-right': inner.left + element.clientWidth - hit.right,
        '--hit-bottom': inner.top + element.clientHeight - hit.bottom,
      }];
    });
    for (const [element, insets] of places) {
      for (const [name, value] of Object.entries(insets)) {
        element.style.setProperty(name, `${value}px`);
      }
    }
    const padX = Math.max(0, target - knob.width / 2);
    const padY = Math.max(0, (target - knob.height) / 2);
    knob.style.padding = padX || padY ? `${padY}px ${padX}px` : '';
    knob.style.margin = padX || padY ? `${-padY}px ${-padX}px` : '';
  }

  window.addEventListener('resize', fitToScreen);
  fitToScreen();
})();
