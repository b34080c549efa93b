"use strict";
// What the extension decides in cases that the whole-program test in a real Firefox
// (tests/e2e/firefox_e2e.cpp) cannot bring about: Firefox behind another program, minimised
// windows, private windows the user allowed, tabs without an address, and a native host that
// ends, is missing or breaks.
const test = require("node:test");
const assert = require("node:assert/strict");

const { createTracker, pickAddress, SEND_INTERVAL_MS, RECONNECT_DELAY_MS } = require("../tracker.js");

const A = "https://ja.wikipedia.org/wiki/A";
const B = "https://ja.wikipedia.org/wiki/B";

function win(id, url, more = {}) {
  return { id, focused: false, state: "normal", incognito: false, tabs: [{ active: true, url }], ...more };
}

test("the address that counts", () => {
  const cases = [
    // what, windows as the extension sees them, last focused window's id, private allowed
    ["Firefox behind another program: the window focused last", [win(1, A), win(2, B)], 1, false, A],
    ["that window minimised", [win(1, A, { state: "minimized" }), win(2, B)], 1, false, null],
    ["the window focused last is not listed (a pop-up)", [win(2, B)], 1, false, null],
    ["a private window, allowed, has the focus", [win(1, A), win(2, B, { focused: true, incognito: true })], null, true, B],
    ["a private window, allowed, focused last", [win(1, A), win(2, B, { incognito: true })], 2, true, B],
    ["a private window listed although not allowed", [win(2, B, { focused: true, incognito: true })], null, false, null],
    ["an empty address", [win(1, "", { focused: true })], null, false, null],
    ["no address (no tabs permission)", [win(1, undefined, { focused: true })], null, false, null],
    ["no tabs", [{ ...win(1, A, { focused: true }), tabs: [] }], null, false, null],
    ["no window", [], null, false, null],
  ];
  for (const [what, windows, lastFocusedId, incognitoAllowed, expected] of cases) {
    assert.equal(pickAddress(windows, lastFocusedId, incognitoAllowed), expected, what);
  }
});

// The part of the browser the tracker uses: one focused window showing A, and native ports
// whose host the test ends or breaks.
class FakeFirefox {
  constructor({ hostInstalled = true } = {}) {
    this.hostInstalled = hostInstalled;
    this.windows = [win(1, A, { focused: true })];
    this.ports = [];
    const event = () => ({ addListener() {} });
    this.browser = {
      runtime: {
        getURL: (path) => `moz-extension://0b1c2d3e-4f50-4a6b-8c7d-9e0f1a2b3c4d${path}`,
        connectNative: (name) => this.connect(name),
      },
      extension: { isAllowedIncognitoAccess: async () => false },
      windows: {
        onFocusChanged: event(),
        onRemoved: event(),
        onCreated: event(),
        getAll: async () => this.windows,
        getLastFocused: async () => this.windows[0],
      },
      tabs: ["onActivated", "onUpdated", "onRemoved", "onAttached", "onDetached"].reduce(
        (tabs, name) => ({ ...tabs, [name]: event() }),
        {},
      ),
    };
  }

  connect(name) {
    if (this.connectThrows) {
      throw new Error("No such native application");
    }
    const listeners = [];
    const port = {
      name,
      messages: [],
      broken: false,
      onDisconnect: { addListener: (fn) => listeners.push(fn) },
      postMessage(message) {
        if (port.broken) {
          throw new Error("Attempt to postMessage on disconnected port");
        }
        port.messages.push(message.url);
      },
      disconnect() {
        port.broken = true;
      },
      // The host ends (or, when missing, Firefox gives up on it at once).
      hostExits() {
        port.broken = true;
        listeners.forEach((fn) => fn(port));
      },
    };
    this.ports.push(port);
    if (!this.hostInstalled) {
      Promise.resolve().then(() => port.hostExits());
    }
    return port;
  }
}

