"use strict";
// What the extension decides in cases that the whole-program test in a real Firefox
// (tests/e2e/firefox_e2e.cpp) cannot bring about: Firefox behind another program, minimised
// windows, private windows, tabs without an address, and a native host that ends, is missing
// or breaks.
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
    // what, windows, last focused window's id, private allowed, expected
    ["Firefox behind another program: the window focused last", [win(1, A), win(2, B)], 1, false, A],
    ["that window minimised", [win(1, A, { state: "minimized" }), win(2, B)], 1, false, null],
    ["a private window, allowed, focused last", [win(1, A), win(2, B, { incognito: true })], 2, true, B],
    ["a private window listed although not allowed", [win(2, B, { focused: true, incognito: true })], null, false, null],
    ["an empty address", [win(1, "", { focused: true })], null, false, null],
    ["no tabs", [{ ...win(1, A, { focused: true }), tabs: [] }], null, false, null],
  ];
  for (const [what, windows, lastFocusedId, incognitoAllowed, expected] of cases) {
    assert.equal(pickAddress(windows, lastFocusedId, incognitoAllowed), expected, what);
  }
});

// One focused window showing A, native ports whose host the test ends, and setInterval and
// a clock that move only when told.
async function started({ hostInstalled = true } = {}) {
  const ff = { hostInstalled, windows: [win(1, A, { focused: true })], ports: [], time: 1000, intervals: [] };
  const events = (...names) => Object.fromEntries(names.map((n) => [n, { addListener() {} }]));
  const connectNative = (name) => {
    if (ff.connectThrows) throw new Error("No such native application");
    const listeners = [];
    const port = { name, messages: [], broken: false, onDisconnect: { addListener: (fn) => listeners.push(fn) } };
    port.postMessage = (message) => {
      if (port.broken) throw new Error("Attempt to postMessage on disconnected port");
      port.messages.push(message.url);
    };
    port.disconnect = () => (port.broken = true);
    port.hostExits = () => ((port.broken = true), listeners.forEach((fn) => fn(port)));
    ff.ports.push(port);
    if (!ff.hostInstalled) Promise.resolve().then(port.hostExits);
    return port;
  };
  ff.browser = {
    runtime: { getURL: (path) => `moz-extension://0b1c2d3e-4f50-4a6b-8c7d-9e0f1a2b3c4d${path}`, connectNative },
    extension: { isAllowedIncognitoAccess: async () => false },
    windows: { ...events("onFocusChanged", "onRemoved", "onCreated"), getAll: async () => ff.windows, getLastFocused: async () => ff.windows[0] },
    tabs: events("onActivated", "onUpdated", "onRemoved", "onAttached", "onDetached"),
  };
  const timers = { setInterval: (fn, ms) => ff.intervals.push({ fn, ms, due: ff.time + ms }), clearInterval: (handle) => (ff.intervals[handle - 1].due = Infinity), now: () => ff.time };
  // Moves the clock, firing intervals in order and letting their promises settle.
  ff.advance = async (ms) => {
    for (const end = ff.time + ms; ; ) {
      const next = ff.intervals.filter((t) => t.due <= end).sort((a, b) => a.due - b.due)[0];
      if (!next) {
        return void (ff.time = end);
      }
      ff.time = next.due;
      next.due += next.ms;
      await next.fn();
      await settle();
    }
  };
  ff.tracker = createTracker(ff.browser, timers);
  await ff.tracker.start();
  return settle().then(() => ff);
}

const settle = () => new Promise((resolve) => setImmediate(resolve));

test.describe("the native host", () => {
  test("hears the shown page twice a second and 'no page' once, is started again after the delay when it ends, and is let go on stop", async () => {
    const ff = await started();
    await ff.advance(1000);
    ff.windows = [];
    await ff.advance(3 * SEND_INTERVAL_MS);
    assert.deepEqual(ff.ports[0].messages, [A, A, A, null]);
    ff.ports[0].hostExits();
    await ff.advance(RECONNECT_DELAY_MS - SEND_INTERVAL_MS);
    assert.equal(ff.ports.length, 1);
    await ff.advance(SEND_INTERVAL_MS);
    ff.windows = [win(1, B, { focused: true })];
    await ff.advance(SEND_INTERVAL_MS);
    ff.tracker.stop();
    await ff.advance(3 * SEND_INTERVAL_MS);
    assert.deepEqual(ff.ports[1].messages, [null, B]);
    assert.ok(ff.ports[1].broken);
  });

  test("that is missing, whose start throws or whose port breaks is tried again only every few seconds", async () => {
    const ff = await started({ hostInstalled: false });
    await ff.advance(4 * RECONNECT_DELAY_MS);
    assert.ok(ff.ports.length <= 5, `${ff.ports.length} tries`);
    ff.hostInstalled = true;
    await ff.advance(RECONNECT_DELAY_MS);
    const tries = ff.ports.length;
    ff.ports.at(-1).broken = true;
    ff.connectThrows = true;
    await ff.advance(SEND_INTERVAL_MS + RECONNECT_DELAY_MS);
    ff.connectThrows = false;
    await ff.advance(RECONNECT_DELAY_MS);
    assert.equal(ff.ports.length, tries + 1);
    assert.equal(ff.ports.at(-1).messages.at(-1), A);
  });

  test("hears a later look's answer even when an earlier, slower one comes back after it", async () => {
    const ff = await started();
    let release;
    ff.browser.windows.getAll = () => new Promise((resolve) => (release = () => resolve([win(1, A, { focused: true })])));
    const slow = ff.tracker.evaluate();
    ff.browser.windows.getAll = async () => [win(1, B, { focused: true })];
    await ff.tracker.evaluate();
    release();
    await slow;
    assert.deepEqual(ff.ports[0].messages, [A, B]);
  });
});