// setInterval and a clock that move only when told.
class FakeTimers {
  time = 1000;
  intervals = new Map();
  next = 1;
  setInterval = (fn, ms) => {
    this.intervals.set(this.next, { fn, ms, due: this.time + ms });
    return this.next++;
  };
  clearInterval = (handle) => this.intervals.delete(handle);
  now = () => this.time;
  // Moves the clock, firing intervals in order and letting their promises settle.
  async advance(ms) {
    const end = this.time + ms;
    for (;;) {
      const due = [...this.intervals.values()].filter((t) => t.due <= end).sort((a, b) => a.due - b.due);
      if (due.length === 0) {
        break;
      }
      this.time = due[0].due;
      due[0].due += due[0].ms;
      await due[0].fn();
      await settle();
    }
    this.time = end;
  }
}

function settle() {
  return new Promise((resolve) => setImmediate(resolve));
}

async function started(options) {
  const firefox = new FakeFirefox(options);
  const timers = new FakeTimers();
  const tracker = createTracker(firefox.browser, timers);
  await tracker.start();
  await settle();
  return { firefox, timers, tracker };
}

test.describe("the native host", () => {
  test("that ends is started again after the delay and told the page afresh", async () => {
    const { firefox, timers } = await started();
    firefox.ports[0].hostExits();
    await timers.advance(RECONNECT_DELAY_MS - SEND_INTERVAL_MS);
    assert.equal(firefox.ports.length, 1);
    await timers.advance(SEND_INTERVAL_MS);
    assert.equal(firefox.ports.length, 2);
    assert.deepEqual(firefox.ports[1].messages, [A]);
  });

  test("hears the shown page twice a second, so that each read of the program sees a new marker", async () => {
    const { firefox, timers } = await started();
    await timers.advance(1000);
    assert.deepEqual(firefox.ports[0].messages, [A, A, A]);
  });

  test("is told 'no page' once per connection", async () => {
    const { firefox, timers } = await started();
    firefox.windows = [];
    await timers.advance(3 * SEND_INTERVAL_MS);
    assert.deepEqual(firefox.ports[0].messages, [A, null]);
    firefox.ports[0].hostExits();
    await timers.advance(RECONNECT_DELAY_MS);
    assert.deepEqual(firefox.ports[1].messages, [null]);
  });

  test("that is missing is tried again only every few seconds", async () => {
    const { firefox, timers } = await started({ hostInstalled: false });
    await timers.advance(4 * RECONNECT_DELAY_MS);
    assert.ok(firefox.ports.length <= 5, `${firefox.ports.length} tries`);
    firefox.hostInstalled = true;
    await timers.advance(RECONNECT_DELAY_MS);
    assert.equal(firefox.ports.at(-1).messages.at(-1), A);
  });

  test("whose start throws, or whose port breaks without a word, is replaced later", async () => {
    const { firefox, timers } = await started();
    firefox.ports[0].broken = true;
    firefox.connectThrows = true;
    await timers.advance(SEND_INTERVAL_MS + RECONNECT_DELAY_MS);
    assert.equal(firefox.ports.length, 1);
    firefox.connectThrows = false;
    await timers.advance(RECONNECT_DELAY_MS);
    assert.equal(firefox.ports.length, 2);
    assert.equal(firefox.ports[1].messages.at(-1), A);
  });

  test("hears a later look's answer even when an earlier, slower one comes back after it", async () => {
    const { firefox, tracker } = await started();
    const stale = await firefox.browser.windows.getAll();
    let release;
    firefox.browser.windows.getAll = () => new Promise((resolve) => (release = () => resolve(stale)));
    const slow = tracker.evaluate();
    firefox.browser.windows.getAll = async () => [win(1, B, { focused: true })];
    await tracker.evaluate();
    release();
    await slow;
    assert.deepEqual(firefox.ports[0].messages, [A, B]);
  });

  test("is let go when the tracker stops", async () => {
    const { firefox, timers, tracker } = await started();
    tracker.stop();
    await timers.advance(3 * SEND_INTERVAL_MS);
    assert.deepEqual(firefox.ports[0].messages, [A]);
    assert.ok(firefox.ports[0].broken);
  });
});
